#include "test_generator_util.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "TestUtil.h"
#include "test_images_util.h"

void WriteTestJpeg(const std::string& path, int width, int height, int seed) {
  const std::vector<unsigned char> jpeg =
      imagetest::EncodePicture(imagetest::Noise(width, height, seed));
  WriteAll(path, std::string(jpeg.begin(), jpeg.end()));
}

TJpegInfo ReadJpegInfo(const std::string& path) {
  const std::string bytes = ReadAll(path);
  TJpegInfo result;
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
  if (bytes.size() < 4 || byte(0) != 0xFF || byte(1) != 0xD8) return result;
  size_t i = 2;
  while (i + 9 < bytes.size()) {
    if (byte(i) != 0xFF) return result;
    const unsigned char marker = byte(i + 1);
    const size_t length = (static_cast<size_t>(byte(i + 2)) << 8) | byte(i + 3);
    if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
      result.height = (byte(i + 5) << 8) | byte(i + 6);
      result.width = (byte(i + 7) << 8) | byte(i + 8);
      result.isJpeg = true;
      return result;
    }
    i += 2 + length;
  }
  return result;
}

void StorePanelDefaults(TProjectModel& model) {
  model.LoadDefaults();
  model.Slider.configName = "Slider1cfg";
  model.Slider.divId = "Slider1_div";
  model.Slider.spareConfigName = "Slider1cfg";
}

TItemData TestItem(const std::string& imageFile, const std::string& link,
                   const std::string& toolTip) {
  TItemData item = DefaultItem();
  item.imageFile = imageFile;
  item.link = link;
  item.toolTip = toolTip;
  return item;
}

std::vector<std::string> CrLfLines(const std::string& path) {
  const std::string text = ReadAll(path);
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << path << ": last line has no CR LF";
      lines.push_back(text.substr(start));
      break;
    }
    const std::string line = text.substr(start, end - start);
    EXPECT_EQ(line.find('\n'), std::string::npos) << path << ": bare LF in " << line;
    lines.push_back(line);
    start = end + 2;
  }
  return lines;
}

std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

TRunResult RunCommand(const std::string& commandLine, const std::string& scratch) {
  const std::string out = scratch + "/run.out";
  const std::string err = scratch + "/run.err";
  const int status =
      std::system((commandLine + " >" + ShellQuote(out) + " 2>" + ShellQuote(err)).c_str());
  TRunResult result;
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = ReadAll(out);
  result.err = ReadAll(err);
  return result;
}
