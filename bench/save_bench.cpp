// How the window behaves while it saves: the longest stall of its event loop during a cold Save
// of many photos, the save's time against publishing the same design straight on one thread,
// how soon Cancel brings it back to idle, and a save of many items with the status strip shown
// against hidden. Runs the real window offscreen; prompts are answered from a queue.
//
//   save_bench PHOTO_FOLDER [ITEMS=150] [RUNS=3]
//
// With --gaps it runs on the display it is given instead (bench/background.sh --gaps: under
// xvfb-run) and prints the longest event-loop gap of the window during an open, a save with the
// picture cache filled, a preview, a drop of the photos and a check of the pictures on activation,
// each with the live preview pane shown and hidden:
//
//   save_bench --gaps PHOTO_FOLDER [ITEMS=150] [RUNS=3]
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include <unistd.h>

#include "BackgroundWork.h"
#include "Document.h"
#include "FileCommands.h"
#include "Launcher.h"
#include "LivePreview.h"
#include "LiveWebPage.h"
#include "MainForm.h"
#include "MemoryTree.h"
#include "PingProbe.h"
#include "Prompts.h"
#include "Settings.h"

namespace {

// The CPU time of the whole process (every thread) so far, in seconds.
double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

// Ticks every 5 ms on the window's thread and keeps the longest time between two ticks.
// Also keeps the most CPU time the window's thread spent between two ticks: on a busy machine
// the gaps also count the time other programs had the cores, this only the window's own work.
double ThreadCpuMs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + now.tv_nsec / 1e6;
}

struct TLoopProbe {
  QTimer timer;
  QElapsedTimer clock;
  qint64 last = 0, longest = 0;  // the first gap counts from the probe's start
  double lastCpu = ThreadCpuMs(), mostCpu = 0;
  std::function<void(qint64)> onTick;
  TLoopProbe() {
    timer.setInterval(5);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, [this] {
      const qint64 now = clock.elapsed();
      if (last >= 0) longest = std::max(longest, now - last);
      last = now;
      const double cpu = ThreadCpuMs();
      mostCpu = std::max(mostCpu, cpu - lastCpu);
      lastCpu = cpu;
      if (onTick) onTick(now);
    });
    clock.start();
    timer.start();
  }
};

// A project of `items` items over the photos, each under a name of its own (hard links, so
// that every item is a picture of its own to scale), at the slider height `height`.
QString WriteProject(const QString& folder, const QStringList& photos, int items, int height) {
  TProjectModel model(folder.toStdString());
  model.LoadDefaults();
  model.Slider.height = std::to_string(height);
  QDir().mkpath(folder + "/pictures");
  for (int i = 0; i < items; ++i) {
    TItemData item = DefaultItem();
    if (!photos.isEmpty()) {
      const QString link = folder + QString("/pictures/%1.jpg").arg(i);
      const QString& photo = photos[i % photos.size()];
      if (::link(photo.toLocal8Bit().constData(), link.toLocal8Bit().constData()) != 0)
        QFile::copy(photo, link);
      item.originalPath = link.toStdString();
    }
    model.Items.push_back(item);
  }
  QDir().mkpath(folder + "/site");
  const QString path = folder + "/site/show.tvn";
  model.SaveProject(path.toStdString());
  return path;
}

struct TWindow {
  QString project;
  QString program;
  std::unique_ptr<TMainForm> form;
  TWindow(const QString& programFolder, const QString& projectPath)
      : project(projectPath), program(programFolder) {
    form = std::make_unique<TMainForm>(program);
    form->show();
    prompt::QueueFile(project);
    form->findChild<QAction*>("Open1")->trigger();
    TPublishOptions options = form->document().publishOptions();
    options.pictureCache = false;  // cold: every picture is scaled
    form->document().setPublishOptions(options);
  }
  // Saves (marking the design modified first); returns the seconds it took.
  double Save() {
    TSliderData slider = form->document().slider();  // an edit, so that Save has work
    slider.backgroundColour = slider.backgroundColour == "FFFFFF" ? "FFFFFE" : "FFFFFF";
    QElapsedTimer clock;
    clock.start();
    form->document().setSlider(slider, "Background colour");
    if (qEnvironmentVariableIsSet("SLOW_EVENTS"))
      std::fprintf(stderr, "the edit before the save: %lld ms\n",
                   static_cast<long long>(clock.elapsed()));
    clock.start();
    form->findChild<QAction*>("tlbtnSave")->trigger();
    return clock.nsecsElapsed() / 1e9;
  }
};

