#include "images/ImageScaler.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <utility>

#include "Errors.h"
#include "FileUtil.h"
#include "images/ColorConvert.h"
#include "images/JpegIo.h"
#include "images/Resampler.h"

using namespace images;

namespace {

constexpr int kQuality = 90;

std::string ReadPictureBytes(const std::string& path) {
  const std::filesystem::path fsPath = fileutil::FsPath(path);
  std::error_code ec;
  if (!std::filesystem::exists(fsPath, ec)) {
    throw TvError("Cannot read picture " + path + ": file not found");
  }
  if (std::filesystem::is_directory(fsPath, ec)) {
    throw TvError("Cannot read picture " + path + ": it is a folder, not a file");
  }
  std::ifstream in(fsPath, std::ios::binary);
  if (!in) {
    throw TvError("Cannot read picture " + path + ": " + std::strerror(errno));
  }
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  in.seekg(0, std::ios::beg);
  std::string bytes(size > 0 ? static_cast<size_t>(size) : 0, '\0');
  if (size < 0 || !in.read(bytes.data(), size)) {
    throw TvError("Cannot read picture " + path + ": read error");
  }
  return bytes;
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
  const float factor = static_cast<float>(height) / static_cast<float>(targetHeight);
  const float w = std::nearbyint(static_cast<float>(width) / factor);
  const float h = std::nearbyint(static_cast<float>(height) / factor);
  // Very wide or tall pictures keep at least one pixel in each direction.
  const double outW = std::max(1.0, static_cast<double>(w));
  const double outH = std::max(1.0, static_cast<double>(h));
  if (outW * outH > static_cast<double>(kMaxScaledPixels)) {
    throw TvError("A picture of " + std::to_string(width) + " x " + std::to_string(height) +
                  " pixels scaled to a height of " + std::to_string(targetHeight) +
                  " would exceed " + std::to_string(kMaxScaledPixels / 1000000) + " megapixels");
  }
  return {static_cast<int>(outW), static_cast<int>(outH)};
}

TScaledImage ScaleJpegFile(const std::string& sourcePath, int targetHeight) {
  const std::string bytes = ReadPictureBytes(sourcePath);
  JpegReader reader(sourcePath, bytes);
  const JpegSourceInfo& info = reader.Info();
  const bool swap = info.orientation >= 5;
  const int uprightW = swap ? info.height : info.width;
  const int uprightH = swap ? info.width : info.height;
  const auto [outW, outH] = ScaledSize(uprightW, uprightH, targetHeight);
  const int storedOutW = swap ? outH : outW;
  const int storedOutH = swap ? outW : outH;

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

  const int scaleNum = DecodeScaleNum(uprightH, targetHeight);
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
