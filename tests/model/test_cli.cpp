// The headless publisher as a user runs it: exit codes, what it prints, and that a project file
// it could not read whole is left exactly as it was.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <sstream>
#include <thread>

#include "FileUtil.h"
#include "MemoryTree.h"
#include "ProjectModel.h"
#include "ScriptText.h"
#include "TestUtil.h"
#include "test_generator_util.h"

namespace fs = std::filesystem;

namespace {

const std::string kCli = std::string(TORVANE_BIN_DIR) + "/torvane-cli";

// A project folder with two pictures, a project file naming them, and a private temporary
// folder for the publisher so the test can see that it cleans up after itself.
struct TCliFixture {
  TTempDir dir;
  std::string project = dir / "show.tvn";

  TCliFixture() {
    fs::create_directory(dir.Path() / "tmp");
    TProjectModel model(dir.Folder());
    StorePanelDefaults(model);
    model.Slider.height = "30";
    for (const char* name : {"one.jpg", "two.jpg"}) {
      WriteTestJpeg(dir / name, 60, 40);
      TItemData item = TestItem("");
      item.originalPath = dir / name;
      item.level = "0";
      model.Items.push_back(item);
    }
    model.SaveProject(project);
  }
  // Runs the publisher in `folder` (the test's folder when empty).
  TRunResult Run(const std::string& arguments, const std::string& folder = "") {
    return RunCommand("cd " + ShellQuote(folder.empty() ? dir.Path().string() : folder) +
                          " && TMPDIR=" + ShellQuote(dir / "tmp") + " " + ShellQuote(kCli) + " " +
                          arguments,
                      dir.Path().string());
  }
  bool TmpIsEmpty() const { return fs::is_empty(dir.Path() / "tmp"); }
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(Cli, PublishesBesideTheProjectOrIntoAnotherFolder) {
  TCliFixture f;
  TRunResult run = f.Run("publish " + ShellQuote(f.project));
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::string to = f.dir.Folder();
  EXPECT_EQ(Lines(run.out), (std::vector<std::string>{
                                to + "show.html", to + "torvane.js", to + "torvanecfg.js",
                                to + "torvane.css", to + "show.tvn", to + "show_PublishReport.txt",
                                to + "slider0.jpg", to + "slider1.jpg"}));
  for (const std::string& file : Lines(run.out)) EXPECT_TRUE(fileutil::IsFile(file)) << file;
  EXPECT_EQ(ReadAll(to + "torvane.js"), ReadAll(std::string(TORVANE_BIN_DIR) + "/torvane.js"));
  EXPECT_EQ(ReadJpegInfo(to + "slider1.jpg").width, 45);
  EXPECT_NE(ReadAll(f.project).find("slider1.jpg#$@"), std::string::npos);  // saved after build
  EXPECT_TRUE(f.TmpIsEmpty());

  // Publishing again changes nothing, and says so: only changed files need uploading.
  run = f.Run("publish " + ShellQuote(f.project));
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(Lines(run.out).size(), 8u);
  EXPECT_EQ(Lines(run.err).back(), "Changed: nothing; 8 unchanged");

  // Further formats come beside each picture.
  run = f.Run("publish --formats jpeg,webp,avif " + ShellQuote(f.project) + " --to " +
              ShellQuote(f.dir / "modern"));
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::vector<std::string> modern = Lines(run.out);
  EXPECT_EQ(std::vector<std::string>(modern.end() - 3, modern.end()),
            (std::vector<std::string>{f.dir / "modern/slider1.jpg", f.dir / "modern/slider1.avif",
                                      f.dir / "modern/slider1.webp"}));

  const std::string before = ReadAll(f.project);
  run = f.Run("publish " + ShellQuote(f.project) + " --to " + ShellQuote(f.dir / "out/site"));
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(Lines(run.out).size(), 8u);
  EXPECT_TRUE(fileutil::IsFile(f.dir / "out/site/show.tvn"));
  EXPECT_TRUE(fileutil::IsFile(f.dir / "out/site/slider0.jpg"));
  EXPECT_EQ(ReadAll(f.project), before);
  EXPECT_TRUE(f.TmpIsEmpty());

  // Pages get the runtime minified unless its readable source is asked for.
  run = f.Run("publish " + ShellQuote(f.project) + " --readable-runtime --to " +
              ShellQuote(f.dir / "out/readable"));
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::string readable = ReadAll(f.dir / "out/readable/torvane.js");
  EXPECT_EQ(readable, ReadAll(std::string(TORVANE_BIN_DIR) + "/torvane.readable.js"));
  EXPECT_LT(ReadAll(to + "torvane.js").size() * 2, readable.size());

  // The configuration and <div> names follow the slider's name, as the window holds them.
  std::string renamed = before;
  renamed.replace(renamed.find("Slider1cfg#$@Slider1_div"), 24, "Othercfg#$@other_div");
  WriteAll(f.dir / "renamed.tvn", renamed);
  run = f.Run("publish " + ShellQuote(f.dir / "renamed.tvn") + " --to " +
              ShellQuote(f.dir / "renamed"));
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(ReadAll(f.dir / "renamed/renamed.html").find("other_div"), std::string::npos);
  EXPECT_NE(ReadAll(f.dir / "renamed/torvanecfg.js").find("'Slider1_div'"), std::string::npos);

  // A picture that is gone is no failure, but the run says which one.
  std::string gap = before;
  const std::string two = f.dir / "two.jpg";
  gap.replace(gap.find(two), two.size(), f.dir / "nowhere.jpg");
  WriteAll(f.dir / "gap.tvn", gap);
  run = f.Run("publish " + ShellQuote(f.dir / "gap.tvn") + " --to " + ShellQuote(f.dir / "gap"));
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.err.find("item 2: its picture (" + (f.dir / "nowhere.jpg") + ") was not found"),
            std::string::npos)
      << run.err;
  // The picture published before is taken from beside the project, as the Open command does.
  EXPECT_EQ(Lines(run.out).back(), f.dir / "gap/slider1.jpg");
  EXPECT_EQ(ReadAll(f.dir / "gap/slider1.jpg"), ReadAll(f.dir / "slider1.jpg"));
}

TEST(Cli, TakesRelativePicturesFromTheProjectFolderAndFailsOnWarningsOnlyWhenStrict) {
  // The sample names its pictures relative to itself: published from another working folder,
  // every picture is found and the file keeps the names as written. A picture not found and an
  // item without one are said plainly, and fail the run only with --strict.
  TCliFixture f;
  fs::create_directories(f.dir / "elsewhere");
  fs::copy(fs::path(TORVANE_BIN_DIR) / "samples", f.dir.Path() / "mine");
  std::string gaps = ReadAll(f.dir / "mine/sample.tvn");
  gaps.replace(gaps.find("harbour.jpg"), 11, "gone.jpg").replace(gaps.find("dunes.jpg"), 9, "");
  WriteAll(f.dir / "mine/gaps.tvn", gaps);
  const std::vector<std::string> gapsSay = {"item 1: its picture (gone.jpg) was not found",
                                            "item 2 has no picture chosen"};
  const struct {
    std::string arguments;
    int status;
    std::vector<std::string> says;
  } runs[] = {{"sample.tvn", 0, {}},
              {"sample.tvn --strict", 0, {}},
              {"gaps.tvn", 0, gapsSay},
              {"gaps.tvn --strict", 2, gapsSay}};
  for (const auto& r : runs) {
    const TRunResult run = f.Run("publish ../mine/" + r.arguments, f.dir / "elsewhere");
    EXPECT_EQ(run.exitCode, r.status) << r.arguments << ": " << run.err;
    if (r.says.empty()) {
      EXPECT_EQ(run.err.find("warning"), std::string::npos) << r.arguments;
    }
    for (const std::string& said : r.says) EXPECT_NE(run.err.find(said), std::string::npos);
    const std::vector<std::string> files = Lines(run.out);  // gaps: the pictures made before
    EXPECT_EQ(std::count_if(files.begin(), files.end(),
                            [](const std::string& file) { return file.ends_with(".jpg"); }),
              5)
        << run.out;
  }
  EXPECT_NE(ReadAll(f.dir / "mine/sample.tvn").find("#$@harbour.jpg#$@"), std::string::npos);
}

TEST(Cli, RefusesWhatItCannotPublishAndLeavesTheFileAlone) {
  struct TCase {
    std::string name;
    std::string content;  // empty: the file does not exist
    std::string message;
  };
  TCliFixture f;
  const std::string good = ReadAll(f.project);
  const std::string truncated = good.substr(0, good.find("</Item_Parameters>"));
  std::string badPicture = good;
  WriteAll(f.dir / "broken.jpg", "not a picture at all");
  const std::string one = f.dir / "one.jpg";
  badPicture.replace(badPicture.find(one), one.size(), f.dir / "broken.jpg");
  const std::vector<TCase> cases = {
      {"other.tvn", "<Product_Name>\r\nSomething else\r\n</Product_Name>\r\n",
       "is not a Torvane project file"},
      {"short.tvn", truncated, "ended early"},
      {"missing.tvn", "", "no such file"},
      {"badpicture.tvn", badPicture, "broken.jpg"},
  };
  for (const TCase& c : cases) {
    const std::string path = f.dir / c.name;
    if (!c.content.empty()) WriteAll(path, c.content);
    const TRunResult run = f.Run("publish " + ShellQuote(path));
    EXPECT_EQ(run.exitCode, 1) << c.name;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << c.name << ": " << run.err;
    EXPECT_NE(run.err.find(c.name), std::string::npos) << c.name << ": " << run.err;
    EXPECT_EQ(run.out, "") << c.name;
    if (!c.content.empty()) {
      EXPECT_EQ(ReadAll(path), c.content) << c.name;
    }
    const std::string base = c.name.substr(0, c.name.size() - 4);
    EXPECT_FALSE(fileutil::IsFile(f.dir / (base + ".html"))) << c.name;
    EXPECT_TRUE(f.TmpIsEmpty()) << c.name;
  }
}

TEST(Cli, PrintsProjectTextWithItsControlCharactersEscaped) {
  TCliFixture f;
  std::string project = ReadAll(f.project);
  const std::string two = f.dir / "two.jpg";
  const std::string hostile =
      "\x1b]0;owned\x07\x1b[2J\rPublished OK \xC2\x9B"
      "31m \xE2\x80\xAE";
  project.replace(project.find(two), two.size(), hostile);
  WriteAll(f.project, project);
  // The lone CR is refused (a project file cannot hold it) before anything is written.
  TRunResult run = f.Run("publish " + ShellQuote(f.project));
  EXPECT_EQ(run.exitCode, 1) << run.err;
  EXPECT_NE(run.err.find("contains a line break"), std::string::npos) << run.err;
  EXPECT_FALSE(fileutil::IsFile(f.dir / "show.html"));
  run.err += f.Run("publish x.tvn " + ShellQuote("--\x1b[2J")).err;
  for (const char* raw : {"\x1b", "\x07", "\r", "\xC2\x9B", "\xE2\x80\xAE"}) {
    EXPECT_EQ(run.err.find(raw), std::string::npos) << run.err;
  }
  for (const char* shown :
       {"'\\x1B]0;owned\\x07\\x1B[2J\\x0DPublished OK \\u009B31m \\u202E'", "'--\\x1B[2J'"}) {
    EXPECT_NE(run.err.find(shown), std::string::npos) << run.err;
  }
}

TEST(Cli, WarnsOfLinksThatRunScriptOrReachLocalFilesAndPublishesThemAsTheyAre) {
  struct TCase {
    std::string link, hazard;  // hazard: "" for a link that only leads somewhere
  };
  const std::vector<TCase> cases = {
      {"javascript:alert(1)", "runs script"},
      {" \x01 Java\tScript:alert(1)", "runs script"},  // as browsers read it
      {"file:///etc/passwd", "reaches local files"},
      {"data:text/html,<script>alert(1)</script>", "can carry a page with script"},
      {"https://example.org/javascript:", ""},
      {"pages/javascript.html", ""}};
  for (const TCase& c : cases) EXPECT_EQ(scripttext::LinkHazard(c.link), c.hazard) << c.link;

  TCliFixture f;
  TProjectModel model(f.dir.Folder());
  TMemoryTree tree;
  ASSERT_EQ(model.LoadProject(f.project, tree), TLoadResult::Loaded);
  model.Items[0].link = "https://example.org/";
  model.Items[1].link = "javascript:alert('" + std::string(100, 'x') + "')";
  model.SaveProject(f.project);
  const TRunResult run = f.Run("publish " + ShellQuote(f.project));
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::string warning = "item 2 (two.jpg): the link javascript:alert('xxx";
  EXPECT_NE(run.err.find("torvane-cli: warning: " + warning), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("x... runs script\n"), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find("item 1"), std::string::npos) << run.err;
  EXPECT_NE(ReadAll(f.dir / "show_PublishReport.txt").find("  " + warning), std::string::npos);
  EXPECT_NE(ReadAll(f.dir / "torvanecfg.js").find("javascript:alert("), std::string::npos);
}

TEST(Cli, ChecksAProjectAsPublishingWouldAndWritesNothing) {
  struct TCase {
    std::function<void(TProjectModel&)> edit;
    int exitCode;
    std::string shown;  // on stdout
  };
  TCliFixture f;
  const std::vector<TCase> cases = {
      {[](TProjectModel&) {}, 0, ""},
      {[&](TProjectModel& m) { m.Items[1].originalPath = f.dir / "gone.jpg"; }, 2,
       "warning: item 2: the picture " + (f.dir / "gone.jpg") + " was not found"},
      {[](TProjectModel& m) { m.Items[0].originalPath = ""; }, 2,
       "warning: item 1 has no picture chosen"},
      {[](TProjectModel& m) { m.Slider.step = "fast"; }, 1,
       "error: The slider's step 'fast' is not a whole number"},
      {[&](TProjectModel& m) { m.Items[0].originalPath = f.dir / "show.tvn"; }, 1,
       "error: item 1: Cannot read picture"}};
  const std::string good = ReadAll(f.project);
  for (const TCase& c : cases) {
    TProjectModel model(f.dir.Folder());
    TMemoryTree tree;
    WriteAll(f.project, good);
    ASSERT_EQ(model.LoadProject(f.project, tree), TLoadResult::Loaded);
    c.edit(model);
    model.SaveProject(f.project);
    const std::string saved = ReadAll(f.project);
    const TRunResult run = f.Run("check " + ShellQuote(f.project));
    EXPECT_EQ(run.exitCode, c.exitCode) << run.out << run.err;
    EXPECT_NE(run.out.find(c.shown), std::string::npos) << run.out;
    EXPECT_EQ(ReadAll(f.project), saved);
    EXPECT_FALSE(fileutil::IsFile(f.dir / "show.html"));
  }
}

TEST(Cli, ReadsTheProjectOnlyOnceItHoldsTheFolderLock) {
  // A save of the window program holds the folder: the publisher waits for it and then publishes
  // the design as that save left it, not as it was when the publisher started.
  TCliFixture f;
  TProjectModel model(f.dir.Folder());
  TMemoryTree tree;
  ASSERT_EQ(model.LoadProject(f.project, tree), TLoadResult::Loaded);
  model.Slider.height = "24";
  TRunResult run;
  std::optional<fileutil::TFolderLock> save(std::in_place, f.dir.Folder());
  std::thread publisher([&] { run = f.Run("publish " + ShellQuote(f.project)); });
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  WriteAll(f.project, model.ProjectText());
  save.reset();
  publisher.join();
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(ReadJpegInfo(f.dir / "slider0.jpg").height, 24);
}

TEST(Cli, DrawsAProgressLineOnlyOnATerminalAndNotWhenQuiet) {
  TCliFixture f;
  const std::string publish = "publish --no-cache " + ShellQuote(f.project);
  // `script` gives the program a terminal; what it shows there comes out on script's stdout.
  const auto onTerminal = [&](const std::string& arguments) {
    return RunCommand("TMPDIR=" + ShellQuote(f.dir / "tmp") + " script -qec " +
                          ShellQuote(ShellQuote(kCli) + " " + arguments) + " /dev/null </dev/null",
                      f.dir.Path().string())
        .out;
  };
  const std::string shown = onTerminal(publish);
  EXPECT_NE(shown.find("\rMaking HTML Codes: 2/2 pictures, "), std::string::npos) << shown;
  EXPECT_NE(shown.find("pictures/s"), std::string::npos) << shown;
  EXPECT_NE(shown.find("\r\x1b[K" + f.dir.Folder() + "show.html"), std::string::npos)
      << "the line is erased before the list of files: " << shown;
  for (const std::string& quiet : {onTerminal(publish + " --quiet"), f.Run(publish).err}) {
    EXPECT_EQ(quiet.find("\x1b[K"), std::string::npos) << quiet;
    EXPECT_EQ(quiet.find("pictures"), std::string::npos) << quiet;
  }
}

TEST(Cli, ExplainsItsUsage) {
  TCliFixture f;
  TRunResult run = f.Run("--help");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(run.out.find("Usage: torvane-cli publish PROJECT.tvn [--to FOLDER]"),
            std::string::npos);
  for (const char* wrong :
       {"", "publish", "frobnicate x.tvn", "publish a.tvn --to", "publish a.tvn --bogus",
        "publish a.tvn --formats webp", "publish a.tvn --formats=jpeg,gif"}) {
    run = f.Run(wrong);
    EXPECT_EQ(run.exitCode, 1) << wrong;
    EXPECT_NE(run.err.find("Usage:"), std::string::npos) << wrong;
  }
}

}  // namespace
