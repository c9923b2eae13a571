#include "images/ResampleKernels.h"

#include <algorithm>

#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__linux__)
#define TV_AVX2_KERNELS 1
#include <immintrin.h>
#define TV_AVX2 __attribute__((target("avx2")))
#endif

namespace images {

namespace {

constexpr int kMidShift = kWeightBits - kMidBits;  // from a vertical sum to a 16-bit sample
constexpr int kOutShift = kWeightBits + kMidBits;  // from a horizontal sum to a byte
constexpr int kMaxLanes = kBandRows * 4;

// The rounded, saturated sample of a vertical sum.
int16_t MidSample(int32_t sum) {
  return static_cast<int16_t>(
      std::clamp((sum + (1 << (kMidShift - 1))) >> kMidShift, -32768, 32767));
}

// The rounded, clamped byte of a horizontal sum.
unsigned char OutByte(int32_t sum) {
  return static_cast<unsigned char>(
      std::clamp((sum + (1 << (kOutShift - 1))) >> kOutShift, 0, 255));
}

int32_t RowSum(const unsigned char* const* rows, const int16_t* weights, int taps, size_t i) {
  int32_t sum = 0;
  for (int t = 0; t < taps; ++t) sum += weights[t] * rows[t][i];
  return sum;
}

// ---- The portable version ----

void FilterRowsScalar(const unsigned char* const* rows, const int16_t* weights, int taps,
                      size_t len, int16_t* out) {
  for (size_t i = 0; i < len; ++i) out[i] = MidSample(RowSum(rows, weights, taps, i));
}

// The pairs of columns x0..width - 1.
void PairColumnsFrom(int x0, const int16_t* band, size_t stride, int width, int channels,
                     int16_t* paired) {
  for (int x = x0; x < width; ++x) {
    int16_t* dst = paired + static_cast<size_t>(x) * 2 * kBandRows * channels;
    for (int k = 0; k < kBandRows; ++k) {
      const int16_t* src = band + k * stride + static_cast<size_t>(x) * channels;
      for (int c = 0; c < channels; ++c, dst += 2) {
        dst[0] = src[c];
        dst[1] = src[channels + c];
      }
    }
  }
}

void PairColumnsScalar(const int16_t* band, size_t stride, int width, int channels,
                       int16_t* paired) {
  PairColumnsFrom(0, band, stride, width, channels, paired);
}

void FilterColumnsScalar(const int16_t* paired, const int* first, const int16_t* weights, int taps,
                         int outWidth, int channels, unsigned char* out) {
  const int lanes = kBandRows * channels;
  for (int x = 0; x < outWidth; ++x) {
    int32_t acc[kMaxLanes] = {};
    const int16_t* w = weights + static_cast<size_t>(x) * taps;
    const int16_t* src = paired + static_cast<size_t>(first[x]) * 2 * lanes;
    for (int t = 0; t < taps; t += 2, src += 4 * lanes) {
      for (int i = 0; i < lanes; ++i) acc[i] += src[2 * i] * w[t] + src[2 * i + 1] * w[t + 1];
    }
    unsigned char* dst = out + static_cast<size_t>(x) * lanes;
    for (int i = 0; i < lanes; ++i) dst[i] = OutByte(acc[i]);
  }
}

const ResampleKernels kScalar = {FilterRowsScalar, PairColumnsScalar, FilterColumnsScalar};

#ifdef TV_AVX2_KERNELS
// ---- The AVX2 version ----

// Two 16-bit weights side by side in every 32-bit lane, as _mm256_madd_epi16 takes them.
TV_AVX2 __m256i WeightPair(const int16_t* w) {
  const uint32_t lo = static_cast<uint16_t>(w[0]);
  const uint32_t hi = static_cast<uint16_t>(w[1]);
  return _mm256_set1_epi32(static_cast<int32_t>(lo | (hi << 16)));
}

// (sum + 2^(shift - 1)) >> shift in every 32-bit lane.
template <int kShift>
TV_AVX2 __m256i RoundedShift(__m256i sum) {
  return _mm256_srai_epi32(_mm256_add_epi32(sum, _mm256_set1_epi32(1 << (kShift - 1))), kShift);
}

// The vertical pass, 32 samples a step: the bytes of rows t and t + 1 interleaved, widened to
// int16 pairs, one _mm256_madd_epi16 with (w[t], w[t + 1]) per 8 sums; then rounded, shifted and
// packed to int16 with saturation. Then 16 samples a step the same way, and the last len % 16
// samples one by one.
TV_AVX2 void FilterRowsAvx2(const unsigned char* const* rows, const int16_t* weights, int taps,
                            size_t len, int16_t* out) {
  const __m256i zero = _mm256_setzero_si256();
  size_t i = 0;
  for (; i + 32 <= len; i += 32) {
    // acc[0..3] hold samples 0-3 | 16-19, 4-7 | 20-23, 8-11 | 24-27, 12-15 | 28-31.
    __m256i acc[4] = {zero, zero, zero, zero};
    for (int t = 0; t < taps; t += 2) {
      const __m256i wt = WeightPair(weights + t);
      const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(rows[t] + i));
      const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(rows[t + 1] + i));
      const __m256i lo = _mm256_unpacklo_epi8(a, b);
      const __m256i hi = _mm256_unpackhi_epi8(a, b);
      const __m256i pairs[4] = {_mm256_unpacklo_epi8(lo, zero), _mm256_unpackhi_epi8(lo, zero),
                                _mm256_unpacklo_epi8(hi, zero), _mm256_unpackhi_epi8(hi, zero)};
      for (int v = 0; v < 4; ++v)
        acc[v] = _mm256_add_epi32(acc[v], _mm256_madd_epi16(pairs[v], wt));
    }
    const __m256i first = _mm256_packs_epi32(RoundedShift<kMidShift>(acc[0]),
                                             RoundedShift<kMidShift>(acc[1]));  // 0-7 | 16-23
    const __m256i second = _mm256_packs_epi32(RoundedShift<kMidShift>(acc[2]),
                                              RoundedShift<kMidShift>(acc[3]));  // 8-15 | 24-31
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i),
                        _mm256_permute2x128_si256(first, second, 0x20));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i + 16),
                        _mm256_permute2x128_si256(first, second, 0x31));
  }
  for (; i + 16 <= len; i += 16) {
    __m256i lo = zero;
    __m256i hi = zero;
    for (int t = 0; t < taps; t += 2) {
      const __m256i wt = WeightPair(weights + t);
      const __m256i a =
          _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[t] + i)));
      const __m256i b =
          _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[t + 1] + i)));
      lo = _mm256_add_epi32(lo, _mm256_madd_epi16(_mm256_unpacklo_epi16(a, b), wt));
      hi = _mm256_add_epi32(hi, _mm256_madd_epi16(_mm256_unpackhi_epi16(a, b), wt));
    }
    // unpacklo/hi and packs both work within 128-bit halves, so packs restores the order.
    _mm256_storeu_si256(
        reinterpret_cast<__m256i*>(out + i),
        _mm256_packs_epi32(RoundedShift<kMidShift>(lo), RoundedShift<kMidShift>(hi)));
  }
  for (; i < len; ++i) out[i] = MidSample(RowSum(rows, weights, taps, i));
}

