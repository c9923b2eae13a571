// The desktop's shared thumbnail cache, as file managers keep it: $XDG_CACHE_HOME/thumbnails/ with
// "normal" (128 px) and "large" (256 px) folders of PNG files named after the MD5 sum of the
// picture's file URI, each carrying the text chunks Thumb::URI and Thumb::MTime (the picture's
// modification time in whole seconds). An entry is used only when both still match the picture,
// whoever wrote it; ours are there for the file managers in turn. A picture that cannot be read
// gets an entry in fail/torvane-1.1/, so that it is not tried again until it changes.
//
// Nothing another user could have planted is used. An entry is read only when it is a regular
// file of the user's that no one else may write to, of at most 1 MB, whose header declares at most
// the size of its class (checked before it is decoded); it is opened without following a link or
// waiting on a pipe. A refused entry counts as missing: the thumbnail is made afresh and replaces
// it. The thumbnails folder and those below it are used only when they belong to the user and no
// one else may write to them (missing ones are made readable by the user alone, and only inside
// such folders); stderr says once per folder when one is not. Entries are written through a
// temporary file that replaces whatever has the entry's name in one step, never through a link.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

class TThumbnailCache {
 public:
  static constexpr int kNormal = 128;
  static constexpr int kLarge = 256;

  // `root`: the thumbnails folder (default: the user's, in the desktop's cache folder).
  explicit TThumbnailCache(QString root = DefaultRoot());
  static QString DefaultRoot();
  const QString& Root() const { return root_; }

  // The size class for thumbnails that fit in box x box: kNormal up to 128, else kLarge.
  static int SizeFor(int box) { return box <= kNormal ? kNormal : kLarge; }
  // file:///... of the absolute, cleaned path with the characters a URI may not hold escaped.
  static QByteArray UriOf(const QString& path);
  // The modification time as the cache records it (whole seconds); -1 when it cannot be read.
  static qint64 MTimeOf(const QString& path);

  QString EntryPath(const QString& path, int box) const;
  QString FailPath(const QString& path) const;

  // The cached thumbnail of the picture as it is now for box x box (a large one when there is no
  // normal one); null when there is none that matches. Never throws.
  QImage Find(const QString& path, int box) const;
  // Whether a fail entry of this program matches the picture as it is now.
  bool HasFailEntry(const QString& path) const;
  // Stores the thumbnail (at most SizeFor(box) in either direction) of the picture whose
  // modification time was `mtime` when it was read. False when the cache cannot be written.
  bool Store(const QString& path, int box, const QImage& thumbnail, qint64 mtime) const;
  bool StoreFail(const QString& path, qint64 mtime) const;

 private:
  QString FolderFor(int box) const;
  // Whether entries may be read from (or, with `make`, written to) `folder`, below the root: the
  // root and every folder down to it are trusted (with `make`, missing ones are made first).
  bool Usable(const QString& folder, bool make) const;
  // The matching entry of size class `size` (kNormal or kLarge), or a null image.
  QImage ReadEntry(const QString& path, int size) const;
  bool Write(const QString& folder, const QString& path, QImage image, qint64 mtime) const;

  QString root_;  // with a trailing '/'
};
