// Reading source pictures of every format besides JPEG (which JpegIo reads in DCT-scaled bands):
// PNG (libpng), WebP (libwebp), HEIC and AVIF (libheif) and TIFF (libtiff). Each decoder reads
// the header when it is made, so that its declared size can be checked before any pixel is
// decoded, and then hands out 8-bit rows: grey, RGB, or RGB with alpha. Samples of more than 8
// bits are rounded to the nearest 8-bit value.
#pragma once

#include <cstdio>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "Message.h"

namespace images {

enum class PictureFormat { Jpeg, Png, WebP, Heif, Tiff, Unknown };

// The format of a file from its first bytes (at least 12 of them are looked at when present).
PictureFormat SniffFormat(const unsigned char* head, size_t size);
// The formats we read, for messages: "JPEG, PNG, WebP, HEIC, AVIF or TIFF".
TMessage ReadableFormats();
// The file name extensions of those formats, lower case, without the dot.
const std::vector<std::string>& PictureExtensions();

// The bytes of a picture file: held in memory, or read from an open file as they are needed.
class TPictureInput {
 public:
  TPictureInput(const std::string& path, const std::string& bytes);
  TPictureInput(const std::string& path, std::FILE* file);

  const std::string& Path() const { return path_; }
  unsigned long long Size() const { return size_; }
  // Reads up to `count` bytes at the current position; returns how many it read.
  size_t Read(void* to, size_t count);
  bool Seek(unsigned long long offset);
  unsigned long long Tell() const { return position_; }
  // The whole file (from memory without a copy when it is held there), for the formats decoded
  // from memory; throws TvError when the file is larger than such a picture can need.
  const std::string& All();

  // Read() is bounded (see WorkBudget.h), counting every byte it hands out, also those read again
  // after a seek: until AllowData, kMaxHeaderBytes in all; after it, as much again plus
  // kMaxBytesPerSample for each byte the picture's stored samples declare. Past the bound Read()
  // hands out nothing more, OverRead() is true and OverReadText() says why, for the message.
  void AllowData(long long declaredBytes);
  bool OverRead() const { return overRead_; }
  TMessage OverReadText() const;

 private:
  std::string path_;
  const std::string* bytes_ = nullptr;
  std::FILE* file_ = nullptr;
  std::string read_;  // the whole file, once All() read it
  unsigned long long size_ = 0;
  unsigned long long position_ = 0;
  long long readCount_ = 0;
  long long readLimit_;
  bool headerRead_ = false;
  bool overRead_ = false;
};

struct TPictureHeader {
  int width = 0;  // as stored, before the orientation is applied
  int height = 0;
  int orientation = 1;                    // EXIF orientation 1..8
  std::vector<unsigned char> iccProfile;  // empty when there is none
  int channels = 3;                       // of the rows handed out: 1 grey, 3 RGB, 4 RGB + alpha
  bool premultiplied = false;             // colour samples already multiplied by alpha
  // Memory the decoder holds for the whole picture at once (0 when it hands out rows as it
  // decodes them), counted against the limit before decoding.
  long long wholeBytes = 0;
};

class TPictureDecoder {
 public:
  virtual ~TPictureDecoder() = default;
  const TPictureHeader& Header() const { return header_; }
  // Decodes the next rows, up to maxRows, each width * channels bytes; returns how many, 0 at the
  // end. Damaged data throws TvError naming the file.
  virtual int ReadRows(unsigned char* const* rows, int maxRows) = 0;
  // Called once before the first ReadRows: a decoder that can decode at a smaller size (as JPEG
  // does by its DCT scales) may do so, to no less than minWidth x minHeight; Header() then gives
  // that size. The others ignore it.
  virtual void ReduceTo(int /*minWidth*/, int /*minHeight*/) {}

 protected:
  TPictureHeader header_;
};

// A decoder that decodes the whole picture on the first ReadRows and then copies rows out.
class TWholePictureDecoder : public TPictureDecoder {
 public:
  int ReadRows(unsigned char* const* rows, int maxRows) override;

 protected:
  // Fills `pixels` with height rows of width * channels bytes.
  virtual void DecodeAll(std::vector<unsigned char>& pixels) = 0;

 private:
  std::vector<unsigned char> pixels_;
  bool decoded_ = false;
  int next_ = 0;
};

// Reads the header of a file of `format` (not Jpeg or Unknown). Throws TvError naming the file
// when it is damaged, or when this build cannot decode it (HEIC or AVIF without the decoder).
std::unique_ptr<TPictureDecoder> OpenDecoder(PictureFormat format, TPictureInput& input);

std::unique_ptr<TPictureDecoder> OpenPng(TPictureInput& input);
std::unique_ptr<TPictureDecoder> OpenWebp(TPictureInput& input);
std::unique_ptr<TPictureDecoder> OpenHeif(TPictureInput& input);
std::unique_ptr<TPictureDecoder> OpenTiff(TPictureInput& input);

// Sizes a file declares may be anything its header can hold (two 31-bit sides already make 62
// bits). Products and sums of such sizes are taken through these, which stop at kBeyondAnyLimit
// instead of overflowing: far above every limit a picture is checked against, and far enough
// below the largest long long that a few more terms added to it cannot overflow either.
// Negative terms count as 0.
constexpr long long kBeyondAnyLimit = 1LL << 60;
long long SizeProduct(std::initializer_list<long long> factors);
long long SizeSum(std::initializer_list<long long> terms);

// "Cannot read picture PATH: WHAT", and the same thrown as a TvError. A library's own words go in
// as TMessage::Verbatim.
TMessage CannotReadPicture(const std::string& path, const TMessage& what);
[[noreturn]] void PictureFailure(const std::string& path, const TMessage& what);

// A 16-bit sample rounded to the nearest 8-bit one.
inline unsigned char Round16To8(unsigned value) {
  return static_cast<unsigned char>((value * 255u + 32767u) / 65535u);
}

// The orientation of EXIF data that may or may not begin with "Exif\0\0".
int ExifBlockOrientation(const unsigned char* data, size_t size);

}  // namespace images
