// A separable Lanczos-3 resampler that takes the decoded rows as they arrive, in bands of up to
// kBandRows rows, and keeps only a ring of horizontally filtered rows: its memory is a few rows of
// the input and of the output, never the whole input.
#pragma once

#include <vector>

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

class Resampler {
 public:
  static constexpr int kBandRows = 8;

  // Input inWidth x inHeight (spans as in FilterTable), output outWidth x outHeight, both with
  // `channels` interleaved 8-bit samples per pixel.
  Resampler(int inWidth, int inHeight, double spanX, double spanY, int outWidth, int outHeight,
            int channels);

  // Feeds the next `count` (1..kBandRows) input rows.
  void PushRows(const unsigned char* const* rows, int count);

  // The output once every input row was pushed: outWidth * outHeight * channels bytes.
  std::vector<unsigned char>& Result() { return out_; }

 private:
  void FilterBand(int count);
  void EmitReadyRows();

  int inW_, inH_, outW_, outH_, ch_;
  FilterTable h_, v_;
  static constexpr int kSlack = 4;  // floats after each row and the band for 16-byte copies
  std::vector<float> rowsF_;        // the current band's rows as floats
  std::vector<float> band_;         // the current band transposed: [x][row][channel]
  std::vector<float> ring_;         // horizontally filtered rows: ringRows_ x (outW_ * ch_)
  int ringRows_ = 0;
  int rowsIn_ = 0;   // input rows filtered so far
  int nextOut_ = 0;  // next output row to compute
  std::vector<float> acc_;
  std::vector<const float*> rowPtrs_;
  std::vector<unsigned char> out_;
};

// Turns a picture stored as the EXIF orientation says (width x height as stored) into the upright
// picture; for orientations 5..8 width and height trade places.
std::vector<unsigned char> Orient(const std::vector<unsigned char>& pixels, int width, int height,
                                  int channels, int orientation);

}  // namespace images
