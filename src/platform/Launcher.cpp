#include "Launcher.h"

#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include "DebugOutput.h"

namespace {

// What a started program prints goes nowhere (a browser's chatter is not ours to show), unless
// TORVANE_DEBUG asks for everything on the terminal.
void Quieten(QProcess& process) {
  process.setStandardInputFile(QProcess::nullDevice());
  if (debugoutput::Wanted()) {
    process.setProcessChannelMode(QProcess::ForwardedChannels);
  } else {
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
  }
}

class TDesktopLauncher : public ILauncher {
 public:
  void OpenDocument(const QString& pathOrUrl) override {
    // Addresses with a scheme ("https:", "file:", "mailto:") go as they are; anything else is a
    // local path. A drive letter ("C:") is a path, not a scheme.
    const QUrl url(pathOrUrl);
    const bool isAddress = url.isValid() && url.scheme().size() > 1;
    const QUrl target =
        isAddress ? url : QUrl::fromLocalFile(QFileInfo(pathOrUrl).absoluteFilePath());
#ifndef Q_OS_MACOS
    // The desktop's opener, watched, so that a browser that will not start is reported.
    if (const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
        !opener.isEmpty()) {
      StartWatched(opener, {target.isLocalFile() ? target.toLocalFile() : target.toString()},
                   pathOrUrl);
      return;
    }
#endif
    if (!QDesktopServices::openUrl(target))
      ReportLaunchFailure({QStringLiteral("the desktop"), pathOrUrl, -1,
                           QStringLiteral("it has no program to open it")});
  }
  void StartProgram(const QString& program, const QString& argument) override {
    StartWatched(program, {argument}, argument);
  }
  void RunTool(const QString& program, const QStringList& arguments) override {
    QProcess tool;
    tool.setProgram(program);
    tool.setArguments(arguments);
    Quieten(tool);
    tool.startDetached();
  }
};

ILauncher*& Current() {
  static ILauncher* current = nullptr;
  return current;
}

std::function<void(const TLaunchFailure&)>& FailureHandler() {
  static std::function<void(const TLaunchFailure&)> handler;
  return handler;
}

}  // namespace

ILauncher& Launcher() {
  static TDesktopLauncher desktop;
  return Current() ? *Current() : desktop;
}

void SetLauncher(ILauncher* launcher) { Current() = launcher; }

void SetLaunchFailureHandler(std::function<void(const TLaunchFailure&)> handler) {
  FailureHandler() = std::move(handler);
}

void ReportLaunchFailure(const TLaunchFailure& failure) {
  if (FailureHandler()) FailureHandler()(failure);
}

void StartWatched(const QString& program, const QStringList& arguments, const QString& target) {
  // No parent, and never deleted while it runs: a browser still open when we quit stays open.
  auto* process = new QProcess;
  process->setProgram(program);
  process->setArguments(arguments);
  Quieten(*process);
  QElapsedTimer clock;
  clock.start();
  QObject::connect(process, &QProcess::errorOccurred, process,
                   [process, program, target](QProcess::ProcessError error) {
                     if (error != QProcess::FailedToStart) return;  // the rest ends in finished
                     ReportLaunchFailure({program, target, -1, process->errorString()});
                     process->deleteLater();
                   });
  QObject::connect(
      process, &QProcess::finished, process,
      [process, program, target, clock](int code, QProcess::ExitStatus status) {
        if (clock.elapsed() <= kLaunchWatchMilliseconds &&
            (status == QProcess::CrashExit || code != 0))
          ReportLaunchFailure(
              {program, target, status == QProcess::CrashExit ? -1 : code,
               status == QProcess::CrashExit ? QStringLiteral("it crashed") : QString()});
        process->deleteLater();
      });
  process->start();
}
