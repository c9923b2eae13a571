// The slider pictures: sizes, orientation, colour profiles, grey and CMYK sources.
#include <gtest/gtest.h>
#include <lcms2.h>

#include <cstdlib>

#include "Errors.h"
#include "images/ImageScaler.h"
#include "test_images_util.h"

using namespace imagetest;

namespace {

// Every channel within `tolerance` of the expected value.
::testing::AssertionResult Near(const std::vector<int>& got, const std::vector<int>& want,
                                int tolerance) {
  for (size_t c = 0; c < want.size(); ++c) {
    if (std::abs(got[c] - want[c]) > tolerance) {
      return ::testing::AssertionFailure()
             << "got (" << got[0] << ", " << got[1] << ", " << got[2] << "), want (" << want[0]
             << ", " << want[1] << ", " << want[2] << ")";
    }
  }
  return ::testing::AssertionSuccess();
}

const std::vector<unsigned char> kQuadrantColors[4] = {
    {220, 30, 30}, {30, 200, 30}, {30, 30, 220}, {230, 220, 40}};

}  // namespace

TEST(ImageScaler, ScaledSizeRoundsHalfToEvenAndRefusesBadHeights) {
  EXPECT_EQ(ScaledSize(1000, 750, 120), std::make_pair(160, 120));
  EXPECT_EQ(ScaledSize(5, 2, 1), std::make_pair(2, 1));  // 2.5 -> 2
  EXPECT_EQ(ScaledSize(7, 2, 1), std::make_pair(4, 1));  // 3.5 -> 4
  EXPECT_EQ(ScaledSize(2560, 3837, 480), std::make_pair(320, 480));
  EXPECT_EQ(ScaledSize(10000, 5000, 5000), std::make_pair(10000, 5000));  // exactly the limit
  EXPECT_EQ(ScaledSize(1, 1000, 120), std::make_pair(1, 120));  // never narrower than a pixel
  // Computed exactly: these are exact halves that a 32-bit factor rounded the wrong way.
  EXPECT_EQ(ScaledSize(104, 128, 120), std::make_pair(98, 120));   // 97.5
  EXPECT_EQ(ScaledSize(136, 128, 120), std::make_pair(128, 120));  // 127.5
  EXPECT_EQ(ScaledSize(119, 112, 120), std::make_pair(128, 120));  // 127.5
  for (int bad : {0, -5}) {
    try {
      ScaledSize(1000, 750, bad);
      FAIL() << "height " << bad << " accepted";
    } catch (const TvError& e) {
      EXPECT_NE(std::string(e.what()).find("at least 1 pixel"), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find(std::to_string(bad)), std::string::npos) << e.what();
    }
  }
  EXPECT_THROW(ScaledSize(100000, 100000, 80000), TvError);
  EXPECT_THROW(ScaledSize(10001, 5000, 5000), TvError);
}

TEST(ImageScaler, EveryExifOrientationComesOutUpright) {
  // Stored picture: red top-left, green top-right. Where each lands in the upright picture:
  // 0 top-left, 1 top-right, 2 bottom-left, 3 bottom-right.
  const int redAt[9] = {0, 0, 1, 3, 2, 0, 1, 3, 2};
  const int greenAt[9] = {0, 1, 0, 2, 3, 2, 3, 1, 0};
  ScratchDir dir;
  const Picture stored = Quadrants(160, 80, kQuadrantColors);
  for (int orientation = 1; orientation <= 8; ++orientation) {
    SCOPED_TRACE("orientation " + std::to_string(orientation));
    Extras extras;
    extras.orientation = orientation;
    extras.bigEndianExif = orientation % 2 == 0;
    const std::string path =
        dir.Write("o" + std::to_string(orientation) + ".jpg", EncodePicture(stored, extras));
    const TScaledImage result = ScaleJpegFile(path, 40);
    const bool turned = orientation >= 5;
    EXPECT_EQ(result.width, turned ? 20 : 80);
    EXPECT_EQ(result.height, 40);
    const Decoded d = DecodeJpeg(result.jpeg);
    ASSERT_EQ(d.width, result.width);
    ASSERT_EQ(d.height, result.height);
    EXPECT_TRUE(d.jfif && d.baseline && d.ycbcr && d.components == 3);
    EXPECT_FALSE(d.hasExifOrIcc);
    auto corner = [&](int q) {
      return d.At(q % 2 ? d.width * 3 / 4 : d.width / 4, q / 2 ? d.height * 3 / 4 : d.height / 4);
    };
    EXPECT_TRUE(Near(corner(redAt[orientation]), {220, 30, 30}, 24));
    EXPECT_TRUE(Near(corner(greenAt[orientation]), {30, 200, 30}, 24));
  }
}

