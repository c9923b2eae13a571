// torvane-cli: publishes a project file without the window program, checks one, or prints the
// code that shows its slider in a page of one's own.
//
//   torvane-cli publish PROJECT.tvn [--to FOLDER] [--no-cache] [--readable-runtime] [--hidpi]
//                                   [--formats jpeg,webp,avif] [--strict] [--quiet]
//   torvane-cli check PROJECT.tvn
//   torvane-cli snippet PROJECT.tvn
#include <iostream>
#include <string>
#include <vector>

#include "CliSupport.h"
#include "TerminalProgress.h"

namespace {

// The arguments as UTF-8 (on Windows from the wide command line, whatever the code page).
std::vector<std::string> Arguments(int argc, char** argv) {
  return std::vector<std::string>(argv + 1, argv + argc);
}

const char* const kUsage =
    "Usage: torvane-cli publish PROJECT.tvn [--to FOLDER] [--no-cache] [--readable-runtime]\n"
    "                                            [--hidpi] [--formats jpeg,webp,avif] [--strict]\n"
    "                                            [--quiet]\n"
    "       torvane-cli check PROJECT.tvn\n"
    "       torvane-cli snippet PROJECT.tvn\n"
    "       torvane-cli --help\n"
    "\n"
    "Publishes a Torvane project as the Save command of the window program does: the page\n"
    "(PROJECT.html), the runtime script torvane.js, the configuration script torvanecfg.js, the\n"
    "style sheet torvane.css, the project file, PROJECT_PublishReport.txt and the pictures scaled\n"
    "to the slider height (slider0.jpg, slider1.jpg, ...). Pictures may be JPEG, PNG, WebP,\n"
    "HEIC, AVIF or TIFF files; transparent parts take the slider's background colour.\n"
    "\n"
    "--hidpi also writes each picture at twice the slider height (slider0@2x.jpg, ...; a\n"
    "source less tall than that gets none) for screens of high pixel density, where the\n"
    "page shows them instead.\n"
    "\n"
    "--formats jpeg,webp,avif also writes each picture (and its twice-height one) as WebP and\n"
    "AVIF beside the JPEG (slider0.webp, slider0.avif, ...); the page then loads one format per\n"
    "browser, the best it reads. The list must hold jpeg; --formats jpeg (the default) writes\n"
    "JPEG only.\n"
    "\n"
    "The files go into the project's own folder, or into FOLDER with --to (created when missing;\n"
    "the project file is then written there and the original is left alone). One line is printed\n"
    "per file published, and stderr ends with the files this run changed (\"Changed: "
    "torvanecfg.js,\n"
    "slider3.jpg; 26 unchanged\"): a file whose content is already there is left as it is, time\n"
    "stamp included, so an upload by time and size skips it. Picture paths in the project file\n"
    "that are not absolute are taken from the project file's folder, or from the current folder\n"
    "when the picture is not there; the project file keeps them as they are written. A picture\n"
    "that is not found (or an item without a picture) is reported as a warning and its item is\n"
    "published without a new picture.\n"
    "\n"
    "Scaled pictures are kept in the user's cache folder ($XDG_CACHE_HOME/torvane/pictures, else\n"
    "~/.cache/torvane/pictures; on Windows torvane\\pictures in the local application data\n"
    "folder) and taken from there while their source file is unchanged; the published files are\n"
    "the same either way. --no-cache neither reads nor writes that folder.\n"
    "\n"
    "torvane.js is the runtime minified; --readable-runtime publishes its readable source instead\n"
    "(the same program, with comments).\n"
    "\n"
    "When stderr is a terminal a progress line shows the stage and, while pictures are scaled,\n"
    "how many are done, the time so far and the rate; it is erased at the end. --quiet leaves\n"
    "it out.\n"
    "\n"
    "Exit status: 0 when everything was published, also with warnings; 1 when the file is\n"
    "missing, is not a project file, ends early, names a picture that cannot be read, or\n"
    "anything else fails; with --strict, 2 when it was published but anything was warned\n"
    "about (a picture not found, an item without a picture, the runtime script missing). The\n"
    "message on stderr names the file. A project file that could not be read whole is never\n"
    "rewritten. Every file is written beside its target under a temporary name and renamed\n"
    "into place only when complete, so a failed or interrupted run leaves earlier files whole.\n"
    "Ctrl+C or SIGTERM ends the run cleanly (exit status 128 + the signal number). A project\n"
    "file named like one of the published files (PROJECT.html, torvane.js, slider0.jpg, ...)\n"
    "is refused.\n"
    "\n"
    "check reads the project and checks every value and picture as publishing would, writing\n"
    "nothing: one line per problem on stdout, \"error: ...\" where publishing would fail and\n"
    "\"warning: ...\" where it would warn, naming the item. Exit status: 0 when there is no\n"
    "problem, 2 when there are warnings only, 1 when publishing would fail.\n"
    "\n"
    "snippet prints what to paste into a page of your own to show the slider there: the style\n"
    "sheet and script tags and the slider's <div>, with a comment naming the files to put\n"
    "beside the page (those that publishing writes).\n";

int UsageError(const std::string& text) {
  cli::TPrintableStream err(std::cerr);
  err << "torvane-cli: " << text << "\n\n" << kUsage;
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  cli::StopCleanlyOnSignals();
  const std::vector<std::string> args = Arguments(argc, argv);
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h" || arg == "help") {
      std::cout << kUsage;
      return 0;
    }
  }
  if (args.empty()) return UsageError("no command given");
  if (args[0] == "check" || args[0] == "snippet") {
    if (args.size() != 2 || args[1].empty() || args[1][0] == '-')
      return UsageError(args[0] + " takes one project file and no options");
    cli::TPrintableStream out(std::cout), err(std::cerr);
    return args[0] == "check" ? cli::CheckCommand(args[1], out, err)
                              : cli::SnippetCommand(args[1], out, err);
  }
  if (args[0] != "publish") return UsageError("unknown command '" + args[0] + "'");
  std::string project;
  std::string to;
  cli::TCommandOptions options;
  bool quiet = false;
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--no-cache") {
      options.publish.pictureCache = false;
    } else if (args[i] == "--readable-runtime") {
      options.publish.readableRuntime = true;
    } else if (args[i] == "--hidpi") {
      options.publish.doubleDensity = true;
    } else if (args[i] == "--strict") {
      options.strict = true;
    } else if (args[i] == "--formats" || args[i].rfind("--formats=", 0) == 0) {
      std::string list;
      if (args[i] == "--formats") {
        if (i + 1 >= args.size())
          return UsageError("--formats needs a list such as jpeg,webp,avif");
        list = args[++i];
      } else {
        list = args[i].substr(10);
      }
      try {
        options.publish.modernFormats = cli::ParseFormats(list);
      } catch (const std::exception& wrong) {
        return UsageError(wrong.what());
      }
    } else if (args[i] == "--quiet" || args[i] == "-q") {
      quiet = true;
    } else if (args[i] == "--to") {
      if (i + 1 >= args.size()) return UsageError("--to needs a folder");
      to = args[++i];
      if (to.empty()) return UsageError("--to needs a folder");
    } else if (args[i].rfind("--to=", 0) == 0) {
      to = args[i].substr(5);
      if (to.empty()) return UsageError("--to needs a folder");
    } else if (args[i].size() > 1 && args[i][0] == '-' && args[i] != "-") {
      return UsageError("unknown option '" + args[i] + "'");
    } else if (project.empty()) {
      project = args[i];
    } else {
      return UsageError("more than one project file given ('" + project + "' and '" + args[i] +
                        "')");
    }
  }
  if (project.empty()) return UsageError("no project file given");
  // Project text reaches the terminal with its control characters escaped (the progress bar
  // writes to the terminal itself).
  cli::TPrintableStream out(std::cout), err(std::cerr);
  options.showProgress = !quiet && cli::StderrIsTerminal();
  return cli::PublishCommand(project, to, out, err, options);
}