// The pairs for C = 3 or 4 channels: per row, the 8 samples from pixel x on (pixel x + 1 and the
// slack when x is the last), one byte shuffle that puts each sample of pixel x next to the same
// sample of pixel x + 1. For 3 channels the 16 bytes stored hold 12 bytes of pairs; the other 4
// spill into the next slot, which is written after them.
template <int C>
TV_AVX2 void PairColumnsAvx2(const int16_t* band, size_t stride, int width, int16_t* paired) {
  const __m128i order = C == 3
                            ? _mm_setr_epi8(0, 1, 6, 7, 2, 3, 8, 9, 4, 5, 10, 11, -1, -1, -1, -1)
                            : _mm_setr_epi8(0, 1, 8, 9, 2, 3, 10, 11, 4, 5, 12, 13, 6, 7, 14, 15);
  for (int x = 0; x < width; ++x) {
    int16_t* dst = paired + static_cast<size_t>(x) * 2 * kBandRows * C;
    const int16_t* src = band + static_cast<size_t>(x) * C;
    for (int k = 0; k < kBandRows; ++k, dst += 2 * C, src += stride) {
      const __m128i samples = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm_shuffle_epi8(samples, order));
    }
  }
}

TV_AVX2 void PairColumnsAvx2Any(const int16_t* band, size_t stride, int width, int channels,
                                int16_t* paired) {
  switch (channels) {
    case 3:
      return PairColumnsAvx2<3>(band, stride, width, paired);
    case 4:
      return PairColumnsAvx2<4>(band, stride, width, paired);
    default:
      return PairColumnsFrom(0, band, stride, width, channels, paired);
  }
}

