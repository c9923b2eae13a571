#include "FileUtil.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <system_error>

#include <algorithm>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "Errors.h"

namespace fs = std::filesystem;

namespace fileutil {

long long failNextWriteAfterBytes = -1;
int failWriteNumber = 0;

fs::path FsPath(const std::string& utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

namespace {

bool IsSeparator(char c) { return c == '/'; }

size_t LastSeparator(const std::string& path) {
  for (size_t i = path.size(); i > 0; --i) {
    if (IsSeparator(path[i - 1])) return i - 1;
  }
  return std::string::npos;
}

std::string ErrnoText(int error) { return std::strerror(error); }

// The user-facing text for a file that cannot be opened.
TMessage OpenErrorText(const std::string& path, int error, bool forWriting) {
  if (error == ENOENT && !forWriting) return TV_MESSAGE("model", "File not found: %1").Arg(path);
  if (error == EACCES || error == EPERM || error == EROFS)
    return TV_MESSAGE("model", "File access denied: %1").Arg(path);
  if (error == ENOSPC) return TV_MESSAGE("model", "Disk full: %1").Arg(path);
  return (forWriting ? TV_MESSAGE("model", "Cannot create file %1 (%2)")
                     : TV_MESSAGE("model", "Cannot open file %1 (%2)"))
      .Arg(path)
      .Arg(ErrnoText(error));
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
  return std::fopen(path.c_str(), mode);
}

std::string TemporaryNameBeside(const std::string& path) {
  // One generator per thread: pictures are written from worker threads too.
  thread_local std::mt19937 random{std::random_device{}()};
  // ".PID-RANDOM.tmp": the process that made it is known, so a file left by one that was killed
  // can be told from one being written (RemoveStaleTemporaryFiles).
  char suffix[40];
  const long pid = static_cast<long>(::getpid());
  std::snprintf(suffix, sizeof suffix, ".%ld-%06x.tmp", pid,
                static_cast<unsigned>(random() & 0xFFFFFF));
  return FolderOf(path) + "~" + NameOf(path) + suffix;
}

}  // namespace

std::string FolderOf(const std::string& path) {
  const size_t at = LastSeparator(path);
  return at == std::string::npos ? std::string() : path.substr(0, at + 1);
}

std::string NameOf(const std::string& path) {
  const size_t at = LastSeparator(path);
  return at == std::string::npos ? path : path.substr(at + 1);
}

std::string WithSeparator(const std::string& folder) {
  if (folder.empty() || IsSeparator(folder.back())) return folder;
  return folder + static_cast<char>(fs::path::preferred_separator);
}

bool IsFile(const std::string& path) {
  std::error_code error;
  return !path.empty() && fs::is_regular_file(FsPath(path), error);
}

namespace {

// Temporary files of replacing writes that are open right now, for AbandonTemporaryFiles.
std::mutex& TemporaryMutex() {
  static std::mutex mutex;
  return mutex;
}
std::set<std::string>& TemporaryFiles() {
  static std::set<std::string> files;
  return files;
}

TMessage WriteErrorText(const std::string& path, int error) {
#ifdef EDQUOT
  if (error == EDQUOT) error = ENOSPC;
#endif
  if (error == ENOSPC) return TV_MESSAGE("model", "Disk full: %1 was not written").Arg(path);
  return TV_MESSAGE("model", "Cannot write file %1 (%2)").Arg(path).Arg(ErrnoText(error));
}

// One replacing write: a temporary file beside the target, renamed over it by Commit once it is
// complete, checked and flushed; removed again when the write does not get that far.
class TReplacingWrite {
 public:
  // followLinks: a path that is a symbolic link updates the file the link points to, and the new
  // file takes the permission bits (and, where allowed, the owner and group) of the one it
  // replaces. Otherwise the name itself is replaced, whatever it was (a link, another user's
  // file), by a new file of the user's that only the user may read and write.
  explicit TReplacingWrite(const std::string& path, bool followLinks = true)
      : shown_(path), target_(followLinks ? WriteTarget(path) : path) {
    if (followLinks) CheckWritableTarget(path);  // else the rename below fails on a folder
    // The failure hook of the tests: fires on this write when it is the one they picked (writes
    // may run on several threads at once).
    {
      static std::mutex hookMutex;
      const std::lock_guard<std::mutex> lock(hookMutex);
      if (failNextWriteAfterBytes >= 0) {
        if (failWriteNumber > 1) {
          --failWriteNumber;
        } else {
          failWriteNumber = 0;
          budget_ = failNextWriteAfterBytes;
          failNextWriteAfterBytes = -1;
        }
      }
    }
    struct stat existing;
    const bool replacing =
        followLinks && ::lstat(target_.c_str(), &existing) == 0 && S_ISREG(existing.st_mode);
    for (int attempt = 0; fd_ < 0; ++attempt) {
      temporary_ = TemporaryNameBeside(target_);
      int openError = 0;
      {
        // Made and registered in one step: AbandonTemporaryFiles sees every file that exists.
        std::lock_guard<std::mutex> lock(TemporaryMutex());
        fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                     followLinks ? 0666 : 0600);
        if (fd_ >= 0) {
          TemporaryFiles().insert(temporary_);
        } else {
          openError = errno;
        }
      }
      if (fd_ < 0) {
        if (openError == EEXIST && attempt < 100) continue;
        throw TvFileError(OpenErrorText(shown_, openError, true));
      }
    }
    if (replacing) {
      // The new file takes the old one's permission bits and, where we may, its owner and group.
      if (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid()) {
        if (::fchown(fd_, existing.st_uid, existing.st_gid) != 0) {
          [[maybe_unused]] const int ignored =
              ::fchown(fd_, static_cast<uid_t>(-1), existing.st_gid);
        }
      }
      ::fchmod(fd_, existing.st_mode & 07777);
    }
  }

  ~TReplacingWrite() {
    if (fd_ >= 0) Close();
    if (!committed_) {
      std::error_code ignored;
      fs::remove(FsPath(temporary_), ignored);
      Forget();
    }
  }
  TReplacingWrite(const TReplacingWrite&) = delete;
  TReplacingWrite& operator=(const TReplacingWrite&) = delete;

  // Appends bytes; throws on the first failure.
  void Write(const char* data, size_t size) {
    while (size > 0) {
      size_t chunk = std::min<size_t>(size, 1 << 20);
      if (budget_ >= 0 && static_cast<long long>(chunk) > budget_) {
        chunk = static_cast<size_t>(budget_);
        if (chunk == 0) Fail(ENOSPC);
      }
      const long long done = ::write(fd_, data, chunk);
      if (done < 0) {
        if (errno == EINTR) continue;
        Fail(errno);
      }
      if (done == 0) Fail(ENOSPC);
      if (budget_ >= 0) budget_ -= done;
      written_ += done;
      data += done;
      size -= static_cast<size_t>(done);
    }
  }

  // Checks the size on disk, flushes (unless told not to), and renames the file into place.
  void Commit(bool flushToDisk = true) {
    struct stat info;
    if (::fstat(fd_, &info) != 0) Fail(errno);
    if (flushToDisk && ::fsync(fd_) != 0) Fail(errno);
    if (static_cast<long long>(info.st_size) != written_) {
      throw TvFileError(TV_MESSAGE("model", "Cannot write file %1 (it holds %L2 of %L3 bytes)")
                            .Arg(shown_)
                            .Arg(static_cast<long long>(info.st_size))
                            .Arg(written_));
    }
    if (Close() != 0) Fail(errno);
    std::lock_guard<std::mutex> lock(TemporaryMutex());
    if (TemporaryFiles().count(temporary_) == 0) Fail(EINTR);  // abandoned meanwhile
    std::error_code error;
    fs::rename(FsPath(temporary_), FsPath(target_), error);
    if (error) Fail(error.value());
    TemporaryFiles().erase(temporary_);
    committed_ = true;
  }

 private:
  [[noreturn]] void Fail(int error) { throw TvFileError(WriteErrorText(shown_, error)); }
  int Close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result;
  }
  void Forget() {
    std::lock_guard<std::mutex> lock(TemporaryMutex());
    TemporaryFiles().erase(temporary_);
  }

  std::string shown_;   // the path as the caller named it, for messages
  std::string target_;  // the file that is replaced
  std::string temporary_;
  int fd_ = -1;
  long long budget_ = -1;  // bytes the failure hook lets through; -1: no limit
  long long written_ = 0;
  bool committed_ = false;
};

}  // namespace

