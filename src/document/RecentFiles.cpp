#include "RecentFiles.h"

#include <QFile>
#include <QLockFile>

#include "FileUtil.h"

namespace {
// Up to kLimit lines of the list, made empty when missing.
std::vector<std::string> ReadSlots(const std::string& path) {
  if (!fileutil::IsFile(path)) {
    // Made only where none is, never over the list another window has just written; when it
    // cannot be made, the replacing write reports why.
    QFile created(QString::fromStdString(path));
    if (!created.open(QIODevice::WriteOnly | QIODevice::NewOnly) && !fileutil::IsFile(path))
      fileutil::WriteTextLines(path, {});
  }
  std::vector<std::string> lines = fileutil::ReadTextLines(path);
  lines.resize(TRecentFiles::kLimit);
  return lines;
}
}  // namespace

std::vector<TRecentFiles::TEntry> TRecentFiles::entries() const {
  std::vector<TEntry> out;
  for (const std::string& slot : ReadSlots(file_.toStdString())) {
    if (slot.empty()) continue;
    const QString line = QString::fromStdString(slot);
    out.push_back({line.left(3), line.mid(3)});
  }
  return out;
}

void TRecentFiles::add(const QString& path) const {
  if (path.isEmpty()) return;
  // Another window may be updating the shared list right now: one at a time, so that neither
  // drops the entry the other has just added. Without the lock (it cannot be made) we go on.
  QLockFile lock(file_ + ".lock");
  lock.tryLock(2000);
  const std::string file = file_.toStdString();
  std::vector<std::string> entries = ReadSlots(file);
  for (std::string& slot : entries)
    if (!slot.empty()) slot = slot.size() > 3 ? slot.substr(3) : std::string();
  const std::string wanted = path.toStdString();
  for (const std::string& slot : entries)
    if (!slot.empty() && slot == wanted) return;
  for (int n = kLimit - 1; n > 0; --n) entries[size_t(n)] = entries[size_t(n) - 1];
  entries[0] = wanted;
  std::vector<std::string> lines;
  for (int n = 0; n < kLimit; ++n)
    if (!entries[size_t(n)].empty())
      lines.push_back("&" + std::to_string(n + 1) + " " + entries[size_t(n)]);
  fileutil::WriteTextLines(file, lines);
}
