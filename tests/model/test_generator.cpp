#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "Errors.h"
#include "FileUtil.h"
#include "MemoryTree.h"
#include "ProjectModel.h"
#include "TestUtil.h"
#include "test_generator_util.h"

namespace {

const std::vector<std::string> kHeader = {"/*",
                                          "Torvane 1.1",
                                          "Copyright (C) 2026 QEL. All rights reserved.",
                                          "https://www.torvane.example/",
                                          "https://www.torvane.example/support/",
                                          "*/"};

// A model whose program folder is a fresh temporary folder, with a tree node per item.
struct TGeneratorFixture {
  TTempDir dir;
  TRecordingProgress progress;
  TProjectModel model{dir.Folder(), &progress};
  TMemoryTree tree;

  TGeneratorFixture() { StorePanelDefaults(model); }
  void AddItem(const TItemData& item, int parent = 0) {
    model.Items.push_back(item);
    tree.AppendChild(parent, "Item");
  }
  std::string Page() const { return dir / "page.html"; }
  void Run() { model.MakeHTMLCodes(Page(), tree); }
  std::vector<std::string> Cfg() const { return CrLfLines(dir / "torvanecfg.js"); }
  std::vector<std::string> Css() const { return CrLfLines(dir / "torvane.css"); }
  bool NothingWritten() const {
    return !fileutil::IsFile(dir / "torvanecfg.js") && !fileutil::IsFile(dir / "torvane.css") &&
           !fileutil::IsFile(Page()) && !std::filesystem::exists(dir / "preview");
  }
};

TEST(Generator, DefaultDesignWritesTheKnownLines) {
  TGeneratorFixture f;
  TItemData item = TestItem("slider0.jpg");
  f.AddItem(item);
  f.Run();

  std::vector<std::string> expected = kHeader;
  expected.insert(
      expected.end(),
      {"CISlider1(['slider0.jpg','page.html','_self','',160,120]);", "function CISlider1(ipa){",
       "if(!(window.Slider1cfg)){eval('window.Slider1cfg=new Array();');};",
       "Slider1cfg[Slider1cfg.length]=ipa;};", "function InitSlider1(){",
       "if (!window.Bmaf){setTimeout('InitSlider1()',350);return;};",
       "new BXae('Slider1_div',370,128,1,39,0,0,'FFFFFF',Slider1cfg,4,0);};", "InitSlider1();"});
  EXPECT_EQ(f.Cfg(), expected);

  std::vector<std::string> css = kHeader;
  css.insert(css.end(), {".slidercontainer{", "BORDER:#FFFF00 0px none;", "}", ".sliderimages{",
                         "BORDER:#DBEAF5 4px dashed;", "}"});
  EXPECT_EQ(f.Css(), css);

  const std::vector<std::string> page = CrLfLines(f.Page());
  ASSERT_EQ(page.size(), 23u);
  EXPECT_EQ(page[0], "<!-- saved from url=(0028)https://www.torvane.example/ -->");
  EXPECT_EQ(page[12], "<link href=\"./torvane.css\" type=text/css rel=stylesheet>");
  EXPECT_EQ(page[13], "<script language=\"javascript\" src=\"./torvane.js\"></script>");
  EXPECT_EQ(page[14], "<script language=\"javascript\" src=\"./torvanecfg.js\"></script>");
  EXPECT_EQ(page[19], "<div id=\"Slider1_div\" style=\"width:370px;height:128px;\"></div>");
  EXPECT_EQ(page[22], "</html>");

  // The item's picture was never found: it keeps its name and size and the node says so.
  EXPECT_EQ(f.model.Items[0].imageFile, "slider0.jpg");
  EXPECT_EQ(f.model.Items[0].level, "0");
  EXPECT_EQ(f.model.PictureStatus(), std::vector<TPictureStatus>{TPictureStatus::Missing});
  // The run leaves the design's own numbers alone and puts the status back.
  EXPECT_EQ(f.model.Slider.height, "120");
  EXPECT_EQ(f.progress.statuses.front(), "Making HTML Codes ... ...");
  EXPECT_FALSE(f.progress.busy);
  EXPECT_EQ(f.progress.status, "");
}

TEST(Generator, BorderOfStyleNoneTakesNoRoomAndNoItemsStillMakeACompletePage) {
  TGeneratorFixture f;
  f.model.Slider.imageBorderStyle = "0";
  f.model.Slider.imageBorderWidth = "7";
  f.model.Slider.containerBorderStyle = "3";
  f.model.Slider.containerBorderWidth = "2";
  f.Run();
  const std::vector<std::string> css = f.Css();
  ASSERT_EQ(css.size(), 12u);
  EXPECT_EQ(css[7], "BORDER:#FFFF00 2px solid;");
  EXPECT_EQ(css[10], "BORDER:#DBEAF5 0px none;");
  const std::vector<std::string> cfg = f.Cfg();
  ASSERT_EQ(cfg.size(), 6u + 7u);  // no item lines: the header runs straight into the functions
  EXPECT_EQ(cfg[6], "function CISlider1(ipa){");
  EXPECT_EQ(cfg[11], "new BXae('Slider1_div',370,124,1,39,0,0,'FFFFFF',window.Slider1cfg,0,2);};");
  // ...and the script runs to its end, handing the runtime no configuration.
  WriteAll(f.dir / "run.js",
           "var window = globalThis; globalThis.Bmaf = true;\n"
           "globalThis.BXae = function (id, w, h, s, d, g, t, bg, cfg) {"
           " console.log(id + ' ' + typeof cfg); };\n" +
               ReadAll(f.dir / "torvanecfg.js"));
  const TRunResult run = RunCommand("node " + ShellQuote(f.dir / "run.js"), f.dir.Path().string());
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "Slider1_div undefined\n");
  EXPECT_EQ(CrLfLines(f.Page())[19],
            "<div id=\"Slider1_div\" style=\"width:370px;height:124px;\"></div>");
  EXPECT_EQ(f.model.Slider.imageBorderWidth, "7");
}

