// Runs one registered test class (its name is the first argument) or, without one, all of them.
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTest>
#include <cstdio>

#include "AccessibleApplication.h"
#include "LiveWebPage.h"
#include "Settings.h"
#include "Translations.h"
#include "UiTest.h"

namespace uitest {

std::map<QString, TFactory>& Registry() {
  static std::map<QString, TFactory> registry;
  return registry;
}

// Every window test runs in folders whose names hold what addresses must encode.
TTestEnvironment::TTestEnvironment() : dir_(QDir::tempPath() + "/ui C#? 100%20off-XXXXXX") {
  const QString root = dir_.path();
  for (const char* sub : {"bin", "config", "data", "cache", "runtime", "home"})
    QDir(root).mkpath(sub);
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(root + "/config"));
  qputenv("XDG_DATA_HOME", QFile::encodeName(root + "/data"));
  qputenv("XDG_CACHE_HOME", QFile::encodeName(root + "/cache"));
  qputenv("XDG_RUNTIME_DIR", QFile::encodeName(root + "/runtime"));
  // The runtime folder is the user's alone, or Qt complains about it.
  QFile::setPermissions(root + "/runtime", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  settings::UseFolder(root + "/config");
  settings::SimulateFailure(false);
  // The program's files as the build lays them beside the programs.
  const QString built = QStringLiteral(TORVANE_BIN_DIR);
  QFile::copy(built + "/torvane.js", root + "/bin/torvane.js");
  QFile::setPermissions(root + "/bin/torvane.js", QFile::ReadOwner | QFile::WriteOwner);
  for (const char* folder : {"help", "samples", "templates"}) {
    QDir source(built + "/" + folder);
    QDir(root + "/bin").mkpath(folder);
    for (const QString& name : source.entryList(QDir::Files)) {
      const QString copy = root + "/bin/" + folder + "/" + name;
      QFile::copy(source.filePath(name), copy);
      QFile::setPermissions(copy, QFile::permissions(copy) | QFile::WriteOwner);
    }
  }
  SetLauncher(&launcher);
  prompt::StartTesting();
}

TTestEnvironment::~TTestEnvironment() {
  prompt::StopTesting();
  SetLauncher(nullptr);
  settings::SimulateFailure(false);
}

QString TTestEnvironment::ProgramFolder() const { return dir_.path() + "/bin/"; }
QString TTestEnvironment::Path(const QString& relative) const {
  return dir_.path() + "/" + relative;
}

QString ReadText(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll());
}

QString MakeJpeg(const QString& path, int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      image.setPixel(x, y, qRgb(x * 255 / width, y * 255 / height, 128));
  QDir().mkpath(QFileInfo(path).absolutePath());
  image.save(path, "JPEG", 90);
  // Made a minute ago, like a picture taken earlier (caches ignore files still being written).
  QFile file(path);
  if (file.open(QIODevice::ReadWrite))
    file.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime);
  return path;
}

}  // namespace uitest

int main(int argc, char* argv[]) {
  // Offscreen unless a test run chose a display (the live preview's test runs under xvfb-run).
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  webengine::Prepare();
  accessibleapp::Install();
  QApplication app(argc, argv);
  // The window as an English user has it, whatever the machine's language.
  translations::Install(app, QLocale(QLocale::English));
  QStringList wanted;
  QStringList qtestArgs{QString::fromLocal8Bit(argv[0])};
  for (int i = 1; i < argc; ++i) {
    const QString arg = QString::fromLocal8Bit(argv[i]);
    if (uitest::Registry().count(arg)) {
      wanted << arg;
    } else if (arg.startsWith("Test")) {
      std::fprintf(stderr, "No test class named %s\n", qPrintable(arg));
      return 1;
    } else {
      qtestArgs << arg;
    }
  }
  int failures = 0;
  for (auto& [name, factory] : uitest::Registry()) {
    if (!wanted.isEmpty() && !wanted.contains(name)) continue;
    QObject* test = factory();
    failures += QTest::qExec(test, qtestArgs);
    delete test;
  }
  return failures == 0 ? 0 : 1;
}
