// Every run of the test program gets a cache folder of its own, so that no test reads or fills
// the user's picture cache (publishing uses it unless told otherwise); programs that the tests
// start inherit it.
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

namespace {

class TPrivateCacheHome {
 public:
  TPrivateCacheHome() {
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() /
            ("torvane-test-cache-" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(path_);
    setenv("XDG_CACHE_HOME", path_.c_str(), 1);
  }
  ~TPrivateCacheHome() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }

 private:
  std::filesystem::path path_;
};

const TPrivateCacheHome privateCacheHome;

}  // namespace
