#include "LivePage.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "Errors.h"
#include "FileUtil.h"
#include "MemoryTree.h"
#include "ScriptText.h"
#include "WYSIWYG_Utility.h"
#include "images/ImageScaler.h"

std::vector<bool> UnusablePictures(const TLiveDesign& design) {
  std::vector<bool> unusable(design.items.size(), false);
  for (size_t i = 0; i < design.items.size(); ++i) {
    if (Trim(design.items[i].OriginalImagePath).empty()) continue;
    const std::string path =
        ResolvePicturePath(design.projectFolder, design.items[i].OriginalImagePath);
    bool usable = fileutil::IsFile(path) && !design.refusedPictures.count(path);
    if (usable) {
      try {
        UprightPictureSize(path);
      } catch (const std::exception&) {
        usable = false;
      }
    }
    unusable[i] = !usable;
  }
  return unusable;
}

bool SamePictures(const TLiveDesign& before, const TLiveDesign& after) {
  if (before.items.size() != after.items.size() || before.slider.pHeight != after.slider.pHeight ||
      before.slider.pSliderName != after.slider.pSliderName ||
      before.refusedPictures != after.refusedPictures ||
      before.projectFolder != after.projectFolder)
    return false;
  bool onlyJpeg = true;
  for (size_t i = 0; i < before.items.size(); ++i) {
    const TItemData& a = before.items[i];
    const TItemData& b = after.items[i];
    if (a.OriginalImagePath != b.OriginalImagePath || a.ILink != b.ILink ||
        a.ITarget != b.ITarget || a.IToolTip != b.IToolTip || a.ILevel != b.ILevel ||
        a.IImageFile != b.IImageFile || a.IWidth != b.IWidth || a.IHeight != b.IHeight)
      return false;
    std::string type = fileutil::Utf8(fileutil::FsPath(Trim(a.OriginalImagePath)).extension());
    for (char& c : type) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    onlyJpeg = onlyJpeg && (type.empty() || type == ".jpg" || type == ".jpeg");
  }
  // A transparent picture is laid on the background colour when it is scaled.
  return onlyJpeg || before.slider.pBgColor == after.slider.pBgColor;
}

TLivePage MakeLivePage(const TLiveDesign& design, const std::string& folder,
                       const TLivePageOptions& options, const TLivePage* shown) {
  TLivePage page;
  page.unusable = shown ? shown->unusable : UnusablePictures(design);
  TqelAppletAgent agent(options.programFolder);
  agent.SetWorkFolder(folder);
  agent.PictureCacheEnabled = options.pictureCache;
  agent.PictureCacheFolder = options.cacheFolder;
  agent.ImageWorkers = options.imageWorkers;
  agent.CancelToken = options.cancel.get();
  agent.AppletData = design.slider;
  agent.Items = design.items;
  agent.ProjectFolder = design.projectFolder;
  // Neither scaled nor taken from an earlier page: the strip shows the picture as missing.
  for (size_t i = 0; i < agent.Items.size(); ++i) {
    TItemData& item = agent.Items[i];
    if (shown) {  // the shown page's pictures stay
      item.OriginalImagePath.clear();
      item.IImageFile = shown->items.at(i).IImageFile;
      item.IWidth = shown->items.at(i).IWidth;
      item.IHeight = shown->items.at(i).IHeight;
    } else if (page.unusable[i] &&
               fileutil::IsFile(ResolvePicturePath(design.projectFolder, item.OriginalImagePath))) {
      // Unreadable: shown missing. A picture not found keeps what Save keeps: the picture made
      // under its item's name earlier, when there is one.
      item.OriginalImagePath.clear();
      item.IImageFile.clear();
    }
  }
  TMemoryTree tree;
  agent.RebuildItemNodes(tree);

  std::error_code error;
  std::filesystem::create_directories(fileutil::FsPath(agent.PreviewFolder()), error);
  if (error) throw TvFileError("Cannot create the folder " + agent.PreviewFolder());
  page.pagePath = agent.PreviewFolder() + "index.html";
  agent.MakeHTMLCodes(page.pagePath, tree);
  agent.CopyScriptFilesToPreview(agent.WorkFolder());
  if (!options.madePictures.empty() && !shown) {
    const std::string from = fileutil::WithSeparator(options.madePictures);
    for (const TItemData& item : agent.Items) {
      const std::string& name = item.IImageFile;
      if (scripttext::IsPlainFileName(name) && !fileutil::IsFile(agent.PreviewFolder() + name) &&
          fileutil::IsFile(from + name))
        fileutil::CopyFileQuiet(from + name, agent.PreviewFolder() + name);
    }
  }
  if (!fileutil::IsFile(agent.PreviewFolder() + agent.ScriptFiles[0]))
    throw TvFileError("The runtime script is missing: " +
                      fileutil::WithSeparator(options.programFolder) + agent.ScriptFiles[0]);

  page.items = agent.Items;
  page.divId = agent.AppletData.pDivId;
  page.styleSheet = fileutil::ReadFileBytes(agent.PreviewFolder() + agent.ScriptFiles[2]);
  // The configuration script ends with the call that draws the slider: "new BXae(...);};".
  for (const std::string& line :
       fileutil::ReadTextLines(agent.PreviewFolder() + agent.ScriptFiles[1])) {
    if (line.rfind("new BXae(", 0) == 0 && line.size() > 2)
      page.sliderCall = line.substr(0, line.rfind(';', line.size() - 3));
  }

  const scripttext::TCheckedDesign checked = scripttext::CheckDesign(agent.AppletData, agent.Items);
  page.width = std::stoi(checked.width);
  page.height = static_cast<int>(std::min<long long>(scripttext::OuterHeight(checked), 1 << 30));
  return page;
}
