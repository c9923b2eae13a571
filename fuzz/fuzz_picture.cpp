// Fuzz target: the picture path (header checks, limits, decoding, orientation, colour profile,
// alpha, scaling, encoding) on a picture file held in memory, of any format we read (the seed
// corpus holds a small picture and a size bomb of each). A picture may only be refused with our
// error; a result must have the slider height and be a JPEG. Run with -rss_limit_mb and
// -malloc_limit_mb so that a picture that gets past the limits and spends memory anyway is a
// finding.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Errors.h"
#include "images/ImageScaler.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  // The whole input is the file; its last byte also picks the slider height (58 for a file that
  // ends with its end-of-image marker), so that seed pictures stay pictures.
  const int height = 1 + data[size - 1] % 160;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  try {
    // Every declared size runs, 1 to 50 megapixels included (an arithmetic-coded file declares
    // them in a few bytes): the scan limit and the work budget keep each input to a few seconds,
    // and an input that takes longer is a finding (-timeout).
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