std::string WriteTarget(const std::string& path) {
  fs::path current = FsPath(path);
  std::error_code error;
  for (int hops = 0; hops < 40 && fs::is_symlink(current, error); ++hops) {
    const fs::path next = fs::read_symlink(current, error);
    if (error) break;
    current = next.is_absolute() ? next : current.parent_path() / next;
  }
  return Utf8(current);
}

void CheckWritableTarget(const std::string& path) {
  std::error_code error;
  if (fs::is_directory(FsPath(WriteTarget(path)), error)) {
    throw TvFileError(
        TV_MESSAGE("model", "Cannot create file %1 (a folder of that name exists)").Arg(path));
  }
}

void WriteFileReplacing(const std::string& path, const std::string& bytes, bool flushToDisk) {
  TReplacingWrite write(path);
  write.Write(bytes.data(), bytes.size());
  write.Commit(flushToDisk);
}

void WriteFileReplacingName(const std::string& path, const std::string& bytes) {
  TReplacingWrite write(path, /*followLinks=*/false);
  write.Write(bytes.data(), bytes.size());
  write.Commit(false);
}

bool CopyFileReplacing(const std::string& from, const std::string& to) {
  std::error_code error;
  if (!fs::is_regular_file(FsPath(from), error)) return false;
  if (fs::equivalent(FsPath(from), FsPath(to), error)) return true;
  std::FILE* source = OpenFile(from, "rb");
  if (!source) return false;
  struct Closer {
    std::FILE* file;
    ~Closer() { std::fclose(file); }
  } closer{source};
  TReplacingWrite write(to);
  std::vector<char> buffer(1 << 16);
  size_t count;
  while ((count = std::fread(buffer.data(), 1, buffer.size(), source)) > 0) {
    write.Write(buffer.data(), count);
  }
  if (std::ferror(source)) {
    throw TvFileError(
        TV_MESSAGE("model", "Cannot read file %1 (copying it to %2)").Arg(from).Arg(to));
  }
  write.Commit();
  return true;
}

