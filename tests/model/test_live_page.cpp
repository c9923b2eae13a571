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
  TLiveDesign design;
  TLivePageOptions options;

  TLiveFixture() {
    WriteAll(program / "torvane.js", "window.Bmaf = true;\n");
    TqelAppletAgent defaults(program.Folder());
    StorePanelDefaults(defaults);
    design.slider = defaults.AppletData;
    options.programFolder = program.Folder();
    options.pictureCache = false;
    options.madePictures = made.Folder();
  }
  TItemData& Add(const std::string& original, const std::string& imageFile,
                 const std::string& level) {
    design.items.push_back(TestItem(imageFile));
    design.items.back().OriginalImagePath = original;
    design.items.back().ILevel = level;
    return design.items.back();
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
  f.design.slider.pHeight = "90";
  f.design.slider.pImageBorderStyle = "3";  // 4 px, counted twice
  f.design.slider.pContainerBorderStyle = "0";

  const TLivePage page = MakeLivePage(f.design, f.out / "gen", f.options);
  const std::filesystem::path folder = std::filesystem::path(page.pagePath).parent_path();
  EXPECT_EQ(folder, std::filesystem::path(f.out / "gen") / "preview");
  EXPECT_EQ(page.width, 370);
  EXPECT_EQ(page.height, 90 + 2 * 4);
  for (const char* name : {"index.html", "torvane.js", "torvanecfg.js", "torvane.css"})
    EXPECT_TRUE(std::filesystem::is_regular_file(folder / name)) << name;
  EXPECT_EQ(ReadJpegInfo((folder / "slider0.jpg").string()).height, 90);
  EXPECT_EQ(ReadAll((folder / "slider7.jpg").string()), "made before");
  EXPECT_FALSE(std::filesystem::exists(folder / "never-made.jpg"));
  const std::string cfg = ReadAll((folder / "torvanecfg.js").string());
  EXPECT_NE(cfg.find("'slider0.jpg'"), std::string::npos);
  EXPECT_NE(cfg.find("'slider7.jpg'"), std::string::npos);
}

TEST(LivePage, RefusesWhatTheGeneratorRefusesAndAMissingRuntime) {
  const struct {
    const char* what;
    void (*spoil)(TLiveFixture&);
    const char* named;
  } cases[] = {
      {"height 0", [](TLiveFixture& f) { f.design.slider.pHeight = "0"; }, "height '0'"},
      {"colour", [](TLiveFixture& f) { f.design.slider.pBgColor = "red"; }, "'red'"},
      {"no runtime", [](TLiveFixture& f) { std::filesystem::remove(f.program / "torvane.js"); },
       "torvane.js"},
  };
  for (const auto& c : cases) {
    TLiveFixture f;
    c.spoil(f);
    try {
      MakeLivePage(f.design, f.out / "gen", f.options);
      ADD_FAILURE() << c.what << ": no error";
    } catch (const TvError& e) {
      EXPECT_NE(std::string(e.what()).find(c.named), std::string::npos)
          << c.what << ": " << e.what();
    }
  }
}
