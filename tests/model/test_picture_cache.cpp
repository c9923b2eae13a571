// The cache of scaled pictures: a hit gives the very bytes of a fresh scale, every part of the key
// that shapes a picture misses when it changes, damaged entries are dropped and made again, the
// folder stays within its limit, programs sharing it leave only sound entries, and --no-cache
// leaves it alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>

#include <unistd.h>

#include "FileUtil.h"
#include "MemoryTree.h"
#include "ProjectModel.h"
#include "TestUtil.h"
#include "images/ImageScaler.h"
#include "images/PictureCache.h"
#include "test_generator_util.h"
#include "test_images_util.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

const std::string kCli = std::string(TORVANE_BIN_DIR) + "/torvane-cli";

// Pictures written just now are not cached (a second change could keep the time stamp), so the
// tests date their pictures back, as pictures that have lain on the disk for a while are.
void DateBack(const std::string& path, std::chrono::minutes by = 60min) {
  fs::last_write_time(path, fs::file_time_type::clock::now() - by);
}

std::string Bytes(const std::vector<unsigned char>& jpeg) {
  return std::string(jpeg.begin(), jpeg.end());
}

std::string Jpeg(int width, int height, int seed) {
  return Bytes(imagetest::EncodePicture(imagetest::Noise(width, height, seed)));
}

TSourceStamp StampOf(const std::string& path) {
  const std::optional<TSourceStamp> stamp = SourceStampOf(path);
  EXPECT_TRUE(stamp.has_value()) << path;
  return stamp.value_or(TSourceStamp{});
}

std::vector<std::string> EntriesIn(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string PublishedFiles(const std::string& folder) {
  std::string all;
  for (const std::string& name : EntriesIn(folder)) {
    all += name + "\n" + ReadAll(folder + "/" + name) + "\n";
  }
  return all;
}

// A design of three pictures (the last one twice), dated back.
struct TThreePictures {
  TTempDir dir;
  TProjectModel model{dir.Folder()};
  TMemoryTree tree;

  TThreePictures() {
    StorePanelDefaults(model);
    model.Slider.height = "24";
    model.PictureCacheFolder = dir / "cache";
    const int sizes[3][2] = {{64, 48}, {40, 60}, {90, 30}};
    for (int i = 0; i < 4; ++i) {
      const std::string picture = dir / ("p" + std::to_string(std::min(i, 2)) + ".jpg");
      if (i < 3) {
        WriteTestJpeg(picture, sizes[i][0], sizes[i][1], i);
        DateBack(picture);
      }
      TItemData item = TestItem("");
      item.originalPath = picture;
      item.level = "0";
      model.Items.push_back(item);
    }
    model.RebuildItemNodes(tree);
  }
  std::string Publish(TProjectModel& m, const std::string& name, TRecordingProgress* progress) {
    const std::string to = dir / name;
    fs::create_directories(to);
    TProjectModel run(dir.Folder(), progress);
    run.Slider = m.Slider;
    run.Items = m.Items;
    run.PictureCacheEnabled = m.PictureCacheEnabled;
    run.PictureCacheFolder = m.PictureCacheFolder;
    run.PublishProject(to, "show.tvn", tree);
    run.ClearPreview();
    m.Items = run.Items;
    return to;
  }
};

}  // namespace

