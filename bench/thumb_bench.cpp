// Benchmark of the tree's thumbnails: COUNT photos (hard links to the photos of a folder, so each
// has a path of its own) asked for at once, as a drop of that many photos does, first with an
// empty thumbnail cache (cold), then again by a new provider with the cache filled (warm). Prints
// the time until every thumbnail is there and the longest time the event loop did not answer (a
// 1 ms timer's longest gap). With --memory N it then asks for N small pictures' thumbnails and
// prints what the provider holds in memory and how much the process grew. With --window BIN_DIR
// (a folder holding the program's files, such as the build's bin/) the same photos are then
// dropped into the real window with an empty cache, and all of them selected, so that the picture
// pane shows every thumbnail side by side: the time until all are shown and the event loop's
// longest gap meanwhile.
//   usage: thumb_bench PHOTO_FOLDER [--count 150] [--box 40] [--memory 20000] [--window BIN_DIR]
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <cstdio>

#include "Document.h"
#include "MainForm.h"
#include "ThumbnailProvider.h"
#include "images/Thumbnail.h"

namespace {

// CPU time of the whole process so far (every thread), in milliseconds.
qint64 CpuMs() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000LL +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
}

struct TRun {
  qint64 ms = 0;
  qint64 cpuMs = 0;
  qint64 longestGapMs = 0;
  int failed = 0;
  qint64 askMs = 0;  // asking for all of them, before any arrived
};

// Measures a run from its construction: wall and CPU time, and the longest gap between the ticks
// of a 1 ms timer (the time the event loop did not answer).
class TMeter {
 public:
  explicit TMeter(TRun& run) : run_(run), cpuBefore_(CpuMs()) {
    ticker_.setTimerType(Qt::PreciseTimer);
    ticker_.setInterval(1);
    QObject::connect(&ticker_, &QTimer::timeout, [this] {
      run_.longestGapMs = std::max(run_.longestGapMs, sinceTick_.restart());
    });
    clock.start();
    sinceTick_.start();
    ticker_.start();
  }
  void Finish() {
    run_.ms = clock.elapsed();
    run_.cpuMs = CpuMs() - cpuBefore_;
    run_.longestGapMs = std::max(run_.longestGapMs, sinceTick_.elapsed());
  }
  QElapsedTimer clock;

 private:
  TRun& run_;
  qint64 cpuBefore_;
  QElapsedTimer sinceTick_;
  QTimer ticker_;
};

// Asks for every thumbnail at once and runs the event loop until all are there.
TRun AskForAll(TThumbnailProvider& provider, const QStringList& paths, int box) {
  TRun run;
  int left = static_cast<int>(paths.size());
  QEventLoop loop;
  auto done = [&] {
    if (--left == 0) loop.quit();
  };
  auto c1 = QObject::connect(&provider, &TThumbnailProvider::thumbnailReady, done);
  auto c2 = QObject::connect(&provider, &TThumbnailProvider::thumbnailFailed, [&] {
    ++run.failed;
    done();
  });
  TMeter meter(run);
  for (const QString& path : paths) {
    if (!provider.Thumbnail(path, box).isNull()) done();
  }
  run.askMs = meter.clock.elapsed();
  if (left > 0) loop.exec();
  meter.Finish();
  QObject::disconnect(c1);
  QObject::disconnect(c2);
  return run;
}

QStringList Links(const QStringList& sources, int count, const QString& folder) {
  QDir().mkpath(folder);
  QStringList paths;
  for (int i = 0; i < count; ++i) {
    const QString source = sources[i % sources.size()];
    const QString path =
        folder + QString("/%1-%2").arg(i, 5, 10, QChar('0')).arg(QFileInfo(source).fileName());
    if (::link(QFile::encodeName(source).constData(), QFile::encodeName(path).constData()) != 0)
      QFile::copy(source, path);
    paths << path;
  }
  return paths;
}

long RssKb() {
  QFile status("/proc/self/status");
  if (!status.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ')[0].toLong();
  }
  return 0;
}

