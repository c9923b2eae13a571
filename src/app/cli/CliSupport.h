// Pieces of the headless publisher: where the program lives, a private work folder, and the
// publish run itself.
#pragma once

#include <ostream>
#include <string>

namespace cli {

// The folder of the running executable, with a trailing separator (see Places.h for where the
// program's files are found from it).
std::string ExecutableFolder();

// Makes Ctrl+C, SIGTERM and SIGHUP end the program cleanly: the private work folder and every
// temporary file of an unfinished write are removed, files already in place stay whole, and the
// process exits with 128 + the signal number. Call it first thing in main, before any thread
// starts.
void StopCleanlyOnSignals();

// A new, empty folder of our own under the system's temporary folder; removed with everything in
// it when the object goes.
class TPrivateFolder {
 public:
  TPrivateFolder();
  ~TPrivateFolder();
  TPrivateFolder(const TPrivateFolder&) = delete;
  TPrivateFolder& operator=(const TPrivateFolder&) = delete;
  const std::string& Path() const { return path_; }  // with a trailing separator

 private:
  std::string path_;
};

// Opens the project as the Open command does, publishes it into `toFolder` (the project's folder
// when empty), prints one line per file written to `out` and every message to `err`. Returns the
// process exit code: 0 when published, 1 on any failure (nothing published for a file that is not
// a complete project). Without `usePictureCache` no scaled picture is taken from or put into the
// user's picture cache. With `readableRuntime` the page gets the runtime script's readable source
// instead of the minified one; with `doubleDensity` each picture is also published at twice the
// height.
int PublishCommand(const std::string& projectPath, const std::string& toFolder, std::ostream& out,
                   std::ostream& err, bool usePictureCache = true, bool readableRuntime = false,
                   bool doubleDensity = false);

}  // namespace cli
