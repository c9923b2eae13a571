#include "LivePage.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "Errors.h"
#include "FileUtil.h"
#include "MemoryTree.h"
#include "ScriptText.h"

TLivePage MakeLivePage(const TLiveDesign& design, const std::string& folder,
                       const TLivePageOptions& options) {
  TqelAppletAgent agent(options.programFolder);
  agent.SetWorkFolder(folder);
  agent.PictureCacheEnabled = options.pictureCache;
  agent.PictureCacheFolder = options.cacheFolder;
  agent.ImageWorkers = options.imageWorkers;
  agent.CancelToken = options.cancel.get();
  agent.AppletData = design.slider;
  agent.Items = design.items;
  TMemoryTree tree;
  agent.RebuildItemNodes(tree);

  std::error_code error;
  std::filesystem::create_directories(fileutil::FsPath(agent.PreviewFolder()), error);
  if (error) throw TvFileError("Cannot create the folder " + agent.PreviewFolder());
  TLivePage page;
  page.pagePath = agent.PreviewFolder() + "index.html";
  agent.MakeHTMLCodes(page.pagePath, tree);
  agent.CopyScriptFilesToPreview(agent.WorkFolder());
  if (!options.madePictures.empty()) {
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

  const scripttext::TCheckedDesign checked = scripttext::CheckDesign(agent.AppletData, agent.Items);
  page.width = std::stoi(checked.width);
  page.height = static_cast<int>(std::min<long long>(scripttext::OuterHeight(checked), 1 << 30));
  return page;
}
