// What the keyboard and the mouse reach beyond the controls' own handling: the hint line that
// follows the mouse, Ctrl+Tab among the pages shown, Shift+F10 for the tree's menu, and what may
// be typed as the slider's name.
#include <QKeyEvent>
#include <QLineEdit>
#include <QSpinBox>
#include <QTreeView>
#include <QValidator>

#include "MainForm.h"
#include "ScriptText.h"
#include "ui_MainForm.h"

namespace {
// The controls whose hint the hint line follows (see SetUpHints).
const char* const kHintProperty = "hintControl";

bool IsScriptName(const QString& name) {
  return scripttext::IsScriptIdentifier(name.toStdString());
}

const char* const kNameRule =
    "The name must begin with a letter, \"_\" or \"$\" and hold only letters, digits, \"_\" and "
    "\"$\", because the page's script uses it.";

// Why a name cannot be typed: the characters no script name holds, or a first one that cannot
// begin it. Empty when the name is fine.
QString NameRefusal(const QString& name) {
  const QList<uint> codes = name.toUcs4();
  QStringList offending;
  for (const uint code : codes) {
    if (scripttext::IsScriptNamePart(code)) continue;
    const QString shown =
        code == ' ' ? QStringLiteral("a blank")
                    : '"' + QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1) + '"';
    if (!offending.contains(shown)) offending << shown;
  }
  if (!offending.isEmpty())
    return QStringLiteral("%1 can't be part of the name. ").arg(offending.join(", ")) + kNameRule;
  if (!codes.isEmpty() && !scripttext::IsScriptNameStart(codes.first()))
    return QStringLiteral("The name can't begin with \"%1\". ").arg(name.left(1)) + kNameRule;
  return QString();
}

// Lets through only what leaves a usable name (or an empty box, refilled when left), and says why
// anything else was refused.
class TScriptNameValidator : public QValidator {
 public:
  TScriptNameValidator(QObject* parent, std::function<void(const QString&)> refused)
      : QValidator(parent), refused_(std::move(refused)) {}
  State validate(QString& text, int&) const override {
    const QString name = text.trimmed();
    if (name.isEmpty() || IsScriptName(name)) return Acceptable;
    refused_(NameRefusal(name));
    return Invalid;
  }

 private:
  std::function<void(const QString&)> refused_;
};
}  // namespace

// The hint line follows the mouse over these controls; only the tree and the toolbar buttons
// have hint texts, so over the others the line is emptied.
void TMainForm::SetUpHints() {
  QList<QWidget*> controls{ui->tbshtScript,
                           ui->pnl_pBgColor,
                           ui->pnl_pContainerBorderColor,
                           ui->pnl_pImageBorderColor,
                           ui->spnedt_pWidth,
                           ui->spedt_pHeight,
                           ui->spnedt_pStep,
                           ui->spnedt_pDelay,
                           ui->spnedt_pGap,
                           ui->spnedt_pTrailerSpace,
                           ui->spnedt_pContainerBorderWidth,
                           ui->spnedt_pImageBorderWidth,
                           ui->GroupBox7,
                           ui->spdbtnItURL,
                           ui->edt_IToolTip,
                           ui->spdbtnOriginalImagePath,
                           ui->pnlTreeView,
                           ui->trvwDesignPanel};
  int widest = 0;
  for (QAction* action : ui->tlbr1->actions())
    if (!action->isSeparator()) controls << ui->tlbr1->widgetForAction(action);
  for (QWidget* control : controls) {
    widest = std::max(widest, ui->stctxtHint->fontMetrics().horizontalAdvance(control->toolTip()));
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
  const QMargins margins = ui->stctxtHint->contentsMargins();
  const int width =
      std::max(ui->stctxtHint->minimumWidth(),
               widest + margins.left() + margins.right() + 2 * ui->stctxtHint->margin() + 8);
  ui->stctxtHint->setFixedWidth(width);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ui->pgcntrl1 && event->type() == QEvent::KeyPress) {
    // Ctrl+Tab and Ctrl+Shift+Tab switch only among the pages the selection shows.
    auto* key = static_cast<QKeyEvent*>(event);
    if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
        (key->modifiers() & Qt::ControlModifier)) {
      QTabWidget* tabs = ui->pgcntrl1;
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
      ShowHint(control);
  }
  if (watched == ui->trvwDesignPanel->viewport() && event->type() == QEvent::MouseButtonPress) {
    // A click into the tree sets the item commands for the node then selected, also when the
    // selection stays (the slider, right after start-up): once the tree has handled the click.
    QMetaObject::invokeMethod(this, &TMainForm::UpdateItemCommands, Qt::QueuedConnection);
  }
  if (watched == ui->trvwDesignPanel && event->type() == QEvent::KeyPress) {
    // Shift+F10 opens the pop-up menu for the current node, as the menu key does.
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier) {
      QTreeView* tree = ui->trvwDesignPanel;
      ShowTreeMenu(tree->currentIndex().isValid() ? tree->visualRect(tree->currentIndex()).center()
                                                  : QPoint());
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void TMainForm::ShowHint(QWidget* control) {
  if (Working()) return;  // the line belongs to the running work
  QString hint;
  if (control == ui->trvwDesignPanel || control->parentWidget() == ui->tlbr1)
    hint = control->toolTip();
  ui->stctxtHint->setText(hint);
}

void TMainForm::SetUpSliderName() {
  // The slider name becomes a name in the page's script: only what the script can use is typed,
  // and the tip under the box says why anything else was not taken.
  ui->edt_pSliderName->setValidator(
      new TScriptNameValidator(ui->edt_pSliderName, [this](const QString& why) {
        ui->lbl_pSliderNameTip->setText(why);
        ui->lbl_pSliderNameTip->setVisible(!why.isEmpty());
      }));
  connect(ui->edt_pSliderName, &QLineEdit::textChanged, this, &TMainForm::CheckSliderName);
  connect(ui->edt_pSliderName, &QLineEdit::editingFinished, this, [this] {
    // An emptied name would leave the page without a script name: the last whole name comes back.
    // The tip stays until the box is left, so a refusal in the middle of typing is seen.
    const QString name = ui->edt_pSliderName->text().trimmed();
    if (name.isEmpty() && !lastSliderName_.isEmpty())
      ui->edt_pSliderName->setText(lastSliderName_);
    else if (IsScriptName(name))
      lastSliderName_ = name;
    ui->lbl_pSliderNameTip->hide();
  });
}

void TMainForm::CheckSliderName() {
  const QString name = ui->edt_pSliderName->text().trimmed();
  sliderNameValid_ = IsScriptName(name);
  ui->edt_pSliderName->setStyleSheet(
      sliderNameValid_ || name.isEmpty() ? QString() : QStringLiteral("color: red;"));
  ui->edt_pSliderName->setToolTip(sliderNameValid_ ? QString() : QString::fromUtf8(kNameRule));
}
