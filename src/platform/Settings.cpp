#include "Settings.h"

#include <QDir>

#include "Errors.h"

namespace settings {
namespace {
QString& TestFolder() {
  static QString folder;
  return folder;
}
bool& Failing() {
  static bool failing = false;
  return failing;
}
}  // namespace

std::unique_ptr<QSettings> Open() {
  if (!TestFolder().isEmpty())
    return std::make_unique<QSettings>(QDir(TestFolder()).filePath("Torvane.ini"),
                                       QSettings::IniFormat);
  return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, "QEL",
                                     "Torvane");
}

void UseFolder(const QString& folder) { TestFolder() = folder; }
void SimulateFailure(bool fail) { Failing() = fail; }

std::optional<QVariant> Read(const QString& key, const QString& name) {
  const auto unreadable = [&] {
    return TvError(TV_MESSAGE("model", "The setting '%1' cannot be read.").Arg(name.toStdString()));
  };
  if (Failing()) throw unreadable();
  auto store = Open();
  if (store->status() != QSettings::NoError) throw unreadable();
  const QString path = key + "/" + name;
  if (!store->contains(path)) return std::nullopt;
  return store->value(path);
}

bool KeyExists(const QString& key) {
  if (Failing()) return false;
  auto store = Open();
  store->beginGroup(key);
  return !store->childKeys().isEmpty() || !store->childGroups().isEmpty();
}

std::optional<bool> ToFlag(const QVariant& value) {
  const QString text = value.toString().trimmed().toLower();
  if (text == "true") return true;
  if (text == "false") return false;
  if (auto number = ToInt(value)) return *number != 0;
  return std::nullopt;
}

std::optional<int> ToInt(const QVariant& value) {
  bool ok = false;
  const int number = value.toString().trimmed().toInt(&ok);
  if (!ok) return std::nullopt;
  return number;
}

bool ReadFlag(const QString& key, const QString& name, bool whenMissing, bool whenFailed) {
  try {
    const auto value = Read(key, name);
    if (!value) return whenMissing;
    const auto flag = ToFlag(*value);
    return flag ? *flag : whenMissing;
  } catch (const TvError&) {
    return whenFailed;
  }
}

void WriteValue(const QString& key, const QString& name, const QVariant& value) {
  if (Failing())
    throw TvError(
        TV_MESSAGE("model", "The setting '%1' cannot be written.").Arg(name.toStdString()));
  auto store = Open();
  const auto unwritable = [&] {
    return TvError(TV_MESSAGE("model", "The setting '%1' cannot be written: %2")
                       .Arg(name.toStdString())
                       .Arg(store->fileName().toStdString()));
  };
  if (!store->isWritable()) throw unwritable();
  store->setValue(key + "/" + name, value);
  store->sync();
  if (store->status() != QSettings::NoError) throw unwritable();
}

// Booleans are stored as the integers 0 and 1 (what the registry holds on Windows), not as the
// words QSettings would write.
void WriteFlag(const QString& key, const QString& name, bool value) {
  WriteValue(key, name, value ? 1 : 0);
}

bool Read(const TFlag& flag) {
  return ReadFlag(flag.key, QString::fromLatin1(flag.name), flag.whenMissing, flag.whenFailed);
}

void Write(const TFlag& flag, bool value) {
  WriteFlag(flag.key, QString::fromLatin1(flag.name), value);
}

}  // namespace settings
