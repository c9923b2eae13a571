#include "images/PictureDecoder.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "Errors.h"
#include "images/ImageScaler.h"
#include "images/JpegIo.h"
#include "images/WorkBudget.h"

namespace images {

PictureFormat SniffFormat(const unsigned char* head, size_t size) {
  auto starts = [&](const char* magic, size_t at = 0) {
    const size_t n = std::strlen(magic);
    return size >= at + n && std::memcmp(head + at, magic, n) == 0;
  };
  if (size >= 2 && head[0] == 0xFF && head[1] == 0xD8) return PictureFormat::Jpeg;
  if (starts("\x89PNG\r\n\x1a\n")) return PictureFormat::Png;
  if (starts("RIFF") && starts("WEBP", 8)) return PictureFormat::WebP;
  if (size >= 4 && (std::memcmp(head, "II*\0", 4) == 0 || std::memcmp(head, "MM\0*", 4) == 0 ||
                    std::memcmp(head, "II+\0", 4) == 0 || std::memcmp(head, "MM\0+", 4) == 0)) {
    return PictureFormat::Tiff;
  }
  // An ISO media file: a 'ftyp' box whose brand names a still picture or sequence of HEIF/AVIF.
  if (starts("ftyp", 4) && size >= 12) {
    static const char* const kBrands[] = {"heic", "heix", "heim", "heis", "hevc", "hevx",
                                          "mif1", "msf1", "avif", "avis", "mif2"};
    for (const char* brand : kBrands) {
      if (starts(brand, 8)) return PictureFormat::Heif;
    }
  }
  return PictureFormat::Unknown;
}

TMessage ReadableFormats() { return TV_MESSAGE("model", "JPEG, PNG, WebP, HEIC, AVIF or TIFF"); }

const std::vector<std::string>& PictureExtensions() {
  static const std::vector<std::string> extensions = {"jpg",  "jpeg", "jpe",  "png", "webp", "heic",
                                                      "heif", "hif",  "avif", "tif", "tiff"};
  return extensions;
}

TMessage CannotReadPicture(const std::string& path, const TMessage& what) {
  return TV_MESSAGE("model", "Cannot read picture %1: %2").Arg(path).Arg(what);
}

void PictureFailure(const std::string& path, const TMessage& what) {
  throw TvError(CannotReadPicture(path, what));
}

int ExifBlockOrientation(const unsigned char* data, size_t size) {
  if (size >= 6 && std::memcmp(data, "Exif\0\0", 6) == 0) {
    data += 6;
    size -= 6;
  }
  return ExifOrientation(data, size);
}

namespace {

// A file decoded from memory is held whole beside its pixels: more than the pixels may take is
// more than any such picture needs.
constexpr long long kMaxWholeFileBytes = kMaxHeaderBytes + kPictureMemoryLimit;

}  // namespace

long long SizeProduct(std::initializer_list<long long> factors) {
  long long product = 1;
  for (const long long f : factors) {
    if (f <= 0) return 0;
    if (product > kBeyondAnyLimit / f) return kBeyondAnyLimit;
    product *= f;
  }
  return std::min(product, kBeyondAnyLimit);
}

long long SizeSum(std::initializer_list<long long> terms) {
  long long sum = 0;
  for (const long long t : terms)
    sum = std::min(sum + std::clamp(t, 0LL, kBeyondAnyLimit), kBeyondAnyLimit);
  return sum;
}

TPictureInput::TPictureInput(const std::string& path, const std::string& bytes)
    : path_(path), bytes_(&bytes), size_(bytes.size()), readLimit_(kMaxHeaderBytes) {}

TPictureInput::TPictureInput(const std::string& path, std::FILE* file)
    : path_(path), file_(file), readLimit_(kMaxHeaderBytes) {
  if (std::fseek(file_, 0, SEEK_END) == 0) {
    const long end = std::ftell(file_);
    if (end > 0) size_ = static_cast<unsigned long long>(end);
  }
  std::fseek(file_, 0, SEEK_SET);
}

void TPictureInput::AllowData(long long declaredBytes) {
  headerRead_ = true;
  readLimit_ =
      SizeSum({readCount_, kMaxHeaderBytes, SizeProduct({kMaxBytesPerSample, declaredBytes})});
}

TMessage TPictureInput::OverReadText() const {
  if (!headerRead_)
    return TV_MESSAGE("model", "no picture header in its first %L1 MB").Arg(readLimit_ >> 20);
  return TV_MESSAGE("model",
                    "the file holds far more data than a picture of its declared size can need "
                    "(%L1 MB read)")
      .Arg(readCount_ >> 20);
}

size_t TPictureInput::Read(void* to, size_t count) {
  if (static_cast<unsigned long long>(count) >
      static_cast<unsigned long long>(readLimit_ - readCount_)) {
    overRead_ = true;
    count = static_cast<size_t>(readLimit_ - readCount_);
  }
  size_t got = 0;
  if (bytes_) {
    if (position_ < bytes_->size()) {
      got = std::min<size_t>(count, bytes_->size() - position_);
      std::memcpy(to, bytes_->data() + position_, got);
    }
  } else {
    got = std::fread(to, 1, count, file_);
  }
  position_ += got;
  readCount_ += static_cast<long long>(got);
  return got;
}

bool TPictureInput::Seek(unsigned long long offset) {
  if (bytes_) {
    if (offset > bytes_->size()) return false;
  } else if (offset > size_ || std::fseek(file_, static_cast<long>(offset), SEEK_SET) != 0) {
    return false;
  }
  position_ = offset;
  return true;
}

const std::string& TPictureInput::All() {
  if (size_ > static_cast<unsigned long long>(kMaxWholeFileBytes)) {
    PictureFailure(path_, TV_MESSAGE("model",
                                     "the file is %L1 MB, more than a picture of its kind may take "
                                     "(%L2 MB)")
                              .Arg(static_cast<long long>(size_ >> 20))
                              .Arg(kMaxWholeFileBytes >> 20));
  }
  if (bytes_) return *bytes_;
  if (read_.size() != size_) {
    read_.resize(size_);
    if (!Seek(0) || std::fread(read_.data(), 1, read_.size(), file_) != read_.size()) {
      PictureFailure(path_, TV_MESSAGE("model", "the file could not be read to its end"));
    }
    position_ = size_;
  }
  return read_;
}

int TWholePictureDecoder::ReadRows(unsigned char* const* rows, int maxRows) {
  if (!decoded_) {
    DecodeAll(pixels_);
    decoded_ = true;
  }
  const size_t stride = static_cast<size_t>(header_.width) * header_.channels;
  int n = 0;
  for (; n < maxRows && next_ < header_.height; ++n, ++next_) {
    std::memcpy(rows[n], pixels_.data() + stride * static_cast<size_t>(next_), stride);
  }
  if (next_ >= header_.height) {
    pixels_.clear();
    pixels_.shrink_to_fit();
  }
  return n;
}

std::unique_ptr<TPictureDecoder> OpenDecoder(PictureFormat format, TPictureInput& input) {
  switch (format) {
    case PictureFormat::Png:
      return OpenPng(input);
    case PictureFormat::WebP:
      return OpenWebp(input);
    case PictureFormat::Heif:
      return OpenHeif(input);
    case PictureFormat::Tiff:
      return OpenTiff(input);
    default:
      if (input.Size() == 0) PictureFailure(input.Path(), TV_MESSAGE("model", "the file is empty"));
      PictureFailure(input.Path(),
                     TV_MESSAGE("model", "not a picture file in a format we read (%1)")
                         .Arg(ReadableFormats()));
  }
}

}  // namespace images
