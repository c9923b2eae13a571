// Colour of the scaled pictures: sources with an embedded ICC profile are converted to sRGB with
// lcms2; CMYK sources without one get a plain conversion; grey sources become colour pictures.
#pragma once

#include <memory>
#include <vector>

#include "images/JpegIo.h"

namespace images {

// A conversion from an embedded profile to sRGB for pixels of one kind (Gray, Rgb or Cmyk).
class IccToSrgb {
 public:
  // Valid() is false when the profile cannot be parsed or does not describe `kind`: such a
  // profile is ignored and the picture is taken as sRGB (or as plain CMYK / grey).
  IccToSrgb(const std::vector<unsigned char>& profile, PixelKind kind, bool invertedCmyk);
  ~IccToSrgb();
  IccToSrgb(const IccToSrgb&) = delete;
  IccToSrgb& operator=(const IccToSrgb&) = delete;

  bool Valid() const { return transform_ != nullptr; }
  // count pixels of the source kind to count RGB pixels.
  void Apply(const unsigned char* in, unsigned char* rgb, size_t count) const;

 private:
  void* context_ = nullptr;
  void* transform_ = nullptr;
};

// An RGB profile from primaries and white point given as CIE xy chromaticities (red, green, blue,
// white), with the sRGB tone curve: how HEIF and AVIF files describe their colours by numbers.
// Empty when lcms cannot make it.
std::vector<unsigned char> RgbProfileFromPrimaries(const double (&xy)[8]);

// CMYK (inverted as Adobe writes it when `inverted`) to RGB without a profile.
std::vector<unsigned char> CmykToRgb(const std::vector<unsigned char>& cmyk, bool inverted);
// Grey to YCbCr with neutral chroma.
std::vector<unsigned char> GrayToYCbCr(const std::vector<unsigned char>& gray);

}  // namespace images
