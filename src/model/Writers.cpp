#include "Writers.h"

#include <filesystem>
#include <set>
#include <system_error>

#include "Errors.h"
#include "FileUtil.h"
#include "MemoryTree.h"
#include "ScriptText.h"
#include "images/Thumbnail.h"

namespace {

TDesign DesignOf(const TProjectModel& model, const IDesignTree& tree) {
  TDesign design{model.Slider, model.Items, {}, model.ProjectFolder};
  design.levels.reserve(model.Items.size());
  for (int node = 1; node < tree.NodeCount(); ++node) design.levels.push_back(tree.Depth(node) - 1);
  return design;
}

// One run of the project model on a copy of the design. Whatever way the run ends, the result
// learns which pictures it looked for and what the preview folder holds; a run that comes to its
// end also hands back the design as it wrote it.
class TRun {
 public:
  // `makesPictures`: the run generates the page and looks for every item's picture.
  TRun(const TDesign& design, const TRunContext& context, TExportResult& result,
       bool makesPictures = false)
      : model(context.folders.program, context.progress, context.messages),
        levels(design.levels),
        makesPictures_(makesPictures),
        result_(result) {
    const TPublishOptions& options = context.options;
    if (!context.folders.work.empty()) model.SetWorkFolder(context.folders.work);
    model.PictureCacheEnabled = options.pictureCache;
    model.PictureCacheFolder = options.pictureCacheFolder;
    model.ReadableRuntime = options.readableRuntime;
    model.DoubleDensityPictures = options.doubleDensity;
    model.ModernFormats = options.modernFormats;
    model.ImageWorkers = options.workers;
    model.CancelToken = options.cancel;
    model.Slider = design.slider;
    model.Items = design.items;
    model.ProjectFolder = design.projectFolder;
    model.PreviewFiles = context.preview.files;
    model.DoubleDensityFiles = context.preview.doubleDensityFiles;
    model.ModernFormatFiles = context.preview.modernFormatFiles;
    result_.preview = context.preview;
  }
  ~TRun() {
    result_.preview.files = model.PreviewFiles;
    if (makesPictures_) result_.pictureStatus = model.PictureStatus();
  }
  TRun(const TRun&) = delete;
  TRun& operator=(const TRun&) = delete;

  // The run came to its end: what it made and wrote counts from now on.
  void finished() {
    result_.preview.doubleDensityFiles = model.DoubleDensityFiles;
    result_.preview.modernFormatFiles = model.ModernFormatFiles;
    result_.written = DesignOf(model, levels);
  }

  TProjectModel model;  // the engine, on the run's copy of the design
  TLevelsTree levels;

 private:
  bool makesPictures_;
  TExportResult& result_;
};

}  // namespace

std::string TRunFolders::workFolder() const {
  return fileutil::WithSeparator(work.empty() ? program : work);
}

std::string TRunFolders::previewFolder() const { return PreviewFolderIn(workFolder()); }

void TPublishExporter::run(const TDesign& design, const TRunContext& context,
                           TExportResult& result) const {
  TRun run(design, context, result, true);
  TProjectModel& model = run.model;
  model.PublishProject(folder_, fileName_, run.levels);
  run.finished();
  const std::string to = fileutil::WithSeparator(folder_);
  const std::string base = scripttext::PublishBaseName(fileName_);
  result.runtimeMissing = !fileutil::IsFile(model.ProgramFolder() + model.ScriptFiles[0]);
  result.files = {to + base + ".html"};
  if (!result.runtimeMissing) result.files.push_back(to + model.ScriptFiles[0]);
  for (const std::string& name :
       {model.ScriptFiles[1], model.ScriptFiles[2], base + ".tvn", base + "_PublishReport.txt"})
    result.files.push_back(to + name);
  std::set<std::string> pictures;
  for (const TItemData& item : model.Items) {
    if (!scripttext::IsPublishedPictureName(item.imageFile)) continue;
    for (const std::string& name : model.PublishedPicturesOf(item.imageFile)) {
      if (fileutil::IsFile(model.PreviewFolder() + name) && pictures.insert(name).second)
        result.files.push_back(to + name);
    }
  }
  result.linkWarnings = model.LinkWarnings();
  result.changes = model.LastPublish;
}

