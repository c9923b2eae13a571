// Source pictures besides JPEG: colours through their profiles, orientation, alpha, 16-bit
// samples and size bombs, for each format; and the pictures at twice the height.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "Errors.h"
#include "MemoryTree.h"
#include "ProjectModel.h"
#include "TestUtil.h"
#include "images/ImageScaler.h"
#include "images/ModernEncode.h"
#include "test_generator_util.h"
#include "test_images_util.h"

namespace {

const std::string kPictures = std::string(TORVANE_TEST_DATA) + "/pictures/";
using Rgb = std::vector<int>;

Rgb At(const TDecodedPicture& p, int x, int y) {
  const size_t i = (static_cast<size_t>(y) * p.width + x) * 3;
  return {p.rgb[i], p.rgb[i + 1], p.rgb[i + 2]};
}

::testing::AssertionResult Near(const Rgb& got, const Rgb& want, int tolerance) {
  for (int c = 0; c < 3; ++c) {
    if (std::abs(got[c] - want[c]) > tolerance) {
      return ::testing::AssertionFailure()
             << "got " << got[0] << "," << got[1] << "," << got[2] << " want " << want[0] << ","
             << want[1] << "," << want[2];
    }
  }
  return ::testing::AssertionSuccess();
}

std::string ErrorOf(const std::function<void()>& work) {
  try {
    work();
  } catch (const TvError& e) {
    return e.what();
  }
  return "(no error)";
}

TEST(PictureFormats, TaggedCardsGiveTheColoursOfTheJpegRoute) {
  // The JPEG card, tagged with the same Adobe RGB profile, takes the route whose colour handling
  // the JPEG tests establish. Its green is visibly not the stored (60, 160, 60).
  const TDecodedPicture reference = DecodePictureFile(kPictures + "card-adobe.jpg", 16);
  ASSERT_EQ(reference.width, 32);
  EXPECT_FALSE(Near(At(reference, 24, 4), {60, 160, 60}, 12));
  const struct {
    const char* file;
    int tolerance;  // the lossy formats differ from the lossy JPEG by a little more
  } cases[] = {{"card-adobe.png", 4},
               {"card-adobe.tif", 4},
               {"card-adobe.webp", 10},
               {"card-adobe.heic", 12},
               {"card-adobe.avif", 12}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const TDecodedPicture d = DecodePictureFile(kPictures + c.file, 16);
    ASSERT_EQ(d.width, 32);
    ASSERT_EQ(d.height, 16);
    for (const auto& [x, y] : {std::pair{8, 4}, {24, 4}, {8, 12}, {24, 12}}) {
      EXPECT_TRUE(Near(At(d, x, y), At(reference, x, y), c.tolerance)) << x << "," << y;
    }
    const TScaledImage scaled = ScaleJpegFile(kPictures + c.file, 16);
    EXPECT_EQ(scaled.width, 32);
    EXPECT_EQ(ReadJpegInfo(kPictures + c.file).isJpeg, false);
    ASSERT_GT(scaled.jpeg.size(), 2u);
    EXPECT_EQ(scaled.jpeg[0], 0xFF);
  }
}

TEST(PictureFormats, ColoursGivenByNumbersAreConvertedToSrgb) {
  // Display P3 (60, 160, 60): linear 0.0452, 0.3516, 0.0452; through the P3-to-sRGB matrix
  // (1.2249 -0.2247 0 / -0.0420 1.0419 0 / -0.0197 -0.0786 1.0979) -0.024, 0.364, 0.021; with
  // the sRGB curve and clipped: 0, 163, 40.
  const TDecodedPicture d = DecodePictureFile(kPictures + "green-p3.avif", 16);
  EXPECT_TRUE(Near(At(d, 16, 8), {0, 163, 40}, 4));
}

TEST(PictureFormats, OrientationTurnsThePictureUpright) {
  // Stored: red, green over blue, yellow; orientation 6 turns it a quarter clockwise.
  for (const char* file : {"orient6.png", "orient6.webp", "orient6.tif"}) {
    SCOPED_TRACE(file);
    EXPECT_EQ(UprightPictureSize(kPictures + file), std::make_pair(32, 64));
    const TDecodedPicture d = DecodePictureFile(kPictures + file, 64);
    ASSERT_EQ(d.width, 32);
    EXPECT_TRUE(Near(At(d, 8, 8), {60, 60, 170}, 4));
    EXPECT_TRUE(Near(At(d, 24, 8), {180, 60, 60}, 4));
    EXPECT_TRUE(Near(At(d, 8, 56), {200, 190, 60}, 4));
    EXPECT_TRUE(Near(At(d, 24, 56), {60, 160, 60}, 4));
  }
}

TEST(PictureFormats, AlphaIsLaidOntoTheBackground) {
  // Stripes: opaque red, blue at half alpha, transparent green.
  TScaleOptions options;
  options.background = 0x208040;
  const Rgb background = {0x20, 0x80, 0x40};
  const Rgb half = {(0x20 * 127 + 127) / 255, (0x80 * 127 + 127) / 255,
                    (255 * 128 + 0x40 * 127 + 127) / 255};
  const struct {
    const char* file;
    int tolerance;
    bool grey;
  } cases[] = {{"alpha.png", 1, false},
               {"alpha.tif", 1, false},
               {"alpha.webp", 4, false},
               {"alpha.heic", 14, false},
               {"alpha-grey.png", 1, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const TDecodedPicture d = DecodePictureFile(kPictures + c.file, 16, options);
    ASSERT_EQ(d.width, 48);
    EXPECT_TRUE(Near(At(d, 40, 8), background, c.tolerance));
    const Rgb opaque = At(d, 6, 8);
    if (c.grey) {
      EXPECT_TRUE(Near(opaque, {opaque[0], opaque[0], opaque[0]}, 1));
    } else {
      EXPECT_TRUE(Near(opaque, {200, 30, 30}, c.tolerance));
      EXPECT_TRUE(Near(At(d, 24, 8), half, c.tolerance + 2));
    }
    EXPECT_TRUE(ScaleJpegFile(kPictures + c.file, 16, options).usedBackground);
  }
}

TEST(PictureFormats, SixteenBitSamplesAreRounded) {
  // 51500 and 13050 round to 200 and 51; cut to their high byte they would be 201 and 50.
  // At 4 pixels high, blocks of 2 x 2 pixels are averaged before the filter.
  for (const char* file : {"grey16.png", "grey16.tif"}) {
    for (const int height : {32, 4}) {
      SCOPED_TRACE(std::string(file) + " at " + std::to_string(height));
      const TDecodedPicture d = DecodePictureFile(kPictures + file, height);
      EXPECT_EQ(At(d, 0, d.height / 2), (Rgb{200, 200, 200}));
      EXPECT_EQ(At(d, d.width - 1, d.height / 2), (Rgb{51, 51, 51}));
    }
  }
}

TEST(PictureFormats, SizeBombsAreRefusedAtOnceNamingTheFile) {
  const std::string corpus = std::string(TORVANE_FUZZ_CORPUS) + "/picture/";
  // bomb-wide-rows.tif: rows of 604 MB, which nothing may allocate before the size is checked.
  // bomb-overflow.*: sides whose products (pixels, bytes, bytes per row) pass 64 bits.
  for (const auto& [file, size] : std::initializer_list<std::pair<std::string, std::string>>{
           {"bomb-65500.png", "65500 x 65500"},
           {"bomb-65500.webp", "65500 x 65500"},
           {"bomb-16383.webp", "16383 x 16383"},
           {"bomb-65500.heic", "65500 x 65500"},
           {"bomb-65500.avif", "65500 x 65500"},
           {"bomb-65500.tif", "65500 x 65500"},
           {"bomb-wide-rows.tif", "604045276 x 65500"},
           {"bomb-overflow.tif", "1979776988 x 1768253660"},
           {"bomb-overflow.png", "2147483647 x 2147483647"}}) {
    SCOPED_TRACE(file);
    const auto start = std::chrono::steady_clock::now();
    const std::string error = ErrorOf([&] { ScaleJpegFile(corpus + file, 120); });
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    EXPECT_NE(error.find("Cannot read picture " + corpus + file + ": it declares " + size),
              std::string::npos)
        << error;
    EXPECT_NE(error.find("megapixels a picture may have"), std::string::npos) << error;
  }
}

// Files far larger than their pictures can need are refused as soon as the bound is read: before
// the header (metadata), after it (empty data chunks), and for formats decoded from memory, before
// the file is read at all (a sparse file of 500 MB).
TEST(PictureFormats, FilesFarLargerThanTheirPicturesNeedAreRefusedEarly) {
  TTempDir dir;
  const std::string png = ReadAll(kPictures + "alpha.png");
  const size_t headerEnd = 8 + 12 + 13;  // signature and IHDR chunk
  const size_t dataStart = png.find("IDAT") - 4;
  const std::string metadata =
      std::string("\x02\x10\x00\x00prVt", 8) + std::string(33 << 20, 'm') + "crc!";
  std::string emptyData;
  for (int i = 0; i < 3'000'000; ++i) emptyData += std::string("\0\0\0\0IDAT\x35\xaf\x06\x1e", 12);
  WriteAll(dir / "metadata.png", png.substr(0, headerEnd) + metadata + png.substr(headerEnd));
  WriteAll(dir / "padded.png", png.substr(0, dataStart) + emptyData + png.substr(dataStart));
  std::filesystem::copy_file(kPictures + "orient6.webp", dir / "sparse.webp");
  std::filesystem::resize_file(dir / "sparse.webp", 500 << 20);
  const std::pair<const char*, const char*> cases[] = {
      {"metadata.png", "no picture header in its first 32 MB"},
      {"padded.png", "the file holds far more data than a picture of its declared size can need"},
      {"sparse.webp", "the file is 500 MB, more than a picture of its kind may take (416 MB)"},
  };
  for (const auto& [file, expected] : cases) {
    SCOPED_TRACE(file);
    const auto start = std::chrono::steady_clock::now();
    const std::string error = ErrorOf([&] { ScaleJpegFile(dir / file, 120); });
    EXPECT_LT(std::chrono::steady_clock::now() - start,
              std::chrono::seconds(2 * kSanitizerSlowdown));
    EXPECT_EQ(error.find("Cannot read picture " + dir / file + ": " + expected), 0u) << error;
  }
}

// A design whose items take the pictures given, published into a fresh folder.
struct TDoubleDensityRun {
  TTempDir program, work, out, sources;
  TProjectModel model{program.Folder()};
  TMemoryTree tree;

  explicit TDoubleDensityRun(const std::vector<std::pair<int, int>>& sizes) {
    WriteAll(program / "torvane.js", "var Bmaf = true;\n");
    model.SetWorkFolder(work.Folder());
    model.PictureCacheEnabled = false;
    StorePanelDefaults(model);  // 120 pixels high
    for (size_t i = 0; i < sizes.size(); ++i) {
      const std::string path = sources / ("p" + std::to_string(i) + ".jpg");
      WriteTestJpeg(path, sizes[i].first, sizes[i].second, static_cast<int>(i));
      TItemData item = TestItem("");
      item.originalPath = path;
      model.Items.push_back(item);
      tree.AppendChild(0, "Item");
    }
  }
};

TEST(DoubleDensityPictures, MadeAtTwiceTheHeightOnlyFromLargeEnoughSources) {
  TDoubleDensityRun run({{400, 300}, {200, 200}, {300, 240}});
  run.model.DoubleDensityPictures = true;
  ASSERT_TRUE(run.model.PublishProject(run.out.Folder(), "show.tvn", run.tree));
  const struct {
    const char* name;
    int width, height;  // 0: not made
  } expected[] = {{"slider0.jpg", 160, 120}, {"slider0@2x.jpg", 320, 240},
                  {"slider1.jpg", 120, 120}, {"slider1@2x.jpg", 0, 0},
                  {"slider2.jpg", 150, 120}, {"slider2@2x.jpg", 300, 240}};
  const std::string report = ReadAll(run.out / "show_PublishReport.txt");
  for (const auto& e : expected) {
    SCOPED_TRACE(e.name);
    const TJpegInfo info = ReadJpegInfo(run.out / e.name);
    EXPECT_EQ(info.isJpeg, e.width > 0);
    EXPECT_EQ(info.width, e.width);
    EXPECT_EQ(info.height, e.height);
    EXPECT_EQ(report.find(std::string("  ") + e.name + "\r\n") != std::string::npos, e.width > 0);
  }
  const std::vector<std::string> cfg = CrLfLines(run.out / "torvanecfg.js");
  EXPECT_NE(
      std::find(cfg.begin(), cfg.end(),
                "CISlider1(['slider0.jpg','page.html','_self','',160,120,'slider0@2x.jpg']);"),
      cfg.end());
  EXPECT_NE(std::find(cfg.begin(), cfg.end(),
                      "CISlider1(['slider1.jpg','page.html','_self','',120,120]);"),
            cfg.end());

  // Turned off again: the files and the script are those of a run that never had it.
  TDoubleDensityRun plain({{400, 300}, {200, 200}, {300, 240}});
  run.model.DoubleDensityPictures = false;
  ASSERT_TRUE(run.model.PublishProject(run.out.Folder(), "show.tvn", run.tree));
  ASSERT_TRUE(plain.model.PublishProject(plain.out.Folder(), "show.tvn", plain.tree));
  for (const char* file : {"torvanecfg.js", "show_PublishReport.txt", "slider0.jpg"}) {
    EXPECT_EQ(ReadAll(run.out / file), ReadAll(plain.out / file)) << file;
  }
}

TEST(DoubleDensityPictures, AnUnreadablePictureNamesItsItemAndFile) {
  TDoubleDensityRun run({{400, 300}, {200, 200}});
  const std::string bad = run.sources / "logo.png";
  WriteAll(bad, "not a picture");
  run.model.Items[1].originalPath = bad;
  EXPECT_EQ(ErrorOf([&] { run.model.PublishProject(run.out.Folder(), "show.tvn", run.tree); }),
            "Item 2: Cannot read picture " + bad +
                ": not a picture file in a format we read (JPEG, PNG, WebP, HEIC, AVIF or TIFF)");
}

TEST(PictureFormats, WebpAndAvifFromYCbCrShowTheColoursOfTheRgbRoute) {
  // A JPEG photo's samples reach the encoders in YCbCr; an odd size leaves the last chroma
  // sample of each row and column one pixel wide.
  const std::vector<unsigned char> colors[4] = {
      {220, 40, 40}, {30, 150, 60}, {40, 60, 210}, {240, 220, 120}};
  imagetest::ScratchDir dir;
  const std::string source =
      dir.Write("odd.jpg", imagetest::EncodePicture(imagetest::Quadrants(66, 50, colors)));
  const TScaledSamples samples = ScalePictureSamples(source, 25);
  ASSERT_EQ(samples.kind, images::PixelKind::YCbCr);
  ASSERT_EQ(samples.width, 33);
  const TDecodedPicture exact = DecodePictureFile(source, 25);
  using TEncode =
      std::function<std::vector<unsigned char>(const unsigned char*, images::PixelKind)>;
  const std::pair<std::string, TEncode> encoders[] = {
      {"webp",
       [&](const unsigned char* pixels, images::PixelKind kind) {
         return images::EncodeWebp(pixels, kind, 33, 25, images::kWebpQuality, images::kWebpMethod,
                                   source);
       }},
      {"avif", [&](const unsigned char* pixels, images::PixelKind kind) {
         return images::EncodeAvif(pixels, kind, 33, 25, images::kAvifQuality, 8, source);
       }}};
  for (const auto& [format, encode] : encoders) {
    const TDecodedPicture ycc = DecodePictureFile(
        dir.Write("ycc." + format, encode(samples.pixels.data(), samples.kind)), 25);
    const TDecodedPicture rgb = DecodePictureFile(
        dir.Write("rgb." + format, encode(exact.rgb.data(), images::PixelKind::Rgb)), 25);
    ASSERT_EQ(ycc.width, 33) << format;
    ASSERT_EQ(ycc.height, 25) << format;
    double apart = 0;
    for (size_t i = 0; i < ycc.rgb.size(); ++i) apart += std::abs(ycc.rgb[i] - rgb.rgb[i]);
    EXPECT_LT(apart / static_cast<double>(ycc.rgb.size()), 2.0) << format;
    for (const auto& [x, y] : {std::pair{4, 4}, {28, 4}, {4, 20}, {28, 20}, {32, 24}}) {
      EXPECT_TRUE(Near(At(ycc, x, y), At(exact, x, y), 8)) << format << " at " << x << "," << y;
    }
  }
}

}  // namespace
