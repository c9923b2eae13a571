#include "images/ImageScaler.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <tuple>
#include <utility>

#include "Errors.h"
#include "FileUtil.h"
#include "images/ColorConvert.h"
#include "images/JpegIo.h"
#include "images/Resampler.h"

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

// Refuses, before anything is decoded, a picture whose declared size exceeds the limits.
void CheckDeclaredSize(const JpegSourceInfo& info, const std::string& sourcePath) {
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
}

// The upright picture in sRGB: RGB samples, or YCbCr where that spares two conversions.
struct TUprightPixels {
  std::vector<unsigned char> pixels;
  PixelKind kind = PixelKind::Rgb;
};

// Decodes the picture of `reader` at scaleNum/8, scales it to the upright size outW x outH, turns
// it upright and converts its colours to sRGB. With `rgbOnly` the result is always RGB.
TUprightPixels DecodeUpright(JpegReader& reader, const std::string& sourcePath, int outW, int outH,
                             int scaleNum, bool rgbOnly) {
  const JpegSourceInfo& info = reader.Info();
  const bool swap = info.orientation >= 5;
  const int storedOutW = swap ? outH : outW;
  const int storedOutH = swap ? outW : outH;

  // What the picture will cost, counted before anything is decoded: the decoder's whole-picture
  // coefficients (multi-scan files only) and its rows, the resampler's ring of input rows, and
  // the result in its stages (scaled, turned, colour-converted, encoded).
  const long long estW = (static_cast<long long>(info.width) * scaleNum + 7) / 8;
  const long long estH = (static_cast<long long>(info.height) * scaleNum + 7) / 8;
  const long long ratio = estH / std::max(1, storedOutH) + 1;
  const long long ringRows = std::min(estH, 6 * ratio + 2 * Resampler::kBandRows + 8);
  const long long outPixels = static_cast<long long>(outW) * outH;
  const long long need =
      info.coefficientBytes + estW * 4 * (ringRows + 2 * 16) + outPixels * 14 + (4LL << 20);
  if (need > kPictureMemoryLimit || info.coefficientBytes > kPictureMemoryLimit) {
    throw TvError("Cannot read picture " + sourcePath + ": it declares " +
                  std::to_string(info.width) + " x " + std::to_string(info.height) + " pixels" +
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
  if (!profile.Valid()) {
    // Without a profile a YCbCr source stays in YCbCr from decoder to encoder: the filter is
    // linear, and both colour conversions are saved. A grey one the decoder expands when RGB is
    // wanted.
    if (!rgbOnly && info.color == SourceColor::YCbCr) kind = PixelKind::YCbCr;
    if (rgbOnly && kind == PixelKind::Gray) kind = PixelKind::Rgb;
  }

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

  TUprightPixels result;
  result.pixels =
      Orient(std::move(resampler.Result()), storedOutW, storedOutH, channels, info.orientation);
  const size_t count = static_cast<size_t>(outW) * outH;
  if (profile.Valid()) {
    std::vector<unsigned char> rgb(count * 3);
    profile.Apply(result.pixels.data(), rgb.data(), count);
    result.pixels.swap(rgb);
  } else if (kind == PixelKind::Cmyk) {
    result.pixels = CmykToRgb(result.pixels, inverted);
  } else if (kind == PixelKind::Gray) {
    result.pixels = GrayToYCbCr(result.pixels);
    result.kind = PixelKind::YCbCr;
  } else {
    result.kind = kind;
  }
  return result;
}

std::pair<int, int> UprightSize(const JpegSourceInfo& info) {
  return info.orientation >= 5 ? std::pair{info.height, info.width}
                               : std::pair{info.width, info.height};
}

TScaledImage ScalePicture(JpegReader& reader, const std::string& sourcePath, int targetHeight) {
  CheckDeclaredSize(reader.Info(), sourcePath);
  const auto [uprightW, uprightH] = UprightSize(reader.Info());
  const auto [outW, outH] = ScaledSize(uprightW, uprightH, targetHeight);
  const TUprightPixels upright =
      DecodeUpright(reader, sourcePath, outW, outH, DecodeScaleNum(uprightH, targetHeight), false);
  TScaledImage result;
  result.width = outW;
  result.height = outH;
  result.jpeg = EncodeJpeg(upright.pixels.data(), outW, outH, upright.kind, kQuality, sourcePath);
  return result;
}

// Opens the JPEG file at sourcePath for reading in pieces and hands its reader to `use`.
template <typename Use>
auto WithJpegFile(const std::string& sourcePath, Use&& use) {
  const std::filesystem::path fsPath = fileutil::FsPath(sourcePath);
  std::error_code ec;
  if (!std::filesystem::exists(fsPath, ec)) {
    throw TvError("Cannot read picture " + sourcePath + ": file not found");
  }
  if (std::filesystem::is_directory(fsPath, ec)) {
    throw TvError("Cannot read picture " + sourcePath + ": it is a folder, not a file");
  }
  // Opening a pipe or a device could wait for ever.
  if (!std::filesystem::is_regular_file(fsPath, ec)) {
    throw TvError("Cannot read picture " + sourcePath + ": it is not a regular file");
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
  return use(reader);
}

}  // namespace

TScaledImage ScaleJpegFile(const std::string& sourcePath, int targetHeight) {
  return WithJpegFile(sourcePath, [&](JpegReader& reader) {
    return ScalePicture(reader, sourcePath, targetHeight);
  });
}

std::pair<int, int> UprightPictureSize(const std::string& sourcePath) {
  return WithJpegFile(sourcePath, [&](JpegReader& reader) {
    CheckDeclaredSize(reader.Info(), sourcePath);
    return UprightSize(reader.Info());
  });
}

TDecodedPicture DecodePictureFile(const std::string& sourcePath, int targetHeight) {
  return WithJpegFile(sourcePath, [&](JpegReader& reader) {
    CheckDeclaredSize(reader.Info(), sourcePath);
    const auto [uprightW, uprightH] = UprightSize(reader.Info());
    TDecodedPicture result;
    std::tie(result.width, result.height) = ScaledSize(uprightW, uprightH, targetHeight);
    result.rgb = DecodeUpright(reader, sourcePath, result.width, result.height,
                               DecodeScaleNum(uprightH, targetHeight), true)
                     .pixels;
    return result;
  });
}

TScaledImage ScaleJpegData(const std::string& bytes, const std::string& name, int targetHeight) {
  JpegReader reader(name, bytes, DecoderLimits());
  return ScalePicture(reader, name, targetHeight);
}
