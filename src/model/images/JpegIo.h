// Reading and writing JPEG data with libjpeg-turbo. libjpeg reports errors by longjmp; every call
// into it happens inside a small function that owns nothing needing a destructor, and the error
// is thrown as a TvError only after that function has returned.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "Cancel.h"

namespace images {

// How the pixels of a source are stored in the file.
enum class SourceColor { Gray, YCbCr, Rgb, Cmyk, Ycck, Other };

// What the decoder hands out: channel count and meaning of each sample.
enum class PixelKind { Gray, YCbCr, Rgb, Cmyk };

int ChannelsOf(PixelKind kind);

struct JpegSourceInfo {
  int width = 0;  // as stored, before the EXIF orientation is applied
  int height = 0;
  SourceColor color = SourceColor::Other;
  bool adobeMarker = false;               // an Adobe APP14 marker: CMYK samples are stored inverted
  int orientation = 1;                    // EXIF orientation 1..8 (1 when absent or invalid)
  std::vector<unsigned char> iccProfile;  // the embedded ICC profile, empty when there is none
  // A progressive or otherwise multi-scan file: the decoder keeps every DCT coefficient of the
  // whole picture in memory, coefficientBytes of them, before it can hand out the first row.
  bool multiScan = false;
  long long coefficientBytes = 0;
  // Arithmetic coding lets a file end long before its picture: the decoder then makes up the rest
  // from nothing, so a few hundred bytes can declare (and cost the time of) a huge picture.
  bool arithmetic = false;
};

// Limits on what the decoder may spend on one picture.
struct JpegLimits {
  long long maxMemory = 0;  // bytes for libjpeg's whole-picture buffers (0: no limit)
  int maxScans = 0;         // scans of a multi-scan file (0: no limit)
  long long maxWork = 0;    // blocks decoded over all scans, see WorkBudget.h (0: no limit)
  // Bytes read before the header is complete, and then per declared sample (see WorkBudget.h;
  // 0: no limit).
  long long maxHeaderBytes = 0;
  long long maxBytesPerSample = 0;
  // Asked to stop: decoding ends with TvCancelled, also while libjpeg reads all the scans of a
  // multi-scan file before its first row.
  const TCancelToken* cancel = nullptr;
};

// A JPEG file being decoded, one band of rows at a time. Errors throw TvError with the text
// "Cannot read picture PATH: ..." naming the file.
class JpegReader {
 public:
  // Parses the headers of `bytes` (the whole file). Throws for data that is not a JPEG we read.
  JpegReader(const std::string& path, const std::string& bytes, const JpegLimits& limits = {});
  // The same, reading the open file in pieces as the decoder needs them (never whole). The file
  // must stay open while the reader lives.
  JpegReader(const std::string& path, std::FILE* file, const JpegLimits& limits = {});
  ~JpegReader();
  JpegReader(const JpegReader&) = delete;
  JpegReader& operator=(const JpegReader&) = delete;

  const JpegSourceInfo& Info() const { return info_; }

  // Starts decoding at scaleNum/8 of the full size into pixels of `kind`.
  void Start(int scaleNum, PixelKind kind);
  int OutputWidth() const;
  int OutputHeight() const;
  // Reads up to maxRows rows (each OutputWidth() * channels bytes) and returns how many it read;
  // 0 once all rows are read. Corrupt or truncated data throws.
  int ReadRows(unsigned char* const* rows, int maxRows);

  struct State;  // libjpeg's objects, opaque outside JpegIo.cpp

 private:
  [[noreturn]] void Fail() const;
  void Open(const unsigned char* data, unsigned long size, std::FILE* file,
            const JpegLimits& limits);

  std::unique_ptr<State> state_;
  std::string path_;
  JpegSourceInfo info_;
};

// Encodes width x height pixels (3 channels, RGB or YCbCr as `kind` says) as a baseline JFIF file
// with 4:4:4 sampling and no other markers. `path` names the picture in error texts.
std::vector<unsigned char> EncodeJpeg(const unsigned char* pixels, int width, int height,
                                      PixelKind kind, int quality, const std::string& path);

// The EXIF orientation (1..8) of an APP1 "Exif" segment's data; 1 when absent or malformed.
int ExifOrientation(const unsigned char* data, size_t size);

}  // namespace images
