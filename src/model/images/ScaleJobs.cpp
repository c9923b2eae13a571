// Scaling many pictures at once: one picture per worker thread, results in job order.
#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

#include "images/ImageScaler.h"
#include "images/PictureCache.h"

namespace {

struct Shared {
  std::mutex mutex;
  std::condition_variable changed;
  size_t next = 0;      // the next job to hand out
  size_t finished = 0;  // pictures done (successfully)
  size_t running = 0;   // workers still looping
  bool stop = false;    // a job failed, or the caller gave up: hand out nothing more
};

void Work(Shared& s, const std::vector<TScaleJob>& jobs, std::vector<TScaledImage>& results,
          std::vector<std::exception_ptr>& errors) {
  for (;;) {
    size_t index;
    {
      std::lock_guard<std::mutex> lock(s.mutex);
      if (s.stop || s.next >= jobs.size()) break;
      index = s.next++;
    }
    std::exception_ptr error;
    try {
      results[index] =
          ScaleJpegFileCached(jobs[index].sourcePath, jobs[index].targetHeight, jobs[index].cache);
    } catch (...) {
      error = std::current_exception();
    }
    std::lock_guard<std::mutex> lock(s.mutex);
    if (error) {
      errors[index] = error;
      s.stop = true;
    } else {
      ++s.finished;
    }
    s.changed.notify_all();
  }
  std::lock_guard<std::mutex> lock(s.mutex);
  --s.running;
  s.changed.notify_all();
}

// Joins every worker when the call ends, also when it ends by an exception.
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

std::vector<TScaledImage> ScaleJpegFiles(const std::vector<TScaleJob>& jobs, unsigned workers,
                                         const std::function<void(size_t finished)>& onFinished) {
  std::vector<TScaledImage> results(jobs.size());
  if (jobs.empty()) return results;
  std::vector<std::exception_ptr> errors(jobs.size());
  if (workers == 0) workers = std::max(1u, std::thread::hardware_concurrency());
  if (workers > jobs.size()) workers = static_cast<unsigned>(jobs.size());

  Shared s;
  {
    Crew crew(s);
    s.running = workers;
    for (unsigned i = 0; i < workers; ++i) {
      try {
        crew.Threads().emplace_back(Work, std::ref(s), std::cref(jobs), std::ref(results),
                                    std::ref(errors));
      } catch (...) {
        std::lock_guard<std::mutex> lock(s.mutex);
        s.running -= workers - i;  // these never started
        throw;
      }
    }
    // Report progress here, on the calling thread, as pictures finish.
    size_t reported = 0;
    std::unique_lock<std::mutex> lock(s.mutex);
    for (;;) {
      s.changed.wait(lock, [&] { return s.finished > reported || s.running == 0; });
      const size_t finished = s.finished;
      const bool done = s.running == 0;
      if (onFinished && finished > reported) {
        lock.unlock();
        while (reported < finished) onFinished(++reported);
        lock.lock();
      }
      reported = finished;
      if (done && s.finished == reported) break;
    }
  }
  for (const std::exception_ptr& e : errors) {
    if (e) std::rethrow_exception(e);
  }
  return results;
}
