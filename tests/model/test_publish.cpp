#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <set>

#include <sys/stat.h>

#include "Errors.h"
#include "FileUtil.h"
#include "MemoryTree.h"
#include "ProjectModel.h"
#include "ScriptText.h"
#include "TestUtil.h"
#include "images/ImageScaler.h"
#include "test_generator_util.h"
#include "test_images_util.h"

namespace fs = std::filesystem;

namespace {

const std::string kRule(77, '=');

std::set<std::string> FilesIn(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.insert(entry.path().filename().string());
  return names;
}

// A program folder holding the runtime script, a separate work folder, and a publishing folder.
struct TPublishFixture {
  TTempDir program, work, out;
  TRecordingProgress progress;
  TProjectModel model{program.Folder(), &progress};
  TMemoryTree tree;

  TPublishFixture() {
    WriteAll(program / "torvane.js", "var Bmaf = true;\n");
    model.SetWorkFolder(work.Folder());
    StorePanelDefaults(model);
  }
  void AddItem(const std::string& source, const std::string& imageFile = "") {
    TItemData item = TestItem(imageFile);
    if (!source.empty()) {
      WriteTestJpeg(program / source, 64, 48, static_cast<int>(model.Items.size()));
      item.originalPath = program / source;
    }
    model.Items.push_back(item);
    tree.AppendChild(0, "Item");
  }
};

TEST(Publish, WritesOneSetOfFilesNamedAfterTheProject) {
  EXPECT_EQ(scripttext::PublishBaseName("show.tvn"), "show");
  EXPECT_EQ(scripttext::PublishBaseName("a.b.tvn"), "a.b");
  EXPECT_EQ(scripttext::PublishBaseName("x.TVNy.tvn"), "xy");
  for (const std::string fileName : {"show.tvn", "show", "x.TVNy.tvn"}) {
    TPublishFixture f;
    f.AddItem("one.jpg");
    f.AddItem("");  // no picture: nothing to copy or list
    f.AddItem("three.jpg");
    ASSERT_TRUE(f.model.PublishProject(f.out.Folder(), fileName, f.tree));
    const std::string base = fileName == "x.TVNy.tvn" ? "xy" : "show";
    const std::set<std::string> expected = {base + ".html",  "torvane.js",
                                            "torvanecfg.js", "torvane.css",
                                            base + ".tvn",   base + "_PublishReport.txt",
                                            "slider0.jpg",   "slider2.jpg"};
    EXPECT_EQ(FilesIn(f.out.Path()), expected) << fileName;
    EXPECT_EQ(ReadAll(f.out / "torvane.js"), "var Bmaf = true;\n");
    EXPECT_EQ(ReadAll(f.out / "torvanecfg.js"), ReadAll(f.work / "torvanecfg.js"));
    EXPECT_TRUE(ReadJpegInfo(f.out / "slider2.jpg").isJpeg);
    // The generated scripts stay in the work folder, nothing lands in the program's folder.
    EXPECT_EQ(FilesIn(f.program.Path()),
              (std::set<std::string>{"torvane.js", "one.jpg", "three.jpg"}));
    const std::vector<std::string> report = CrLfLines(f.out / (base + "_PublishReport.txt"));
    const std::vector<std::string> images(report.begin() + 13, report.begin() + 15);
    EXPECT_EQ(images, (std::vector<std::string>{"  slider0.jpg", "  slider2.jpg"}));
    EXPECT_FALSE(f.progress.busy);
  }
  TPublishFixture f;
  EXPECT_THROW(f.model.PublishProject(f.out.Folder(), ".tvn", f.tree), TvError);
}

TEST(Publish, ReportListsScriptsAndEachImageOnce) {
  TPublishFixture f;
  f.model.MakePublishReport(f.out.Folder(), "empty.txt");
  const std::vector<std::string> empty = {
      kRule,
      "This file includes a list of filename and you need to upload them to Web server",
      "to get the script to work. All these files are saved into the same directory along",
      "with the project file (*.tvn) as well as this file.",
      "",
      kRule,
      "",
      "[Script file(s)]:",
      "  torvane.js",
      "  torvanecfg.js",
      "  torvane.css",
      "",
      "[Image File(s)]: They should be copied along with script files!",
      "",
      "",
      kRule,
      "End of Publish Report",
      kRule};
  EXPECT_EQ(CrLfLines(f.out / "empty.txt"), empty);
  EXPECT_EQ(f.progress.maximum, 101);
  EXPECT_EQ(f.progress.steps, (std::vector<int>{1, 1, 1, 50, 50}));
  EXPECT_EQ(f.progress.statuses.back(), "Making Publish Report ... ...");
  EXPECT_EQ(f.progress.position, 0);

  // Two items that hold the same picture name: listed once, and the file still arrives.
  f.AddItem("", "slider5.jpg");
  f.AddItem("", "slider7.jpg");
  f.AddItem("", "slider5.jpg");
  fs::create_directory(f.model.PreviewFolder());
  WriteAll(f.model.PreviewFolder() + "slider5.jpg", "jpeg bytes");
  ASSERT_TRUE(f.model.PublishProject(f.out.Folder(), "dup.tvn", f.tree));
  const std::vector<std::string> report = CrLfLines(f.out / "dup_PublishReport.txt");
  EXPECT_EQ(std::vector<std::string>(report.begin() + 13, report.end() - 5),
            (std::vector<std::string>{"  slider5.jpg", "  slider7.jpg"}));
  EXPECT_EQ(ReadAll(f.out / "slider5.jpg"), "jpeg bytes");
}

TEST(Publish, PreviewFolderRecordsWhatItHoldsAndClearsIt) {
  TPublishFixture f;
  WriteAll(f.program / "a.jpg", "a");
  const fs::path preview = f.work.Path() / "preview";

  f.model.ClearPreview();  // nothing recorded, no folder: nothing happens
  EXPECT_FALSE(fs::exists(preview));

  f.model.AddToPreview(f.program / "a.jpg");
  f.model.AddToPreview(f.program / "a.jpg");
  f.model.AddToPreview(f.program / "missing.jpg");  // listed although the copy failed
  EXPECT_EQ(f.model.PreviewFiles, (TStringArray{"a.jpg", "a.jpg", "missing.jpg"}));
  EXPECT_EQ(ReadAll((preview / "a.jpg").string()), "a");
  f.model.ClearPreview();
  EXPECT_TRUE(f.model.PreviewFiles.empty());
  EXPECT_FALSE(fs::exists(preview));

  // Generated scripts move into the preview; the runtime script stays where it is.
  WriteAll(f.work / "torvanecfg.js", "cfg");
  WriteAll(f.work / "torvane.css", "css");
  WriteAll(f.work / "torvane.js", "runtime");
  f.model.CopyScriptFilesToPreview(f.work.Folder());
  EXPECT_EQ(FilesIn(preview),
            (std::set<std::string>{"torvane.js", "torvanecfg.js", "torvane.css"}));
  EXPECT_FALSE(fileutil::IsFile(f.work / "torvanecfg.js"));
  EXPECT_TRUE(fileutil::IsFile(f.work / "torvane.js"));
  EXPECT_EQ(ReadAll(preview / "torvane.js"), "var Bmaf = true;\n");

  // On request the runtime's readable source goes in under the runtime's name, where there is one.
  f.model.ReadableRuntime = true;
  for (const bool present : {false, true}) {
    if (present) WriteAll(f.program / TProjectModel::kReadableRuntime, "readable");
    f.model.CopyScriptFilesToPreview(f.work.Folder());
    EXPECT_EQ(ReadAll(preview / "torvane.js"), present ? "readable" : "var Bmaf = true;\n");
    EXPECT_FALSE(fs::exists(preview / TProjectModel::kReadableRuntime));
  }

  // A file the run did not record keeps the folder.
  WriteAll((preview / "stranger.txt").string(), "x");
  f.model.ClearPreview();
  EXPECT_EQ(FilesIn(preview), (std::set<std::string>{"stranger.txt"}));
}

TEST(Publish, ImageNamesFromAProjectAreNeverUsedAsPaths) {
  TPublishFixture f;
  TTempDir outside;  // a folder beside the project folder that a hostile name could reach
  const fs::path project = outside.Path() / "project";
  fs::create_directory(project);
  WriteAll(outside / "x.jpg", "secret");
  WriteAll((project / "slider0.jpg").string(), "published");
  const std::vector<std::string> hostile = {"../x.jpg", "/etc/passwd", "a\\b.jpg",
                                            "..",       ".",           "C:x.jpg"};
  f.AddItem("", "slider0.jpg");
  for (const std::string& name : hostile) f.AddItem("", name);

  f.model.CopyResourceFiles(project.string());
  EXPECT_EQ(f.model.PreviewFiles, (TStringArray{"slider0.jpg"}));
  EXPECT_EQ(FilesIn(f.work.Path() / "preview"), (std::set<std::string>{"slider0.jpg"}));
  EXPECT_EQ(f.progress.steps, (std::vector<int>{50, 50}));

  // Publishing refuses any name the generator does not give, naming the item, and writes nothing.
  const fs::path target = outside.Path() / "target";
  fs::create_directory(target);
  for (const std::string& name : {std::string("secret-notes.txt"), std::string("torvanecfg.js"),
                                  std::string("slider01.jpg"), std::string("Slider1.JPG")}) {
    f.model.Items[1].imageFile = name;
    try {
      f.model.PublishProject(target.string(), "p.tvn", f.tree);
      ADD_FAILURE() << name << " was published";
    } catch (const TvError& error) {
      EXPECT_NE(std::string(error.what()).find("Item 2's picture name '" + name + "'"),
                std::string::npos)
          << error.what();
    }
    EXPECT_TRUE(FilesIn(target).empty()) << name;
  }
  f.model.Items.resize(1);
  ASSERT_TRUE(f.model.PublishProject(target.string(), "p.tvn", f.tree));
  EXPECT_EQ(FilesIn(outside.Path()), (std::set<std::string>{"x.jpg", "project", "target"}));
  const std::set<std::string> published = FilesIn(target);
  EXPECT_EQ(published.count("slider0.jpg"), 1u);
  EXPECT_EQ(published.size(), 7u);  // html, three scripts, project file, report, slider0.jpg
  f.model.ClearPreview();
  EXPECT_FALSE(fs::exists(f.work.Path() / "preview"));
  EXPECT_EQ(ReadAll(outside / "x.jpg"), "secret");
}

// Each published file's inode and modification time, after the times were set back to a day long
// past, so that a file written again shows even within the clock's step.
std::map<std::string, std::pair<ino_t, long long>> AgedStamps(const fs::path& folder) {
  std::map<std::string, std::pair<ino_t, long long>> stamps;
  for (const auto& entry : fs::directory_iterator(folder)) {
    fs::last_write_time(entry.path(), fs::file_time_type(std::chrono::hours(24 * 365 * 30)));
    struct stat info;
    EXPECT_EQ(::stat(entry.path().c_str(), &info), 0);
    stamps[entry.path().filename().string()] = {info.st_ino, info.st_mtim.tv_sec};
  }
  return stamps;
}

TEST(Publish, RewritesOnlyTheFilesWhoseContentChanged) {
  TPublishFixture f;
  f.AddItem("one.jpg");
  f.AddItem("two.jpg");
  ASSERT_TRUE(f.model.PublishProject(f.out.Folder(), "show.tvn", f.tree));
  EXPECT_EQ(f.model.LastPublish.changed,
            (std::vector<std::string>{"show.html", "torvane.js", "torvanecfg.js", "torvane.css",
                                      "show.tvn", "show_PublishReport.txt", "slider0.jpg",
                                      "slider1.jpg"}));
  EXPECT_EQ(f.model.LastPublish.unchanged, 0u);
  const struct {
    const char* what;
    std::function<void()> change;
    std::vector<std::string> changed;
  } cases[] = {
      {"nothing", [] {}, {}},
      {"a link", [&] { f.model.Items[1].link = "other.html"; }, {"torvanecfg.js", "show.tvn"}},
      {"a picture's pixels",
       [&] { WriteTestJpeg(f.program / "two.jpg", 64, 48, 9); },
       {"slider1.jpg"}},
      {"the background",
       [&] { f.model.Slider.backgroundColour = "000000"; },
       {"torvanecfg.js", "show.tvn"}},
  };
  for (const auto& c : cases) {
    const auto before = AgedStamps(f.out.Path());
    c.change();
    ASSERT_TRUE(f.model.PublishProject(f.out.Folder(), "show.tvn", f.tree)) << c.what;
    EXPECT_EQ(f.model.LastPublish.changed, c.changed) << c.what;
    EXPECT_EQ(f.model.LastPublish.unchanged, 8 - c.changed.size()) << c.what;
    const auto after = AgedStamps(f.out.Path());
    for (const auto& [name, stamp] : before) {
      const bool written = std::count(c.changed.begin(), c.changed.end(), name) != 0;
      EXPECT_EQ(after.at(name) == stamp, !written) << c.what << ": " << name;
    }
  }
  EXPECT_EQ(PublishChangesText(f.model.LastPublish).English(),
            "Changed: torvanecfg.js, show.tvn; 6 unchanged");
  EXPECT_EQ(PublishChangesText({{}, 8, true}).English(), "Changed: nothing; 8 unchanged");
}

TEST(Publish, ModernFormatsArePublishedListedAndNamedInTheConfiguration) {
  for (const bool dense : {false, true}) {
    TPublishFixture f;
    f.model.ModernFormats = kWebpFormat | kAvifFormat;
    f.model.DoubleDensityPictures = dense;
    f.model.PictureCacheEnabled = false;
    f.model.Slider.height = "24";
    // Turned upright by its orientation, as every format must show it.
    const std::vector<unsigned char> colors[4] = {
        {255, 0, 0}, {0, 160, 0}, {0, 0, 255}, {250, 250, 250}};
    imagetest::Extras turned;
    turned.orientation = 6;
    const std::vector<unsigned char> source =
        imagetest::EncodePicture(imagetest::Quadrants(48, 64, colors), turned);
    WriteAll(f.program / "turned.jpg", std::string(source.begin(), source.end()));
    f.AddItem("");
    f.AddItem("");
    f.model.Items[0].originalPath = f.program / "turned.jpg";
    ASSERT_TRUE(f.model.PublishProject(f.out.Folder(), "show.tvn", f.tree));
    std::vector<std::string> pictures = {"slider0.jpg", "slider0.avif", "slider0.webp"};
    if (dense) {
      pictures.insert(pictures.end(), {"slider0@2x.jpg", "slider0@2x.avif", "slider0@2x.webp"});
    }
    const std::vector<std::string> report = CrLfLines(f.out / "show_PublishReport.txt");
    std::vector<std::string> listed(report.begin() + 13, report.end() - 5);
    for (std::string& line : listed) line = line.substr(2);
    EXPECT_EQ(listed, pictures);
    // Each format holds the same picture: its size, and colours close to the JPEG's.
    for (const std::string& name : pictures) {
      const TDecodedPicture picture = DecodePictureFile(f.out / name, dense ? 48 : 24);
      const TDecodedPicture jpeg =
          DecodePictureFile(f.out / (name.substr(0, name.find('.')) + ".jpg"), dense ? 48 : 24);
      ASSERT_EQ(picture.width, jpeg.width) << name;
      double difference = 0;
      for (size_t i = 0; i < jpeg.rgb.size(); ++i)
        difference += std::abs(picture.rgb[i] - jpeg.rgb[i]);
      EXPECT_LT(difference / static_cast<double>(jpeg.rgb.size()), 12.0) << name;
    }
    const std::vector<std::string> cfg = CrLfLines(f.out / "torvanecfg.js");
    EXPECT_NE(
        cfg[6].find(dense ? ",32,24,'slider0@2x.jpg','avif webp']);" : ",32,24,'','avif webp']);"),
        std::string::npos)
        << cfg[6];
    EXPECT_EQ(cfg[7].find("avif"), std::string::npos) << "an item without a picture offers none";
  }
}

}  // namespace
