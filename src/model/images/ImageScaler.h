// Pictures for the slider: a source picture (JPEG, PNG, WebP, HEIC, AVIF or TIFF) scaled to the
// slider height and encoded as a baseline colour JPEG at quality 90 (4:4:4, plain JFIF: no EXIF or
// ICC data is carried over). Transparent pixels are composited onto a background colour, and
// samples of more than 8 bits are rounded to 8. JPEG decoding uses the smallest DCT scale that
// still leaves at least twice the target height, among 1/8, 1/4, 1/2 and 1/1 (libjpeg-turbo's fast
// scales: 3/8 and 5/8..7/8 cost more than the next of these), then a separable Lanczos-3 filter
// gives the exact size. The EXIF orientation is applied and an embedded ICC profile converts the
// colours to sRGB; grey and CMYK sources become colour JPEGs.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "Cancel.h"
#include "images/JpegIo.h"

// Raise this whenever a change to the pipeline (decoding, resampling, colour handling, encoding)
// changes the bytes it produces: cached pictures of other revisions are then not used.
constexpr int kPicturePipelineRevision = 1;

// The largest scaled picture we make; larger results are refused before memory is spent.
constexpr long long kMaxScaledPixels = 50LL * 1000 * 1000;
// The largest source picture we decode (as its header declares it); larger ones are refused
// before any pixel is decoded.
constexpr long long kMaxSourcePixels = 250LL * 1000 * 1000;
// The same for arithmetic-coded files, whose data may end long before the picture it declares
// (the decoder makes up the rest, at the cost of decoding it): a few hundred bytes could
// otherwise keep a worker busy for many seconds.
constexpr long long kMaxArithmeticSourcePixels = 50LL * 1000 * 1000;
// The memory one picture may take while it is decoded, scaled and encoded. A picture that would
// need more (a multi-scan file keeps every coefficient of the whole picture) is refused before
// decoding, with an error naming the file and its declared size; libjpeg is held to the same
// limit. Pictures scaled at the same time together stay below kPicturesMemoryLimit: a picture
// waits for memory that others hold rather than spend more.
constexpr long long kPictureMemoryLimit = 384LL << 20;
constexpr long long kPicturesMemoryLimit = 2 * kPictureMemoryLimit;
// More scans than this in a multi-scan file are refused as they are met (each scan can walk the
// whole picture; real progressive files have about 10). The work of all scans together is
// bounded as well, see images/WorkBudget.h.
constexpr int kMaxScans = 100;

// The size a picture of width x height gets at targetHeight: width / (height / targetHeight),
// computed exactly and rounded half to even, by targetHeight.
// Throws TvError when targetHeight < 1 or the result exceeds kMaxScaledPixels.
std::pair<int, int> ScaledSize(int width, int height, int targetHeight);

struct TScaledImage {
  int width = 0;  // of the upright picture
  int height = 0;
  std::vector<unsigned char> jpeg;  // the encoded file; empty when TScaleOptions refused to enlarge
  // The same picture as WebP and AVIF when TScaleOptions::formats asks for them; empty otherwise
  // (and WebP for a picture wider than WebP can hold).
  std::vector<unsigned char> webp;
  std::vector<unsigned char> avif;
  bool usedBackground = false;  // the source had alpha: the result depends on the background
};

// Formats a scaled picture is also encoded in, beside its JPEG (bits of TScaleOptions::formats).
enum TModernFormat : unsigned { kWebpFormat = 1, kAvifFormat = 2 };

struct TScaleOptions {
  unsigned background = 0xFFFFFF;  // 0xRRGGBB: what transparent pixels are composited onto
  // A source less tall (upright) than the target height is not enlarged: the result is empty.
  bool neverEnlarge = false;
  unsigned formats = 0;  // TModernFormat bits: also encode the picture in these formats
  // Asked to stop: the work ends with TvCancelled within a band of rows (a JPEG also while its
  // scans are read).
  const TCancelToken* cancel = nullptr;
};

// The upright width and height of the picture at sourcePath, from its header alone. Throws
// TvError naming the file when it cannot be read.
std::pair<int, int> UprightPictureSize(const std::string& sourcePath);

// A picture decoded and scaled for display: upright, sRGB, width * height * 3 bytes of RGB.
struct TDecodedPicture {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> rgb;
};
// Decodes any picture we read (JPEG, PNG, WebP, HEIC, AVIF or TIFF) at sourcePath, scaled to
// targetHeight as for the slider. The one entry point for showing a picture; errors as below.
TDecodedPicture DecodePictureFile(const std::string& sourcePath, int targetHeight,
                                  const TScaleOptions& options = {});

// The same picture as the encoders get it: width * height * 3 bytes of RGB, or of YCbCr (BT.601,
// full range) for JPEG sources without a colour profile and for grey ones. For measuring the
// encoders.
struct TScaledSamples {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> pixels;
  images::PixelKind kind = images::PixelKind::Rgb;
};
TScaledSamples ScalePictureSamples(const std::string& sourcePath, int targetHeight,
                                   const TScaleOptions& options = {});

// Reads the picture at sourcePath (UTF-8), applies its orientation and colour profile, scales it
// to targetHeight and encodes it as JPEG. Throws TvError naming the file when it cannot be read,
// is not a picture we can decode, or is too large for the limits above. JPEG, PNG and most TIFF
// files are read in pieces as the decoder needs them; WebP and HEIF files are read whole.
TScaledImage ScaleJpegFile(const std::string& sourcePath, int targetHeight,
                           const TScaleOptions& options = {});
// The same for a file's bytes held in memory; `name` names it in errors.
TScaledImage ScaleJpegData(const std::string& bytes, const std::string& name, int targetHeight,
                           const TScaleOptions& options = {});

class TPictureCache;

struct TScaleJob {
  std::string sourcePath;
  int targetHeight = 0;
  TPictureCache* cache = nullptr;  // where scaled pictures are looked up and kept; none when null
  TScaleOptions options = {};
  int item = 0;  // the item that uses the picture (from 1): an error about it starts "Item 2: "
};

// Runs ScaleJpegFile (through the job's cache, when it has one) for every job on `workers` threads
// (0: one per core), one picture per worker, the largest source files first. Returns the results
// in job order, byte-identical whatever the number of workers. onFinished is called on the
// calling thread once per finished picture (for a progress bar). When a picture fails, only jobs
// before it in job order are still started, every worker is joined, and the error of the first
// failing job in job order is thrown.
std::vector<TScaledImage> ScaleJpegFiles(
    const std::vector<TScaleJob>& jobs, unsigned workers = 0,
    const std::function<void(size_t finished)>& onFinished = {});

// The same, but each result is handed to onResult (on the calling thread, in the order the
// pictures finish) and not kept: memory holds only the pictures being worked on. When a picture
// fails, only jobs before it in job order are still started; when onResult fails, none. Every
// worker is joined and the error is thrown (of a picture: the first failing job in job order).
void ScaleJpegFilesEach(const std::vector<TScaleJob>& jobs, unsigned workers,
                        const std::function<void(size_t job, TScaledImage&& result)>& onResult);
