// Golden publishing cases: each folder under tests/data/golden/ is one case.
//
//   input.tvn     the project file; picture paths in it are written as @CASE@/name.jpg, since a
//                 project file keeps absolute paths. The test copies the case into a temporary
//                 folder, replaces @CASE@ by that folder, and publishes with torvane-cli --to.
//   pictures.txt  the case's pictures, made on the spot instead of being committed: one line
//                 "name width height seed" per JPEG.
//   expected/     every published file except the runtime script torvane.js (which must equal
//                 the one beside the programs). Text files are compared byte for byte, with the
//                 temporary folder written back as @CASE@; pictures by kind (JPEG), width and
//                 height only, since their bytes belong to the picture pipeline.
//
// To regenerate the expected files after an intended change, run the tests with
// TORVANE_REGENERATE_GOLDEN=1 (e.g. TORVANE_REGENERATE_GOLDEN=1 ./model_tests
// --gtest_filter='PublishGolden.*') and review the diff before committing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "FileUtil.h"
#include "TestUtil.h"
#include "test_generator_util.h"

namespace fs = std::filesystem;

namespace {

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

bool IsPicture(const std::string& name) {
  return name.size() > 4 && name.compare(name.size() - 4, 4, ".jpg") == 0;
}

std::set<std::string> FilesIn(const fs::path& folder) {
  std::set<std::string> names;
  if (!fs::is_directory(folder)) return names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.insert(entry.path().filename().string());
  return names;
}

void RunCase(const fs::path& source) {
  SCOPED_TRACE("golden case " + source.filename().string());
  TTempDir dir;
  const fs::path work = dir.Path() / "case";
  const fs::path out = dir.Path() / "out";
  fs::create_directories(work);
  fs::create_directories(dir.Path() / "tmp");
  const std::string casePath = work.string();

  std::ifstream pictures(source / "pictures.txt");
  std::string name;
  int width, height, seed;
  while (pictures >> name >> width >> height >> seed)
    WriteTestJpeg((work / name).string(), width, height, seed);
  WriteAll((work / "input.tvn").string(),
           ReplaceAll(ReadAll((source / "input.tvn").string()), "@CASE@", casePath));

  const TRunResult run = RunCommand("TMPDIR=" + ShellQuote(dir / "tmp") + " " +
                                        ShellQuote(std::string(TORVANE_BIN_DIR) + "/torvane-cli") +
                                        " publish " + ShellQuote((work / "input.tvn").string()) +
                                        " --to " + ShellQuote(out.string()),
                                    dir.Path().string());
  ASSERT_EQ(run.exitCode, 0) << run.err;
  std::set<std::string> published = FilesIn(out);
  ASSERT_EQ(published.count("torvane.js"), 1u);
  EXPECT_EQ(ReadAll((out / "torvane.js").string()),
            ReadAll(std::string(TORVANE_BIN_DIR) + "/torvane.js"));
  published.erase("torvane.js");

  const fs::path expected = source / "expected";
  if (std::getenv("TORVANE_REGENERATE_GOLDEN")) {
    fs::remove_all(expected);
    fs::create_directories(expected);
    for (const std::string& file : published) {
      const std::string bytes = ReadAll((out / file).string());
      WriteAll((expected / file).string(),
               IsPicture(file) ? bytes : ReplaceAll(bytes, casePath, "@CASE@"));
    }
    return;
  }
  ASSERT_EQ(published, FilesIn(expected));
  for (const std::string& file : published) {
    const std::string got = (out / file).string();
    const std::string want = (expected / file).string();
    if (IsPicture(file)) {
      const TJpegInfo a = ReadJpegInfo(got), b = ReadJpegInfo(want);
      EXPECT_TRUE(a.isJpeg) << file;
      EXPECT_EQ(a.width, b.width) << file;
      EXPECT_EQ(a.height, b.height) << file;
    } else {
      EXPECT_EQ(ReplaceAll(ReadAll(got), casePath, "@CASE@"), ReadAll(want)) << file;
    }
  }
}

TEST(PublishGolden, EveryCaseMatchesItsExpectedFiles) {
  const fs::path root = fs::path(TORVANE_TEST_DATA) / "golden";
  int cases = 0;
  for (const auto& entry : fs::directory_iterator(root)) {
    if (!entry.is_directory()) continue;
    RunCase(entry.path());
    ++cases;
  }
  EXPECT_GE(cases, 3);
}

}  // namespace
