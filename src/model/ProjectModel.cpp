// A run's copy of the design: slider parameters, the item list and their defaults, and the tree
// nodes that stand for the items.
#include "ProjectModel.h"

#include <algorithm>

#include "Conversions.h"
#include "FileUtil.h"

TProjectModel::TProjectModel(const std::string& programFolder, IProgress* progress,
                             IMessages* messages)
    : ScriptFiles{"torvane.js", "torvanecfg.js", "torvane.css"},
      Separator(kSeparator),
      programFolder_(fileutil::WithSeparator(programFolder)),
      workFolder_(programFolder_),
      progress_(progress),
      messages_(messages) {}

void TProjectModel::SetWorkFolder(const std::string& folder) {
  workFolder_ = fileutil::WithSeparator(folder);
}

std::string PreviewFolderIn(const std::string& workFolder) {
  return fileutil::WithSeparator(fileutil::WithSeparator(workFolder) + "preview");
}

std::string TProjectModel::PicturePath(size_t index) const {
  return ResolvePicturePath(ProjectFolder, Items.at(index).originalPath);
}

void TProjectModel::LoadDefaults() {
  Slider = SliderFromStrings({"Slider1", "Slider1Cfg", "Slider1_DIV", "370", "120", "1", "39",
                              "0",       "0",          "FFFFFF",      "",    "4",   "2", "DBEAF5",
                              "4",       "0",          "FFFF00",      "",    "",    "1"});
  Items.clear();
}

void TProjectModel::RebuildItemNodes(IDesignTree& tree) const {
  // Levels that are not well formed are brought into shape before a node is placed: a level that
  // is not a number or is negative counts as 0, and no level may exceed its predecessor's by more
  // than one (the first item's predecessor counts as level -1). Every item thus gets exactly one
  // node, and item i lands at absolute index i + 1.
  // lastAt[d]: the position of the latest item at level d, so that an item's parent (the latest
  // item one level up) is found in constant time.
  std::vector<size_t> lastAt;
  int previous = -1;
  for (size_t i = 0; i < Items.size(); ++i) {
    int level = 0;
    if (!TryStrToInt(Items[i].level, level) || level < 0) level = 0;
    level = std::min(level, previous + 1);
    previous = level;
    const int parent =
        level == 0 ? 0 : static_cast<int>(lastAt[static_cast<size_t>(level) - 1]) + 1;
    lastAt.resize(static_cast<size_t>(level));
    lastAt.push_back(i);
    tree.AppendChild(parent, "Image");
  }
}
