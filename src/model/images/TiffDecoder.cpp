// TIFF sources through libtiff (the first picture of the file). Strips of 8- or 16-bit grey or
// RGB samples, with or without alpha, are read row by row as the scaler takes them; everything
// else (tiles, palettes, CMYK, YCbCr, bit depths below 8) goes through libtiff's RGBA reader,
// which needs the whole picture at once. The Orientation tag gives the orientation, the
// ICCProfile tag the colour profile.
#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "images/ImageScaler.h"
#include "images/PictureDecoder.h"

namespace images {
namespace {

tsize_t ReadProc(thandle_t h, tdata_t to, tsize_t count) {
  return static_cast<tsize_t>(static_cast<TPictureInput*>(h)->Read(to, static_cast<size_t>(count)));
}
tsize_t WriteProc(thandle_t, tdata_t, tsize_t) { return 0; }
toff_t SeekProc(thandle_t h, toff_t offset, int whence) {
  auto* in = static_cast<TPictureInput*>(h);
  unsigned long long to = offset;
  if (whence == SEEK_CUR) to += in->Tell();
  if (whence == SEEK_END) to += in->Size();
  return in->Seek(to) ? to : static_cast<toff_t>(-1);
}
int CloseProc(thandle_t) { return 0; }
toff_t SizeProc(thandle_t h) { return static_cast<TPictureInput*>(h)->Size(); }
int MapProc(thandle_t, tdata_t*, toff_t*) { return 0; }
void UnmapProc(thandle_t, tdata_t, toff_t) {}

int OnError(TIFF*, void* user, const char*, const char* format, va_list args) {
  auto* message = static_cast<std::string*>(user);
  if (message->empty()) {
    char text[256];
    std::vsnprintf(text, sizeof text, format, args);
    *message = text;
  }
  return 1;
}
int OnWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

class TiffDecoder : public TWholePictureDecoder {
 public:
  explicit TiffDecoder(TPictureInput& input) : path_(input.Path()), input_(&input) {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, kPictureMemoryLimit);
    TIFFOpenOptionsSetErrorHandlerExtR(options, OnError, &message_);
    TIFFOpenOptionsSetWarningHandlerExtR(options, OnWarning, nullptr);
    tiff_.reset(TIFFClientOpenExt(path_.c_str(), "rm", &input, ReadProc, WriteProc, SeekProc,
                                  CloseProc, SizeProc, MapProc, UnmapProc, options));
    TIFFOpenOptionsFree(options);
    if (!tiff_) Fail(TV_MESSAGE("model", "damaged or unsupported TIFF data"));
    TIFF* t = tiff_.get();
    uint32_t width = 0, height = 0;
    TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(t, TIFFTAG_IMAGELENGTH, &height);
    if (width == 0 || height == 0 || width > 0x7fffffff || height > 0x7fffffff) {
      Fail(TV_MESSAGE("model", "damaged TIFF data (no picture size)"));
    }
    header_.width = static_cast<int>(width);
    header_.height = static_cast<int>(height);
    input.AllowData(StoredBytes(t));
    uint16_t orientation = ORIENTATION_TOPLEFT;
    TIFFGetFieldDefaulted(t, TIFFTAG_ORIENTATION, &orientation);
    header_.orientation = orientation >= 1 && orientation <= 8 ? orientation : 1;
    uint32_t iccSize = 0;
    void* icc = nullptr;
    if (TIFFGetField(t, TIFFTAG_ICCPROFILE, &iccSize, &icc) && icc) {
      const auto* bytes = static_cast<const unsigned char*>(icc);
      header_.iccProfile.assign(bytes, bytes + iccSize);
    }
    uint16_t bits = 1, samples = 1, photometric = 0, planar = PLANARCONFIG_CONTIG;
    uint16_t extraCount = 0;
    uint16_t* extra = nullptr;
    TIFFGetFieldDefaulted(t, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(t, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(t, TIFFTAG_EXTRASAMPLES, &extraCount, &extra);
    const bool hasPhotometric = TIFFGetField(t, TIFFTAG_PHOTOMETRIC, &photometric) != 0;
    const int colours = photometric == PHOTOMETRIC_RGB ? 3 : 1;
    const bool simple = hasPhotometric && !TIFFIsTiled(t) && planar == PLANARCONFIG_CONTIG &&
                        (bits == 8 || bits == 16) &&
                        (photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_RGB) &&
                        (samples == colours || samples == colours + 1);
    if (simple) {
      bits_ = bits;
      samples_ = samples;
      const bool alpha = samples == colours + 1 && extraCount >= 1 &&
                         (extra[0] == EXTRASAMPLE_ASSOCALPHA || extra[0] == EXTRASAMPLE_UNASSALPHA);
      alphaSample_ = samples == colours + 1 ? (alpha ? colours : -1) : -1;
      header_.premultiplied = alpha && extra[0] == EXTRASAMPLE_ASSOCALPHA;
      header_.channels = alpha ? 4 : colours;
      // The row buffer is made on the first read: the declared size is checked before that.
      header_.wholeBytes =
          SizeProduct({2, SizeSum({Capped(TIFFStripSize64(t)), Capped(TIFFScanlineSize64(t))})});
      return;
    }
    char problem[1024];
    if (!TIFFRGBAImageOK(t, problem))
      Fail(TV_MESSAGE("model", "unsupported kind of TIFF (%1)").Arg(problem));
    // libtiff's reader turns every other kind into premultiplied RGBA, held whole.
    header_.channels = 4;
    header_.premultiplied = true;
    header_.wholeBytes = SizeProduct({width, height, 8});
  }

  int ReadRows(unsigned char* const* rows, int maxRows) override {
    if (samples_ == 0) return TWholePictureDecoder::ReadRows(rows, maxRows);
    if (scanline_.empty()) scanline_.resize(static_cast<size_t>(TIFFScanlineSize64(tiff_.get())));
    int n = 0;
    for (; n < maxRows && row_ < header_.height; ++n, ++row_) {
      if (TIFFReadScanline(tiff_.get(), scanline_.data(), static_cast<uint32_t>(row_), 0) < 0) {
        Fail(TV_MESSAGE("model", "the picture data is corrupt or truncated"));
      }
      ConvertRow(rows[n]);
    }
    return n;
  }

 protected:
  void DecodeAll(std::vector<unsigned char>& pixels) override {
    TIFFRGBAImage image;
    char problem[1024];
    if (!TIFFRGBAImageBegin(&image, tiff_.get(), 0, problem)) {
      Fail(TV_MESSAGE("model", "unsupported kind of TIFF (%1)").Arg(problem));
    }
    // Rows as stored: the orientation is applied after scaling, like that of other formats.
    // libtiff counts the transposed orientations with their untransposed partners.
    const int o = header_.orientation;
    image.req_orientation = static_cast<uint16_t>(o > 4 ? o - 4 : o);
    std::vector<uint32_t> raster(static_cast<size_t>(header_.width) * header_.height);
    const int ok = TIFFRGBAImageGet(&image, raster.data(), static_cast<uint32_t>(header_.width),
                                    static_cast<uint32_t>(header_.height));
    TIFFRGBAImageEnd(&image);
    if (!ok) Fail(TV_MESSAGE("model", "the picture data is corrupt or truncated"));
    pixels.resize(raster.size() * 4);
    for (size_t i = 0; i < raster.size(); ++i) {
      pixels[4 * i] = static_cast<unsigned char>(TIFFGetR(raster[i]));
      pixels[4 * i + 1] = static_cast<unsigned char>(TIFFGetG(raster[i]));
      pixels[4 * i + 2] = static_cast<unsigned char>(TIFFGetB(raster[i]));
      pixels[4 * i + 3] = static_cast<unsigned char>(TIFFGetA(raster[i]));
    }
  }

 private:
  // One stored row to 8-bit grey, RGB or RGBA; grey with alpha becomes RGBA.
  void ConvertRow(unsigned char* out) const {
    if (bits_ == 8 && samples_ == header_.channels) {  // stored as handed out
      std::memcpy(out, scanline_.data(), static_cast<size_t>(header_.width) * samples_);
      return;
    }
    const int colours = header_.channels == 4 ? (alphaSample_ == 1 ? 1 : 3) : header_.channels;
    const auto* wide = reinterpret_cast<const uint16_t*>(scanline_.data());
    auto sample = [&](size_t i) -> unsigned char {
      return bits_ == 16 ? Round16To8(wide[i]) : scanline_[i];
    };
    for (int x = 0; x < header_.width; ++x) {
      const size_t in = static_cast<size_t>(x) * samples_;
      unsigned char* px = out + static_cast<size_t>(x) * header_.channels;
      for (int c = 0; c < header_.channels; ++c) {
        const bool alphaOut = header_.channels == 4 && c == 3;
        px[c] = sample(in + (alphaOut ? alphaSample_ : std::min(c, colours - 1)));
      }
    }
  }

  // What the strips or tiles declare, uncompressed, as a whole.
  static long long StoredBytes(TIFF* t) {
    const bool tiled = TIFFIsTiled(t) != 0;
    return SizeProduct({tiled ? TIFFNumberOfTiles(t) : TIFFNumberOfStrips(t),
                        Capped(tiled ? TIFFTileSize64(t) : TIFFStripSize64(t))});
  }

  // A size libtiff gives as 64 bits without sign, for SizeProduct and SizeSum.
  static long long Capped(uint64_t bytes) {
    return static_cast<long long>(std::min<uint64_t>(bytes, kBeyondAnyLimit));
  }

  [[noreturn]] void Fail(const TMessage& what) const {
    if (input_->OverRead()) PictureFailure(path_, input_->OverReadText());
    PictureFailure(
        path_, message_.empty() ? what : TV_MESSAGE("model", "%1 (%2)").Arg(what).Arg(message_));
  }

  std::string path_;
  TPictureInput* input_;
  std::string message_;
  std::unique_ptr<TIFF, decltype(&TIFFClose)> tiff_{nullptr, TIFFClose};
  std::vector<unsigned char> scanline_;
  int bits_ = 8;
  int samples_ = 0;       // per stored pixel when read row by row; 0 for libtiff's RGBA reader
  int alphaSample_ = -1;  // which stored sample is alpha
  int row_ = 0;
};

}  // namespace

std::unique_ptr<TPictureDecoder> OpenTiff(TPictureInput& input) {
  return std::make_unique<TiffDecoder>(input);
}

}  // namespace images
