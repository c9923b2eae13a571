// Where the programs find their files and keep their state: the build layout beside the
// executable, the installed tree under ../share/torvane/, the per-user folders and the work
// folder of each running program.
#include <future>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include <chrono>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "ExitWatch.h"
#include "FileUtil.h"
#include "Places.h"
#include "TestUtil.h"

namespace fs = std::filesystem;

namespace {

// Sets an environment variable for one test and puts the old value back.
class TEnvVar {
 public:
  TEnvVar(const char* name, const std::optional<std::string>& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value)
      setenv(name, value->c_str(), 1);
    else
      unsetenv(name);
  }
  ~TEnvVar() {
    if (old_)
      setenv(name_, old_->c_str(), 1);
    else
      unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

void Touch(const fs::path& path) {
  fs::create_directories(path.parent_path());
  std::ofstream(path) << "x";
}

}  // namespace

TEST(Places, FilesAreFoundBesideTheProgramOrInTheInstalledTree) {
  TTempDir root;
  // Build layout: the runtime script beside the program wins even when a share folder exists.
  Touch(root.Path() / "build/bin/torvane.js");
  fs::create_directories(root.Path() / "build/share/torvane");
  EXPECT_EQ(places::FilesFolder(root / "build/bin"), root / "build/bin/");
  EXPECT_EQ(places::FilesFolder(root / "build/bin/"), root / "build/bin/");

  // Installed: bin/ holds only the programs.
  fs::create_directories(root.Path() / "usr/bin");
  Touch(root.Path() / "usr/share/torvane/torvane.js");
  EXPECT_EQ(places::FilesFolder(root / "usr/bin/"), root / "usr/share/torvane/");
  EXPECT_TRUE(places::IsInstalledTree(root / "usr/share/torvane/"));
  EXPECT_TRUE(places::IsInstalledTree(root / "usr/share/torvane"));
  EXPECT_FALSE(places::IsInstalledTree(root / "build/bin/"));
  EXPECT_FALSE(places::IsInstalledTree(root / "share/torvane-1.1/"));

  // Neither: the executable's folder (the runtime script is then reported missing there).
  fs::create_directories(root.Path() / "lonely/bin");
  EXPECT_EQ(places::FilesFolder(root / "lonely/bin/"), root / "lonely/bin/");
}

TEST(Places, StateStaysBesideAWritableProgramAndGoesToTheUserOtherwise) {
  TTempDir root;
  TEnvVar data("XDG_DATA_HOME", root / "data");
  Touch(root.Path() / "bin/torvane.js");
  const places::TStatePlaces beside = places::StatePlaces(root / "bin");
  EXPECT_FALSE(beside.perUser);
  EXPECT_EQ(beside.RecentFile(), root / "bin/recentfile.dat");
  EXPECT_EQ(beside.templateFolders, (std::vector<std::string>{root / "bin/templates"}));

  // An installed tree is never written, even by a user (root) who could.
  Touch(root.Path() / "usr/share/torvane/torvane.js");
  const places::TStatePlaces installed = places::StatePlaces(root / "usr/share/torvane/");
  EXPECT_TRUE(installed.perUser);
  EXPECT_EQ(installed.RecentFile(), root / "data/torvane/recentfile.dat");
  EXPECT_EQ(installed.templateFolders,
            (std::vector<std::string>{root / "data/torvane/templates",
                                      root / "usr/share/torvane/templates"}));

  // A folder that does not exist cannot be written either.
  EXPECT_FALSE(places::IsWritableFolder(root / "nowhere"));
  EXPECT_TRUE(places::StatePlaces(root / "nowhere").perUser);

  // Without XDG_DATA_HOME (or with a relative one, which the base folder rules ignore): ~/.local.
  TEnvVar home("HOME", root / "home");
  TEnvVar relative("XDG_DATA_HOME", std::string("relative/data"));
  EXPECT_EQ(places::UserDataFolder(), root / "home/.local/share/torvane/");
}

TEST(Places, PrivateWorkFoldersGoToTheRuntimeFolderOrElseTheCache) {
  TTempDir root;
  fs::create_directories(root.Path() / "runtime");
  TEnvVar runtime("XDG_RUNTIME_DIR", root / "runtime");
  TEnvVar cache("XDG_CACHE_HOME", root / "cache");
  EXPECT_EQ(places::UserInstanceBase(), root / "runtime/torvane/");
  {
    TEnvVar missing("XDG_RUNTIME_DIR", root / "no-such-folder");
    EXPECT_EQ(places::UserInstanceBase(), root / "cache/torvane/");
  }
  {
    TEnvVar unset("XDG_RUNTIME_DIR", std::nullopt);
    EXPECT_EQ(places::UserInstanceBase(), root / "cache/torvane/");
  }

  std::string firstPath;
  {
    places::TInstanceFolder first(root / "bin", /*shareable=*/false);
    places::TInstanceFolder second(root / "bin", /*shareable=*/false);
    EXPECT_TRUE(first.IsPrivate());
    EXPECT_NE(first.Path(), second.Path());
    EXPECT_EQ(fileutil::FolderOf(first.Path().substr(0, first.Path().size() - 1)),
              root / "runtime/torvane/");
    Touch(fs::path(first.Path()) / "preview/slider0.jpg");
    firstPath = first.Path();
  }
  // Removed with everything in it; the shared base folder stays.
  EXPECT_FALSE(fs::exists(firstPath));
  EXPECT_TRUE(fs::is_directory(root.Path() / "runtime/torvane"));
  EXPECT_TRUE(fs::is_empty(root.Path() / "runtime/torvane"));

  // Folders left by programs that no longer run (on this machine) go when the next one starts;
  // those of running programs, of other machines and of anything else stay.
  const std::string name = fs::path(firstPath).parent_path().filename().string();
  const std::string pid = std::to_string(getpid());
  const size_t at = name.find("-" + pid + "-");
  ASSERT_NE(at, std::string::npos) << name;
  const std::string host = name.substr(0, at + 1);  // "instance-HOST-"
  const fs::path base = root.Path() / "runtime/torvane";
  for (const std::string& left :
       {host + "2147483646-abc123", host + "1-abc123",
        std::string("instance-elsewhere-2147483646-abc123"), std::string("notes")}) {
    Touch(base / left / "preview/slider0.jpg");
  }
  {
    places::TInstanceFolder next(root / "bin", /*shareable=*/false);
    EXPECT_FALSE(fs::exists(base / (host + "2147483646-abc123")));
    EXPECT_TRUE(fs::exists(base / (host + "1-abc123/preview/slider0.jpg")));
    EXPECT_TRUE(fs::exists(base / "instance-elsewhere-2147483646-abc123"));
    EXPECT_TRUE(fs::exists(base / "notes"));
  }
  // The publisher's work folders go the same way when its next run makes one.
  const std::string cliLeft =
      "torvane-cli-" + host.substr(std::string("instance-").size()) + "2147483646-abc123";
  Touch(base / cliLeft / "preview/slider0.jpg");
  const std::string made = places::MakeProcessFolder(base.string(), "torvane-cli");
  EXPECT_FALSE(fs::exists(base / cliLeft));
  EXPECT_EQ(fs::status(made).permissions() & fs::perms::all, fs::perms::owner_all);
}

TEST(Places, TheLastFallbackChangesTheModeOfNoFolderItDidNotMake) {
  // No runtime folder and a cache folder that cannot be made: the work folder goes into the
  // temporary folder, as a private folder of its own; the temporary folder keeps its mode.
  TTempDir root;
  Touch(root.Path() / "file");
  fs::create_directories(root.Path() / "tmp");
  fs::permissions(root.Path() / "tmp", fs::perms::all | fs::perms::sticky_bit);
  TEnvVar runtime("XDG_RUNTIME_DIR", std::nullopt);
  TEnvVar cache("XDG_CACHE_HOME", root / "file/cache");
  TEnvVar tmp("TMPDIR", root / "tmp");
  places::TInstanceFolder folder(root / "bin", /*shareable=*/false);
  EXPECT_EQ(fileutil::FolderOf(folder.Path().substr(0, folder.Path().size() - 1)), root / "tmp/");
  EXPECT_EQ(fs::status(root.Path() / "tmp").permissions(), fs::perms::all | fs::perms::sticky_bit);
  EXPECT_EQ(fs::status(folder.Path()).permissions() & fs::perms::all, fs::perms::owner_all);
  // A TMPDIR that names no folder: the system's /tmp, not a bare library error.
  TEnvVar gone("TMPDIR", root / "file/tmp");
  places::TInstanceFolder fallback(root / "bin", /*shareable=*/false);
  EXPECT_EQ(fallback.Path().rfind("/tmp/", 0), 0u) << fallback.Path();
}

TEST(Places, OnlyOneRunningProgramKeepsTheWritableProgramFolder) {
  TTempDir root;
  fs::create_directories(root.Path() / "runtime");
  fs::create_directories(root.Path() / "bin");
  TEnvVar runtime("XDG_RUNTIME_DIR", root / "runtime");
  {
    places::TInstanceFolder first(root / "bin", /*shareable=*/true);
    EXPECT_FALSE(first.IsPrivate());
    EXPECT_EQ(first.Path(), root / "bin/");
    {
      // A second one meanwhile gets a folder of its own, and its end leaves the first's alone.
      places::TInstanceFolder second(root / "bin", /*shareable=*/true);
      EXPECT_TRUE(second.IsPrivate());
      EXPECT_NE(second.Path(), first.Path());
    }
    EXPECT_TRUE(fs::is_directory(root.Path() / "bin"));
    // Publishing into the held folder (a project saved beside the program) is not kept waiting.
    auto publishLock =
        std::async(std::launch::async, [&] { fileutil::TFolderLock lock(root / "bin"); });
    EXPECT_EQ(publishLock.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  }
  // The program folder is never removed, and is free again. A preview left in it by a program
  // that was killed is emptied by the next one that takes the folder.
  EXPECT_TRUE(fs::is_directory(root.Path() / "bin"));
  Touch(root.Path() / "bin/preview/slider0.jpg");
  Touch(root.Path() / "bin/preview/sub/torvanecfg.js");
  places::TInstanceFolder again(root / "bin", /*shareable=*/true);
  EXPECT_FALSE(again.IsPrivate());
  EXPECT_TRUE(fs::is_empty(root.Path() / "bin/preview"));
}

// A process stuck where no request to stop reaches it (opening a pipe that nobody writes) still
// ends once the exit watch is armed, with its status and without its folders; work past its
// point of no return (`holding`) puts the end off.
TEST(ExitWatch, EndsAStuckProcessAndRemovesItsFolders) {
  using namespace std::chrono;
  for (const int holdMs : {0, 600}) {
    TTempDir dir;
    const std::string folder = dir / "work", pipe = dir / "pipe";
    fs::create_directories(folder + "/inside");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const auto start = steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
      exitwatch::Arm({143, 200, 60000, {folder}, [=] {
                        return steady_clock::now() - start < milliseconds(holdMs);
                      }});
      ::open(pipe.c_str(), O_RDONLY);
      std::_Exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    const auto elapsed = duration_cast<milliseconds>(steady_clock::now() - start).count();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 143) << status;
    EXPECT_TRUE(elapsed >= std::max(200, holdMs) && elapsed < std::max(200, holdMs) + 1500);
    EXPECT_FALSE(fs::exists(folder));
  }
}
