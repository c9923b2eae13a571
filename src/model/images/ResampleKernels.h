// The inner loops of the Lanczos resampler, in fixed point: 8-bit samples, 14-bit weights (each
// output sample's weights sum to exactly 1 << 14) and vertically filtered samples held as 16-bit
// numbers with 6 fraction bits. All sums are exact integer sums, so the portable version and the
// AVX2 version (x86-64 Linux with GCC, picked at run time) give the same bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace images {

constexpr int kWeightBits = 14;  // weights are multiples of 2^-14
constexpr int kMidBits = 6;      // fraction bits of the vertically filtered samples
constexpr int kBandRows = 8;     // rows of a band, filtered horizontally together
// Zero samples after each vertically filtered row: pairColumns reads up to 8 samples from the
// start of a pixel, and the zeros stand in for the pixel after the last.
constexpr int kMidSlack = 8;

// Weights are taken two at a time: every table has an even number of taps, a zero weight padding
// an odd count.
struct ResampleKernels {
  // The vertical pass over `taps` input rows of `len` bytes:
  //   out[i] = sat16((sum_t w[t] * rows[t][i] + 2^7) >> 8)
  void (*filterRows)(const unsigned char* const* rows, const int16_t* weights, int taps, size_t len,
                     int16_t* out);

  // Pairs each column of a band of kBandRows vertically filtered rows (`stride` samples apart,
  // each followed by kMidSlack zeros) with the next, as filterColumns reads them:
  //   paired[x][row][channel] = (band[row][x][channel], band[row][x + 1][channel])
  // `paired` has room for 4 more int16.
  void (*pairColumns)(const int16_t* band, size_t stride, int width, int channels, int16_t* paired);

  // The horizontal pass over a paired band: for every output column x and lane i (row and
  // channel; lanes = kBandRows * channels),
  //   out[x][i] = clamp((sum_t w[x][t] * band[first[x] + t][i] + 2^19) >> 20, 0, 255)
  // `out` has room for 8 more bytes.
  void (*filterColumns)(const int16_t* paired, const int* first, const int16_t* weights, int taps,
                        int outWidth, int channels, unsigned char* out);
};

// The portable version, built everywhere.
const ResampleKernels& ScalarKernels();
// The AVX2 version, or nullptr when it is not built in or the processor lacks AVX2.
const ResampleKernels* Avx2Kernels();
// The fastest version this processor runs.
const ResampleKernels& BestKernels();

}  // namespace images
