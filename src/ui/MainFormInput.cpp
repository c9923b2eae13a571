// What the keyboard and the mouse reach beyond the controls' own handling: the hint line that
// follows the mouse and Ctrl+Tab among the pages shown (Shift+F10 for the tree's menu: see
// TDesignTreeController).
#include <QKeyEvent>
#include <QLineEdit>
#include <QSpinBox>

#include "BackgroundWork.h"
#include "ItemPanel.h"
#include "MainForm.h"
#include "SliderPanel.h"
#include "ui_MainForm.h"

namespace {
// The controls whose hint the hint line follows (see setUpHints).
const char* const kHintProperty = "hintControl";
}  // namespace

// The hint line follows the mouse over these controls; only the tree and the toolbar buttons
// have hint texts, so over the others the line is emptied.
void TMainForm::setUpHints() {
  QList<QWidget*> controls = ui_->tbshtScript->hintControls() +
                             ui_->tbshtItemGeneral->hintControls() +
                             QList<QWidget*>{ui_->pnlTreeView, ui_->trvwDesignPanel};
  int widest = 0;
  for (QAction* action : ui_->tlbr1->actions())
    if (!action->isSeparator()) controls << ui_->tlbr1->widgetForAction(action);
  for (QWidget* control : controls) {
    widest = std::max(widest, ui_->stctxtHint->fontMetrics().horizontalAdvance(control->toolTip()));
    // Only the controls listed follow (with the parts they are drawn with): the controls inside
    // the tab sheet or the group box leave the line as it was.
    QList<QWidget*> parts{control};
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(control))
      parts << spin->findChild<QLineEdit*>();
    if (auto* tree = qobject_cast<QAbstractScrollArea*>(control)) parts << tree->viewport();
    for (QWidget* part : parts) {
      part->setMouseTracking(true);
      part->setProperty(kHintProperty, QVariant::fromValue(static_cast<QObject*>(control)));
      part->installEventFilter(this);
    }
  }
  // The line is as wide as the longest hint it shows, and never narrower than designed.
  const QMargins margins = ui_->stctxtHint->contentsMargins();
  const int width =
      std::max(ui_->stctxtHint->minimumWidth(),
               widest + margins.left() + margins.right() + 2 * ui_->stctxtHint->margin() + 8);
  ui_->stctxtHint->setFixedWidth(width);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ui_->pgcntrl1 && event->type() == QEvent::KeyPress) {
    // Ctrl+Tab and Ctrl+Shift+Tab switch only among the pages the selection shows.
    auto* key = static_cast<QKeyEvent*>(event);
    if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
        (key->modifiers() & Qt::ControlModifier)) {
      QTabWidget* tabs = ui_->pgcntrl1;
      const int step =
          key->key() == Qt::Key_Backtab || (key->modifiers() & Qt::ShiftModifier) ? -1 : 1;
      for (int k = 1, n = tabs->count(); k < n; ++k) {
        const int page = ((tabs->currentIndex() + step * k) % n + n) % n;
        if (tabs->isTabVisible(page) && tabs->isTabEnabled(page)) {
          tabs->setCurrentIndex(page);
          break;
        }
      }
      return true;
    }
  }
  if (event->type() == QEvent::MouseMove) {
    if (auto* control = qobject_cast<QWidget*>(watched->property(kHintProperty).value<QObject*>()))
      showHint(control);
  }
  return QMainWindow::eventFilter(watched, event);
}

void TMainForm::showHint(QWidget* control) {
  if (work_->busy()) return;  // the line belongs to the running work
  QString hint;
  if (control == ui_->trvwDesignPanel || control->parentWidget() == ui_->tlbr1)
    hint = control->toolTip();
  ui_->stctxtHint->setText(hint);
}
