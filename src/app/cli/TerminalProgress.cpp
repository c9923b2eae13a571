#include "TerminalProgress.h"

#include <algorithm>
#include <atomic>
#include <cstdio>

#include <sys/ioctl.h>
#include <unistd.h>

namespace cli {

namespace {

// The stage whose steps are pictures, as the generator names it.
const char* const kPictureStage = "Making HTML Codes ... ...";
constexpr auto kRedrawEvery = std::chrono::milliseconds(100);

std::string Stage(std::string text) {
  const std::string dots = " ... ...";
  if (text.size() > dots.size() && text.compare(text.size() - dots.size(), dots.size(), dots) == 0)
    text.resize(text.size() - dots.size());
  return text;
}

std::string Fixed(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

}  // namespace

TTerminalProgress::TTerminalProgress(std::ostream& out, int width)
    : out_(out), width_(std::max(20, width)) {}

TTerminalProgress::~TTerminalProgress() { Erase(); }

void TTerminalProgress::SetMaximum(int maximum) {
  maximum_ = maximum;
  position_ = 0;
  Draw(false);
}

void TTerminalProgress::Step(int by) {
  const int before = position_;
  position_ = std::min(maximum_, position_ + by);
  Draw(position_ == maximum_ && position_ != before);  // the last picture is always shown
}

void TTerminalProgress::SetPosition(int position) {
  position_ = position;
  Draw(false);
}

void TTerminalProgress::SetStatus(const std::string& text) {
  if (text.empty()) return;  // the end of a stage: its line stays until the next one
  stage_ = Stage(text);
  pictures_ = text == kPictureStage;
  if (pictures_) {  // the generator sets its maximum after its text
    maximum_ = position_ = 0;
    stageStart_ = Clock::now();
  }
  Draw(true);
}

std::string TTerminalProgress::Line(Clock::duration elapsed) const {
  const double seconds = std::chrono::duration<double>(elapsed).count();
  std::string line = stage_;
  if (pictures_ && maximum_ > 0) {
    line += ": " + std::to_string(position_) + "/" + std::to_string(maximum_) + " pictures, " +
            Fixed(seconds) + " s";
    const double scaling = std::chrono::duration<double>(elapsed - (stageStart_ - start_)).count();
    if (scaling > 0 && position_ > 0) line += ", " + Fixed(position_ / scaling) + " pictures/s";
  } else {
    line += ", " + Fixed(seconds) + " s";
  }
  if (static_cast<int>(line.size()) > width_ - 1) line.resize(static_cast<size_t>(width_ - 1));
  return line;
}

void TTerminalProgress::Draw(bool force) {
  if (stage_.empty()) return;
  const Clock::time_point now = Clock::now();
  if (!force && shown_ && now - lastDraw_ < kRedrawEvery) return;
  lastDraw_ = now;
  // Carriage return, the line, then erase what a longer earlier line left to its right.
  out_ << '\r' << Line(now - start_) << "\x1b[K" << std::flush;
  shown_ = true;
}

void TTerminalProgress::Erase() {
  if (!shown_) return;
  out_ << "\r\x1b[K" << std::flush;
  shown_ = false;
}

bool StderrIsTerminal() { return isatty(2) != 0; }

int StderrColumns() {
  winsize size{};
  if (ioctl(2, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return 80;
}

}  // namespace cli