namespace {

// Calls `chunk(data, size)` for the file's bytes in pieces until it returns false; false when
// the file cannot be read to its end or `chunk` said stop.
template <typename Chunk>
bool ReadInPieces(const std::string& path, Chunk chunk) {
  std::FILE* file = OpenFile(path, "rb");
  if (!file) return false;
  std::vector<char> buffer(1 << 16);
  bool same = true;
  size_t count;
  while (same && (count = std::fread(buffer.data(), 1, buffer.size(), file)) > 0) {
    same = chunk(buffer.data(), count);
  }
  same = same && !std::ferror(file);
  std::fclose(file);
  return same;
}

// The size of a regular file (through links), or -1.
long long RegularFileSize(const std::string& path) {
  std::error_code error;
  const fs::path fsPath = FsPath(path);
  if (!fs::is_regular_file(fsPath, error)) return -1;
  const auto size = fs::file_size(fsPath, error);
  return error ? -1 : static_cast<long long>(size);
}

}  // namespace

bool HoldsBytes(const std::string& path, const std::string& bytes) {
  if (RegularFileSize(path) != static_cast<long long>(bytes.size())) return false;
  size_t at = 0;
  return ReadInPieces(
             path,
             [&](const char* data, size_t size) {
               if (at + size > bytes.size() || std::memcmp(data, bytes.data() + at, size) != 0) {
                 return false;
               }
               at += size;
               return true;
             }) &&
         at == bytes.size();
}

