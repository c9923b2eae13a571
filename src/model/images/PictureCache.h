// A cache of scaled pictures shared by every run of the program (and by several programs at once),
// so that saving or previewing a design whose pictures did not change scales nothing again.
//
// An entry is looked up by the source file's identity as the file system reports it (canonical
// path, size, modification and status change time in nanoseconds, device and inode or volume and
// file id), the target height and the version of the picture pipeline; it holds the scaled JPEG
// with its width and height, behind a checksum. Nothing read from the cache folder is trusted: an
// entry that does not verify is deleted and the picture is scaled afresh. Entries are written
// through a temporary file that replaces the old entry in one step, so a reader sees an entry
// whole or not at all. The folder is kept below a size limit by deleting the least recently used
// entries (Trim).
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "images/ImageScaler.h"

constexpr unsigned long long kDefaultPictureCacheLimit = 256ULL * 1024 * 1024;

// What identifies the contents of a file at one moment, as far as the file system tells.
struct TSourceStamp {
  std::string canonicalPath;  // UTF-8, links resolved
  unsigned long long size = 0;
  long long modifiedNs = 0;       // modification time, nanoseconds since the epoch
  long long changedNs = 0;        // status change time (POSIX ctime; NTFS change time)
  unsigned long long device = 0;  // device, or volume serial number
  unsigned long long fileId = 0;  // inode, or NTFS file index

  bool operator==(const TSourceStamp&) const = default;
};

// The stamp of the file at `path`; nullopt when it is not a regular file we can examine.
std::optional<TSourceStamp> SourceStampOf(const std::string& path);

// Everything besides the source and the height that shapes a scaled picture: the pipeline
// revision, the JPEG and colour libraries it was built with, and the encoder settings.
std::string PicturePipelineVersion();

class TPictureCache {
 public:
  // `folder`: where the entries live; it is made, with its missing parents, readable by the user
  // alone when the first entry is stored. A folder that belongs to someone else or that others
  // may write to is not used (see CheckFolder).
  explicit TPictureCache(std::string folder,
                         unsigned long long limitBytes = kDefaultPictureCacheLimit,
                         std::string pipelineVersion = PicturePipelineVersion());

  // The user's cache folder for pictures: $XDG_CACHE_HOME/torvane/pictures/ (an absolute
  // XDG_CACHE_HOME only), else $HOME/.cache/torvane/pictures/. Empty when neither is known.
  static std::string DefaultFolder();

  const std::string& Folder() const { return folder_; }  // with a trailing separator
  unsigned long long Limit() const { return limit_; }

  // The entry for the source in the state `stamp` at `targetHeight`, verified; it is marked as
  // used just now. An entry that does not verify is deleted; a file larger than any entry, or a
  // link, is never read. Never throws.
  // `format` 0 is the JPEG, else a TModernFormat bit: the result then holds that format's bytes
  // (webp or avif) besides the size, and no JPEG.
  std::optional<TScaledImage> Find(const TSourceStamp& stamp, int targetHeight,
                                   unsigned format = 0);
  // Stores (or replaces) the entry of one format of the picture. A cache that cannot be written
  // is no failure: never throws.
  void Store(const TSourceStamp& stamp, int targetHeight, const TScaledImage& picture,
             unsigned format = 0);
  // When this object stored anything, deletes the least recently used entries until the folder
  // holds at most Limit() bytes of entries, and temporary files left by programs that stopped
  // while writing. Never throws.
  void Trim();

  // The file that holds the entry for this source and height (whether or not it exists).
  std::string EntryPath(const std::string& canonicalPath, int targetHeight,
                        unsigned format = 0) const;

  // What happened so far through this object.
  struct TCounts {
    int hits = 0;
    int misses = 0;
    int dropped = 0;  // entries that did not verify
    int stored = 0;
    int evicted = 0;
  };
  TCounts Counts() const;

 private:
  std::string KeyText(const TSourceStamp& stamp, int targetHeight, unsigned format) const;
  static std::string FormatTag(unsigned format);
  // Whether the folder may be used: it must belong to the user, and no one else may write to it
  // (else entries that pass the checksum, or links, could be planted). A folder that is not
  // is not used at all, and stderr says so once.
  enum class FolderState { Unchecked, Missing, Private, Refused };
  FolderState CheckFolder();

  std::string folder_;
  unsigned long long limit_;
  std::string version_;
  std::mutex folderMutex_;
  FolderState folderState_ = FolderState::Unchecked;
  std::atomic<int> hits_{0}, misses_{0}, dropped_{0}, stored_{0}, evicted_{0};
};

// ScaleJpegFile through the cache (none when `cache` is null): a verified entry for the file as it
// is now is returned as it stands; otherwise the picture is scaled and stored, unless the file
// changed while it was read or was changed so recently that a further change could keep its time
// stamp. The result is byte for byte what ScaleJpegFile gives. Pictures whose look depends on the
// background colour (sources with alpha) are not kept. With options.neverEnlarge a source less
// tall than the target is found out from its header, before the cache is asked.
TScaledImage ScaleJpegFileCached(const std::string& sourcePath, int targetHeight,
                                 TPictureCache* cache, const TScaleOptions& options = {});
