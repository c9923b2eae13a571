#include <gtest/gtest.h>

#include <filesystem>

#include "MemoryTree.h"
#include "ProjectModel.h"
#include "TestUtil.h"

namespace {

TItemData Named(const std::string& name) {
  TItemData item = DefaultItem();
  item.toolTip = name;
  return item;
}

}  // namespace

TEST(ProjectModel, ConstructionAndDefaults) {
  TProjectModel model("/opt/torvane");
  EXPECT_EQ(model.ProgramFolder(), "/opt/torvane/");
  EXPECT_EQ(model.PreviewFolder(), "/opt/torvane/preview/");
  EXPECT_EQ(model.Separator, "#$@");
  EXPECT_EQ(model.ScriptFiles[0], "torvane.js");
  EXPECT_EQ(model.ScriptFiles[1], "torvanecfg.js");
  EXPECT_EQ(model.ScriptFiles[2], "torvane.css");
  EXPECT_EQ(SliderStrings(model.Slider), TStringArray(20, ""));

  model.Items.push_back(Named("old"));
  model.PreviewFiles.push_back("slider0.jpg");
  model.LoadDefaults();
  EXPECT_EQ(SliderStrings(model.Slider),
            (TStringArray{"Slider1", "Slider1Cfg", "Slider1_DIV", "370", "120", "1", "39",
                          "0",       "0",          "FFFFFF",      "",    "4",   "2", "DBEAF5",
                          "4",       "0",          "FFFF00",      "",    "",    "1"}));
  EXPECT_TRUE(model.Items.empty());
  EXPECT_EQ(model.PreviewFiles, TStringArray{"slider0.jpg"});  // left alone
  EXPECT_EQ(ItemStrings(DefaultItem()),
            (TStringArray{"", "", "", "_self", "", "160", "120", "", ""}));
}

TEST(ProjectModel, RecordsRoundTripThroughStrings) {
  TSliderData slider;
  TStringArray values;
  for (int i = 0; i < kSliderFieldCount; ++i) values.push_back("v" + std::to_string(i));
  slider = SliderFromStrings(values);
  EXPECT_EQ(slider.name, "v0");
  EXPECT_EQ(slider.localRootChecked, "v19");
  EXPECT_EQ(SliderStrings(slider), values);

  TItemData item{"slider0.jpg", "/p/a b.jpg", "x'y\"", "_blank", "<tip>", "1", "2", "0", "s"};
  EXPECT_EQ(ItemFromStrings(ItemStrings(item)), item);
  // Missing entries read as empty, extra ones are ignored.
  EXPECT_EQ(ItemFromStrings({"a"}).originalPath, "");
  TStringArray ten(10, "z");
  EXPECT_EQ(ItemFromStrings(ten).spare, "z");
}

namespace {

// The tree as text: each node's depth and caption, in depth-first order.
std::string TreeShape(const TMemoryTree& tree) {
  std::string shape;
  for (int i = 0; i < tree.NodeCount(); ++i) {
    shape += std::to_string(tree.Depth(i)) + (i + 1 < tree.NodeCount() ? " " : "");
  }
  return shape;
}

void SetLevels(TProjectModel& model, const std::vector<std::string>& levels) {
  model.Items.clear();
  for (const std::string& level : levels) {
    TItemData item = DefaultItem();
    item.level = level;
    model.Items.push_back(item);
  }
}

}  // namespace

TEST(ProjectModel, RebuildItemNodesFollowsTheLevels) {
  TProjectModel model("/p");
  SetLevels(model, {"0", "1", "1", "0"});
  TMemoryTree tree;
  model.RebuildItemNodes(tree);
  EXPECT_EQ(TreeShape(tree), "0 1 2 2 1");
  EXPECT_EQ(tree.Children(0), (std::vector<int>{1, 4}));
  EXPECT_EQ(tree.Children(1), (std::vector<int>{2, 3}));
  EXPECT_EQ(tree.Caption(2), "Image");

  SetLevels(model, {"0", "0", "0"});
  TMemoryTree flat;
  model.RebuildItemNodes(flat);
  EXPECT_EQ(flat.Children(0), (std::vector<int>{1, 2, 3}));

  SetLevels(model, {"0", "1", "2", "1", "2", "0"});
  TMemoryTree deep;
  model.RebuildItemNodes(deep);
  EXPECT_EQ(TreeShape(deep), "0 1 2 3 2 3 1");
  EXPECT_EQ(deep.Parent(4), 1);  // the second level-1 item walks back to the level-0 item
  EXPECT_EQ(deep.Parent(5), 4);
}

TEST(ProjectModel, RebuildItemNodesGivesEveryItemOneNodeWhateverTheLevels) {
  TProjectModel model("/p");
  // A first level that is not 0, a jump of more than one, text, a blank line and a negative.
  SetLevels(model, {"2", "0", "3", "x", "", "-4", "1", "1"});
  TMemoryTree tree;
  model.RebuildItemNodes(tree);
  ASSERT_EQ(tree.NodeCount(), 9);
  EXPECT_EQ(TreeShape(tree), "0 1 1 2 1 1 1 2 2");
  // Depth-first order: each item's node is at its index + 1, and parents come first.
  for (int i = 1; i < tree.NodeCount(); ++i) EXPECT_LT(tree.Parent(i), i);
}

TEST(ProjectModel, RelativePicturesComeFromTheProjectFolderThenTheWorkingFolder) {
  namespace fs = std::filesystem;
  TTempDir dir;
  for (const char* file : {"project/both.jpg", "work/both.jpg", "work/older.jpg"}) {
    fs::create_directories((dir.Path() / file).parent_path());
    WriteAll(dir / file, "x");
  }
  const fs::path before = fs::current_path();
  fs::current_path(dir.Path() / "work");
  const std::string project = dir.Folder() + "project/";
  const struct {
    std::string folder, written, resolved;
  } cases[] = {{project, " both.jpg ", project + "both.jpg"},
               {project, "older.jpg", "older.jpg"},  // a file that relied on the working folder
               {project, "none.jpg", "none.jpg"},
               {"", "both.jpg", "both.jpg"},  // a design without a file yet
               {project, dir / "work/older.jpg", dir / "work/older.jpg"},
               {project, "", ""}};
  for (const auto& c : cases)
    EXPECT_EQ(ResolvePicturePath(c.folder, c.written), c.resolved) << c.written;
  fs::current_path(before);
}
