#include "images/ImageScaler.h"

#include <cerrno>
#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <cstring>
#include <filesystem>
#include <utility>

#include "Errors.h"
#include "FileUtil.h"
#include "images/ColorConvert.h"
#include "images/JpegIo.h"
#include "images/Resampler.h"
#include "images/WorkBudget.h"

using namespace images;

namespace {

constexpr int kQuality = 90;

// The memory all pictures being scaled at once may hold, shared by the worker threads.
class TMemoryPool {
 public:
  explicit TMemoryPool(long long capacity) : capacity_(capacity) {}
  // Waits until `bytes` fit beside what others hold (a single reservation always fits alone).
  void Acquire(long long bytes) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return used_ == 0 || used_ + bytes <= capacity_; });
    used_ += bytes;
  }
  void Release(long long bytes) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      used_ -= bytes;
    }
    changed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  long long used_ = 0;
  const long long capacity_;
};

TMemoryPool& PicturesPool() {
  static TMemoryPool pool(kPicturesMemoryLimit);
  return pool;
}

class TReservation {
 public:
  explicit TReservation(long long bytes) : bytes_(bytes) { PicturesPool().Acquire(bytes_); }
  ~TReservation() { PicturesPool().Release(bytes_); }
  TReservation(const TReservation&) = delete;
  TReservation& operator=(const TReservation&) = delete;

 private:
  long long bytes_;
};

std::string Megabytes(long long bytes) { return std::to_string((bytes + (1 << 20) - 1) >> 20); }

JpegLimits DecoderLimits() {
  JpegLimits limits;
  limits.maxMemory = kPictureMemoryLimit;
  limits.maxScans = kMaxScans;
  limits.maxWork = kMaxDecodeBlocks;
  limits.maxHeaderBytes = kMaxHeaderBytes;
  limits.maxBytesPerSample = kMaxBytesPerSample;
  return limits;
}

// Decoding at 1/8, 1/4, 1/2 or full size: libjpeg-turbo has fast (SIMD) inverse DCTs for exactly
// these; 3/8 and 5/8..7/8 use generic code that costs more than the next of these sizes, so they
// are never worth choosing. The smallest of them that leaves at least twice the target height.
int DecodeScaleNum(int uprightHeight, int targetHeight) {
  for (int m = 1; m < 8; m *= 2) {
    const long long scaled = (static_cast<long long>(uprightHeight) * m + 7) / 8;
    if (scaled >= 2LL * targetHeight) return m;
  }
  return 8;
}

}  // namespace

std::pair<int, int> ScaledSize(int width, int height, int targetHeight) {
  if (targetHeight < 1) {
    throw TvError("The slider height must be at least 1 pixel (it is " +
                  std::to_string(targetHeight) + ")");
  }
  if (width < 1 || height < 1) {
    throw TvError("A picture of " + std::to_string(width) + " x " + std::to_string(height) +
                  " pixels cannot be scaled");
  }
  // width / (height / targetHeight) is width * targetHeight / height: computed exactly in
  // integers and rounded half to even. (A 32-bit float factor missed exact halves, so that about
  // one width in 2,000 came out a pixel off.) The height comes out at targetHeight.
  const long long numerator = static_cast<long long>(width) * targetHeight;
  long long quotient = numerator / height;
  const long long twiceRest = 2 * (numerator % height);
  if (twiceRest > height || (twiceRest == height && (quotient & 1) != 0)) ++quotient;
  // Very wide or tall pictures keep at least one pixel in each direction.
  const double outW = static_cast<double>(std::max(1LL, quotient));
  const double outH = static_cast<double>(targetHeight);
  if (outW * outH > static_cast<double>(kMaxScaledPixels)) {
    throw TvError("A picture of " + std::to_string(width) + " x " + std::to_string(height) +
                  " pixels scaled to a height of " + std::to_string(targetHeight) +
                  " would exceed " + std::to_string(kMaxScaledPixels / 1000000) + " megapixels");
  }
  return {static_cast<int>(outW), static_cast<int>(outH)};
}

