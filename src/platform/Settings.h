// Per-user settings. On Windows they live in the registry under Software\QEL\Torvane\1.1, here in
// an INI file of the user's configuration folder (QEL/Torvane.conf). Every settings object comes
// from TSettings::Open(), which tests point at a temporary folder with UseFolder().
#pragma once

#include <QSettings>
#include <QString>
#include <QVariant>
#include <memory>
#include <optional>

namespace settings {

// The keys below Software\QEL\Torvane.
inline const QString kSettingsKey = QStringLiteral("1.1/Settings");
inline const QString kBrowsersKey = QStringLiteral("1.1/Web Browsers");

// The program's own flags, each with its key and what it counts as when missing or unreadable.
struct TFlag {
  const QString& key;
  const char* name;
  bool whenMissing;
  bool whenFailed;
};
// Scaled pictures are kept between saves (Option menu).
inline const TFlag kUsePictureCache{kSettingsKey, "UsePictureCache", true, true};
// Pages get the runtime script's readable source instead of the minified one (no menu item).
inline const TFlag kReadableRuntime{kSettingsKey, "ReadableRuntime", false, false};
// Pictures are also published at twice the height for high-density screens (Option menu).
inline const TFlag kHiDpiPictures{kSettingsKey, "HiDpiPictures", false, false};
// Pictures are also published as WebP and AVIF beside the JPEG (Option menu).
inline const TFlag kModernFormats{kSettingsKey, "ModernPictureFormats", false, false};
// The tip before choosing a link file, and the template chooser at start-up: shown unless the
// user turned them off; not shown when the store cannot be read.
inline const TFlag kShowLinkTip{kSettingsKey, "ShowLinkTipDialog", true, false};
inline const TFlag kShowTemplets{kSettingsKey, "ShowTempletsDialog", true, false};
// The design tree's thumbnails are large (View menu); small when missing or unreadable.
inline const TFlag kLargeThumbnails{kSettingsKey, "LargeThumbnails", false, false};
// The live preview pane below the property tabs (View menu).
inline const TFlag kShowLivePreview{kSettingsKey, "ShowLivePreview", true, true};

bool Read(const TFlag& flag);
// Throws TvError naming the setting when the store cannot be written.
void Write(const TFlag& flag, bool value);

// The settings store: the user's own, or the one in the folder given to UseFolder().
std::unique_ptr<QSettings> Open();
// Tests: keep settings in an INI file inside this folder from now on (empty: the user's again).
void UseFolder(const QString& folder);
// Tests: make every read and write fail as a broken registry would (reads report errors, writes
// are refused).
void SimulateFailure(bool fail);

// Reads without creating anything. Missing key or value: nullopt. A failing store throws TvError.
std::optional<QVariant> Read(const QString& key, const QString& name);
// Whether the key holds any value (reading does not create it).
bool KeyExists(const QString& key);

// A flag stored as the integer 0 or 1. Missing counts as `whenMissing`; a failure to read counts
// as `whenFailed`; a value that is not a number counts as missing.
bool ReadFlag(const QString& key, const QString& name, bool whenMissing, bool whenFailed);
// Creates the key path as needed and writes the value; throws TvError naming the value when the
// store cannot be written.
void WriteFlag(const QString& key, const QString& name, bool value);
void WriteValue(const QString& key, const QString& name, const QVariant& value);

// A stored flag or number as written by us (0/1 integers) or by hand ("true"/"false").
std::optional<bool> ToFlag(const QVariant& value);
std::optional<int> ToInt(const QVariant& value);

}  // namespace settings
