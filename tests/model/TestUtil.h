// Shared helpers for the model tests: a temporary folder that removes itself, and whole-file I/O.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

// How much slower and larger a sanitizer build runs: limits on time and memory are multiplied by
// it, so such a build checks behaviour, not speed.
#ifdef TORVANE_SANITIZED
constexpr int kSanitizerSlowdown = 4;
#else
constexpr int kSanitizerSlowdown = 1;
#endif

class TTempDir {
 public:
  TTempDir() {
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() /
            ("torvane-test-" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(path_);
  }
  ~TTempDir() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;

  // The folder with a trailing separator, as the model takes folders.
  std::string Folder() const { return path_.string() + "/"; }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}