bool SameContents(const std::string& path, const std::string& other) {
  const long long size = RegularFileSize(path);
  if (size < 0 || size != RegularFileSize(other)) return false;
  std::FILE* second = OpenFile(other, "rb");
  if (!second) return false;
  std::vector<char> buffer(1 << 16);
  long long compared = 0;
  const bool same = ReadInPieces(path, [&](const char* data, size_t count) {
    if (std::fread(buffer.data(), 1, count, second) != count ||
        std::memcmp(data, buffer.data(), count) != 0) {
      return false;
    }
    compared += static_cast<long long>(count);
    return true;
  });
  const bool atEnd = std::fgetc(second) == EOF;
  std::fclose(second);
  return same && atEnd && compared == size;
}

bool WriteFileIfChanged(const std::string& path, const std::string& bytes, bool flushToDisk) {
  if (HoldsBytes(path, bytes)) return false;
  WriteFileReplacing(path, bytes, flushToDisk);
  return true;
}

bool CopyFileIfChanged(const std::string& from, const std::string& to) {
  if (SameContents(from, to)) return false;
  return CopyFileReplacing(from, to);
}

void AbandonTemporaryFiles() {
  // Taken for good: no temporary file is made or renamed into place after this.
  TemporaryMutex().lock();
  for (const std::string& temporary : TemporaryFiles()) {
    std::error_code ignored;
    fs::remove(FsPath(temporary), ignored);
  }
  TemporaryFiles().clear();
}

namespace {

// The folder locks this process holds, with the thread holding each.
struct THeldLock {
  unsigned long long device, inode;
  std::thread::id owner;
  int depth;
};
std::mutex& HeldLocksMutex() {
  static std::mutex mutex;
  return mutex;
}
std::vector<THeldLock>& HeldLocks() {
  static std::vector<THeldLock> locks;
  return locks;
}

}  // namespace

TFolderLock::TFolderLock(const std::string& folder) {
  fd_ = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  struct stat info;
  if (fd_ < 0) return;
  if (::fstat(fd_, &info) == 0) {
    device_ = static_cast<unsigned long long>(info.st_dev);
    inode_ = static_cast<unsigned long long>(info.st_ino);
    std::lock_guard<std::mutex> lock(HeldLocksMutex());
    for (THeldLock& held : HeldLocks()) {
      if (held.device == device_ && held.inode == inode_ &&
          held.owner == std::this_thread::get_id()) {
        ++held.depth;
        nested_ = true;
        ::close(fd_);
        fd_ = -1;
        return;
      }
    }
  }
  while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
  }
  std::lock_guard<std::mutex> lock(HeldLocksMutex());
  HeldLocks().push_back({device_, inode_, std::this_thread::get_id(), 1});
}

TFolderLock::~TFolderLock() {
  if (fd_ < 0 && !nested_) return;
  {
    std::lock_guard<std::mutex> lock(HeldLocksMutex());
    std::vector<THeldLock>& locks = HeldLocks();
    for (size_t i = 0; i < locks.size(); ++i) {
      if (locks[i].device == device_ && locks[i].inode == inode_ &&
          locks[i].owner == std::this_thread::get_id()) {
        if (--locks[i].depth == 0) locks.erase(locks.begin() + static_cast<long>(i));
        break;
      }
    }
  }
  if (fd_ >= 0) ::close(fd_);  // releases the lock
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

void WriteTextLines(const std::string& path, const std::vector<std::string>& lines) {
  WriteFileReplacing(path, JoinLines(lines));
}

namespace {
// Only regular files are read: a folder, a pipe or a device (which may never end, or block the
// open itself) is refused before it is opened. A missing file is left to the open's own error.
void CheckReadable(const std::string& path) {
  std::error_code error;
  const fs::file_status status = fs::status(FsPath(path), error);
  if (error || !fs::exists(status) || fs::is_regular_file(status)) return;
  throw TvFileError((fs::is_directory(status)
                         ? TV_MESSAGE("model", "Cannot open file %1 (it is a folder)")
                         : TV_MESSAGE("model", "Cannot open file %1 (it is not a regular file)"))
                        .Arg(path));
}
}  // namespace

std::string ReadFileBytes(const std::string& path) {
  CheckReadable(path);
  std::FILE* file = OpenFile(path, "rb");
  if (!file) {
    const int openError = errno;
    throw TvFileError(OpenErrorText(path, openError, false));
  }
  std::string bytes;
  char buffer[65536];
  size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, count);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) throw TvFileError(TV_MESSAGE("model", "Cannot read file %1").Arg(path));
  return bytes;
}

