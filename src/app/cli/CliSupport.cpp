#include "CliSupport.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <mutex>
#include <optional>
#include <random>
#include <set>
#include <system_error>
#include <vector>

#include <csignal>
#include <cstdlib>
#include <thread>

#include <pthread.h>
#include <unistd.h>

#include "Conversions.h"
#include "Errors.h"
#include "FileUtil.h"
#include "MemoryTree.h"
#include "Places.h"
#include "ProjectModel.h"
#include "ScriptText.h"
#include "TerminalProgress.h"
#include "images/ImageScaler.h"

namespace fs = std::filesystem;

namespace cli {

namespace {

// Messages of the model (the boxes of the window program) go to stderr.
class TStreamMessages : public IMessages {
 public:
  int warnings = 0;  // warnings and errors shown
  TStreamMessages(std::ostream& err, TTerminalProgress* bar) : err_(err), bar_(bar) {}
  void Show(TMessageKind kind, const TMessage& message) override {
    if (bar_) bar_->Erase();
    if (kind != TMessageKind::Information) ++warnings;
    const char* label = kind == TMessageKind::Error     ? "error"
                        : kind == TMessageKind::Warning ? "warning"
                                                        : "note";
    err_ << "torvane-cli: " << label << ": " << message.English() << "\n";
  }

 private:
  std::ostream& err_;
  TTerminalProgress* bar_;
};

// The files a successful publish has written, in the order they were written.
// A picture that is not found is no error (the item keeps its old name and size), but a
// headless run should say so: the published slider lacks that picture. Returns how many items
// lack their picture.
int WarnAboutMissingPictures(const TExportResult& published, std::ostream& err) {
  // One line per item up to a limit, then a count: a long design should not flood the terminal.
  constexpr int kMaxLines = 20;
  const std::vector<TPictureStatus>& status = *published.pictureStatus;
  int missing = 0;
  for (int k = 1; k <= static_cast<int>(status.size()); ++k) {
    if (status[static_cast<size_t>(k - 1)] == TPictureStatus::Found) continue;
    if (++missing > kMaxLines) continue;
    const std::string& written = published.written->items[static_cast<size_t>(k - 1)].originalPath;
    err << "torvane-cli: warning: item " << k;
    if (Trim(written).empty()) {
      err << " has no picture chosen";
    } else {
      err << ": its picture (" << written << ") was not found";
    }
    err << "; it was published without a new picture\n";
  }
  if (missing > kMaxLines) {
    err << "torvane-cli: warning: " << missing - kMaxLines
        << " more items lack their picture as well\n";
  }
  return missing;
}

}  // namespace

namespace {

// The work folders that exist right now, for the signal watcher.
std::mutex& WorkFoldersMutex() {
  static std::mutex mutex;
  return mutex;
}
std::set<std::string>& WorkFolders() {
  static std::set<std::string> folders;
  return folders;
}

}  // namespace

void StopCleanlyOnSignals() {
  // The signals are blocked in every thread (threads inherit the mask) and taken by one watcher
  // thread, which may then do ordinary work: no handler runs inside an interrupted allocation.
  sigset_t signals;
  sigemptyset(&signals);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&signals, signal);
  if (pthread_sigmask(SIG_BLOCK, &signals, nullptr) != 0) return;
  std::thread([signals] {
    int signal = 0;
    while (sigwait(&signals, &signal) != 0) {
    }
    fileutil::AbandonTemporaryFiles();
    {
      std::lock_guard<std::mutex> lock(WorkFoldersMutex());
      for (const std::string& folder : WorkFolders()) {
        for (int attempt = 0; attempt < 3; ++attempt) {
          std::error_code ignored;
          fs::remove_all(fileutil::FsPath(folder), ignored);
          if (!fs::exists(fileutil::FsPath(folder), ignored)) break;
        }
      }
    }
    if (StderrIsTerminal()) {  // the progress bar's line goes first
      [[maybe_unused]] const auto erased = ::write(2, "\r\x1b[K", 4);
    }
    const char text[] =
        "torvane-cli: interrupted; the files written so far are whole, nothing "
        "else was written\n";
    [[maybe_unused]] const auto ignored = ::write(2, text, sizeof text - 1);
    _exit(128 + signal);
  }).detach();
}