void TPageCodeExporter::run(const TDesign& design, const TRunContext& context,
                            TExportResult& result) const {
  TRun run(design, context, result, true);
  result.lines = run.model.MakePage(run.levels);
  run.finished();
}

void TPreviewExporter::run(const TDesign& design, const TRunContext& context,
                           TExportResult& result) const {
  TRun run(design, context, result, !page_);
  TProjectModel& model = run.model;
  const std::vector<std::string> page = page_ ? *page_ : model.MakePage(run.levels);
  // The script files go beside the page; the page is written there last.
  model.CopyScriptFilesToPreview(model.WorkFolder());
  const std::string path = model.PreviewFolder() + pageName_;
  fileutil::WriteTextLines(path, page);
  model.PreviewFiles.push_back(pageName_);
  if (!page_) run.finished();
  result.files = {path};
  result.lines = page;
}

void TEmbedCodeExporter::run(const TDesign& design, const TRunContext& context,
                             TExportResult& result) const {
  TRun run(design, context, result);
  result.lines = run.model.EmbedCode();
}

void TCheckExporter::run(const TDesign& design, const TRunContext& context,
                         TExportResult& result) const {
  const auto problem = [&](bool fails, const std::string& text) {
    result.problems.push_back({fails, text});
  };
  try {
    scripttext::CheckDesign(design.slider, design.items);
  } catch (const TvError& failure) {
    problem(true, failure.what());
  }
  for (size_t i = 0; i < design.items.size(); ++i) {
    ThrowIfCancelled(context.options.cancel);
    const TItemData& item = design.items[i];
    const std::string name = "item " + std::to_string(i + 1);
    const std::string path = design.picturePath(i);
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
  TRun run(design, context, result);
  for (const std::string& warning : run.model.LinkWarnings()) problem(false, warning);
}

void TReportExporter::run(const TDesign& design, const TRunContext& context,
                          TExportResult& result) const {
  TRun run(design, context, result);
  TProjectModel& model = run.model;
  std::error_code error;
  std::filesystem::create_directories(fileutil::FsPath(model.PreviewFolder()), error);
  model.MakePublishReport(model.PreviewFolder(), name_);
  model.PreviewFiles.push_back(name_);
  result.files = {model.PreviewFolder() + name_};
}

void TPreviewRefill::run(const TDesign& design, const TRunContext& context,
                         TExportResult& result) const {
  TRun run(design, context, result);
  run.model.ClearPreview();
  if (!publishedFolder_.empty()) run.model.CopyResourceFiles(publishedFolder_);
}

TDesign ReadDesign(const std::string& fileName, IMessages* messages) {
  TProjectModel model({}, nullptr, messages);
  model.LoadDefaults();
  TMemoryTree tree;
  switch (model.LoadProject(fileName, tree)) {
    case TLoadResult::Loaded:
      break;
    case TLoadResult::Rejected:
      throw TvError(TV_MESSAGE("model", "%1 is not a Torvane project file").Arg(fileName));
    case TLoadResult::EndedEarly:
      throw TvError(TV_MESSAGE("model", "%1 ended early (the file is incomplete)").Arg(fileName));
  }
  model.ProjectFolder = fileutil::FolderOf(fileName);
  return DesignOf(model, tree);
}

TOpenedDesign OpenDesign(const std::string& fileName, IMessages* messages) {
  TProjectModel model({}, nullptr, messages);
  model.LoadDefaults();
  TMemoryTree tree;
  TOpenedDesign opened;
  opened.result = model.OpenProject(fileName, tree);
  if (opened.result != TLoadResult::Loaded) return opened;
  opened.design = DesignOf(model, tree);
  opened.design.projectFolder = fileutil::FolderOf(fileName);
  for (int node = 1; node < tree.NodeCount(); ++node) opened.captions.push_back(tree.Caption(node));
  return opened;
}

TDesign DefaultDesign() {
  TProjectModel model({});
  model.LoadDefaults();
  return {model.Slider, {}, {}, {}};
}

std::string ProjectText(const TDesign& design) {
  TProjectModel model({});
  model.Slider = design.slider;
  model.Items = design.items;
  return model.ProjectText();
}
