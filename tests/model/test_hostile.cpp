// Hostile files and failing disks, one test group per threat: memory that a picture or a project
// file could make us spend, writes that fail halfway, several publishers in one folder, links and
// file modes, mixed encodings in one project file, project names that collide with the output,
// and interrupted command-line runs.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <thread>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "Errors.h"
#include "FileUtil.h"
#include "MemoryTree.h"
#include "ProjectModel.h"
#include "TestUtil.h"
#include "images/ImageScaler.h"
#include "test_generator_util.h"
#include "test_images_util.h"

namespace fs = std::filesystem;

namespace {

const std::string kCli = std::string(TORVANE_BIN_DIR) + "/torvane-cli";
const std::string kBomb = std::string(TORVANE_FUZZ_CORPUS) + "/picture/bomb-65500.jpg";

// A seed picture of the fuzz corpus whose frame header is made to declare width x height. The
// bombs (progressive, arithmetic-coded, grey or 4:4:4 colour) decode at any size.
std::string Patched(const std::string& seed, int width, int height) {
  std::string bytes = ReadAll(std::string(TORVANE_FUZZ_CORPUS) + "/picture/" + seed);
  size_t sof = std::string::npos;
  for (const char* marker : {"\xFF\xC0", "\xFF\xC2", "\xFF\xC9", "\xFF\xCA"}) {
    sof = std::min(sof, bytes.find(marker));
  }
  EXPECT_NE(sof, std::string::npos) << seed;
  bytes[sof + 5] = static_cast<char>(height >> 8);
  bytes[sof + 6] = static_cast<char>(height & 0xFF);
  bytes[sof + 7] = static_cast<char>(width >> 8);
  bytes[sof + 8] = static_cast<char>(width & 0xFF);
  return bytes;
}

// A picture is whole when our own decoder reads every row of it without a warning.
bool DecodesWhole(const std::string& path) {
  try {
    ScaleJpegData(ReadAll(path), path, 8);
    return true;
  } catch (const TvError&) {
    return false;
  }
}

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const std::exception& error) {
    return error.what();
  }
  return "";
}

std::set<std::string> FilesIn(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

bool HasTemporaryFiles(const fs::path& folder) {
  for (const std::string& name : FilesIn(folder)) {
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".tmp") == 0) return true;
  }
  return false;
}

// A program folder with the runtime script, a work folder and an output folder, and a design
// whose items have pictures in the program folder.
struct TSite {
  TTempDir program, work, out;
  TProjectModel model{program.Folder()};
  TMemoryTree tree;

  TSite() {
    WriteAll(program / "torvane.js", "var Bmaf = true;\n");
    model.SetWorkFolder(work.Folder());
    StorePanelDefaults(model);
  }
  void AddPicture(const std::string& name, int width, int height) {
    WriteTestJpeg(program / name, width, height, static_cast<int>(model.Items.size()));
    TItemData item = TestItem("");
    item.originalPath = program / name;
    model.Items.push_back(item);
    tree.AppendChild(0, "Item");
  }
  void Publish(const std::string& name = "show.tvn") {
    model.PublishProject(out.Folder(), name, tree);
  }
};

// --- bounded memory ---------------------------------------------------------------------------

TEST(HostileMemory, PicturesTooLargeToDecodeAreRefusedBeforeDecoding) {
  TTempDir dir;
  struct TCase {
    std::string name;
    std::string bytes;
    std::string message;
  };
  const std::vector<TCase> cases = {
      {"bomb.jpg", ReadAll(kBomb), "declares 65500 x 65500 pixels, more than the 250 megapixels"},
      {"bomb32k.jpg", Patched("bomb-65500.jpg", 32000, 32000), "declares 32000 x 32000 pixels"},
      // Arithmetic-coded data can end long before the picture: such files are capped lower.
      {"bomb16k.jpg", Patched("bomb-65500.jpg", 16000, 15000),
       "16000 x 15000 pixels in arithmetic coding, more than the 50 megapixels"},
      {"arithmetic.jpg", Patched("arithmetic.jpg", 15000, 15000), "in arithmetic coding"},
      // Under the pixel cap, but its coefficients alone would take 1.1 GB.
      {"progressive.jpg", Patched("progressive.jpg", 14000, 14000),
       "14000 x 14000 pixels in several scans, which would need about"},
  };
  for (const TCase& c : cases) {
    WriteAll(dir / c.name, c.bytes);
    const auto start = std::chrono::steady_clock::now();
    const std::string error = ErrorOf([&] { ScaleJpegFile(dir / c.name, 120); });
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(kSanitizerSlowdown))
        << c.name;
    EXPECT_NE(error.find(dir / c.name), std::string::npos) << error;
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
    EXPECT_NE(ErrorOf([&] { ScaleJpegData(c.bytes, c.name, 120); }).find(c.message),
              std::string::npos)
        << c.name;
  }
  // A multi-scan picture within the limits is scaled.
  WriteAll(dir / "fine.jpg", Patched("bomb-65500.jpg", 3000, 2000));
  const TScaledImage fine = ScaleJpegFile(dir / "fine.jpg", 40);
  EXPECT_EQ(fine.width, 60);
  EXPECT_EQ(fine.height, 40);

  // A huge file is never read whole: it is refused as soon as its first bytes are seen.
  const std::string huge = dir / "huge.jpg";
  WriteAll(huge, "this is no picture");
  fs::resize_file(huge, 3ULL << 30);  // sparse: no disk space is used
  const auto start = std::chrono::steady_clock::now();
  const std::string error = ErrorOf([&] { ScaleJpegFile(huge, 120); });
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(kSanitizerSlowdown));
  EXPECT_NE(error.find(huge + ": not a picture file"), std::string::npos) << error;
}