std::string DecodeLine(const std::string& bytes) {
  return IsValidUtf8(bytes) ? bytes : Windows1252ToUtf8(bytes);
}

std::vector<std::string> ReadTextLines(const std::string& path) {
  TTextLineReader reader(path);
  std::vector<std::string> lines;
  for (std::string line; reader.Next(line);) lines.push_back(std::move(line));
  return lines;
}

TTextLineReader::TTextLineReader(const std::string& path, long long maxFileBytes)
    : name_(path), maxBytes_(maxFileBytes) {
  std::error_code error;
  CheckReadable(path);
  std::FILE* file = OpenFile(path, "rb");
  if (!file) {
    const int openError = errno;
    throw TvFileError(OpenErrorText(path, openError, false));
  }
  file_ = file;
  if (maxFileBytes >= 0) {
    const auto size = fs::file_size(FsPath(path), error);
    if (!error && static_cast<long long>(size) > maxFileBytes) {
      std::fclose(file);
      file_ = nullptr;
      throw TvFileError(
          TV_MESSAGE("model", "The file %1 is too large (%L2 bytes; at most %L3 are read)")
              .Arg(path)
              .Arg(static_cast<long long>(size))
              .Arg(maxFileBytes));
    }
  }
}

TTextLineReader::TTextLineReader(const char* text, size_t size, const std::string& name)
    : name_(name), text_(text), textSize_(size) {}

TTextLineReader::~TTextLineReader() {
  if (file_) std::fclose(static_cast<std::FILE*>(file_));
}

bool TTextLineReader::Fill() {
  if (start_ > 0) {
    buffer_.erase(0, start_);
    start_ = 0;
  }
  if (atEnd_) return false;
  if (!file_) {
    buffer_.append(text_, textSize_);
    atEnd_ = true;
    return textSize_ > 0;
  }
  char chunk[1 << 16];
  const size_t count = std::fread(chunk, 1, sizeof chunk, static_cast<std::FILE*>(file_));
  if (count == 0) {
    if (std::ferror(static_cast<std::FILE*>(file_))) {
      throw TvFileError(TV_MESSAGE("model", "Cannot read file %1").Arg(name_));
    }
    atEnd_ = true;
    return false;
  }
  buffer_.append(chunk, count);
  // A file that grows while it is read is held to the same limit as its size.
  bytesRead_ += static_cast<long long>(count);
  if (maxBytes_ >= 0 && bytesRead_ > maxBytes_) {
    throw TvFileError(TV_MESSAGE("model", "The file %1 is too large (more than %L2 bytes are read)")
                          .Arg(name_)
                          .Arg(maxBytes_));
  }
  return true;
}

