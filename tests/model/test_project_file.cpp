#include <gtest/gtest.h>

#include <filesystem>

#include "Errors.h"
#include "FileUtil.h"
#include "MemoryTree.h"
#include "ProjectModel.h"
#include "TestUtil.h"
#include "test_generator_util.h"

namespace {

const std::string kHeader =
    "<Warning_Info>\r\n"
    "Note: This file was created and maintained by Torvane 1.1.\r\n"
    "Do not modify it or script project may not be opened again!\r\n"
    "</Warning_Info>\r\n"
    "<Product_Name>\r\n"
    "Torvane\r\n"
    "</Product_Name>\r\n"
    "<Product_Version>\r\n"
    "1.1\r\n"
    "</Product_Version>\r\n";

const std::string kDefaultSliderLine =
    "Slider1#$@Slider1cfg#$@Slider1_div#$@370#$@120#$@1#$@39#$@0#$@0#$@FFFFFF#$@Slider1cfg#$@4#$@"
    "2#$@DBEAF5#$@4#$@0#$@FFFF00#$@#$@#$@1#$@";

std::string ProjectText(const std::string& sliderLine, const std::vector<std::string>& items,
                        const std::string& eol = "\r\n") {
  std::string text = kHeader + "<Applet_Parameters>\r\n" + sliderLine + "\r\n" +
                     "</Applet_Parameters>\r\n<Item_Parameters>\r\n";
  for (const std::string& item : items) text += item + "\r\n";
  text += "</Item_Parameters>\r\n";
  if (eol != "\r\n") {
    std::string converted;
    for (char c : text) {
      if (c != '\r') converted += c;
    }
    return converted;
  }
  return text;
}

class RecordingMessages : public IMessages {
 public:
  void Show(TMessageKind kind, const TMessage& message) override {
    kinds.push_back(kind);
    texts.push_back(message.English());
  }
  std::vector<TMessageKind> kinds;
  std::vector<std::string> texts;
};

class RecordingProgress : public IProgress {
 public:
  void SetMaximum(int maximum) override { events.push_back("max " + std::to_string(maximum)); }
  void Step(int by) override { total += by; }
  void SetPosition(int position) override { events.push_back("pos " + std::to_string(position)); }
  void SetStatus(const std::string& text) override { events.push_back("status " + text); }
  void SetBusy(bool busy) override { events.push_back(busy ? "busy" : "idle"); }
  std::vector<std::string> events;
  int total = 0;
};

}  // namespace

TEST(ProjectFile, SavesTheExactLinesAndProgress) {
  TTempDir dir;
  RecordingProgress progress;
  TProjectModel model(dir.Folder(), &progress);
  StorePanelDefaults(model);
  model.SaveProject(dir / "empty.tvn");
  EXPECT_EQ(ReadAll(dir / "empty.tvn"), ProjectText(kDefaultSliderLine, {}));
  EXPECT_EQ(progress.events, (std::vector<std::string>{"max 15", "status Saving Data ... ...",
                                                       "busy", "pos 0", "status ", "idle"}));
  EXPECT_EQ(progress.total, 15);

  progress = RecordingProgress();
  model.Items = {DefaultItem(), DefaultItem()};
  model.Items[1].level = "0";
  model.SaveProject(dir / "two.tvn");
  EXPECT_EQ(ReadAll(dir / "two.tvn"),
            ProjectText(kDefaultSliderLine, {"#$@#$@#$@_self#$@#$@160#$@120#$@#$@#$@",
                                             "#$@#$@#$@_self#$@#$@160#$@120#$@0#$@#$@"}));
  EXPECT_EQ(progress.events.front(), "max 33");
  EXPECT_EQ(progress.total, 33);
  // 15 + N lines, every one ended by CR LF.
  EXPECT_EQ(fileutil::ReadTextLines(dir / "two.tvn").size(), 17u);
}

