#include "Launcher.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace {
class TDesktopLauncher : public ILauncher {
 public:
  void OpenDocument(const QString& pathOrUrl) override {
    // Addresses with a scheme ("https:", "file:", "mailto:") go as they are; anything else is a
    // local path. A drive letter ("C:") is a path, not a scheme.
    const QUrl url(pathOrUrl);
    const bool isAddress = url.isValid() && url.scheme().size() > 1;
    QDesktopServices::openUrl(
        isAddress ? url : QUrl::fromLocalFile(QFileInfo(pathOrUrl).absoluteFilePath()));
  }
  void StartProgram(const QString& program, const QString& argument) override {
    QProcess::startDetached(program, {argument});
  }
};

ILauncher*& Current() {
  static ILauncher* current = nullptr;
  return current;
}
}  // namespace

ILauncher& Launcher() {
  static TDesktopLauncher desktop;
  return Current() ? *Current() : desktop;
}

void SetLauncher(ILauncher* launcher) { Current() = launcher; }
