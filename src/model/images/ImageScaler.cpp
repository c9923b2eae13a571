#include "images/ImageScaler.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <utility>

#include "Errors.h"
#include "FileUtil.h"
#include "images/ColorConvert.h"
#include "images/JpegIo.h"
#include "images/ModernEncode.h"
#include "images/PictureDecoder.h"
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

long long Megabytes(long long bytes) { return (bytes + (1 << 20) - 1) >> 20; }

JpegLimits DecoderLimits(const TCancelToken* cancel = nullptr) {
  JpegLimits limits;
  limits.maxMemory = kPictureMemoryLimit;
  limits.maxScans = kMaxScans;
  limits.maxWork = kMaxDecodeBlocks;
  limits.maxHeaderBytes = kMaxHeaderBytes;
  limits.maxBytesPerSample = kMaxBytesPerSample;
  limits.cancel = cancel;
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
    throw TvError(TV_MESSAGE("model", "The slider height must be at least 1 pixel (it is %1)")
                      .Arg(targetHeight));
  }
  if (width < 1 || height < 1) {
    throw TvError(
        TV_MESSAGE("model", "A picture of %1 x %2 pixels cannot be scaled").Arg(width).Arg(height));
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
    throw TvError(TV_MESSAGE("model",
                             "A picture of %L1 x %L2 pixels scaled to a height of %L3 would "
                             "exceed %L4 megapixels")
                      .Arg(width)
                      .Arg(height)
                      .Arg(targetHeight)
                      .Arg(kMaxScaledPixels / 1000000));
  }
  return {static_cast<int>(outW), static_cast<int>(outH)};
}

