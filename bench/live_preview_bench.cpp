// Benchmark of the live preview pane in the real window (run it on a display; bench/live-preview.sh
// runs it under xvfb-run): with one item per photo of a folder it times edit -> updated pane for a
// background colour, a speed and a height change (a new height finds nothing in the picture
// cache), the longest gaps of the window's event loop meanwhile, and the whole program's CPU use
// (with the page processes) while the strip moves, while paused, and while the window is
// minimised.
//
// The background colour edit is also timed on the pane's pixels: from the click until the new
// colour shows between the pictures.
//
// Usage: live_preview_bench PROGRAM_FOLDER PHOTO_FOLDER [RUNS=9]
//
// With --large it opens a project of ITEMS items instead (each a picture of its own: hard links
// to the photos, an empty picture cache) with the pane shown, and prints over the first 10 s: the
// time until the pane shows a moving strip, the longest gap of the window's event loop and the
// longest wait for the answer to a window manager's ping (ping_probe), the CPU time of the whole
// program with its page processes, and the memory of that process tree (sum of RSS and of PSS)
// before the open and at its highest.
//
//   live_preview_bench --large PROGRAM_FOLDER PHOTO_FOLDER ITEMS
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEngineView>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "BackgroundWork.h"
#include "ColorPanel.h"
#include "FileCommands.h"
#include "LivePreview.h"
#include "LiveWebPage.h"
#include "MainForm.h"
#include "MemoryTree.h"
#include "PingProbe.h"
#include "ProjectModel.h"
#include "Prompts.h"
#include "Settings.h"

