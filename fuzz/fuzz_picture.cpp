// Fuzz target: the picture path (header checks, limits, decoding, orientation, colour profile,
// alpha, scaling, encoding) on a picture file held in memory, of any format we read (the seed
// corpus holds a small picture and a size bomb of each). A picture may only be refused with our error; a
// result must have the slider height and be a JPEG. Run with -rss_limit_mb and -malloc_limit_mb so
// that a picture that gets past the limits and spends memory anyway is a finding.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Errors.h"
#include "images/ImageScaler.h"
#include "images/JpegIo.h"
#include "images/PictureDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  // The whole input is the file; its last byte also picks the slider height (58 for a file that
  // ends with its end-of-image marker), so that seed pictures stay pictures.
  const int height = 1 + data[size - 1] % 160;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  try {
    // Pictures between 1 and 50 megapixels go the same way as smaller ones, only slower (an
    // arithmetic-coded file may declare them in a few bytes): they are left out to keep the
    // campaign fast. Larger ones still run, to reach the refusals.
    long long pixels = 0;
    const images::PictureFormat format =
        images::SniffFormat(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    if (format == images::PictureFormat::Jpeg) {
      const images::JpegReader header("fuzz.jpg", bytes);
      pixels = static_cast<long long>(header.Info().width) * header.Info().height;
    } else {
      images::TPictureInput input("fuzz", bytes);
      const auto decoder = images::OpenDecoder(format, input);
      pixels = static_cast<long long>(decoder->Header().width) * decoder->Header().height;
    }
    if (pixels > 1000000 && pixels <= kMaxArithmeticSourcePixels) return 0;
    // The background comes from the first bytes, so that alpha is composited onto varied colours.
    TScaleOptions options;
    options.background = (static_cast<unsigned>(data[0]) << 16) ^ (size << 8) ^ data[size / 2];
    options.background &= 0xFFFFFF;
    const TScaledImage result = ScaleJpegData(bytes, "fuzz", height, options);
    if (result.height != height || result.width < 1 || result.jpeg.size() < 4 ||
        result.jpeg[0] != 0xFF || result.jpeg[1] != 0xD8) {
      std::fprintf(stderr, "fuzz_picture: bad result %d x %d, %zu bytes\n", result.width,
                   result.height, result.jpeg.size());
      std::abort();
    }
  } catch (const TvError&) {
  }
  return 0;
}