namespace {

// A scaled picture before it is encoded: outW x outH samples of `kind`.
struct TScaledPixels {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> pixels;
  PixelKind kind = PixelKind::Rgb;
  bool usedBackground = false;
};

TMessage Declared(int width, int height) {
  return TV_MESSAGE("model", "%L1 x %L2 pixels").Arg(width).Arg(height);
}

void CheckDeclaredSize(const std::string& sourcePath, int width, int height) {
  if (static_cast<long long>(width) * height > kMaxSourcePixels) {
    throw TvError(
        CannotReadPicture(sourcePath, TV_MESSAGE("model",
                                                 "it declares %1, more than the %L2 megapixels "
                                                 "a picture may have")
                                          .Arg(Declared(width, height))
                                          .Arg(kMaxSourcePixels / 1000000)));
  }
}

// What a picture will cost, counted before anything is decoded: what the decoder holds for the
// whole picture (`held`) and its rows (decW x decH after any decoder scaling), the resampler's
// ring of input rows, and the result in its stages (scaled, turned, colour-converted, encoded).
long long ScaleMemory(long long decW, long long decH, int storedOutH, long long outPixels,
                      long long held) {
  const long long ratio = decH / std::max(1, storedOutH) + 1;
  const long long ringRows = std::min(decH, 6 * ratio + 2 * Resampler::kBandRows + 8);
  return held + decW * 4 * (ringRows + 2 * 16) + outPixels * 14 + (4LL << 20);
}

void CheckMemory(const std::string& sourcePath, int width, int height, bool severalScans,
                 long long need, long long held) {
  if (need > kPictureMemoryLimit || held > kPictureMemoryLimit) {
    throw TvError(CannotReadPicture(
        sourcePath, (severalScans ? TV_MESSAGE("model",
                                               "it declares %1 in several scans, which would need "
                                               "about %L2 MB to scale, more than the %L3 MB a "
                                               "picture may use")
                                  : TV_MESSAGE("model",
                                               "it declares %1, which would need about %L2 MB to "
                                               "scale, more than the %L3 MB a picture may use"))
                        .Arg(Declared(width, height))
                        .Arg(Megabytes(need))
                        .Arg(Megabytes(kPictureMemoryLimit))));
  }
}

// The scaled pixels of the stored picture turned upright and brought to sRGB (grey stays grey,
// as YCbCr). `profile` is the source's, not yet applied.
void FinishColours(TScaledPixels& out, int storedW, int storedH, int channels, int orientation,
                   const IccToSrgb& profile, PixelKind kind, bool inverted) {
  out.pixels = Orient(std::move(out.pixels), storedW, storedH, channels, orientation);
  const size_t count = static_cast<size_t>(out.width) * out.height;
  out.kind = PixelKind::Rgb;
  if (profile.Valid()) {
    std::vector<unsigned char> rgb(count * 3);
    profile.Apply(out.pixels.data(), rgb.data(), count);
    out.pixels.swap(rgb);
  } else if (kind == PixelKind::Cmyk) {
    out.pixels = CmykToRgb(out.pixels, inverted);
  } else if (kind == PixelKind::Gray) {
    out.pixels = GrayToYCbCr(out.pixels);
    out.kind = PixelKind::YCbCr;
  } else {
    out.kind = kind;
  }
}

// The size of the scaled picture, upright and as stored (before the orientation is applied; for
// orientations 5..8 width and height trade places), and the source's upright height.
struct TSizes {
  int outW, outH, storedOutW, storedOutH, uprightH;
};

TSizes SizesOf(int width, int height, int orientation, int targetHeight) {
  const bool swap = orientation >= 5;
  const auto [outW, outH] = ScaledSize(swap ? height : width, swap ? width : height, targetHeight);
  return {outW, outH, swap ? outH : outW, swap ? outW : outH, swap ? width : height};
}

TScaledPixels ScaleJpeg(JpegReader& reader, const std::string& sourcePath, int targetHeight,
                        const TScaleOptions& options) {
  const JpegSourceInfo& info = reader.Info();
  CheckDeclaredSize(sourcePath, info.width, info.height);
  if (info.arithmetic &&
      static_cast<long long>(info.width) * info.height > kMaxArithmeticSourcePixels) {
    throw TvError(
        CannotReadPicture(sourcePath, TV_MESSAGE("model",
                                                 "it declares %1 in arithmetic coding, more "
                                                 "than the %L2 megapixels such a picture may "
                                                 "have")
                                          .Arg(Declared(info.width, info.height))
                                          .Arg(kMaxArithmeticSourcePixels / 1000000)));
  }
  const TSizes sizes = SizesOf(info.width, info.height, info.orientation, targetHeight);
  if (options.neverEnlarge && sizes.uprightH < targetHeight) return {};
  const auto [outW, outH, storedOutW, storedOutH, uprightH] = sizes;
  const int scaleNum = DecodeScaleNum(uprightH, targetHeight);

  // The decoder's whole-picture coefficients (multi-scan files only) and its rows.
  const long long estW = (static_cast<long long>(info.width) * scaleNum + 7) / 8;
  const long long estH = (static_cast<long long>(info.height) * scaleNum + 7) / 8;
  const long long need = ScaleMemory(estW, estH, storedOutH, static_cast<long long>(outW) * outH,
                                     info.coefficientBytes);
  CheckMemory(sourcePath, info.width, info.height, info.multiScan, need, info.coefficientBytes);
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
    ThrowIfCancelled(options.cancel);
    for (int k = 0; k < Resampler::kBandRows; ++k) rows[k] = resampler.InputRow(k);
    const int got = reader.ReadRows(rows, Resampler::kBandRows);
    if (got <= 0) {
      throw TvError(
          CannotReadPicture(sourcePath, TV_MESSAGE("model", "the picture data ends early")));
    }
    resampler.RowsWritten(got);
  }

  TScaledPixels out;
  out.width = outW;
  out.height = outH;
  out.pixels = std::move(resampler.Result());
  FinishColours(out, storedOutW, storedOutH, channels, info.orientation, profile, kind, inverted);
  return out;
}

// Averages blocks of `block` x `block` pixels (fewer at the right and bottom edges) as rows
// arrive, and hands each finished row of averages to the resampler. A block of 1 passes rows on.
class TBoxShrink {
 public:
  TBoxShrink(int width, int height, int channels, int block)
      : width_(width),
        height_(height),
        channels_(channels),
        block_(block),
        sums_(static_cast<size_t>(Width()) * channels, 0) {}
  int Width() const { return (width_ + block_ - 1) / block_; }
  int Height() const { return (height_ + block_ - 1) / block_; }