namespace {

void Wait(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

// Gaps between ticks of a 5 ms timer: how long the event loop was kept from running.
class TGapMeter : public QObject {
 public:
  TGapMeter() {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(5);
    connect(&timer_, &QTimer::timeout, this, [this] { gaps_.push_back(clock_.restart()); });
  }
  void Start() {
    gaps_.clear();
    clock_.start();
    timer_.start();
  }
  std::vector<qint64> Stop() {
    timer_.stop();
    std::sort(gaps_.begin(), gaps_.end());
    return gaps_;
  }

 private:
  QTimer timer_;
  QElapsedTimer clock_;
  std::vector<qint64> gaps_;
};

// Runs the event loop until the pane shows its next page; false after timeoutMs.
// builtMs: from the change to the page made (before it loads).
bool NextPage(TLivePreviewPane& pane, int timeoutMs, qint64* builtMs = nullptr) {
  QEventLoop loop;
  bool shown = false;
  const auto connection =
      QObject::connect(&pane, &TLivePreviewPane::pageShown, &loop, [&](int, qint64 built) {
        shown = true;
        if (builtMs) *builtMs = built;
        loop.quit();
      });
  QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
  loop.exec();
  QObject::disconnect(connection);
  return shown;
}

// Runs the event loop until the pane's pixels show at least `least` pixels of `colour`; the
// milliseconds from `since`, or -1 after timeoutMs.
qint64 UntilColourShown(TLivePreviewPane& pane, const QColor& colour, const QElapsedTimer& since,
                        int timeoutMs, int least = 50) {
  while (since.elapsed() < timeoutMs) {
    if (QWebEngineView* view = pane.shownView()) {
      const QImage image = view->grab().toImage().convertToFormat(QImage::Format_RGB32);
      int count = 0;
      for (int y = 0; y < image.height() && count < least; y += 2) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width() && count < least; x += 2) {
          const QRgb p = line[x];
          if (std::abs(qRed(p) - colour.red()) + std::abs(qGreen(p) - colour.green()) +
                  std::abs(qBlue(p) - colour.blue()) <
              12)
            ++count;
        }
      }
      if (count >= least) return since.elapsed();
    }
    Wait(5);
  }
  return -1;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

// The processes whose parent is `pid`.
std::vector<pid_t> ChildrenOf(pid_t pid) {
  std::vector<pid_t> children;
  for (const QString& name : QDir("/proc").entryList(QDir::Dirs)) {
    std::ifstream stat("/proc/" + name.toStdString() + "/stat");
    std::string text;
    std::getline(stat, text);
    const auto close = text.rfind(')');
    int parent = 0;
    char state = 0;
    if (close != std::string::npos &&
        std::sscanf(text.c_str() + close + 1, " %c %d", &state, &parent) == 2 && parent == pid)
      children.push_back(name.toInt());
  }
  return children;
}

// CPU time in clock ticks of this process and every process below it (the web engine's).
long long TreeTicks(pid_t pid) {
  long long ticks = 0;
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string field;
  for (int k = 1; k <= 15 && stat >> field; ++k)
    if (k == 14 || k == 15) ticks += std::stoll(field);
  for (const pid_t child : ChildrenOf(pid)) ticks += TreeTicks(child);
  return ticks;
}

double CpuPercent(int ms) {
  const long long before = TreeTicks(::getpid());
  Wait(ms);
  return 100.0 * double(TreeTicks(::getpid()) - before) / double(sysconf(_SC_CLK_TCK)) /
         (ms / 1000.0);
}

// Memory of this process and every process below it, in MB: the sum of RSS and of PSS.
std::pair<double, double> TreeMemoryMb(pid_t pid) {
  double rss = 0, pss = 0;
  std::ifstream rollup("/proc/" + std::to_string(pid) + "/smaps_rollup");
  std::string key;
  long long kb = 0;
  while (rollup >> key) {
    if ((key == "Rss:" || key == "Pss:") && rollup >> kb)
      (key == "Rss:" ? rss : pss) += kb / 1024.0;
  }
  for (const pid_t child : ChildrenOf(pid)) {
    const auto [r, p] = TreeMemoryMb(child);
    rss += r;
    pss += p;
  }
  return {rss, pss};
}

// Whether two grabs of the pane show a strip that moves: they differ, and the second is not one
// colour (at least a fifth of its pixels differ from its top left one).
bool Moving(const QImage& before, const QImage& after) {
  if (before.isNull() || after.isNull() || before.size() != after.size()) return false;
  long long differ = 0, coloured = 0, pixels = 0;
  const QRgb corner = after.pixel(0, 0);
  for (int y = 0; y < after.height(); y += 2) {
    const auto* a = reinterpret_cast<const QRgb*>(before.constScanLine(y));
    const auto* b = reinterpret_cast<const QRgb*>(after.constScanLine(y));
    for (int x = 0; x < after.width(); x += 2, ++pixels) {
      differ += a[x] != b[x];
      coloured += b[x] != corner;
    }
  }
  return differ > pixels / 100 && coloured > pixels / 5;
}

// Opens the project in a new window with the pane shown and prints what the first 10 s cost.
void OpenLarge(const QString& program, const QString& project, int items, const char* what) {
  TMainForm form(program);
  TLivePreviewPane& pane = *form.livePreview();
  form.resize(1000, 760);
  form.show();
  NextPage(pane, 60000);  // the empty design's page: the web engine is up
  Wait(2000);
  const auto before = TreeMemoryMb(::getpid());
  TPingProbe ping(&form);
  QTimer tick;
  QElapsedTimer clock;
  qint64 last = 0, longest = 0;
  tick.setTimerType(Qt::PreciseTimer);
  tick.setInterval(5);
  QObject::connect(&tick, &QTimer::timeout, [&] {
    longest = std::max(longest, clock.elapsed() - last);
    last = clock.elapsed();
  });
  const long long ticks = TreeTicks(::getpid());
  clock.start();
  tick.start();
  ping.Start();
  form.files().openProjectFile(project);
  const qint64 opened = clock.elapsed();
  qint64 moving = -1;
  double peakRss = before.first, peakPss = before.second;
  QImage previous;
  int sample = 0;
  while (clock.elapsed() < 10000) {
    Wait(100);
    if (moving < 0) {
      if (QWebEngineView* view = pane.shownView()) {
        const QImage image = view->grab().toImage().convertToFormat(QImage::Format_RGB32);
        if (Moving(previous, image)) moving = clock.elapsed();
        previous = image;
      }
    }
    if (++sample % 5 == 0) {
      const auto [rss, pss] = TreeMemoryMb(::getpid());
      peakRss = std::max(peakRss, rss);
      peakPss = std::max(peakPss, pss);
    }
  }
  tick.stop();
  if (moving < 0 && pane.shownView()) {
    QEventLoop loop;
    QString state;
    pane.shownView()->page()->runJavaScript(
        "(function(){var i=document.querySelectorAll('img');var "
        "d=document.querySelector('[data-cycle]');"
        "return location.href+' imgs '+i.length+' loaded "
        "'+Array.from(i).filter(x=>x.complete&&x.naturalWidth).length+"
        "' first '+(i[0]?i[0].getAttribute('src'):'')+' cycle '+(d?d.dataset.cycle+' offset "
        "'+d.dataset.offset:'none');})()",
        [&](const QVariant& v) {
          state = v.toString();
          loop.quit();
        });
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
    std::printf("no moving strip: pane says \"%s\" %s; page: %s\n", qPrintable(pane.statusText()),
                qPrintable(pane.consoleErrors().join("; ").left(300)), qPrintable(state));
  }
  const int pingWait = ping.Longest();
  const double cpu = double(TreeTicks(::getpid()) - ticks) / double(sysconf(_SC_CLK_TCK));
  std::printf(
      "%d items, %s: open returned after %lld ms; moving strip after %s; longest event loop "
      "gap %lld ms, longest ping wait %d ms; CPU in 10 s %.1f s; memory (RSS/PSS sum) "
      "%.0f/%.0f MB before, %.0f/%.0f MB at most (+%.0f/+%.0f)\n",
      items, what, static_cast<long long>(opened),
      moving < 0 ? "(none in 10 s)" : (std::to_string(moving) + " ms").c_str(),
      static_cast<long long>(longest), pingWait, cpu, before.first, before.second, peakRss, peakPss,
      peakRss - before.first, peakPss - before.second);
}

int LargeDesign(const QString& program, const QString& photoFolder, int items) {
  QTemporaryDir scratch;
  qputenv("XDG_CACHE_HOME", QFile::encodeName(scratch.path() + "/cache"));  // a cold cache
  settings::UseFolder(scratch.path());
  settings::Write(settings::kShowLivePreview, true);
  prompt::StartTesting();
  QStringList photos;
  for (const QString& name : QDir(photoFolder).entryList({"*.jpg"}, QDir::Files, QDir::Name))
    photos << QDir(photoFolder).absoluteFilePath(name);
  if (photos.isEmpty()) return 2;
  TProjectModel model(program.toStdString());
  model.LoadDefaults();
  model.Slider.height = "120";
  const QString folder = scratch.path() + "/design";
  QDir().mkpath(folder + "/pictures");
  for (int i = 0; i < items; ++i) {
    TItemData item = DefaultItem();
    const QString link = folder + QString("/pictures/%1.jpg").arg(i);
    if (::link(QFile::encodeName(photos[i % photos.size()]).constData(),
               QFile::encodeName(link).constData()) != 0)
      QFile::copy(photos[i % photos.size()], link);
    item.originalPath = link.toStdString();
    model.Items.push_back(item);
  }
  const QString project = folder + "/large.tvn";
  model.SaveProject(project.toStdString());
  for (const bool warm : {false, true}) {
    if (warm) {  // every picture scaled into the cache first, as a save does
      TMemoryTree tree;
      model.RebuildItemNodes(tree);
      model.SetWorkFolder((scratch.path() + "/warm/").toStdString());
      QDir().mkpath(scratch.path() + "/warm/preview");
      model.MakeHTMLCodes(model.PreviewFolder() + "index.html", tree);
    }
    OpenLarge(program, project, items, warm ? "picture cache filled" : "empty picture cache");
  }
  prompt::StopTesting();
  return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s PROGRAM_FOLDER PHOTO_FOLDER [RUNS=9]\n", argv[0]);
    return 2;
  }
  webengine::Prepare();
  QApplication app(argc, argv);
  if (std::string(argv[1]) == "--large")
    return argc < 5 ? 2
                    : LargeDesign(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                                  std::max(1, atoi(argv[4])));
  const int runs = argc > 3 ? std::max(1, atoi(argv[3])) : 9;
  QTemporaryDir scratch;
  qputenv("XDG_CACHE_HOME", QFile::encodeName(scratch.path() + "/cache"));  // a cold cache
  settings::UseFolder(scratch.path());
  prompt::StartTesting();

