#include "images/PngWrite.h"

#include <png.h>

#include <csetjmp>

#include "Errors.h"

namespace images {

namespace {

void Append(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<unsigned char>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void Flush(png_structp) {}

// libpng reports errors by longjmp: nothing here owns anything needing a destructor.
bool GuardedEncode(png_structp png, png_infop info, const unsigned char* pixels, int width,
                   int height, int channels, png_textp texts, int textCount,
                   std::vector<unsigned char>* out) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_write_fn(png, out, Append, Flush);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               channels == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (textCount > 0) png_set_text(png, info, texts, textCount);
  png_write_info(png, info);
  const size_t stride = static_cast<size_t>(width) * channels;
  for (int y = 0; y < height; ++y) {
    png_write_row(png, const_cast<png_bytep>(pixels + stride * static_cast<size_t>(y)));
  }
  png_write_end(png, info);
  return true;
}

}  // namespace

std::vector<unsigned char> EncodePng(const unsigned char* pixels, int width, int height,
                                     int channels,
                                     const std::vector<std::pair<std::string, std::string>>& texts,
                                     const std::string& name) {
  if (width < 1 || height < 1 || (channels != 3 && channels != 4)) {
    throw TvError(TV_MESSAGE("model", "Cannot write picture %1: no pixels to write").Arg(name));
  }
  std::vector<png_text> chunks(texts.size());
  for (size_t i = 0; i < texts.size(); ++i) {
    chunks[i].compression = PNG_TEXT_COMPRESSION_NONE;
    chunks[i].key = const_cast<char*>(texts[i].first.c_str());
    chunks[i].text = const_cast<char*>(texts[i].second.c_str());
    chunks[i].text_length = texts[i].second.size();
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  std::vector<unsigned char> out;
  const bool ok = info && GuardedEncode(png, info, pixels, width, height, channels, chunks.data(),
                                        static_cast<int>(chunks.size()), &out);
  png_destroy_write_struct(&png, info ? &info : nullptr);
  if (!ok)
    throw TvError(TV_MESSAGE("model", "Cannot write picture %1: the PNG encoder failed").Arg(name));
  return out;
}

}  // namespace images
