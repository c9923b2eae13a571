// The window program: the main window, then the project named on the command line, if any.
#include <QApplication>

#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>
#include <csignal>
#include <memory>

#include "AccessibleApplication.h"
#include "DebugOutput.h"
#include "ExitWatch.h"
#include "FileCommands.h"
#include "LivePreview.h"
#include "LiveWebPage.h"
#include "MainForm.h"
#include "Places.h"
#include "Prompts.h"
#include "Translations.h"

namespace {

int stopPipe[2] = {-1, -1};

void OnStopSignal(int signal) {
  const unsigned char number = static_cast<unsigned char>(signal);
  [[maybe_unused]] const auto ignored = ::write(stopPipe[1], &number, 1);
}

// SIGTERM and SIGHUP (the session ends) close the window as Exit does, but without asking:
// running work is cancelled (work past its point of no return finishes its files first), nothing
// is saved, the preview is cleared and the work folder removed, within two seconds even when a
// worker is stuck. The signal only writes its number into a pipe; the event loop does the rest.
void EndOnStopSignals(TMainForm& window) {
  if (::pipe2(stopPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  auto* notifier = new QSocketNotifier(stopPipe[0], QSocketNotifier::Read, &window);
  QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] {
    unsigned char number = 0;
    if (::read(stopPipe[0], &number, 1) != 1) return;
    window.stopWork();
    exitwatch::Arm(window.exitPlan(128 + number));
    window.document().clearPreview();
    QCoreApplication::exit(128 + number);
  });
  struct sigaction action = {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : {SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

}  // namespace

int main(int argc, char* argv[]) {
  debugoutput::QuietenUnlessWanted();
  webengine::Prepare();
  accessibleapp::Install();
  QApplication app(argc, argv);
  // The application's own title; the display name stays unset, since X11 and Wayland would add
  // it to every window caption, which must read exactly "Torvane".
  QApplication::setApplicationName(QStringLiteral("Vessaro"));
  QApplication::setOrganizationName(QStringLiteral("QEL"));
  QGuiApplication::setDesktopFileName(QStringLiteral("torvane"));
  translations::Install(app);

  // The program's files: beside it (build folder, portable copy) or in ../share/torvane/. A
  // window that cannot start (no folder it may work in) says why instead of ending unexplained.
  std::unique_ptr<TMainForm> made;
  if (!RunCommand(nullptr, [&] {
        made = std::make_unique<TMainForm>(QString::fromStdString(
            places::FilesFolder(QCoreApplication::applicationDirPath().toStdString())));
      }))
    return 1;
  TMainForm& window = *made;
  EndOnStopSignals(window);
  window.placeOnScreen();
  window.show();
  window.files().openCommandLine(QApplication::arguments().mid(1));
  const int status = app.exec();
  // Whatever a worker is stuck in, the program ends soon now.
  window.stopWork();
  exitwatch::Arm(window.exitPlan(status));
  return status;
}