TEST(ProjectFile, RoundTripsAwkwardValues) {
  TTempDir dir;
  TProjectModel model(dir.Folder());
  StorePanelDefaults(model);
  model.Slider.name = "Mein Schieber";
  model.Slider.localRoot = "C:\\Web Seiten\\<Fotos> \"neu\"";
  model.Slider.remoteRoot = "http://example.com/#top";
  TItemData item{"slider0.jpg",
                 "/home/zoë/Bilder/Straße 1.jpg",
                 "page.html?a=1&b='2'",
                 "_blank",
                 "Don't miss <b>\"this\"</b> # ½ — 日本",
                 "161",
                 "120",
                 "0",
                 "spare value"};
  model.Items = {item, DefaultItem()};
  model.Items[1].toolTip = "  padded  ";
  model.SaveProject(dir / "awkward.tvn");

  TProjectModel loaded(dir.Folder());
  loaded.LoadDefaults();
  TMemoryTree tree;
  EXPECT_EQ(loaded.LoadProject(dir / "awkward.tvn", tree), TLoadResult::Loaded);
  EXPECT_EQ(loaded.Slider, model.Slider);
  EXPECT_EQ(loaded.Items, model.Items);
  EXPECT_EQ(tree.NodeCount(), 3);
}

TEST(ProjectFile, RefusedOrFailedSaveLeavesTheOldFileIntact) {
  TTempDir dir;
  TProjectModel model(dir.Folder());
  StorePanelDefaults(model);
  model.SaveProject(dir / "keep.tvn");
  const std::string before = ReadAll(dir / "keep.tvn");
  model.Items = {DefaultItem()};

  // Values the file cannot hold are refused before anything is written.
  model.Items[0].toolTip = "a#$@b";
  try {
    model.SaveProject(dir / "keep.tvn");
    FAIL() << "saved a separator";
  } catch (const TvError& error) {
    EXPECT_NE(std::string(error.what()).find("image 1's tooltip 'a#$@b'"), std::string::npos)
        << error.what();
  }
  model.Items[0].toolTip = "two\nlines";
  EXPECT_THROW(model.SaveProject(dir / "keep.tvn"), TvError);
  EXPECT_EQ(ReadAll(dir / "keep.tvn"), before);
  model.Items[0].toolTip = "";

  // The disk fills up midway.
  fileutil::failNextWriteAfterBytes = 100;
  try {
    model.SaveProject(dir / "keep.tvn");
    FAIL() << "the failed write was reported as success";
  } catch (const TvFileError& error) {
    EXPECT_NE(std::string(error.what()).find(dir / "keep.tvn"), std::string::npos);
  }
  EXPECT_EQ(ReadAll(dir / "keep.tvn"), before);

  // The folder cannot take a new file (it is gone) or the name is taken by a folder.
  EXPECT_THROW(model.SaveProject(dir / "missing/keep.tvn"), TvFileError);
  std::filesystem::create_directory(dir / "taken.tvn");
  EXPECT_THROW(model.SaveProject(dir / "taken.tvn"), TvFileError);
  // Nothing but the project file is left behind.
  int files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
    ++files;
  }
  EXPECT_EQ(files, 2);
}

TEST(ProjectFile, LoadsLooseFilesLikeTheStrictOnes) {
  TTempDir dir;
  const std::string item = "slider0.jpg#$@/a.jpg#$@l#$@_self#$@t#$@160#$@120#$@0#$@#$@";
  // Extra lines before and between the blocks, missing closing tags, LF-only line ends.
  const std::string loose =
      "garbage\nmore\n<Product_Name>\nTorvane\n\nnoise\n<Product_Version>\n9.9\n"
      "<Applet_Parameters>\n" +
      kDefaultSliderLine + "\nnoise\n<Item_Parameters>\n" + item + "\n</Item_Parameters>\n";
  WriteAll(dir / "loose.tvn", loose);
  TProjectModel model(dir.Folder());
  TMemoryTree tree;
  EXPECT_EQ(model.LoadProject(dir / "loose.tvn", tree), TLoadResult::Loaded);
  EXPECT_EQ(model.Slider.divId, "Slider1_div");
  ASSERT_EQ(model.Items.size(), 1u);
  EXPECT_EQ(model.Items[0].toolTip, "t");
  EXPECT_EQ(tree.NodeCount(), 2);

  // Field counts: extra fields ignored, missing ones empty, no trailing separator loses the last.
  WriteAll(dir / "fields.tvn",
           ProjectText("Short#$@name#$@", {"a#$@b#$@c#$@d#$@e#$@f#$@g#$@0#$@i#$@j#$@k#$@",
                                           "a#$@b#$@c#$@d#$@e#$@f#$@g#$@0#$@",
                                           "a#$@b#$@c#$@d#$@e#$@f#$@g#$@0#$@i", ""}));
  EXPECT_EQ(model.LoadProject(dir / "fields.tvn", tree = TMemoryTree()), TLoadResult::Loaded);
  EXPECT_EQ(model.Slider.name, "Short");
  EXPECT_EQ(model.Slider.divId, "");
  EXPECT_EQ(model.Slider.localRootChecked, "");
  ASSERT_EQ(model.Items.size(), 4u);
  EXPECT_EQ(model.Items[0].spare, "i");
  EXPECT_EQ(model.Items[1].spare, "");
  EXPECT_EQ(model.Items[2].level, "0");
  EXPECT_EQ(model.Items[2].spare, "");
  EXPECT_EQ(model.Items[3], TItemData{});  // an empty line is an item too
  EXPECT_EQ(tree.NodeCount(), 5);
}

