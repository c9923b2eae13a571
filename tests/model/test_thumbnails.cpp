// Thumbnails of the pictures and the quick check of a picture file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "Errors.h"
#include "images/PngWrite.h"
#include "images/Thumbnail.h"
#include "test_images_util.h"

using namespace imagetest;

namespace {

const std::vector<unsigned char> kColors[4] = {
    {220, 30, 30}, {30, 200, 30}, {30, 30, 220}, {230, 220, 40}};

std::vector<int> PixelAt(const TThumbnail& t, int x, int y) {
  const unsigned char* p = &t.rgb[(static_cast<size_t>(y) * t.width + x) * 3];
  return {p[0], p[1], p[2]};
}

bool Near(const std::vector<int>& got, const std::vector<unsigned char>& want, int tolerance) {
  for (size_t c = 0; c < 3; ++c) {
    if (std::abs(got[c] - want[c]) > tolerance) return false;
  }
  return true;
}

}  // namespace

TEST(Thumbnail, FitsTheBoxUprightInColourAndNeverEnlarges) {
  struct Case {
    int width, height, orientation, box;
    Layout layout;
    int wantW, wantH;
    int redQuadrant;  // where the stored top-left quadrant lands upright: 0 TL, 1 TR, 2 BL, 3 BR
  };
  const Case cases[] = {
      {1600, 800, 1, 128, Layout::Rgb, 128, 64, 0},   // landscape: the width fills the box
      {800, 1600, 1, 256, Layout::Rgb, 128, 256, 0},  // portrait: the height does
      {1600, 800, 6, 128, Layout::Rgb, 64, 128, 1},   // turned a quarter: upright it is portrait
      {1600, 800, 3, 128, Layout::Rgb, 128, 64, 3},   // upside down
      {100, 60, 1, 128, Layout::Rgb, 100, 60, 0},     // smaller than the box: kept as it is
      {1000, 1000, 1, 128, Layout::Gray, 128, 128, 0},
      {1000, 1000, 1, 128, Layout::Cmyk, 128, 128, 0},
  };
  ScratchDir dir;
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE("case " + std::to_string(n));
    Extras extras;
    extras.orientation = c.orientation;
    std::vector<unsigned char> red = kColors[0], green = kColors[1];
    if (c.layout == Layout::Gray) {
      red = {200};
      green = {60};
    } else if (c.layout == Layout::Cmyk) {  // inverted, as Adobe writes it: cyan and no ink
      red = {0, 255, 255, 255};
      green = {255, 255, 255, 255};
    }
    const Picture picture = Quadrants(c.width, c.height, {red, green, green, green}, c.layout);
    const std::string path =
        dir.Write("p" + std::to_string(n++) + ".jpg", EncodePicture(picture, extras));
    const TThumbnail t = MakeThumbnail(path, c.box);
    EXPECT_EQ(t.width, c.wantW);
    EXPECT_EQ(t.height, c.wantH);
    ASSERT_EQ(t.rgb.size(), static_cast<size_t>(t.width) * t.height * 3);
    const bool swapped = c.orientation >= 5;
    EXPECT_EQ(t.sourceWidth, swapped ? c.height : c.width);
    EXPECT_EQ(t.sourceHeight, swapped ? c.width : c.height);
    const std::vector<unsigned char> wantRed =
        c.layout == Layout::Gray   ? std::vector<unsigned char>{200, 200, 200}
        : c.layout == Layout::Cmyk ? std::vector<unsigned char>{0, 255, 255}
                                   : kColors[0];
    const int q = c.redQuadrant;
    const std::vector<int> at =
        PixelAt(t, q % 2 ? t.width * 3 / 4 : t.width / 4, q / 2 ? t.height * 3 / 4 : t.height / 4);
    EXPECT_TRUE(Near(at, wantRed, 12)) << at[0] << "," << at[1] << "," << at[2];
  }
}

TEST(Thumbnail, QuickCheckSaysWhyAPictureCannotBeUsed) {
  ScratchDir dir;
  const std::string good = dir.Write("good.jpg", EncodePicture(Quadrants(64, 48, kColors)));
  std::vector<unsigned char> cut = EncodePicture(Noise(256, 256, 1));
  cut.resize(cut.size() / 2);  // the header is whole; the picture data is not (not checked)
  const std::string halfFile = dir.Write("half.jpg", cut);
  const std::string text = dir.Write("notes.jpg", {'h', 'e', 'l', 'l', 'o'});
  const std::string empty = dir.Write("empty.jpg", {});
  std::filesystem::create_directory(dir.Path("folder.jpg"));
  const std::string pipe = dir.Path("pipe.jpg");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  const std::string locked = dir.Write("locked.jpg", EncodePicture(Quadrants(8, 8, kColors)));
  std::filesystem::permissions(locked, std::filesystem::perms::none);
  const bool root = access(locked.c_str(), R_OK) == 0;

  const struct {
    std::string path;
    std::string why;  // empty: usable
  } cases[] = {
      {good, ""},
      {halfFile, ""},
      {dir.Path("gone.jpg"), "file not found"},
      {dir.Path("folder.jpg"), "folder"},
      {pipe, "not a regular file"},
      {text, "JPEG"},
      {empty, "empty"},
      {locked, root ? "" : "ermission denied"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    const std::optional<TMessage> why = PictureProblem(c.path);
    const std::string problem = why ? why->English() : "";
    if (c.why.empty()) {
      EXPECT_EQ(problem, "");
    } else {
      EXPECT_NE(problem.find(c.path), std::string::npos) << problem;
      EXPECT_NE(problem.find(c.why), std::string::npos) << problem;
    }
  }
  // Every format the scaler reads gets a thumbnail, a PNG as well.
  const std::vector<unsigned char> grey(300 * 200 * 3, 90);
  const std::string png =
      dir.Write("grey.png", images::EncodePng(grey.data(), 300, 200, 3, {}, "grey.png"));
  EXPECT_FALSE(PictureProblem(png).has_value());
  const TThumbnail fromPng = MakeThumbnail(png, 128);
  EXPECT_EQ(fromPng.width, 128);
  EXPECT_EQ(fromPng.height, 85);
  EXPECT_TRUE(Near(PixelAt(fromPng, 64, 40), {90, 90, 90}, 2));
  // The same reasons stop a thumbnail, and nothing blocks on the pipe.
  EXPECT_THROW(MakeThumbnail(pipe, 128), TvError);
  EXPECT_THROW(MakeThumbnail(halfFile, 128), TvError);
}
