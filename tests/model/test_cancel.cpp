// Stopping a save from another thread, and carrying its progress across threads in order.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <map>
#include <thread>

#include "Cancel.h"
#include "MemoryTree.h"
#include "ProgressRelay.h"
#include "ProjectModel.h"
#include "TestUtil.h"
#include "images/ImageScaler.h"
#include "images/JpegIo.h"
#include "test_generator_util.h"
#include "test_images_util.h"

namespace fs = std::filesystem;

namespace {

std::map<std::string, std::string> FilesWithBytes(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_regular_file())
      files[entry.path().lexically_relative(folder).string()] = ReadAll(entry.path().string());
  return files;
}

// Asks the token to stop, once, as soon as `when` holds for the progress reported so far.
struct TStoppingProgress : TRecordingProgress {
  TStoppingProgress(TCancelToken& t, std::function<bool(const TRecordingProgress&)> w)
      : token(t), when(std::move(w)) {}
  void Step(int by) override { TRecordingProgress::Step(by), Check(); }
  void SetStatus(const std::string& text) override { TRecordingProgress::SetStatus(text), Check(); }
  void Check() {
    if (!asked && when(*this)) asked = true, accepted = token.Request();
  }
  TCancelToken& token;
  std::function<bool(const TRecordingProgress&)> when;
  bool asked = false, accepted = false;
};

// A design of five pictures published once; each case publishes it again changed and stopped.
struct TStopFixture {
  TTempDir program, work, out;
  TMemoryTree tree;

  TStopFixture() {
    WriteAll(program / "torvane.js", "var Bmaf = true;\n");
    TProjectModel model = Model(nullptr);
    model.Slider.height = "40";
    EXPECT_TRUE(model.PublishProject(out.Folder(), "show.tvn", tree));
    model.ClearPreview();
  }
  TProjectModel Model(IProgress* progress) {
    TProjectModel model(program.Folder(), progress);
    model.SetWorkFolder(work.Folder());
    model.PictureCacheEnabled = false;
    model.ImageWorkers = 1;
    StorePanelDefaults(model);
    for (int i = 0; i < 5; ++i) {
      const std::string source = program / ("p" + std::to_string(i) + ".jpg");
      if (!fs::exists(source)) WriteTestJpeg(source, 320, 240, i);
      TItemData item = TestItem("");
      item.originalPath = source;
      model.Items.push_back(item);
      if (tree.NodeCount() <= i + 1) tree.AppendChild(0, "Item");
    }
    return model;
  }
};

