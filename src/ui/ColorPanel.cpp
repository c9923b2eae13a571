#include "ColorPanel.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

TColorPanel::TColorPanel(QWidget* parent) : QFrame(parent) {
  setAutoFillBackground(true);
  SetColor(color_);
}

void TColorPanel::SetColor(const QColor& color) {
  color_ = color;
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, color);
  setPalette(palette);
  setToolTip(color.name().toUpper());
}

void TColorPanel::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  if (!hasFocus()) return;
  // The keyboard focus shows as a dotted frame inside the colour, dark on light colours and light
  // on dark ones, so it shows on every colour the panel can hold.
  QPainter painter(this);
  painter.setPen(QPen(color_.lightness() > 128 ? Qt::black : Qt::white, 1, Qt::DotLine));
  painter.drawRect(contentsRect().adjusted(2, 2, -3, -3));
}

void TColorPanel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
    emit clicked();
  QFrame::mouseReleaseEvent(event);
}

void TColorPanel::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return ||
      event->key() == Qt::Key_Enter) {
    emit clicked();
    return;
  }
  QFrame::keyPressEvent(event);
}