std::string ExecutableFolder() { return places::ExecutableFolder(); }

std::string Printable(const std::string& text) {
  std::string out;
  char escape[16];
  for (size_t i = 0; i < text.size();) {
    const size_t at = i;
    const char32_t code = fileutil::NextCodePoint(text, i);
    if (code == fileutil::kNoCodePoint) {
      std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned char>(text[at]));
      out += escape;
    } else if (code == '\n' || code == '\t' || (code >= 0x20 && code < 0x7F) ||
               (code > 0x9F && !(code >= 0x202A && code <= 0x202E) &&
                !(code >= 0x2066 && code <= 0x2069))) {
      out.append(text, at, i - at);
    } else {
      std::snprintf(escape, sizeof escape, code < 0x80 ? "\\x%02X" : "\\u%04X",
                    static_cast<unsigned>(code));
      out += escape;
    }
  }
  return out;
}

TPrintableStream::TPrintableStream(std::ostream& target)
    : std::ostream(&buffer_), buffer_(target), target_(target) {}

std::ostream& TPrintableStream::Raw(std::ostream& stream) {
  auto* printable = dynamic_cast<TPrintableStream*>(&stream);
  if (!printable) return stream;
  printable->flush();
  return printable->target_;
}

TPrintableStream::~TPrintableStream() { buffer_.pubsync(); }

int TPrintableStream::TBuffer::overflow(int c) {
  if (c == traits_type::eof()) return traits_type::not_eof(c);
  line_ += static_cast<char>(c);
  if (c == '\n') sync();
  return c;
}

int TPrintableStream::TBuffer::sync() {
  target_ << Printable(line_);
  target_.flush();
  line_.clear();
  return target_ ? 0 : -1;
}

TPrivateFolder::TPrivateFolder() {
  const fs::path base = fs::temp_directory_path();
  // Work folders of runs that were killed are removed as a new one is made.
  path_ = places::MakeProcessFolder(fileutil::Utf8(base), "torvane-cli");
  if (path_.empty()) {
    throw TvError("Cannot create a work folder in " + fileutil::Utf8(base));
  }
  std::lock_guard<std::mutex> lock(WorkFoldersMutex());
  WorkFolders().insert(path_);
}

TPrivateFolder::~TPrivateFolder() {
  std::lock_guard<std::mutex> lock(WorkFoldersMutex());
  std::error_code ignored;
  fs::remove_all(fileutil::FsPath(path_), ignored);
  WorkFolders().erase(path_);
}

