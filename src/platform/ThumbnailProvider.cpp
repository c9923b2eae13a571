#include "ThumbnailProvider.h"

#include <QThread>
#include <algorithm>
#include <cstring>

#ifdef __linux__
#include <sys/resource.h>
#include <unistd.h>
#endif

#include "ModelText.h"
#include "images/PictureDecoder.h"
#include "images/Thumbnail.h"

namespace {

// The window's own thread goes first: thumbnails of a long design keep both cores busy for a
// while, and at the same priority the window would wait for them (the scheduler's priority
// classes leave an ordinary thread's QThread priority without effect here).
void YieldToTheWindow() {
#ifdef __linux__
  thread_local const bool lowered =
      ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 10) == 0;
  (void)lowered;
#else
  QThread::currentThread()->setPriority(QThread::LowPriority);
#endif
}

QString KeyOf(const QString& path, int box) { return QString::number(box) + '|' + path; }
// One job makes the thumbnail of a size class for every box of that class asked for meanwhile.
QString JobOf(const QString& path, int box) { return KeyOf(path, TThumbnailCache::SizeFor(box)); }

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

// On a worker thread: the desktop's cached thumbnail of the size class of `box`, else one decoded
// (and cached) now.
TMade Make(const TThumbnailCache& cache, const QString& path, int box, qint64 mtime) {
  TMade made;
  made.image = cache.Find(path, box);
  if (made.image.isNull()) {
    const std::string file = path.toStdString();
    if (cache.HasFailEntry(path)) {
      const std::optional<TMessage> problem = PictureProblem(file);
      made.reason = modeltext::Shown(
          problem ? *problem
                  : images::CannotReadPicture(file, TV_MESSAGE("model", "it is damaged")));
      return made;
    }
    try {
      made.image = ImageOf(MakeThumbnail(file, TThumbnailCache::SizeFor(box)));
      // A file changed while it was read may have given a mixture of both states.
      if (TThumbnailCache::MTimeOf(path) == mtime) cache.Store(path, box, made.image, mtime);
    } catch (const std::exception& error) {
      made.reason = modeltext::Shown(error);
      if (TThumbnailCache::MTimeOf(path) == mtime) cache.StoreFail(path, mtime);
      return made;
    }
  }
  return made;
}

// The thumbnail at the size it is shown, ready to be drawn.
QImage Fitted(const QImage& image, int box) {
  QImage fitted = image.width() > box || image.height() > box
                      ? image.scaled(box, box, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                      : image;
  fitted.convertTo(fitted.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                            : QImage::Format_RGB32);
  return fitted;
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
  const QString job = JobOf(path, box);
  if (auto waiting = pending_.find(job); waiting != pending_.end()) {
    if (!waiting->contains(box)) waiting->append(box);
    return {};
  }
  pending_.insert(job, {box});
  pool_.start([this, cache = cache_, path, box, mtime] {
    YieldToTheWindow();
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
  const QList<int> boxes = pending_.take(JobOf(path, box));
  if (image.isNull()) {
    failures_.insert(path, {reason, mtime});
    emit thumbnailFailed(path, reason);
    return;
  }
  failures_.remove(path);
  for (const int shown : boxes) {
    const QImage fitted = Fitted(image, shown);
    memory_.insert(KeyOf(path, shown), new THeld{fitted, mtime}, CostOf(fitted));
    emit thumbnailReady(path, shown);
  }
}
