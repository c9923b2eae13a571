// A separable Lanczos-3 resampler that takes the decoded rows as they arrive and keeps only a ring
// of the input rows the next output row needs: its memory is a few rows of the input and the
// output, never the whole input. Each output row is filtered vertically as soon as its input rows
// are in; every kBandRows of them are then filtered horizontally together.
#pragma once

#include <cstdint>
#include <vector>

#include "images/ResampleKernels.h"

namespace images {

// For every output sample, the first input sample it reads and its weights (summing to 1).
struct FilterTable {
  int taps = 0;                // weights per output sample (zero-padded)
  std::vector<int> first;      // per output sample
  std::vector<float> weights;  // taps per output sample

  // outSize samples over an input of inSize samples, of which the first `inSpan` (<= inSize,
  // fractional when the decoder rounded the size up) carry the picture.
  static FilterTable Lanczos3(int inSize, double inSpan, int outSize);
};

// The weights of a FilterTable as multiples of 2^-kWeightBits, summing to exactly 1 for every
// output sample (a flat picture stays flat), padded with a zero weight to an even tap count.
struct FixedFilter {
  int taps = 0;
  std::vector<int> first;
  std::vector<int16_t> weights;

  explicit FixedFilter(const FilterTable& table);
};

class Resampler {
 public:
  static constexpr int kBandRows = images::kBandRows;

  // Input inWidth x inHeight (spans as in FilterTable), output outWidth x outHeight, both with
  // `channels` (1, 3 or 4) interleaved 8-bit samples per pixel. `kernels` does the arithmetic.
  Resampler(int inWidth, int inHeight, double spanX, double spanY, int outWidth, int outHeight,
            int channels, const ResampleKernels& kernels = BestKernels());

  // Where input row RowsIn() + k (k < kBandRows) is to be written before RowsWritten.
  unsigned char* InputRow(int k);
  // Takes the next `count` (<= kBandRows) input rows, written where InputRow said.
  void RowsWritten(int count);
  // Copies the next `count` input rows in and takes them.
  void PushRows(const unsigned char* const* rows, int count);
  int RowsIn() const { return rowsIn_; }

  // The output once every input row was pushed: outWidth * outHeight * channels bytes.
  std::vector<unsigned char>& Result() { return out_; }

 private:
  void EmitReadyRows();
  void FilterBand();

  int inW_, inH_, outW_, outH_, ch_;
  const ResampleKernels& kernels_;
  FixedFilter h_, v_;
  size_t rowLen_ = 0;                // samples per input or vertically filtered row
  std::vector<unsigned char> ring_;  // the input rows still needed; row n at n % ringRows_
  int ringRows_ = 0;
  size_t midStride_ = 0;                // rowLen_ + kMidSlack
  std::vector<int16_t> mid_;            // the band's vertically filtered rows
  int bandRows_ = 0;                    // rows in mid_ so far
  std::vector<int16_t> paired_;         // each band column next to the following one
  std::vector<unsigned char> columns_;  // the band filtered horizontally: [outX][row][channel]
  int rowsIn_ = 0;                      // input rows pushed so far
  int nextOut_ = 0;                     // next output row to filter vertically
  std::vector<const unsigned char*> rowPtrs_;
  std::vector<unsigned char> out_;
};

// Turns a picture stored as the EXIF orientation says (width x height as stored) into the upright
// picture; for orientations 5..8 width and height trade places. Orientation 1 returns `pixels`.
std::vector<unsigned char> Orient(std::vector<unsigned char> pixels, int width, int height,
                                  int channels, int orientation);

}  // namespace images
