// The commands of the headless publisher that read a project and write nothing: `check` and
// `snippet`.
#include <exception>
#include <filesystem>

#include "CliSupport.h"
#include "Conversions.h"
#include "Errors.h"
#include "FileUtil.h"
#include "MemoryTree.h"
#include "Places.h"
#include "ProjectModel.h"
#include "ScriptText.h"
#include "images/Thumbnail.h"

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

// Reads the project as the Open command does; false (with the reason on err) when it cannot be
// read whole.
bool ReadProject(const std::string& projectPath, TProjectModel& model, std::ostream& err) {
  if (!fileutil::IsFile(projectPath)) {
    std::error_code error;
    err << "torvane-cli: cannot open the project file " << projectPath << ": "
        << (std::filesystem::exists(fileutil::FsPath(projectPath), error) ? "it is not a file"
                                                                          : "no such file")
        << "\n";
    return false;
  }
  model.LoadDefaults();
  // Relative picture paths are read from the project's folder, as publishing reads them.
  std::error_code error;
  model.ProjectFolder = fileutil::FolderOf(
      fileutil::Utf8(std::filesystem::absolute(fileutil::FsPath(projectPath), error)));
  TMemoryTree tree;
  switch (model.LoadProject(projectPath, tree)) {
    case TLoadResult::Loaded:
      FollowSliderName(model.AppletData);  // as publishing and the window hold the names
      return true;
    case TLoadResult::Rejected:
      err << "torvane-cli: " << projectPath << " is not a Torvane project file\n";
      return false;
    case TLoadResult::EndedEarly:
      err << "torvane-cli: " << projectPath << " ended early (the file is incomplete)\n";
      return false;
  }
  return false;
}

}  // namespace

int CheckCommand(const std::string& projectPath, std::ostream& out, std::ostream& err) {
  TErrMessages messages(err);
  TProjectModel model(places::FilesFolder(ExecutableFolder()), nullptr, &messages);
  if (!ReadProject(projectPath, model, err)) return 1;
  int errors = 0, warnings = 0;
  const auto problem = [&](bool fails, const std::string& text) {
    out << (fails ? "error: " : "warning: ") << text << "\n";
    ++(fails ? errors : warnings);
  };
  try {
    scripttext::CheckDesign(model.AppletData, model.Items);
  } catch (const TvError& failure) {
    problem(true, failure.what());
  }
  for (size_t i = 0; i < model.Items.size(); ++i) {
    const TItemData& item = model.Items[i];
    const std::string name = "item " + std::to_string(i + 1);
    const std::string path = model.PicturePath(i);
    if (!path.empty() && fileutil::IsFile(path)) {
      if (const std::optional<TMessage> why = PictureProblem(path))
        problem(true, name + ": " + why->English());
      continue;
    }
    // An item whose picture is not made again is published with the name and size it has.
    problem(false, path.empty() ? name + " has no picture chosen"
                                : name + ": the picture " + path +
                                      " was not found; Save keeps the item's earlier picture");
    try {
      scripttext::CanonicalItemSize(
          item.width, TMessage::Verbatim("Item " + std::to_string(i + 1) + "'s width"));
      scripttext::CanonicalItemSize(
          item.height, TMessage::Verbatim("Item " + std::to_string(i + 1) + "'s height"));
      if (!item.imageFile.empty() && !scripttext::IsPublishedPictureName(item.imageFile))
        throw TvError("Item " + std::to_string(i + 1) + "'s picture name '" + item.imageFile +
                      "' is not one that publishing makes");
    } catch (const TvError& failure) {
      problem(true, failure.what());
    }
  }
  for (const std::string& warning : model.LinkWarnings()) problem(false, warning);
  err << "torvane-cli: " << projectPath << ": " << errors << " error(s), " << warnings
      << " warning(s)\n";
  return errors > 0 ? 1 : warnings > 0 ? 2 : 0;
}

int SnippetCommand(const std::string& projectPath, std::ostream& out, std::ostream& err) {
  TErrMessages messages(err);
  TProjectModel model(places::FilesFolder(ExecutableFolder()), nullptr, &messages);
  if (!ReadProject(projectPath, model, err)) return 1;
  try {
    for (const std::string& line : model.EmbedCode()) out << line << "\n";
    return 0;
  } catch (const std::exception& failure) {
    err << "torvane-cli: " << projectPath << ": " << failure.what() << "\n";
    return 1;
  }
}

}  // namespace cli