// The horizontal pass for C channels: C vectors of 8 int32 sums (8 rows x C channels) per output
// column, each tap pair one _mm256_madd_epi16 per vector (sample of column t times w[t] plus
// sample of column t + 1 times w[t + 1]); then rounded, shifted and packed to bytes with
// saturation (which clamps to 0..255). packs works within 128-bit halves; the permutes restore
// the order. For 3 channels the 32 bytes stored hold 24 results; the rest spill into the next
// column, written after them.
template <int C>
TV_AVX2 void FilterColumnsAvx2(const int16_t* paired, const int* first, const int16_t* weights,
                               int taps, int outWidth, unsigned char* out) {
  constexpr int kLanes = kBandRows * C;
  for (int x = 0; x < outWidth; ++x) {
    __m256i acc[C];
    for (int v = 0; v < C; ++v) acc[v] = _mm256_setzero_si256();
    const int16_t* w = weights + static_cast<size_t>(x) * taps;
    const int16_t* src = paired + static_cast<size_t>(first[x]) * 2 * kLanes;
    for (int t = 0; t < taps; t += 2, src += 4 * kLanes) {
      const __m256i wt = WeightPair(w + t);
      for (int v = 0; v < C; ++v) {
        const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + 16 * v));
        acc[v] = _mm256_add_epi32(acc[v], _mm256_madd_epi16(s, wt));
      }
    }
    for (int v = 0; v < C; ++v) acc[v] = RoundedShift<kOutShift>(acc[v]);
    __m256i words[2];
    for (int v = 0; v < C; v += 2) {
      const __m256i next = v + 1 < C ? acc[v + 1] : acc[v];
      words[v / 2] = _mm256_permute4x64_epi64(_mm256_packs_epi32(acc[v], next), 0xD8);
    }
    unsigned char* dst = out + static_cast<size_t>(x) * kLanes;
    if constexpr (C == 1) {
      const __m256i bytes = _mm256_packus_epi16(words[0], words[0]);
      _mm_storel_epi64(reinterpret_cast<__m128i*>(dst), _mm256_castsi256_si128(bytes));
    } else {
      const __m256i bytes = _mm256_packus_epi16(words[0], words[1]);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst), _mm256_permute4x64_epi64(bytes, 0xD8));
    }
  }
}

TV_AVX2 void FilterColumnsAvx2Any(const int16_t* paired, const int* first, const int16_t* weights,
                                  int taps, int outWidth, int channels, unsigned char* out) {
  switch (channels) {
    case 1:
      return FilterColumnsAvx2<1>(paired, first, weights, taps, outWidth, out);
    case 3:
      return FilterColumnsAvx2<3>(paired, first, weights, taps, outWidth, out);
    case 4:
      return FilterColumnsAvx2<4>(paired, first, weights, taps, outWidth, out);
    default:
      return FilterColumnsScalar(paired, first, weights, taps, outWidth, channels, out);
  }
}

const ResampleKernels kAvx2 = {FilterRowsAvx2, PairColumnsAvx2Any, FilterColumnsAvx2Any};
#endif

}  // namespace

const ResampleKernels& ScalarKernels() { return kScalar; }

const ResampleKernels* Avx2Kernels() {
#ifdef TV_AVX2_KERNELS
  static const bool supported = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return supported ? &kAvx2 : nullptr;
#else
  return nullptr;
#endif
}

const ResampleKernels& BestKernels() {
  const ResampleKernels* avx2 = Avx2Kernels();
  return avx2 ? *avx2 : kScalar;
}

}  // namespace images
