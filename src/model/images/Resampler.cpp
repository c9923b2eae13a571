#include "images/Resampler.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace images {

namespace {

constexpr double kPi = 3.14159265358979323846;

// sinc(x) * sinc(x / 3) for |x| < 3, else 0, given s = sin(pi x / 3): sin(pi x) follows by the
// triple-angle formula sin(3a) = s (3 - 4 s^2). Only s^2 is used, so the sign of x does not matter.
double Lanczos3Kernel(double x, double s) {
  x = std::fabs(x);
  if (x >= 3.0) return 0.0;
  if (x == 0.0) return 1.0;
  return 3.0 * s * s * (3.0 - 4.0 * s * s) / (kPi * kPi * x * x);
}

// Copies the rows of a horizontally filtered band ([x][row][channel]) to the output rows.
template <int C>
void ScatterBand(const unsigned char* columns, int count, int width, unsigned char* out) {
  constexpr int kLanes = C * kBandRows;
  const size_t rowLen = static_cast<size_t>(width) * C;
  for (int k = 0; k < count; ++k) {
    unsigned char* row = out + k * rowLen;
    const unsigned char* src = columns + k * C;
    for (int x = 0; x < width; ++x) std::memcpy(row + x * C, src + x * kLanes, C);
  }
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
  // The taps of an output sample are 1 / scale apart, so the angles pi x / 3 of the kernel grow
  // by `step`: the sines follow from the first tap's by the angle-addition formulas.
  const double step = kPi / (3.0 * scale);
  const double cosStep = std::cos(step);
  const double sinStep = std::sin(step);
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
    const double angle = kPi * (lo + 0.5 - center) / (3.0 * scale);
    double sine = std::sin(angle);
    double cosine = std::cos(angle);
    for (int j = lo; j < hi; ++j) {
      w[j - lo] = Lanczos3Kernel((j + 0.5 - center) / scale, sine);
      sum += w[j - lo];
      const double next = sine * cosStep + cosine * sinStep;
      cosine = cosine * cosStep - sine * sinStep;
      sine = next;
    }
    if (sum == 0.0) sum = 1.0;
    t.first[i] = start;
    float* row = &t.weights[static_cast<size_t>(i) * t.taps];
    for (int j = lo; j < hi; ++j) row[j - start] = static_cast<float>(w[j - lo] / sum);
  }
  return t;
}

FixedFilter::FixedFilter(const FilterTable& table)
    : taps(table.taps + table.taps % 2), first(table.first) {
  constexpr int kOne = 1 << kWeightBits;
  const size_t outSize = table.first.size();
  weights.assign(outSize * taps, 0);
  for (size_t i = 0; i < outSize; ++i) {
    const float* w = &table.weights[i * table.taps];
    int16_t* fixed = &weights[i * taps];
    int sum = 0;
    int largest = 0;
    for (int t = 0; t < table.taps; ++t) {
      fixed[t] = static_cast<int16_t>(std::clamp<long>(std::lround(w[t] * kOne), -32768, 32767));
      sum += fixed[t];
      if (std::abs(fixed[t]) > std::abs(fixed[largest])) largest = t;
    }
    // The rounding error goes to the largest weight, where it matters least.
    fixed[largest] = static_cast<int16_t>(fixed[largest] + kOne - sum);
  }
}

Resampler::Resampler(int inWidth, int inHeight, double spanX, double spanY, int outWidth,
                     int outHeight, int channels, const ResampleKernels& kernels)
    : inW_(inWidth),
      inH_(inHeight),
      outW_(outWidth),
      outH_(outHeight),
      ch_(channels),
      kernels_(kernels),
      h_(FilterTable::Lanczos3(inW_, spanX, outW_)),
      v_(FilterTable::Lanczos3(inH_, spanY, outH_)) {
  const size_t lanes = static_cast<size_t>(kBandRows) * ch_;
  rowLen_ = static_cast<size_t>(inW_) * ch_;
  // The rows the next output row needs, and room for the next kBandRows to come in.
  ringRows_ = v_.taps + kBandRows;
  ring_.assign(ringRows_ * rowLen_, 0);
  midStride_ = rowLen_ + kMidSlack;
  mid_.assign(kBandRows * midStride_, 0);
  paired_.assign(inW_ * 2 * lanes + 4, 0);  // the kernels' wide stores reach past the end
  columns_.assign(outW_ * lanes + 8, 0);
  rowPtrs_.resize(v_.taps);
  out_.assign(static_cast<size_t>(outW_) * outH_ * ch_, 0);
}

unsigned char* Resampler::InputRow(int k) {
  return ring_.data() + ((rowsIn_ + k) % ringRows_) * rowLen_;
}

void Resampler::RowsWritten(int count) {
  count = std::min({count, kBandRows, inH_ - rowsIn_});
  for (int k = 0; k < count; ++k) {
    ++rowsIn_;
    EmitReadyRows();
  }
}

void Resampler::PushRows(const unsigned char* const* rows, int count) {
  for (int done = 0; done < count;) {
    const int n = std::min(count - done, kBandRows);
    for (int k = 0; k < n; ++k) std::memcpy(InputRow(k), rows[done + k], rowLen_);
    RowsWritten(n);
    done += n;
  }
}

// Filters vertically every output row whose input rows are all in (a zero padding tap past the
// last input row reads the last row instead), and each full band, or the last, horizontally.
void Resampler::EmitReadyRows() {
  while (nextOut_ < outH_ && (v_.first[nextOut_] + v_.taps <= rowsIn_ || rowsIn_ == inH_)) {
    for (int t = 0; t < v_.taps; ++t) {
      const int row = std::min(v_.first[nextOut_] + t, inH_ - 1);
      rowPtrs_[t] = ring_.data() + (row % ringRows_) * rowLen_;
    }
    kernels_.filterRows(rowPtrs_.data(), &v_.weights[static_cast<size_t>(nextOut_) * v_.taps],
                        v_.taps, rowLen_, mid_.data() + bandRows_ * midStride_);
    ++bandRows_;
    ++nextOut_;
    if (bandRows_ == kBandRows || nextOut_ == outH_) FilterBand();
  }
}

// Filters the band horizontally into output rows nextOut_ - bandRows_ on. The rows of a short
// last band past bandRows_ hold stale samples; their results are never used.
void Resampler::FilterBand() {
  kernels_.pairColumns(mid_.data(), midStride_, inW_, ch_, paired_.data());
  kernels_.filterColumns(paired_.data(), h_.first.data(), h_.weights.data(), h_.taps, outW_, ch_,
                         columns_.data());
  unsigned char* out = out_.data() + static_cast<size_t>(nextOut_ - bandRows_) * outW_ * ch_;
  switch (ch_) {
    case 1:
      ScatterBand<1>(columns_.data(), bandRows_, outW_, out);
      break;
    case 3:
      ScatterBand<3>(columns_.data(), bandRows_, outW_, out);
      break;
    default:
      ScatterBand<4>(columns_.data(), bandRows_, outW_, out);
      break;
  }
  bandRows_ = 0;
}

std::vector<unsigned char> Orient(std::vector<unsigned char> pixels, int width, int height,
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