TEST(PictureCache, AHitPublishesTheSameFilesSizesAndProgressAsAFreshScale) {
  TThreePictures d;
  TRecordingProgress coldProgress, warmProgress, plainProgress;
  const std::string cold = d.Publish(d.model, "cold", &coldProgress);
  const TItemArray coldItems = d.model.Items;
  EXPECT_EQ(EntriesIn(d.dir / "cache").size(), 3u);  // one per source, the shared one once
  const std::string warm = d.Publish(d.model, "warm", &warmProgress);
  TProjectModel plain(d.dir.Folder());
  plain.Slider = d.model.Slider;
  plain.Items = d.model.Items;
  plain.PictureCacheEnabled = false;
  const std::string fresh = d.Publish(plain, "fresh", &plainProgress);

  EXPECT_EQ(PublishedFiles(warm), PublishedFiles(cold));
  EXPECT_EQ(PublishedFiles(fresh), PublishedFiles(cold));
  EXPECT_EQ(d.model.Items, coldItems);
  EXPECT_EQ(plain.Items, coldItems);
  EXPECT_EQ(coldItems[1].width, "16");
  // The progress bar advances once per picture, whether the picture comes from the cache or not.
  EXPECT_EQ(warmProgress.steps, coldProgress.steps);
  EXPECT_EQ(plainProgress.steps, coldProgress.steps);
  ASSERT_GE(coldProgress.steps.size(), 3u);  // the pictures come first, one step each
  EXPECT_EQ(std::vector<int>(coldProgress.steps.begin(), coldProgress.steps.begin() + 3),
            (std::vector<int>{1, 1, 1}));

  // The entries are what the publish used: one planted in the cache shows in the next publish.
  TPictureCache cache(d.dir / "cache");
  const TSourceStamp first = StampOf(d.dir / "p0.jpg");
  const std::optional<TScaledImage> hit = cache.Find(first, 24);
  ASSERT_TRUE(hit.has_value());
  EXPECT_EQ(Bytes(hit->jpeg), ReadAll(cold + "/slider0.jpg"));
  TScaledImage planted = ScaleJpegFile(d.dir / "p1.jpg", 24);
  cache.Store(first, 24, planted);
  const std::string fromPlanted = d.Publish(d.model, "planted", nullptr);
  EXPECT_EQ(ReadAll(fromPlanted + "/slider0.jpg"), Bytes(planted.jpeg));
  EXPECT_EQ(d.model.Items[0].width, std::to_string(planted.width));
}

TEST(PictureCache, EveryPartOfTheKeyMissesWhenItChanges) {
  TTempDir dir;
  TPictureCache cache(dir / "cache");
  const std::string source = dir / "photo.jpg";
  // Two different pictures of the same file size: the shorter one is padded after its end
  // marker, where decoders do not look.
  std::string first = Jpeg(80, 60, 1), second = Jpeg(80, 60, 2);
  if (first.size() < second.size()) std::swap(first, second);
  second.resize(first.size(), '\0');
  WriteAll(source, first);
  DateBack(source);
  const std::string firstScaled = Bytes(ScaleJpegFile(source, 20).jpeg);

  EXPECT_EQ(Bytes(ScaleJpegFileCached(source, 20, &cache).jpeg), firstScaled);
  EXPECT_EQ(Bytes(ScaleJpegFileCached(source, 20, &cache).jpeg), firstScaled);
  EXPECT_EQ(cache.Counts().misses, 1);
  EXPECT_EQ(cache.Counts().hits, 1);
  EXPECT_EQ(cache.Counts().stored, 1);

  // New content of the same size, written in place, with the old modification time put back:
  // only the status change time tells.
  const fs::file_time_type modified = fs::last_write_time(source);
  WriteAll(source, second);
  fs::last_write_time(source, modified);
  const std::string secondScaled = Bytes(ScaleJpegFile(source, 20).jpeg);
  ASSERT_NE(secondScaled, firstScaled);
  EXPECT_EQ(Bytes(ScaleJpegFileCached(source, 20, &cache).jpeg), secondScaled);
  EXPECT_EQ(cache.Counts().misses, 2);

  // The same file with another modification time.
  fs::last_write_time(source, modified - 5min);
  EXPECT_EQ(Bytes(ScaleJpegFileCached(source, 20, &cache).jpeg), secondScaled);
  EXPECT_EQ(cache.Counts().misses, 3);
  EXPECT_EQ(Bytes(ScaleJpegFileCached(source, 20, &cache).jpeg), secondScaled);
  EXPECT_EQ(cache.Counts().hits, 2);

  // Another file put in its place (a new inode) with the same size and times.
  WriteAll(dir / "other.jpg", second);
  fs::last_write_time(dir / "other.jpg", modified - 5min);
  fs::rename(dir / "other.jpg", source);
  EXPECT_EQ(Bytes(ScaleJpegFileCached(source, 20, &cache).jpeg), secondScaled);
  EXPECT_EQ(cache.Counts().misses, 4);

  // Another height, and another pipeline version, each on their own.
  const TScaledImage taller = ScaleJpegFileCached(source, 30, &cache);
  EXPECT_EQ(taller.height, 30);
  EXPECT_EQ(cache.Counts().misses, 5);
  TPictureCache newer(dir / "cache", kDefaultPictureCacheLimit, PicturePipelineVersion() + "+1");
  EXPECT_FALSE(newer.Find(StampOf(source), 20).has_value());
  EXPECT_TRUE(cache.Find(StampOf(source), 20).has_value());
  EXPECT_NE(newer.EntryPath(StampOf(source).canonicalPath, 20),
            cache.EntryPath(StampOf(source).canonicalPath, 20));

  // A picture changed just now is scaled but not kept: a change within the same time step
  // could not be told apart.
  const int stored = cache.Counts().stored;
  WriteAll(source, first);
  EXPECT_EQ(Bytes(ScaleJpegFileCached(source, 20, &cache).jpeg), firstScaled);
  EXPECT_EQ(cache.Counts().stored, stored);
  // The key names the file itself: another path to it (a link) finds the same entry.
  DateBack(source);
  ScaleJpegFileCached(source, 20, &cache);
  fs::create_symlink(source, dir / "link.jpg");
  const int hits = cache.Counts().hits;
  EXPECT_EQ(Bytes(ScaleJpegFileCached(dir / "link.jpg", 20, &cache).jpeg), firstScaled);
  EXPECT_EQ(cache.Counts().hits, hits + 1);
}