// The bomb seed (grey, progressive, arithmetic-coded) declaring width x height, with one DC scan
// and then `scans` more: DC scans again, or AC scans over coefficients 1..63 fed with `data`.
std::string ManyScans(int scans, int width, int height, bool ac, const std::string& data) {
  const std::string seed = Patched("bomb-65500.jpg", width, height);
  const std::string dc = std::string("\xFF\xDA\x00\x08\x01\x01\x00\x00\x00\x00", 10);
  const std::string more = ac ? std::string("\xFF\xDA\x00\x08\x01\x01\x00\x01\x3F\x00", 10) : dc;
  std::string bytes = seed.substr(0, seed.find("\xFF\xDA")) + dc + data;
  for (int i = 0; i < scans; ++i) bytes += more + data;
  return bytes + "\xFF\xD9";
}

// Processor time of the calling thread: what a picture costs, whatever else the machine runs.
double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9;
}

TEST(HostileTime, EveryPictureIsAcceptedOrRefusedWithinFiveSeconds) {
  TTempDir dir;
  const std::string noise("\xA5\xE3\x5A\x13\xA5\xE3\x5A\x13", 8);
  struct TCase {
    std::string name;
    std::string bytes;
    unsigned long long size;  // grown sparse to this size when larger than the bytes
    std::string message;      // empty: accepted
  };
  const std::vector<TCase> cases = {
      {"dc1000.jpg", ManyScans(1000, 7000, 7000, false, "\x4B\xC6"), 0,
       "scans would take more decoding work than a picture may"},
      {"ac1001.jpg", ManyScans(1001, 7000, 7000, true, noise), 0,
       "scans would take more decoding work than a picture may"},
      {"small150.jpg", ManyScans(150, 64, 64, false, "\x4B\xC6"), 0, "more than 100 scans"},
      {"zeros.jpg", "\xFF\xD8", 4ULL << 30, "no picture header in its first 32 MB"},
      {"progressive10.jpg", ManyScans(9, 7000, 7000, false, "\x4B\xC6"), 0, ""},
  };
  for (const TCase& c : cases) {
    WriteAll(dir / c.name, c.bytes);
    if (c.size > c.bytes.size()) fs::resize_file(dir / c.name, c.size);
    const double start = ThreadSeconds();
    const std::string error = ErrorOf([&] { ScaleJpegFile(dir / c.name, 60); });
    const double seconds = ThreadSeconds() - start;
    EXPECT_LT(seconds, 5.0 * kSanitizerSlowdown) << c.name;
    std::printf("%s: %.2f s of processor time\n", c.name.c_str(), seconds);
    if (c.message.empty()) {
      EXPECT_EQ(error, "") << c.name;
    } else {
      EXPECT_NE(error.find(dir / c.name + ": "), std::string::npos) << error;
      EXPECT_NE(error.find(c.message), std::string::npos) << c.name << ": " << error;
    }
  }
}