TEST(ProjectFile, ReadsWindowsFiles) {
  TTempDir dir;
  // Made on Windows: Windows-1252 bytes for ü, ß, € and curly quotes.
  WriteAll(dir / "win.tvn", ProjectText("Gr\xFC\xDF"
                                        "e#$@",
                                        {"#$@C:\\Bilder\\M\xFCnchen.jpg#$@#$@_self#$@"
                                         "\x84"
                                         "Preis\x93 5 \x80#$@160#$@120#$@0#$@#$@"}));
  TProjectModel model(dir.Folder());
  TMemoryTree tree;
  EXPECT_EQ(model.LoadProject(dir / "win.tvn", tree), TLoadResult::Loaded);
  EXPECT_EQ(model.Slider.name, "Grüße");
  ASSERT_EQ(model.Items.size(), 1u);
  EXPECT_EQ(model.Items[0].originalPath, "C:\\Bilder\\München.jpg");
  EXPECT_EQ(model.Items[0].toolTip, "„Preis“ 5 €");
}

TEST(ProjectFile, RejectsForeignFilesAndKeepsTheModel) {
  TTempDir dir;
  RecordingMessages messages;
  TProjectModel model(dir.Folder(), nullptr, &messages);
  model.LoadDefaults();
  model.Items = {DefaultItem()};
  const TSliderData before = model.Slider;
  const TItemArray itemsBefore = model.Items;

  for (const char* product : {"torvane", "TORVANE", "Torvane ", "Other"}) {
    std::string text = ProjectText(kDefaultSliderLine, {});
    text.replace(text.find("\r\nTorvane\r\n") + 2, 7, product);
    WriteAll(dir / "foreign.tvn", text);
    TMemoryTree tree;
    EXPECT_EQ(model.LoadProject(dir / "foreign.tvn", tree), TLoadResult::Rejected) << product;
    EXPECT_EQ(model.Slider, before);
    EXPECT_EQ(model.Items, itemsBefore);
    EXPECT_EQ(tree.NodeCount(), 2);  // the kept item keeps its node
  }
  ASSERT_EQ(messages.texts.size(), 4u);
  EXPECT_EQ(messages.texts[0], "This file wasn't saved by Torvane 1.1, open failed!");
  EXPECT_EQ(messages.kinds[0], TMessageKind::Error);

  TMemoryTree tree;
  try {
    model.LoadProject(dir / "nothing.tvn", tree);
    FAIL() << "a missing file loaded";
  } catch (const TvFileError& error) {
    EXPECT_EQ(std::string(error.what()), "File not found: " + (dir / "nothing.tvn"));
  }
  EXPECT_EQ(model.Slider, before);
}