int PublishCommand(const std::string& projectPath, const std::string& toFolder, std::ostream& out,
                   std::ostream& err, const TCommandOptions& options) {
  std::optional<TTerminalProgress> bar;
  if (options.showProgress) bar.emplace(TPrintableStream::Raw(err), StderrColumns());
  TStreamMessages messages(err, bar ? &*bar : nullptr);
  try {
    std::error_code error;
    const std::string absolute = fileutil::Utf8(fs::absolute(fileutil::FsPath(projectPath), error));
    const std::string project = error ? projectPath : absolute;
    if (!fileutil::IsFile(project)) {
      const bool exists = fs::exists(fileutil::FsPath(project), error);
      err << "torvane-cli: cannot open the project file " << projectPath << ": "
          << (exists ? "it is not a file" : "no such file") << "\n";
      return kExitFailed;
    }
    std::string to =
        fileutil::WithSeparator(toFolder.empty() ? fileutil::FolderOf(project) : toFolder);
    if (!toFolder.empty()) {
      fs::create_directories(fileutil::FsPath(to), error);
      if (!fs::is_directory(fileutil::FsPath(to), error)) {
        err << "torvane-cli: cannot create the folder " << toFolder << "\n";
        return kExitFailed;
      }
    }

    // The project is read under the lock of its folder, so that a save of the window program
    // cannot land between reading it and publishing it there. Publishing into another folder
    // takes that folder's lock instead, after the read: never two at once.
    std::optional<fileutil::TFolderLock> readLock(std::in_place, fileutil::FolderOf(project));
    TPrivateFolder work;
    // Relative picture paths are read from the project's folder (then the current one), as the
    // window reads them; the project file keeps them as written, also when published elsewhere.
    TDesign design;
    try {
      design = ReadDesign(project, &messages);
    } catch (const TvError& refused) {
      err << "torvane-cli: " << refused.what() << "; nothing was published\n";
      return kExitFailed;
    }
    FollowSliderName(design.slider);  // as the window's panels hold the names
    if (!fs::equivalent(fileutil::FsPath(fileutil::WithSeparator(fileutil::FolderOf(project))),
                        fileutil::FsPath(to), error)) {
      readLock.reset();
    }
    // The runtime script comes from the program's files: beside it, or ../share/torvane/.
    const TRunFolders folders{places::FilesFolder(ExecutableFolder()), work.Path()};
    int result = kExitFailed;
    try {
      TRunContext context{options.publish, folders, {}, bar ? &*bar : nullptr, &messages};
      TExportResult published;
      try {
        // The pictures published beside the project stand in for originals that are gone, as
        // they do in the window.
        TPreviewRefill(design.projectFolder).run(design, context, published);
        context.preview = published.preview;
        TPublishExporter(to, fileutil::NameOf(project)).run(design, context, published);
      } catch (...) {
        ClearPreview(folders.previewFolder(), published.preview);
        throw;
      }
      ClearPreview(folders.previewFolder(), published.preview);
      if (bar) bar->Erase();
      int warnings = messages.warnings;
      if (published.runtimeMissing) {
        err << "torvane-cli: warning: the runtime script "
            << fileutil::WithSeparator(folders.program) << "torvane.js is missing; the published "
            << "page will not run\n";
        ++warnings;
      }
      for (const std::string& file : published.files) out << file << "\n";
      warnings += WarnAboutMissingPictures(published, err);
      for (const std::string& warning : published.linkWarnings) {
        err << "torvane-cli: warning: " << warning << "\n";
        ++warnings;
      }
      err << PublishChangesText(published.changes).English() << "\n";
      result = kExitPublished;
      if (options.strict && warnings > 0) {
        err << "torvane-cli: --strict: published with " << warnings
            << (warnings == 1 ? " warning" : " warnings") << "; exit status " << kExitWarnings
            << "\n";
        result = kExitWarnings;
      }
    } catch (const std::exception& failure) {
      if (bar) bar->Erase();
      err << "torvane-cli: publishing " << projectPath << " failed: " << failure.what() << "\n";
    }
    return result;
  } catch (const std::exception& failure) {
    if (bar) bar->Erase();
    err << "torvane-cli: cannot publish " << projectPath << ": " << failure.what() << "\n";
    return kExitFailed;
  }
}

unsigned ParseFormats(const std::string& list) {
  unsigned formats = 0;
  bool jpeg = false;
  size_t start = 0;
  for (;;) {
    const size_t comma = list.find(',', start);
    const std::string name = list.substr(start, comma == std::string::npos ? comma : comma - start);
    if (name == "jpeg" || name == "jpg") {
      jpeg = true;
    } else if (name == "webp") {
      formats |= kWebpFormat;
    } else if (name == "avif") {
      formats |= kAvifFormat;
    } else {
      throw TvError("unknown picture format '" + name + "' in --formats (jpeg, webp, avif)");
    }
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  if (!jpeg) {
    throw TvError("--formats " + list +
                  " lacks jpeg: the JPEG pictures are always published, for browsers that read "
                  "neither of the others");
  }
  return formats;
}

}  // namespace cli
