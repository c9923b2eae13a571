#include "LivePage.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <system_error>
#include <tuple>

#include "Conversions.h"
#include "Errors.h"
#include "FileUtil.h"
#include "MemoryTree.h"
#include "ScriptText.h"
#include "images/ImageScaler.h"
#include "images/PictureCache.h"

std::vector<bool> UnusablePictures(const TLiveDesign& live) {
  const TDesign& design = live.design;
  std::vector<bool> unusable(design.items.size(), false);
  for (size_t i = 0; i < design.items.size(); ++i) {
    if (Trim(design.items[i].originalPath).empty()) continue;
    const std::string path = ResolvePicturePath(design.projectFolder, design.items[i].originalPath);
    bool usable = fileutil::IsFile(path) && !live.refusedPictures.count(path);
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

namespace {

// 64-bit FNV-1a of the text, as 16 hex digits.
std::string HashText(const std::string& text) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const unsigned char c : text) hash = (hash ^ c) * 1099511628211ull;
  static const char kDigits[] = "0123456789abcdef";
  std::string hex(16, '0');
  for (int k = 15; k >= 0; --k, hash >>= 4) hex[size_t(k)] = kDigits[hash & 15];
  return hex;
}

std::string StampText(const TSourceStamp& stamp) {
  return stamp.canonicalPath + '\n' + std::to_string(stamp.size) + ' ' +
         std::to_string(stamp.modifiedNs) + ' ' + std::to_string(stamp.changedNs) + ' ' +
         std::to_string(stamp.device) + ' ' + std::to_string(stamp.fileId);
}

// Whether the picture may be transparent (its look then depends on the background colour).
bool MayBeTransparent(const std::string& path) {
  std::string type = fileutil::Utf8(fileutil::FsPath(path).extension());
  for (char& c : type) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return !(type == ".jpg" || type == ".jpeg" || type == ".jpe" || type == ".jfif");
}

}  // namespace

