// MakeHTMLCodes: the style sheet, the configuration script, the page and the scaled pictures.
//
// A run checks the design first (nothing is written for a design that would produce a broken or
// hostile script), brings the items up to date (levels, link paths, picture names and sizes),
// writes the scaled pictures straight into the preview folder and then the three text files.
// Every line ends with CR LF; user text is escaped so the script and the page are pure ASCII.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "AppletAgent.h"
#include "Errors.h"
#include "FileUtil.h"
#include "ScriptText.h"
#include "WYSIWYG_Utility.h"
#include "images/ImageScaler.h"
#include "images/PictureCache.h"

namespace {

const char* const kCopyright = "Copyright (C) 2026 QEL. All rights reserved.";
const char* const kProductPage = "https://www.torvane.example/";
const char* const kSupportPage = "https://www.torvane.example/support/";
const char* const kHomePage = "https://www.torvane.example/";

const char* const kCaptionFound = "Item";
const char* const kCaptionMissing = "Warning: Original image not found.";

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string LowerAscii(std::string text) {
  for (char& c : text) c = Lower(c);
  return text;
}

// Every occurrence of `from` in `text`, found left to right without overlap and without regard
// to letter case, replaced by `to` as it stands.
std::string ReplaceAllNoCase(const std::string& text, const std::string& from,
                             const std::string& to) {
  if (from.empty()) return text;
  const std::string lowerText = LowerAscii(text);
  const std::string lowerFrom = LowerAscii(from);
  std::string result;
  size_t start = 0;
  for (size_t at = lowerText.find(lowerFrom); at != std::string::npos;
       at = lowerText.find(lowerFrom, start)) {
    result += text.substr(start, at - start);
    result += to;
    start = at + from.size();
  }
  return result + text.substr(start);
}

// Levels from the tree and the link path replacement of the Path tab.
void PrepareItems(TAppletData& data, TItemArray& items, IDesignTree& tree) {
  const std::string local = data.pInternalUse_RootDir_Local;
  const std::string remote = data.pInternalUse_RootDir_Remote;
  const bool replace = !Trim(local).empty() && !Trim(remote).empty();
  const bool toLocal = data.pInternalUse_RootDir_Local_Checked == "1";
  const int count = std::min<int>(tree.NodeCount() - 1, static_cast<int>(items.size()));
  for (int k = 1; k <= count; ++k) {
    TItemData& item = items[static_cast<size_t>(k - 1)];
    item.ILevel = std::to_string(tree.Depth(k) - 1);
    if (replace) {
      item.ILink = toLocal ? ReplaceAllNoCase(item.ILink, remote, local)
                           : ReplaceAllNoCase(item.ILink, local, remote);
    }
  }
}

std::vector<std::string> HeaderLines() {
  return {"/*", "Torvane 1.1", kCopyright, kProductPage, kSupportPage, "*/"};
}

std::string Quoted(const std::string& value) { return "'" + scripttext::JsString(value) + "'"; }

}  // namespace

