// The design as one plain value: the slider's parameters, its items with their nesting levels,
// and one table that says, for each field, how it is stored, checked, defaulted and published.
// The document owns one; every worker (save, publish, preview, live preview, torvane-cli) works
// on a copy of it.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "Message.h"

using TStringArray = std::vector<std::string>;

// What a project file puts between its values; no value may hold it.
inline constexpr char kSeparator[] = "#$@";

// The slider parameters. The field order is the order of the values in the project file.
struct TSliderData {
  std::string name;
  std::string configName;
  std::string divId;
  std::string width;
  std::string height;
  std::string step;
  std::string delay;
  std::string gap;
  std::string trailerSpace;
  std::string backgroundColour;
  std::string spareConfigName;
  std::string imageBorderWidth;
  std::string imageBorderStyle;
  std::string imageBorderColour;
  std::string containerBorderWidth;
  std::string containerBorderStyle;
  std::string containerBorderColour;
  std::string localRoot;
  std::string remoteRoot;
  std::string localRootChecked;

  bool operator==(const TSliderData&) const = default;
};

// One image item. The field order is the order of the values in the project file.
struct TItemData {
  std::string imageFile;
  std::string originalPath;
  std::string link;
  std::string target;
  std::string toolTip;
  std::string width;
  std::string height;
  std::string level;
  std::string spare;

  bool operator==(const TItemData&) const = default;
};

using TItemArray = std::vector<TItemData>;

// The slider's name decides the names of its configuration object and its <div>: "Slider1" has
// "Slider1cfg" and "Slider1_div" (and "Slider1cfg" in the spare field). The window keeps them so
// as the name is typed, and torvane-cli applies the rule to what it reads, so that both publish
// the same files for one project.
void FollowSliderName(TSliderData& slider);

// Where an item's picture is read from. `written` is the path as the item holds it (trimmed here):
// an absolute path as it is; a relative one from the project file's folder (`projectFolder`;
// empty for a design that has no file yet) when a file is there, else as it stands, that is from
// the working folder, as older versions took it. Empty stays empty. The item keeps `written`.
std::string ResolvePicturePath(const std::string& projectFolder, const std::string& written);

constexpr int kSliderFieldCount = 20;
constexpr int kItemFieldCount = 9;

// What a field may hold, as a project file is checked before it is opened: the property panels
// can show only such values, and the next save would otherwise write others.
enum class TValueKind {
  Text,         // anything on one line without the separator
  Number,       // a whole number in the panels' range
  BorderStyle,  // a whole number; outside 0..9 the list shows no choice (kept as -1)
  Colour,       // RRGGBB
  ItemSize      // a whole number, or empty for an item whose picture was never made
};
// The range of the numbers the slider panel edits.
constexpr int kMinPanelNumber = -9999;
constexpr int kMaxPanelNumber = 9999;
bool FitsKind(const std::string& value, TValueKind kind);
// "a colour of six hexadecimal digits (RRGGBB)", for messages.
TMessage KindText(TValueKind kind);

// The item fields, in file order.
enum class TItemField {
  ImageFile,
  OriginalImagePath,
  Link,
  Target,
  ToolTip,
  Width,
  Height,
  Level,
  Spare
};

// Everything the program knows of one item field. Adding a field to items means a member of
// TItemData, its TItemField and a row here (and a control in the item panel to edit it).
struct TItemFieldInfo {
  TItemField field;
  std::string TItemData::*member;
  const char* name;          // as messages name it: "image 3's link ..." (TMessage(name))
  const char* defaultValue;  // a new item's
  TValueKind kind;
  // The field's place in the configuration script's entry for the item, -1: not published
  // there. Text is published quoted, sizes as whole numbers.
  int configColumn;
};
// In file order: the row of a field is at its TItemField's position.
extern const std::array<TItemFieldInfo, kItemFieldCount> kItemFieldTable;
inline const TItemFieldInfo& FieldInfo(TItemField field) { return kItemFieldTable[size_t(field)]; }
inline std::string& FieldOf(TItemData& item, TItemField field) {
  return item.*FieldInfo(field).member;
}
inline const std::string& FieldOf(const TItemData& item, TItemField field) {
  return item.*FieldInfo(field).member;
}
// A new item: every field at its default.
TItemData DefaultItem();

// The same for the slider's fields, in file order.
struct TSliderFieldInfo {
  std::string TSliderData::*member;
  const char* name;
  TValueKind kind;
};
extern const std::array<TSliderFieldInfo, kSliderFieldCount> kSliderFieldTable;

// The fields of a slider or an item as texts in file order, and back (entries beyond the end of
// the array read as empty text, extra ones are ignored).
TStringArray SliderStrings(const TSliderData& slider);
TSliderData SliderFromStrings(const TStringArray& strings);
TStringArray ItemStrings(const TItemData& item);
TItemData ItemFromStrings(const TStringArray& strings);

// The whole design as a value. `levels` holds each item's nesting level (0: a child of the
// slider, one more than its parent's otherwise), in item order; the items' own level texts are
// what the file held and are brought up to date from `levels` when the design is written.
struct TDesign {
  TSliderData slider;
  TItemArray items;
  std::vector<int> levels;
  // The project file's folder (with its separator), against which relative picture paths are
  // resolved; empty for a design without a file.
  std::string projectFolder;

  bool operator==(const TDesign&) const = default;
  // Where item `index`'s picture is read from (ResolvePicturePath).
  std::string picturePath(size_t index) const;
};