  TMainForm form(QString::fromLocal8Bit(argv[1]));
  TLivePreviewPane& pane = *form.livePreview();
  QStringList photos;
  for (const QString& name : QDir(argv[2]).entryList({"*.jpg", "*.jpeg"}, QDir::Files, QDir::Name))
    photos << QDir(argv[2]).filePath(name);
  form.resize(1000, 760);
  // Room between the pictures where the background shows (the colour edit is timed on pixels).
  form.findChild<QSpinBox*>("spnedt_pGap")->setValue(30);
  form.show();
  QElapsedTimer first;
  first.start();
  form.document().addPictures(photos);
  if (!NextPage(pane, 600000)) {
    std::fprintf(stderr, "no page: %s\n", qPrintable(pane.statusText()));
    return 1;
  }
  std::printf("photos: %lld, first page (cold cache, web engine start): %lld ms\n",
              static_cast<long long>(photos.size()), static_cast<long long>(first.elapsed()));
  Wait(1000);

  auto* step = form.findChild<QSpinBox*>("spnedt_pStep");
  auto* height = form.findChild<QSpinBox*>("spedt_pHeight");
  auto* colour = form.findChild<TColorPanel*>("pnl_pBgColor");
  struct TEdit {
    const char* what;
    std::function<void(int)> apply;
  };
  const TEdit edits[] = {
      {"background colour",
       [&](int k) {
         prompt::QueueColor(QColor::fromHsv((k * 37) % 360, 200, 200));
         emit colour->clicked();
       }},
      {"speed (step)", [&](int k) { step->setValue(1 + k % 2); }},
      {"height (cold cache)", [&](int k) { height->setValue(121 + k); }},
  };
  // The same edits again with the pane hidden (nothing made): the event loop's gaps that are not
  // the pane's doing.
  // The background colour on the screen's pixels: from the click to the new colour drawn.
  {
    std::vector<double> times;
    for (int k = 1; k <= runs; ++k) {
      const QColor wanted = QColor::fromHsv((k * 53) % 360, 255, 230);
      prompt::QueueColor(wanted);
      QElapsedTimer clock;
      clock.start();
      emit colour->clicked();
      const qint64 ms = UntilColourShown(pane, wanted, clock, 20000);
      if (ms < 0) {
        std::fprintf(stderr, "background colour: not drawn (%s)\n", qPrintable(pane.statusText()));
        return 1;
      }
      times.push_back(double(ms));
      Wait(600);
    }
    std::printf(
        "edit -> pixels on screen, background colour: median %.0f ms (min %.0f, max %.0f, "
        "%d runs)\n",
        Median(times), *std::min_element(times.begin(), times.end()),
        *std::max_element(times.begin(), times.end()), runs);
    std::fflush(stdout);
  }