TEST(HostileMemory, APublishStaysBelowOneGigabyteWithBothWorkersBusy) {
  // Four distinct multi-scan colour pictures that each need about 300 MB to decode: two at a
  // time fit the shared budget, so the run succeeds, and its peak stays below 1 GB.
  TTempDir dir;
  TProjectModel model(dir.Folder());
  StorePanelDefaults(model);
  for (int i = 0; i < 4; ++i) {
    const std::string name = dir / ("big" + std::to_string(i) + ".jpg");
    WriteAll(name, Patched("bomb-colour.jpg", 7000, 7000));
    TItemData item = TestItem("");
    item.originalPath = name;
    item.level = "0";
    model.Items.push_back(item);
  }
  model.SaveProject(dir / "big.tvn");
  fs::create_directory(dir.Path() / "tmp");
  const TRunResult run = RunCommand("TMPDIR=" + ShellQuote(dir / "tmp") + " " + ShellQuote(kCli) +
                                        " publish " + ShellQuote(dir / "big.tvn"),
                                    dir.Path().string());
  ASSERT_EQ(run.exitCode, 0) << run.err;
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  EXPECT_LT(usage.ru_maxrss, 1024L * 1024 * kSanitizerSlowdown)
      << "peak of the largest child in KB";
  for (int i = 0; i < 4; ++i) {
    EXPECT_TRUE(DecodesWhole(dir / ("slider" + std::to_string(i) + ".jpg"))) << i;
  }
}

TEST(HostileMemory, OneFileUnderSeveralSpellingsIsScaledOnce) {
  TSite site;
  site.AddPicture("a.jpg", 40, 30);
  for (const std::string& spelling :
       {site.program.Folder() + "./a.jpg",
        site.program.Folder() + "../" + site.program.Path().filename().string() + "/a.jpg"}) {
    TItemData item = TestItem("");
    item.originalPath = spelling;
    site.model.Items.push_back(item);
    site.tree.AppendChild(0, "Item");
  }
  fs::create_symlink(site.program / "a.jpg", site.program / "link.jpg");
  TItemData linked = TestItem("");
  linked.originalPath = site.program / "link.jpg";
  site.model.Items.push_back(linked);
  site.tree.AppendChild(0, "Item");

  TRecordingProgress progress;
  TProjectModel model(site.program.Folder(), &progress);
  model.SetWorkFolder(site.work.Folder());
  model.Slider = site.model.Slider;
  model.Items = site.model.Items;
  model.MakeHTMLCodes(site.out / "page.html", site.tree);
  EXPECT_EQ(progress.maximum, 1);  // one picture to scale
  EXPECT_EQ(progress.steps, std::vector<int>{1});
  EXPECT_EQ(model.PreviewFiles,
            (TStringArray{"slider0.jpg", "slider1.jpg", "slider2.jpg", "slider3.jpg"}));
  for (const TItemData& item : model.Items) EXPECT_EQ(item.width, "160");
  EXPECT_EQ(ReadAll(model.PreviewFolder() + "slider3.jpg"),
            ReadAll(model.PreviewFolder() + "slider0.jpg"));
}

TEST(HostileMemory, LoadingIsLinearAndBounded) {
  // 200,000 items load and publish in a few seconds (the time limit is generous for slow
  // machines: the quadratic tree took minutes).
  TTempDir dir;
  std::string text =
      "<Product_Name>\r\nTorvane\r\n<Product_Version>\r\n1.1\r\n<Applet_Parameters>\r\n"
      "Slider1#$@Slider1cfg#$@Slider1_div#$@370#$@120#$@1#$@39#$@0#$@0#$@FFFFFF#$@Slider1cfg#$@4"
      "#$@2#$@DBEAF5#$@4#$@0#$@FFFF00#$@#$@#$@1#$@\r\n<Item_Parameters>\r\n";
  for (int i = 0; i < 200000; ++i) {
    text += "#$@#$@p" + std::to_string(i) + ".html#$@_self#$@#$@160#$@120#$@" +
            std::to_string(i % 3) + "#$@#$@\r\n";
  }
  text += "</Item_Parameters>\r\n";
  WriteAll(dir / "many.tvn", text);
  const auto start = std::chrono::steady_clock::now();
  TProjectModel model(dir.Folder());
  TMemoryTree tree;
  ASSERT_EQ(model.LoadProject(dir / "many.tvn", tree), TLoadResult::Loaded);
  EXPECT_EQ(tree.NodeCount(), 200001);
  EXPECT_EQ(tree.Depth(200000), 1 + (199999 % 3));
  EXPECT_EQ(tree.Parent(3), 2);
  model.SetWorkFolder(dir.Folder());
  fs::create_directory(dir.Path() / "out");
  model.PublishProject(dir / "out", "many.tvn", tree);
  EXPECT_LT(std::chrono::steady_clock::now() - start,
            std::chrono::seconds(20 * kSanitizerSlowdown));
  EXPECT_EQ(CrLfLines(dir / "out/many.tvn").size(), 200015u);

  // One item more than a project may hold: refused with the file named, the model unchanged.
  std::string tooMany =
      "<Product_Name>\nTorvane\n<Product_Version>\n1.1\n<Applet_Parameters>\nx#$@\n"
      "<Item_Parameters>\n";
  tooMany.append(TProjectModel::kMaxItems + 1, '\n');
  TMemoryTree small;
  const TItemArray before = model.Items;
  const std::string error =
      ErrorOf([&] { model.LoadProjectText(tooMany, dir / "huge.tvn", small); });
  EXPECT_NE(error.find(dir / "huge.tvn"), std::string::npos) << error;
  EXPECT_NE(error.find("more than 1000000 images"), std::string::npos) << error;
  EXPECT_EQ(model.Items.size(), before.size());
  EXPECT_EQ(small.NodeCount(), static_cast<int>(before.size()) + 1);

  // Children added in the middle of a tree still land after their parent's subtree.
  TMemoryTree t;
  const int a = t.AppendChild(0, "a");
  const int a1 = t.AppendChild(a, "a1");
  const int b = t.AppendChild(0, "b");
  EXPECT_EQ(t.AppendChild(a, "a2"), 3);  // between a1 and b
  EXPECT_EQ(t.Parent(4), 0);             // b moved on
  EXPECT_EQ(t.AppendChild(4, "b1"), 5);  // b is the last node's parent again: appended
  EXPECT_EQ(t.AppendChild(a1, "a11"), 3);
  EXPECT_EQ(t.Children(0), (std::vector<int>{1, 5}));
  EXPECT_EQ(t.Children(1), (std::vector<int>{2, 4}));
  EXPECT_EQ(t.Depth(6), 2);
  EXPECT_EQ(b, 3);
}

