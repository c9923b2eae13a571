#include "ProgressRelay.h"

#include <utility>

void TProgressRelay::Post(Message message) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (message.kind == Kind::Step && !pending_.empty() && pending_.back().kind == Kind::Step) {
    pending_.back().value += message.value;
    return;
  }
  pending_.push_back(std::move(message));
}

void TProgressRelay::SetMaximum(int maximum) { Post({Kind::Maximum, maximum, {}}); }
void TProgressRelay::Step(int by) { Post({Kind::Step, by, {}}); }
void TProgressRelay::SetPosition(int position) { Post({Kind::Position, position, {}}); }
void TProgressRelay::SetStatus(const std::string& text) { Post({Kind::Status, 0, text}); }
void TProgressRelay::SetBusy(bool busy) { Post({Kind::Busy, busy ? 1 : 0, {}}); }

bool TProgressRelay::Drain(IProgress& target) {
  std::vector<Message> messages;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    messages.swap(pending_);
  }
  for (const Message& m : messages) {
    switch (m.kind) {
      case Kind::Maximum:
        target.SetMaximum(m.value);
        break;
      case Kind::Step:
        target.Step(m.value);
        break;
      case Kind::Position:
        target.SetPosition(m.value);
        break;
      case Kind::Status:
        target.SetStatus(m.text);
        break;
      case Kind::Busy:
        target.SetBusy(m.value != 0);
        break;
    }
  }
  return !messages.empty();
}

void TProgressRelay::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  pending_.clear();
}
