// The recently opened project files, shared by every running window: at most four, newest first,
// kept one a line as "&1 path" in a text file (the prefix is the menu's accelerator).
#pragma once

#include <QString>
#include <vector>

class TRecentFiles {
 public:
  static constexpr int kLimit = 4;
  struct TEntry {
    QString accelerator;  // "&1 " as stored
    QString path;
  };

  explicit TRecentFiles(const QString& listFile) : file_(listFile) {}
  const QString& listFile() const { return file_; }
  // The entries as stored; the list file is made empty when missing. Throws TvError when it
  // cannot be read or made.
  std::vector<TEntry> entries() const;
  // Puts `path` first unless it is listed already (a listed file keeps its place). Another
  // window's update in the meantime is kept. Throws TvError when the list cannot be written.
  void add(const QString& path) const;

 private:
  QString file_;
};
