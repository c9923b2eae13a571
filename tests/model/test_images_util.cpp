#include "test_images_util.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

// clang-format off
#include <jpeglib.h>
// clang-format on

namespace imagetest {

namespace {

int ChannelsOf(Layout layout) { return layout == Layout::Rgb ? 3 : layout == Layout::Gray ? 1 : 4; }

std::vector<unsigned char> ExifSegment(int orientation, bool bigEndian) {
  std::vector<unsigned char> s = {'E', 'x', 'i', 'f', 0, 0};
  auto put16 = [&](unsigned v) {
    if (bigEndian) {
      s.push_back(static_cast<unsigned char>(v >> 8));
      s.push_back(static_cast<unsigned char>(v));
    } else {
      s.push_back(static_cast<unsigned char>(v));
      s.push_back(static_cast<unsigned char>(v >> 8));
    }
  };
  auto put32 = [&](unsigned v) {
    if (bigEndian) {
      put16(v >> 16);
      put16(v & 0xFFFF);
    } else {
      put16(v & 0xFFFF);
      put16(v >> 16);
    }
  };
  s.push_back(bigEndian ? 'M' : 'I');
  s.push_back(bigEndian ? 'M' : 'I');
  put16(42);
  put32(8);  // the first directory follows the header
  put16(2);  // two entries: a resolution unit before the orientation
  put16(0x0128);
  put16(3);
  put32(1);
  put16(2);
  put16(0);
  put16(0x0112);
  put16(3);
  put32(1);
  put16(static_cast<unsigned>(orientation));
  put16(0);
  put32(0);  // no next directory
  return s;
}

}  // namespace

Picture Quadrants(int width, int height, const std::vector<unsigned char> (&colors)[4],
                  Layout layout) {
  Picture p{width, height, layout, {}};
  const int ch = ChannelsOf(layout);
  p.pixels.resize(static_cast<size_t>(width) * height * ch);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int q = (y < height / 2 ? 0 : 2) + (x < width / 2 ? 0 : 1);
      for (int c = 0; c < ch; ++c)
        p.pixels[(static_cast<size_t>(y) * width + x) * ch + c] = colors[q][c];
    }
  }
  return p;
}

Picture Noise(int width, int height, int seed) {
  Picture p{width, height, Layout::Rgb, {}};
  std::mt19937 random(static_cast<unsigned>(seed));
  p.pixels.resize(static_cast<size_t>(width) * height * 3);
  for (size_t i = 0; i < p.pixels.size(); ++i) {
    const size_t x = (i / 3) % width;
    p.pixels[i] = static_cast<unsigned char>((x * 7 + i % 3 * 60) % 256 / 2 + random() % 128);
  }
  return p;
}

std::vector<unsigned char> EncodePicture(const Picture& picture, const Extras& extras) {
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &out, &size);
  c.image_width = static_cast<JDIMENSION>(picture.width);
  c.image_height = static_cast<JDIMENSION>(picture.height);
  c.input_components = ChannelsOf(picture.layout);
  c.in_color_space = picture.layout == Layout::Rgb    ? JCS_RGB
                     : picture.layout == Layout::Gray ? JCS_GRAYSCALE
                                                      : JCS_CMYK;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 95, TRUE);
  if (extras.progressive) jpeg_simple_progression(&c);
  if (picture.layout == Layout::Cmyk) {
    jpeg_set_colorspace(&c, JCS_CMYK);
    c.write_Adobe_marker = extras.adobeCmyk;
  }
  jpeg_start_compress(&c, TRUE);
  if (extras.orientation > 0) {
    const std::vector<unsigned char> exif = ExifSegment(extras.orientation, extras.bigEndianExif);
    jpeg_write_marker(&c, JPEG_APP0 + 1, exif.data(), static_cast<unsigned>(exif.size()));
  }
  if (!extras.icc.empty()) {
    jpeg_write_icc_profile(&c, extras.icc.data(), static_cast<unsigned>(extras.icc.size()));
  }
  const size_t stride = static_cast<size_t>(picture.width) * c.input_components;
  while (c.next_scanline < c.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(picture.pixels.data() + c.next_scanline * stride);
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::vector<unsigned char> bytes(out, out + size);
  std::free(out);
  return bytes;
}

std::vector<int> Decoded::At(int x, int y) const {
  const size_t at = (static_cast<size_t>(y) * width + x) * 3;
  return {rgb[at], rgb[at + 1], rgb[at + 2]};
}

Decoded DecodeJpeg(const std::vector<unsigned char>& jpeg) {
  Decoded d;
  jpeg_decompress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_decompress(&c);
  jpeg_mem_src(&c, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
  jpeg_save_markers(&c, JPEG_APP0 + 1, 0xFFFF);
  jpeg_save_markers(&c, JPEG_APP0 + 2, 0xFFFF);
  jpeg_read_header(&c, TRUE);
  d.components = c.num_components;
  d.ycbcr = c.jpeg_color_space == JCS_YCbCr;
  d.baseline = !c.progressive_mode && !c.arith_code;
  d.jfif = c.saw_JFIF_marker;
  d.hasExifOrIcc = c.marker_list != nullptr;
  c.out_color_space = JCS_RGB;
  jpeg_start_decompress(&c);
  d.width = static_cast<int>(c.output_width);
  d.height = static_cast<int>(c.output_height);
  d.rgb.resize(static_cast<size_t>(d.width) * d.height * 3);
  while (c.output_scanline < c.output_height) {
    JSAMPROW row = d.rgb.data() + static_cast<size_t>(c.output_scanline) * d.width * 3;
    jpeg_read_scanlines(&c, &row, 1);
  }
  jpeg_finish_decompress(&c);
  jpeg_destroy_decompress(&c);
  return d;
}

ScratchDir::ScratchDir() {
  static int counter = 0;
  const auto dir = std::filesystem::temp_directory_path() /
                   ("torvane-images-" + std::to_string(std::random_device{}()) + "-" +
                    std::to_string(++counter));
  std::filesystem::create_directories(dir);
  dir_ = dir.string();
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  std::filesystem::remove_all(dir_, ec);
}

std::string ScratchDir::Path(const std::string& name) const { return dir_ + "/" + name; }

std::string ScratchDir::Write(const std::string& name,
                              const std::vector<unsigned char>& bytes) const {
  const std::string path = Path(name);
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return path;
}

}  // namespace imagetest
