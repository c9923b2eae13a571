// MakeHTMLCodes: the style sheet, the configuration script, the page and the scaled pictures.
//
// A run checks the design first (nothing is written for a design that would produce a broken or
// hostile script), brings the items up to date (levels, link paths, picture names and sizes),
// writes the scaled pictures straight into the preview folder and then the three text files.
// Every line ends with CR LF; user text is escaped so the script and the page are pure ASCII.
#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "Conversions.h"
#include "Errors.h"
#include "FileUtil.h"
#include "ProjectModel.h"
#include "ScriptText.h"
#include "images/ImageScaler.h"
#include "images/PictureCache.h"

namespace {

const char* const kCopyright = "Copyright (C) 2026 QEL. All rights reserved.";
const char* const kProductPage = "https://www.torvane.example/";
const char* const kSupportPage = "https://www.torvane.example/support/";
const char* const kHomePage = "https://www.torvane.example/";

// The simple lower-case form of a letter, for comparing text without regard to letter case:
// ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic capitals; everything else is itself.
char32_t FoldCase(char32_t c) {
  if (c >= 'A' && c <= 'Z') return c + 32;
  if (c < 0xC0) return c;
  if ((c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 32;
  if (c >= 0x100 && c <= 0x137) return (c & 1) ? c : c + 1;
  if (c >= 0x139 && c <= 0x148) return (c & 1) ? c + 1 : c;
  if (c >= 0x14A && c <= 0x177) return (c & 1) ? c : c + 1;
  if (c == 0x178) return 0xFF;
  if (c >= 0x179 && c <= 0x17E) return (c & 1) ? c + 1 : c;
  if (c == 0x386) return 0x3AC;
  if (c >= 0x388 && c <= 0x38A) return c + 37;
  if (c == 0x38C) return 0x3CC;
  if (c == 0x38E || c == 0x38F) return c + 63;
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 32;
  if (c >= 0x400 && c <= 0x40F) return c + 80;
  if (c >= 0x410 && c <= 0x42F) return c + 32;
  if (c >= 0x460 && c <= 0x481) return (c & 1) ? c : c + 1;
  if (c >= 0x48A && c <= 0x4BF) return (c & 1) ? c : c + 1;
  return c;
}

// The text as case-folded code points, each with the byte offset where it starts; bytes that are
// not valid UTF-8 stand for themselves (as values no code point takes). A last entry marks the
// end.
struct TFolded {
  std::vector<char32_t> codes;
  std::vector<size_t> offsets;
};

TFolded Fold(const std::string& text) {
  TFolded folded;
  for (size_t i = 0; i < text.size();) {
    const size_t at = i;
    const char32_t code = fileutil::NextCodePoint(text, i);
    folded.codes.push_back(code == fileutil::kNoCodePoint
                               ? 0x110000 + static_cast<unsigned char>(text[at])
                               : FoldCase(code));
    folded.offsets.push_back(at);
  }
  folded.offsets.push_back(text.size());
  return folded;
}

// Every occurrence of `from` in `text`, found left to right without overlap and without regard
// to letter case, replaced by `to` as it stands.
std::string ReplaceAllNoCase(const std::string& text, const std::string& from,
                             const std::string& to) {
  if (from.empty()) return text;
  const TFolded t = Fold(text);
  const TFolded f = Fold(from);
  const size_t n = f.codes.size();
  std::string result;
  size_t copied = 0;  // byte offset in text up to which the result is complete
  size_t i = 0;       // code point index in text
  while (i + n <= t.codes.size()) {
    if (std::equal(f.codes.begin(), f.codes.end(), t.codes.begin() + static_cast<long>(i))) {
      result.append(text, copied, t.offsets[i] - copied);
      result += to;
      i += n;
      copied = t.offsets[i];
    } else {
      ++i;
    }
  }
  return result + text.substr(copied);
}

// Levels from the tree and the link path replacement of the Path tab.
void PrepareItems(TSliderData& data, TItemArray& items, IDesignTree& tree) {
  const std::string local = data.localRoot;
  const std::string remote = data.remoteRoot;
  const bool replace = !Trim(local).empty() && !Trim(remote).empty();
  const bool toLocal = data.localRootChecked == "1";
  const int count = std::min<int>(tree.NodeCount() - 1, static_cast<int>(items.size()));
  for (int k = 1; k <= count; ++k) {
    TItemData& item = items[static_cast<size_t>(k - 1)];
    item.level = std::to_string(tree.Depth(k) - 1);
    if (replace) {
      item.link = toLocal ? ReplaceAllNoCase(item.link, remote, local)
                          : ReplaceAllNoCase(item.link, local, remote);
    }
  }
}

std::vector<std::string> HeaderLines() {
  return {"/*", "Torvane 1.1", kCopyright, kProductPage, kSupportPage, "*/"};
}

std::string Quoted(const std::string& value) { return "'" + scripttext::JsString(value) + "'"; }

// The item's fields as its configuration entry publishes them, in their columns: text quoted,
// sizes as whole numbers. Throws TvError for a size that is none, naming the item (`index`).
std::string ConfigEntry(const TItemData& item, size_t index) {
  static const std::vector<const TItemFieldInfo*> columns = [] {
    std::vector<const TItemFieldInfo*> published;
    for (const TItemFieldInfo& info : kItemFieldTable)
      if (info.configColumn >= 0) published.push_back(&info);
    std::sort(published.begin(), published.end(),
              [](auto* a, auto* b) { return a->configColumn < b->configColumn; });
    return published;
  }();
  std::string entry;
  for (const TItemFieldInfo* info : columns) {
    const std::string& value = item.*info->member;
    if (!entry.empty()) entry += ",";
    entry += info->kind == TValueKind::ItemSize
                 ? scripttext::CanonicalItemSize(
                       value,
                       TV_MESSAGE("model", "Item %1's %2").Arg(index + 1).Arg(TMessage(info->name)))
                 : Quoted(value);
  }
  return entry;
}

// The further formats, in the order browsers should prefer them, with their file extensions.
constexpr std::pair<unsigned, const char*> kModernFormats[] = {{kAvifFormat, "avif"},
                                                               {kWebpFormat, "webp"}};

// What an item's entry carries after its size: the picture at twice the height (seventh entry)
// and the further formats its pictures exist in (eighth, "avif webp"; then the seventh is
// written, empty when there is no such picture). Runtimes that know neither ignore them.
std::string TrailingEntries(const std::string& doubleName, const std::array<unsigned, 2>& formats) {
  std::string names;
  for (const auto& [format, extension] : kModernFormats) {
    // A format counts only when every picture of the item has it.
    if (!(formats[0] & format) || (!doubleName.empty() && !(formats[1] & format))) continue;
    names += (names.empty() ? "" : " ") + std::string(extension);
  }
  if (names.empty()) return doubleName.empty() ? "" : "," + Quoted(doubleName);
  return "," + Quoted(doubleName) + "," + Quoted(names);
}

// "slider0.jpg", or "slider0@2x.jpg" for the picture at twice the height; "slider0.webp" ... in
// the other formats.
std::string PictureName(int position, bool doubleDensity, const char* extension = "jpg") {
  return "slider" + std::to_string(position) + (doubleDensity ? "@2x" : "") + "." + extension;
}

}  // namespace

std::vector<std::string> TProjectModel::EmbedLines(
    const scripttext::TCheckedDesign& checked) const {
  return {"<link href=\"./" + ScriptFiles[2] + "\" type=text/css rel=stylesheet>",
          "<script language=\"javascript\" src=\"./" + ScriptFiles[0] + "\"></script>",
          "<script language=\"javascript\" src=\"./" + ScriptFiles[1] + "\"></script>",
          "<div id=\"" + scripttext::HtmlAttribute(Slider.divId) +
              "\" style=\"width:" + checked.width +
              "px;height:" + std::to_string(scripttext::OuterHeight(checked)) + "px;\"></div>"};
}

std::vector<std::string> TProjectModel::EmbedCode() const {
  const scripttext::TCheckedDesign checked = scripttext::CheckDesign(Slider, Items);
  std::string files = ScriptFiles[0] + ", " + ScriptFiles[1] + ", " + ScriptFiles[2];
  if (!Items.empty()) {
    const std::string last = PictureName(static_cast<int>(Items.size()) - 1, false);
    files += Items.size() == 1 ? " and slider0.jpg" : " and the pictures slider0.jpg to " + last;
    if (DoubleDensityPictures) files += " (with their @2x pictures)";
  }
  std::vector<std::string> lines = EmbedLines(checked);
  // The name is a script name (checked above): nothing in it can end the comment.
  lines.insert(lines.begin(), "<!-- Torvane slider " + Slider.name +
                                  ": put the files that Save writes beside the project (" + files +
                                  ") into the folder of this page. -->");
  return lines;
}

std::vector<TPictureStatus> TProjectModel::MakeHTMLCodes(const std::string& pagePath,
                                                         IDesignTree& tree) {
  fileutil::WriteTextLines(pagePath, MakePage(tree));
  return pictureStatus_;
}

std::vector<std::string> TProjectModel::MakePage(IDesignTree& tree) {
  pictureStatus_.clear();
  const scripttext::TCheckedDesign checked = scripttext::CheckDesign(Slider, Items);
  TProgressScope status(Progress(), TV_MESSAGE_NOOP("model", "Making HTML Codes ... ..."));
  ScriptFiles[1] = "torvanecfg.js";
  ScriptFiles[2] = "torvane.css";

  // Pictures: one scaling job per distinct source file (the same file reached by different path
  // spellings or links counts once); items sharing a source share its result. For screens of
  // high pixel density a second job makes the picture at twice the height, never enlarged.
  const int count = std::min<int>(tree.NodeCount() - 1, static_cast<int>(Items.size()));
  std::optional<TPictureCache> cache;
  const std::string cacheFolder =
      PictureCacheFolder.empty() ? TPictureCache::DefaultFolder() : PictureCacheFolder;
  if (PictureCacheEnabled && !cacheFolder.empty()) cache.emplace(cacheFolder, PictureCacheLimit);
  TScaleOptions options;
  if (scripttext::IsHexColor(Slider.backgroundColour)) {
    options.background = static_cast<unsigned>(std::stoul(Slider.backgroundColour, nullptr, 16));
  }
  options.cancel = CancelToken;
  options.formats = ModernFormats;
  TScaleOptions doubleOptions = options;
  doubleOptions.neverEnlarge = true;
  std::vector<TScaleJob> jobs;
  std::vector<bool> isDouble;  // per job: the picture at twice the height
  std::map<std::string, size_t> jobOfSource;
  std::vector<long> jobOfItem(static_cast<size_t>(count), -1);
  pictureStatus_.assign(static_cast<size_t>(count), TPictureStatus::Missing);
  for (int k = 1; k <= count; ++k) {
    const std::string source = PicturePath(static_cast<size_t>(k - 1));
    if (!fileutil::IsFile(source)) continue;
    pictureStatus_[static_cast<size_t>(k - 1)] = TPictureStatus::Found;
    std::error_code error;
    std::string key = fileutil::Utf8(std::filesystem::canonical(fileutil::FsPath(source), error));
    if (error) key = source;
    auto [it, added] = jobOfSource.emplace(key, jobs.size());
    if (added) {
      jobs.push_back({source, checked.heightValue, cache ? &*cache : nullptr, options, k});
      isDouble.push_back(false);
      if (DoubleDensityPictures) {
        jobs.push_back(
            {source, 2 * checked.heightValue, cache ? &*cache : nullptr, doubleOptions, k});
        isDouble.push_back(true);
      }
    }
    jobOfItem[static_cast<size_t>(k - 1)] = static_cast<long>(it->second);
  }
  // An item whose picture is not made again keeps its width and height: they must be numbers
  // (or empty) before anything is written. Items with a picture get new ones below.
  for (size_t i = 0; i < Items.size(); ++i) {
    if (i < jobOfItem.size() && jobOfItem[i] >= 0) continue;
    (void)ConfigEntry(Items[i], i);
  }

  PrepareItems(Slider, Items, tree);
  DoubleDensityFiles.clear();
  ModernFormatFiles.clear();
  std::vector<std::string> doubleOfItem(Items.size());
  // Per item and picture (1x, 2x): the further formats written into the preview folder.
  std::vector<std::array<unsigned, 2>> formatsWritten(Items.size(), {0u, 0u});

  if (!jobs.empty()) {
    // Each picture is written into the preview folder as soon as it is scaled, so memory holds
    // only the pictures being worked on. The items learn their new names and sizes in list order
    // once every picture is done; after a failure the pictures already written are still listed
    // in PreviewFiles, so that ClearPreview removes them.
    std::vector<std::pair<int, int>> sizeOfJob(jobs.size());
    std::vector<std::vector<int>> itemsOfJob(jobs.size());
    for (int k = 1; k <= count; ++k) {
      const long job = jobOfItem[static_cast<size_t>(k - 1)];
      if (job < 0) continue;
      itemsOfJob[static_cast<size_t>(job)].push_back(k);
      if (DoubleDensityPictures) itemsOfJob[static_cast<size_t>(job) + 1].push_back(k);
    }
    std::vector<bool> written(static_cast<size_t>(count), false);
    std::vector<bool> writtenDouble(static_cast<size_t>(count), false);
    const auto recordWritten = [&] {
      for (int k = 1; k <= count; ++k) {
        if (written[static_cast<size_t>(k - 1)]) PreviewFiles.push_back(PictureName(k - 1, false));
        if (writtenDouble[static_cast<size_t>(k - 1)]) {
          PreviewFiles.push_back(PictureName(k - 1, true));
          doubleOfItem[static_cast<size_t>(k - 1)] = PictureName(k - 1, true);
          DoubleDensityFiles.push_back(PictureName(k - 1, true));
        }
        for (const bool dense : {false, true}) {
          for (const auto& [format, extension] : kModernFormats) {
            if (!(formatsWritten[static_cast<size_t>(k - 1)][dense] & format)) continue;
            PreviewFiles.push_back(PictureName(k - 1, dense, extension));
            ModernFormatFiles.push_back(PictureName(k - 1, dense, extension));
          }
        }
      }
    };
    Progress().SetMaximum(static_cast<int>(jobs.size()));
    std::error_code ignored;  // a folder that cannot be made shows in the write below
    std::filesystem::create_directory(fileutil::FsPath(PreviewFolder()), ignored);
    try {
      ScaleJpegFilesEach(jobs, ImageWorkers, [&](size_t job, TScaledImage&& picture) {
        ThrowIfCancelled(CancelToken);
        Progress().Step(1);
        if (picture.jpeg.empty()) return;  // a source too small for a picture at twice the size
        sizeOfJob[job] = {picture.width, picture.height};
        const std::string bytes(picture.jpeg.begin(), picture.jpeg.end());
        picture.jpeg.clear();
        picture.jpeg.shrink_to_fit();
        for (const int k : itemsOfJob[job]) {
          // Not forced to the disk: the preview folder is made again whenever it is needed. A
          // picture that is already there as it is stays untouched.
          fileutil::WriteFileIfChanged(PreviewFolder() + PictureName(k - 1, isDouble[job]), bytes,
                                       false);
          (isDouble[job] ? writtenDouble : written)[static_cast<size_t>(k - 1)] = true;
          for (const auto& [format, extension] : kModernFormats) {
            const std::vector<unsigned char>& encoded =
                format == kWebpFormat ? picture.webp : picture.avif;
            if (encoded.empty()) continue;
            fileutil::WriteFileIfChanged(
                PreviewFolder() + PictureName(k - 1, isDouble[job], extension),
                std::string(encoded.begin(), encoded.end()), false);
            formatsWritten[static_cast<size_t>(k - 1)][isDouble[job]] |= format;
          }
        }
      });
    } catch (...) {
      recordWritten();
      throw;
    }
    recordWritten();
    if (cache) cache->Trim();
    for (int k = 1; k <= count; ++k) {
      const long job = jobOfItem[static_cast<size_t>(k - 1)];
      if (job < 0) continue;
      TItemData& item = Items[static_cast<size_t>(k - 1)];
      item.width = std::to_string(sizeOfJob[static_cast<size_t>(job)].first);
      item.height = std::to_string(sizeOfJob[static_cast<size_t>(job)].second);
      item.imageFile = "slider" + std::to_string(k - 1) + ".jpg";
    }
  }

  // Derived values: a border of style "none" takes no room.
  const std::string outerHeight = std::to_string(scripttext::OuterHeight(checked));
  const std::string imageBorderText = std::to_string(scripttext::EffectiveImageBorder(checked));
  const std::string containerBorderText =
      std::to_string(scripttext::EffectiveContainerBorder(checked));

  std::vector<std::string> css = HeaderLines();
  css.push_back(".slidercontainer{");
  css.push_back("BORDER:" + CssColor(Slider.containerBorderColour) + " " +
                CssPixels(containerBorderText) + " " +
                CssBorderStyle(std::to_string(checked.containerBorderStyle)) + ";");
  css.push_back("}");
  css.push_back(".sliderimages{");
  css.push_back("BORDER:" + CssColor(Slider.imageBorderColour) + " " + CssPixels(imageBorderText) +
                " " + CssBorderStyle(std::to_string(checked.imageBorderStyle)) + ";");
  css.push_back("}");

  // Names enter the script as pure ASCII (non-ASCII letters escaped), as all the rest does.
  const std::string name = scripttext::JsIdentifier(Slider.name);
  std::vector<std::string> cfg = HeaderLines();
  for (size_t i = 0; i < Items.size(); ++i) {
    cfg.push_back("CI" + name + "([" + ConfigEntry(Items[i], i) +
                  TrailingEntries(doubleOfItem[i], formatsWritten[i]) + "]);");
  }
  cfg.push_back("function CI" + name + "(ipa){");
  cfg.push_back("if(!(window." + name + "cfg)){eval('window." + name + "cfg=new Array();');};");
  cfg.push_back(name + "cfg[" + name + "cfg.length]=ipa;};");
  cfg.push_back("function Init" + name + "(){");
  cfg.push_back("if (!window.Bmaf){setTimeout('Init" + name + "()',350);return;};");
  // The configuration array only comes into being with the first item line; without items the
  // bare name would stop the script with a ReferenceError, so it is looked up on window instead
  // and the runtime draws an empty box.
  const std::string cfgArgument =
      (Items.empty() ? "window." : "") + scripttext::JsIdentifier(Slider.configName);
  cfg.push_back("new BXae(" + Quoted(Slider.divId) + "," + checked.width + "," + outerHeight + "," +
                checked.step + "," + checked.delay + "," + checked.gap + "," +
                checked.trailerSpace + "," + Quoted(Slider.backgroundColour) + "," + cfgArgument +
                "," + imageBorderText + "," + containerBorderText + ");};");
  cfg.push_back("Init" + name + "();");

  char length[8];
  std::snprintf(length, sizeof length, "%04zu", std::string(kHomePage).size());
  const std::vector<std::string> code = EmbedLines(checked);
  const std::vector<std::string> page = {
      "<!-- saved from url=(" + std::string(length) + ")" + kHomePage + " -->",
      "<html>",
      "<head>",
      "<title>Preview</title>",
      "</head>",
      "<body>",
      "",
      "<!-- Torvane 1.1 -->",
      std::string("<!-- ") + kCopyright + " -->",
      std::string("<!-- ") + kProductPage + " -->",
      "<!-- NOTE: Please insert these codes into <body> section of Web pages. -->",
      "<!-- BEGIN -->",
      code[0],
      code[1],
      code[2],
      "<!-- END -->",
      "",
      "<!-- Please insert the <div> below to your Web page where you would -->",
      "<!-- like to include the menu. -->",
      code[3],
      "",
      "</body>",
      "</html>"};

  // From here on the files the user sees are replaced: a run is no longer stopped halfway.
  if (CancelToken) CancelToken->Commit();
  const std::string workFolder = fileutil::WithSeparator(WorkFolder());
  fileutil::WriteTextLines(workFolder + ScriptFiles[2], css);
  fileutil::WriteTextLines(workFolder + ScriptFiles[1], cfg);
  return page;
}