TEST(ProjectFile, FileThatEndsEarlyWarnsAndKeepsModelAndTreeInStep) {
  TTempDir dir;
  RecordingMessages messages;
  TProjectModel model(dir.Folder(), nullptr, &messages);
  model.LoadDefaults();
  model.Items = {DefaultItem()};
  const std::string full = ProjectText(
      "Cut#$@",
      {"a#$@#$@#$@#$@#$@#$@#$@0#$@", "b#$@#$@#$@#$@#$@#$@#$@1#$@", "c#$@#$@#$@#$@#$@#$@#$@0#$@"});

  // Inside the item block: the items read so far, each with its node.
  WriteAll(dir / "cut.tvn", full.substr(0, full.find("c#$@")));
  TMemoryTree tree;
  EXPECT_EQ(model.LoadProject(dir / "cut.tvn", tree), TLoadResult::EndedEarly);
  EXPECT_EQ(model.Slider.name, "Cut");
  EXPECT_EQ(model.Items.size(), 2u);
  EXPECT_EQ(tree.NodeCount(), 3);
  ASSERT_EQ(messages.texts.size(), 1u);
  EXPECT_EQ(messages.kinds[0], TMessageKind::Warning);
  EXPECT_NE(messages.texts[0].find(dir / "cut.tvn"), std::string::npos);

  // Before the item block: the new slider parameters and no items.
  WriteAll(dir / "cut.tvn", full.substr(0, full.find("<Item_Parameters>")));
  TMemoryTree tree2;
  EXPECT_EQ(model.LoadProject(dir / "cut.tvn", tree2), TLoadResult::EndedEarly);
  EXPECT_TRUE(model.Items.empty());
  EXPECT_EQ(tree2.NodeCount(), 1);

  // Before the slider line: nothing changes, and the kept items keep their nodes.
  model.LoadDefaults();
  model.Items = {DefaultItem()};
  for (const char* cut : {"<Applet_Parameters>", "<Product_Version>", "Torvane\r\n"}) {
    WriteAll(dir / "cut.tvn", full.substr(0, full.find(cut)));
    TMemoryTree tree3;
    EXPECT_EQ(model.LoadProject(dir / "cut.tvn", tree3), TLoadResult::EndedEarly) << cut;
    EXPECT_EQ(model.Slider.name, "Slider1");
    EXPECT_EQ(tree3.NodeCount(), 2);
  }
  // No product tag at all: not a project file.
  messages.texts.clear();
  for (const std::string& text : {std::string(), std::string("#!/bin/sh\necho hi\n")}) {
    WriteAll(dir / "other.tvn", text);
    TMemoryTree tree4;
    EXPECT_EQ(model.LoadProject(dir / "other.tvn", tree4), TLoadResult::Rejected);
    EXPECT_EQ(tree4.NodeCount(), 2);
  }
  EXPECT_EQ(messages.texts.back(), "This file wasn't saved by Torvane 1.1, open failed!");
}

TEST(ProjectFile, OpenRefusesValuesThePanelsCannotShowAndChangesNothing) {
  TTempDir dir;
  TProjectModel model(dir.Folder());
  model.LoadDefaults();
  const TSliderData before = model.Slider;
  const std::string item = "#$@a.jpg#$@#$@_self#$@#$@160#$@120#$@#$@#$@";
  const auto slider = [](int field, const std::string& value) {
    std::string line = kDefaultSliderLine;
    size_t at = 0;
    for (int f = 0; f < field; ++f) at = line.find("#$@", at) + 3;
    return line.replace(at, line.find("#$@", at) - at, value);
  };
  const struct {
    std::string text, says;
  } cases[] = {{ProjectText(slider(3, "10000"), {}), "line 12 holds the slider's width '10000'"},
               {ProjectText(slider(9, "FFF"), {}),
                "slider's background colour 'FFF', which is not a colour"},
               {ProjectText(slider(12, "dashed"), {}), "slider's image border style 'dashed'"},
               {ProjectText(kDefaultSliderLine, {item, "#$@#$@#$@#$@#$@x#$@#$@#$@"}),
                "line 16 holds image 2's width 'x'"}};
  for (const auto& c : cases) {
    WriteAll(dir / "bad.tvn", c.text);
    TMemoryTree tree;
    try {
      model.OpenProject(dir / "bad.tvn", tree);
      ADD_FAILURE() << c.says;
    } catch (const TvError& error) {
      EXPECT_NE(std::string(error.what()).find(c.says), std::string::npos) << error.what();
      EXPECT_NE(std::string(error.what()).find(dir / "bad.tvn"), std::string::npos);
    }
    EXPECT_EQ(model.Slider, before);
  }
  // Empty sizes are what a design without pictures holds; the tree places any level. (A border
  // style outside the list or a path option other than 1 or 0 opens: see the window's tests.)
  WriteAll(dir / "good.tvn", ProjectText(kDefaultSliderLine, {item, "#$@#$@#$@#$@#$@#$@#$@x#$@"}));
  TMemoryTree tree;
  EXPECT_EQ(model.OpenProject(dir / "good.tvn", tree), TLoadResult::Loaded);
  EXPECT_EQ(tree.NodeCount(), 3);
}
