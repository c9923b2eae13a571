// The progress bar torvane-cli draws on a terminal: one line, redrawn in place at most ten times a
// second, naming the current stage and, while pictures are scaled, how many are done of how many,
// the time so far and the rate. The line is erased when the run ends, so that the terminal shows
// only the program's messages afterwards.
#pragma once

#include <chrono>
#include <ostream>
#include <string>

#include "Host.h"

namespace cli {

class TTerminalProgress : public IProgress {
 public:
  using Clock = std::chrono::steady_clock;
  // width: the terminal's columns; the line never takes the last one.
  explicit TTerminalProgress(std::ostream& out, int width = 80);
  ~TTerminalProgress() override;

  void SetMaximum(int maximum) override;
  void Step(int by) override;
  void SetPosition(int position) override;
  void SetStatus(const std::string& text) override;
  void SetBusy(bool) override {}

  // Erases the line, if one is shown.
  void Erase();

 private:
  void Draw(bool force);
  std::string Line(Clock::duration elapsed) const;  // as drawn `elapsed` after the start

  std::ostream& out_;
  int width_;
  Clock::time_point start_ = Clock::now();
  Clock::time_point stageStart_ = start_;  // when the pictures began
  Clock::time_point lastDraw_{};
  std::string stage_;
  bool pictures_ = false;  // the stage scales pictures: position/maximum count them
  int maximum_ = 0;
  int position_ = 0;
  bool shown_ = false;
};

// True when stderr is a terminal; its width in columns (80 when unknown).
bool StderrIsTerminal();
int StderrColumns();

}  // namespace cli