// A cache folder and one photo in it, dated back.
struct TOnePhoto {
  TTempDir dir;
  TPictureCache cache{dir / "cache"};
  const std::string source = dir / "photo.jpg";
  TOnePhoto(int width, int height) {
    WriteAll(source, Jpeg(width, height, 3));
    DateBack(source);
  }
};

TEST(PictureCache, DamagedEntriesAreDroppedAndThePictureScaledAfresh) {
  TOnePhoto photo(70, 50);
  TTempDir& dir = photo.dir;
  TPictureCache& cache = photo.cache;
  const std::string& source = photo.source;
  const std::string fresh = Bytes(ScaleJpegFile(source, 25).jpeg);
  ScaleJpegFileCached(source, 25, &cache);
  const TSourceStamp stamp = StampOf(source);
  const std::string entry = cache.EntryPath(stamp.canonicalPath, 25);
  const std::string good = ReadAll(entry);
  ASSERT_GT(good.size(), fresh.size());

  const auto flipped = [&](size_t at) {
    std::string bytes = good;
    bytes[at] = static_cast<char>(bytes[at] ^ 0x10);
    return bytes;
  };
  struct TCase {
    const char* what;
    std::string bytes;
  };
  const std::vector<TCase> damages = {
      {"empty", ""},
      {"cut short", good.substr(0, good.size() - 100)},
      {"cut inside the header", good.substr(0, 20)},
      {"one byte more", good + "x"},
      {"a bit flipped in the picture", flipped(good.size() / 2 + 40)},
      {"a bit flipped in the width", flipped(12)},
      {"a bit flipped in the length", flipped(24)},
      {"something else", std::string(good.size(), 'z')},
  };
  int dropped = 0;
  for (const TCase& damage : damages) {
    WriteAll(entry, damage.bytes);
    EXPECT_FALSE(cache.Find(stamp, 25).has_value()) << damage.what;
    EXPECT_FALSE(fs::exists(entry)) << damage.what;
    EXPECT_EQ(cache.Counts().dropped, ++dropped) << damage.what;
    ++dropped;  // and once more below, on the way to scaling afresh
    WriteAll(entry, damage.bytes);
    EXPECT_EQ(Bytes(ScaleJpegFileCached(source, 25, &cache).jpeg), fresh) << damage.what;
    EXPECT_EQ(ReadAll(entry), good) << damage.what << ": the entry is made again";
  }

  // A cache folder that cannot be made costs the cache, not the picture.
  WriteAll(dir / "blocked", "a file where the folder should be");
  TPictureCache blocked(dir / "blocked");
  EXPECT_EQ(Bytes(ScaleJpegFileCached(source, 25, &blocked).jpeg), fresh);
  EXPECT_EQ(blocked.Counts().stored, 0);
  blocked.Trim();
}

