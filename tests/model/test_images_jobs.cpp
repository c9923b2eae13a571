// Scaling many pictures on worker threads, and pictures that cannot be read.
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "Errors.h"
#include "images/ImageScaler.h"
#include "test_images_util.h"

using namespace imagetest;

namespace {

// Threads of this process (Linux only; -1 elsewhere).
int ThreadCount() {
#ifdef __linux__
  int n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task"))
    ++n;
  return n;
#else
  return -1;
#endif
}

std::string ErrorOf(const std::string& path, int height = 20) {
  try {
    ScaleJpegFile(path, height);
  } catch (const TvError& e) {
    return e.what();
  }
  return "(no error)";
}

}  // namespace

TEST(ImageJobs, SameBytesWithOneOrTwoWorkersAndProgressOnTheCallingThread) {
  ScratchDir dir;
  std::vector<TScaleJob> jobs;
  for (int i = 0; i < 6; ++i) {
    const std::string path = dir.Write("p" + std::to_string(i) + ".jpg",
                                       EncodePicture(Noise(90 + 37 * i, 70 + 11 * i, i)));
    jobs.push_back({path, 20 + 5 * i});
  }
  const std::thread::id caller = std::this_thread::get_id();
  std::vector<size_t> progress;
  auto record = [&](size_t finished) {
    EXPECT_EQ(std::this_thread::get_id(), caller);
    progress.push_back(finished);
  };
  const std::vector<TScaledImage> one = ScaleJpegFiles(jobs, 1, record);
  EXPECT_EQ(progress, (std::vector<size_t>{1, 2, 3, 4, 5, 6}));
  progress.clear();
  const std::vector<TScaledImage> two = ScaleJpegFiles(jobs, 2, record);
  EXPECT_EQ(progress, (std::vector<size_t>{1, 2, 3, 4, 5, 6}));
  ASSERT_EQ(one.size(), jobs.size());
  ASSERT_EQ(two.size(), jobs.size());
  for (size_t i = 0; i < jobs.size(); ++i) {
    EXPECT_EQ(one[i].height, jobs[i].targetHeight);
    EXPECT_EQ(one[i].jpeg, two[i].jpeg) << "job " << i;
    EXPECT_EQ(one[i].jpeg, ScaleJpegFile(jobs[i].sourcePath, jobs[i].targetHeight).jpeg);
  }
}

TEST(ImageJobs, FirstFailingJobInOrderIsReportedAndNoWorkerIsLeft) {
  ScratchDir dir;
  const std::vector<unsigned char> good = EncodePicture(Noise(120, 80, 1));
  std::vector<TScaleJob> jobs;
  for (int i = 0; i < 8; ++i)
    jobs.push_back({dir.Write("p" + std::to_string(i) + ".jpg", good), 30});
  jobs[3].sourcePath = dir.Write("third.jpg", {'n', 'o', 't', ' ', 'J', 'P', 'E', 'G'});
  jobs[5].sourcePath = dir.Path("missing.jpg");
  // The largest file goes first: its failure must not keep the earlier jobs from being tried.
  jobs[6].sourcePath = dir.Write("large.jpg", std::vector<unsigned char>(good.size() * 4, 'x'));
  const int threadsBefore = ThreadCount();
  for (unsigned workers : {1u, 2u, 0u}) {
    SCOPED_TRACE("workers " + std::to_string(workers));
    try {
      ScaleJpegFiles(jobs, workers);
      FAIL() << "no error";
    } catch (const TvError& e) {
      EXPECT_NE(std::string(e.what()).find(jobs[3].sourcePath), std::string::npos) << e.what();
    }
    EXPECT_EQ(ThreadCount(), threadsBefore);
  }
  // A progress callback that throws stops the run the same way.
  jobs[3].sourcePath = jobs[2].sourcePath;
  jobs[5].sourcePath = jobs[2].sourcePath;
  jobs[6].sourcePath = jobs[2].sourcePath;
  EXPECT_THROW(ScaleJpegFiles(jobs, 2, [](size_t) { throw TvError("cancelled"); }), TvError);
  EXPECT_EQ(ThreadCount(), threadsBefore);
}

TEST(ImageJobs, UnreadablePicturesNameTheFileAndTheFault) {
  ScratchDir dir;
  const std::vector<unsigned char> good = EncodePicture(Noise(200, 160, 7));
  struct Case {
    std::string path;
    std::string fault;
  };
  std::vector<unsigned char> truncated(good.begin(), good.begin() + good.size() * 6 / 10);
  std::vector<unsigned char> stray = good;  // a restart marker in the middle of the scan
  stray[stray.size() / 2] = 0xFF;
  stray[stray.size() / 2 + 1] = 0xD3;
  std::vector<unsigned char> noHeight = good;  // a frame header with height 0
  for (size_t i = 0; i + 8 < noHeight.size(); ++i) {
    if (noHeight[i] == 0xFF && noHeight[i + 1] == 0xC0) {
      noHeight[i + 5] = 0;
      noHeight[i + 6] = 0;
      break;
    }
  }
  const std::vector<Case> cases = {
      {dir.Path("nowhere.jpg"), "file not found"},
      {dir.Write("empty.jpg", {}), ": the file is empty"},
      {dir.Write("text.jpg", {'h', 'e', 'l', 'l', 'o', '\n'}),
       "not a picture file in a format we read"},
      {dir.Write("text.png", {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0}), "damaged"},
      {dir.Write("truncated.jpg", truncated), "corrupt or truncated"},
      {dir.Write("stray marker.jpg", stray), "corrupt"},
      {dir.Write("no height.jpg", noHeight), "corrupt or unsupported"},
  };
  for (const Case& c : cases) {
    const std::string error = ErrorOf(c.path);
    EXPECT_EQ(error.rfind("Cannot read picture " + c.path + ": ", 0), 0u) << error;
    EXPECT_NE(error.find(c.fault), std::string::npos) << error;
  }
  EXPECT_NE(ErrorOf(dir.Path("")).find("folder"), std::string::npos);
}
