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

// Writes the file anew through a temporary file in the same folder that replaces the target only
// once it is completely written and flushed: a failure leaves an existing file untouched and
// throws TvFileError naming the file. Without `flushToDisk` the data is not forced to the disk
// before the replacement (much faster on some disks): other programs still see the old file or
// the whole new one, but after a power failure the file may be empty or gone. Only for files that
// are made again when needed (the preview folder, cached pictures).
void WriteFileReplacing(const std::string& path, const std::string& bytes, bool flushToDisk = true);
// Lines joined with CR LF after every line, as UTF-8.
void WriteTextLines(const std::string& path, const std::vector<std::string>& lines);

// The whole file; throws TvFileError ("File not found: ...", "File access denied: ...").
std::string ReadFileBytes(const std::string& path);
// The file's lines as UTF-8, split at CR LF or LF. A file that is not valid UTF-8 is read as
// Windows-1252. A UTF-8 byte-order mark is dropped. A final line end does not add an empty line.
std::vector<std::string> ReadTextLines(const std::string& path);

// Decodes the code point at text[i] and advances i past it. An invalid or cut-short sequence
// (overlong forms and surrogates included) gives kNoCodePoint and consumes one byte.
constexpr char32_t kNoCodePoint = 0xFFFFFFFF;
char32_t NextCodePoint(const std::string& text, size_t& i);
void AppendUtf8(std::string& out, char32_t code);

bool IsValidUtf8(const std::string& bytes);
std::string Windows1252ToUtf8(const std::string& bytes);

// Copies that never fail loudly: false when the source is missing or the target cannot be written.
bool CopyFileQuiet(const std::string& from, const std::string& to);
bool RemoveFileQuiet(const std::string& path);

// For tests: when non-negative, the next replacing write fails after this many bytes, as a full
// disk would; it is reset to -1 when it fires.
extern long long failNextWriteAfterBytes;

}  // namespace fileutil
