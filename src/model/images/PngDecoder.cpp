// PNG sources through libpng. libpng reports errors by longjmp: every call into it happens inside
// a small function that owns nothing needing a destructor, and the error is thrown only after
// that function has returned. Non-interlaced pictures are decoded row by row as the scaler takes
// them; interlaced ones need the whole picture at once.
#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include "images/ImageScaler.h"
#include "images/PictureDecoder.h"

namespace images {
namespace {

struct PngState {
  ~PngState() { png_destroy_read_struct(&png, &info, nullptr); }
  png_structp png = nullptr;
  png_infop info = nullptr;
  TPictureInput* input = nullptr;
  char message[256] = "";
  int passes = 1;
  int rowsRead = 0;
  long long storedRowBytes = 0;  // of a row as the file stores it
  bool headerOnly = false;       // a size no picture may have: only the header was read
};

[[noreturn]] void OnError(png_structp png, png_const_charp text) {
  auto* s = static_cast<PngState*>(png_get_error_ptr(png));
  std::snprintf(s->message, sizeof s->message, "%s", text);
  png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void ReadData(png_structp png, png_bytep to, size_t count) {
  auto* s = static_cast<PngState*>(png_get_io_ptr(png));
  if (s->input->Read(to, count) != count) png_error(png, "the file ends early");
}

// Reads the chunks before the picture data and sets up 8-bit grey, RGB or RGBA rows.
bool GuardedHeader(PngState* s) {
  if (setjmp(png_jmpbuf(s->png))) return false;
  png_set_read_fn(s->png, s, ReadData);
  // Our own limits apply to the declared size; profiles are taken as they stand.
  png_set_user_limits(s->png, 0x7fffffff, 0x7fffffff);
  png_set_option(s->png, PNG_SKIP_sRGB_CHECK_PROFILE, PNG_OPTION_ON);
  png_read_info(s->png, s->info);
  s->storedRowBytes = static_cast<long long>(png_get_rowbytes(s->png, s->info));
  // libpng makes its row buffers (up to 8 bytes a pixel, twice) as the transformations are set up
  // below: a declared size that no picture may have stops here, to be refused by the caller's
  // checks before anything of its size is allocated.
  const long long width = png_get_image_width(s->png, s->info);
  if (SizeProduct({width, png_get_image_height(s->png, s->info)}) > kMaxSourcePixels ||
      SizeProduct({width, 8, 2}) > kPictureMemoryLimit) {
    s->headerOnly = true;
    return true;
  }
  const int type = png_get_color_type(s->png, s->info);
  const bool alpha =
      (type & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(s->png, s->info, PNG_INFO_tRNS) != 0;
  png_set_expand(s->png);  // palettes, low bit depths and tRNS become 8-bit samples and alpha
  if (png_get_bit_depth(s->png, s->info) == 16) png_set_scale_16(s->png);  // rounded, not cut
  if (alpha && (type & PNG_COLOR_MASK_COLOR) == 0) png_set_gray_to_rgb(s->png);
  s->passes = png_set_interlace_handling(s->png);
  png_read_update_info(s->png, s->info);
  return true;
}

bool GuardedRows(PngState* s, unsigned char* const* rows, int count) {
  if (setjmp(png_jmpbuf(s->png))) return false;
  s->rowsRead = 0;
  for (int i = 0; i < count; ++i) {
    png_read_row(s->png, rows[i], nullptr);
    ++s->rowsRead;
  }
  return true;
}

bool GuardedImage(PngState* s, unsigned char** rows) {
  if (setjmp(png_jmpbuf(s->png))) return false;
  png_read_image(s->png, rows);
  return true;
}

class PngDecoder : public TWholePictureDecoder {
 public:
  explicit PngDecoder(TPictureInput& input) : path_(input.Path()) {
    s_.input = &input;
    s_.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &s_, OnError, OnWarning);
    if (s_.png) s_.info = png_create_info_struct(s_.png);
    if (!s_.png || !s_.info) PictureFailure(path_, TV_MESSAGE("model", "out of memory"));
    if (!GuardedHeader(&s_)) Fail();
    // Each row is stored after a filter byte.
    input.AllowData(SizeProduct(
        {s_.storedRowBytes + 1, static_cast<long long>(png_get_image_height(s_.png, s_.info))}));
    header_.width = static_cast<int>(png_get_image_width(s_.png, s_.info));
    header_.height = static_cast<int>(png_get_image_height(s_.png, s_.info));
    header_.channels = s_.headerOnly ? 4 : png_get_channels(s_.png, s_.info);
    png_charp name = nullptr;
    int compression = 0;
    png_bytep profile = nullptr;
    png_uint_32 length = 0;
    if (png_get_iCCP(s_.png, s_.info, &name, &compression, &profile, &length) != 0 && profile) {
      header_.iccProfile.assign(profile, profile + length);
    }
    png_bytep exif = nullptr;
    png_uint_32 exifLength = 0;
    if (png_get_eXIf_1(s_.png, s_.info, &exifLength, &exif) != 0 && exif) {
      header_.orientation = ExifBlockOrientation(exif, exifLength);
    }
    const long long rowBytes = static_cast<long long>(png_get_rowbytes(s_.png, s_.info));
    header_.wholeBytes = SizeProduct({rowBytes, s_.passes > 1 ? header_.height : 4});
  }

  int ReadRows(unsigned char* const* rows, int maxRows) override {
    if (s_.headerOnly)
      PictureFailure(path_, TV_MESSAGE("model", "the picture is too large to be decoded"));
    if (s_.passes > 1) return TWholePictureDecoder::ReadRows(rows, maxRows);
    const int count = std::min(maxRows, header_.height - next_);
    if (count <= 0) return 0;
    if (!GuardedRows(&s_, rows, count)) Fail();
    next_ += count;
    return count;
  }

 protected:
  void DecodeAll(std::vector<unsigned char>& pixels) override {
    const size_t stride = static_cast<size_t>(header_.width) * header_.channels;
    pixels.resize(stride * static_cast<size_t>(header_.height));
    std::vector<unsigned char*> rows(static_cast<size_t>(header_.height));
    for (size_t y = 0; y < rows.size(); ++y) rows[y] = pixels.data() + y * stride;
    if (!GuardedImage(&s_, rows.data())) Fail();
  }

 private:
  [[noreturn]] void Fail() {
    if (s_.input->OverRead()) PictureFailure(path_, s_.input->OverReadText());
    const std::string text = s_.message;
    if (text == "the file ends early" && next_ > 0) {
      PictureFailure(path_, TV_MESSAGE("model", "the picture data ends early"));
    }
    PictureFailure(path_, TV_MESSAGE("model", "damaged or unsupported PNG data (%1)").Arg(text));
  }

  std::string path_;
  PngState s_;
  int next_ = 0;
};

}  // namespace

std::unique_ptr<TPictureDecoder> OpenPng(TPictureInput& input) {
  return std::make_unique<PngDecoder>(input);
}

}  // namespace images
