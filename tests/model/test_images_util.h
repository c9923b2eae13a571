// Helpers for the picture tests: JPEG files made on the spot (with EXIF orientation, an ICC
// profile, CMYK or grey samples), decoding a result back to RGB, and a scratch folder.
#pragma once

#include <string>
#include <vector>

namespace imagetest {

enum class Layout { Rgb, Gray, Cmyk };

struct Picture {
  int width = 0;
  int height = 0;
  Layout layout = Layout::Rgb;
  std::vector<unsigned char> pixels;  // interleaved, 3, 1 or 4 samples per pixel
};

struct Extras {
  int orientation = 0;  // 0: no EXIF segment
  bool bigEndianExif = false;
  std::vector<unsigned char> icc;  // written with jpeg_write_icc_profile when not empty
  bool adobeCmyk = true;  // CMYK: Adobe marker and inverted samples, as Photoshop writes them
  bool progressive = false;
};

// A picture of one colour per quadrant (top-left, top-right, bottom-left, bottom-right).
Picture Quadrants(int width, int height, const std::vector<unsigned char> (&colors)[4],
                  Layout layout = Layout::Rgb);
// A noisy, detailed picture; seed varies it.
Picture Noise(int width, int height, int seed);

std::vector<unsigned char> EncodePicture(const Picture& picture, const Extras& extras = {});

struct Decoded {
  int width = 0;
  int height = 0;
  int components = 0;
  bool ycbcr = false;     // stored as YCbCr
  bool baseline = false;  // sequential Huffman, no progression
  bool jfif = false;
  bool hasExifOrIcc = false;
  std::vector<unsigned char> rgb;
  // The RGB value at (x, y).
  std::vector<int> At(int x, int y) const;
};
Decoded DecodeJpeg(const std::vector<unsigned char>& jpeg);

// A fresh folder under the temporary folder, removed by the destructor.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  std::string Write(const std::string& name, const std::vector<unsigned char>& bytes) const;
  std::string Path(const std::string& name) const;

 private:
  std::string dir_;
};

}  // namespace imagetest
