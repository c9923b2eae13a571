#include "ColorPanel.h"

#include <QKeyEvent>
#include <QMouseEvent>

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
