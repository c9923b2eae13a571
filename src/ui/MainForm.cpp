#include "MainForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QScreen>
#include <QTabBar>
#include <QToolButton>

#include "FileAssociation.h"
#include "Icons.h"
#include "Prompts.h"
#include "Settings.h"
#include "ui_MainForm.h"

namespace {
QString WithSlash(const QString& folder) {
  QString f = QDir::fromNativeSeparators(folder);
  return f.endsWith('/') ? f : f + '/';
}
// The controls whose hint the hint line follows (see SetUpHints).
const char* const kHintProperty = "hintControl";
}  // namespace

TMainForm::TMainForm(const QString& programFolder, QWidget* parent)
    : QMainWindow(parent),
      ui(std::make_unique<Ui::TMainForm>()),
      programFolder_(WithSlash(programFolder)) {
  ui->setupUi(this);
  treeAdapter_ = std::make_unique<TTreeAdapter>(*ui->trvwDesignPanel);
  setWindowIcon(icons::Program());
  SetUpActions();
  SetUpTree();
  SetUpPanels();
  SetUpHints();
  // Tab goes from the tree straight to the fields of the page shown (Ctrl+Tab switches pages).
  if (auto* bar = ui->pgcntrl1->findChild<QTabBar*>()) bar->setFocusPolicy(Qt::NoFocus);
  ui->Splitter1->setStretchFactor(1, 1);
  ui->Splitter1->setSizes({337, 441});
  FormCreate();
  CreateLongLivedWindows();
}

TMainForm::~TMainForm() = default;

void TMainForm::FormCreate() {
  state_ = places::StatePlaces(programFolder_.toStdString());
  if (state_.perUser) QDir().mkpath(QString::fromStdString(state_.stateFolder));
  // Our own work folder: a second program running at the same time never touches its files.
  instance_ = std::make_unique<places::TInstanceFolder>(programFolder_.toStdString(), !state_.perUser);
  model_ = std::make_unique<TqelAppletAgent>(programFolder_.toStdString(), this, this);
  model_->SetWorkFolder(instance_->Path());
  EditedItemNode = nullptr;
  DescendantCount = 0;
  TreeRebuilding = false;
  ProjectFileName.clear();
  RootReset(false);
  model_->LoadDefaults();
  ShowSliderParameters();
  setWindowTitle(QStringLiteral("Torvane"));
  platform::WriteFileAssociation(QCoreApplication::applicationFilePath());
  RunCommand(this, [this] { LoadRecentFiles(); });
  // Scaled pictures are kept between saves unless the user turned that off.
  model_->PictureCacheEnabled = settings::Read(settings::kUsePictureCache);
  ui->PictureCache1->setChecked(model_->PictureCacheEnabled);
  ClearModified();
  ShownTabsIndex = -2009;
  UpdatePropertyTabs();
}