TEST(ImageScaler, EnlargesSmallPictures) {
  ScratchDir dir;
  const std::string path =
      dir.Write("small.jpg", EncodePicture(Quadrants(40, 20, kQuadrantColors)));
  const TScaledImage result = ScaleJpegFile(path, 60);
  EXPECT_EQ(result.width, 120);
  EXPECT_EQ(result.height, 60);
  const Decoded d = DecodeJpeg(result.jpeg);
  EXPECT_TRUE(Near(d.At(30, 15), {220, 30, 30}, 24));
  EXPECT_TRUE(Near(d.At(90, 45), {230, 220, 40}, 24));
}

TEST(ImageScaler, EmbeddedProfileIsConvertedToSrgb) {
  // A wide-gamut RGB profile, made large enough (a long copyright text) to be split over two
  // APP2 markers.
  cmsCIExyY white;
  cmsWhitePointFromTemp(&white, 6504);
  const cmsCIExyYTRIPLE primaries = {{0.708, 0.292, 1.0}, {0.170, 0.797, 1.0}, {0.131, 0.046, 1.0}};
  cmsToneCurve* gamma = cmsBuildGamma(nullptr, 2.2);
  cmsToneCurve* curves[3] = {gamma, gamma, gamma};
  cmsHPROFILE wide = cmsCreateRGBProfile(&white, &primaries, curves);
  cmsMLU* text = cmsMLUalloc(nullptr, 1);
  cmsMLUsetASCII(text, "en", "US", std::string(70000, 'c').c_str());
  cmsWriteTag(wide, cmsSigCopyrightTag, text);
  cmsMLUfree(text);
  cmsUInt32Number size = 0;
  cmsSaveProfileToMem(wide, nullptr, &size);
  std::vector<unsigned char> icc(size);
  cmsSaveProfileToMem(wide, icc.data(), &size);
  ASSERT_GT(icc.size(), 65519u);

  const unsigned char source[3] = {60, 170, 90};
  unsigned char expected[3];
  cmsHPROFILE srgb = cmsCreate_sRGBProfile();
  cmsHTRANSFORM toSrgb =
      cmsCreateTransform(wide, TYPE_RGB_8, srgb, TYPE_RGB_8, INTENT_PERCEPTUAL, 0);
  cmsDoTransform(toSrgb, source, expected, 1);
  cmsDeleteTransform(toSrgb);
  cmsCloseProfile(srgb);
  cmsCloseProfile(wide);
  cmsFreeToneCurve(gamma);
  // The wide-gamut green is far more saturated in sRGB: the conversion matters.
  ASSERT_GT(std::abs(expected[0] - source[0]), 20);

  ScratchDir dir;
  Extras extras;
  extras.icc = icc;
  const std::vector<unsigned char> color(source, source + 3);
  const Picture flat = Quadrants(64, 64, {color, color, color, color});
  const TScaledImage result = ScaleJpegFile(dir.Write("wide.jpg", EncodePicture(flat, extras)), 32);
  const Decoded d = DecodeJpeg(result.jpeg);
  EXPECT_FALSE(d.hasExifOrIcc);
  EXPECT_TRUE(Near(d.At(16, 16), {expected[0], expected[1], expected[2]}, 5));
}

TEST(ImageScaler, GreyAndCmykSourcesBecomeColourPictures) {
  ScratchDir dir;
  const Picture grey = Quadrants(64, 32, {{200}, {60}, {200}, {60}}, Layout::Gray);
  const Decoded g = DecodeJpeg(ScaleJpegFile(dir.Write("grey.jpg", EncodePicture(grey)), 16).jpeg);
  EXPECT_TRUE(g.ycbcr && g.components == 3);
  EXPECT_TRUE(Near(g.At(8, 8), {200, 200, 200}, 4));
  EXPECT_TRUE(Near(g.At(24, 8), {60, 60, 60}, 4));

  // Cyan on the left, half black on the right; Adobe files store the samples inverted.
  for (bool adobe : {true, false}) {
    SCOPED_TRACE(adobe ? "Adobe CMYK" : "plain CMYK");
    auto ink = [&](int c, int m, int y, int k) {
      std::vector<unsigned char> v = {static_cast<unsigned char>(c), static_cast<unsigned char>(m),
                                      static_cast<unsigned char>(y), static_cast<unsigned char>(k)};
      if (adobe) {
        for (unsigned char& s : v) s = static_cast<unsigned char>(255 - s);
      }
      return v;
    };
    const auto cyan = ink(255, 0, 0, 0);
    const auto halfBlack = ink(0, 0, 0, 128);
    Extras extras;
    extras.adobeCmyk = adobe;
    const Picture cmyk = Quadrants(64, 32, {cyan, halfBlack, cyan, halfBlack}, Layout::Cmyk);
    const TScaledImage result =
        ScaleJpegFile(dir.Write("cmyk.jpg", EncodePicture(cmyk, extras)), 16);
    const Decoded d = DecodeJpeg(result.jpeg);
    EXPECT_TRUE(d.ycbcr && d.components == 3 && d.jfif);
    EXPECT_TRUE(Near(d.At(8, 8), {0, 255, 255}, 8));
    EXPECT_TRUE(Near(d.At(24, 8), {127, 127, 127}, 6));
  }
}