// --- loud failures, old files whole -------------------------------------------------------------

TEST(HostileDisk, AWriteThatFailsAnywhereStopsThePublishAndLeavesEveryFileWhole) {
  TSite site;
  // Entries stored in the picture cache would count among the writes once the pictures are old
  // enough to be kept, some seconds into the test.
  site.model.PictureCacheEnabled = false;
  site.AddPicture("one.jpg", 64, 48);
  site.AddPicture("two.jpg", 30, 60);
  site.Publish();
  std::map<std::string, std::string> first;
  for (const std::string& name : FilesIn(site.out.Path())) first[name] = ReadAll(site.out / name);
  EXPECT_EQ(first.size(), 8u);

  // A republish at a larger height, with the disk filling up at the n-th file written (the
  // pictures into the preview folder, the two generated scripts, then in the folder the page, the
  // configuration script, the project and the pictures; the runtime, the style sheet and the
  // report are unchanged and not written). Each try starts from the first publish's files.
  site.model.Slider.height = "200";
  int failures = 0, listed = 0;
  for (int n = 1; n < 40; ++n) {
    for (const auto& [name, bytes] : first) WriteAll(site.out / name, bytes);
    fileutil::failWriteNumber = n;
    fileutil::failNextWriteAfterBytes = 10;
    const std::string error = ErrorOf([&] { site.Publish(); });
    fileutil::failNextWriteAfterBytes = -1;
    fileutil::failWriteNumber = 0;
    site.model.ClearPreview();
    if (error.empty()) break;  // the n-th write no longer exists: the publish succeeded
    ++failures;
    EXPECT_NE(error.find("Disk full: "), std::string::npos) << error;
    EXPECT_NE(error.find(" was not written"), std::string::npos) << error;
    // Once the folder's files are being written, the message says which are and which are not.
    if (error.find("Not written: ") != std::string::npos) ++listed;
    // Every file is the old one or the new one, whole; nothing temporary is left.
    for (const std::string& name : FilesIn(site.out.Path())) {
      EXPECT_TRUE(first.count(name)) << name;
      const std::string now = ReadAll(site.out / name);
      if (name.find(".jpg") != std::string::npos) {
        EXPECT_TRUE(DecodesWhole(site.out / name)) << "write " << n << ": " << name;
      } else if (now != first[name]) {
        EXPECT_EQ(now.substr(now.size() - 2), "\r\n") << name;
      }
    }
    EXPECT_FALSE(HasTemporaryFiles(site.out.Path())) << n;
    EXPECT_FALSE(HasTemporaryFiles(site.work.Path())) << n;
  }
  EXPECT_EQ(failures, 9);
  EXPECT_EQ(listed, 5);
  EXPECT_EQ(ReadJpegInfo(site.out / "slider0.jpg").height, 200);
}

