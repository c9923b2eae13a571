// The commands of the headless publisher that read a project and write nothing: `check` and
// `snippet`.
#include <exception>
#include <filesystem>
#include <optional>

#include "CliSupport.h"
#include "Errors.h"
#include "FileUtil.h"
#include "Places.h"
#include "Writers.h"

namespace cli {

namespace {

// Messages of the model go to stderr, as the publish command's do.
class TErrMessages : public IMessages {
 public:
  explicit TErrMessages(std::ostream& err) : err_(err) {}
  void Show(TMessageKind kind, const TMessage& message) override {
    err_ << "torvane-cli: " << (kind == TMessageKind::Error ? "error: " : "warning: ")
         << message.English() << "\n";
  }

 private:
  std::ostream& err_;
};

// Reads the project as the Open command does; none (with the reason on err) when it cannot be
// read whole.
std::optional<TDesign> ReadProject(const std::string& projectPath, IMessages& messages,
                                   std::ostream& err) {
  if (!fileutil::IsFile(projectPath)) {
    std::error_code error;
    err << "torvane-cli: cannot open the project file " << projectPath << ": "
        << (std::filesystem::exists(fileutil::FsPath(projectPath), error) ? "it is not a file"
                                                                          : "no such file")
        << "\n";
    return std::nullopt;
  }
  try {
    TDesign design = ReadDesign(projectPath, &messages);
    // Relative picture paths are read from the project's folder, as publishing reads them.
    std::error_code error;
    design.projectFolder = fileutil::FolderOf(
        fileutil::Utf8(std::filesystem::absolute(fileutil::FsPath(projectPath), error)));
    FollowSliderName(design.slider);  // as publishing and the window hold the names
    return design;
  } catch (const TvError& refused) {
    err << "torvane-cli: " << refused.what() << "\n";
    return std::nullopt;
  }
}

// Runs `writer` over the project; false (with the reason on err) when it cannot.
bool Run(const TExporter& writer, const std::string& projectPath, TExportResult& result,
         std::ostream& err) {
  TErrMessages messages(err);
  const std::optional<TDesign> design = ReadProject(projectPath, messages, err);
  if (!design) return false;
  TRunContext context;
  context.folders.program = places::FilesFolder(ExecutableFolder());
  context.messages = &messages;
  try {
    writer.run(*design, context, result);
    return true;
  } catch (const std::exception& failure) {
    err << "torvane-cli: " << projectPath << ": " << failure.what() << "\n";
    return false;
  }
}

}  // namespace

int CheckCommand(const std::string& projectPath, std::ostream& out, std::ostream& err) {
  TExportResult checked;
  if (!Run(TCheckExporter(), projectPath, checked, err)) return 1;
  int errors = 0, warnings = 0;
  for (const TExportResult::TProblem& problem : checked.problems) {
    out << (problem.fails ? "error: " : "warning: ") << problem.text << "\n";
    ++(problem.fails ? errors : warnings);
  }
  err << "torvane-cli: " << projectPath << ": " << errors << " error(s), " << warnings
      << " warning(s)\n";
  return errors > 0 ? 1 : warnings > 0 ? 2 : 0;
}

int SnippetCommand(const std::string& projectPath, std::ostream& out, std::ostream& err) {
  TExportResult snippet;
  if (!Run(TEmbedCodeExporter(), projectPath, snippet, err)) return 1;
  for (const std::string& line : snippet.lines) out << line << "\n";
  return 0;
}

}  // namespace cli
