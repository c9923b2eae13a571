// Finding the web browsers installed on this machine, for the preview browser list.
//
// First the four classic registry steps (Internet Explorer, Navigator 3, Communicator, Netscape 6),
// each adding at most one entry, and only when its program file exists; then the browsers of
// today, found under "App Paths" in the registry on Windows and on the PATH elsewhere. The
// registry is read through ISystemRegistry (here one that finds nothing; a Windows port plugs its
// registry in there); tests replace it, the file test and the PATH.
#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <optional>

namespace browsers {

// One detected browser: the name shown in the list and the full path of its program.
struct TWebBrowserNamePath {
  QString name;
  QString path;
};

enum class TRegistryRoot { LocalMachine, CurrentUser };

// Read-only access to the system registry. Never creates a key.
class ISystemRegistry {
 public:
  virtual ~ISystemRegistry() = default;
  // The string value `name` of `key` below `root` (an empty name: the key's default value);
  // nullopt when the key or the value is missing. May throw on a registry error.
  virtual std::optional<QString> ReadString(TRegistryRoot root, const QString& key,
                                            const QString& name) = 0;
};

// The registry in use: the system's, unless a test has set its own.
ISystemRegistry& SystemRegistry();
// Tests: read this registry from now on (null: the system's again). Not owned.
void SetSystemRegistry(ISystemRegistry* registry);
// Tests: decide with this whether a program file exists (null: the file system decides).
void SetFileExists(std::function<bool(const QString&)> exists);
// Tests: search these folders (separated as in PATH) instead of the PATH variable (nullopt: PATH).
void SetSearchPath(const std::optional<QString>& folders);

// Why the program at `path` cannot be started as a browser ("does not exist", "is not a program
// that can be started", "is not set"); empty when it can.
QString ProgramProblem(const QString& path);

// Every browser found, in detection order. Registry errors are swallowed step by step.
QList<TWebBrowserNamePath> DetectBrowsers();

}  // namespace browsers
