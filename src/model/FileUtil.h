// File helpers shared by the model: UTF-8 paths, text files (UTF-8 with CR LF when written;
// CR LF or LF, UTF-8 or Windows-1252 when read), safe replacement of files, quiet copies.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace fileutil {

// Paths in the model are UTF-8 strings.
std::filesystem::path FsPath(const std::string& utf8);
std::string Utf8(const std::filesystem::path& path);

// The folder of a path with its trailing separator ("" for a bare name), and the bare name.
std::string FolderOf(const std::string& path);
std::string NameOf(const std::string& path);
// The folder with a trailing separator added when it is not empty and lacks one.
std::string WithSeparator(const std::string& folder);

bool IsFile(const std::string& path);

// Writes the file anew through a temporary file in the target's folder that replaces the target
// only once it is completely written, checked and flushed: a failure leaves an existing file
// untouched, removes the temporary file and throws TvFileError naming the file. A path that is a
// symbolic link updates the file the link points to (the link stays a link), and a replaced file
// keeps its permission bits (and, where allowed, its owner and group). Without `flushToDisk` the
// data is not forced to the disk before the replacement (much faster on some disks): other
// programs still see the old file or the whole new one, but after a power failure the file may be
// empty or gone. Only for files that are made again when needed (the preview folder, cached
// pictures).
void WriteFileReplacing(const std::string& path, const std::string& bytes, bool flushToDisk = true);
// The same without forcing the data to the disk, for a name in a folder of our own (a cache): a
// symbolic link of that name is replaced by the new file, never written through.
void WriteFileReplacingName(const std::string& path, const std::string& bytes);
// Copies `from` to `to` the same way, reading the source in pieces. Returns false, writing
// nothing, when `from` is not a file; throws TvFileError naming the file when the source cannot be
// read or the target cannot be written completely.
bool CopyFileReplacing(const std::string& from, const std::string& to);
// Whether the file at `path` (through symbolic links) holds exactly `bytes` / the same bytes as
// the file at `other`. False when either cannot be read.
bool HoldsBytes(const std::string& path, const std::string& bytes);
bool SameContents(const std::string& path, const std::string& other);
// WriteFileReplacing and CopyFileReplacing, unless the target already holds exactly the new
// bytes: then it is left as it is (its bytes, modification time and inode stay), so that upload
// tools comparing time and size see it unchanged. Return whether the target was written.
bool WriteFileIfChanged(const std::string& path, const std::string& bytes, bool flushToDisk = true);
bool CopyFileIfChanged(const std::string& from, const std::string& to);
// The file a write to `path` replaces: the final target of a chain of symbolic links, else path.
std::string WriteTarget(const std::string& path);
// Throws the TvFileError a replacing write to `path` would throw because a folder stands where
// the file should go, so that a run can refuse before it writes its first file.
void CheckWritableTarget(const std::string& path);
// Lines joined with CR LF after every line, as UTF-8.
std::string JoinLines(const std::vector<std::string>& lines);
void WriteTextLines(const std::string& path, const std::vector<std::string>& lines);

// The whole file; throws TvFileError ("File not found: ...", "File access denied: ...").
std::string ReadFileBytes(const std::string& path);
// The file's lines as UTF-8, split at CR LF or LF. Each line is decoded on its own: a line that
// is valid UTF-8 is taken as it is, any other line is read as Windows-1252. A UTF-8 byte-order
// mark at the start is dropped. A final line end does not add an empty line.
std::vector<std::string> ReadTextLines(const std::string& path);

// The same, one line at a time, from a file (read in pieces, never whole) or from text held in
// memory. Lines have no length limit of their own; a file larger than maxFileBytes is refused
// when it is opened or once more is read (TvFileError naming it). Only regular files are read: a
// folder, pipe or device is refused before it is opened.
class TTextLineReader {
 public:
  static constexpr long long kNoLimit = -1;
  explicit TTextLineReader(const std::string& path, long long maxFileBytes = kNoLimit);
  // `text` must outlive the reader; `name` names it in errors.
  TTextLineReader(const char* text, size_t size, const std::string& name);
  ~TTextLineReader();
  TTextLineReader(const TTextLineReader&) = delete;
  TTextLineReader& operator=(const TTextLineReader&) = delete;

  // The next line, decoded; false at the end. A read error throws TvFileError.
  bool Next(std::string& line);
  long long LineNumber() const { return lineNumber_; }  // of the line Next returned last

 private:
  bool Fill();  // more bytes into buffer_; false at the end
  std::string name_;
  void* file_ = nullptr;  // std::FILE*
  const char* text_ = nullptr;
  size_t textSize_ = 0;
  std::string buffer_;
  size_t start_ = 0;  // first unread byte in buffer_
  bool atEnd_ = false;
  bool first_ = true;
  long long lineNumber_ = 0;
  long long maxBytes_ = kNoLimit;
  long long bytesRead_ = 0;
};

// A line as UTF-8: kept when valid, else read as Windows-1252.
std::string DecodeLine(const std::string& bytes);

// Decodes the code point at text[i] and advances i past it. An invalid or cut-short sequence
// (overlong forms and surrogates included) gives kNoCodePoint and consumes one byte.
constexpr char32_t kNoCodePoint = 0xFFFFFFFF;
char32_t NextCodePoint(const std::string& text, size_t& i);
void AppendUtf8(std::string& out, char32_t code);

bool IsValidUtf8(const std::string& bytes);
std::string Windows1252ToUtf8(const std::string& bytes);

// Copies that never fail loudly: false when the source is missing or the target cannot be written.
// They replace the target as CopyFileReplacing does, so a failed copy never leaves a cut-short
// file.
bool CopyFileQuiet(const std::string& from, const std::string& to);

// Holds an advisory lock on a folder for as long as it lives, so that writers of one folder
// (several publishes into it) take turns. A folder that cannot be opened is not locked. A thread
// that already holds the lock of a folder (under any spelling) may lock it again: the inner lock
// then changes nothing.
class TFolderLock {
 public:
  explicit TFolderLock(const std::string& folder);
  ~TFolderLock();
  TFolderLock(const TFolderLock&) = delete;
  TFolderLock& operator=(const TFolderLock&) = delete;

 private:
  int fd_ = -1;
  unsigned long long device_ = 0, inode_ = 0;
  bool nested_ = false;
};

// For a process that is being stopped (Ctrl+C): removes every temporary file a replacing write of
// this process has open and keeps any further one from being made or renamed into place. The
// caller ends the process right after.
void AbandonTemporaryFiles();
bool RemoveFileQuiet(const std::string& path);
// Removes the temporary files of replacing writes in `folder` that belong to this user and were
// left by processes that no longer run (killed while writing). Returns how many went.
int RemoveStaleTemporaryFiles(const std::string& folder);

// For tests: when non-negative, the next replacing write or copy fails after this many bytes, as a
// full disk would; it is reset to -1 when it fires. failWriteNumber, when positive, picks a later
// write instead: the hook fires on that replacing write (1 = the next one) and counts down.
extern long long failNextWriteAfterBytes;
extern int failWriteNumber;

}  // namespace fileutil