namespace {

TScaledImage ScalePicture(JpegReader& reader, const std::string& sourcePath, int targetHeight) {
  const JpegSourceInfo& info = reader.Info();
  const std::string declared =
      std::to_string(info.width) + " x " + std::to_string(info.height) + " pixels";
  if (static_cast<long long>(info.width) * info.height > kMaxSourcePixels) {
    throw TvError("Cannot read picture " + sourcePath + ": it declares " + declared +
                  ", more than the " + std::to_string(kMaxSourcePixels / 1000000) +
                  " megapixels a picture may have");
  }
  if (info.arithmetic &&
      static_cast<long long>(info.width) * info.height > kMaxArithmeticSourcePixels) {
    throw TvError("Cannot read picture " + sourcePath + ": it declares " + declared +
                  " in arithmetic coding, more than the " +
                  std::to_string(kMaxArithmeticSourcePixels / 1000000) +
                  " megapixels such a picture may have");
  }
  const bool swap = info.orientation >= 5;
  const int uprightW = swap ? info.height : info.width;
  const int uprightH = swap ? info.width : info.height;
  const auto [outW, outH] = ScaledSize(uprightW, uprightH, targetHeight);
  const int storedOutW = swap ? outH : outW;
  const int storedOutH = swap ? outW : outH;
  const int scaleNum = DecodeScaleNum(uprightH, targetHeight);

  // What the picture will cost, counted before anything is decoded: the decoder's whole-picture
  // coefficients (multi-scan files only) and its rows, the resampler's ring of input rows, and
  // the result in its stages (scaled, turned, colour-converted, encoded).
  const long long estW = (static_cast<long long>(info.width) * scaleNum + 7) / 8;
  const long long estH = (static_cast<long long>(info.height) * scaleNum + 7) / 8;
  const long long ratio = estH / std::max(1, storedOutH) + 1;
  const long long ringRows = std::min(estH, 6 * ratio + 2 * Resampler::kBandRows + 8);
  const long long outPixels = static_cast<long long>(outW) * outH;
  const long long need = info.coefficientBytes + estW * 4 * (ringRows + 2 * 16) +
                         outPixels * 14 + (4LL << 20);
  if (need > kPictureMemoryLimit || info.coefficientBytes > kPictureMemoryLimit) {
    throw TvError("Cannot read picture " + sourcePath + ": it declares " + declared +
                  (info.multiScan ? " in several scans" : "") + ", which would need about " +
                  Megabytes(need) + " MB to scale, more than the " +
                  Megabytes(kPictureMemoryLimit) + " MB a picture may use");
  }
  TReservation reservation(need);

  // What the decoder hands out, and whether the embedded profile is used.
  PixelKind kind = PixelKind::Rgb;
  switch (info.color) {
    case SourceColor::Gray:
      kind = PixelKind::Gray;
      break;
    case SourceColor::Cmyk:
    case SourceColor::Ycck:
      kind = PixelKind::Cmyk;
      break;
    default:
      kind = PixelKind::Rgb;
      break;
  }
  const bool inverted = kind == PixelKind::Cmyk && info.adobeMarker;
  IccToSrgb profile(info.iccProfile, kind, inverted);
  // Without a profile a YCbCr source stays in YCbCr from decoder to encoder: the filter is linear,
  // and both colour conversions are saved.
  if (!profile.Valid() && info.color == SourceColor::YCbCr) kind = PixelKind::YCbCr;

  reader.Start(scaleNum, kind);
  const int channels = ChannelsOf(kind);
  const int decW = reader.OutputWidth();
  const int decH = reader.OutputHeight();
  Resampler resampler(decW, decH, info.width * scaleNum / 8.0, info.height * scaleNum / 8.0,
                      storedOutW, storedOutH, channels);
  // The decoder writes straight into the resampler's ring of input rows.
  unsigned char* rows[Resampler::kBandRows];
  while (resampler.RowsIn() < decH) {
    for (int k = 0; k < Resampler::kBandRows; ++k) rows[k] = resampler.InputRow(k);
    const int got = reader.ReadRows(rows, Resampler::kBandRows);
    if (got <= 0) {
      throw TvError("Cannot read picture " + sourcePath + ": the picture data ends early");
    }
    resampler.RowsWritten(got);
  }

  std::vector<unsigned char> pixels =
      Orient(std::move(resampler.Result()), storedOutW, storedOutH, channels, info.orientation);
  const size_t count = static_cast<size_t>(outW) * outH;
  PixelKind encodeKind = PixelKind::Rgb;
  if (profile.Valid()) {
    std::vector<unsigned char> rgb(count * 3);
    profile.Apply(pixels.data(), rgb.data(), count);
    pixels.swap(rgb);
  } else if (kind == PixelKind::Cmyk) {
    pixels = CmykToRgb(pixels, inverted);
  } else if (kind == PixelKind::Gray) {
    pixels = GrayToYCbCr(pixels);
    encodeKind = PixelKind::YCbCr;
  } else {
    encodeKind = kind;
  }
  TScaledImage result;
  result.width = outW;
  result.height = outH;
  result.jpeg = EncodeJpeg(pixels.data(), outW, outH, encodeKind, kQuality, sourcePath);
  return result;
}

}  // namespace

TScaledImage ScaleJpegFile(const std::string& sourcePath, int targetHeight) {
  const std::filesystem::path fsPath = fileutil::FsPath(sourcePath);
  std::error_code ec;
  if (!std::filesystem::exists(fsPath, ec)) {
    throw TvError("Cannot read picture " + sourcePath + ": file not found");
  }
  if (std::filesystem::is_directory(fsPath, ec)) {
    throw TvError("Cannot read picture " + sourcePath + ": it is a folder, not a file");
  }
#ifdef _WIN32
  std::FILE* file = _wfopen(fsPath.c_str(), L"rb");
#else
  std::FILE* file = std::fopen(sourcePath.c_str(), "rb");
#endif
  if (!file) {
    throw TvError("Cannot read picture " + sourcePath + ": " + std::strerror(errno));
  }
  struct Closer {
    std::FILE* file;
    ~Closer() { std::fclose(file); }
  } closer{file};
  JpegReader reader(sourcePath, file, DecoderLimits());
  return ScalePicture(reader, sourcePath, targetHeight);
}

TScaledImage ScaleJpegData(const std::string& bytes, const std::string& name, int targetHeight) {
  JpegReader reader(name, bytes, DecoderLimits());
  return ScalePicture(reader, name, targetHeight);
}
