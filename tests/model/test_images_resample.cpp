// The fixed-point Lanczos resampler: the portable and AVX2 kernels agree to the byte, and both stay
// within one level of the same filter computed in doubles.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "images/Resampler.h"

using namespace images;

namespace {

struct Case {
  int inW, inH, outW, outH;
  double spanX, spanY;  // as the decoder reports a size rounded up: a little below inW / inH
};

// Reductions by 2..4 (what the scaler asks for), odd sizes, enlargements, one-pixel pictures.
const Case kCases[] = {
    {157, 93, 40, 23, 157, 93}, {64, 48, 29, 22, 63.5, 47.25},
    {301, 40, 77, 10, 301, 40}, {9, 7, 23, 17, 9, 7},
    {3, 2, 1, 1, 3, 2},         {1, 40, 1, 13, 1, 40},
    {40, 1, 11, 1, 40, 1},      {35, 35, 35, 35, 35, 35},
};

// Noise with full-range stripes, whose ringing overshoots 0 and 255.
std::vector<unsigned char> TestPicture(int width, int height, int channels, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * channels);
  for (size_t i = 0; i < pixels.size(); ++i) {
    const size_t x = i / channels % width;
    pixels[i] = x % 7 < 2 ? (x % 14 < 7 ? 255 : 0) : static_cast<unsigned char>(random() & 255);
  }
  return pixels;
}

// Feeds the picture in uneven batches (1, 2, ... rows), through both ways of handing rows in.
std::vector<unsigned char> Resample(const Case& c, int channels,
                                    const std::vector<unsigned char>& pixels,
                                    const ResampleKernels& kernels) {
  Resampler resampler(c.inW, c.inH, c.spanX, c.spanY, c.outW, c.outH, channels, kernels);
  const size_t rowLen = static_cast<size_t>(c.inW) * channels;
  for (int y = 0, batch = 1; y < c.inH; y += batch, batch = batch % Resampler::kBandRows + 1) {
    const int n = std::min(batch, c.inH - y);
    if (batch % 2) {
      std::vector<const unsigned char*> rows;
      for (int k = 0; k < n; ++k) rows.push_back(&pixels[(y + k) * rowLen]);
      resampler.PushRows(rows.data(), n);
    } else {
      for (int k = 0; k < n; ++k)
        std::copy_n(&pixels[(y + k) * rowLen], rowLen, resampler.InputRow(k));
      resampler.RowsWritten(n);
    }
  }
  return resampler.Result();
}

// The same Lanczos-3 filter in doubles, rounded once at the end.
std::vector<unsigned char> Reference(const Case& c, int channels,
                                     const std::vector<unsigned char>& pixels) {
  const FilterTable h = FilterTable::Lanczos3(c.inW, c.spanX, c.outW);
  const FilterTable v = FilterTable::Lanczos3(c.inH, c.spanY, c.outH);
  std::vector<double> rows(static_cast<size_t>(c.inH) * c.outW * channels);
  for (int y = 0; y < c.inH; ++y) {
    for (int x = 0; x < c.outW; ++x) {
      for (int ch = 0; ch < channels; ++ch) {
        double sum = 0;
        for (int t = 0; t < h.taps; ++t) {
          const size_t at = (static_cast<size_t>(y) * c.inW + h.first[x] + t) * channels + ch;
          sum += h.weights[x * h.taps + t] * pixels[at];
        }
        rows[(static_cast<size_t>(y) * c.outW + x) * channels + ch] = sum;
      }
    }
  }
  std::vector<unsigned char> out(static_cast<size_t>(c.outW) * c.outH * channels);
  const size_t rowLen = static_cast<size_t>(c.outW) * channels;
  for (int y = 0; y < c.outH; ++y) {
    for (size_t i = 0; i < rowLen; ++i) {
      double sum = 0;
      for (int t = 0; t < v.taps; ++t)
        sum += v.weights[y * v.taps + t] * rows[(v.first[y] + t) * rowLen + i];
      out[y * rowLen + i] =
          static_cast<unsigned char>(std::clamp(std::floor(sum + 0.5), 0.0, 255.0));
    }
  }
  return out;
}

std::string Describe(const Case& c, int channels) {
  return std::to_string(c.inW) + "x" + std::to_string(c.inH) + " to " + std::to_string(c.outW) +
         "x" + std::to_string(c.outH) + ", " + std::to_string(channels) + " channels";
}

}  // namespace

TEST(ImageResampler, PortableAndAvx2KernelsGiveTheSameBytes) {
  const ResampleKernels* avx2 = Avx2Kernels();
  if (!avx2) GTEST_SKIP() << "no AVX2 kernels on this build or processor";
  for (const Case& c : kCases) {
    for (int channels : {1, 3, 4}) {
      SCOPED_TRACE(Describe(c, channels));
      const auto pixels = TestPicture(c.inW, c.inH, channels, c.inW * 31 + channels);
      EXPECT_EQ(Resample(c, channels, pixels, ScalarKernels()),
                Resample(c, channels, pixels, *avx2));
    }
  }
}

TEST(ImageResampler, StaysWithinOneLevelOfTheFilterInDoublesAndKeepsFlatColoursExact) {
  for (const Case& c : kCases) {
    for (int channels : {1, 3, 4}) {
      SCOPED_TRACE(Describe(c, channels));
      const auto pixels = TestPicture(c.inW, c.inH, channels, c.inH * 17 + channels);
      const auto want = Reference(c, channels, pixels);
      const auto got = Resample(c, channels, pixels, BestKernels());
      ASSERT_EQ(got.size(), want.size());
      int worst = 0;
      for (size_t i = 0; i < got.size(); ++i) worst = std::max(worst, std::abs(got[i] - want[i]));
      EXPECT_LE(worst, 1);

      // Every output sample's weights sum to exactly one, also at the borders.
      for (unsigned char level : {0, 1, 128, 254, 255}) {
        const std::vector<unsigned char> flat(pixels.size(), level);
        const auto out = Resample(c, channels, flat, BestKernels());
        EXPECT_EQ(std::count(out.begin(), out.end(), level), static_cast<long>(out.size()))
            << "level " << int(level);
      }
    }
  }
}

TEST(ImageResampler, FilterWeightsAreTheNormalisedLanczosKernel) {
  const double pi = std::acos(-1.0);
  auto sinc = [pi](double x) { return x == 0 ? 1.0 : std::sin(pi * x) / (pi * x); };
  for (const Case& c : kCases) {
    SCOPED_TRACE(Describe(c, 1));
    const FilterTable table = FilterTable::Lanczos3(c.inW, c.spanX, c.outW);
    const double ratio = c.spanX / c.outW;
    const double scale = std::max(ratio, 1.0);
    for (int i = 0; i < c.outW; ++i) {
      std::vector<double> want(table.taps);
      double sum = 0;
      for (int t = 0; t < table.taps; ++t) {
        const double x = (table.first[i] + t + 0.5 - (i + 0.5) * ratio) / scale;
        want[t] = std::fabs(x) < 3 ? sinc(x) * sinc(x / 3) : 0;
        sum += want[t];
      }
      for (int t = 0; t < table.taps; ++t) {
        EXPECT_NEAR(table.weights[i * table.taps + t], want[t] / sum, 1e-6)
            << "sample " << i << " tap " << t;
      }
    }
  }
}