  void Push(const unsigned char* row, Resampler& resampler) {
    if (block_ == 1) {
      resampler.PushRows(&row, 1);
      return;
    }
    for (int bx = 0, x = 0; x < width_; ++bx) {
      uint32_t* sum = sums_.data() + static_cast<size_t>(bx) * channels_;
      const int end = std::min(width_, x + block_);
      for (; x < end; ++x) {
        for (int c = 0; c < channels_; ++c) sum[c] += row[static_cast<size_t>(x) * channels_ + c];
      }
    }
    ++rowsIn_;
    if (rowsIn_ % block_ != 0 && rowsIn_ != height_) return;
    const int blockRows = rowsIn_ % block_ == 0 ? block_ : rowsIn_ % block_;
    unsigned char* out = resampler.InputRow(0);
    for (int bx = 0; bx < Width(); ++bx) {
      const uint32_t area =
          static_cast<uint32_t>(blockRows * (std::min(width_, (bx + 1) * block_) - bx * block_));
      for (int c = 0; c < channels_; ++c) {
        uint32_t& sum = sums_[static_cast<size_t>(bx) * channels_ + c];
        out[static_cast<size_t>(bx) * channels_ + c] =
            static_cast<unsigned char>((sum + area / 2) / area);
        sum = 0;
      }
    }
    resampler.RowsWritten(1);
  }

 private:
  int width_, height_, channels_, block_;
  std::vector<uint32_t> sums_;
  int rowsIn_ = 0;
};

// One decoded row of RGBA brought to sRGB and laid onto the background: `rgb` is scratch room
// for width pixels.
void CompositeRow(const unsigned char* rgba, int width, const IccToSrgb& profile,
                  bool premultiplied, const unsigned char (&background)[3], unsigned char* rgb,
                  unsigned char* out) {
  for (int x = 0; x < width; ++x) std::memcpy(rgb + 3 * x, rgba + 4 * x, 3);
  if (profile.Valid()) {
    profile.Apply(rgb, out, static_cast<size_t>(width));
  } else {
    std::memcpy(out, rgb, static_cast<size_t>(width) * 3);
  }
  for (int x = 0; x < width; ++x) {
    const unsigned a = rgba[4 * x + 3];
    for (int c = 0; c < 3; ++c) {
      const unsigned v = out[3 * x + c];
      const unsigned mixed = (premultiplied ? v * 255 : v * a) + background[c] * (255 - a);
      out[3 * x + c] = static_cast<unsigned char>(std::min(255u, (mixed + 127) / 255));
    }
  }
}

TScaledPixels ScaleDecoded(TPictureDecoder& decoder, const std::string& sourcePath,
                           int targetHeight, const TScaleOptions& options) {
  const TPictureHeader& info = decoder.Header();
  const int declaredW = info.width;
  const int declaredH = info.height;
  CheckDeclaredSize(sourcePath, declaredW, declaredH);
  const TSizes sizes = SizesOf(info.width, info.height, info.orientation, targetHeight);
  if (options.neverEnlarge && sizes.uprightH < targetHeight) return {};
  const auto [outW, outH, storedOutW, storedOutH, uprightH] = sizes;
  // Like the DCT scales of JPEG: at least twice the size the slider needs is left to the filter.
  decoder.ReduceTo(2 * storedOutW, 2 * storedOutH);
  const bool alpha = info.channels == 4;
  const long long rowBytes = static_cast<long long>(info.width) * info.channels;
  const long long need =
      ScaleMemory(info.width, info.height, storedOutH, static_cast<long long>(outW) * outH,
                  info.wholeBytes + rowBytes * (Resampler::kBandRows + 8));
  CheckMemory(sourcePath, declaredW, declaredH, false, need, info.wholeBytes);
  TReservation reservation(need);

  const PixelKind kind = info.channels == 1 ? PixelKind::Gray : PixelKind::Rgb;
  const IccToSrgb profile(info.iccProfile, kind, false);
  // Pictures with alpha are brought to sRGB and composited row by row, before scaling, so that
  // the colours of transparent pixels never bleed into their neighbours.
  const int channels = alpha ? 3 : info.channels;
  const unsigned char background[3] = {static_cast<unsigned char>(options.background >> 16),
                                       static_cast<unsigned char>(options.background >> 8),
                                       static_cast<unsigned char>(options.background)};
  // Blocks are averaged down to no less than three times the size the slider needs (as JPEG
  // pictures are reduced by their DCT scales); the filter does the rest.
  const int block =
      std::max(1, std::min(info.width / (3 * storedOutW), info.height / (3 * storedOutH)));
  TBoxShrink shrink(info.width, info.height, channels, block);
  Resampler resampler(shrink.Width(), shrink.Height(), info.width / static_cast<double>(block),
                      info.height / static_cast<double>(block), storedOutW, storedOutH, channels);
  // Rows go straight from the decoder into the resampler unless they are composited or averaged.
  const bool direct = !alpha && block == 1;
  std::vector<unsigned char> bandRows(
      direct ? 0 : static_cast<size_t>(rowBytes) * Resampler::kBandRows);
  std::vector<unsigned char> scratch(alpha ? static_cast<size_t>(info.width) * 6 : 0);
  unsigned char* rows[Resampler::kBandRows];
  for (int done = 0; done < info.height;) {
    ThrowIfCancelled(options.cancel);
    for (int k = 0; k < Resampler::kBandRows; ++k) {
      rows[k] =
          direct ? resampler.InputRow(k) : bandRows.data() + static_cast<size_t>(k) * rowBytes;
    }
    const int got = decoder.ReadRows(rows, Resampler::kBandRows);
    if (got <= 0) {
      throw TvError(
          CannotReadPicture(sourcePath, TV_MESSAGE("model", "the picture data ends early")));
    }
    done += got;
    if (direct) {
      resampler.RowsWritten(got);
      continue;
    }
    for (int k = 0; k < got; ++k) {
      const unsigned char* row = rows[k];
      if (alpha) {
        unsigned char* rgb = scratch.data() + static_cast<size_t>(info.width) * 3;
        CompositeRow(row, info.width, profile, info.premultiplied, background, scratch.data(), rgb);
        row = rgb;
      }
      shrink.Push(row, resampler);
    }
  }

  TScaledPixels out;
  out.width = outW;
  out.height = outH;
  out.pixels = std::move(resampler.Result());
  out.usedBackground = alpha;
  const IccToSrgb none({}, kind, false);
  FinishColours(out, storedOutW, storedOutH, channels, info.orientation, alpha ? none : profile,
                alpha ? PixelKind::Rgb : kind, false);
  return out;
}

