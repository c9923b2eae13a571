// The live preview's page: the published set generated into a folder of its own from a copy of
// the design, with pictures whose original is gone taken from those already made.
#include <gtest/gtest.h>

#include <filesystem>

#include "Errors.h"
#include "LivePage.h"
#include "TestUtil.h"
#include "test_generator_util.h"

namespace {

struct TLiveFixture {
  TTempDir program, made, out;
  TLiveDesign live;
  TLivePageOptions options;

  TLiveFixture() {
    WriteAll(program / "torvane.js", "window.Bmaf = true;\n");
    TProjectModel defaults(program.Folder());
    StorePanelDefaults(defaults);
    live.design.slider = defaults.Slider;
    options.programFolder = program.Folder();
    options.pictureCache = false;
    options.madePictures = made.Folder();
  }
  TItemData& Add(const std::string& original, const std::string& imageFile,
                 const std::string& level) {
    live.design.items.push_back(TestItem(imageFile));
    live.design.items.back().originalPath = original;
    live.design.items.back().level = level;
    live.design.levels.push_back(std::stoi(level));
    return live.design.items.back();
  }
};

}  // namespace

TEST(LivePage, GeneratesThePublishedSetWithTheBoxSize) {
  TLiveFixture f;
  WriteTestJpeg(f.out / "found.jpg", 400, 300);
  WriteAll(f.made / "slider7.jpg", "made before");
  f.Add(f.out / "found.jpg", "", "0");
  f.Add(f.out / "gone.jpg", "slider7.jpg", "1");  // nested under the first
  f.Add(f.out / "gone.jpg", "never-made.jpg", "0");
  f.live.design.slider.height = "90";
  f.live.design.slider.imageBorderStyle = "3";  // 4 px, counted twice
  f.live.design.slider.containerBorderStyle = "0";

  const TLivePage page = MakeLivePage(f.live, f.out / "gen", f.options);
  const std::filesystem::path folder = std::filesystem::path(page.pagePath).parent_path();
  EXPECT_EQ(folder, std::filesystem::path(f.out / "gen") / "preview");
  EXPECT_EQ(page.width, 370);
  EXPECT_EQ(page.height, 90 + 2 * 4);
  for (const char* name : {"index.html", "torvane.js", "torvanecfg.js", "torvane.css"})
    EXPECT_TRUE(std::filesystem::is_regular_file(folder / name)) << name;
  // No picture is made with the page: each is listed under the name the page asks for, and made
  // when asked (the found one scaled, the one made before as it is); the other shows missing.
  const std::string cfg = ReadAll((folder / "torvanecfg.js").string());
  ASSERT_TRUE(page.pictures);
  EXPECT_EQ(page.pictures->size(), 2u);
  EXPECT_EQ(page.unusable, (std::vector<bool>{false, true, true}));
  EXPECT_NE(cfg.find("'never-made.jpg'"), std::string::npos) << cfg;
  for (size_t i = 0; i < 2; ++i) {
    const std::string name = page.items[i].imageFile;
    ASSERT_EQ(page.pictures->count(name), 1u) << name;
    EXPECT_NE(cfg.find("'" + name + "'"), std::string::npos) << cfg;
    EXPECT_NE(page.sliderCall.find("'" + name + "'"), std::string::npos) << page.sliderCall;
    MakeLivePicture(page.pictures->at(name), f.out / name, nullptr);
  }
  EXPECT_EQ(ReadJpegInfo(f.out / page.items[0].imageFile).height, 90);
  EXPECT_EQ(page.items[0].width, "120");  // from the header, as scaling makes it
  EXPECT_EQ(ReadAll(f.out / page.items[1].imageFile), "made before");

  // Another design with the same picture, in another place and at another height: the page
  // names the same picture alike, a picture of another size differently.
  TLiveDesign moved = f.live;
  std::swap(moved.design.items[0], moved.design.items[2]);
  const TLivePage same = MakeLivePage(moved, f.out / "gen2", f.options, &page);
  EXPECT_EQ(same.items[2].imageFile, page.items[0].imageFile);
  moved.design.slider.height = "60";
  const TLivePage lower = MakeLivePage(moved, f.out / "gen3", f.options, &page);
  EXPECT_NE(lower.items[2].imageFile, page.items[0].imageFile);
  EXPECT_EQ(lower.items[2].width, "80");
}

TEST(LivePage, RefusesWhatTheGeneratorRefusesAndAMissingRuntime) {
  const struct {
    const char* what;
    void (*spoil)(TLiveFixture&);
    const char* named;
  } cases[] = {
      {"height 0", [](TLiveFixture& f) { f.live.design.slider.height = "0"; }, "height '0'"},
      {"colour", [](TLiveFixture& f) { f.live.design.slider.backgroundColour = "red"; }, "'red'"},
      {"no runtime", [](TLiveFixture& f) { std::filesystem::remove(f.program / "torvane.js"); },
       "torvane.js"},
  };
  for (const auto& c : cases) {
    TLiveFixture f;
    c.spoil(f);
    try {
      MakeLivePage(f.live, f.out / "gen", f.options);
      ADD_FAILURE() << c.what << ": no error";
    } catch (const TvError& e) {
      EXPECT_NE(std::string(e.what()).find(c.named), std::string::npos)
          << c.what << ": " << e.what();
    }
  }
}
