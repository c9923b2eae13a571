// What the keyboard and the mouse reach beyond the controls' own handling: the hint line that
// follows the mouse, Ctrl+Tab among the pages shown and F6 among the window's parts (Shift+F10
// for the tree's menu: see TDesignTreeController).
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QShortcut>
#include <QSpinBox>

#include "BackgroundWork.h"
#include "ItemPanel.h"
#include "LivePreview.h"
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

void TMainForm::setUpPartCycling() {
  for (const auto& [key, step] : {std::pair{QKeySequence(Qt::Key_F6), 1},
                                  std::pair{QKeySequence(Qt::SHIFT | Qt::Key_F6), -1}}) {
    auto* shortcut = new QShortcut(key, this);
    connect(shortcut, &QShortcut::activated, this, [this, step = step] { focusNextPart(step); });
  }
}

void TMainForm::focusNextPart(int step) {
  // Each part, and where the focus lands in it: the tree, the page's first field (or the one it
  // had last), the live preview's Pause button.
  QWidget* page = ui_->pgcntrl1->currentWidget();
  const QList<QWidget*> parts{ui_->trvwDesignPanel, page, livePreview_};
  const auto holds = [](QWidget* part, QWidget* widget) {
    return part && widget && (part == widget || part->isAncestorOf(widget));
  };
  int current = -1;
  for (int k = 0; k < parts.size(); ++k)
    if (holds(parts[k], QApplication::focusWidget())) current = k;
  for (int k = 1; k <= parts.size(); ++k) {
    QWidget* part = parts[((current + step * k) % parts.size() + parts.size()) % parts.size()];
    if (!part || !part->isVisible() || !part->isEnabled()) continue;
    // The control the part had the focus on last, else its first one that Tab reaches.
    QWidget* target = part->focusWidget();
    if (part == livePreview_) target = part->findChild<QWidget*>(QStringLiteral("tlbtnLivePause"));
    const auto reachable = [](QWidget* w) {
      return w && w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus);
    };
    if (!holds(part, target) || !reachable(target)) {
      target = reachable(part) ? part : nullptr;
      for (QWidget* child : part->findChildren<QWidget*>()) {
        if (target) break;
        if (reachable(child)) target = child;
      }
    }
    if (!target) continue;
    target->setFocus(Qt::ShortcutFocusReason);
    return;
  }
}