// YCbCr JPEG pictures without a colour profile, and grey ones, stay in YCbCr from decoder to
// encoders; the display takes RGB.
void ToRgb(TScaledPixels& scaled) {
  if (scaled.kind != PixelKind::YCbCr) return;
  for (size_t i = 0; i + 2 < scaled.pixels.size(); i += 3) {
    const double y = scaled.pixels[i], cb = scaled.pixels[i + 1] - 128.0,
                 cr = scaled.pixels[i + 2] - 128.0;
    const double rgb[3] = {y + 1.402 * cr, y - 0.344136 * cb - 0.714136 * cr, y + 1.772 * cb};
    for (int c = 0; c < 3; ++c) {
      scaled.pixels[i + c] = static_cast<unsigned char>(std::clamp(std::lround(rgb[c]), 0L, 255L));
    }
  }
  scaled.kind = PixelKind::Rgb;
}

TScaledImage Encode(TScaledPixels&& scaled, const std::string& sourcePath, unsigned formats) {
  TScaledImage result;
  result.usedBackground = scaled.usedBackground;
  if (scaled.pixels.empty()) return result;  // not enlarged
  result.width = scaled.width;
  result.height = scaled.height;
  result.jpeg = EncodeJpeg(scaled.pixels.data(), scaled.width, scaled.height, scaled.kind, kQuality,
                           sourcePath);
  if ((formats & kWebpFormat) && scaled.width <= kMaxWebpSide && scaled.height <= kMaxWebpSide) {
    result.webp = EncodeWebp(scaled.pixels.data(), scaled.kind, scaled.width, scaled.height,
                             kWebpQuality, kWebpMethod, sourcePath);
  }
  if (formats & kAvifFormat) {
    result.avif = EncodeAvif(scaled.pixels.data(), scaled.kind, scaled.width, scaled.height,
                             kAvifQuality, AvifSpeedFor(scaled.width, scaled.height), sourcePath);
  }
  return result;
}