// Runs the event loop for `ms` milliseconds.
void Wait(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

// Opens nothing: Preview's browser is not started.
struct TNoLauncher : ILauncher {
  void OpenDocument(const QString&) override {}
  void StartProgram(const QString&, const QString&) override {}
};

// The longest stall of the window's event loop during `action` and the second after it, the most
// CPU time its thread spent in one stall and the longest wait for the answer to a ping: the worst
// of `runs` runs, as "GAP ms (CPU ms, ping ms)".
std::string LongestGap(int runs, TPingProbe& ping, const std::function<void()>& action) {
  qint64 worst = 0;
  double cpu = 0;
  int pingWait = -1;
  for (int run = 0; run < runs; ++run) {
    Wait(300);
    TLoopProbe probe;
    ping.Start();
    action();
    Wait(1000);
    worst = std::max(worst, probe.longest);
    cpu = std::max(cpu, probe.mostCpu);
    pingWait = std::max(pingWait, ping.Longest());
  }
  return std::to_string(worst) + " ms (CPU " + std::to_string(static_cast<int>(cpu)) +
         " ms, ping " + (pingWait < 0 ? std::string("-") : std::to_string(pingWait)) + " ms)";
}

int Gaps(const QString& program, const QString& project, const QStringList& photos, int runs) {
  TNoLauncher launcher;
  SetLauncher(&launcher);
  for (const bool pane : {true, false}) {
    TWindow w(program, project);
    QAction* live = w.form->findChild<QAction*>("LivePreview1");
    if (live->isChecked() != pane) live->trigger();
    TPublishOptions options = w.form->document().publishOptions();
    options.pictureCache = true;
    w.form->document().setPublishOptions(options);
    w.Save();  // fills the picture cache
    Wait(2000);
    TPingProbe ping(w.form.get());
    const QStringList dropped = photos.mid(0, 10);
    const struct {
      const char* what;
      std::function<void()> action;
    } cases[] = {
        {"open", [&] { w.form->files().openProjectFile(project); }},
        {"save (cached)", [&] { w.Save(); }},
        {"preview", [&] { w.form->findChild<QAction*>("Preview1")->trigger(); }},
        {"drop 10 photos", [&] { w.form->document().addPictures(dropped); }},
        {"picture check",
         [&] {
           QEvent away(QEvent::WindowDeactivate), back(QEvent::WindowActivate);
           QCoreApplication::sendEvent(w.form.get(), &away);
           QCoreApplication::sendEvent(w.form.get(), &back);
         }},
    };
    std::printf("%lld items, live preview %s:",
                static_cast<long long>(w.form->document().itemCount()), pane ? "shown " : "hidden");
    for (const auto& c : cases)
      std::printf("  %s %s", c.what, LongestGap(runs, ping, c.action).c_str());
    std::printf("\n");
    std::fflush(stdout);
  }
  SetLauncher(nullptr);
  return 0;
}

// With SLOW_EVENTS set, prints every event whose handling kept the window's thread longer than
// 30 ms: the receiver's class and name, the event type and the time (where a gap comes from).
class TTimedApplication : public QApplication {
 public:
  using QApplication::QApplication;
  bool notify(QObject* receiver, QEvent* event) override {
    if (!watch_ || depth_ > 0) {
      ++depth_;
      const bool done = QApplication::notify(receiver, event);
      --depth_;
      return done;
    }
    const int type = event->type();
    QElapsedTimer clock;
    clock.start();
    ++depth_;
    const bool done = QApplication::notify(receiver, event);
    --depth_;
    if (clock.elapsed() > 30)
      std::fprintf(stderr, "slow event: %s '%s' type %d: %lld ms\n",
                   receiver->metaObject()->className(), qPrintable(receiver->objectName()), type,
                   static_cast<long long>(clock.elapsed()));
    return done;
  }

 private:
  bool watch_ = qEnvironmentVariableIsSet("SLOW_EVENTS");
  int depth_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  const bool gapsMode = argc > 1 && std::string(argv[1]) == "--gaps";
  if (gapsMode) {
    --argc;
    ++argv;
    webengine::Prepare();
  } else {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  TTimedApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: save_bench PHOTO_FOLDER [ITEMS=150] [RUNS=3]\n");
    return 2;
  }
  const QString photosFolder = QString::fromLocal8Bit(argv[1]);
  const int items = argc > 2 ? std::atoi(argv[2]) : 150;
  const int runs = argc > 3 ? std::atoi(argv[3]) : 3;
  QStringList photos;
  for (const QString& name : QDir(photosFolder).entryList({"*.jpg"}, QDir::Files, QDir::Name))
    photos << QDir(photosFolder).absoluteFilePath(name);
  if (photos.isEmpty()) {
    std::fprintf(stderr, "no photos in %s\n", argv[1]);
    return 2;
  }

  QTemporaryDir root;
  settings::UseFolder(root.path() + "/config");
  prompt::StartTesting();
  const QString program = root.path() + "/bin/";
  QDir().mkpath(program);
  QFile::copy(QCoreApplication::applicationDirPath() + "/torvane.js", program + "torvane.js");
  qputenv("XDG_CACHE_HOME", QFile::encodeName(root.path() + "/cache"));
  const QString photoProject = WriteProject(root.path() + "/photos", photos, items, 480);
  if (gapsMode) return Gaps(program, photoProject, photos, runs);

  // 1. The cold save: event loop stalls and time, against publishing straight on this thread.
  std::vector<double> windowTimes, directTimes, windowCpu, directCpu, gaps;
  const auto inWindow = [&] {
    TWindow w(program, photoProject);
    TLoopProbe probe;
    const double cpu = CpuSeconds();
    windowTimes.push_back(w.Save());
    windowCpu.push_back(CpuSeconds() - cpu);
    gaps.push_back(static_cast<double>(probe.longest));
  };
  for (int run = 0; run < runs; ++run) {
    if (run % 2 == 0) inWindow();  // which goes first alternates
    {
      TWindow w(program, photoProject);
      const TDocument& document = w.form->document();
      TRunContext context = document.runContext();
      const QFileInfo info(photoProject);
      QElapsedTimer clock;
      clock.start();
      const double cpu = CpuSeconds();
      TExportResult result;
      TPublishExporter((info.absolutePath() + '/').toStdString(), info.fileName().toStdString())
          .run(document.design(), context, result);
      directTimes.push_back(clock.nsecsElapsed() / 1e9);
      directCpu.push_back(CpuSeconds() - cpu);
      ClearPreview(document.previewFolder(), result.preview);
    }
    if (run % 2 == 1) inWindow();
  }
  std::printf(
      "cold save of %d photos: %.2f s in the window, %.2f s straight (ratio %.3f); "
      "CPU %.2f s and %.2f s (ratio %.3f); longest event-loop gap %.0f ms "
      "(worst of %d runs)\n",
      items, Median(windowTimes), Median(directTimes), Median(windowTimes) / Median(directTimes),
      Median(windowCpu), Median(directCpu), Median(windowCpu) / Median(directCpu),
      *std::max_element(gaps.begin(), gaps.end()), runs);

  // 2. Cancel to idle, at several points of the save.
  std::vector<double> cancels;
  for (const int after : {300, 1000, 2500}) {
    TWindow w(program, photoProject);
    qint64 asked = -1, idle = -1;
    TLoopProbe probe;
    probe.onTick = [&](qint64 now) {
      QAction* cancel = w.form->findChild<QAction*>("CancelWork1");
      if (asked < 0 && now >= after && w.form->work().busy() && cancel->isEnabled()) {
        asked = now;
        w.form->findChild<QToolButton*>("tlbtnCancelWork")->click();
      }
    };
    QObject::connect(w.form->findChild<QAction*>("CancelWork1"), &QAction::changed, [&] {
      if (asked >= 0 && idle < 0 && !w.form->work().busy()) idle = probe.clock.elapsed();
    });
    w.Save();
    if (idle < 0) idle = probe.clock.elapsed();
    const bool cancelled = w.form->findChild<QLabel*>("stctxtHint")->text() == "Cancelled";
    if (asked >= 0 && cancelled) cancels.push_back(static_cast<double>(idle - asked));
  }
  std::printf("cancel to idle: ");
  for (double ms : cancels) std::printf("%.0f ms ", ms);
  std::printf("(asked 0.3, 1 and 2.5 s into the save)\n");

  // 3. Many items without pictures, status strip shown and hidden.
  const QString manyProject = WriteProject(root.path() + "/many", {}, 2000, 120);
  std::vector<double> shown, hidden;
  for (int run = 0; run < std::max(runs, 9); ++run) {  // short saves: more runs for a median
    for (const bool strip : {true, false}) {
      TWindow w(program, manyProject);
      QAction* toggle = w.form->findChild<QAction*>("StatusBar2");
      if (toggle->isChecked() != strip) toggle->trigger();
      (strip ? shown : hidden).push_back(w.Save());
    }
  }
  std::printf(
      "save of 2000 items: %.3f s with the status strip shown, %.3f s hidden "
      "(ratio %.2f)\n",
      Median(shown), Median(hidden), Median(shown) / Median(hidden));
  prompt::StopTesting();
  return 0;
}
