#include "PictureFacts.h"

#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QStyle>
#include <QWidget>

#include "ModelText.h"
#include "images/ImageScaler.h"

TPictureFacts::TPictureFacts(QObject* parent) : QObject(parent) {
  connect(&provider_, &TThumbnailProvider::thumbnailReady, this, &TPictureFacts::changed);
  connect(&provider_, &TThumbnailProvider::thumbnailFailed, this, &TPictureFacts::changed);
}

const TPictureState& TPictureFacts::state(const QString& path) {
  auto found = states_.find(path);
  if (found != states_.end()) return *found;
  // Typing a path checks every prefix on the way: keep the table from growing without end.
  if (states_.size() > 4096) states_.clear();
  TPictureState state;
  if (path.trimmed().isEmpty()) {
    state.problem = tr("No picture chosen");
  } else {
    try {
      const auto [width, height] = UprightPictureSize(path.toStdString());
      state.size = QSize(width, height);
      state.bytes = QFileInfo(path).size();
    } catch (const std::exception& error) {
      state.problem = modeltext::Shown(error);
    }
  }
  return *states_.insert(path, state);
}

const TPictureState* TPictureFacts::known(const QString& path) const {
  const auto found = states_.constFind(path);
  return found == states_.cend() ? nullptr : &*found;
}

QString TPictureFacts::problem(const QString& path) {
  const TPictureState& known = state(path);
  return known.problem.isEmpty() ? provider_.Problem(path) : known.problem;
}

QImage TPictureFacts::thumbnail(const QString& path, int box) {
  if (!state(path).problem.isEmpty()) return {};
  return provider_.Thumbnail(path, box);
}

QIcon TPictureFacts::warningIcon() const {
  return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
}

QString TPictureFacts::detail(const QString& path) {
  const QString name = QFileInfo(path).fileName();
  const TPictureState& known = state(path);
  if (!known.problem.isEmpty()) return name;
  return QStringLiteral("%1  %2 × %3").arg(name).arg(known.size.width()).arg(known.size.height());
}

void TPictureFacts::recheck() {
  states_.clear();
  emit changed();
}

void TPictureFacts::watchActivation(QWidget* window) { window->installEventFilter(this); }

bool TPictureFacts::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::WindowActivate) recheck();
  return QObject::eventFilter(watched, event);
}
