#include "ThumbnailCache.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "Places.h"
#include "images/PngWrite.h"

namespace {

const char* const kUriKey = "Thumb::URI";
const char* const kMTimeKey = "Thumb::MTime";
const QString kFailFolder = QStringLiteral("fail/torvane-1.1/");

// Makes the folder and its missing parents, each made here readable by the user alone.
bool MakePrivateFolder(const QString& folder) {
  const QString path = QDir::cleanPath(folder);
  if (QFileInfo(path).isDir()) return true;
  const QString parent = QFileInfo(path).path();
  if (parent == path || !MakePrivateFolder(parent)) return false;
  return QDir().mkdir(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner) ||
         QFileInfo(path).isDir();
}

// A cache file's image when its text chunks name this picture in its present state.
QImage ReadMatching(const QString& entry, const QByteArray& uri, qint64 mtime) {
  if (mtime < 0) return {};
  QImage image(entry, "PNG");
  if (image.isNull() || image.text(kUriKey).toUtf8() != uri) return {};
  bool ok = false;
  const qint64 stored = image.text(kMTimeKey).trimmed().toLongLong(&ok);
  return ok && stored == mtime ? image : QImage();
}

}  // namespace

TThumbnailCache::TThumbnailCache(QString root) : root_(std::move(root)) {
  if (!root_.isEmpty() && !root_.endsWith('/')) root_ += '/';
}

QString TThumbnailCache::DefaultRoot() {
  return QString::fromStdString(places::UserCacheFolder()) + "thumbnails/";
}

QByteArray TThumbnailCache::UriOf(const QString& path) {
  const QByteArray local = QFile::encodeName(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
  // Escaped as the desktop's file managers escape file URIs: all but the unreserved characters
  // and those with no special meaning in a path.
  static const QByteArray kKeep = "-_.!~*'()/&=:@+$,";
  QByteArray uri = "file://";
  for (const char c : local) {
    const auto u = static_cast<unsigned char>(c);
    if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') ||
        kKeep.contains(c)) {
      uri += c;
    } else {
      uri += '%' + QByteArray::number(u, 16).toUpper().rightJustified(2, '0');
    }
  }
  return uri;
}

qint64 TThumbnailCache::MTimeOf(const QString& path) {
  const QFileInfo info(path);
  if (!info.exists()) return -1;
  return info.lastModified().toSecsSinceEpoch();
}

QString TThumbnailCache::FolderFor(int box) const {
  return root_ + (SizeFor(box) == kNormal ? "normal/" : "large/");
}

static QString EntryName(const QString& path) {
  return QString::fromLatin1(
             QCryptographicHash::hash(TThumbnailCache::UriOf(path), QCryptographicHash::Md5)
                 .toHex()) +
         ".png";
}

QString TThumbnailCache::EntryPath(const QString& path, int box) const {
  return FolderFor(box) + EntryName(path);
}

QString TThumbnailCache::FailPath(const QString& path) const {
  return root_ + kFailFolder + EntryName(path);
}

QImage TThumbnailCache::Find(const QString& path, int box) const {
  if (root_.isEmpty()) return {};
  const QByteArray uri = UriOf(path);
  const qint64 mtime = MTimeOf(path);
  QImage found = ReadMatching(EntryPath(path, box), uri, mtime);
  if (found.isNull() && SizeFor(box) == kNormal) {
    found = ReadMatching(EntryPath(path, kLarge), uri, mtime);
    if (!found.isNull() && std::max(found.width(), found.height()) > kNormal) {
      found = found.scaled(kNormal, kNormal, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
  }
  return found;
}

bool TThumbnailCache::HasFailEntry(const QString& path) const {
  if (root_.isEmpty()) return false;
  return !ReadMatching(FailPath(path), UriOf(path), MTimeOf(path)).isNull();
}

bool TThumbnailCache::Store(const QString& path, int box, const QImage& thumbnail,
                            qint64 mtime) const {
  const int limit = SizeFor(box);
  QImage image = thumbnail;
  if (image.width() > limit || image.height() > limit) {
    image = image.scaled(limit, limit, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  }
  return Write(FolderFor(box), path, image, mtime);
}

bool TThumbnailCache::StoreFail(const QString& path, qint64 mtime) const {
  QImage dot(1, 1, QImage::Format_RGB888);
  dot.fill(Qt::black);
  return Write(root_ + kFailFolder, path, dot, mtime);
}

bool TThumbnailCache::Write(const QString& folder, const QString& path, QImage image,
                            qint64 mtime) const {
  if (root_.isEmpty() || image.isNull() || mtime < 0 || !MakePrivateFolder(folder)) return false;
  const bool alpha = image.hasAlphaChannel();
  image.convertTo(alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
  const int channels = alpha ? 4 : 3;
  const qsizetype rowBytes = static_cast<qsizetype>(image.width()) * channels;
  std::vector<unsigned char> pixels(static_cast<size_t>(rowBytes) * image.height());
  for (int y = 0; y < image.height(); ++y) {
    std::copy_n(image.constScanLine(y), rowBytes, pixels.begin() + rowBytes * y);
  }
  const QString target = folder + EntryName(path);
  try {
    const std::vector<unsigned char> png =
        images::EncodePng(pixels.data(), image.width(), image.height(), channels,
                          {{kUriKey, UriOf(path).toStdString()},
                           {kMTimeKey, std::to_string(mtime)},
                           {"Software", "Torvane 1.1"}},
                          target.toStdString());
    // A temporary file is made readable by the user alone; it replaces the entry in one step.
    QTemporaryFile temporary(folder + ".torvane-XXXXXX.png");
    if (!temporary.open()) return false;
    if (temporary.write(reinterpret_cast<const char*>(png.data()),
                        static_cast<qint64>(png.size())) != static_cast<qint64>(png.size()) ||
        !temporary.flush()) {
      return false;
    }
    const QByteArray from = QFile::encodeName(temporary.fileName());
    const QByteArray to = QFile::encodeName(target);
    if (std::rename(from.constData(), to.constData()) != 0) {
      QFile::remove(target);  // a system that never replaces a file in a rename
      if (std::rename(from.constData(), to.constData()) != 0) return false;
    }
    temporary.setAutoRemove(false);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}
