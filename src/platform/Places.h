// Where the programs find their own files and where they keep what they write. Shared by the
// window program and torvane-cli; standard C++ only (no Qt), paths as UTF-8 strings, folders with
// a trailing separator.
//
// Two layouts:
//   - beside the executable (the build folder, a portable copy): the runtime script, "help",
//     "samples" and "templates" sit in the executable's folder. When that folder is writable it
//     also holds recentfile.dat, the user's templates and the preview folder, as always.
//   - installed (<prefix>/bin/torvane with <prefix>/share/torvane/): the files are read from the
//     share folder and nothing is ever written there. recentfile.dat and the user's templates go
//     to $XDG_DATA_HOME/torvane/, the preview folder and scratch files to a private folder of
//     the running program under $XDG_RUNTIME_DIR/torvane/ (or $XDG_CACHE_HOME/torvane/).
//     A portable copy whose folder is read-only is treated the same way.
//
// Every running window program has a preview folder of its own. In a writable program folder the
// first one running keeps the usual "preview" beside the program; a second one started from the
// same folder meanwhile gets a private folder as an installed program does.
#pragma once

#include <string>
#include <vector>

namespace places {

// The folder of the running executable.
std::string ExecutableFolder();

// The folder holding the program's files for an executable in `executableFolder`: that folder
// itself when it holds the runtime script or no installed tree is found, else ../share/torvane/.
std::string FilesFolder(const std::string& executableFolder);

// True for an installed files folder (".../share/torvane/"): never written to, whoever runs.
bool IsInstalledTree(const std::string& filesFolder);

// True when the current user may create files in `folder` (a read-only mount counts as not).
bool IsWritableFolder(const std::string& folder);

// $XDG_CACHE_HOME/ (an absolute one only; default ~/.cache/), shared by every program. Not created.
std::string UserCacheFolder();
// $XDG_DATA_HOME/torvane/ (default ~/.local/share/torvane/). Not created.
std::string UserDataFolder();
// Where private folders of running programs are made: $XDG_RUNTIME_DIR/torvane/ when that folder
// is usable, else $XDG_CACHE_HOME/torvane/ (default ~/.cache/torvane/). Not created.
std::string UserInstanceBase();

// Where the window program keeps its state for the files folder `filesFolder`.
struct TStatePlaces {
  bool perUser = false;     // false: beside the program (the files folder itself)
  std::string stateFolder;  // holds recentfile.dat
  // The template folders the chooser lists, in order. The first is where Save As Template starts
  // and the folder the chooser creates when missing; the installed templates follow it.
  std::vector<std::string> templateFolders;
  std::string RecentFile() const { return stateFolder + "recentfile.dat"; }
};
TStatePlaces StatePlaces(const std::string& filesFolder);

// The program's own pages that stand for its home page and its support page (the Help menu's
// Homepage and Contact Us, the about box's links): installed with the help, so they always open.
std::string HomePage(const std::string& filesFolder);
std::string SupportPage(const std::string& filesFolder);

// A new, empty folder of this process inside `base` (made, private, when missing), named
// TAG-HOST-PID-XXXXXX and readable by the user alone. Folders of the same tag left there by this
// user's processes of this machine that no longer run (killed or crashed) are removed first. The
// mode of a `base` that was already there is never changed. Empty when none can be made.
std::string MakeProcessFolder(const std::string& base, const std::string& tag);
// True when `path` names a file inside one of `folders` (at any depth; links and "." / ".."
// resolved). A project opened from a template folder is a template: it starts an untitled design,
// so that Save never writes into the templates.
bool IsInsideAnyFolder(const std::string& path, const std::vector<std::string>& folders);

// The work folder of one running program: the configuration script and the style sheet are
// generated into it and its sub-folder "preview" is the preview folder. With `shareable` (the
// program folder is writable and ours) it is the program folder itself as long as no other
// running program holds it; otherwise a new private folder under UserInstanceBase() (or, when
// that cannot be made, the system's temporary folder), removed with all it holds on destruction.
// Private folders are named after the machine and the process; making one first removes those
// left by programs of this machine that ended without removing theirs (killed or crashed).
class TInstanceFolder {
 public:
  // The empty file in the program folder whose lock says that a running program holds the folder.
  static constexpr const char* kInstanceLockFile = ".torvane-window.lock";
  TInstanceFolder(const std::string& programFolder, bool shareable);
  ~TInstanceFolder();
  TInstanceFolder(const TInstanceFolder&) = delete;
  TInstanceFolder& operator=(const TInstanceFolder&) = delete;

  const std::string& Path() const { return path_; }
  bool IsPrivate() const { return private_; }

 private:
  std::string path_;
  bool private_ = false;
  int lock_ = -1;  // open handle whose lock claims the program folder
};

}  // namespace places
