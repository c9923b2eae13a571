// Writing small PNG files with libpng, text chunks included (uncompressed tEXt, which every
// reader of such chunks understands).
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace images {

// Encodes width x height pixels of `channels` (3: RGB, 4: RGBA) 8-bit samples as a PNG file with
// a tEXt chunk per (key, value) pair, before the pixel data. Keys are 1..79 Latin-1 characters,
// values Latin-1 text. Throws TvError (naming `name`) when libpng refuses.
std::vector<unsigned char> EncodePng(const unsigned char* pixels, int width, int height,
                                     int channels,
                                     const std::vector<std::pair<std::string, std::string>>& texts,
                                     const std::string& name);

}  // namespace images