TLivePage MakeLivePage(const TLiveDesign& live, const std::string& folder,
                       const TLivePageOptions& options, const TLivePage* before) {
  const TDesign& design = live.design;
  TLivePage page;
  page.unusable.assign(design.items.size(), false);
  TProjectModel model(options.programFolder);
  model.SetWorkFolder(folder);
  model.PictureCacheEnabled = false;  // no picture is made here
  model.CancelToken = options.cancel.get();
  model.Slider = design.slider;
  model.Items = design.items;
  model.ProjectFolder = design.projectFolder;
  const scripttext::TCheckedDesign checked = scripttext::CheckDesign(model.Slider, model.Items);
  unsigned background = 0xFFFFFF;
  if (scripttext::IsHexColor(design.slider.backgroundColour))
    background = static_cast<unsigned>(std::stoul(design.slider.backgroundColour, nullptr, 16));
  const TLivePictures* known = before && before->pictures ? before->pictures.get() : nullptr;
  auto pictures = std::make_shared<TLivePictures>();
  const std::string made =
      options.madePictures.empty() ? std::string() : fileutil::WithSeparator(options.madePictures);
  // Each item names its picture by its contents; nothing is scaled or copied here.
  for (size_t i = 0; i < model.Items.size(); ++i) {
    if (i % 256 == 0) ThrowIfCancelled(model.CancelToken);
    TItemData& item = model.Items[i];
    if (Trim(item.originalPath).empty()) continue;
    const std::string source = ResolvePicturePath(design.projectFolder, item.originalPath);
    item.originalPath.clear();
    const std::optional<TSourceStamp> stamp = SourceStampOf(source);
    page.unusable[i] = true;
    if (!stamp) {
      // Not found: the picture Save keeps, made under the item's name earlier, when there is one.
      const std::optional<TSourceStamp> earlier =
          made.empty() || !scripttext::IsPlainFileName(item.imageFile)
              ? std::nullopt
              : SourceStampOf(made + item.imageFile);
      if (!earlier) continue;  // its name finds nothing: shown as missing
      TLivePicture picture;
      picture.made = made + item.imageFile;
      item.imageFile = "m" + HashText(StampText(*earlier)) + ".jpg";
      pictures->emplace(item.imageFile, picture);
      continue;
    }
    if (live.refusedPictures.count(source)) {  // unreadable: shown missing
      item.imageFile.clear();
      continue;
    }
    std::string key = StampText(*stamp) + '\n' + std::to_string(checked.heightValue);
    if (MayBeTransparent(source)) key += '\n' + std::to_string(background);
    const std::string name = "p" + HashText(key) + ".jpg";
    TLivePicture picture;
    picture.source = source;
    picture.height = checked.heightValue;
    picture.background = background;
    if (const auto it = known ? known->find(name) : TLivePictures::const_iterator();
        known && it != known->end()) {
      picture.width = it->second.width;
      picture.shownHeight = it->second.shownHeight;
    } else {
      try {
        const auto [width, height] = UprightPictureSize(source);
        std::tie(picture.width, picture.shownHeight) =
            ScaledSize(width, height, checked.heightValue);
      } catch (const TvError&) {  // its header cannot be read: shown missing
        item.imageFile.clear();
        continue;
      }
    }
    page.unusable[i] = false;
    item.imageFile = name;
    item.width = std::to_string(picture.width);
    item.height = std::to_string(picture.shownHeight);
    pictures->emplace(name, std::move(picture));
  }
  page.pictures = std::move(pictures);
  TLevelsTree tree(design.levels);

  std::error_code error;
  std::filesystem::create_directories(fileutil::FsPath(model.PreviewFolder()), error);
  if (error)
    throw TvFileError(
        TV_MESSAGE("model", "Cannot create the folder %1").Arg(model.PreviewFolder()));
  page.pagePath = model.PreviewFolder() + "index.html";
  model.MakeHTMLCodes(page.pagePath, tree);
  model.CopyScriptFilesToPreview(model.WorkFolder());
  if (!fileutil::IsFile(model.PreviewFolder() + model.ScriptFiles[0]))
    throw TvFileError(
        TV_MESSAGE("model", "The runtime script is missing: %1")
            .Arg(fileutil::WithSeparator(options.programFolder) + model.ScriptFiles[0]));

  page.items = model.Items;
  page.divId = model.Slider.divId;
  page.styleSheet = fileutil::ReadFileBytes(model.PreviewFolder() + model.ScriptFiles[2]);
  // The configuration script lists the items ("CISlider1([...]);", each adding to the list
  // Slider1cfg) and ends with the call that draws the slider: "new BXae(...);};". In place, the
  // list is given anew before the call.
  const std::string cfgName = scripttext::JsIdentifier(model.Slider.configName);
  const std::string itemLine = "CI" + scripttext::JsIdentifier(model.Slider.name) + "([";
  std::string list;
  for (const std::string& line :
       fileutil::ReadTextLines(model.PreviewFolder() + model.ScriptFiles[1])) {
    if (line.rfind(itemLine, 0) == 0 && line.size() > itemLine.size() + 2)
      list += (list.empty() ? "" : ",") +
              line.substr(itemLine.size() - 1, line.size() - itemLine.size() - 1);
    if (line.rfind("new BXae(", 0) == 0 && line.size() > 2)
      page.sliderCall = "(window." + cfgName + "=[" + list + "]," +
                        line.substr(0, line.rfind(';', line.size() - 3)) + ")";
  }
  page.width = std::stoi(checked.width);
  page.height = static_cast<int>(std::min<long long>(scripttext::OuterHeight(checked), 1 << 30));
  return page;
}

void MakeLivePicture(const TLivePicture& picture, const std::string& path, TPictureCache* cache) {
  std::string bytes;
  if (picture.source.empty()) {
    bytes = fileutil::ReadFileBytes(picture.made);
  } else {
    TScaleOptions options;
    options.background = picture.background;
    const TScaledImage scaled = ScaleJpegFileCached(picture.source, picture.height, cache, options);
    bytes.assign(scaled.jpeg.begin(), scaled.jpeg.end());
  }
  fileutil::WriteFileReplacingName(path, bytes);
}
