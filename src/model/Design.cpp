// The design's field tables and the rules every reader and writer of a design shares.
#include "Design.h"

#include <stdexcept>

#include "Conversions.h"
#include "FileUtil.h"
#include "ScriptText.h"

const std::array<TItemFieldInfo, kItemFieldCount> kItemFieldTable = {{
    {TItemField::ImageFile, &TItemData::imageFile, TV_MESSAGE_NOOP("model", "image file"), "",
     TValueKind::Text, 0},
    {TItemField::OriginalImagePath, &TItemData::originalPath,
     TV_MESSAGE_NOOP("model", "original image"), "", TValueKind::Text, -1},
    {TItemField::Link, &TItemData::link, TV_MESSAGE_NOOP("model", "link"), "", TValueKind::Text, 1},
    {TItemField::Target, &TItemData::target, TV_MESSAGE_NOOP("model", "target"), "_self",
     TValueKind::Text, 2},
    {TItemField::ToolTip, &TItemData::toolTip, TV_MESSAGE_NOOP("model", "tooltip"), "",
     TValueKind::Text, 3},
    {TItemField::Width, &TItemData::width, TV_MESSAGE_NOOP("model", "width"), "160",
     TValueKind::ItemSize, 4},
    {TItemField::Height, &TItemData::height, TV_MESSAGE_NOOP("model", "height"), "120",
     TValueKind::ItemSize, 5},
    // Any level is taken: the tree places an odd one, and writing brings it up to date.
    {TItemField::Level, &TItemData::level, TV_MESSAGE_NOOP("model", "level"), "", TValueKind::Text,
     -1},
    {TItemField::Spare, &TItemData::spare, TV_MESSAGE_NOOP("model", "spare value"), "",
     TValueKind::Text, -1},
}};

const std::array<TSliderFieldInfo, kSliderFieldCount> kSliderFieldTable = {{
    {&TSliderData::name, TV_MESSAGE_NOOP("model", "slider name"), TValueKind::Text},
    {&TSliderData::configName, TV_MESSAGE_NOOP("model", "configuration name"), TValueKind::Text},
    {&TSliderData::divId, TV_MESSAGE_NOOP("model", "container id"), TValueKind::Text},
    {&TSliderData::width, TV_MESSAGE_NOOP("model", "width"), TValueKind::Number},
    {&TSliderData::height, TV_MESSAGE_NOOP("model", "height"), TValueKind::Number},
    {&TSliderData::step, TV_MESSAGE_NOOP("model", "step"), TValueKind::Number},
    {&TSliderData::delay, TV_MESSAGE_NOOP("model", "delay"), TValueKind::Number},
    {&TSliderData::gap, TV_MESSAGE_NOOP("model", "gap"), TValueKind::Number},
    {&TSliderData::trailerSpace, TV_MESSAGE_NOOP("model", "trailer space"), TValueKind::Number},
    {&TSliderData::backgroundColour, TV_MESSAGE_NOOP("model", "background colour"),
     TValueKind::Colour},
    {&TSliderData::spareConfigName, TV_MESSAGE_NOOP("model", "spare configuration name"),
     TValueKind::Text},
    {&TSliderData::imageBorderWidth, TV_MESSAGE_NOOP("model", "image border width"),
     TValueKind::Number},
    {&TSliderData::imageBorderStyle, TV_MESSAGE_NOOP("model", "image border style"),
     TValueKind::BorderStyle},
    {&TSliderData::imageBorderColour, TV_MESSAGE_NOOP("model", "image border colour"),
     TValueKind::Colour},
    {&TSliderData::containerBorderWidth, TV_MESSAGE_NOOP("model", "container border width"),
     TValueKind::Number},
    {&TSliderData::containerBorderStyle, TV_MESSAGE_NOOP("model", "container border style"),
     TValueKind::BorderStyle},
    {&TSliderData::containerBorderColour, TV_MESSAGE_NOOP("model", "container border colour"),
     TValueKind::Colour},
    {&TSliderData::localRoot, TV_MESSAGE_NOOP("model", "local root folder"), TValueKind::Text},
    {&TSliderData::remoteRoot, TV_MESSAGE_NOOP("model", "web root folder"), TValueKind::Text},
    // Older versions wrote other values than 1 and 0: neither button is then chosen.
    {&TSliderData::localRootChecked, TV_MESSAGE_NOOP("model", "path option"), TValueKind::Text},
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
    number = std::stoi(scripttext::CanonicalWholeNumber(value, TMessage("")));
  } catch (const std::exception&) {
    return false;
  }
  return kind != TValueKind::Number || (number >= kMinPanelNumber && number <= kMaxPanelNumber);
}

TMessage KindText(TValueKind kind) {
  switch (kind) {
    case TValueKind::Text:
      return TV_MESSAGE("model", "text on one line");
    case TValueKind::Number:
      return TV_MESSAGE("model", "a whole number from %1 to %2")
          .Arg(kMinPanelNumber)
          .Arg(kMaxPanelNumber);
    case TValueKind::BorderStyle:
      return TV_MESSAGE("model", "a border style (a whole number)");
    case TValueKind::Colour:
      return TV_MESSAGE("model", "a colour of six hexadecimal digits (RRGGBB)");
    case TValueKind::ItemSize:
      return TV_MESSAGE("model", "a whole number or empty");
  }
  return TMessage("");
}

void FollowSliderName(TSliderData& slider) {
  slider.configName = slider.name + "cfg";
  slider.divId = slider.name + "_div";
  slider.spareConfigName = slider.configName;
}

std::string ResolvePicturePath(const std::string& projectFolder, const std::string& written) {
  const std::string path = Trim(written);
  if (path.empty() || fileutil::FsPath(path).is_absolute() || projectFolder.empty()) return path;
  const std::string beside = fileutil::WithSeparator(projectFolder) + path;
  return fileutil::IsFile(beside) ? beside : path;
}

std::string TDesign::picturePath(size_t index) const {
  return ResolvePicturePath(projectFolder, items.at(index).originalPath);
}

namespace {

template <typename Record, typename Table>
TStringArray ToStrings(const Record& record, const Table& fields) {
  TStringArray strings;
  strings.reserve(fields.size());
  for (const auto& field : fields) strings.push_back(record.*field.member);
  return strings;
}

// Entries beyond the end of the array read as empty text.
template <typename Record, typename Table>
Record FromStrings(const TStringArray& strings, const Table& fields) {
  Record record;
  for (size_t i = 0; i < fields.size() && i < strings.size(); ++i)
    record.*fields[i].member = strings[i];
  return record;
}

}  // namespace

TStringArray SliderStrings(const TSliderData& slider) {
  return ToStrings(slider, kSliderFieldTable);
}

TSliderData SliderFromStrings(const TStringArray& strings) {
  return FromStrings<TSliderData>(strings, kSliderFieldTable);
}

TStringArray ItemStrings(const TItemData& item) { return ToStrings(item, kItemFieldTable); }

TItemData ItemFromStrings(const TStringArray& strings) {
  return FromStrings<TItemData>(strings, kItemFieldTable);
}
