// Makes project files (".tvn") open in this program. Written at every start; every failure is
// ignored, since the program needs nothing from it beyond being started with a document's path.
//
// A desktop entry and a shared-mime-info package in the
// user's data folder ($XDG_DATA_HOME), rewritten only when their content differs, after which the
// desktop's caches are refreshed with `runTool` (update-mime-database, update-desktop-database).
// Nothing is written when an installed desktop entry and type definition (in a folder of
// $XDG_DATA_DIRS, as the package installs them) already make the association.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace platform {

using TToolRunner = std::function<void(const QString& program, const QStringList& arguments)>;

inline const QString kProjectMimeType = QStringLiteral("application/x-torvane-project");

// Returns true when a file was (re)written.
bool WriteFileAssociation(const QString& programPath, const TToolRunner& runTool = {});

// True when a system data folder ($XDG_DATA_DIRS) holds our desktop entry, opening project
// files, and our type definition.
bool SystemAssociationInstalled();

// The desktop entry and the type definition as written (for tests and for installing).
QString DesktopEntry(const QString& programPath);
QString MimePackage();

}  // namespace platform
