#include "PrivateFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "FileUtil.h"

namespace fs = std::filesystem;

namespace fileutil {

namespace {

// The folder without a trailing separator (the root stays as it is).
std::string Bare(std::string folder) {
  while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
  return folder;
}

}  // namespace

TFolderCheck CheckPrivateFolder(const std::string& folder) {
  const std::string path = Bare(folder);
  // The folder itself, and what a link there leads to: both must be the user's.
  struct stat link, info;
  if (::lstat(path.c_str(), &link) != 0) {
    if (errno == ENOENT) return {FolderTrust::Missing, {}};
    return {FolderTrust::Refused, "it cannot be examined"};
  }
  if (::stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
    return {FolderTrust::Refused, "it is not a folder"};
  if (info.st_uid != ::geteuid() || link.st_uid != ::geteuid())
    return {FolderTrust::Refused, "it belongs to another user"};
  if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0)
    return {FolderTrust::Refused, "other users may write to it"};
  return {FolderTrust::Trusted, {}};
}

TFolderCheck MakePrivateFolder(const std::string& folder, std::string* refused) {
  const std::string path = Bare(folder);
  const TFolderCheck check = CheckPrivateFolder(path);
  if (check.trust == FolderTrust::Refused && refused) *refused = path;
  if (check.trust != FolderTrust::Missing) return check;
  const std::string parent = Bare(FolderOf(path));
  if (parent.empty() || parent == path) return check;
  const TFolderCheck up = MakePrivateFolder(parent, refused);
  if (up.trust != FolderTrust::Trusted) return up;
  if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
    if (refused) *refused = path;
    return {FolderTrust::Refused, std::string("it cannot be made (") + std::strerror(errno) + ")"};
  }
  // Examined again whoever made it: in a trusted folder that can only be the user.
  const TFolderCheck made = CheckPrivateFolder(path);
  if (made.trust != FolderTrust::Trusted && refused) *refused = path;
  return made;
}

std::optional<std::string> ReadPrivateFile(const std::string& path, unsigned long long maxBytes,
                                           bool markUsed) {
  // Looked at before it is opened, so that no device is opened at all; examined again through the
  // descriptor, which is what is read.
  struct stat info;
  if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return std::nullopt;
  std::optional<std::string> read;
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid() &&
      (info.st_mode & (S_IWGRP | S_IWOTH)) == 0 &&
      static_cast<unsigned long long>(info.st_size) <= maxBytes) {
    std::string bytes(static_cast<size_t>(info.st_size), '\0');
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      done += static_cast<size_t>(got);
    }
    if (done == bytes.size()) {
      if (markUsed) ::futimens(fd, nullptr);
      read = std::move(bytes);
    }
  }
  ::close(fd);
  return read;
}

void WarnFolderNotUsed(const std::string& kind, const std::string& folder, const std::string& why) {
  static std::mutex mutex;
  static std::vector<std::string> warned;
  std::lock_guard<std::mutex> lock(mutex);
  const std::string key = kind + '\n' + Bare(folder);
  if (std::find(warned.begin(), warned.end(), key) != warned.end()) return;
  warned.push_back(key);
  std::fprintf(stderr, "torvane: the %s folder %s is not used: %s\n", kind.c_str(), folder.c_str(),
               why.c_str());
}

}  // namespace fileutil
