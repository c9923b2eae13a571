#include "ColorPanel.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

namespace {

// The panel as a button to assistive technology: its role, name and press action.
class TAccessibleColorPanel : public QAccessibleWidget {
 public:
  explicit TAccessibleColorPanel(TColorPanel* panel)
      : QAccessibleWidget(panel, QAccessible::Button) {
    addControllingSignal(QStringLiteral("clicked()"));
  }
  QString text(QAccessible::Text t) const override {
    return t == QAccessible::Name ? static_cast<TColorPanel*>(widget())->spokenName()
                                  : QAccessibleWidget::text(t);
  }
  QStringList actionNames() const override { return {pressAction()}; }
  void doAction(const QString& action) override {
    if (action == pressAction()) emit static_cast<TColorPanel*>(widget())->clicked();
  }
};

QAccessibleInterface* AccessibleColorPanel(const QString& className, QObject* object) {
  auto* panel = qobject_cast<TColorPanel*>(object);
  return className == QLatin1String("TColorPanel") && panel ? new TAccessibleColorPanel(panel)
                                                            : nullptr;
}

}  // namespace

TColorPanel::TColorPanel(QWidget* parent) : QFrame(parent) {
  static const bool installed = (QAccessible::installFactory(AccessibleColorPanel), true);
  (void)installed;
  setAutoFillBackground(true);
  setColor(color_);
}

QString TColorPanel::spokenName() const {
  QString label = accessibleName();
  if (label.isEmpty() && parentWidget()) {
    for (const QLabel* each : parentWidget()->findChildren<QLabel*>())
      if (each->buddy() == this) label = each->text().remove('&');
  }
  const QString colour = color_.name().toUpper();
  return label.isEmpty() ? colour : label + QStringLiteral(", ") + colour;
}

void TColorPanel::setColor(const QColor& color) {
  color_ = color;
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, color);
  setPalette(palette);
  setToolTip(color.name().toUpper());
  QAccessibleEvent changed(this, QAccessible::NameChanged);
  QAccessible::updateAccessibility(&changed);
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
