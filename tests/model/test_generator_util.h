// Helpers for the generator, publishing and command-line tests: small JPEG pictures made on the
// spot, reading a JPEG's size, a default design, a progress recorder and running programs.
#pragma once

#include <string>
#include <vector>

#include "Host.h"
#include "ProjectModel.h"

// Writes a colour JPEG of width x height with a pattern that depends on seed.
void WriteTestJpeg(const std::string& path, int width, int height, int seed = 0);

struct TJpegInfo {
  bool isJpeg = false;
  int width = 0;
  int height = 0;
};
// Reads the size from the frame header; isJpeg is false for anything that is not a JPEG.
TJpegInfo ReadJpegInfo(const std::string& path);

// The default design as the slider panel stores it (Slider1cfg, Slider1_div).
void StorePanelDefaults(TProjectModel& model);
// An item that refers to no picture, with the given fields.
TItemData TestItem(const std::string& imageFile, const std::string& link = "page.html",
                   const std::string& toolTip = "");

// Splits a file written with CR LF into its lines; fails the test when a line end is not CR LF.
std::vector<std::string> CrLfLines(const std::string& path);

// Records the progress protocol so tests can see that a run put everything back.
class TRecordingProgress : public IProgress {
 public:
  void SetMaximum(int value) override { maximum = value; }
  void Step(int by) override {
    position += by;
    steps.push_back(by);
  }
  void SetPosition(int value) override { position = value; }
  void SetStatus(const std::string& text) override {
    status = text;
    if (!text.empty()) statuses.push_back(text);
  }
  void SetBusy(bool value) override { busy = value; }

  int maximum = 0;
  int position = 0;
  bool busy = false;
  std::string status;
  std::vector<std::string> statuses;
  std::vector<int> steps;
};

struct TRunResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};
// Runs a command line through the shell, capturing both streams into files in `scratch`.
TRunResult RunCommand(const std::string& commandLine, const std::string& scratch);
// A single-quoted shell word.
std::string ShellQuote(const std::string& text);
