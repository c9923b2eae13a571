// Thumbnails of the design's pictures for the window, made on worker threads (never more at once
// than the machine has cores) so that the window keeps answering. Each is taken from the desktop's
// thumbnail cache when a matching entry is there, otherwise decoded and stored there. The
// thumbnails at the size they are shown are held in memory up to a limit; the least recently asked
// for are dropped first, so what is off-screen goes before what is shown.
#pragma once

#include <QCache>
#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QString>
#include <QThreadPool>

#include "ThumbnailCache.h"

class TThumbnailProvider : public QObject {
  Q_OBJECT

 public:
  // Enough for 20,000 tree icons of 48 px.
  static constexpr qint64 kDefaultMemoryLimit = 120LL << 20;

  explicit TThumbnailProvider(TThumbnailCache cache = TThumbnailCache(), QObject* parent = nullptr);
  ~TThumbnailProvider() override;

  // The thumbnail of the picture at `path` as it is now, fitted into box x box (never enlarged),
  // when it is at hand. Otherwise a null image: it is then made in the background, and
  // thumbnailReady or thumbnailFailed follows. A picture that failed is not tried again until its
  // file changes.
  QImage Thumbnail(const QString& path, int box);
  // Why the picture has no thumbnail, when making it failed for the file as it is now; else empty.
  QString Problem(const QString& path) const;

  void SetMemoryLimit(qint64 bytes) { memory_.setMaxCost(bytes); }
  qint64 MemoryUsed() const { return memory_.totalCost(); }
  int Held() const { return static_cast<int>(memory_.count()); }
  int InFlight() const { return static_cast<int>(pending_.size()); }
  int MaxWorkers() const { return pool_.maxThreadCount(); }
  // Waits until nothing is being made (tests and benchmarks; results are still delivered through
  // the event loop).
  void WaitForWorkers() { pool_.waitForDone(); }

 signals:
  void thumbnailReady(const QString& path, int box);
  void thumbnailFailed(const QString& path, const QString& reason);

 private:
  struct THeld {
    QImage image;
    qint64 mtime = 0;
  };
  struct TFailure {
    QString reason;
    qint64 mtime = 0;
  };
  void Deliver(const QString& path, int box, qint64 mtime, const QImage& image,
               const QString& reason);

  TThumbnailCache cache_;
  QCache<QString, THeld> memory_;
  QHash<QString, TFailure> failures_;
  QHash<QString, QList<int>> pending_;  // per job: the boxes asked for
  QThreadPool pool_;
};
