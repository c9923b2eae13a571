#include "ThumbnailCache.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QtEndian>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "FileUtil.h"
#include "Places.h"
#include "PrivateFiles.h"
#include "images/PngWrite.h"

namespace {

const char* const kUriKey = "Thumb::URI";
const char* const kMTimeKey = "Thumb::MTime";
const QString kFailFolder = QStringLiteral("fail/torvane-1.1/");

// The largest entry read: a PNG of 256 x 256 pixels of 16-bit RGBA stored uncompressed, with
// text chunks to spare. Anything larger is no thumbnail and is never read.
constexpr unsigned long long kMaxEntryBytes = 1 << 20;

// The width and height a PNG file's header declares; 0 x 0 when it is no PNG file.
QSize DeclaredSize(const std::string& png) {
  static const char kStart[] = "\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR";
  if (png.size() < 24 || png.compare(0, 16, kStart, 16) != 0) return {};
  const auto* header = reinterpret_cast<const uchar*>(png.data()) + 16;
  const quint32 width = qFromBigEndian<quint32>(header);
  const quint32 height = qFromBigEndian<quint32>(header + 4);
  if (width > 0x7fffffff || height > 0x7fffffff) return {};
  return {static_cast<int>(width), static_cast<int>(height)};
}

// Removes, once per folder and process, the temporary files that writes of entries left there
// when their process was killed midway.
void RemoveLitterOnce(const std::string& folder) {
  static std::mutex mutex;
  static std::set<std::string> done;
  {
    const std::lock_guard<std::mutex> lock(mutex);
    if (!done.insert(folder).second) return;
  }
  fileutil::RemoveStaleTemporaryFiles(folder);
}

// A cache file's image when it may be trusted (see ReadPrivateFile), declares at most
// maxSide x maxSide pixels, and its text chunks name this picture in its present state.
QImage ReadMatching(const QString& entry, const QByteArray& uri, qint64 mtime, int maxSide) {
  if (mtime < 0) return {};
  const std::optional<std::string> png =
      fileutil::ReadPrivateFile(QFile::encodeName(entry).toStdString(), kMaxEntryBytes);
  if (!png) return {};
  const QSize declared = DeclaredSize(*png);
  if (declared.isEmpty() || declared.width() > maxSide || declared.height() > maxSide) return {};
  QImage image = QImage::fromData(reinterpret_cast<const uchar*>(png->data()),
                                  static_cast<int>(png->size()), "PNG");
  if (image.isNull() || image.size() != declared || image.text(kUriKey).toUtf8() != uri) return {};
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

bool TThumbnailCache::Usable(const QString& folder, bool make) const {
  const std::string target = QFile::encodeName(folder).toStdString();
  const auto refuse = [](const std::string& path, const std::string& why) {
    fileutil::WarnFolderNotUsed("thumbnail cache", path, why + "; thumbnails are made without it");
    return false;
  };
  if (make) {
    std::string refused;
    const fileutil::TFolderCheck made = fileutil::MakePrivateFolder(target, &refused);
    if (made.trust == fileutil::FolderTrust::Refused) return refuse(refused, made.why);
  }
  // The thumbnails folder and each one below it on the way: one that others may write to could
  // have the next one swapped for theirs.
  std::string path = QFile::encodeName(root_).toStdString();
  for (;;) {
    const fileutil::TFolderCheck check = fileutil::CheckPrivateFolder(path);
    if (check.trust == fileutil::FolderTrust::Refused) return refuse(path, check.why);
    if (check.trust == fileutil::FolderTrust::Missing) return false;
    if (path.size() >= target.size()) return true;
    const size_t next = target.find('/', path.size());
    path = target.substr(0, next == std::string::npos ? next : next + 1);
  }
}

QImage TThumbnailCache::ReadEntry(const QString& path, int size) const {
  const QString folder = root_ + (size == kNormal ? "normal/" : "large/");
  if (!Usable(folder, false)) return {};
  return ReadMatching(folder + EntryName(path), UriOf(path), MTimeOf(path), size);
}

QImage TThumbnailCache::Find(const QString& path, int box) const {
  if (root_.isEmpty()) return {};
  QImage found = ReadEntry(path, SizeFor(box));
  if (found.isNull() && SizeFor(box) == kNormal) {
    found = ReadEntry(path, kLarge);
    if (!found.isNull() && std::max(found.width(), found.height()) > kNormal) {
      found = found.scaled(kNormal, kNormal, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
  }
  return found;
}

bool TThumbnailCache::HasFailEntry(const QString& path) const {
  if (root_.isEmpty() || !Usable(root_ + kFailFolder, false)) return false;
  return !ReadMatching(FailPath(path), UriOf(path), MTimeOf(path), kNormal).isNull();
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
  if (root_.isEmpty() || image.isNull() || mtime < 0 || !Usable(folder, true)) return false;
  const bool alpha = image.hasAlphaChannel();
  image.convertTo(alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
  const int channels = alpha ? 4 : 3;
  const qsizetype rowBytes = static_cast<qsizetype>(image.width()) * channels;
  std::vector<unsigned char> pixels(static_cast<size_t>(rowBytes) * image.height());
  for (int y = 0; y < image.height(); ++y) {
    std::copy_n(image.constScanLine(y), rowBytes, pixels.begin() + rowBytes * y);
  }
  RemoveLitterOnce(QFile::encodeName(folder).toStdString());
  const std::string target = QFile::encodeName(folder + EntryName(path)).toStdString();
  try {
    const std::vector<unsigned char> png =
        images::EncodePng(pixels.data(), image.width(), image.height(), channels,
                          {{kUriKey, UriOf(path).toStdString()},
                           {kMTimeKey, std::to_string(mtime)},
                           {"Software", "Torvane 1.1"}},
                          target);
    // Through a temporary file of the user's, readable by the user alone, that replaces whatever
    // has the entry's name (a link, a pipe, another user's file) in one step.
    fileutil::WriteFileReplacingName(target, std::string(png.begin(), png.end()));
    return true;
  } catch (const std::exception&) {
    return false;
  }
}
