#include "DialogFrame.h"

#include <QGuiApplication>
#include <QLayout>
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
  QSize size = window->size().expandedTo(window->minimumSizeHint());
  // Word-wrapped text needs more lines at a larger font or scale than the minimum says.
  if (QLayout* layout = window->layout(); layout && layout->hasHeightForWidth())
    size.setHeight(std::max(size.height(), layout->totalHeightForWidth(size.width())));
  window->setFixedSize(size);
}

void CentreOnScreen(QWidget* window) {
  const QRect area = Available(window);
  window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
}

void MoveOnScreen(QWidget* window, int left, int top) {
  const QRect area = Available(window);
  const int x =
      std::clamp(left, area.left(), std::max(area.left(), area.right() - window->width()));
  const int y = std::clamp(top, area.top(), std::max(area.top(), area.bottom() - window->height()));
  window->move(x, y);
}

QRect FitOnScreen(QSize wanted, const QRect& available, const QMargins& frame) {
  const QRect inner = available.marginsRemoved(frame);
  const QSize size = wanted.boundedTo(inner.size()).expandedTo(QSize(1, 1));
  QRect placed(QPoint(), size);
  placed.moveCenter(inner.center());
  return placed;
}

void OpenOnScreen(QWidget* window, QSize wanted, QWidget* shrinkable) {
  const QRect area = Available(window);
  // The frame is only known once the window is shown; before that a generous guess keeps the
  // title bar on the screen.
  const QMargins frame(8, 40, 8, 8);
  const QSize room = area.marginsRemoved(frame).size();
  const QSize least = window->minimumSizeHint();
  if (least.width() > room.width() || least.height() > room.height()) {
    // The screen is smaller than the layout: the window fits the screen and its contents make do.
    if (shrinkable) shrinkable->setMinimumSize(0, 0);
    if (window->layout()) window->layout()->setSizeConstraint(QLayout::SetNoConstraint);
    window->setMinimumSize(window->minimumSize().boundedTo(room));
  }
  window->setGeometry(FitOnScreen(wanted, area, frame));
}

}  // namespace frame
