#include "BrowserDetect.h"

#include <QCoreApplication>

#include <algorithm>

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>

namespace browsers {
namespace {

// No registry here: every key is missing.
class TNoRegistry : public ISystemRegistry {
 public:
  std::optional<QString> ReadString(TRegistryRoot, const QString&, const QString&) override {
    return std::nullopt;
  }
};
using TSystemRegistry = TNoRegistry;

ISystemRegistry*& CurrentRegistry() {
  static ISystemRegistry* current = nullptr;
  return current;
}
std::function<bool(const QString&)>& FileTest() {
  static std::function<bool(const QString&)> test;
  return test;
}
QString Tr(const char* text) { return QCoreApplication::translate("browsers", text); }

std::optional<QString>& SearchPathOverride() {
  static std::optional<QString> folders;
  return folders;
}

}  // namespace

QString ProgramProblem(const QString& path) {
  if (path.trimmed().isEmpty()) return Tr("is not set");
  if (FileTest()) return FileTest()(path) ? QString() : Tr("does not exist");
  const QFileInfo info(path);
  if (!info.exists()) return Tr("does not exist");
  if (!info.isFile() || !info.isExecutable()) return Tr("is not a program that can be started");
  return QString();
}

namespace {

bool ProgramExists(const QString& path) { return ProgramProblem(path).isEmpty(); }

// The value as a string, or empty when missing or when the registry fails.
QString ReadOrEmpty(TRegistryRoot root, const QString& key, const QString& name) {
  try {
    return SystemRegistry().ReadString(root, key, name).value_or(QString());
  } catch (...) {
    return {};
  }
}

void AppendIfExists(QList<TWebBrowserNamePath>& list, const QString& name, const QString& path) {
  if (ProgramExists(path)) list << TWebBrowserNamePath{name, path};
}

// --- the classic steps ---

void DetectInternetExplorer(QList<TWebBrowserNamePath>& list) {
  const QString path = ReadOrEmpty(
      TRegistryRoot::LocalMachine,
      QStringLiteral("SOFTWARE\\Microsoft\\windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE"), {});
  AppendIfExists(list, QStringLiteral("Internet Explorer"), path);
}

void DetectNavigator3(QList<TWebBrowserNamePath>& list) {
  QString path = ReadOrEmpty(TRegistryRoot::CurrentUser,
                             QStringLiteral("SOFTWARE\\Netscape\\Netscape Navigator\\Main"),
                             QStringLiteral("Install Directory"));
  if (!path.isEmpty()) path += QStringLiteral("\\Program\\Netscape.exe");
  AppendIfExists(list, QStringLiteral("Netscape Navigator 3"), path);
}

// The two steps that find the installed version first and then its folder.
void DetectVersioned(QList<TWebBrowserNamePath>& list, const QString& productKey,
                     const QString& program, const QString& namePrefix) {
  const QString version =
      ReadOrEmpty(TRegistryRoot::LocalMachine, productKey, QStringLiteral("CurrentVersion"));
  if (version.isEmpty()) return;
  QString path = ReadOrEmpty(TRegistryRoot::LocalMachine,
                             productKey + "\\" + version + QStringLiteral("\\Main"),
                             QStringLiteral("Install Directory"));
  if (!path.isEmpty()) path += program;
  AppendIfExists(list, namePrefix + version, path);
}

void DetectCommunicator(QList<TWebBrowserNamePath>& list) {
  DetectVersioned(list, QStringLiteral("SOFTWARE\\Netscape\\Netscape Navigator"),
                  QStringLiteral("\\Program\\Netscape.exe"),
                  QStringLiteral("Netscape Communicator "));
}

void DetectNetscape6(QList<TWebBrowserNamePath>& list) {
  DetectVersioned(list, QStringLiteral("SOFTWARE\\Netscape\\Netscape 6"),
                  QStringLiteral("\\netscp6.exe"), QStringLiteral("Netscape "));
}

// --- the browsers of today ---

struct TModernBrowser {
  const char* name;
  const char* appPath;      // its program's name under "App Paths" on Windows ("" if none)
  QStringList commands;     // its command names on the PATH, most usual first
  const char* sameAs = "";  // not listed when the browser of this name already is
};

const QList<TModernBrowser>& ModernBrowsers() {
  static const QList<TModernBrowser> list{
      {"Firefox", "firefox.exe", {"firefox"}},
      // Debian's "firefox" is a script that starts Firefox ESR: the same browser, listed once.
      {"Firefox ESR", "", {"firefox-esr"}, "Firefox"},
      {"Chromium", "chromium.exe", {"chromium", "chromium-browser"}},
      {"Google Chrome", "chrome.exe", {"google-chrome", "google-chrome-stable"}},
      {"Microsoft Edge", "msedge.exe", {"microsoft-edge", "microsoft-edge-stable"}},
      {"Brave", "brave.exe", {"brave-browser", "brave"}},
      {"Vivaldi", "vivaldi.exe", {"vivaldi", "vivaldi-stable"}},
      {"Opera", "opera.exe", {"opera"}},
      {"LibreWolf", "librewolf.exe", {"librewolf"}},
      {"GNOME Web", "", {"epiphany", "epiphany-browser"}},
      {"Falkon", "falkon.exe", {"falkon"}},
      {"Konqueror", "", {"konqueror"}},
      {"qutebrowser", "qutebrowser.exe", {"qutebrowser"}},
  };
  return list;
}

QString FromAppPaths(const QString& program) {
  const QString key =
      QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\") + program;
  for (TRegistryRoot root : {TRegistryRoot::CurrentUser, TRegistryRoot::LocalMachine}) {
    QString path = ReadOrEmpty(root, key, {}).trimmed();
    // Some installers store the path in quotes.
    if (path.size() >= 2 && path.startsWith('"') && path.endsWith('"'))
      path = path.mid(1, path.size() - 2);
    if (ProgramExists(path)) return path;
  }
  return {};
}

QString FromSearchPath(const QStringList& commands) {
  const QString folders =
      SearchPathOverride() ? *SearchPathOverride() : QString::fromLocal8Bit(qgetenv("PATH"));
  const QStringList dirs = folders.split(QDir::listSeparator(), Qt::SkipEmptyParts);
  for (const QString& command : commands) {
    const QString& file = command;
    for (const QString& dir : dirs) {
      const QString path = QDir(dir).filePath(file);
      if (ProgramExists(path)) return QDir::cleanPath(path);
    }
  }
  return {};
}

// Two entries are the same program when their paths lead to the same file ("firefox" is often a
// link to "firefox-esr").
QString Identity(const QString& path) {
  QString canonical = QFileInfo(path).canonicalFilePath();
  if (canonical.isEmpty()) canonical = QDir::cleanPath(path);
  return canonical;
}

void DetectModern(QList<TWebBrowserNamePath>& list) {
  QStringList known;
  for (const TWebBrowserNamePath& entry : list) known << Identity(entry.path);
  for (const TModernBrowser& browser : ModernBrowsers()) {
    QString path;
    if (*browser.appPath) path = FromAppPaths(QLatin1String(browser.appPath));
    if (path.isEmpty()) path = FromSearchPath(browser.commands);
    if (path.isEmpty()) continue;
    const QString identity = Identity(path);
    const bool listed =
        std::any_of(list.begin(), list.end(), [&](const TWebBrowserNamePath& entry) {
          return entry.name == QLatin1String(browser.sameAs);
        });
    if (known.contains(identity) || listed) continue;
    known << identity;
    list << TWebBrowserNamePath{QLatin1String(browser.name), path};
  }
}

}  // namespace

ISystemRegistry& SystemRegistry() {
  static TSystemRegistry system;
  return CurrentRegistry() ? *CurrentRegistry() : system;
}

void SetSystemRegistry(ISystemRegistry* registry) { CurrentRegistry() = registry; }
void SetFileExists(std::function<bool(const QString&)> exists) { FileTest() = std::move(exists); }
void SetSearchPath(const std::optional<QString>& folders) { SearchPathOverride() = folders; }

QList<TWebBrowserNamePath> DetectBrowsers() {
  QList<TWebBrowserNamePath> list;
  DetectInternetExplorer(list);
  DetectNavigator3(list);
  DetectCommunicator(list);
  DetectNetscape6(list);
  DetectModern(list);
  return list;
}

}  // namespace browsers
