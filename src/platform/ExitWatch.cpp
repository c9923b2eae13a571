#include "ExitWatch.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <thread>
#include <utility>

#include "FileUtil.h"

namespace exitwatch {

void Arm(TExitPlan plan) {
  static std::atomic<bool> armed{false};
  if (armed.exchange(true)) return;
  std::thread([plan = std::move(plan)] {
    using namespace std::chrono;
    const auto start = steady_clock::now();
    std::this_thread::sleep_for(milliseconds(plan.afterMs));
    while (plan.holding && plan.holding() &&
           steady_clock::now() - start < milliseconds(plan.longestMs))
      std::this_thread::sleep_for(milliseconds(20));
    fileutil::AbandonTemporaryFiles();
    for (const std::string& folder : plan.folders) {
      std::error_code ignored;
      if (!folder.empty()) std::filesystem::remove_all(fileutil::FsPath(folder), ignored);
    }
    std::_Exit(plan.status);
  }).detach();
}

}  // namespace exitwatch
