#include "FileUtil.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "Errors.h"

namespace fs = std::filesystem;

namespace fileutil {

long long failNextWriteAfterBytes = -1;

fs::path FsPath(const std::string& utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

namespace {

bool IsSeparator(char c) {
#ifdef _WIN32
  return c == '/' || c == '\\';
#else
  return c == '/';
#endif
}

size_t LastSeparator(const std::string& path) {
  for (size_t i = path.size(); i > 0; --i) {
    if (IsSeparator(path[i - 1])) return i - 1;
  }
  return std::string::npos;
}

std::string ErrnoText(int error) { return std::strerror(error); }

// The user-facing text for a file that cannot be opened.
std::string OpenErrorText(const std::string& path, int error, bool forWriting) {
  if (error == ENOENT && !forWriting) return "File not found: " + path;
  if (error == EACCES || error == EPERM || error == EROFS) return "File access denied: " + path;
  if (error == ENOSPC) return "Disk full: " + path;
  return (forWriting ? "Cannot create file " : "Cannot open file ") + path + " (" +
         ErrnoText(error) + ")";
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
#ifdef _WIN32
  std::wstring wmode(mode, mode + std::strlen(mode));
  return _wfopen(FsPath(path).c_str(), wmode.c_str());
#else
  return std::fopen(path.c_str(), mode);
#endif
}

bool FlushToDisk(std::FILE* file) {
  if (std::fflush(file) != 0) return false;
#ifdef _WIN32
  return _commit(_fileno(file)) == 0;
#else
  return fsync(fileno(file)) == 0;
#endif
}

std::string TemporaryNameBeside(const std::string& path) {
  // One generator per thread: pictures are written from worker threads too.
  thread_local std::mt19937 random{std::random_device{}()};
  char suffix[16];
  std::snprintf(suffix, sizeof suffix, ".%06x.tmp", static_cast<unsigned>(random() & 0xFFFFFF));
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

void WriteFileReplacing(const std::string& path, const std::string& bytes, bool flushToDisk) {
  std::error_code error;
  if (fs::is_directory(FsPath(path), error)) {
    throw TvFileError("Cannot create file " + path + " (a folder of that name exists)");
  }
  const std::string temporary = TemporaryNameBeside(path);
  std::FILE* file = OpenFile(temporary, "wb");
  if (!file) {
    const int openError = errno;
    throw TvFileError(OpenErrorText(path, openError, true));
  }
  size_t limit = bytes.size();
  const bool injected = failNextWriteAfterBytes >= 0;
  if (injected) {
    limit = std::min(limit, static_cast<size_t>(failNextWriteAfterBytes));
    failNextWriteAfterBytes = -1;
  }
  bool ok = std::fwrite(bytes.data(), 1, limit, file) == limit && limit == bytes.size();
  int writeError = ok ? 0 : (injected ? ENOSPC : errno);
  if (ok && flushToDisk && !FlushToDisk(file)) {
    ok = false;
    writeError = errno;
  }
  if (std::fclose(file) != 0 && ok) {
    ok = false;
    writeError = errno;
  }
  if (ok) {
    fs::rename(FsPath(temporary), FsPath(path), error);
    if (error) {
      ok = false;
      writeError = error.value();
    }
  }
  if (!ok) {
    RemoveFileQuiet(temporary);
    if (writeError == ENOSPC) throw TvFileError("Disk full: " + path + " was not written");
    throw TvFileError("Cannot write file " + path + " (" + ErrnoText(writeError) + ")");
  }
}

void WriteTextLines(const std::string& path, const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    text += line;
    text += "\r\n";
  }
  WriteFileReplacing(path, text);
}

std::string ReadFileBytes(const std::string& path) {
  std::error_code error;
  if (fs::is_directory(FsPath(path), error)) {
    throw TvFileError("Cannot open file " + path + " (it is a folder)");
  }
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
  if (failed) throw TvFileError("Cannot read file " + path);
  return bytes;
}

std::vector<std::string> ReadTextLines(const std::string& path) {
  std::string text = ReadFileBytes(path);
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
  if (!IsValidUtf8(text)) text = Windows1252ToUtf8(text);
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    size_t lineEnd = end;
    if (lineEnd > start && text[lineEnd - 1] == '\r') --lineEnd;
    lines.push_back(text.substr(start, lineEnd - start));
    start = end + 1;
  }
  return lines;
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
  std::error_code error;
  if (!fs::is_regular_file(FsPath(from), error)) return false;
  if (fs::equivalent(FsPath(from), FsPath(to), error)) return true;
  fs::copy_file(FsPath(from), FsPath(to), fs::copy_options::overwrite_existing, error);
  return !error;
}

bool RemoveFileQuiet(const std::string& path) {
  std::error_code error;
  return fs::remove(FsPath(path), error) && !error;
}

}  // namespace fileutil
