// Stopping long work from another thread. The work checks its token often (between pictures and
// between bands of rows inside a picture) and ends with TvCancelled when asked to stop. Before it
// starts replacing files the user can see (the published set beside the project file) it passes
// its point of no return with Commit(): from then on a request to stop is refused, so a stopped
// run never leaves half of a set replaced.
#pragma once

#include <atomic>
#include <stdexcept>

// Not a TvError: a stopped run is not a failure and is never shown in an error box.
class TvCancelled : public std::runtime_error {
 public:
  TvCancelled() : std::runtime_error("Cancelled") {}
};

class TCancelToken {
 public:
  // Asks the work to stop. True when it will stop (also when asked before); false when it has
  // already passed its point of no return and runs to its end.
  bool Request() {
    int expected = kRunning;
    return state_.compare_exchange_strong(expected, kCancelled) || expected == kCancelled;
  }
  bool Requested() const { return state_.load(std::memory_order_relaxed) == kCancelled; }
  bool Committed() const { return state_.load() == kCommitted; }
  void ThrowIfRequested() const {
    if (Requested()) throw TvCancelled();
  }
  // The point of no return: throws TvCancelled when a stop was asked for before it, else refuses
  // every later request.
  void Commit() {
    int expected = kRunning;
    if (!state_.compare_exchange_strong(expected, kCommitted) && expected == kCancelled)
      throw TvCancelled();
  }
  // Ready for the next run.
  void Reset() { state_.store(kRunning); }

 private:
  enum { kRunning, kCancelled, kCommitted };
  std::atomic<int> state_{kRunning};
};

// For code that may run without a token.
inline void ThrowIfCancelled(const TCancelToken* token) {
  if (token) token->ThrowIfRequested();
}