TEST(Generator, ItemsWithoutPicturesAreWrittenAsTheyStandAndLevelsComeFromTheTree) {
  TGeneratorFixture f;
  TItemData empty = TestItem("", "", "");
  empty.width = "";
  empty.height = "";
  empty.originalPath = f.dir / "nowhere.jpg";
  f.AddItem(empty);
  WriteTestJpeg(f.dir / "real.jpg", 40, 30);
  TItemData real = TestItem("old.jpg");
  real.originalPath = "  " + (f.dir / "real.jpg") + "\t";  // blanks around the path
  f.AddItem(real, 1);                                      // child of the first item
  f.Run();

  const std::vector<std::string> cfg = f.Cfg();
  EXPECT_EQ(cfg[6], "CISlider1(['','','_self','',,]);");
  EXPECT_EQ(cfg[7], "CISlider1(['slider1.jpg','page.html','_self','',160,120]);");
  EXPECT_EQ(f.model.PictureStatus(),
            (std::vector<TPictureStatus>{TPictureStatus::Missing, TPictureStatus::Found}));
  EXPECT_EQ(f.model.Items[1].level, "1");
  EXPECT_EQ(f.model.PreviewFiles, (TStringArray{"slider1.jpg"}));
  const TJpegInfo info = ReadJpegInfo(f.model.PreviewFolder() + "slider1.jpg");
  EXPECT_TRUE(info.isJpeg);
  EXPECT_EQ(info.width, 160);
  EXPECT_EQ(info.height, 120);
  // No copy is left in the program's folder.
  EXPECT_FALSE(fileutil::IsFile(f.dir / "slider1.jpg"));
}

TEST(Generator, SharedPicturesGiveOneFilePerItem) {
  TGeneratorFixture f;
  f.model.ImageWorkers = 2;
  f.model.Slider.height = "60";
  WriteTestJpeg(f.dir / "a.jpg", 1000, 750, 1);
  WriteTestJpeg(f.dir / "b.jpg", 30, 90, 2);
  for (const char* name : {"a.jpg", "b.jpg", "a.jpg"}) {
    TItemData item = TestItem("");
    item.originalPath = f.dir / name;
    f.AddItem(item);
  }
  f.Run();
  EXPECT_EQ(f.model.PreviewFiles, (TStringArray{"slider0.jpg", "slider1.jpg", "slider2.jpg"}));
  const int widths[] = {80, 20, 80};
  for (int i = 0; i < 3; ++i) {
    const std::string name = "slider" + std::to_string(i) + ".jpg";
    const TJpegInfo info = ReadJpegInfo(f.model.PreviewFolder() + name);
    EXPECT_TRUE(info.isJpeg) << name;
    EXPECT_EQ(info.width, widths[i]) << name;
    EXPECT_EQ(info.height, 60) << name;
    EXPECT_EQ(f.model.Items[static_cast<size_t>(i)].imageFile, name);
    EXPECT_EQ(f.model.Items[static_cast<size_t>(i)].width, std::to_string(widths[i]));
  }
  EXPECT_EQ(ReadAll(f.model.PreviewFolder() + "slider0.jpg"),
            ReadAll(f.model.PreviewFolder() + "slider2.jpg"));
}