TEST(HostileDisk, ARefusedPublishLeavesThePublishedFolderAsItWas) {
  struct TCase {
    std::string what;
    std::function<void(TSite&)> spoil;
    std::string message;
  };
  const std::vector<TCase> cases = {
      {"line break", [](TSite& s) { s.model.Items[1].toolTip = "a\nb"; }, "a line break"},
      {"lone CR", [](TSite& s) { s.model.Items[0].link = "x\ry"; }, "a line break"},
      {"separator", [](TSite& s) { s.model.Items[0].target = "_#$@"; }, "cannot hold"},
      {"folder", [](TSite& s) { fs::create_directory(s.out.Path() / "slider1.jpg"); },
       "a folder of that name exists"},
      {"foreign name",
       [](TSite& s) {
         s.model.Items[1].originalPath = "";
         s.model.Items[1].imageFile = "secret-notes.txt";
       },
       "Item 2's picture name 'secret-notes.txt'"},
  };
  for (const TCase& c : cases) {
    TSite site;
    site.AddPicture("one.jpg", 64, 48);
    site.AddPicture("two.jpg", 30, 60);
    site.Publish();
    if (c.what == "folder") fs::remove(site.out.Path() / "slider1.jpg");
    std::map<std::string, std::string> before;
    for (const std::string& name : FilesIn(site.out.Path())) {
      before[name] = ReadAll(site.out / name);
    }
    site.model.Slider.height = "90";  // every file would change
    c.spoil(site);
    const std::string error = ErrorOf([&] { site.Publish(); });
    EXPECT_NE(error.find(c.message), std::string::npos) << c.what << ": " << error;
    std::map<std::string, std::string> after;
    for (const std::string& name : FilesIn(site.out.Path())) {
      if (!fs::is_directory(site.out.Path() / name)) after[name] = ReadAll(site.out / name);
    }
    EXPECT_EQ(after, before) << c.what;
  }
}

TEST(HostileDisk, APublishRemovesTheTemporaryFilesOfKilledRunsOnly) {
  TSite site;
  site.AddPicture("one.jpg", 64, 48);
  const pid_t dead = fork();
  if (dead == 0) _exit(0);
  waitpid(dead, nullptr, 0);
  const std::string gone = "~slider0.jpg." + std::to_string(dead) + "-0a1b2c.tmp";
  const std::vector<std::string> kept = {
      "~show.html." + std::to_string(getpid()) + "-0a1b2c.tmp",  // a run that is still writing
      "~notes.txt.0a1b2c.tmp", "~x." + std::to_string(dead) + "-zz.tmp", "notes.tmp"};
  for (const std::string& name : kept) WriteAll(site.out / name, "x");
  WriteAll(site.out / gone, "half a picture");
  fs::create_symlink(site.out / "notes.tmp",
                     site.out / ("~link." + std::to_string(dead) + "-0a1b2c.tmp"));
  site.Publish();
  EXPECT_FALSE(fs::exists(site.out / gone));
  for (const std::string& name : kept) EXPECT_TRUE(fs::exists(site.out / name)) << name;
  EXPECT_TRUE(fs::is_symlink(site.out / ("~link." + std::to_string(dead) + "-0a1b2c.tmp")));
}

TEST(HostileDisk, AFolderWhereAFileShouldGoIsAnError) {
  for (const std::string taken : {"torvane.js", "torvanecfg.js", "torvane.css", "slider0.jpg",
                                  "show.html", "show_PublishReport.txt"}) {
    TSite site;
    site.AddPicture("one.jpg", 64, 48);
    fs::create_directory(site.out.Path() / taken);
    const std::string error = ErrorOf([&] { site.Publish(); });
    EXPECT_NE(error.find(site.out / taken), std::string::npos) << taken << ": " << error;
    EXPECT_NE(error.find("a folder of that name exists"), std::string::npos) << error;
  }
  // The command-line publisher says so too, and fails.
  TTempDir dir;
  TProjectModel model(dir.Folder());
  StorePanelDefaults(model);
  WriteTestJpeg(dir / "a.jpg", 40, 30);
  TItemData item = TestItem("");
  item.originalPath = dir / "a.jpg";
  model.Items.push_back(item);
  model.SaveProject(dir / "show.tvn");
  fs::create_directory(dir.Path() / "slider0.jpg");
  const TRunResult run =
      RunCommand(ShellQuote(kCli) + " publish " + ShellQuote(dir / "show.tvn"), dir.Folder());
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find(dir / "slider0.jpg"), std::string::npos) << run.err;

  // Quiet copies (the preview folder) stay quiet but never leave a cut-short file.
  TSite site;
  WriteAll(site.program / "a.txt", std::string(5000, 'a'));
  site.model.AddToPreview(site.program / "a.txt");
  WriteAll(site.program / "a.txt", std::string(5000, 'b'));
  fileutil::failNextWriteAfterBytes = 100;
  site.model.AddToPreview(site.program / "a.txt");
  EXPECT_EQ(ReadAll(site.model.PreviewFolder() + "a.txt"), std::string(5000, 'a'));
  EXPECT_FALSE(HasTemporaryFiles(site.model.PreviewFolder()));
}

