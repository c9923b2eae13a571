#include "PictureFacts.h"

#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QStyle>
#include <QWidget>

#include "images/ImageScaler.h"

TPictureFacts::TPictureFacts(QObject* parent) : QObject(parent) {
  connect(&provider_, &TThumbnailProvider::thumbnailReady, this, &TPictureFacts::changed);
  connect(&provider_, &TThumbnailProvider::thumbnailFailed, this, &TPictureFacts::changed);
}

const TPictureState& TPictureFacts::State(const QString& path) {
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
      state.problem = QString::fromStdString(error.what());
    }
  }
  return *states_.insert(path, state);
}

const TPictureState* TPictureFacts::Known(const QString& path) const {
  const auto found = states_.constFind(path);
  return found == states_.cend() ? nullptr : &*found;
}

QString TPictureFacts::Problem(const QString& path) {
  const TPictureState& state = State(path);
  return state.problem.isEmpty() ? provider_.Problem(path) : state.problem;
}

QImage TPictureFacts::Thumbnail(const QString& path, int box) {
  if (!State(path).problem.isEmpty()) return {};
  return provider_.Thumbnail(path, box);
}

QIcon TPictureFacts::WarningIcon() const {
  return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
}

QString TPictureFacts::Detail(const QString& path) {
  const QString name = QFileInfo(path).fileName();
  const TPictureState& state = State(path);
  if (!state.problem.isEmpty()) return name;
  return QStringLiteral("%1  %2 × %3").arg(name).arg(state.size.width()).arg(state.size.height());
}

void TPictureFacts::Recheck() {
  states_.clear();
  emit changed();
}

void TPictureFacts::WatchActivation(QWidget* window) { window->installEventFilter(this); }

bool TPictureFacts::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::WindowActivate) Recheck();
  return QObject::eventFilter(watched, event);
}