TEST(Generator, LinkRootsAreReplacedBothWaysWithoutRegardToCase) {
  TGeneratorFixture f;
  f.model.Slider.localRoot = "C:\\Site\\";
  f.model.Slider.remoteRoot = "http://www.Example.com/";
  f.AddItem(TestItem("", "HTTP://WWW.EXAMPLE.COM/a/B.html"));
  f.AddItem(TestItem("", "other.html"));
  f.AddItem(TestItem("", "http://www.example.com/x http://WWW.example.com/y"));

  f.model.Slider.localRootChecked = "1";
  f.Run();
  EXPECT_EQ(f.model.Items[0].link, "C:\\Site\\a/B.html");
  EXPECT_EQ(f.model.Items[1].link, "other.html");
  EXPECT_EQ(f.model.Items[2].link, "C:\\Site\\x C:\\Site\\y");

  f.model.Slider.localRootChecked = "0";
  f.Run();
  EXPECT_EQ(f.model.Items[0].link, "http://www.Example.com/a/B.html");
  EXPECT_EQ(f.model.Items[2].link, "http://www.Example.com/x http://www.Example.com/y");
  EXPECT_EQ(f.Cfg()[6], "CISlider1(['','http://www.Example.com/a/B.html','_self','',160,120]);");

  // Letter case is ignored beyond A-Z too; the rest of the link stays as written.
  f.model.Slider.remoteRoot = "http://X/\xC3\xA9\xC5\x92/";
  f.model.Slider.localRoot = "C:\\\xC3\x89t\xC3\xA9\\";
  f.model.Items[1].link = "http://x/\xC3\x89\xC5\x93/\xC3\xA9.html";
  f.model.Slider.localRootChecked = "1";
  f.Run();
  EXPECT_EQ(f.model.Items[1].link, "C:\\\xC3\x89t\xC3\xA9\\\xC3\xA9.html");
  f.model.Slider.localRootChecked = "0";
  f.model.Items[1].link = "c:\\\xC3\xA9T\xC3\x89\\a.html";
  f.Run();
  EXPECT_EQ(f.model.Items[1].link, "http://X/\xC3\xA9\xC5\x92/a.html");

  // A root that is blank once trimmed switches the replacement off.
  f.model.Slider.localRoot = " \t";
  f.model.Slider.localRootChecked = "1";
  f.Run();
  EXPECT_EQ(f.model.Items[0].link, "http://www.Example.com/a/B.html");
}

