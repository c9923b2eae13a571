#include "MainForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QTabBar>
#include <QToolButton>
#include <QUndoStack>

#include "DialogFrame.h"
#include "Errors.h"
#include "FileAssociation.h"
#include "Icons.h"
#include "Launcher.h"
#include "LivePreview.h"
#include "Prompts.h"
#include "Settings.h"
#include "TreePictures.h"
#include "ui_MainForm.h"

namespace {
QString WithSlash(const QString& folder) {
  QString f = QDir::fromNativeSeparators(folder);
  return f.endsWith('/') ? f : f + '/';
}
}  // namespace

TMainForm::TMainForm(const QString& programFolder, QWidget* parent)
    : QMainWindow(parent),
      ui(std::make_unique<Ui::TMainForm>()),
      programFolder_(WithSlash(programFolder)) {
  ui->setupUi(this);
  // The hint line and the progress bar run along the window's bottom edge, below the live preview.
  ui->stsbrMainForm->addWidget(ui->StatusBar1, 1);
  setWindowIcon(icons::Program());
  state_ = places::StatePlaces(programFolder_.toStdString());
  if (state_.perUser) QDir().mkpath(QString::fromStdString(state_.stateFolder));
  // Our own work folder: a second program running at the same time never touches its files.
  instance_ =
      std::make_unique<places::TInstanceFolder>(programFolder_.toStdString(), !state_.perUser);
  document_ = std::make_unique<TDocument>(programFolder_.toStdString(), this, this);
  document_->agent().SetWorkFolder(instance_->Path());
  BindSettingSwitches();
  SetUpActions();
  SetUpTree();
  SetUpPictures();
  SetUpPanels();
  SetUpHints();
  SetUpWork();
  // Tab goes from the tree straight to the fields of the page shown (Ctrl+Tab switches pages).
  if (auto* bar = ui->pgcntrl1->findChild<QTabBar*>()) bar->setFocusPolicy(Qt::NoFocus);
  ui->pgcntrl1->installEventFilter(this);
  ui->Splitter1->setStretchFactor(1, 1);
  ui->Splitter1->setSizes({337, 441});
  setWindowTitle(QStringLiteral("Torvane"));
  platform::WriteFileAssociation(QCoreApplication::applicationFilePath());
  RunCommand(this, [this] { LoadRecentFiles(); });
  ShowDesign();
  // Until the first click into the tree all four item commands are on: Delete then says that the
  // root cannot be deleted, and the moves do nothing.
  for (QAction* command :
       {ui->Insert1, ui->Insert2, ui->tlbtnInsert, ui->Delete1, ui->Delete2, ui->tlbtnDelete,
        ui->MoveUp1, ui->MoveUp2, ui->tlbtnMoveUp, ui->MoveDown1, ui->MoveDown2, ui->tlbtnMoveDown})
    command->setEnabled(true);
  CreateLongLivedWindows();
  CreateLivePreview();
  SetLaunchFailureHandler([this](const TLaunchFailure& failure) { ShowLaunchFailure(failure); });
}

TMainForm::~TMainForm() {
  SetLaunchFailureHandler({});
  // The tree view lets go of the document's model before the document goes.
  ui->trvwDesignPanel->setModel(nullptr);
}