TEST(Cancel, AStoppedSaveLeavesThePublishedSetAsItWasAndASecondSaveWorks) {
  // Pictures are reported as steps of the first stage; no stage before it steps.
  const auto pictures = [](size_t n) {
    return [n](const TRecordingProgress& p) {
      return p.status == "Making HTML Codes ... ..." && p.steps.size() == n;
    };
  };
  struct Case {
    const char* name;
    std::function<bool(const TRecordingProgress&)> when;
    bool stops;
  };
  const Case cases[] = {
      {"at the start", pictures(0), true},
      {"after one picture", pictures(1), true},
      {"before the last picture", pictures(4), true},
      {"past the point of no return",
       [](const TRecordingProgress& p) { return p.status == "Saving Data ... ..."; }, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TStopFixture f;
    const auto before = FilesWithBytes(f.out.Path());
    const auto workBefore = FilesWithBytes(f.work.Path());
    TCancelToken token;
    TStoppingProgress progress(token, c.when);
    TProjectModel model = f.Model(&progress);
    model.Slider.height = "30";
    model.CancelToken = &token;
    if (c.stops) {
      EXPECT_THROW(model.PublishProject(f.out.Folder(), "show.tvn", f.tree), TvCancelled);
      EXPECT_EQ(FilesWithBytes(f.out.Path()), before);
    } else {
      EXPECT_TRUE(model.PublishProject(f.out.Folder(), "show.tvn", f.tree));
      EXPECT_NE(FilesWithBytes(f.out.Path()), before);
      EXPECT_EQ(FilesWithBytes(f.out.Path()).size(), before.size());
    }
    EXPECT_TRUE(progress.asked);
    EXPECT_EQ(progress.accepted, c.stops);
    // The protocol ended as it began: bar at 0, text empty, cursor back.
    EXPECT_EQ(progress.position, 0);
    EXPECT_EQ(progress.status, "");
    EXPECT_FALSE(progress.busy);
    model.ClearPreview();
    for (const auto& [name, bytes] : FilesWithBytes(f.work.Path()))
      EXPECT_EQ(workBefore.count(name), 1u) << "stray " << name;

    token.Reset();
    EXPECT_TRUE(model.PublishProject(f.out.Folder(), "show.tvn", f.tree));
    EXPECT_EQ(ReadJpegInfo(f.out / "slider4.jpg").height, 30);
    model.ClearPreview();
  }
}

TEST(Cancel, StopsInsideAPictureWhenAsked) {
  // The decoder itself stops: a progressive file already while its scans are read, before its
  // first row; a baseline one at its next row.
  for (const bool progressive : {false, true}) {
    SCOPED_TRACE(progressive ? "progressive" : "baseline");
    imagetest::Extras extras;
    extras.progressive = progressive;
    const std::vector<unsigned char> jpeg =
        imagetest::EncodePicture(imagetest::Noise(64, 48, 1), extras);
    TCancelToken token;
    images::JpegLimits limits;
    limits.cancel = &token;
    images::JpegReader reader("p.jpg", std::string(jpeg.begin(), jpeg.end()), limits);
    token.Request();
    if (progressive) {
      EXPECT_THROW(reader.Start(8, images::PixelKind::Rgb), TvCancelled);
      continue;
    }
    reader.Start(8, images::PixelKind::Rgb);
    std::vector<unsigned char> row(64 * 3);
    unsigned char* rows[] = {row.data()};
    EXPECT_THROW(reader.ReadRows(rows, 1), TvCancelled);
  }

  // A large picture scaled on another thread ends soon after the request.
  const imagetest::Picture big =
      imagetest::Quadrants(6000, 4000, {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {9, 9, 9}});
  const std::vector<unsigned char> jpeg = imagetest::EncodePicture(big);
  const std::string bytes(jpeg.begin(), jpeg.end());
  TCancelToken token;
  TScaleOptions options;
  options.cancel = &token;
  auto run =
      std::async(std::launch::async, [&] { ScaleJpegData(bytes, "big.jpg", 3000, options); });
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  ASSERT_EQ(run.wait_for(std::chrono::seconds(0)), std::future_status::timeout)
      << "the picture was done before it could be stopped";
  const auto asked = std::chrono::steady_clock::now();
  EXPECT_TRUE(token.Request());
  EXPECT_THROW(run.get(), TvCancelled);
  // Well inside a second even on a loaded machine; the benchmark measures the real figure.
  EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::milliseconds(1000));
}

// A comparable log of the calls, steps in a row summed (as the relay sends them).
struct TLog : IProgress {
  std::vector<std::pair<char, std::string>> entries;
  void Add(char kind, std::string value) { entries.emplace_back(kind, std::move(value)); }
  void SetMaximum(int v) override { Add('m', std::to_string(v)); }
  void Step(int by) override {
    if (entries.empty() || entries.back().first != 's') Add('s', "0");
    entries.back().second = std::to_string(std::stoi(entries.back().second) + by);
  }
  void SetPosition(int v) override { Add('p', std::to_string(v)); }
  void SetStatus(const std::string& text) override { Add('t', text); }
  void SetBusy(bool busy) override { Add('b', busy ? "on" : "off"); }
};

TEST(ProgressRelay, KeepsTheOrderOfMessagesFromAnotherThreadAndMergesSteps) {
  const auto protocol = [](IProgress& p) {
    for (int run = 0; run < 200; ++run) {
      p.SetMaximum(run + 9);
      p.SetStatus("stage " + std::to_string(run));
      p.SetBusy(true);
      for (int s = 0; s < run % 7; ++s) p.Step(1 + s);
      p.SetPosition(0);
      p.SetStatus("");
      p.SetBusy(false);
    }
  };
  TLog direct;
  protocol(direct);

  TProgressRelay relay;
  TLog relayed;
  std::atomic<bool> done = false;
  std::thread worker([&] {
    protocol(relay);
    done = true;
  });
  while (!done) relay.Drain(relayed);
  worker.join();
  relay.Drain(relayed);
  EXPECT_EQ(relayed.entries, direct.entries);

  // Steps in a row arrive as one.
  TLog merged;
  for (int i = 0; i < 1000; ++i) relay.Step(1);
  relay.Drain(merged);
  EXPECT_EQ(merged.entries, (std::vector<std::pair<char, std::string>>{{'s', "1000"}}));
}

}  // namespace