bool TTextLineReader::Next(std::string& line) {
  size_t end = buffer_.find('\n', start_);
  while (end == std::string::npos) {
    const size_t scanned = buffer_.size() - start_;  // unread bytes known to hold no line end
    const bool more = Fill();                        // leaves start_ at 0
    if (!more) {
      if (start_ >= buffer_.size()) return false;
      end = buffer_.size();
      break;
    }
    end = buffer_.find('\n', scanned);
  }
  size_t lineEnd = end;
  if (lineEnd > start_ && buffer_[lineEnd - 1] == '\r') --lineEnd;
  size_t from = start_;
  if (first_) {
    first_ = false;
    if (lineEnd - from >= 3 && buffer_.compare(from, 3, "\xEF\xBB\xBF") == 0) from += 3;
  }
  line = DecodeLine(buffer_.substr(from, lineEnd - from));
  start_ = end < buffer_.size() ? end + 1 : buffer_.size();
  ++lineNumber_;
  return true;
}

char32_t NextCodePoint(const std::string& text, size_t& i) {
  const unsigned char c = static_cast<unsigned char>(text[i]);
  size_t length;
  char32_t code;
  char32_t minimum;
  if (c < 0x80) {
    ++i;
    return c;
  } else if ((c & 0xE0) == 0xC0) {
    length = 2, code = c & 0x1F, minimum = 0x80;
  } else if ((c & 0xF0) == 0xE0) {
    length = 3, code = c & 0x0F, minimum = 0x800;
  } else if ((c & 0xF8) == 0xF0) {
    length = 4, code = c & 0x07, minimum = 0x10000;
  } else {
    ++i;
    return kNoCodePoint;
  }
  if (i + length > text.size()) {
    ++i;
    return kNoCodePoint;
  }
  for (size_t k = 1; k < length; ++k) {
    const unsigned char next = static_cast<unsigned char>(text[i + k]);
    if ((next & 0xC0) != 0x80) {
      ++i;
      return kNoCodePoint;
    }
    code = (code << 6) | (next & 0x3F);
  }
  if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
    ++i;
    return kNoCodePoint;
  }
  i += length;
  return code;
}

void AppendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

bool IsValidUtf8(const std::string& bytes) {
  for (size_t i = 0; i < bytes.size();) {
    if (NextCodePoint(bytes, i) == kNoCodePoint) return false;
  }
  return true;
}

std::string Windows1252ToUtf8(const std::string& bytes) {
  // 0x80..0x9F differ from Latin-1; the five unassigned positions map to themselves.
  static const unsigned short kHigh[32] = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 4);
  for (const char ch : bytes) {
    const unsigned char c = static_cast<unsigned char>(ch);
    AppendUtf8(out, c >= 0x80 && c < 0xA0 ? kHigh[c - 0x80] : c);
  }
  return out;
}

bool CopyFileQuiet(const std::string& from, const std::string& to) {
  try {
    return CopyFileReplacing(from, to);
  } catch (const TvError&) {
    return false;
  }
}

int RemoveStaleTemporaryFiles(const std::string& folder) {
  int removed = 0;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(FsPath(folder.empty() ? "." : folder), error)) {
    const std::string name = Utf8(entry.path().filename());
    const std::string tail = ".tmp";
    if (name.size() < 12 || name[0] != '~' ||
        name.compare(name.size() - tail.size(), tail.size(), tail) != 0) {
      continue;
    }
    // "~NAME.PID-XXXXXX.tmp"
    const std::string stem = name.substr(0, name.size() - tail.size());
    const size_t dot = stem.rfind('.');
    const size_t dash = stem.rfind('-');
    if (dot == std::string::npos || dash == std::string::npos || dash < dot + 2 ||
        stem.size() - dash != 7 || stem.find_first_not_of("0123456789", dot + 1) != dash ||
        stem.find_first_not_of("0123456789abcdef", dash + 1) != std::string::npos) {
      continue;
    }
    struct stat info;
    if (::lstat(entry.path().c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
        info.st_uid != ::geteuid()) {
      continue;
    }
    const long pid = std::strtol(stem.c_str() + dot + 1, nullptr, 10);
    if (pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH &&
        ::unlink(entry.path().c_str()) == 0) {
      ++removed;
    }
  }
  return removed;
}

bool RemoveFileQuiet(const std::string& path) {
  std::error_code error;
  return fs::remove(FsPath(path), error) && !error;
}

}  // namespace fileutil
