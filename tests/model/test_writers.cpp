// The design's writers: each works on a copy of the design and reports what it made, also when it
// fails on the way.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>

#include "Errors.h"
#include "FileUtil.h"
#include "TestUtil.h"
#include "Writers.h"
#include "test_generator_util.h"

namespace fs = std::filesystem;

namespace {

// A design of two items, the first with a picture, the second with one that is gone (it keeps
// its published name), a program folder with the runtime and a work folder of its own.
struct TWriterFixture {
  TTempDir program, work, out;
  TDesign design;
  TRunContext context;

  TWriterFixture() {
    WriteAll(program / "torvane.js", "var Bmaf = true;\n");
    TProjectModel defaults(program.Folder());
    StorePanelDefaults(defaults);
    design.slider = defaults.Slider;
    WriteTestJpeg(program / "found.jpg", 64, 48);
    design.items = {TestItem(""), TestItem("slider1.jpg")};
    design.items[0].originalPath = program / "found.jpg";
    design.items[1].originalPath = program / "gone.jpg";
    design.levels = {0, 1};
    context.folders = {program.Folder(), work.Folder()};
    context.options.pictureCache = false;
  }
};

}  // namespace

TEST(Writers, EachWorksOnACopyAndReportsWhatItMade) {
  const struct {
    const char* name;
    std::function<std::unique_ptr<TExporter>(const TWriterFixture&)> writer;
    bool writesDesign;    // hands back the design as written
    const char* made;     // a file it names in result.files (its file name), or none
    const char* lineHas;  // a text one of result.lines holds, or none
    size_t previewFiles;  // what it leaves listed in the preview folder
  } cases[] = {
      {"publish",
       [](const TWriterFixture& f) {
         return std::make_unique<TPublishExporter>(f.out.Folder(), "show.tvn");
       },
       true, "show.html", nullptr, 1},
      {"page code", [](const TWriterFixture&) { return std::make_unique<TPageCodeExporter>(); },
       true, nullptr, "Slider1_div", 1},
      {"preview",
       [](const TWriterFixture&) { return std::make_unique<TPreviewExporter>("~preview.html"); },
       true, "~preview.html", "Slider1_div", 5},
      {"embed code", [](const TWriterFixture&) { return std::make_unique<TEmbedCodeExporter>(); },
       false, nullptr, "<div id=\"Slider1_div\"", 0},
      {"report", [](const TWriterFixture&) { return std::make_unique<TReportExporter>("r.txt"); },
       false, "r.txt", nullptr, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TWriterFixture f;
    const TDesign before = f.design;
    TExportResult result;
    c.writer(f)->run(f.design, f.context, result);
    EXPECT_EQ(f.design, before);
    ASSERT_EQ(result.written.has_value(), c.writesDesign);
    if (c.writesDesign) {
      // The found picture got its published name and size; the missing one kept its own.
      EXPECT_EQ(result.written->items[0].imageFile, "slider0.jpg");
      EXPECT_EQ(result.written->items[0].height, before.slider.height);
      EXPECT_EQ(result.written->items[1].imageFile, "slider1.jpg");
      EXPECT_EQ(result.written->levels, before.levels);
      EXPECT_EQ(*result.pictureStatus,
                (std::vector<TPictureStatus>{TPictureStatus::Found, TPictureStatus::Missing}));
    }
    if (c.made) {
      ASSERT_FALSE(result.files.empty());
      EXPECT_EQ(fileutil::NameOf(result.files[0]), c.made);
      for (const std::string& file : result.files) EXPECT_TRUE(fileutil::IsFile(file)) << file;
    }
    if (c.lineHas) {
      const std::string text = fileutil::JoinLines(result.lines);
      EXPECT_NE(text.find(c.lineHas), std::string::npos) << text;
    }
    // What it left in the preview folder is listed, and clearing removes the folder with it.
    EXPECT_EQ(result.preview.files.size(), c.previewFiles);
    const std::string preview = f.context.folders.previewFolder();
    for (const std::string& name : result.preview.files)
      EXPECT_TRUE(fileutil::IsFile(preview + name)) << name;
    ClearPreview(preview, result.preview);
    EXPECT_FALSE(fs::exists(preview));
    EXPECT_TRUE(result.preview.files.empty());
  }
}

TEST(Writers, AFailedRunStillTellsWhatItFoundAndLeft) {
  TWriterFixture f;
  WriteAll(f.program / "broken.jpg", "not a picture");
  f.design.items.push_back(TestItem(""));
  f.design.items.back().originalPath = f.program / "broken.jpg";
  f.design.levels.push_back(0);
  f.context.preview.files = {"earlier.jpg"};  // left by an earlier run
  TExportResult result;
  EXPECT_THROW(TPreviewExporter("~preview.html").run(f.design, f.context, result), TvError);
  EXPECT_FALSE(result.written);
  ASSERT_TRUE(result.pictureStatus);
  EXPECT_EQ(result.pictureStatus->size(), 3u);
  EXPECT_EQ(result.pictureStatus->at(2), TPictureStatus::Found);  // found, but not readable
  EXPECT_EQ(result.preview.files.front(), "earlier.jpg");
}