void TMainForm::SetUpActions() {
  struct TIconOf {
    QAction* action;
    int icon;
  };
  for (const TIconOf& a : {TIconOf{ui->New1, 0},   {ui->tlbtnNew, 0},      {ui->Open1, 1},
                           {ui->tlbtnOpen, 1},     {ui->Save1, 2},         {ui->tlbtnSave, 2},
                           {ui->Undo1, 13},        {ui->tlbtnUndo, 13},    {ui->Redo1, 14},
                           {ui->tlbtnRedo, 14},    {ui->Insert1, 6},       {ui->Insert2, 6},
                           {ui->tlbtnInsert, 6},   {ui->Delete1, 7},       {ui->Delete2, 7},
                           {ui->tlbtnDelete, 7},   {ui->MoveUp1, 8},       {ui->MoveUp2, 8},
                           {ui->tlbtnMoveUp, 8},   {ui->MoveDown1, 9},     {ui->MoveDown2, 9},
                           {ui->tlbtnMoveDown, 9}, {ui->BuildHTML1, 10},   {ui->tlbtnBuildHTML, 10},
                           {ui->Preview1, 11},     {ui->tlbtnPreview, 11}, {ui->Topic1, 12},
                           {ui->tlbtnHelp, 12}})
    a.action->setIcon(icons::Tool(a.icon));
  // The toolbar's buttons carry their action's name, so they are found as widgets too.
  for (QAction* action : ui->tlbr1->actions())
    if (QWidget* button = ui->tlbr1->widgetForAction(action); button && !action->isSeparator())
      button->setObjectName(action->objectName());

  auto bind = [this](std::initializer_list<QAction*> actions, void (TMainForm::*slot)()) {
    for (QAction* action : actions) connect(action, &QAction::triggered, this, slot);
  };
  bind({ui->New1, ui->tlbtnNew}, &TMainForm::newProject);
  bind({ui->Open1, ui->tlbtnOpen}, &TMainForm::openProject);
  bind({ui->Save1, ui->tlbtnSave}, &TMainForm::save);
  bind({ui->Save2}, &TMainForm::saveAs);
  bind({ui->Templet1}, &TMainForm::chooseTemplate);
  bind({ui->SaveAsTemplate1}, &TMainForm::saveAsTemplate);
  bind({ui->Exit1}, &TMainForm::exitProgram);
  bind({ui->ToolBar1}, &TMainForm::toggleToolBar);
  bind({ui->StatusBar2}, &TMainForm::toggleStatusBar);
  bind({ui->Insert1, ui->Insert2, ui->tlbtnInsert}, &TMainForm::insertItem);
  bind({ui->Delete1, ui->Delete2, ui->tlbtnDelete}, &TMainForm::deleteItems);
  bind({ui->MoveUp1, ui->MoveUp2, ui->tlbtnMoveUp}, &TMainForm::moveItemsUp);
  bind({ui->MoveDown1, ui->MoveDown2, ui->tlbtnMoveDown}, &TMainForm::moveItemsDown);
  bind({ui->Preview1, ui->tlbtnPreview}, &TMainForm::preview);
  bind({ui->BuildHTML1, ui->tlbtnBuildHTML}, &TMainForm::buildHtml);
  bind({ui->CopyEmbedCode1}, &TMainForm::copyEmbedCode);
  bind({ui->Publish1}, &TMainForm::showPublishReport);
  bind({ui->WebBrowser1}, &TMainForm::chooseWebBrowser);
  bind({ui->Topic1, ui->tlbtnHelp}, &TMainForm::showHelpTopics);
  bind({ui->ViewSample1}, &TMainForm::viewSample);
  bind({ui->Homepage1}, &TMainForm::openHomepage);
  bind({ui->ContactUs1}, &TMainForm::contactUs);
  bind({ui->About1}, &TMainForm::showAbout);

  // Undo and Redo name the step they act on, and Save follows the modified state: undoing back
  // to the saved step leaves nothing to save.
  QUndoStack* stack = document_->undoStack();
  ui->Redo1->setShortcuts(
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
  bind({ui->Undo1, ui->tlbtnUndo}, &TMainForm::undo);
  bind({ui->Redo1, ui->tlbtnRedo}, &TMainForm::redo);
  auto name = [this, stack] {
    const QString undo = stack->undoText(), redo = stack->redoText();
    ui->Undo1->setText(undo.isEmpty() ? tr("&Undo") : tr("&Undo %1").arg(undo));
    ui->Redo1->setText(redo.isEmpty() ? tr("&Redo") : tr("&Redo %1").arg(redo));
    ui->tlbtnUndo->setToolTip(undo.isEmpty() ? tr("Undo the last change")
                                             : tr("Undo %1").arg(undo));
    ui->tlbtnRedo->setToolTip(redo.isEmpty() ? tr("Redo the change undone last")
                                             : tr("Redo %1").arg(redo));
    for (QAction* a : {ui->Undo1, ui->tlbtnUndo}) a->setEnabled(stack->canUndo());
    for (QAction* a : {ui->Redo1, ui->tlbtnRedo}) a->setEnabled(stack->canRedo());
  };
  connect(stack, &QUndoStack::indexChanged, this, name);
  connect(stack, &QUndoStack::cleanChanged, this, name);
  name();
  auto saveState = [this](bool modified) {
    for (QAction* a : {ui->Save1, ui->tlbtnSave}) a->setEnabled(modified);
  };
  connect(document_.get(), &TDocument::modifiedChanged, this, saveState);
  saveState(false);

  popupMenu_ = new QMenu(this);
  popupMenu_->setObjectName("PopupMenu1");
  popupMenu_->addActions({ui->Insert1, ui->Delete1, ui->MoveUp1, ui->MoveDown1});
}

// --- progress protocol ---
void TMainForm::SetMaximum(int maximum) { ui->prgrsbrMainFormBottom->setMaximum(maximum); }

// The bar and the line are painted with the window: long work runs on a worker and reaches
// them a few times a second, so painting at every step would only cost time.
void TMainForm::Step(int by) {
  QProgressBar* bar = ui->prgrsbrMainFormBottom;
  bar->setValue(std::min(bar->maximum(), bar->value() + by));
}

void TMainForm::SetPosition(int position) { ui->prgrsbrMainFormBottom->setValue(position); }

void TMainForm::SetStatus(const std::string& text) {
  ui->stctxtHint->setText(QString::fromStdString(text));
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
void TMainForm::toggleToolBar() {
  // The action has already toggled its check mark; the toolbar follows it.
  ui->tlbr1->setVisible(ui->ToolBar1->isChecked());
}

void TMainForm::toggleStatusBar() {
  const bool shown = ui->StatusBar2->isChecked();
  ui->stsbrMainForm->setVisible(shown);
  ui->StatusBar1->setVisible(shown);
  ui->stctxtHint->setVisible(shown);
  ui->prgrsbrMainFormBottom->setVisible(shown);
}

// --- closing ---
void TMainForm::exitProgram() { close(); }

void TMainForm::closeEvent(QCloseEvent* event) {
  if (Working()) {  // the work stops first; the window closes (asking as usual) once it has
    closeAfterWork_ = true;
    cancelWork();
    event->ignore();
    return;
  }
  if (CloseQuery()) {
    RememberPlacement();
    event->accept();
  } else {
    event->ignore();
  }
}

bool TMainForm::CloseQuery() {
  TqelAppletAgent& model = document_->agent();
  if (!document_->isModified()) {
    model.ClearPreview();
    return true;
  }
  const TButton answer = prompt::Message(this, TMessageKind::Warning,
                                         QStringLiteral("Save changes to files before Exit?"),
                                         {TButton::Yes, TButton::No, TButton::Cancel});
  if (answer == TButton::Cancel) return false;  // the design stays, and so does its preview
  if (answer == TButton::No) {
    model.ClearPreview();
    return true;
  }
  QString path = SaveTarget();
  if (path.isEmpty()) {
    const auto chosen = AskSavePath();
    if (!chosen) return false;
    path = *chosen;
  }
  if (!SaveTo(path)) return false;
  model.ClearPreview();
  return true;
}

namespace {
// Where the window's placement is remembered between runs.
const QString kWindowGeometry = QStringLiteral("WindowGeometry");
const QString kWindowState = QStringLiteral("WindowState");
const QString kTreeSplitter = QStringLiteral("TreeSplitter");

QByteArray StoredBytes(const QString& name) {
  try {
    if (const auto value = settings::Read(settings::kSettingsKey, name))
      return value->toByteArray();
  } catch (const TvError&) {
    // An unreadable store: the window opens as designed.
  }
  return {};
}
}  // namespace

void TMainForm::PlaceOnScreen() {
  // The property pages are never smaller than designed, nor than their fields need at the
  // user's font.
  QTabWidget* tabs = ui->pgcntrl1;
  tabs->setMinimumSize(QSize(433, 420).expandedTo(tabs->minimumSizeHint()));
  // Room below the property tabs for the live preview when it is shown.
  const QSize designed(781, LivePreview()->isHidden() ? 524 : 724);
  frame::OpenOnScreen(this, designed.expandedTo(minimumSizeHint()), tabs);
  // Where the user left the window, its splitter and the pane last time.
  const QByteArray geometry = StoredBytes(kWindowGeometry);
  if (geometry.isEmpty() || !restoreGeometry(geometry)) return;
  restoreState(StoredBytes(kWindowState));
  ui->Splitter1->restoreState(StoredBytes(kTreeSplitter));
  // The View menu's choices stand over what the stored layout had shown.
  ui->tlbr1->setVisible(ui->ToolBar1->isChecked());
  livePreview_->setVisible(ui->LivePreview1->isChecked());
}

void TMainForm::RememberPlacement() {
  try {
    settings::WriteValue(settings::kSettingsKey, kWindowGeometry, saveGeometry());
    settings::WriteValue(settings::kSettingsKey, kWindowState, saveState());
    settings::WriteValue(settings::kSettingsKey, kTreeSplitter, ui->Splitter1->saveState());
  } catch (const TvError&) {
    // Not remembered: the next run opens as designed. No reason to hold up closing.
  }
}

void TMainForm::OpenCommandLine(const QStringList& arguments) {
  QString joined;
  for (const QString& argument : arguments) joined += argument + ' ';
  joined = joined.trimmed();
  if (joined.isEmpty()) return;
  // Made absolute once, so the recent list and later saves name the same file.
  joined = QFileInfo(joined).absoluteFilePath();
  try {
    // Nothing was edited yet, so nothing is asked.
    LoadDesign(joined);
  } catch (...) {
    // Swallowed: the reader has shown its own messages, and the default design stays.
  }
}
