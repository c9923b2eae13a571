#include "Places.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <system_error>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "Errors.h"
#include "FileUtil.h"

namespace fs = std::filesystem;

namespace places {
namespace {

const char* const kRuntimeScript = "torvane.js";

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

// The system's folder for temporary files; /tmp when TMPDIR names no folder (the library's call
// would throw a bare "filesystem error" then).
std::string TempFolder() {
  std::error_code error;
  const fs::path folder = fs::temp_directory_path(error);
  return error ? std::string("/tmp/") : fileutil::WithSeparator(fileutil::Utf8(folder));
}

// An XDG base folder: the variable when it holds an absolute path, else $HOME + fallback.
std::string XdgFolder(const char* variable, const char* fallback) {
  const std::string set = Env(variable);
  if (!set.empty() && fs::path(set).is_absolute()) return fileutil::WithSeparator(set);
  std::string home = Env("HOME");
  if (home.empty()) home = TempFolder();
  return fileutil::WithSeparator(fileutil::Utf8(fileutil::FsPath(home) / fallback));
}

bool IsFolder(const std::string& path) {
  std::error_code error;
  return fs::is_directory(fileutil::FsPath(path), error);
}

// "TAG-HOST-PID-": private folders carry the machine and the process that made them, so the
// folders of programs that ended without their clean-up (killed, crashed) can be found.
std::string ProcessPrefix(const std::string& tag, long pid) {
  char host[256] = {};
  if (::gethostname(host, sizeof host - 1) != 0) host[0] = '\0';
  std::string name;
  for (const char* c = host; *c; ++c)
    name += (std::isalnum(static_cast<unsigned char>(*c)) || *c == '.') ? *c : '_';
  return tag + "-" + name + "-" + std::to_string(pid) + "-";
}

// Removes the folders of `tag` in `base` that belong to this user and were left by processes of
// this machine that no longer run.
void RemoveLeftFolders(const std::string& base, const std::string& tag) {
  std::error_code error;
  const std::string ours = ProcessPrefix(tag, 0);
  const std::string hostPart = ours.substr(0, ours.size() - 2);  // "TAG-HOST-"
  for (const auto& entry : fs::directory_iterator(fileutil::FsPath(base), error)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(hostPart, 0) != 0) continue;
    const std::string rest = name.substr(hostPart.size());
    const size_t dash = rest.find('-');
    if (dash == 0 || dash == std::string::npos || rest.find_first_not_of("0123456789") != dash)
      continue;
    struct stat info;
    if (::lstat(entry.path().c_str(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != ::geteuid())
      continue;
    const long pid = std::strtol(rest.substr(0, dash).c_str(), nullptr, 10);
    if (pid <= 0 || (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)) {
      std::error_code ignored;
      fs::remove_all(entry.path(), ignored);
    }
  }
}

// Removes everything inside `folder`, leaving the folder itself.
void Empty(const std::string& folder) {
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(fileutil::FsPath(folder), error)) {
    std::error_code ignored;
    fs::remove_all(entry.path(), ignored);
  }
}

}  // namespace

std::string ExecutableFolder() {
  std::error_code error;
  const fs::path exe = fs::read_symlink("/proc/self/exe", error);
  if (error)
    throw TvError(
        TV_MESSAGE("model", "Cannot find the folder of the running program (/proc/self/exe)"));
  return fileutil::WithSeparator(fileutil::Utf8(exe.parent_path()));
}

std::string FilesFolder(const std::string& executableFolder) {
  const std::string beside = fileutil::WithSeparator(executableFolder);
  if (fileutil::IsFile(beside + kRuntimeScript)) return beside;
  fs::path exe = fileutil::FsPath(beside).lexically_normal();
  if (!exe.has_filename()) exe = exe.parent_path();  // drop the trailing separator
  const fs::path installed = exe.parent_path() / "share" / "torvane";
  if (IsFolder(fileutil::Utf8(installed)))
    return fileutil::WithSeparator(fileutil::Utf8(installed));
  return beside;
}

bool IsInstalledTree(const std::string& filesFolder) {
  fs::path folder = fileutil::FsPath(filesFolder).lexically_normal();
  if (!folder.has_filename()) folder = folder.parent_path();
  return folder.filename() == "torvane" && folder.parent_path().filename() == "share";
}

bool IsWritableFolder(const std::string& folder) {
  if (!IsFolder(folder)) return false;
  return ::access(fileutil::FsPath(folder).c_str(), W_OK | X_OK) == 0;
}

std::string UserCacheFolder() { return XdgFolder("XDG_CACHE_HOME", ".cache"); }

std::string UserDataFolder() {
  return XdgFolder("XDG_DATA_HOME", ".local/share") + "torvane" +
         static_cast<char>(fs::path::preferred_separator);
}

std::string UserInstanceBase() {
  const std::string runtime = Env("XDG_RUNTIME_DIR");
  if (!runtime.empty() && fs::path(runtime).is_absolute() && IsWritableFolder(runtime))
    return fileutil::WithSeparator(runtime) + "torvane" +
           static_cast<char>(fs::path::preferred_separator);
  return UserCacheFolder() + "torvane" + static_cast<char>(fs::path::preferred_separator);
}

TStatePlaces StatePlaces(const std::string& filesFolder) {
  const std::string files = fileutil::WithSeparator(filesFolder);
  TStatePlaces places;
  places.perUser = IsInstalledTree(files) || !IsWritableFolder(files);
  if (!places.perUser) {
    places.stateFolder = files;
    places.templateFolders = {files + "templates"};
  } else {
    places.stateFolder = UserDataFolder();
    places.templateFolders = {places.stateFolder + "templates", files + "templates"};
  }
  return places;
}

std::string MakeProcessFolder(const std::string& base, const std::string& tag) {
  std::error_code error;
  const fs::path parent = fileutil::FsPath(base);
  const bool existed = fs::is_directory(parent, error);
  fs::create_directories(parent, error);
  if (!fs::is_directory(parent, error)) return {};
  // Only a base made just now is made private: the mode of a folder that was there (the
  // temporary folder, say) is never changed. The new folder itself is the user's alone.
  if (!existed) ::chmod(parent.c_str(), 0700);
  RemoveLeftFolders(base, tag);
  std::string pattern =
      (parent / (ProcessPrefix(tag, static_cast<long>(::getpid())) + "XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) return {};
  return fileutil::WithSeparator(pattern);
}

TInstanceFolder::TInstanceFolder(const std::string& programFolder, bool shareable) {
  if (shareable) {
    // An advisory lock on a file of its own in the folder; it ends with the process however that
    // ends. Not on the folder itself: publishing into a folder locks the folder, and a project
    // saved into the program's folder (by this window or by torvane-cli) would wait for ever.
    const int handle =
        ::open((fileutil::FsPath(programFolder) / TInstanceFolder::kInstanceLockFile).c_str(),
               O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (handle >= 0 && ::flock(handle, LOCK_EX | LOCK_NB) == 0) {
      lock_ = handle;
      path_ = fileutil::WithSeparator(programFolder);
      // A preview left by a window that was killed while it held the folder goes now.
      Empty(path_ + "preview");
      return;
    }
    if (handle >= 0) ::close(handle);
  }
  path_ = MakeProcessFolder(UserInstanceBase(), "instance");
  if (path_.empty()) {
    path_ = MakeProcessFolder(TempFolder(), "torvane-instance");
  }
  if (path_.empty())
    throw TvError(TV_MESSAGE("model", "Cannot create a work folder in %1").Arg(UserInstanceBase()));
  private_ = true;
}

TInstanceFolder::~TInstanceFolder() {
  if (lock_ >= 0) ::close(lock_);
  if (private_) {
    std::error_code ignored;
    fs::remove_all(fileutil::FsPath(path_), ignored);
  }
}

std::string HomePage(const std::string& filesFolder) {
  return fileutil::WithSeparator(filesFolder) + "help/index.html";
}
std::string SupportPage(const std::string& filesFolder) {
  return fileutil::WithSeparator(filesFolder) + "help/support.htm";
}

bool IsInsideAnyFolder(const std::string& path, const std::vector<std::string>& folders) {
  std::error_code error;
  const fs::path file = fs::weakly_canonical(fileutil::FsPath(path), error);
  if (error) return false;
  for (const std::string& folder : folders) {
    if (folder.empty()) continue;
    const fs::path base = fs::weakly_canonical(fileutil::FsPath(folder), error);
    if (error) continue;
    const fs::path relative = file.lexically_relative(base);
    if (!relative.empty() && *relative.begin() != ".." && relative != ".") return true;
  }
  return false;
}

}  // namespace places
