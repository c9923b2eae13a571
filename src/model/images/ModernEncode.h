// Encoding the scaled pictures as WebP and AVIF, beside the JPEG, for browsers that read them.
#pragma once

#include <string>
#include <vector>

#include "images/JpegIo.h"

namespace images {

// The settings the slider's pictures are published with, chosen with bench/formats-quality.sh on
// photos at slider heights of 120 and 480 px: the lowest quality whose mean SSIM against the exact
// scaled picture is at least the JPEG's (quality 90, 4:4:4) at both heights, at encoder speeds
// that keep a publish with both formats within twice the time of a JPEG-only one.
constexpr int kWebpQuality = 90;
// 0 (fast) .. 6 (small): 0 takes some 30 % less time than 2 for 5-10 % more bytes, at the same
// SSIM.
constexpr int kWebpMethod = 0;
constexpr int kAvifQuality = 80;
// The AV1 encoder's speed, 0 (slow, small) .. 9 (fast): 8 for pictures of at most this many
// pixels (a 120 px slider's: some 13 ms each), 9 for larger ones (a 480 px slider's: 8 would take
// 160 ms each, 9 takes 35 ms for 10 % more bytes).
constexpr long long kAvifSlowSpeedPixels = 100000;
constexpr int AvifSpeedFor(int width, int height) {
  return static_cast<long long>(width) * height <= kAvifSlowSpeedPixels ? 8 : 9;
}

// The largest side WebP can hold; a wider picture gets no WebP.
constexpr int kMaxWebpSide = 16383;

// Raise this whenever a change here changes the bytes of the WebP or AVIF files for the same
// settings: cached pictures of other revisions are then not used.
constexpr int kModernEncodeRevision = 2;

// `pixels` are width * height * 3 bytes of sRGB: RGB, or YCbCr as JPEG holds it (BT.601, full
// range) when `kind` is YCbCr. Both encoders work in YCbCr 4:2:0; YCbCr pixels go to them without
// a round trip through RGB, their chroma averaged over each 2 x 2 block.

// Lossy WebP, without metadata. Throws TvError naming `path` when the encoder refuses.
std::vector<unsigned char> EncodeWebp(const unsigned char* pixels, PixelKind kind, int width,
                                      int height, int quality, int method, const std::string& path);
// AVIF (AV1 still picture, 4:2:0, 8 bits), tagged as sRGB (BT.709 primaries, sRGB transfer,
// BT.601 full-range matrix) without an ICC profile. Throws TvError naming `path` when the encoder
// refuses.
std::vector<unsigned char> EncodeAvif(const unsigned char* pixels, PixelKind kind, int width,
                                      int height, int quality, int speed, const std::string& path);

}  // namespace images