TEST(PictureCache, TrimmingEvictsTheLeastRecentlyUsedEntriesDownToTheLimit) {
  TTempDir dir;
  const std::string folder = dir / "cache";
  WriteAll(dir / "photo.jpg", Jpeg(60, 40, 4));
  const TScaledImage picture = ScaleJpegFile(dir / "photo.jpg", 20);
  const auto now = fs::file_time_type::clock::now();
  std::vector<TSourceStamp> stamps(6);
  std::vector<std::string> entries;
  TPictureCache filler(folder);
  for (int i = 0; i < 6; ++i) {
    stamps[i].canonicalPath = "/photos/" + std::to_string(i) + ".jpg";
    filler.Store(stamps[i], 20, picture);
    entries.push_back(filler.EntryPath(stamps[i].canonicalPath, 20));
    fs::last_write_time(entries[i], now - std::chrono::minutes(10 - i));  // 0 is the oldest
  }
  const unsigned long long entrySize = fs::file_size(entries[0]);
  ASSERT_TRUE(filler.Find(stamps[0], 20).has_value());  // and now the most recently used
  WriteAll(folder + "/~0123.tvpic.abcdef.tmp", "left by a program that stopped");
  DateBack(folder + "/~0123.tvpic.abcdef.tmp");
  WriteAll(folder + "/~4567.tvpic.abcdef.tmp", "being written right now");
  WriteAll(folder + "/notes.txt", "not an entry");

  TPictureCache trimmer(folder, 3 * entrySize + entrySize / 2);
  trimmer.Trim();  // it added nothing: the folder is left as it is
  EXPECT_EQ(EntriesIn(folder).size(), 9u);
  trimmer.Store(stamps[5], 20, picture);
  trimmer.Trim();
  EXPECT_EQ(trimmer.Counts().evicted, 3);
  unsigned long long total = 0;
  for (int i = 0; i < 6; ++i) {
    const bool kept = i == 0 || i == 4 || i == 5;
    EXPECT_EQ(fs::exists(entries[i]), kept) << i;
    if (kept) total += fs::file_size(entries[i]);
  }
  EXPECT_LE(total, trimmer.Limit());
  EXPECT_FALSE(fs::exists(folder + "/~0123.tvpic.abcdef.tmp"));
  EXPECT_TRUE(fs::exists(folder + "/~4567.tvpic.abcdef.tmp"));
  EXPECT_TRUE(fs::exists(folder + "/notes.txt"));
  EXPECT_EQ(trimmer.Find(stamps[0], 20)->jpeg, picture.jpeg);
}

namespace {

// A project of pictures for the command-line publisher, with a cache home of its own.
struct TCliProject {
  TTempDir dir;
  std::string project = dir / "show.tvn";
  std::string cacheHome = dir / "cachehome";
  std::string entries = cacheHome + "/torvane/pictures/";
  std::vector<std::string> pictures;

  explicit TCliProject(int count) {
    TProjectModel model(dir.Folder());
    StorePanelDefaults(model);
    model.Slider.height = "30";
    for (int i = 0; i < count; ++i) {
      pictures.push_back(dir / ("p" + std::to_string(i) + ".jpg"));
      WriteTestJpeg(pictures.back(), 120 + 8 * i, 90, i);
      DateBack(pictures.back());
      TItemData item = TestItem("");
      item.originalPath = pictures.back();
      item.level = "0";
      model.Items.push_back(item);
    }
    model.SaveProject(project);
  }
  std::string Command(const std::string& to, const std::string& options = "") const {
    return "XDG_CACHE_HOME=" + ShellQuote(cacheHome) + " " + ShellQuote(kCli) + " publish " +
           ShellQuote(project) + " --to " + ShellQuote(dir / to) + options + " >/dev/null";
  }
  TRunResult Run(const std::string& commandLine) {
    return RunCommand(commandLine, dir.Path().string());
  }
};

}  // namespace

TEST(PictureCache, TwoProgramsFillingOneCacheAtOnceLeaveOnlySoundEntries) {
  TCliProject p(8);
  for (int round = 0; round < 2; ++round) {
    fs::remove_all(p.cacheHome);
    const std::string a = "a" + std::to_string(round), b = "b" + std::to_string(round);
    const TRunResult run = p.Run(p.Command(a) + " & first=$!; " + p.Command(b) +
                                 "; second=$?; wait $first && test $second = 0");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(PublishedFiles(p.dir / a), PublishedFiles(p.dir / b));
    EXPECT_EQ(EntriesIn(p.entries).size(), 8u);  // one per picture, no temporary file left
    TPictureCache cache(p.entries);
    for (size_t i = 0; i < p.pictures.size(); ++i) {
      const std::optional<TScaledImage> hit = cache.Find(StampOf(p.pictures[i]), 30);
      ASSERT_TRUE(hit.has_value()) << i;
      EXPECT_EQ(Bytes(hit->jpeg), ReadAll(p.dir / a + "/slider" + std::to_string(i) + ".jpg"));
    }
    EXPECT_EQ(cache.Counts().dropped, 0);
  }
}

