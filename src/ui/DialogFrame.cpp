#include "DialogFrame.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace frame {
namespace {
QRect Available(QWidget* window) {
  QScreen* screen = window->parentWidget() ? window->parentWidget()->screen() : nullptr;
  if (!screen) screen = QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}
}  // namespace

void FixSize(QWidget* window) {
  window->setFixedSize(window->size().expandedTo(window->minimumSizeHint()));
}

void CentreOnScreen(QWidget* window) {
  const QRect area = Available(window);
  window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
}

void MoveOnScreen(QWidget* window, int left, int top) {
  const QRect area = Available(window);
  const int x = std::clamp(left, area.left(), std::max(area.left(), area.right() - window->width()));
  const int y = std::clamp(top, area.top(), std::max(area.top(), area.bottom() - window->height()));
  window->move(x, y);
}

}  // namespace frame
