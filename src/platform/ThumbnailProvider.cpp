#include "ThumbnailProvider.h"

#include <QThread>
#include <algorithm>
#include <cstring>

#include "images/Thumbnail.h"

namespace {

QString KeyOf(const QString& path, int box) { return QString::number(box) + '|' + path; }

// What an image costs held in memory: its pixels and the bookkeeping around them.
qint64 CostOf(const QImage& image) { return image.sizeInBytes() + 256; }

QImage ImageOf(const TThumbnail& thumbnail) {
  QImage image(thumbnail.width, thumbnail.height, QImage::Format_RGB888);
  const size_t rowBytes = static_cast<size_t>(thumbnail.width) * 3;
  for (int y = 0; y < thumbnail.height; ++y) {
    std::memcpy(image.scanLine(y), thumbnail.rgb.data() + rowBytes * y, rowBytes);
  }
  return image;
}

struct TMade {
  QImage image;
  QString reason;
};

// On a worker thread: the desktop's cached thumbnail, else one decoded (and cached) now.
TMade Make(const TThumbnailCache& cache, const QString& path, int box, qint64 mtime) {
  TMade made;
  made.image = cache.Find(path, box);
  if (made.image.isNull()) {
    const std::string file = path.toStdString();
    if (cache.HasFailEntry(path)) {
      made.reason = QString::fromStdString(PictureProblem(file));
      if (made.reason.isEmpty()) made.reason = "Cannot read picture " + path + ": it is damaged";
      return made;
    }
    try {
      made.image = ImageOf(MakeThumbnail(file, TThumbnailCache::SizeFor(box)));
      // A file changed while it was read may have given a mixture of both states.
      if (TThumbnailCache::MTimeOf(path) == mtime) cache.Store(path, box, made.image, mtime);
    } catch (const std::exception& error) {
      made.reason = QString::fromStdString(error.what());
      if (TThumbnailCache::MTimeOf(path) == mtime) cache.StoreFail(path, mtime);
      return made;
    }
  }
  if (made.image.width() > box || made.image.height() > box) {
    made.image = made.image.scaled(box, box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  }
  made.image.convertTo(made.image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                    : QImage::Format_RGB32);
  return made;
}

}  // namespace

TThumbnailProvider::TThumbnailProvider(TThumbnailCache cache, QObject* parent)
    : QObject(parent), cache_(std::move(cache)), memory_(kDefaultMemoryLimit) {
  pool_.setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
}

TThumbnailProvider::~TThumbnailProvider() {
  pool_.clear();
  pool_.waitForDone();
}

QImage TThumbnailProvider::Thumbnail(const QString& path, int box) {
  if (path.isEmpty() || box < 1) return {};
  const qint64 mtime = TThumbnailCache::MTimeOf(path);
  if (mtime < 0) return {};
  const QString key = KeyOf(path, box);
  if (const THeld* held = memory_.object(key); held && held->mtime == mtime) return held->image;
  const auto failed = failures_.constFind(path);
  if (failed != failures_.cend() && failed->mtime == mtime) return {};
  if (pending_.contains(key)) return {};
  pending_.insert(key);
  pool_.start([this, cache = cache_, path, box, mtime] {
    const TMade made = Make(cache, path, box, mtime);
    QMetaObject::invokeMethod(
        this,
        [this, path, box, mtime, made] { Deliver(path, box, mtime, made.image, made.reason); },
        Qt::QueuedConnection);
  });
  return {};
}

QString TThumbnailProvider::Problem(const QString& path) const {
  const auto failed = failures_.constFind(path);
  if (failed == failures_.cend() || failed->mtime != TThumbnailCache::MTimeOf(path)) return {};
  return failed->reason;
}

void TThumbnailProvider::Deliver(const QString& path, int box, qint64 mtime, const QImage& image,
                                 const QString& reason) {
  pending_.remove(KeyOf(path, box));
  if (image.isNull()) {
    failures_.insert(path, {reason, mtime});
    emit thumbnailFailed(path, reason);
    return;
  }
  failures_.remove(path);
  memory_.insert(KeyOf(path, box), new THeld{image, mtime}, CostOf(image));
  emit thumbnailReady(path, box);
}
