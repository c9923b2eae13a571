// Picture formats for the published slider: scales each photo to the slider height (the exact
// picture, written as a PNG reference) and encodes it as publishing does (from the same samples:
// YCbCr for a JPEG photo) as JPEG (quality 90), WebP and AVIF at the given qualities, printing per
// format and quality the bytes and encode time and writing each result decoded back to PNG, for
// bench/formats-quality.sh to measure (SSIM against the reference).
//   usage: formats_bench HEIGHT OUTDIR [--webp Q,Q..] [--avif Q,Q..] [--avif-speed S]
//                        [--webp-method M] PHOTO...
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

// clang-format off
#include <jpeglib.h>
// clang-format on
#include <libheif/heif.h>
#include <webp/decode.h>

#include "Errors.h"
#include "images/ImageScaler.h"
#include "images/JpegIo.h"
#include "images/ModernEncode.h"
#include "images/PngWrite.h"

namespace {

using TBytes = std::vector<unsigned char>;

std::vector<int> Numbers(const std::string& list) {
  std::vector<int> numbers;
  std::stringstream in(list);
  for (std::string item; std::getline(in, item, ',');) numbers.push_back(std::atoi(item.c_str()));
  return numbers;
}

void Save(const std::string& path, const TBytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

struct TJpegError {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

TBytes DecodeJpegRgb(const TBytes& jpeg) {
  jpeg_decompress_struct info;
  TJpegError error;
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = [](j_common_ptr c) {
    std::longjmp(reinterpret_cast<TJpegError*>(c->err)->jump, 1);
  };
  if (setjmp(error.jump)) {
    jpeg_destroy_decompress(&info);
    throw TvError("cannot decode a JPEG");
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, jpeg.data(), jpeg.size());
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  TBytes rgb(static_cast<size_t>(info.output_width) * info.output_height * 3);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = rgb.data() + static_cast<size_t>(info.output_scanline) * info.output_width * 3;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return rgb;
}

TBytes DecodeWebpRgb(const TBytes& webp) {
  int width = 0, height = 0;
  uint8_t* pixels = WebPDecodeRGB(webp.data(), webp.size(), &width, &height);
  if (!pixels) throw TvError("cannot decode a WebP");
  TBytes rgb(pixels, pixels + static_cast<size_t>(width) * height * 3);
  WebPFree(pixels);
  return rgb;
}

TBytes DecodeAvifRgb(const TBytes& avif) {
  heif_context* context = heif_context_alloc();
  heif_image_handle* handle = nullptr;
  heif_image* image = nullptr;
  TBytes rgb;
  if (heif_context_read_from_memory_without_copy(context, avif.data(), avif.size(), nullptr).code ==
          heif_error_Ok &&
      heif_context_get_primary_image_handle(context, &handle).code == heif_error_Ok &&
      heif_decode_image(handle, &image, heif_colorspace_RGB, heif_chroma_interleaved_RGB, nullptr)
              .code == heif_error_Ok) {
    int stride = 0;
    const uint8_t* plane = heif_image_get_plane_readonly(image, heif_channel_interleaved, &stride);
    const int width = heif_image_get_width(image, heif_channel_interleaved);
    const int height = heif_image_get_height(image, heif_channel_interleaved);
    for (int y = 0; y < height; ++y) {
      rgb.insert(rgb.end(), plane + static_cast<size_t>(y) * stride,
                 plane + static_cast<size_t>(y) * stride + static_cast<size_t>(width) * 3);
    }
  }
  if (image) heif_image_release(image);
  if (handle) heif_image_handle_release(handle);
  heif_context_free(context);
  if (rgb.empty()) throw TvError("cannot decode an AVIF");
  return rgb;
}

double ProcessorMs() {
  timespec now;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

std::string Stem(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return name.substr(0, name.find_last_of('.'));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr,
                 "usage: formats_bench HEIGHT OUTDIR [--webp Q,Q..] [--avif Q,Q..] "
                 "[--avif-speed S] [--webp-method M] PHOTO...\n");
    return 2;
  }
  const int height = std::atoi(argv[1]);
  const std::string out = argv[2];
  std::vector<int> webpQualities = {images::kWebpQuality};
  std::vector<int> avifQualities = {images::kAvifQuality};
  int avifSpeed = 0;  // 0: as published, by picture size
  int webpMethod = images::kWebpMethod;
  std::vector<std::string> photos;
  for (int i = 3; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--webp" && i + 1 < argc) {
      webpQualities = Numbers(argv[++i]);
    } else if (arg == "--avif" && i + 1 < argc) {
      avifQualities = Numbers(argv[++i]);
    } else if (arg == "--avif-speed" && i + 1 < argc) {
      avifSpeed = std::atoi(argv[++i]);
    } else if (arg == "--webp-method" && i + 1 < argc) {
      webpMethod = std::atoi(argv[++i]);
    } else {
      photos.push_back(arg);
    }
  }
  struct TTotal {
    size_t bytes = 0;
    double ms = 0;
  };
  std::map<std::string, TTotal> totals;  // "format quality" -> sums over the photos
  try {
    for (const std::string& photo : photos) {
      // The exact picture (RGB) is the reference; the encoders get it as publishing gives it to
      // them (a JPEG photo in YCbCr).
      const TDecodedPicture exact = DecodePictureFile(photo, height);
      const TScaledSamples samples = ScalePictureSamples(photo, height);
      const std::string stem = Stem(photo);
      const auto png = [&](const std::string& variant, const TBytes& rgb) {
        Save(out + "/" + stem + "." + variant + ".png",
             images::EncodePng(rgb.data(), exact.width, exact.height, 3, {}, stem));
      };
      png("exact", exact.rgb);
      const auto measure = [&](const std::string& variant, auto encode, auto decode) {
        // Processor time: the machine may be shared, and the encoders run on this thread.
        const double start = ProcessorMs();
        const TBytes bytes = encode();
        totals[variant].ms += ProcessorMs() - start;
        totals[variant].bytes += bytes.size();
        png(variant, decode(bytes));
      };
      measure(
          "jpeg-90",
          [&] {
            return images::EncodeJpeg(samples.pixels.data(), exact.width, exact.height,
                                      samples.kind, 90, photo);
          },
          DecodeJpegRgb);
      for (const int q : webpQualities) {
        measure(
            "webp-" + std::to_string(q),
            [&] {
              return images::EncodeWebp(samples.pixels.data(), samples.kind, exact.width,
                                        exact.height, q, webpMethod, photo);
            },
            DecodeWebpRgb);
      }
      for (const int q : avifQualities) {
        measure(
            "avif-" + std::to_string(q),
            [&] {
              return images::EncodeAvif(
                  samples.pixels.data(), samples.kind, exact.width, exact.height, q,
                  avifSpeed ? avifSpeed : images::AvifSpeedFor(exact.width, exact.height), photo);
            },
            DecodeAvifRgb);
      }
    }
  } catch (const TvError& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  // One line per variant: name, total bytes, total encode ms (read by formats-quality.sh).
  for (const auto& [variant, total] : totals) {
    std::printf("%s %zu %.1f\n", variant.c_str(), total.bytes, total.ms);
  }
  return 0;
}