// An open picture file, its format told by its first bytes.
class TOpenPicture {
 public:
  explicit TOpenPicture(const std::string& sourcePath) : path_(sourcePath) {
    const std::filesystem::path fsPath = fileutil::FsPath(sourcePath);
    std::error_code ec;
    if (!std::filesystem::exists(fsPath, ec)) {
      throw TvError(CannotReadPicture(sourcePath, TV_MESSAGE("model", "file not found")));
    }
    if (std::filesystem::is_directory(fsPath, ec)) {
      throw TvError(
          CannotReadPicture(sourcePath, TV_MESSAGE("model", "it is a folder, not a file")));
    }
    // Opening a pipe or a device could wait for ever.
    if (!std::filesystem::is_regular_file(fsPath, ec)) {
      throw TvError(CannotReadPicture(sourcePath, TV_MESSAGE("model", "it is not a regular file")));
    }
    file_ = std::fopen(sourcePath.c_str(), "rb");
    if (!file_) {
      throw TvError(CannotReadPicture(sourcePath, TMessage::Verbatim(std::strerror(errno))));
    }
    unsigned char head[16];
    const size_t got = std::fread(head, 1, sizeof head, file_);
    std::rewind(file_);
    format_ = SniffFormat(head, got);
  }
  ~TOpenPicture() { std::fclose(file_); }
  TOpenPicture(const TOpenPicture&) = delete;
  TOpenPicture& operator=(const TOpenPicture&) = delete;

  PictureFormat Format() const { return format_; }
  std::FILE* File() const { return file_; }

 private:
  std::string path_;
  std::FILE* file_ = nullptr;
  PictureFormat format_ = PictureFormat::Unknown;
};

TScaledPixels ScaleFile(const std::string& sourcePath, int targetHeight,
                        const TScaleOptions& options) {
  ThrowIfCancelled(options.cancel);
  TOpenPicture picture(sourcePath);
  if (picture.Format() == PictureFormat::Jpeg) {
    JpegReader reader(sourcePath, picture.File(), DecoderLimits(options.cancel));
    return ScaleJpeg(reader, sourcePath, targetHeight, options);
  }
  TPictureInput input(sourcePath, picture.File());
  const std::unique_ptr<TPictureDecoder> decoder = OpenDecoder(picture.Format(), input);
  return ScaleDecoded(*decoder, sourcePath, targetHeight, options);
}

}  // namespace

TScaledImage ScaleJpegFile(const std::string& sourcePath, int targetHeight,
                           const TScaleOptions& options) {
  return Encode(ScaleFile(sourcePath, targetHeight, options), sourcePath, options.formats);
}

TScaledImage ScaleJpegData(const std::string& bytes, const std::string& name, int targetHeight,
                           const TScaleOptions& options) {
  const PictureFormat format =
      SniffFormat(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  if (format == PictureFormat::Jpeg) {
    JpegReader reader(name, bytes, DecoderLimits(options.cancel));
    return Encode(ScaleJpeg(reader, name, targetHeight, options), name, options.formats);
  }
  TPictureInput input(name, bytes);
  const std::unique_ptr<TPictureDecoder> decoder = OpenDecoder(format, input);
  return Encode(ScaleDecoded(*decoder, name, targetHeight, options), name, options.formats);
}

std::pair<int, int> UprightPictureSize(const std::string& sourcePath) {
  TOpenPicture picture(sourcePath);
  int width = 0, height = 0, orientation = 1;
  if (picture.Format() == PictureFormat::Jpeg) {
    const JpegReader reader(sourcePath, picture.File(), DecoderLimits());
    width = reader.Info().width;
    height = reader.Info().height;
    orientation = reader.Info().orientation;
  } else {
    TPictureInput input(sourcePath, picture.File());
    const std::unique_ptr<TPictureDecoder> decoder = OpenDecoder(picture.Format(), input);
    width = decoder->Header().width;
    height = decoder->Header().height;
    orientation = decoder->Header().orientation;
  }
  return orientation >= 5 ? std::make_pair(height, width) : std::make_pair(width, height);
}

TDecodedPicture DecodePictureFile(const std::string& sourcePath, int targetHeight,
                                  const TScaleOptions& options) {
  TScaledPixels scaled = ScaleFile(sourcePath, targetHeight, options);
  TDecodedPicture result;
  result.width = scaled.width;
  result.height = scaled.height;
  ToRgb(scaled);
  result.rgb = std::move(scaled.pixels);
  return result;
}

TScaledSamples ScalePictureSamples(const std::string& sourcePath, int targetHeight,
                                   const TScaleOptions& options) {
  TScaledPixels scaled = ScaleFile(sourcePath, targetHeight, options);
  return {scaled.width, scaled.height, std::move(scaled.pixels), scaled.kind};
}
