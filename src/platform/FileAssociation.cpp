#include "FileAssociation.h"

#include "Launcher.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>

namespace platform {
namespace {

// Writes `content` to `path` unless it holds exactly that already; true when written.
bool WriteIfDifferent(const QString& path, const QByteArray& content) {
  QFile current(path);
  if (current.open(QIODevice::ReadOnly) && current.readAll() == content) return false;
  current.close();
  if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  file.write(content);
  return file.commit();
}

QString QuotedForExec(const QString& path) {
  // Desktop entry Exec rules: quote arguments holding reserved characters, escaping ", `, $, \.
  static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
  bool needs = false;
  for (QChar c : path) needs = needs || reserved.contains(c);
  if (!needs) return path;
  QString escaped;
  for (QChar c : path) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') escaped += '\\';
    escaped += c;
  }
  return '"' + escaped + '"';
}

}  // namespace

bool SystemAssociationInstalled() {
  const QString user = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  bool entry = false;
  bool type = false;
  const QStringList folders =
      QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
  for (const QString& folder : folders) {
    if (QDir::cleanPath(folder) == QDir::cleanPath(user)) continue;
    QFile desktop(folder + QStringLiteral("/applications/torvane.desktop"));
    if (desktop.open(QIODevice::ReadOnly)) {
      for (const QByteArray& line : desktop.readAll().split('\n'))
        if (line.startsWith("MimeType=") && line.contains(kProjectMimeType.toUtf8())) entry = true;
    }
    type = type || QFile::exists(folder + QStringLiteral("/mime/packages/torvane.xml"));
  }
  return entry && type;
}

QString DesktopEntry(const QString& programPath) {
  return QStringLiteral(
             "[Desktop Entry]\n"
             "Type=Application\n"
             "Name=Torvane\n"
             "GenericName=Image Slider Designer\n"
             "Comment=Design auto-scrolling image sliders for web pages\n"
             "Exec=%1 %f\n"
             "Icon=torvane\n"
             "Terminal=false\n"
             "MimeType=%2;\n"
             "Categories=Graphics;WebDevelopment;\n")
      .arg(QuotedForExec(programPath), kProjectMimeType);
}

QString MimePackage() {
  return QStringLiteral(
             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
             "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
             "  <mime-type type=\"%1\">\n"
             "    <comment>Torvane slider project</comment>\n"
             "    <sub-class-of type=\"text/plain\"/>\n"
             "    <glob pattern=\"*.tvn\"/>\n"
             "    <magic priority=\"50\">\n"
             "      <match type=\"string\" offset=\"0:1024\" value=\"&lt;Product_Name&gt;\"/>\n"
             "    </magic>\n"
             "  </mime-type>\n"
             "</mime-info>\n")
      .arg(kProjectMimeType);
}

bool WriteFileAssociation(const QString& programPath, const TToolRunner& runTool) {
  const QString program = QDir::toNativeSeparators(programPath);
  // An installed entry already opens project files; one of the user's would only shadow it.
  if (SystemAssociationInstalled()) return false;
  const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  if (data.isEmpty()) return false;
  const bool mime = WriteIfDifferent(data + "/mime/packages/torvane.xml", MimePackage().toUtf8());
  const bool entry =
      WriteIfDifferent(data + "/applications/torvane.desktop", DesktopEntry(program).toUtf8());
  QFile icon(QStringLiteral(":/icons/torvane.svg"));
  if (icon.open(QIODevice::ReadOnly))
    WriteIfDifferent(data + "/icons/hicolor/scalable/apps/torvane.svg", icon.readAll());
  // Through the launcher, which tests replace: no test starts a real program.
  const TToolRunner run = runTool ? runTool : [](const QString& tool, const QStringList& args) {
    Launcher().RunTool(tool, args);
  };
  auto refresh = [&](const char* tool, const QString& folder) {
    const QString found = QStandardPaths::findExecutable(QLatin1String(tool));
    if (!found.isEmpty()) run(found, {folder});
  };
  if (mime) refresh("update-mime-database", data + "/mime");
  if (entry) refresh("update-desktop-database", data + "/applications");
  return mime || entry;
}

}  // namespace platform