void TMainForm::SetUpActions() {
  struct TIconOf {
    QAction* action;
    int icon;
  };
  for (const TIconOf& a : {TIconOf{ui->New1, 0}, {ui->tlbtnNew, 0}, {ui->Open1, 1},
                           {ui->tlbtnOpen, 1}, {ui->Save1, 2}, {ui->tlbtnSave, 2},
                           {ui->Insert1, 6}, {ui->Insert2, 6}, {ui->tlbtnInsert, 6},
                           {ui->Delete1, 7}, {ui->Delete2, 7}, {ui->tlbtnDelete, 7},
                           {ui->MoveUp1, 8}, {ui->MoveUp2, 8}, {ui->tlbtnMoveUp, 8},
                           {ui->MoveDown1, 9}, {ui->MoveDown2, 9}, {ui->tlbtnMoveDown, 9},
                           {ui->BuildHTML1, 10}, {ui->tlbtnBuildHTML, 10}, {ui->Preview1, 11},
                           {ui->tlbtnPreview, 11}, {ui->Topic1, 12}, {ui->tlbtnHelp, 12}})
    a.action->setIcon(icons::Tool(a.icon));
  // The toolbar's buttons carry their action's name, so they are found as widgets too.
  for (QAction* action : ui->tlbr1->actions())
    if (QWidget* button = ui->tlbr1->widgetForAction(action); button && !action->isSeparator())
      button->setObjectName(action->objectName());

  auto bind = [this](std::initializer_list<QAction*> actions, void (TMainForm::*slot)()) {
    for (QAction* action : actions) connect(action, &QAction::triggered, this, slot);
  };
  bind({ui->New1, ui->tlbtnNew}, &TMainForm::New1Click);
  bind({ui->Open1, ui->tlbtnOpen}, &TMainForm::Open1Click);
  bind({ui->Save1, ui->tlbtnSave}, &TMainForm::Save1Click);
  bind({ui->Save2}, &TMainForm::Save2Click);
  bind({ui->Templet1}, &TMainForm::Templet1Click);
  bind({ui->SaveAsTemplate1}, &TMainForm::SaveAsTemplate1Click);
  bind({ui->Exit1}, &TMainForm::Exit1Click);
  bind({ui->ToolBar1}, &TMainForm::ToolBar1Click);
  bind({ui->StatusBar2}, &TMainForm::StatusBar2Click);
  bind({ui->Insert1, ui->Insert2, ui->tlbtnInsert}, &TMainForm::Insert1Click);
  bind({ui->Delete1, ui->Delete2, ui->tlbtnDelete}, &TMainForm::Delete1Click);
  bind({ui->MoveUp1, ui->MoveUp2, ui->tlbtnMoveUp}, &TMainForm::MoveUp1Click);
  bind({ui->MoveDown1, ui->MoveDown2, ui->tlbtnMoveDown}, &TMainForm::MoveDown1Click);
  bind({ui->Preview1, ui->tlbtnPreview}, &TMainForm::Preview1Click);
  bind({ui->BuildHTML1, ui->tlbtnBuildHTML}, &TMainForm::BuildHTML1Click);
  bind({ui->Publish1}, &TMainForm::Publish1Click);
  bind({ui->WebBrowser1}, &TMainForm::WebBrowser1Click);
  bind({ui->PictureCache1}, &TMainForm::PictureCache1Click);
  bind({ui->Topic1, ui->tlbtnHelp}, &TMainForm::Topic1Click);
  bind({ui->ViewSample1}, &TMainForm::ViewSample1Click);
  bind({ui->Homepage1}, &TMainForm::Homepage1Click);
  bind({ui->ContactUs1}, &TMainForm::ContactUs1Click);
  bind({ui->About1}, &TMainForm::About1Click);

  popupMenu_ = new QMenu(this);
  popupMenu_->setObjectName("PopupMenu1");
  popupMenu_->addActions({ui->Insert1, ui->Delete1, ui->MoveUp1, ui->MoveDown1});
}

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
  for (QAction* action : ui->tlbr1->actions())
    if (!action->isSeparator()) controls << ui->tlbr1->widgetForAction(action);
  for (QWidget* control : controls) {
    QList<QWidget*> parts{control};
    parts << control->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    if (auto* tree = qobject_cast<QAbstractScrollArea*>(control)) parts << tree->viewport();
    for (QWidget* part : parts) {
      part->setMouseTracking(true);
      part->setProperty(kHintProperty, QVariant::fromValue(static_cast<QObject*>(control)));
      part->installEventFilter(this);
    }
  }
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseMove) {
    if (auto* control = qobject_cast<QWidget*>(watched->property(kHintProperty).value<QObject*>()))
      spnedtApWidthMouseMove(control);
  }
  if (watched == ui->trvwDesignPanel->viewport()) {
    if (event->type() == QEvent::MouseButtonPress) {
      // The selection moves first, then the commands follow it (as the mouse-down handler does).
      const bool handled = QMainWindow::eventFilter(watched, event);
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (QTreeWidgetItem* node = ui->trvwDesignPanel->itemAt(mouse->position().toPoint()))
        ui->trvwDesignPanel->setCurrentItem(node);
      trvwDesignPanelMouseDown();
      return handled;
    }
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
      auto* drag = static_cast<QDropEvent*>(event);
      if (drag->mimeData()->hasUrls()) {
        drag->acceptProposedAction();
        return true;
      }
    }
    if (event->type() == QEvent::Drop) {
      TreeDropEvent(static_cast<QDropEvent*>(event));
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void TMainForm::spnedtApWidthMouseMove(QWidget* control) {
  if (TreeRebuilding) return;
  QString hint;
  if (control == ui->trvwDesignPanel || control->parentWidget() == ui->tlbr1)
    hint = control->toolTip();
  ui->stctxtHint->setText(hint);
}

void TMainForm::MarkModified() {
  ProjectModified = true;
  ui->tlbtnSave->setEnabled(true);
  ui->Save1->setEnabled(true);
}

void TMainForm::ClearModified() {
  ProjectModified = false;
  ui->tlbtnSave->setEnabled(false);
  ui->Save1->setEnabled(false);
}

void TMainForm::spnedtApWidthChange() { MarkModified(); }

// --- progress protocol ---
void TMainForm::SetMaximum(int maximum) { ui->prgrsbrMainFormBottom->setMaximum(maximum); }

void TMainForm::Step(int by) {
  QProgressBar* bar = ui->prgrsbrMainFormBottom;
  bar->setValue(std::min(bar->maximum(), bar->value() + by));
  bar->repaint();
}

void TMainForm::SetPosition(int position) {
  ui->prgrsbrMainFormBottom->setValue(position);
  ui->prgrsbrMainFormBottom->repaint();
}

void TMainForm::SetStatus(const std::string& text) {
  ui->stctxtHint->setText(QString::fromStdString(text));
  ui->stctxtHint->repaint();
}

void TMainForm::SetBusy(bool busy) {
  if (busy) {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    ++busyDepth_;
  } else if (busyDepth_ > 0) {
    QGuiApplication::restoreOverrideCursor();
    --busyDepth_;
  }
}

void TMainForm::Show(TMessageKind kind, const std::string& text) {
  prompt::Message(this, kind, QString::fromStdString(text), {TButton::Ok});
}

// --- view toggles ---
void TMainForm::ToolBar1Click() {
  // The action has already toggled its check mark; the toolbar follows it.
  ui->tlbr1->setVisible(ui->ToolBar1->isChecked());
}

void TMainForm::StatusBar2Click() {
  const bool shown = ui->StatusBar2->isChecked();
  ui->StatusBar1->setVisible(shown);
  ui->stctxtHint->setVisible(shown);
  ui->prgrsbrMainFormBottom->setVisible(shown);
}

// --- closing ---
void TMainForm::Exit1Click() { close(); }

void TMainForm::closeEvent(QCloseEvent* event) {
  if (FormCloseQuery()) {
    event->accept();
  } else {
    event->ignore();
  }
}

bool TMainForm::FormCloseQuery() {
  if (!ProjectModified) {
    model_->ClearPreview();
    return true;
  }
  const TButton answer =
      prompt::Message(this, TMessageKind::Warning, QStringLiteral("Save changes to files before Exit?"),
                      {TButton::Yes, TButton::No, TButton::Cancel});
  if (answer == TButton::Cancel) return false;  // the design stays, and so does its preview
  if (answer == TButton::No) {
    model_->ClearPreview();
    return true;
  }
  if (!RunCommand(this, [this] { StorePanels(); })) return false;
  QString path = SaveTarget();
  if (path.isEmpty()) {
    const auto chosen = AskSavePath();
    if (!chosen) return false;
    path = *chosen;
  }
  if (!SaveTo(path)) return false;
  model_->ClearPreview();
  return true;
}

void TMainForm::OpenCommandLine(const QStringList& arguments) {
  QString joined;
  for (const QString& argument : arguments) joined += argument + ' ';
  joined = joined.trimmed();
  if (joined.isEmpty()) return;
  // Made absolute once, so the recent list and later saves name the same file.
  joined = QFileInfo(joined).absoluteFilePath();
  ProjectModified = false;
  try {
    OpenProjectFile(joined);
  } catch (...) {
    // Swallowed: the reader has shown its own messages, and the default design stays.
  }
  TreeRebuilding = false;
}