void TqelAppletAgent::MakeHTMLCodes(const std::string& pagePath, IDesignTree& tree) {
  const scripttext::TCheckedDesign checked = scripttext::CheckDesign(AppletData, Items);
  TProgressScope status(Progress(), "Making HTML Codes ... ...");
  ScriptFiles[1] = "torvanecfg.js";
  ScriptFiles[2] = "torvane.css";

  PrepareItems(AppletData, Items, tree);

  // Pictures: one scaling job per distinct source file; items sharing a source share its result.
  const int count = std::min<int>(tree.NodeCount() - 1, static_cast<int>(Items.size()));
  std::optional<TPictureCache> cache;
  const std::string cacheFolder =
      PictureCacheFolder.empty() ? TPictureCache::DefaultFolder() : PictureCacheFolder;
  if (PictureCacheEnabled && !cacheFolder.empty()) cache.emplace(cacheFolder, PictureCacheLimit);
  std::vector<TScaleJob> jobs;
  std::map<std::string, size_t> jobOfSource;
  std::vector<long> jobOfItem(static_cast<size_t>(count), -1);
  for (int k = 1; k <= count; ++k) {
    const std::string source = Trim(Items[static_cast<size_t>(k - 1)].OriginalImagePath);
    if (!fileutil::IsFile(source)) {
      tree.SetCaption(k, kCaptionMissing);
      continue;
    }
    tree.SetCaption(k, kCaptionFound);
    auto [it, added] = jobOfSource.emplace(source, jobs.size());
    if (added) jobs.push_back({source, checked.heightValue, cache ? &*cache : nullptr});
    jobOfItem[static_cast<size_t>(k - 1)] = static_cast<long>(it->second);
  }
  if (!jobs.empty()) {
    Progress().SetMaximum(static_cast<int>(jobs.size()));
    const std::vector<TScaledImage> scaled =
        ScaleJpegFiles(jobs, ImageWorkers, [this](size_t) { Progress().Step(1); });
    if (cache) cache->Trim();
    std::error_code ignored;  // a folder that cannot be made shows in the write below
    std::filesystem::create_directory(fileutil::FsPath(PreviewFolder()), ignored);
    for (int k = 1; k <= count; ++k) {
      const long job = jobOfItem[static_cast<size_t>(k - 1)];
      if (job < 0) continue;
      const TScaledImage& picture = scaled[static_cast<size_t>(job)];
      TItemData& item = Items[static_cast<size_t>(k - 1)];
      const std::string name = "slider" + std::to_string(k - 1) + ".jpg";
      fileutil::WriteFileReplacing(PreviewFolder() + name,
                                   std::string(picture.jpeg.begin(), picture.jpeg.end()), false);
      PreviewFiles.push_back(name);
      item.IWidth = std::to_string(picture.width);
      item.IHeight = std::to_string(picture.height);
      item.IImageFile = name;
    }
  }

  // Derived values: a border of style "none" takes no room.
  const int imageBorder = checked.imageBorderStyle == 0 ? 0 : checked.imageBorderWidth;
  const int containerBorder = checked.containerBorderStyle == 0 ? 0 : checked.containerBorderWidth;
  const std::string outerHeight = std::to_string(static_cast<long long>(checked.heightValue) +
                                                 2LL * imageBorder + 2LL * containerBorder);
  const std::string imageBorderText = std::to_string(imageBorder);
  const std::string containerBorderText = std::to_string(containerBorder);

  std::vector<std::string> css = HeaderLines();
  css.push_back(".slidercontainer{");
  css.push_back("BORDER:" + CssColor(AppletData.pContainerBorderColor) + " " +
                CssPixels(containerBorderText) + " " +
                CssBorderStyle(std::to_string(checked.containerBorderStyle)) + ";");
  css.push_back("}");
  css.push_back(".sliderimages{");
  css.push_back("BORDER:" + CssColor(AppletData.pImageBorderColor) + " " +
                CssPixels(imageBorderText) + " " +
                CssBorderStyle(std::to_string(checked.imageBorderStyle)) + ";");
  css.push_back("}");

  const std::string& name = AppletData.pSliderName;
  std::vector<std::string> cfg = HeaderLines();
  for (size_t i = 0; i < Items.size(); ++i) {
    const TItemData& item = Items[i];
    const std::string what = "Item " + std::to_string(i + 1) + "'s ";
    cfg.push_back("CI" + name + "([" + Quoted(item.IImageFile) + "," + Quoted(item.ILink) + "," +
                  Quoted(item.ITarget) + "," + Quoted(item.IToolTip) + "," +
                  scripttext::CanonicalItemSize(item.IWidth, what + "width") + "," +
                  scripttext::CanonicalItemSize(item.IHeight, what + "height") + "]);");
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
      Items.empty() ? "window." + AppletData.pCfgName : AppletData.pCfgName;
  cfg.push_back("new BXae(" + Quoted(AppletData.pDivId) + "," + checked.width + "," + outerHeight +
                "," + checked.step + "," + checked.delay + "," + checked.gap + "," +
                checked.trailerSpace + "," + Quoted(AppletData.pBgColor) + "," + cfgArgument +
                "," + imageBorderText + "," + containerBorderText + ");};");
  cfg.push_back("Init" + name + "();");

  char length[8];
  std::snprintf(length, sizeof length, "%04zu", std::string(kHomePage).size());
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
      "<link href=\"./" + ScriptFiles[2] + "\" type=text/css rel=stylesheet>",
      "<script language=\"javascript\" src=\"./" + ScriptFiles[0] + "\"></script>",
      "<script language=\"javascript\" src=\"./" + ScriptFiles[1] + "\"></script>",
      "<!-- END -->",
      "",
      "<!-- Please insert the <div> below to your Web page where you would -->",
      "<!-- like to include the menu. -->",
      "<div id=\"" + scripttext::HtmlAttribute(AppletData.pDivId) +
          "\" style=\"width:" + checked.width + "px;height:" + outerHeight + "px;\"></div>",
      "",
      "</body>",
      "</html>"};

  const std::string workFolder = fileutil::WithSeparator(WorkFolder());
  fileutil::WriteTextLines(workFolder + ScriptFiles[2], css);
  fileutil::WriteTextLines(workFolder + ScriptFiles[1], cfg);
  fileutil::WriteTextLines(pagePath, page);
}