TEST(HostileDisk, ProjectNamesThatCollideWithTheOutputAreRefused) {
  for (const std::string name : {"show.html", "torvane.js", "TORVANECFG.JS", "torvane.css",
                                 "slider0.jpg", "slider1.jpg", "slider9.jpg"}) {
    TSite site;
    site.AddPicture("a.jpg", 40, 30);
    site.AddPicture("b.jpg", 40, 30);
    site.model.Items[1].imageFile = "slider9.jpg";
    site.model.Items[1].originalPath = "";
    const std::string error = ErrorOf([&] { site.Publish(name); });
    EXPECT_NE(error.find("'" + name + "' is also the name of a file that publishing writes"),
              std::string::npos)
        << error;
    EXPECT_TRUE(FilesIn(site.out.Path()).empty()) << name;
    EXPECT_FALSE(fs::exists(site.work.Path() / "preview")) << name;
  }
  TSite site;
  site.AddPicture("a.jpg", 40, 30);
  site.Publish("slider7.jpg");  // not an output of a one-item design
  EXPECT_TRUE(fileutil::IsFile(site.out / "slider7.tvn"));
}

// --- concurrent publishers ---------------------------------------------------------------------

TEST(HostileConcurrency, PublishersIntoOneFolderNeverExposeAPartialFile) {
  TTempDir dir;
  fs::create_directory(dir.Path() / "tmp");
  const std::string site = dir / "site";
  // Four projects with pictures of different sizes, all publishing into one folder.
  for (int p = 0; p < 4; ++p) {
    TProjectModel model(dir.Folder());
    StorePanelDefaults(model);
    model.Slider.height = std::to_string(100 + 40 * p);
    for (int i = 0; i < 3; ++i) {
      const std::string picture =
          dir / ("p" + std::to_string(p) + "_" + std::to_string(i) + ".jpg");
      WriteTestJpeg(picture, 300 + 50 * i, 200, p * 10 + i);
      TItemData item = TestItem("");
      item.originalPath = picture;
      item.level = "0";
      model.Items.push_back(item);
    }
    model.SaveProject(dir / ("show.tvn." + std::to_string(p)));
    fs::create_directory(dir.Path() / ("p" + std::to_string(p)));
    fs::rename(dir / ("show.tvn." + std::to_string(p)),
               dir / ("p" + std::to_string(p) + "/show.tvn"));
  }
  std::atomic<bool> running{true};
  std::atomic<int> looks{0};
  std::atomic<int> partial{0};
  std::thread reader([&] {
    while (running) {
      for (int i = 0; i < 3; ++i) {
        const std::string picture = site + "/slider" + std::to_string(i) + ".jpg";
        if (!fileutil::IsFile(picture)) continue;
        ++looks;
        if (!DecodesWhole(picture)) ++partial;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  });
  std::string command = "cd " + ShellQuote(dir.Path().string()) + " && for round in 1 2 3; do ";
  for (int p = 0; p < 4; ++p) {
    command += "TMPDIR=" + ShellQuote(dir / "tmp") + " " + ShellQuote(kCli) + " publish p" +
               std::to_string(p) + "/show.tvn --to " + ShellQuote(site) + " >/dev/null 2>>" +
               ShellQuote(dir / "errors") + " || echo failed >>" + ShellQuote(dir / "errors") +
               " & ";
  }
  command += "wait; done";
  const TRunResult run = RunCommand(command, dir.Path().string());
  running = false;
  reader.join();
  EXPECT_EQ(run.exitCode, 0);
  // Nothing but each run's list of the files it changed.
  std::string errors = ReadAll(dir / "errors");
  for (size_t at; (at = errors.find("Changed: ")) != std::string::npos;) {
    errors.erase(at, errors.find('\n', at) + 1 - at);
  }
  EXPECT_EQ(errors, "");
  EXPECT_GT(looks, 0);
  EXPECT_EQ(partial, 0) << "of " << looks << " looks";
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(DecodesWhole(site + "/slider" + std::to_string(i) + ".jpg")) << i;
  }
  EXPECT_FALSE(HasTemporaryFiles(site));
  EXPECT_TRUE(fs::is_empty(dir.Path() / "tmp"));
}

// --- links and modes ---------------------------------------------------------------------------

TEST(HostileFiles, WritingThroughALinkKeepsTheLinkAndModesAreKept) {
  TSite site;
  site.AddPicture("a.jpg", 40, 30);
  TTempDir real;
  site.Publish();
  // The project file is a link to a file elsewhere, readable by its owner only.
  fs::rename(site.out / "show.tvn", real / "show.tvn");
  fs::create_symlink(real / "show.tvn", site.out / "show.tvn");
  ASSERT_EQ(::chmod((real / "show.tvn").c_str(), 0600), 0);
  ASSERT_EQ(::chmod((site.out / "slider0.jpg").c_str(), 0640), 0);
  site.model.Items[0].toolTip = "changed";
  site.Publish();
  EXPECT_TRUE(fs::is_symlink(site.out.Path() / "show.tvn"));
  EXPECT_NE(ReadAll(real / "show.tvn").find("changed#$@"), std::string::npos);
  struct stat info {};
  ASSERT_EQ(::stat((real / "show.tvn").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u);
  ASSERT_EQ(::stat((site.out / "slider0.jpg").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(FilesIn(real.Path()), std::set<std::string>{"show.tvn"});

  // A relative link and a chain of links end at the same file.
  fs::create_symlink("show.tvn", site.out.Path() / "again.tvn");
  fileutil::WriteFileReplacing(site.out / "again.tvn", "text");
  EXPECT_EQ(fileutil::WriteTarget(site.out / "again.tvn"), real / "show.tvn");
  EXPECT_EQ(ReadAll(real / "show.tvn"), "text");
  EXPECT_TRUE(fs::is_symlink(site.out.Path() / "again.tvn"));
}

// --- encodings ---------------------------------------------------------------------------------

TEST(HostileFiles, EachLineIsDecodedOnItsOwn) {
  TTempDir dir;
  // One stray Windows-1252 byte on an item line; UTF-8 everywhere else.
  const std::string text =
      "<Product_Name>\r\nTorvane\r\n<Product_Version>\r\n1.1\r\n<Applet_Parameters>\r\n"
      "Caf\xC3\xA9#$@\r\n<Item_Parameters>\r\n"
      "#$@#$@#$@#$@Gr\xFC\xDF \x93x\x94#$@#$@#$@0#$@#$@\r\n"
      "#$@#$@#$@#$@\xC3\xA9t\xC3\xA9 \xE2\x82\xAC#$@#$@#$@0#$@#$@\r\n"
      "</Item_Parameters>\r\n";
  WriteAll(dir / "mixed.tvn", "\xEF\xBB\xBF" + text);
  TProjectModel model(dir.Folder());
  TMemoryTree tree;
  ASSERT_EQ(model.LoadProject(dir / "mixed.tvn", tree), TLoadResult::Loaded);
  EXPECT_EQ(model.Slider.name, "Caf\xC3\xA9");
  EXPECT_EQ(model.Items[0].toolTip, "Gr\xC3\xBC\xC3\x9F \xE2\x80\x9Cx\xE2\x80\x9D");
  EXPECT_EQ(model.Items[1].toolTip, "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC");
  // Saved again, everything is UTF-8 and reads back the same.
  model.SaveProject(dir / "again.tvn");
  TProjectModel again(dir.Folder());
  TMemoryTree againTree;
  ASSERT_EQ(again.LoadProject(dir / "again.tvn", againTree), TLoadResult::Loaded);
  EXPECT_EQ(again.Items, model.Items);
  EXPECT_EQ(again.Slider.name, "Caf\xC3\xA9");
  EXPECT_TRUE(fileutil::IsValidUtf8(ReadAll(dir / "again.tvn")));
  // The same lines through the plain line reader, from a file and from memory.
  const std::vector<std::string> lines = fileutil::ReadTextLines(dir / "mixed.tvn");
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[0], "<Product_Name>");
  EXPECT_EQ(lines[7], "#$@#$@#$@#$@Gr\xC3\xBC\xC3\x9F \xE2\x80\x9Cx\xE2\x80\x9D#$@#$@#$@0#$@#$@");
  fileutil::TTextLineReader memory(text.data(), text.size(), "memory");
  std::string line;
  int count = 0;
  while (memory.Next(line)) ++count;
  EXPECT_EQ(count, 10);
  EXPECT_EQ(line, "</Item_Parameters>");
}

// --- interruption ------------------------------------------------------------------------------

TEST(HostileFiles, AnInterruptedPublishLeavesNoWorkFolderAndNoPartialFile) {
  TTempDir dir;
  fs::create_directory(dir.Path() / "tmp");
  TProjectModel model(dir.Folder());
  StorePanelDefaults(model);
  for (int i = 0; i < 6; ++i) {
    const std::string name = dir / ("big" + std::to_string(i) + ".jpg");
    WriteAll(name, Patched("bomb-colour.jpg", 7000, 7000));  // slow enough to be caught midway
    TItemData item = TestItem("");
    item.originalPath = name;
    item.level = "0";
    model.Items.push_back(item);
  }
  model.SaveProject(dir / "slow.tvn");
  for (const char* signal : {"INT", "TERM"}) {
    const std::string out = dir / (std::string("out") + signal);
    const std::string command =
        "(TMPDIR=" + ShellQuote(dir / "tmp") + " " + ShellQuote(kCli) + " publish " +
        ShellQuote(dir / "slow.tvn") + " --to " + ShellQuote(out) + " & pid=$!; " +
        "for i in $(seq 1 500); do ls " + ShellQuote(dir / "tmp") +
        "/*/preview/slider*.jpg >/dev/null 2>&1 && break; sleep 0.01; done; kill -" + signal +
        " $pid; wait $pid; echo $? >" + ShellQuote(dir / "status") + ")";
    RunCommand(command, dir.Path().string());
    const int status = std::stoi(ReadAll(dir / "status"));
    EXPECT_EQ(status, std::string(signal) == "INT" ? 130 : 143) << signal;
    EXPECT_TRUE(fs::is_empty(dir.Path() / "tmp")) << signal;
    if (fs::exists(out)) {
      EXPECT_FALSE(HasTemporaryFiles(out)) << signal;
    }
  }
}

}  // namespace

namespace {

// --- a real full disk -------------------------------------------------------------------------

TEST(HostileDisk, AFullDiskStopsThePublishAndKeepsTheOldFiles) {
  // A 160 KB file system of our own (a tmpfs in a private mount namespace, where the machine
  // allows one): a first publish fits, a second one at a larger height does not.
  TTempDir dir;
  for (const auto& [folder, height] : {std::pair<std::string, int>{"low", 40}, {"high", 300}}) {
    fs::create_directory(dir.Path() / folder);
    TProjectModel model(dir.Folder());
    StorePanelDefaults(model);
    model.Slider.height = std::to_string(height);
    for (int i = 0; i < 3; ++i) {
      const std::string picture = dir / ("noise" + std::to_string(i) + ".jpg");
      if (!fileutil::IsFile(picture)) {
        const std::vector<unsigned char> bytes =
            imagetest::EncodePicture(imagetest::Noise(600, 400, i));
        WriteAll(picture, std::string(bytes.begin(), bytes.end()));
      }
      TItemData item = TestItem("");
      item.originalPath = picture;
      item.level = "0";
      model.Items.push_back(item);
    }
    model.SaveProject(dir / (folder + "/show.tvn"));
  }
  const std::string disk = dir / "disk";
  fs::create_directory(disk);
  const std::string cli = ShellQuote(kCli);
  const std::string script =
      "mount -t tmpfs -o size=160k tmpfs " + ShellQuote(disk) + " || exit 77; cd " +
      ShellQuote(dir.Path().string()) + " && " + cli +
      " publish low/show.tvn --to disk; echo $? >s1;" + " mkdir first && cp -a disk/. first/ && " +
      cli +
      " publish high/show.tvn --to disk 2>e2; echo $? >s2; mkdir second && cp -a disk/. second/";
  const TRunResult run = RunCommand("unshare -rm sh -c " + ShellQuote(script), dir.Path().string());
  if (run.exitCode == 77 || !fileutil::IsFile(dir / "s2")) {
    GTEST_SKIP() << "no private tmpfs here: " << run.err;
  }
  EXPECT_EQ(ReadAll(dir / "s1"), "0\n");
  EXPECT_EQ(ReadAll(dir / "s2"), "1\n");
  const std::string error = ReadAll(dir / "e2");
  EXPECT_NE(error.find("Disk full: disk/slider"), std::string::npos) << error;
  const std::set<std::string> first = FilesIn(dir.Path() / "first");
  EXPECT_EQ(first.size(), 9u);
  EXPECT_EQ(FilesIn(dir.Path() / "second"), first);
  for (const std::string& name : first) {
    const std::string now = ReadAll(dir / ("second/" + name));
    if (name.find(".jpg") != std::string::npos) {
      EXPECT_TRUE(DecodesWhole(dir / ("second/" + name))) << name;
    } else {
      EXPECT_EQ(now.substr(now.size() - 1), "\n") << name;
    }
  }
}

}  // namespace