TEST(PictureCache, NoCacheNeitherReadsNorWritesTheCacheFolder) {
  TCliProject p(3);
  TRunResult run = p.Run(p.Command("plain", " --no-cache"));
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_FALSE(fs::exists(p.cacheHome));

  run = p.Run(p.Command("cached"));
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(EntriesIn(p.entries).size(), 3u);
  EXPECT_EQ(PublishedFiles(p.dir / "cached"), PublishedFiles(p.dir / "plain"));
  for (const std::string& made : {p.cacheHome, p.cacheHome + "/torvane", p.entries}) {
    EXPECT_EQ(fs::status(made).permissions() & fs::perms::all, fs::perms::owner_all) << made;
  }

  // An entry planted for the first picture: --no-cache does not see it and leaves it alone.
  TPictureCache cache(p.entries);
  const TScaledImage planted = ScaleJpegFile(p.pictures[1], 30);
  cache.Store(StampOf(p.pictures[0]), 30, planted);
  std::vector<std::pair<std::string, fs::file_time_type>> before;
  for (const std::string& name : EntriesIn(p.entries)) {
    before.emplace_back(ReadAll(p.entries + name), fs::last_write_time(p.entries + name));
  }
  run = p.Run(p.Command("again", " --no-cache"));
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(ReadAll(p.dir / "again/slider0.jpg"), ReadAll(p.dir / "plain/slider0.jpg"));
  std::vector<std::pair<std::string, fs::file_time_type>> after;
  for (const std::string& name : EntriesIn(p.entries)) {
    after.emplace_back(ReadAll(p.entries + name), fs::last_write_time(p.entries + name));
  }
  EXPECT_EQ(after, before);
  run = p.Run(p.Command("planted"));
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(ReadAll(p.dir / "planted/slider0.jpg"), Bytes(planted.jpeg));
}

TEST(PictureCache, TheUsersCacheFolderFollowsXdgCacheHome) {
  const auto saved = [](const char* name) {
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
  };
  const std::optional<std::string> xdg = saved("XDG_CACHE_HOME"), home = saved("HOME");
  setenv("XDG_CACHE_HOME", "/somewhere/cache", 1);
  EXPECT_EQ(TPictureCache::DefaultFolder(), "/somewhere/cache/torvane/pictures/");
  setenv("HOME", "/home/someone", 1);
  setenv("XDG_CACHE_HOME", "relative/cache", 1);  // not absolute: to be ignored
  EXPECT_EQ(TPictureCache::DefaultFolder(), "/home/someone/.cache/torvane/pictures/");
  unsetenv("XDG_CACHE_HOME");
  EXPECT_EQ(TPictureCache::DefaultFolder(), "/home/someone/.cache/torvane/pictures/");
  unsetenv("HOME");
  EXPECT_EQ(TPictureCache::DefaultFolder(), "");
  // Without a cache folder a publish simply scales every picture.
  TThreePictures d;
  d.model.PictureCacheFolder.clear();
  d.Publish(d.model, "nowhere", nullptr);
  EXPECT_EQ(d.model.Items[0].imageFile, "slider0.jpg");
  for (const auto& [name, value] : {std::pair{"XDG_CACHE_HOME", xdg}, std::pair{"HOME", home}}) {
    if (value) setenv(name, value->c_str(), 1);
  }
}

