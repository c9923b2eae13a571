#include "Writers.h"

#include <set>

#include "Errors.h"
#include "FileUtil.h"
#include "MemoryTree.h"
#include "ScriptText.h"

namespace {

// The design's levels as the tree the model's writers read them from (node 0: the slider).
class TLevelsTree : public IDesignTree {
 public:
  explicit TLevelsTree(const std::vector<int>& levels) : levels_(levels) {}
  int NodeCount() const override { return int(levels_.size()) + 1; }
  int Depth(int index) const override { return index == 0 ? 0 : levels_.at(size_t(index) - 1) + 1; }
  std::string Caption(int) const override { return {}; }
  void SetCaption(int, const std::string&) override {}
  int AppendChild(int, const std::string&) override {
    throw TvError("A design's levels take no new items");
  }

 private:
  const std::vector<int>& levels_;
};

void Configure(TProjectModel& model, const TDesign& design, const TPublishOptions& options,
               const TRunFolders& folders) {
  if (!folders.work.empty()) model.SetWorkFolder(folders.work);
  model.PictureCacheEnabled = options.pictureCache;
  model.PictureCacheFolder = options.pictureCacheFolder;
  model.ReadableRuntime = options.readableRuntime;
  model.DoubleDensityPictures = options.doubleDensity;
  model.ModernFormats = options.modernFormats;
  model.ImageWorkers = options.workers;
  model.CancelToken = options.cancel;
  model.AppletData = design.slider;
  model.Items = design.items;
  model.ProjectFolder = design.projectFolder;
}

TDesign DesignOf(const TProjectModel& model, const IDesignTree& tree) {
  TDesign design{model.AppletData, model.Items, {}, model.ProjectFolder};
  design.levels.reserve(model.Items.size());
  for (int node = 1; node < tree.NodeCount(); ++node) design.levels.push_back(tree.Depth(node) - 1);
  return design;
}

}  // namespace

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

TPublishResult PublishDesign(const TDesign& design, const TPublishOptions& options,
                             const TRunFolders& folders, const std::string& folder,
                             const std::string& fileName, IProgress* progress,
                             IMessages* messages) {
  TProjectModel model(folders.program, progress, messages);
  Configure(model, design, options, folders);
  TLevelsTree levels(design.levels);
  TPublishResult result;
  try {
    model.CopyResourceFiles(design.projectFolder);
    model.PublishProject(folder, fileName, levels);
  } catch (...) {
    model.ClearPreview();
    throw;
  }
  const std::string to = fileutil::WithSeparator(folder);
  const std::string base = scripttext::PublishBaseName(fileName);
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
  result.pictureStatus = model.PictureStatus();
  result.linkWarnings = model.LinkWarnings();
  result.changes = model.LastPublish;
  result.design = DesignOf(model, levels);
  model.ClearPreview();
  return result;
}
