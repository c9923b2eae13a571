// What the model needs from the window around it: the progress bar with its status text and busy
// cursor, the design tree, and a message box. The main window implements the progress and the
// messages, its open design (TDocument) the design tree; headless callers
// (the command-line publisher, the tests) use the plain implementations below and in MemoryTree.h.
#pragma once

#include <string>

#include "Message.h"

// Progress protocol: optionally set the maximum, put a message into the status text and switch
// the busy cursor on, step the bar while working, then set the position to 0, clear the text and
// switch the cursor off.
class IProgress {
 public:
  virtual ~IProgress() = default;
  virtual void SetMaximum(int maximum) = 0;
  virtual void Step(int by) = 0;
  virtual void SetPosition(int position) = 0;
  virtual void SetStatus(const std::string& text) = 0;
  virtual void SetBusy(bool busy) = 0;
};

class TNullProgress : public IProgress {
 public:
  void SetMaximum(int) override {}
  void Step(int) override {}
  void SetPosition(int) override {}
  void SetStatus(const std::string&) override {}
  void SetBusy(bool) override {}
};

// Runs the progress protocol for one operation: status text and busy cursor on construction; the
// bar back to 0, the text cleared and the cursor restored however the operation ends.
class TProgressScope {
 public:
  TProgressScope(IProgress& progress, const std::string& status) : progress_(progress) {
    progress_.SetStatus(status);
    progress_.SetBusy(true);
  }
  ~TProgressScope() {
    progress_.SetPosition(0);
    progress_.SetStatus("");
    progress_.SetBusy(false);
  }
  TProgressScope(const TProgressScope&) = delete;
  TProgressScope& operator=(const TProgressScope&) = delete;

 private:
  IProgress& progress_;
};

enum class TMessageKind { Warning, Error, Information };

// A message box with a single OK button. The caption names the kind, never the product. The
// window shows the message in its language, the command-line publisher in English.
class IMessages {
 public:
  virtual ~IMessages() = default;
  virtual void Show(TMessageKind kind, const TMessage& message) = 0;
};

class TNullMessages : public IMessages {
 public:
  void Show(TMessageKind, const TMessage&) override {}
};

// The design tree as the model sees it. Nodes are addressed by their absolute index: the position
// in a depth-first, parent-before-children walk from the root, which has index 0 and depth 0.
class IDesignTree {
 public:
  virtual ~IDesignTree() = default;
  virtual int NodeCount() const = 0;
  virtual int Depth(int index) const = 0;
  virtual std::string Caption(int index) const = 0;
  virtual void SetCaption(int index, const std::string& caption) = 0;
  // Appends a child after the node's existing children; returns the new node's absolute index.
  virtual int AppendChild(int parentIndex, const std::string& caption) = 0;
};
