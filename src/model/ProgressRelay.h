// Carries the progress protocol from a worker thread to the thread that owns the progress bar.
// The worker reports into the relay as into any progress; the owner applies what has arrived, in
// the order it was sent, whenever it chooses (at most so many times a second), so that a run
// of thousands of steps costs a handful of updates. Steps in a row arrive as one step.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "Host.h"

class TProgressRelay : public IProgress {
 public:
  // Called by the worker; never blocks for longer than it takes to append a message.
  void SetMaximum(int maximum) override;
  void Step(int by) override;
  void SetPosition(int position) override;
  void SetStatus(const std::string& text) override;
  void SetBusy(bool busy) override;

  // Applies the messages that arrived since the last call, in order; false when there were none.
  bool Drain(IProgress& target);
  // Drops messages not yet applied.
  void Clear();

 private:
  enum class Kind { Maximum, Step, Position, Status, Busy };
  struct Message {
    Kind kind;
    int value;
    std::string text;
  };
  void Post(Message message);

  std::mutex mutex_;
  std::vector<Message> pending_;
};
