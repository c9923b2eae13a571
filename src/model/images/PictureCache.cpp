#include "images/PictureCache.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// clang-format off
#include <jpeglib.h>
// clang-format on
#include <lcms2.h>
#include <libheif/heif.h>
#include <webp/encode.h>

#include "FileUtil.h"
#include "PrivateFiles.h"
#include "images/ModernEncode.h"

namespace fs = std::filesystem;

namespace {

// ---- A 64-bit hash (four multiply-rotate lanes over 8-byte words), for entry names and the
// checksum of an entry. It guards against damage, not against an adversary.

constexpr uint64_t kP1 = 0x9E3779B185EBCA87ULL;
constexpr uint64_t kP2 = 0xC2B2AE3D27D4EB4FULL;
constexpr uint64_t kP3 = 0x165667B19E3779F9ULL;
constexpr uint64_t kP4 = 0x85EBCA77C2B2AE63ULL;
constexpr uint64_t kP5 = 0x27D4EB2F165667C5ULL;

uint64_t Rotl(uint64_t x, int r) { return (x << r) | (x >> (64 - r)); }

uint64_t Load64(const unsigned char* p) {
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

uint32_t Load32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

uint64_t Round(uint64_t acc, uint64_t input) { return Rotl(acc + input * kP2, 31) * kP1; }

uint64_t Merge(uint64_t acc, uint64_t lane) { return (acc ^ Round(0, lane)) * kP1 + kP4; }

uint64_t Hash64(const void* data, size_t size, uint64_t seed) {
  const auto* p = static_cast<const unsigned char*>(data);
  const unsigned char* const end = p + size;
  uint64_t h;
  if (size >= 32) {
    uint64_t v1 = seed + kP1 + kP2, v2 = seed + kP2, v3 = seed, v4 = seed - kP1;
    for (; end - p >= 32; p += 32) {
      v1 = Round(v1, Load64(p));
      v2 = Round(v2, Load64(p + 8));
      v3 = Round(v3, Load64(p + 16));
      v4 = Round(v4, Load64(p + 24));
    }
    h = Rotl(v1, 1) + Rotl(v2, 7) + Rotl(v3, 12) + Rotl(v4, 18);
    h = Merge(Merge(Merge(Merge(h, v1), v2), v3), v4);
  } else {
    h = seed + kP5;
  }
  h += static_cast<uint64_t>(size);
  for (; end - p >= 8; p += 8) h = Rotl(h ^ Round(0, Load64(p)), 27) * kP1 + kP4;
  if (end - p >= 4) {
    h = Rotl(h ^ (static_cast<uint64_t>(Load32(p)) * kP1), 23) * kP2 + kP3;
    p += 4;
  }
  for (; p < end; ++p) h = Rotl(h ^ (*p * kP5), 11) * kP1;
  h ^= h >> 33;
  h *= kP2;
  h ^= h >> 29;
  h *= kP3;
  h ^= h >> 32;
  return h;
}

uint64_t Hash64(const std::string& text, uint64_t seed) {
  return Hash64(text.data(), text.size(), seed);
}

// ---- The entry file:
//   0  "TVPC"           8  key length (u32)    16 height (u32)       24 JPEG length (u64)
//   4  format (u32)     12 width (u32)         20 zero (u32)         32 checksum (u64)
//   40 the key text, then the JPEG.
// Numbers are little-endian. The checksum covers bytes 0..31, the key and the JPEG.

constexpr char kMagic[4] = {'T', 'V', 'P', 'C'};
constexpr uint32_t kFormat = 1;
constexpr size_t kHeaderSize = 40;
constexpr const char* kEntrySuffix = ".tvpic";
// A picture whose file was changed less than this long ago is not stored: a file system keeps
// time stamps in steps (up to 2 s on FAT), so a second change within the same step could leave
// the stamp as it was.
constexpr long long kSettleNs = 2'000'000'000;
// Temporary files older than this were left by a program that stopped while writing.
constexpr auto kStaleTemporary = std::chrono::minutes(10);

void Put32(std::string& out, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

void Put64(std::string& out, size_t at, uint64_t v) {
  for (int i = 0; i < 8; ++i) out[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

const unsigned char* Bytes(const std::string& s) {
  return reinterpret_cast<const unsigned char*>(s.data());
}

uint64_t EntryChecksum(const std::string& entry, size_t keyLength, size_t jpegLength) {
  uint64_t sum = Hash64(entry.data(), 32, 0);
  sum = Hash64(entry.data() + kHeaderSize, keyLength, sum);
  return Hash64(entry.data() + kHeaderSize + keyLength, jpegLength, sum);
}

// The encoded bytes of one format of a picture: format 0 is the JPEG, else a TModernFormat bit.
std::vector<unsigned char>& BytesOf(TScaledImage& picture, unsigned format) {
  return format == kWebpFormat ? picture.webp : format == kAvifFormat ? picture.avif : picture.jpeg;
}
const std::vector<unsigned char>& BytesOf(const TScaledImage& picture, unsigned format) {
  return BytesOf(const_cast<TScaledImage&>(picture), format);
}

// Whether the bytes begin and end as a file of that format does.
bool LooksLike(const unsigned char* data, uint64_t size, unsigned format) {
  if (format == kWebpFormat) {
    return size >= 12 && std::memcmp(data, "RIFF", 4) == 0 && std::memcmp(data + 8, "WEBP", 4) == 0;
  }
  if (format == kAvifFormat) {
    return size >= 12 && std::memcmp(data + 4, "ftypavif", 8) == 0;
  }
  return size >= 4 && data[0] == 0xFF && data[1] == 0xD8 && data[size - 2] == 0xFF &&
         data[size - 1] == 0xD9;
}

std::string EncodeEntry(const std::string& key, const TScaledImage& picture, unsigned format) {
  const std::vector<unsigned char>& bytes = BytesOf(picture, format);
  std::string entry(kHeaderSize, '\0');
  std::memcpy(entry.data(), kMagic, 4);
  Put32(entry, 4, kFormat);
  Put32(entry, 8, static_cast<uint32_t>(key.size()));
  Put32(entry, 12, static_cast<uint32_t>(picture.width));
  Put32(entry, 16, static_cast<uint32_t>(picture.height));
  Put64(entry, 24, bytes.size());
  entry += key;
  entry.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  Put64(entry, 32, EntryChecksum(entry, key.size(), bytes.size()));
  return entry;
}

enum class Verdict { Good, OtherKey, Bad };

// Checks the whole entry; on Good, `picture` holds it.
Verdict DecodeEntry(const std::string& entry, const std::string& key, TScaledImage& picture,
                    unsigned format) {
  if (entry.size() < kHeaderSize || std::memcmp(entry.data(), kMagic, 4) != 0 ||
      Load32(Bytes(entry) + 4) != kFormat) {
    return Verdict::Bad;
  }
  const uint64_t keyLength = Load32(Bytes(entry) + 8);
  const uint32_t width = Load32(Bytes(entry) + 12);
  const uint32_t height = Load32(Bytes(entry) + 16);
  const uint64_t jpegLength = Load64(Bytes(entry) + 24);
  const uint64_t available = entry.size() - kHeaderSize;
  if (keyLength > available || jpegLength != available - keyLength) return Verdict::Bad;
  if (EntryChecksum(entry, keyLength, jpegLength) != Load64(Bytes(entry) + 32)) {
    return Verdict::Bad;
  }
  const unsigned char* jpeg = Bytes(entry) + kHeaderSize + keyLength;
  if (width < 1 || height < 1 || static_cast<long long>(width) * height > kMaxScaledPixels ||
      !LooksLike(jpeg, jpegLength, format)) {
    return Verdict::Bad;
  }
  if (entry.compare(kHeaderSize, keyLength, key) != 0) return Verdict::OtherKey;
  picture.width = static_cast<int>(width);
  picture.height = static_cast<int>(height);
  BytesOf(picture, format).assign(jpeg, jpeg + jpegLength);
  return Verdict::Good;
}

long long NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::string FromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

// The largest entry there can be: the header, a key (a path and a few numbers) and the largest
// JPEG the pipeline writes (the largest scaled picture at far more than 3 bytes per pixel). A
// larger file is no entry of ours and is never read.
constexpr unsigned long long kMaxEntryBytes = kHeaderSize + (64ULL << 10) + 4ULL * kMaxScaledPixels;

}  // namespace

std::optional<TSourceStamp> SourceStampOf(const std::string& path) {
  std::error_code error;
  const fs::path canonical = fs::canonical(fileutil::FsPath(path), error);
  if (error) return std::nullopt;
  TSourceStamp stamp;
  stamp.canonicalPath = fileutil::Utf8(canonical);
  struct stat info;
  if (stat(canonical.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
#ifdef __APPLE__
  const struct timespec modified = info.st_mtimespec, changed = info.st_ctimespec;
#else
  const struct timespec modified = info.st_mtim, changed = info.st_ctim;
#endif
  stamp.size = static_cast<unsigned long long>(info.st_size);
  stamp.modifiedNs = static_cast<long long>(modified.tv_sec) * 1'000'000'000 + modified.tv_nsec;
  stamp.changedNs = static_cast<long long>(changed.tv_sec) * 1'000'000'000 + changed.tv_nsec;
  stamp.device = static_cast<unsigned long long>(info.st_dev);
  stamp.fileId = static_cast<unsigned long long>(info.st_ino);
  return stamp;
}

std::string PicturePipelineVersion() {
#ifdef LIBJPEG_TURBO_VERSION_NUMBER
  const std::string jpeg = "libjpeg-turbo " + std::to_string(LIBJPEG_TURBO_VERSION_NUMBER);
#else
  const std::string jpeg = "libjpeg " + std::to_string(JPEG_LIB_VERSION);
#endif
  return "pipeline " + std::to_string(kPicturePipelineRevision) + "; " + jpeg + "; lcms " +
         std::to_string(LCMS_VERSION) + "; baseline q90 4:4:4 JFIF";
}

TPictureCache::TPictureCache(std::string folder, unsigned long long limitBytes,
                             std::string pipelineVersion)
    : folder_(fileutil::WithSeparator(std::move(folder))),
      limit_(limitBytes),
      version_(std::move(pipelineVersion)) {}

std::string TPictureCache::DefaultFolder() {
  std::string base = FromEnvironment("XDG_CACHE_HOME");
  if (base.empty() || base[0] != '/') {  // a relative value is to be ignored
    const std::string home = FromEnvironment("HOME");
    if (home.empty() || home[0] != '/') return {};
    base = fileutil::WithSeparator(home) + ".cache";
  }
  return fileutil::WithSeparator(base) + "torvane/pictures/";
}

std::string TPictureCache::EntryPath(const std::string& canonicalPath, int targetHeight,
                                     unsigned format) const {
  const uint64_t name = Hash64(
      canonicalPath, Hash64(version_ + "\n" + std::to_string(targetHeight) + FormatTag(format), 0));
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(name));
  return folder_ + hex + kEntrySuffix;
}

// Empty for the JPEG, so that its entries keep the names and keys they always had; else the
// format with its encoder's version and settings.
std::string TPictureCache::FormatTag(unsigned format) {
  const std::string revision = " r" + std::to_string(images::kModernEncodeRevision);
  if (format == kWebpFormat) {
    return "\nformat webp " + std::to_string(WebPGetEncoderVersion()) + revision + " q" +
           std::to_string(images::kWebpQuality) + " m" + std::to_string(images::kWebpMethod);
  }
  if (format == kAvifFormat) {
    return "\nformat avif " + std::string(heif_get_version()) + revision + " q" +
           std::to_string(images::kAvifQuality) + " s8 up to " +
           std::to_string(images::kAvifSlowSpeedPixels) + " px, s9";
  }
  return {};
}

std::string TPictureCache::KeyText(const TSourceStamp& stamp, int targetHeight,
                                   unsigned format) const {
  return std::to_string(stamp.canonicalPath.size()) + ":" + stamp.canonicalPath + "\nsize " +
         std::to_string(stamp.size) + "\nmodified " + std::to_string(stamp.modifiedNs) +
         "\nchanged " + std::to_string(stamp.changedNs) + "\nfile " + std::to_string(stamp.device) +
         ":" + std::to_string(stamp.fileId) + "\nheight " + std::to_string(targetHeight) + "\n" +
         version_ + FormatTag(format);
}

TPictureCache::FolderState TPictureCache::CheckFolder() {
  std::lock_guard<std::mutex> lock(folderMutex_);
  if (folderState_ == FolderState::Private || folderState_ == FolderState::Refused) {
    return folderState_;
  }
  const fileutil::TFolderCheck check = fileutil::CheckPrivateFolder(folder_);
  switch (check.trust) {
    case fileutil::FolderTrust::Missing:
      folderState_ = FolderState::Missing;
      break;
    case fileutil::FolderTrust::Trusted:
      folderState_ = FolderState::Private;
      break;
    case fileutil::FolderTrust::Refused:
      folderState_ = FolderState::Refused;
      fileutil::WarnFolderNotUsed("picture cache", folder_,
                                  check.why + "; pictures are scaled without it");
      break;
  }
  return folderState_;
}

std::optional<TScaledImage> TPictureCache::Find(const TSourceStamp& stamp, int targetHeight,
                                                unsigned format) {
  const std::string path = EntryPath(stamp.canonicalPath, targetHeight, format);
  const std::optional<std::string> read =
      CheckFolder() == FolderState::Private ? fileutil::ReadPrivateFile(path, kMaxEntryBytes, true)
                                            : std::nullopt;
  if (!read) {
    ++misses_;
    return std::nullopt;
  }
  const std::string& entry = *read;
  TScaledImage picture;
  switch (DecodeEntry(entry, KeyText(stamp, targetHeight, format), picture, format)) {
    case Verdict::Good:
      ++hits_;
      return picture;
    case Verdict::OtherKey:  // an older state of the source: Store replaces it
      ++misses_;
      return std::nullopt;
    case Verdict::Bad:
      break;
  }
  ++dropped_;
  ++misses_;
  fileutil::RemoveFileQuiet(path);
  return std::nullopt;
}

void TPictureCache::Store(const TSourceStamp& stamp, int targetHeight, const TScaledImage& picture,
                          unsigned format) {
  try {
    if (CheckFolder() == FolderState::Missing) {
      std::string refused;
      const fileutil::TFolderCheck made = fileutil::MakePrivateFolder(folder_, &refused);
      if (made.trust == fileutil::FolderTrust::Refused &&
          fileutil::WithSeparator(refused) != folder_) {
        fileutil::WarnFolderNotUsed("picture cache", folder_,
                                    "it would be made inside " + refused + " (" + made.why + ")");
      }
      std::lock_guard<std::mutex> lock(folderMutex_);
      folderState_ = FolderState::Unchecked;  // whoever made it, it is examined again
    }
    if (CheckFolder() != FolderState::Private) return;
    // Not forced to the disk: a torn entry fails its checksum. A link planted under the entry's
    // name is replaced, never written through.
    fileutil::WriteFileReplacingName(
        EntryPath(stamp.canonicalPath, targetHeight, format),
        EncodeEntry(KeyText(stamp, targetHeight, format), picture, format));
    ++stored_;
  } catch (...) {
    // Full disk, no rights: the picture is simply not kept.
  }
}

void TPictureCache::Trim() {
  if (stored_ == 0) return;  // nothing was added: the folder did not grow
  if (CheckFolder() != FolderState::Private) return;
  struct Entry {
    fs::file_time_type used;
    fs::path path;
    unsigned long long size;
  };
  std::vector<Entry> entries;
  unsigned long long total = 0;
  try {
    std::error_code error;
    const auto now = fs::file_time_type::clock::now();
    for (fs::directory_iterator it(fileutil::FsPath(folder_), error), end; !error && it != end;
         it.increment(error)) {
      std::error_code statError;
      if (!it->is_regular_file(statError) || it->is_symlink(statError)) continue;
      const std::string name = fileutil::Utf8(it->path().filename());
      const fs::file_time_type used = it->last_write_time(statError);
      if (statError) continue;
      if (!name.empty() && name[0] == '~' && EndsWith(name, ".tmp")) {
        if (now - used > kStaleTemporary) fileutil::RemoveFileQuiet(fileutil::Utf8(it->path()));
        continue;
      }
      if (!EndsWith(name, kEntrySuffix)) continue;
      const unsigned long long size = it->file_size(statError);
      if (statError) continue;
      entries.push_back({used, it->path(), size});
      total += size;
    }
    if (total <= limit_) return;
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
      return a.used != b.used ? a.used < b.used : a.path < b.path;
    });
    for (const Entry& entry : entries) {
      if (total <= limit_) break;
      std::error_code removeError;
      fs::remove(entry.path, removeError);  // another program may have removed it already
      total -= entry.size;
      ++evicted_;
    }
  } catch (...) {
    // Trimming is housekeeping; a folder that cannot be read is left as it is.
  }
}

TPictureCache::TCounts TPictureCache::Counts() const {
  return {hits_.load(), misses_.load(), dropped_.load(), stored_.load(), evicted_.load()};
}

TScaledImage ScaleJpegFileCached(const std::string& sourcePath, int targetHeight,
                                 TPictureCache* cache, const TScaleOptions& options) {
  if (!cache) return ScaleJpegFile(sourcePath, targetHeight, options);
  if (options.neverEnlarge && UprightPictureSize(sourcePath).second < targetHeight) return {};
  // The JPEG and each further format are entries of their own: turning a format on or off
  // keeps what the others have in the cache.
  std::vector<unsigned> formats = {0};
  for (const unsigned format : {kWebpFormat, kAvifFormat}) {
    if (options.formats & format) formats.push_back(format);
  }
  const std::optional<TSourceStamp> before = SourceStampOf(sourcePath);
  if (before) {
    std::optional<TScaledImage> found;
    for (const unsigned format : formats) {
      std::optional<TScaledImage> hit = cache->Find(*before, targetHeight, format);
      if (!hit || (found && (hit->width != found->width || hit->height != found->height))) {
        found.reset();
        break;
      }
      if (!found) {
        found = std::move(hit);
      } else {
        BytesOf(*found, format) = std::move(BytesOf(*hit, format));
      }
    }
    if (found) return std::move(*found);
  }
  TScaledImage picture = ScaleJpegFile(sourcePath, targetHeight, options);
  const long long now = NowNs();
  if (before && !picture.usedBackground && !picture.jpeg.empty() &&
      before->modifiedNs <= now - kSettleNs && SourceStampOf(sourcePath) == before) {
    for (const unsigned format : formats) {
      if (!BytesOf(picture, format).empty()) cache->Store(*before, targetHeight, picture, format);
    }
  }
  return picture;
}