TEST(PictureCache, TrustsNoFolderOthersMayWriteNorLinksNorOversizedEntries) {
  TTempDir dir;
  const std::string source = dir / "photo.jpg";
  WriteAll(source, Jpeg(70, 50, 3));
  DateBack(source);
  const TSourceStamp stamp = StampOf(source);
  const std::string fresh = Bytes(ScaleJpegFile(source, 25).jpeg);
  const TScaledImage forged = ScaleJpegData(Jpeg(70, 50, 9), "forged.jpg", 25);

  // Entries planted in a folder that others may write to, or that belongs to someone else, pass
  // the checksum but are never used; nothing is written there either; stderr says so once.
  struct TFolderCase {
    const char* what;
    fs::perms perms;
    bool otherOwner;
  };
  for (const TFolderCase& c :
       {TFolderCase{"0777", fs::perms::all, false},
        TFolderCase{"0770", fs::perms::owner_all | fs::perms::group_all, false},
        TFolderCase{"another user's", fs::perms::owner_all, true}}) {
    if (c.otherOwner && geteuid() != 0) continue;  // only root can give a folder away
    const std::string folder = dir / (std::string("planted ") + c.what);
    TPictureCache(folder).Store(stamp, 25, forged);
    fs::permissions(folder, c.perms);
    if (c.otherOwner) {
      ASSERT_EQ(chown(folder.c_str(), 65534, 65534), 0);
    }
    const std::string entry = ReadAll(TPictureCache(folder).EntryPath(stamp.canonicalPath, 25));
    testing::internal::CaptureStderr();
    TPictureCache cache(folder);
    EXPECT_EQ(Bytes(ScaleJpegFileCached(source, 25, &cache).jpeg), fresh) << c.what;
    EXPECT_EQ(Bytes(ScaleJpegFileCached(source, 25, &cache).jpeg), fresh) << c.what;
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(cache.Counts().hits + cache.Counts().stored, 0) << c.what;
    EXPECT_EQ(ReadAll(cache.EntryPath(stamp.canonicalPath, 25)), entry) << c.what;
    EXPECT_NE(said.find("the picture cache folder " + folder + "/ is not used"), std::string::npos)
        << said;
    EXPECT_EQ(said.find("not used", said.find("not used") + 1), std::string::npos) << said;
  }

  // In a private folder: a link under an entry's name is replaced, never read or written
  // through; a file larger than any entry is never read.
  TPictureCache cache(dir / "cache");
  const std::string entry = cache.EntryPath(stamp.canonicalPath, 25);
  cache.Store(stamp, 25, forged);
  fs::rename(entry, dir / "elsewhere.tvpic");
  WriteAll(dir / "victim.txt", "victim");
  for (const std::string& target : {dir / "elsewhere.tvpic", dir / "victim.txt"}) {
    fs::create_symlink(target, entry);
    EXPECT_EQ(Bytes(ScaleJpegFileCached(source, 25, &cache).jpeg), fresh) << target;
    EXPECT_FALSE(fs::is_symlink(entry)) << target;
    fs::remove(entry);
  }
  EXPECT_EQ(ReadAll(dir / "victim.txt"), "victim");
  EXPECT_EQ(cache.Counts().hits, 0);
  WriteAll(entry, "x");
  fs::resize_file(entry, 1ULL << 30);  // sparse: no disk space is used
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Bytes(ScaleJpegFileCached(source, 25, &cache).jpeg), fresh);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 2s * kSanitizerSlowdown);
  EXPECT_LT(fs::file_size(entry), 1ULL << 20);
}

TEST(PictureCache, EachFormatIsAnEntryOfItsOwnThatHitsLikeTheJpeg) {
  TOnePhoto photo(80, 60);
  TPictureCache& cache = photo.cache;
  const std::string& source = photo.source;
  TScaleOptions all;
  all.formats = kWebpFormat | kAvifFormat;
  const TScaledImage fresh = ScaleJpegFile(source, 20, all);
  ASSERT_FALSE(fresh.webp.empty());
  ASSERT_FALSE(fresh.avif.empty());
  // Turning a format on adds its entry and keeps the others; a run that finds them all stores
  // nothing and gives the bytes of a fresh scale.
  const struct {
    unsigned formats;
    size_t entries;
    bool allHit;
  } steps[] = {{0, 1, false},
               {kWebpFormat, 2, false},
               {all.formats, 3, false},
               {all.formats, 3, true},
               {kAvifFormat, 3, true}};
  for (const auto& step : steps) {
    TScaleOptions options;
    options.formats = step.formats;
    const TPictureCache::TCounts before = cache.Counts();
    const TScaledImage picture = ScaleJpegFileCached(source, 20, &cache, options);
    EXPECT_EQ(EntriesIn(photo.dir / "cache").size(), step.entries) << step.formats;
    EXPECT_EQ(cache.Counts().stored == before.stored, step.allHit) << step.formats;
    EXPECT_EQ(Bytes(picture.jpeg), Bytes(fresh.jpeg));
    EXPECT_EQ(Bytes(picture.webp), (step.formats & kWebpFormat) ? Bytes(fresh.webp) : "");
    EXPECT_EQ(Bytes(picture.avif), (step.formats & kAvifFormat) ? Bytes(fresh.avif) : "");
  }
}