TEST(Generator, HostileOrBrokenValuesAreRefusedBeforeAnythingIsWritten) {
  struct TCase {
    std::function<void(TProjectModel&)> spoil;
    std::string message;
  };
  const std::vector<TCase> cases = {
      {[](auto& m) { m.Slider.step = "alert(1)"; },
       "The slider's step 'alert(1)' is not a whole number"},
      {[](auto& m) { m.Slider.width = "1e3"; }, "The slider's width '1e3'"},
      {[](auto& m) { m.Slider.delay = "39 "; }, "The slider's delay '39 '"},
      {[](auto& m) { m.Slider.gap = "+-1"; }, "The slider's gap '+-1'"},
      {[](auto& m) { m.Slider.trailerSpace = ""; }, "The slider's trailer space ''"},
      {[](auto& m) { m.Slider.height = "0"; }, "The slider's height '0' must be at least 1"},
      {[](auto& m) { m.Slider.height = "-5"; }, "The slider's height '-5'"},
      {[](auto& m) { m.Slider.height = "99999999999"; }, "'99999999999' is out of range"},
      {[](auto& m) { m.Slider.name = "Slider 1"; }, "The slider's name 'Slider 1'"},
      {[](auto& m) { m.Slider.name = "1st"; }, "The slider's name '1st'"},
      {[](auto& m) { m.Slider.configName = "x);alert(1);//"; },
       "The slider's configuration name 'x);alert(1);//'"},
      {[](auto& m) { m.Slider.configName = "new"; }, "'new' is a reserved word"},
      {[](auto& m) { m.Slider.backgroundColour = "FFFFFF');alert(1);//"; },
       "The slider's background colour"},
      {[](auto& m) { m.Slider.imageBorderColour = "FFF"; }, "image border colour 'FFF'"},
      {[](auto& m) { m.Slider.containerBorderColour = "GGGGGG"; }, "container border colour"},
      {[](auto& m) { m.Slider.imageBorderStyle = "2;"; }, "image border style '2;'"},
      {[](auto& m) { m.Slider.containerBorderWidth = "4px"; }, "container border width '4px'"},
      // The second item has no picture: its stale size is written as it stands.
      {[](auto& m) { m.Items[1].width = "160);alert(1"; }, "Item 2's width '160);alert(1'"},
      {[](auto& m) { m.Items[1].height = "x"; }, "Item 2's height 'x'"},
  };
  for (const TCase& c : cases) {
    TGeneratorFixture f;
    WriteTestJpeg(f.dir / "a.jpg", 20, 10);
    TItemData item = TestItem("");
    item.originalPath = f.dir / "a.jpg";
    f.AddItem(item);
    f.AddItem(TestItem(""));
    c.spoil(f.model);
    try {
      f.Run();
      ADD_FAILURE() << "accepted: " << c.message;
    } catch (const TvError& error) {
      EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
    }
    EXPECT_TRUE(f.NothingWritten()) << c.message;
    EXPECT_TRUE(f.model.PreviewFiles.empty()) << c.message;
    EXPECT_EQ(f.model.Items[0].imageFile, "") << c.message;
  }
}

TEST(Generator, NumbersAreWrittenInCanonicalForm) {
  TGeneratorFixture f;
  f.model.Slider.step = "010";  // would be an octal 8 in a script
  f.model.Slider.delay = "-0";
  f.model.Slider.width = " 370";  // as the integer conversions read it
  f.model.Slider.gap = "+2";
  f.model.Slider.height = "+120";
  f.AddItem(TestItem("slider0.jpg"));
  // A stale size that the picture replaces is not looked at.
  WriteTestJpeg(f.dir / "a.jpg", 20, 10);
  TItemData item = TestItem("");
  item.originalPath = f.dir / "a.jpg";
  item.width = "stale";
  f.AddItem(item);
  f.Run();
  EXPECT_EQ(f.Cfg()[13], "new BXae('Slider1_div',370,128,10,0,2,0,'FFFFFF',Slider1cfg,4,0);};");
  EXPECT_EQ(f.model.Items[1].width, "240");
  EXPECT_EQ(CrLfLines(f.Page())[19],
            "<div id=\"Slider1_div\" style=\"width:370px;height:128px;\"></div>");
}

TEST(Generator, ABadPictureNamesTheFileAndLeavesTheTextFilesUnwritten) {
  TGeneratorFixture f;
  WriteTestJpeg(f.dir / "good.jpg", 40, 30);
  WriteAll(f.dir / "broken.jpg", "\xFF\xD8\xFF\xE0 this is not really a picture");
  WriteAll(f.Page(), "old page\r\n");
  for (const char* name : {"good.jpg", "broken.jpg"}) {
    TItemData item = TestItem("");
    item.originalPath = f.dir / name;
    f.AddItem(item);
  }
  try {
    f.Run();
    ADD_FAILURE() << "a broken picture was accepted";
  } catch (const TvError& error) {
    EXPECT_NE(std::string(error.what()).find("broken.jpg"), std::string::npos) << error.what();
  }
  EXPECT_EQ(ReadAll(f.Page()), "old page\r\n");
  EXPECT_FALSE(fileutil::IsFile(f.dir / "torvanecfg.js"));
  EXPECT_FALSE(fileutil::IsFile(f.dir / "torvane.css"));
  // The good picture may have been written before the broken one failed: then it is recorded,
  // so that clearing the preview removes it.
  for (const std::string& name : f.model.PreviewFiles) {
    EXPECT_EQ(name, "slider0.jpg");
    EXPECT_TRUE(fileutil::IsFile(f.model.PreviewFolder() + name));
  }
  EXPECT_EQ(f.model.Items[0].imageFile, "");  // the items learn nothing from a failed run
  EXPECT_FALSE(f.progress.busy);
  EXPECT_EQ(f.progress.status, "");
  EXPECT_EQ(f.progress.position, 0);
}

}  // namespace
