// Small pictures for showing the design's sources in the window, and the quick check that tells
// at once whether a source can be used.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "Message.h"

// A source's upright picture fitted into a square of `box` pixels (never enlarged), colour-managed
// like the slider pictures, as 8-bit RGB samples.
struct TThumbnail {
  int width = 0;
  int height = 0;
  int sourceWidth = 0;  // of the upright source
  int sourceHeight = 0;
  std::vector<unsigned char> rgb;  // width * height * 3
};

// Reads the picture at sourcePath at the smallest decoding scale that still suits the thumbnail's
// size (1/8 of a photo's) and makes its thumbnail. Throws TvError naming the file, as the slider
// pictures do.
TThumbnail MakeThumbnail(const std::string& sourcePath, int box);

// Why the picture at sourcePath cannot be used ("Cannot read picture PATH: file not found"), from
// its file and headers alone (nothing is decoded); nullopt when it looks readable. Never throws.
std::optional<TMessage> PictureProblem(const std::string& sourcePath);
