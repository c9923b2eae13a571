// The window program: the main window, then the project named on the command line, if any.
#include <QApplication>

#include "LivePreview.h"
#include "LiveWebPage.h"
#include "MainForm.h"
#include "Places.h"

int main(int argc, char* argv[]) {
  webengine::Prepare();
  QApplication app(argc, argv);
  // The application's own title; the display name stays unset, since X11 and Wayland would add
  // it to every window caption, which must read exactly "Torvane".
  QApplication::setApplicationName(QStringLiteral("Vessaro"));
  QApplication::setOrganizationName(QStringLiteral("QEL"));
  QGuiApplication::setDesktopFileName(QStringLiteral("torvane"));

  // The program's files: beside it (build folder, portable copy) or in ../share/torvane/.
  TMainForm window(QString::fromStdString(
      places::FilesFolder(QCoreApplication::applicationDirPath().toStdString())));
  window.PlaceOnScreen();
  window.show();
  window.OpenCommandLine(QApplication::arguments().mid(1));
  return app.exec();
}
