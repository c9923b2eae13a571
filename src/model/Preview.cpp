// The preview folder: "preview" inside the work folder. Everything put there during a run is
// recorded in PreviewFiles and removed again by ClearPreview. Copies and deletions never fail
// loudly; a name that is not a plain file name is never used to read, write or delete anything.
#include <filesystem>
#include <string>
#include <system_error>

#include "FileUtil.h"
#include "ProjectModel.h"
#include "ScriptText.h"
#include "Writers.h"

namespace fs = std::filesystem;

void TProjectModel::AddToPreview(const std::string& path, std::string name) {
  if (name.empty()) name = fileutil::NameOf(path);
  if (scripttext::IsPlainFileName(name)) {
    std::error_code ignored;
    fs::create_directory(fileutil::FsPath(PreviewFolder()), ignored);
    fileutil::CopyFileQuiet(path, PreviewFolder() + name);
  }
  // Listed also when the copy failed: ClearPreview skips names it does not find.
  PreviewFiles.push_back(name);
}

std::string TProjectModel::RuntimeScriptSource() const {
  const std::string folder = fileutil::WithSeparator(ProgramFolder());
  if (ReadableRuntime && fileutil::IsFile(folder + kReadableRuntime))
    return folder + kReadableRuntime;
  return folder + ScriptFiles[0];
}

void TProjectModel::ClearPreview() {
  TPreviewState state{PreviewFiles, DoubleDensityFiles, ModernFormatFiles};
  ::ClearPreview(PreviewFolder(), state);
  PreviewFiles.clear();
  DoubleDensityFiles.clear();
  ModernFormatFiles.clear();
}

void ClearPreview(const std::string& previewFolder, TPreviewState& state) {
  const std::string folder = fileutil::WithSeparator(previewFolder);
  for (const std::string& name : state.files) {
    if (scripttext::IsPlainFileName(name) && fileutil::IsFile(folder + name))
      fileutil::RemoveFileQuiet(folder + name);
  }
  state = {};
  std::error_code ignored;  // removes the folder only when nothing else is left in it
  fs::remove(fileutil::FsPath(folder), ignored);
}

void TProjectModel::CopyScriptFilesToPreview(const std::string& folder) {
  const std::string from = fileutil::WithSeparator(folder);
  // The runtime script is one of the program's files; the other two were generated into Folder.
  AddToPreview(RuntimeScriptSource(), ScriptFiles[0]);
  AddToPreview(from + ScriptFiles[1]);
  AddToPreview(from + ScriptFiles[2]);
  fileutil::RemoveFileQuiet(from + ScriptFiles[1]);
  fileutil::RemoveFileQuiet(from + ScriptFiles[2]);
}

void TProjectModel::CopyResourceFiles(const std::string& folder) {
  Progress().SetMaximum(100);
  TProgressScope status(Progress(), TV_MESSAGE_NOOP("model", "Copying Resource Files ... ..."));
  const std::string from = fileutil::WithSeparator(folder);
  for (const TItemData& item : Items) {
    ThrowIfCancelled(CancelToken);  // what was copied is listed, for ClearPreview
    if (scripttext::IsPublishedPictureName(item.imageFile)) AddToPreview(from + item.imageFile);
  }
  Progress().Step(50);
  Progress().Step(50);
}
