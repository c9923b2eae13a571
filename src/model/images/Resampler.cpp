#include "images/Resampler.h"

#include <algorithm>
#include <cmath>
#include <cstring>

// The filter loops are written for the compiler to vectorize; on x86-64 Linux with GCC they are
// also compiled for AVX2 and the better version is picked when the program starts. Each lane adds
// in the same order either way, so the results are the same bytes.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__linux__)
#define TV_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define TV_VECTOR_CLONES
#endif
#if defined(__GNUC__)
#define TV_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define TV_ALWAYS_INLINE inline
#endif

namespace images {

namespace {

constexpr double kPi = 3.14159265358979323846;

double Sinc(double x) {
  if (x == 0.0) return 1.0;
  x *= kPi;
  return std::sin(x) / x;
}

double Lanczos3Kernel(double x) {
  x = std::fabs(x);
  return x < 3.0 ? Sinc(x) * Sinc(x / 3.0) : 0.0;
}

// The horizontal pass over one band: for every output column, the weighted sum of input columns,
// done for all rows of the band and all channels at once (C * kBandRows contiguous floats, which
// the compiler turns into vector code).
template <int C>
TV_ALWAYS_INLINE void FilterColumns(const FilterTable& h, const float* band, int outW, float* ring,
                                    int ringRows, int rowBase, int count) {
  constexpr int kLane = C * Resampler::kBandRows;
  float* dstRows[Resampler::kBandRows];
  for (int k = 0; k < count; ++k) {
    dstRows[k] = ring + static_cast<size_t>((rowBase + k) % ringRows) * outW * C;
  }
  for (int x = 0; x < outW; ++x) {
    float acc[kLane] = {};
    const float* w = &h.weights[static_cast<size_t>(x) * h.taps];
    const float* src = band + static_cast<size_t>(h.first[x]) * kLane;
    for (int t = 0; t < h.taps; ++t, src += kLane) {
      const float wt = w[t];
      for (int i = 0; i < kLane; ++i) acc[i] += wt * src[i];
    }
    for (int k = 0; k < count; ++k) {
      for (int c = 0; c < C; ++c) dstRows[k][x * C + c] = acc[k * C + c];
    }
  }
}

TV_VECTOR_CLONES void FilterColumns1(const FilterTable& h, const float* band, int outW, float* ring,
                                     int ringRows, int rowBase, int count) {
  FilterColumns<1>(h, band, outW, ring, ringRows, rowBase, count);
}
TV_VECTOR_CLONES void FilterColumns3(const FilterTable& h, const float* band, int outW, float* ring,
                                     int ringRows, int rowBase, int count) {
  FilterColumns<3>(h, band, outW, ring, ringRows, rowBase, count);
}
TV_VECTOR_CLONES void FilterColumns4(const FilterTable& h, const float* band, int outW, float* ring,
                                     int ringRows, int rowBase, int count) {
  FilterColumns<4>(h, band, outW, ring, ringRows, rowBase, count);
}

// Converts a row to floats; written for the compiler to vectorize.
TV_VECTOR_CLONES void RowToFloat(const unsigned char* src, size_t len, float* dst) {
  for (size_t i = 0; i < len; ++i) dst[i] = src[i];
}

// Copies a band of float rows into the column-major layout FilterColumns reads. Each pixel is
// moved as one 16-byte block (for 3 channels the fourth float spills into the next slot, which is
// written after it; the rows and the band carry 4 floats of slack for the last pixel).
template <int C>
void TransposeBand(const float* const* rows, int count, int width, float* band) {
  constexpr int kLane = C * Resampler::kBandRows;
  constexpr size_t kCopy = (C == 3 ? 4 : C) * sizeof(float);
  for (int x = 0; x < width; ++x) {
    float* dst = band + static_cast<size_t>(x) * kLane;
    for (int k = 0; k < count; ++k) std::memcpy(dst + k * C, rows[k] + x * C, kCopy);
  }
}

// acc[i] = sum of w[t] * rows[t][i]
TV_VECTOR_CLONES void WeightedRowSum(const float* const* rows, const float* w, int taps, size_t len,
                                     float* acc) {
  for (size_t i = 0; i < len; ++i) acc[i] = 0.0f;
  for (int t = 0; t < taps; ++t) {
    const float wt = w[t];
    const float* src = rows[t];
    for (size_t i = 0; i < len; ++i) acc[i] += wt * src[i];
  }
}

unsigned char ToByte(float v) {
  v += 0.5f;
  if (v <= 0.0f) return 0;
  if (v >= 255.0f) return 255;
  return static_cast<unsigned char>(v);
}

}  // namespace

FilterTable FilterTable::Lanczos3(int inSize, double inSpan, int outSize) {
  FilterTable t;
  const double ratio = inSpan / outSize;  // input samples per output sample
  const double scale = std::max(ratio, 1.0);
  const double support = 3.0 * scale;
  t.taps = std::min(static_cast<int>(std::ceil(2.0 * support)) + 1, inSize);
  t.first.resize(outSize);
  t.weights.assign(static_cast<size_t>(outSize) * t.taps, 0.0f);
  std::vector<double> w(t.taps);
  for (int i = 0; i < outSize; ++i) {
    const double center = (i + 0.5) * ratio;  // in input coordinates, pixel j spans [j, j+1)
    int lo = static_cast<int>(std::floor(center - support + 0.5));
    int hi = static_cast<int>(std::ceil(center + support - 0.5));  // exclusive
    lo = std::max(lo, 0);
    hi = std::min(hi, inSize);
    if (hi - lo > t.taps) hi = lo + t.taps;
    if (hi <= lo) {  // cannot happen for sane sizes; keep the nearest sample
      lo = std::clamp(static_cast<int>(center), 0, inSize - 1);
      hi = lo + 1;
    }
    const int start = std::min(lo, inSize - t.taps);
    double sum = 0.0;
    for (int j = lo; j < hi; ++j) {
      w[j - lo] = Lanczos3Kernel((j + 0.5 - center) / scale);
      sum += w[j - lo];
    }
    if (sum == 0.0) sum = 1.0;
    t.first[i] = start;
    float* row = &t.weights[static_cast<size_t>(i) * t.taps];
    for (int j = lo; j < hi; ++j) row[j - start] = static_cast<float>(w[j - lo] / sum);
  }
  return t;
}

Resampler::Resampler(int inWidth, int inHeight, double spanX, double spanY, int outWidth,
                     int outHeight, int channels)
    : inW_(inWidth), inH_(inHeight), outW_(outWidth), outH_(outHeight), ch_(channels) {
  h_ = FilterTable::Lanczos3(inW_, spanX, outW_);
  v_ = FilterTable::Lanczos3(inH_, spanY, outH_);
  band_.assign(static_cast<size_t>(inW_) * kBandRows * ch_ + kSlack, 0.0f);
  rowsF_.assign((static_cast<size_t>(inW_) * ch_ + kSlack) * kBandRows, 0.0f);
  ringRows_ = v_.taps + kBandRows;
  ring_.assign(static_cast<size_t>(ringRows_) * outW_ * ch_, 0.0f);
  acc_.assign(static_cast<size_t>(outW_) * ch_, 0.0f);
  rowPtrs_.resize(v_.taps);
  out_.assign(static_cast<size_t>(outW_) * outH_ * ch_, 0);
}

void Resampler::PushRows(const unsigned char* const* rows, int count) {
  count = std::min({count, kBandRows, inH_ - rowsIn_});
  if (count <= 0) return;
  // Transpose the band so that each input column holds its rows and channels side by side.
  const size_t rowLen = static_cast<size_t>(inW_) * ch_;
  const float* floatRows[kBandRows];
  for (int k = 0; k < count; ++k) {
    float* dst = rowsF_.data() + k * (rowLen + kSlack);
    RowToFloat(rows[k], rowLen, dst);
    floatRows[k] = dst;
  }
  switch (ch_) {
    case 1:
      TransposeBand<1>(floatRows, count, inW_, band_.data());
      break;
    case 3:
      TransposeBand<3>(floatRows, count, inW_, band_.data());
      break;
    default:
      TransposeBand<4>(floatRows, count, inW_, band_.data());
      break;
  }
  FilterBand(count);
  rowsIn_ += count;
  EmitReadyRows();
}

void Resampler::FilterBand(int count) {
  switch (ch_) {
    case 1:
      FilterColumns1(h_, band_.data(), outW_, ring_.data(), ringRows_, rowsIn_, count);
      break;
    case 3:
      FilterColumns3(h_, band_.data(), outW_, ring_.data(), ringRows_, rowsIn_, count);
      break;
    default:
      FilterColumns4(h_, band_.data(), outW_, ring_.data(), ringRows_, rowsIn_, count);
      break;
  }
}

void Resampler::EmitReadyRows() {
  const size_t rowLen = static_cast<size_t>(outW_) * ch_;
  while (nextOut_ < outH_ && v_.first[nextOut_] + v_.taps <= rowsIn_) {
    const float* w = &v_.weights[static_cast<size_t>(nextOut_) * v_.taps];
    for (int t = 0; t < v_.taps; ++t) {
      rowPtrs_[t] = ring_.data() + ((v_.first[nextOut_] + t) % ringRows_) * rowLen;
    }
    WeightedRowSum(rowPtrs_.data(), w, v_.taps, rowLen, acc_.data());
    const float* acc = acc_.data();
    unsigned char* dst = out_.data() + nextOut_ * rowLen;
    for (size_t i = 0; i < rowLen; ++i) dst[i] = ToByte(acc[i]);
    ++nextOut_;
  }
}

std::vector<unsigned char> Orient(const std::vector<unsigned char>& pixels, int width, int height,
                                  int channels, int orientation) {
  if (orientation < 2 || orientation > 8) return pixels;
  const bool swap = orientation >= 5;
  const int outW = swap ? height : width;
  const int outH = swap ? width : height;
  std::vector<unsigned char> out(pixels.size());
  for (int y = 0; y < outH; ++y) {
    for (int x = 0; x < outW; ++x) {
      int sx = x, sy = y;  // the stored pixel shown at upright (x, y)
      switch (orientation) {
        case 2:
          sx = width - 1 - x;
          break;
        case 3:
          sx = width - 1 - x;
          sy = height - 1 - y;
          break;
        case 4:
          sy = height - 1 - y;
          break;
        case 5:
          sx = y;
          sy = x;
          break;
        case 6:
          sx = y;
          sy = height - 1 - x;
          break;
        case 7:
          sx = width - 1 - y;
          sy = height - 1 - x;
          break;
        case 8:
          sx = width - 1 - y;
          sy = x;
          break;
        default:
          break;
      }
      std::memcpy(&out[(static_cast<size_t>(y) * outW + x) * channels],
                  &pixels[(static_cast<size_t>(sy) * width + sx) * channels], channels);
    }
  }
  return out;
}

}  // namespace images
