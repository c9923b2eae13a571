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

#include "ColorPanel.h"
#include "LivePreview.h"
#include "LiveWebPage.h"
#include "MainForm.h"
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
      QObject::connect(&pane, &TLivePreviewPane::PageShown, &loop, [&](int, qint64 built) {
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
    if (QWebEngineView* view = pane.ShownView()) {
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

// CPU time in clock ticks of this process and every process below it (the web engine's).
long long TreeTicks(pid_t pid) {
  long long ticks = 0;
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string field;
  for (int k = 1; k <= 15 && stat >> field; ++k)
    if (k == 14 || k == 15) ticks += std::stoll(field);
  const QDir proc("/proc");
  for (const QString& name : proc.entryList(QDir::Dirs)) {
    std::ifstream child("/proc/" + name.toStdString() + "/stat");
    std::string text;
    std::getline(child, text);
    const auto close = text.rfind(')');
    if (close == std::string::npos) continue;
    int parent = 0;
    char state = 0;
    if (std::sscanf(text.c_str() + close + 1, " %c %d", &state, &parent) == 2 && parent == pid)
      ticks += TreeTicks(name.toInt());
  }
  return ticks;
}

double CpuPercent(int ms) {
  const long long before = TreeTicks(::getpid());
  Wait(ms);
  return 100.0 * double(TreeTicks(::getpid()) - before) / double(sysconf(_SC_CLK_TCK)) /
         (ms / 1000.0);
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s PROGRAM_FOLDER PHOTO_FOLDER [RUNS=9]\n", argv[0]);
    return 2;
  }
  webengine::Prepare();
  QApplication app(argc, argv);
  const int runs = argc > 3 ? std::max(1, atoi(argv[3])) : 9;
  QTemporaryDir scratch;
  qputenv("XDG_CACHE_HOME", QFile::encodeName(scratch.path() + "/cache"));  // a cold cache
  settings::UseFolder(scratch.path());
  prompt::StartTesting();

  TMainForm form(QString::fromLocal8Bit(argv[1]));
  TLivePreviewPane& pane = *form.LivePreview();
  QStringList photos;
  for (const QString& name : QDir(argv[2]).entryList({"*.jpg", "*.jpeg"}, QDir::Files, QDir::Name))
    photos << QDir(argv[2]).filePath(name);
  form.resize(1000, 760);
  // Room between the pictures where the background shows (the colour edit is timed on pixels).
  form.findChild<QSpinBox*>("spnedt_pGap")->setValue(30);
  form.show();
  QElapsedTimer first;
  first.start();
  form.Document().addPictures(photos);
  if (!NextPage(pane, 600000)) {
    std::fprintf(stderr, "no page: %s\n", qPrintable(pane.StatusText()));
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
        std::fprintf(stderr, "background colour: not drawn (%s)\n", qPrintable(pane.StatusText()));
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
          std::fprintf(stderr, "%s: no page (%s)\n", edit.what, qPrintable(pane.StatusText()));
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
  pane.SetPaused(true);
  Wait(1000);
  std::printf("  paused            %5.1f\n", CpuPercent(10000));
  pane.SetPaused(false);
  form.setWindowState(Qt::WindowMinimized);
  Wait(2000);
  std::printf("  window minimised  %5.1f\n", CpuPercent(10000));
  form.setWindowState(Qt::WindowNoState);
  prompt::StopTesting();
  return 0;
}