  TGapMeter gaps;
  for (const bool paneShown : {true, false}) {
    pane.setVisible(paneShown);
    Wait(500);
    gaps.Start();
    for (const TEdit& edit : edits) {
      std::vector<double> times, built;
      for (int k = 1; k <= runs; ++k) {
        qint64 madeMs = 0;
        QElapsedTimer clock;
        clock.start();
        edit.apply(k + (paneShown ? 0 : runs));
        if (!paneShown) {
          Wait(500);
          continue;
        }
        if (!NextPage(pane, 120000, &madeMs)) {
          std::fprintf(stderr, "%s: no page (%s)\n", edit.what, qPrintable(pane.statusText()));
          return 1;
        }
        times.push_back(double(clock.elapsed()));
        built.push_back(double(madeMs));
        Wait(400);
      }
      if (paneShown)
        std::printf(
            "edit -> updated pane, %-20s median %6.0f ms  (min %.0f, max %.0f, %d runs); "
            "page made after %.0f ms\n",
            edit.what, Median(times), *std::min_element(times.begin(), times.end()),
            *std::max_element(times.begin(), times.end()), runs, Median(built));
    }
    const std::vector<qint64> gap = gaps.Stop();
    if (!gap.empty())
      std::printf(
          "event loop gaps during the edits, pane %s: longest %lld ms, 99th percentile "
          "%lld ms, %lld over 50 ms of %lld\n",
          paneShown ? "shown " : "hidden", static_cast<long long>(gap.back()),
          static_cast<long long>(gap[gap.size() * 99 / 100]),
          static_cast<long long>(
              std::count_if(gap.begin(), gap.end(), [](qint64 g) { return g > 50; })),
          static_cast<long long>(gap.size()));
  }
  pane.setVisible(true);
  NextPage(pane, 120000);  // it catches up with the edits made while hidden
  Wait(2000);
  std::printf("CPU, whole program with its page processes (%% of one core, 10 s each):\n");
  std::printf("  strip moving      %5.1f\n", CpuPercent(10000));
  pane.setPaused(true);
  Wait(1000);
  std::printf("  paused            %5.1f\n", CpuPercent(10000));
  pane.setPaused(false);
  form.setWindowState(Qt::WindowMinimized);
  Wait(2000);
  std::printf("  window minimised  %5.1f\n", CpuPercent(10000));
  form.setWindowState(Qt::WindowNoState);
  prompt::StopTesting();
  return 0;
}
