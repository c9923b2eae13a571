// The design's field tables and the rules every reader and writer of a design shares.
#include "Design.h"

#include <stdexcept>

#include "Conversions.h"
#include "FileUtil.h"
#include "ScriptText.h"

const std::array<TItemFieldInfo, kItemFieldCount> kItemFieldTable = {{
    {TItemField::ImageFile, &TItemData::IImageFile, "image file", "", TValueKind::Text, 0},
    {TItemField::OriginalImagePath, &TItemData::OriginalImagePath, "original image", "",
     TValueKind::Text, -1},
    {TItemField::Link, &TItemData::ILink, "link", "", TValueKind::Text, 1},
    {TItemField::Target, &TItemData::ITarget, "target", "_self", TValueKind::Text, 2},
    {TItemField::ToolTip, &TItemData::IToolTip, "tooltip", "", TValueKind::Text, 3},
    {TItemField::Width, &TItemData::IWidth, "width", "160", TValueKind::ItemSize, 4},
    {TItemField::Height, &TItemData::IHeight, "height", "120", TValueKind::ItemSize, 5},
    // Any level is taken: the tree places an odd one, and writing brings it up to date.
    {TItemField::Level, &TItemData::ILevel, "level", "", TValueKind::Text, -1},
    {TItemField::Spare, &TItemData::ISpare, "spare value", "", TValueKind::Text, -1},
}};

const std::array<TSliderFieldInfo, kAppletFieldCount> kSliderFieldTable = {{
    {&TAppletData::pSliderName, "slider name", TValueKind::Text},
    {&TAppletData::pCfgName, "configuration name", TValueKind::Text},
    {&TAppletData::pDivId, "container id", TValueKind::Text},
    {&TAppletData::pWidth, "width", TValueKind::Number},
    {&TAppletData::pHeight, "height", TValueKind::Number},
    {&TAppletData::pStep, "step", TValueKind::Number},
    {&TAppletData::pDelay, "delay", TValueKind::Number},
    {&TAppletData::pGap, "gap", TValueKind::Number},
    {&TAppletData::pTrailerSpace, "trailer space", TValueKind::Number},
    {&TAppletData::pBgColor, "background colour", TValueKind::Colour},
    {&TAppletData::pSpareCfgName, "spare configuration name", TValueKind::Text},
    {&TAppletData::pImageBorderWidth, "image border width", TValueKind::Number},
    {&TAppletData::pImageBorderStyle, "image border style", TValueKind::BorderStyle},
    {&TAppletData::pImageBorderColor, "image border colour", TValueKind::Colour},
    {&TAppletData::pContainerBorderWidth, "container border width", TValueKind::Number},
    {&TAppletData::pContainerBorderStyle, "container border style", TValueKind::BorderStyle},
    {&TAppletData::pContainerBorderColor, "container border colour", TValueKind::Colour},
    {&TAppletData::pInternalUse_RootDir_Local, "local root folder", TValueKind::Text},
    {&TAppletData::pInternalUse_RootDir_Remote, "web root folder", TValueKind::Text},
    // Older versions wrote other values than 1 and 0: neither button is then chosen.
    {&TAppletData::pInternalUse_RootDir_Local_Checked, "path option", TValueKind::Text},
}};

TItemData DefaultItem() {
  TItemData item;
  for (const TItemFieldInfo& info : kItemFieldTable) item.*info.member = info.defaultValue;
  return item;
}

bool FitsKind(const std::string& value, TValueKind kind) {
  if (kind == TValueKind::Text) return true;
  if (kind == TValueKind::Colour) return scripttext::IsHexColor(value);
  if (kind == TValueKind::ItemSize && value.empty()) return true;
  int number = 0;
  try {
    number = std::stoi(scripttext::CanonicalWholeNumber(value, ""));
  } catch (const std::exception&) {
    return false;
  }
  return kind != TValueKind::Number || (number >= kMinPanelNumber && number <= kMaxPanelNumber);
}

std::string KindText(TValueKind kind) {
  switch (kind) {
    case TValueKind::Text:
      return "text on one line";
    case TValueKind::Number:
      return "a whole number from " + std::to_string(kMinPanelNumber) + " to " +
             std::to_string(kMaxPanelNumber);
    case TValueKind::BorderStyle:
      return "a border style (a whole number)";
    case TValueKind::Colour:
      return "a colour of six hexadecimal digits (RRGGBB)";
    case TValueKind::ItemSize:
      return "a whole number or empty";
  }
  return {};
}

void FollowSliderName(TAppletData& slider) {
  slider.pCfgName = slider.pSliderName + "cfg";
  slider.pDivId = slider.pSliderName + "_div";
  slider.pSpareCfgName = slider.pCfgName;
}

std::string ResolvePicturePath(const std::string& projectFolder, const std::string& written) {
  const std::string path = Trim(written);
  if (path.empty() || fileutil::FsPath(path).is_absolute() || projectFolder.empty()) return path;
  const std::string beside = fileutil::WithSeparator(projectFolder) + path;
  return fileutil::IsFile(beside) ? beside : path;
}

std::string TDesign::picturePath(size_t index) const {
  return ResolvePicturePath(projectFolder, items.at(index).OriginalImagePath);
}
