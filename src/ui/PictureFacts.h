// What the window knows about the design's picture files: whether each can be used (checked from
// its file and header the moment it is first shown, so a missing or unreadable picture is flagged
// at once), its pixel and file size, and its thumbnails, made in the background. Everything is
// checked again when the window becomes active again: a file may have been renamed meanwhile.
#pragma once

#include <QHash>
#include <QIcon>
#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>

#include "ThumbnailProvider.h"

class QWidget;

struct TPictureState {
  QString problem;  // why the picture cannot be used; empty when it can
  QSize size;       // upright pixels
  qint64 bytes = 0;
};

class TPictureFacts : public QObject {
  Q_OBJECT

 public:
  explicit TPictureFacts(QObject* parent = nullptr);

  // The picture's state, checked now when it is not known yet (headers only, no decoding).
  const TPictureState& state(const QString& path);
  // The state when the picture was checked already, else null (nothing is read).
  const TPictureState* known(const QString& path) const;
  // Why the picture cannot be used: its check, or the failure to decode it. Empty when usable.
  QString problem(const QString& path);
  // The thumbnail fitted into box x box; null while it is being made or when there is none.
  QImage thumbnail(const QString& path, int box);
  // The icon of a picture that cannot be used.
  QIcon warningIcon() const;
  // "photo.jpg  4000 × 3000" (the file name alone for a picture that cannot be used).
  QString detail(const QString& path);

  // Forgets every check, so that each picture is checked again when next shown.
  void recheck();
  // Rechecks whenever `window` becomes the active window again.
  void watchActivation(QWidget* window);
  TThumbnailProvider& provider() { return provider_; }

 signals:
  // A thumbnail arrived or a state may have changed: what shows pictures should be redrawn.
  void changed();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TThumbnailProvider provider_;
  QHash<QString, TPictureState> states_;
};
