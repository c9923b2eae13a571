// Scaling many pictures at once: one picture per worker thread, the largest files first; each
// result is handed over on the calling thread as soon as it is done.
#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <filesystem>
#include <mutex>
#include <thread>
#include <utility>

#include "Errors.h"
#include "FileUtil.h"
#include "images/ImageScaler.h"
#include "images/PictureCache.h"

namespace {

struct Shared {
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<size_t> order;  // the jobs in the order they are handed out
  size_t next = 0;            // the next of `order` to hand out
  size_t running = 0;         // workers still looping
  bool stop = false;          // the caller gave up: hand out nothing more
  // The first job in job order that failed: only jobs before it are still handed out, so that
  // the error thrown is the first in job order whatever the order they ran in.
  size_t firstFailed = SIZE_MAX;
  std::deque<std::pair<size_t, TScaledImage>> done;  // finished, not yet handed over
};

void Work(Shared& s, const std::vector<TScaleJob>& jobs, std::vector<std::exception_ptr>& errors) {
  for (;;) {
    size_t index;
    {
      std::lock_guard<std::mutex> lock(s.mutex);
      while (s.next < s.order.size() && s.order[s.next] > s.firstFailed) ++s.next;
      if (s.stop || s.next >= s.order.size()) break;
      index = s.order[s.next++];
    }
    std::exception_ptr error;
    TScaledImage result;
    try {
      result = ScaleJpegFileCached(jobs[index].sourcePath, jobs[index].targetHeight,
                                   jobs[index].cache, jobs[index].options);
    } catch (const TvError& e) {
      error = jobs[index].item == 0
                  ? std::current_exception()
                  : std::make_exception_ptr(TvError(
                        TV_MESSAGE("model", "Item %1: %2").Arg(jobs[index].item).Arg(e.Message())));
    } catch (...) {
      error = std::current_exception();
    }
    std::lock_guard<std::mutex> lock(s.mutex);
    if (error) {
      errors[index] = error;
      s.firstFailed = std::min(s.firstFailed, index);
    } else if (!s.stop && s.firstFailed == SIZE_MAX) {
      s.done.emplace_back(index, std::move(result));
    }
    s.changed.notify_all();
  }
  std::lock_guard<std::mutex> lock(s.mutex);
  --s.running;
  s.changed.notify_all();
}

// Stops handing out work and joins every worker when the call ends, also by an exception.
class Crew {
 public:
  explicit Crew(Shared& s) : s_(s) {}
  ~Crew() {
    {
      std::lock_guard<std::mutex> lock(s_.mutex);
      s_.stop = true;
    }
    for (std::thread& t : threads_) t.join();
  }
  std::vector<std::thread>& Threads() { return threads_; }

 private:
  Shared& s_;
  std::vector<std::thread> threads_;
};

}  // namespace

void ScaleJpegFilesEach(const std::vector<TScaleJob>& jobs, unsigned workers,
                        const std::function<void(size_t job, TScaledImage&& result)>& onResult) {
  if (jobs.empty()) return;
  std::vector<std::exception_ptr> errors(jobs.size());
  if (workers == 0) workers = std::max(1u, std::thread::hardware_concurrency());
  if (workers > jobs.size()) workers = static_cast<unsigned>(jobs.size());

  Shared s;
  // The largest files first, so that the workers do not end with one of them while the others
  // have nothing left to do: a picture's work grows with its source's size.
  std::vector<uintmax_t> sizes(jobs.size());
  for (size_t i = 0; i < jobs.size(); ++i) {
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(fileutil::FsPath(jobs[i].sourcePath), error);
    sizes[i] = error ? 0 : size;
    s.order.push_back(i);
  }
  std::stable_sort(s.order.begin(), s.order.end(),
                   [&](size_t a, size_t b) { return sizes[a] > sizes[b]; });
  {
    Crew crew(s);
    s.running = workers;
    for (unsigned i = 0; i < workers; ++i) {
      try {
        crew.Threads().emplace_back(Work, std::ref(s), std::cref(jobs), std::ref(errors));
      } catch (...) {
        std::lock_guard<std::mutex> lock(s.mutex);
        s.running -= workers - i;  // these never started
        throw;
      }
    }
    std::unique_lock<std::mutex> lock(s.mutex);
    for (;;) {
      s.changed.wait(lock, [&] { return !s.done.empty() || s.running == 0; });
      if (s.done.empty()) break;  // every worker has ended
      if (s.stop || s.firstFailed != SIZE_MAX) {
        s.done.clear();  // a picture failed: the others are not wanted any more
        continue;
      }
      std::pair<size_t, TScaledImage> finished = std::move(s.done.front());
      s.done.pop_front();
      lock.unlock();
      onResult(finished.first, std::move(finished.second));  // the Crew stops the rest if it throws
      lock.lock();
    }
  }
  for (const std::exception_ptr& e : errors) {
    if (e) std::rethrow_exception(e);
  }
}

std::vector<TScaledImage> ScaleJpegFiles(const std::vector<TScaleJob>& jobs, unsigned workers,
                                         const std::function<void(size_t finished)>& onFinished) {
  std::vector<TScaledImage> results(jobs.size());
  size_t finished = 0;
  ScaleJpegFilesEach(jobs, workers, [&](size_t job, TScaledImage&& result) {
    results[job] = std::move(result);
    if (onFinished) onFinished(++finished);
  });
  return results;
}
