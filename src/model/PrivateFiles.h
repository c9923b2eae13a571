// Folders and files that only this user controls, for caches shared between runs (and with other
// programs): nothing another user could have planted or changed is read from them, and nothing is
// written where another user could redirect it. A folder is trusted when it belongs to the user
// (a symbolic link to it too) and no one else may write to it; a file is read only when it is a
// regular file of the user's that no one else may write to, opened without following a link and
// without waiting (a pipe or a device planted under its name is never waited on).
#pragma once

#include <optional>
#include <string>

namespace fileutil {

enum class FolderTrust { Missing, Trusted, Refused };

struct TFolderCheck {
  FolderTrust trust = FolderTrust::Missing;
  std::string why;  // for Refused: "it belongs to another user", ...
};

// Whether `folder` (with or without a trailing separator) may hold this user's cache files.
TFolderCheck CheckPrivateFolder(const std::string& folder);

// Makes the folder and its missing parents, each readable by the user alone, and checks the
// folder. A folder is only made inside one that is trusted: when the first existing folder on the
// way is not, nothing is made and that folder's check is returned, with its path in `refused`.
TFolderCheck MakePrivateFolder(const std::string& folder, std::string* refused = nullptr);

// The whole file at `path` when it is a regular file of the user's that no one else may write to,
// of at most maxBytes; nullopt otherwise (nothing there, a link, a pipe, a device, a folder,
// another user's file, too large, unreadable). It is read from the one descriptor it was opened
// and examined through, never opened again by name. `markUsed` sets its modification time to now.
std::optional<std::string> ReadPrivateFile(const std::string& path, unsigned long long maxBytes,
                                           bool markUsed = false);

// Says once per folder and process, on stderr, that a folder is not used:
// "torvane: the KIND folder FOLDER is not used: WHY".
void WarnFolderNotUsed(const std::string& kind, const std::string& folder, const std::string& why);

}  // namespace fileutil
