// Pieces of the headless publisher: where the program lives, a private work folder, and the
// publish run itself.
#pragma once

#include <ostream>
#include <streambuf>
#include <string>

#include "Writers.h"

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

// Text as it may reach a terminal: line ends and tabs stay, every other control character
// (C0, DEL, C1 and the bidirectional overrides) is written as an escape ("\x1B", "\u009B",
// "\u202E"), and bytes that are not UTF-8 as "\xFF". A project's text can then neither move the
// cursor, clear the screen, set the title nor overwrite a line.
std::string Printable(const std::string& text);

// An output stream that passes everything through Printable, line by line, to another stream.
class TPrintableStream : public std::ostream {
 public:
  explicit TPrintableStream(std::ostream& target);
  ~TPrintableStream() override;
  // The stream a TPrintableStream writes to, else the stream itself: for output of our own that
  // must reach the terminal as it is (the progress bar's redrawing).
  static std::ostream& Raw(std::ostream& stream);

 private:
  class TBuffer : public std::streambuf {
   public:
    explicit TBuffer(std::ostream& target) : target_(target) {}
    int overflow(int c) override;
    int sync() override;

   private:
    std::ostream& target_;
    std::string line_;
  };
  TBuffer buffer_;
  std::ostream& target_;
};

// How PublishCommand runs: what the publish writes (`publish`: the picture cache, the runtime's
// readable source, pictures at twice the height, further formats), and with `showProgress` a
// progress bar drawn on `err` (a terminal). With `strict` a publish that had something to warn
// about ends with kExitWarnings instead of 0.
struct TCommandOptions {
  TPublishOptions publish;
  bool showProgress = false;
  bool strict = false;
};

// Exit statuses of PublishCommand.
constexpr int kExitPublished = 0;  // published (with or without warnings unless strict)
constexpr int kExitFailed = 1;     // nothing published, or the publish failed
constexpr int kExitWarnings = 2;   // strict: published, but with warnings

// Opens the project as the Open command does, publishes it into `toFolder` (the project's folder
// when empty), prints one line per file written to `out` and every message to `err`. Returns the
// process exit status (above); nothing is published for a file that is not a complete project.
// After a publish, `err` gets the line "Changed: ...; N unchanged".
int PublishCommand(const std::string& projectPath, const std::string& toFolder, std::ostream& out,
                   std::ostream& err, const TCommandOptions& options = {});
// The TModernFormat bits of a --formats value ("jpeg,webp,avif"); throws TvError naming a
// format that is not one of these, or a list without jpeg.
unsigned ParseFormats(const std::string& list);

// Reads the project and checks every value and picture as Save would, writing nothing: one line
// per problem on `out` ("error: ..." where Save would fail, "warning: ..." where it would warn),
// naming the item, and a count on `err`. Returns 0 when Save would neither fail nor warn, 2 when
// it would only warn, 1 when it would fail or the project cannot be read.
int CheckCommand(const std::string& projectPath, std::ostream& out, std::ostream& err);

// Reads the project and prints what a user pastes into a page of their own to show the slider
// there (TEmbedCodeExporter). Returns 0, or 1 with the reason on `err`.
int SnippetCommand(const std::string& projectPath, std::ostream& out, std::ostream& err);

}  // namespace cli