// The window with the photos dropped and all selected; runs until the pane shows every one.
TRun ShowInWindow(const QString& binDir, const QStringList& paths) {
  TMainForm form(binDir);
  form.show();
  TRun run;
  TMeter meter(run);
  form.document().addPictures(paths);
  form.findChild<QTreeView*>("trvwDesignPanel")->selectAll();
  auto* pane = form.findChild<QListWidget*>("lstPictures");
  auto allShown = [&] {
    if (pane->count() < paths.size()) return false;
    for (int i = 0; i < pane->count(); ++i)
      if (pane->item(i)->icon().isNull()) return false;
    return true;
  };
  while (!allShown() && meter.clock.elapsed() < 60000)
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
  meter.Finish();
  run.failed = allShown() ? 0 : 1;
  return run;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() < 2) {
    std::fprintf(stderr, "usage: thumb_bench PHOTO_FOLDER [--count N] [--box PX] [--memory N]\n");
    return 2;
  }
  auto option = [&](const char* name, int fallback) {
    const qsizetype at = args.indexOf(name);
    return at > 0 && at + 1 < args.size() ? args[at + 1].toInt() : fallback;
  };
  const int count = option("--count", 150);
  const int box = option("--box", 40);
  const int memoryItems = option("--memory", 0);
  const qsizetype windowAt = args.indexOf("--window");
  const QString binDir =
      windowAt > 0 && windowAt + 1 < args.size() ? args[windowAt + 1] : QString();
  QStringList photos;
  for (const QFileInfo& info : QDir(args[1]).entryInfoList({"*.jpg", "*.jpeg", "*.JPG"}))
    photos << info.absoluteFilePath();
  if (photos.isEmpty()) {
    std::fprintf(stderr, "no JPEG photos in %s\n", qPrintable(args[1]));
    return 1;
  }
  QTemporaryDir scratch;
  qputenv("XDG_CACHE_HOME", QFile::encodeName(scratch.path() + "/cache"));
  const QStringList paths = Links(photos, count, scratch.path() + "/photos");

  double load[1] = {0};
  getloadavg(load, 1);
  std::printf("%d photos (%lld distinct), box %d px, %d workers, load average %.1f\n", count,
              static_cast<long long>(photos.size()), box, QThread::idealThreadCount(), load[0]);
  {
    TThumbnailProvider cold;
    const TRun run = AskForAll(cold, paths, box);
    std::printf("cold: %lld ms (%lld ms CPU), longest event-loop gap %lld ms, %d failed\n", run.ms,
                run.cpuMs, run.longestGapMs, run.failed);
  }
  {
    TThumbnailProvider warm;
    const TRun run = AskForAll(warm, paths, box);
    std::printf("warm: %lld ms (%lld ms CPU), longest event-loop gap %lld ms, %d failed\n", run.ms,
                run.cpuMs, run.longestGapMs, run.failed);
  }
  if (!binDir.isEmpty()) {
    qputenv("XDG_CACHE_HOME", QFile::encodeName(scratch.path() + "/window-cache"));
    const TRun run = ShowInWindow(binDir, paths);
    std::printf(
        "window: %lld ms (%lld ms CPU) until the pane showed all %lld, longest event-loop "
        "gap %lld ms%s\n",
        run.ms, run.cpuMs, static_cast<long long>(paths.size()), run.longestGapMs,
        run.failed ? ", NOT ALL SHOWN" : "");
  }
  if (memoryItems > 0) {
    // Small pictures, so that the run takes seconds: what is held does not depend on their size.
    const TThumbnail small = MakeThumbnail(photos[0].toStdString(), 320);
    QImage picture(small.rgb.data(), small.width, small.height, small.width * 3,
                   QImage::Format_RGB888);
    const QString smallPath = scratch.path() + "/small.jpg";
    picture.save(smallPath, "JPEG", 90);
    const QStringList many = Links({smallPath}, memoryItems, scratch.path() + "/many");
    const long before = RssKb();
    TThumbnailProvider provider;
    const TRun run = AskForAll(provider, many, box);
    std::printf(
        "%d items: %lld ms, held %d thumbnails in %.1f MB (limit %.0f MB), process grew "
        "%.1f MB, longest gap %lld ms (asking for all took %lld ms)\n",
        memoryItems, run.ms, provider.Held(), provider.MemoryUsed() / 1048576.0,
        TThumbnailProvider::kDefaultMemoryLimit / 1048576.0, (RssKb() - before) / 1024.0,
        run.longestGapMs, run.askMs);
  }
  return 0;
}
