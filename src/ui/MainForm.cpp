#include "MainForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QMenu>
#include <QTabBar>
#include <QToolButton>
#include <QUndoStack>

#include "BackgroundWork.h"
#include "Conversions.h"
#include "DesignTreeController.h"
#include "DialogFrame.h"
#include "Errors.h"
#include "FileAssociation.h"
#include "FileCommands.h"
#include "HelpWindow.h"
#include "Icons.h"
#include "ItemPanel.h"
#include "ItemTreeModel.h"
#include "Launcher.h"
#include "LivePreview.h"
#include "MessageSink.h"
#include "PathPanel.h"
#include "ScriptCommands.h"
#include "Settings.h"
#include "SliderPanel.h"
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
      ui_(std::make_unique<Ui::TMainForm>()),
      programFolder_(WithSlash(programFolder)) {
  ui_->setupUi(this);
  // The hint line and the progress bar run along the window's bottom edge, below the live preview.
  ui_->stsbrMainForm->addWidget(ui_->StatusBar1, 1);
  setWindowIcon(icons::Program());
  state_ = places::StatePlaces(programFolder_.toStdString());
  if (state_.perUser) QDir().mkpath(QString::fromStdString(state_.stateFolder));
  // Our own work folder: a second program running at the same time never touches its files.
  instance_ =
      std::make_unique<places::TInstanceFolder>(programFolder_.toStdString(), !state_.perUser);
  messages_ = std::make_unique<TMessageSink>(this);
  ui_->tlbtnCancelWork->setDefaultAction(ui_->CancelWork1);
  work_ = new TBackgroundWork({this, ui_->Splitter1, ui_->prgrsbrMainFormBottom, ui_->stctxtHint,
                               ui_->CancelWork1, [this] { return designCommands(); }});
  document_ = std::make_unique<TDocument>(programFolder_.toStdString(), work_, messages_.get());
  work_->attach(*document_);
  document_->setWorkFolder(instance_->Path());
  bindSettingSwitches();

  TDesignTreeController::TParts tree;
  tree.window = this;
  tree.tree = ui_->trvwDesignPanel;
  tree.pages = ui_->pgcntrl1;
  tree.sliderPage = ui_->tbshtScript;
  tree.pathPage = ui_->tbshtPath;
  tree.itemPage = ui_->tbshtItemGeneral;
  tree.insert = {ui_->Insert1, ui_->Insert2, ui_->tlbtnInsert};
  tree.remove = {ui_->Delete1, ui_->Delete2, ui_->tlbtnDelete};
  tree.moveUp = {ui_->MoveUp1, ui_->MoveUp2, ui_->tlbtnMoveUp};
  tree.moveDown = {ui_->MoveDown1, ui_->MoveDown2, ui_->tlbtnMoveDown};
  tree.treeKeys = {ui_->Insert2, ui_->Delete2};
  tree_ = new TDesignTreeController(*document_, std::move(tree), this);
  const auto showPictureStatus = [this] { tree_->showPictureStatus(); };
  files_ = new TFileCommands(
      *document_, *work_, state_,
      {this, ui_->mnitRecentFiles, {ui_->Save1, ui_->tlbtnSave}, showPictureStatus}, this);
  scripts_ = new TScriptCommands(*document_, *work_, {this, showPictureStatus}, this);
  setUpActions();
  setUpPictures();
  setUpPanels();
  setUpHints();
  setUpPartCycling();
  // Tab goes from the tree straight to the fields of the page shown (Ctrl+Tab switches pages).
  if (auto* bar = ui_->pgcntrl1->findChild<QTabBar*>()) bar->setFocusPolicy(Qt::NoFocus);
  ui_->pgcntrl1->installEventFilter(this);
  ui_->Splitter1->setStretchFactor(1, 1);
  ui_->Splitter1->setSizes({337, 441});
  setWindowTitle(QStringLiteral("Torvane"));
  platform::WriteFileAssociation(QCoreApplication::applicationFilePath());
  tree_->showDesign();
  TSliderFieldsPanel::adoptShown(*document_, {ui_->tbshtScript, ui_->tbshtPath});
  // Until the first click into the tree all four item commands are on: Delete then says that the
  // root cannot be deleted, and the moves do nothing.
  for (QAction* command : {ui_->Insert1, ui_->Insert2, ui_->tlbtnInsert, ui_->Delete1, ui_->Delete2,
                           ui_->tlbtnDelete, ui_->MoveUp1, ui_->MoveUp2, ui_->tlbtnMoveUp,
                           ui_->MoveDown1, ui_->MoveDown2, ui_->tlbtnMoveDown})
    command->setEnabled(true);
  helpWindow_ = new THelpWindow(this);
  createLivePreview();
  SetLaunchFailureHandler([this](const TLaunchFailure& failure) { showLaunchFailure(failure); });
}

TMainForm::~TMainForm() {
  SetLaunchFailureHandler({});
  // The tree view lets go of the document's model before the document goes.
  ui_->trvwDesignPanel->setModel(nullptr);
}

TCodeWindow* TMainForm::codeWindow() const { return scripts_->codeWindow(); }

void TMainForm::setUpActions() {
  struct TIconOf {
    QAction* action;
    int icon;
  };
  for (const TIconOf& a :
       {TIconOf{ui_->New1, 0},   {ui_->tlbtnNew, 0},      {ui_->Open1, 1},
        {ui_->tlbtnOpen, 1},     {ui_->Save1, 2},         {ui_->tlbtnSave, 2},
        {ui_->Undo1, 13},        {ui_->tlbtnUndo, 13},    {ui_->Redo1, 14},
        {ui_->tlbtnRedo, 14},    {ui_->Insert1, 6},       {ui_->Insert2, 6},
        {ui_->tlbtnInsert, 6},   {ui_->Delete1, 7},       {ui_->Delete2, 7},
        {ui_->tlbtnDelete, 7},   {ui_->MoveUp1, 8},       {ui_->MoveUp2, 8},
        {ui_->tlbtnMoveUp, 8},   {ui_->MoveDown1, 9},     {ui_->MoveDown2, 9},
        {ui_->tlbtnMoveDown, 9}, {ui_->BuildHTML1, 10},   {ui_->tlbtnBuildHTML, 10},
        {ui_->Preview1, 11},     {ui_->tlbtnPreview, 11}, {ui_->Topic1, 12},
        {ui_->tlbtnHelp, 12}})
    a.action->setIcon(icons::Tool(a.icon));
  // The toolbar's buttons carry their action's name, so they are found as widgets too.
  for (QAction* action : ui_->tlbr1->actions())
    if (QWidget* button = ui_->tlbr1->widgetForAction(action); button && !action->isSeparator())
      button->setObjectName(action->objectName());

  auto bind = [this](std::initializer_list<QAction*> actions, auto* receiver, auto slot) {
    for (QAction* action : actions) connect(action, &QAction::triggered, receiver, slot);
  };
  bind({ui_->New1, ui_->tlbtnNew}, files_, &TFileCommands::newProject);
  bind({ui_->Open1, ui_->tlbtnOpen}, files_, &TFileCommands::openProject);
  bind({ui_->Save1, ui_->tlbtnSave}, files_, &TFileCommands::save);
  bind({ui_->Save2}, files_, &TFileCommands::saveAs);
  bind({ui_->Templet1}, files_, &TFileCommands::chooseTemplate);
  bind({ui_->SaveAsTemplate1}, files_, &TFileCommands::saveAsTemplate);
  bind({ui_->Exit1}, this, &QWidget::close);
  bind({ui_->ToolBar1}, this, &TMainForm::toggleToolBar);
  bind({ui_->StatusBar2}, this, &TMainForm::toggleStatusBar);
  bind({ui_->Preview1, ui_->tlbtnPreview}, scripts_, &TScriptCommands::preview);
  bind({ui_->BuildHTML1, ui_->tlbtnBuildHTML}, scripts_, &TScriptCommands::buildHtml);
  bind({ui_->CopyEmbedCode1}, scripts_, &TScriptCommands::copyEmbedCode);
  bind({ui_->Publish1}, scripts_, &TScriptCommands::showPublishReport);
  bind({ui_->WebBrowser1}, scripts_, &TScriptCommands::chooseWebBrowser);
  bindHelpMenu();

  // Undo and Redo name the step they act on, and Save follows the modified state: undoing back
  // to the saved step leaves nothing to save.
  QUndoStack* stack = document_->undoStack();
  ui_->Redo1->setShortcuts(
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
  bind({ui_->Undo1, ui_->tlbtnUndo}, tree_, &TDesignTreeController::undo);
  bind({ui_->Redo1, ui_->tlbtnRedo}, tree_, &TDesignTreeController::redo);
  auto name = [this, stack] {
    const QString undo = stack->undoText(), redo = stack->redoText();
    ui_->Undo1->setText(undo.isEmpty() ? tr("&Undo") : tr("&Undo %1").arg(undo));
    ui_->Redo1->setText(redo.isEmpty() ? tr("&Redo") : tr("&Redo %1").arg(redo));
    ui_->tlbtnUndo->setToolTip(undo.isEmpty() ? tr("Undo the last change")
                                              : tr("Undo %1").arg(undo));
    ui_->tlbtnRedo->setToolTip(redo.isEmpty() ? tr("Redo the change undone last")
                                              : tr("Redo %1").arg(redo));
    for (QAction* a : {ui_->Undo1, ui_->tlbtnUndo}) a->setEnabled(stack->canUndo());
    for (QAction* a : {ui_->Redo1, ui_->tlbtnRedo}) a->setEnabled(stack->canRedo());
  };
  connect(stack, &QUndoStack::indexChanged, this, name);
  connect(stack, &QUndoStack::cleanChanged, this, name);
  name();
  auto saveState = [this](bool modified) {
    for (QAction* a : {ui_->Save1, ui_->tlbtnSave}) a->setEnabled(modified);
  };
  connect(document_.get(), &TDocument::modifiedChanged, this, saveState);
  saveState(false);
}

void TMainForm::setUpPanels() {
  ui_->tbshtScript->attach(*document_);
  ui_->tbshtPath->attach(*document_);
  ui_->tbshtItemGeneral->attach(
      *document_, [this] { return tree_->selectedItems(); }, files_->lastOpenFile());
  connect(tree_, &TDesignTreeController::selectionChanged, ui_->tbshtItemGeneral,
          [page = ui_->tbshtItemGeneral](int current) {
            if (current >= 0) page->showSelection();
          });
  // After New and open, once the pages show the design: what is saved is what the pages show
  // (the names derived from the slider name, ...).
  connect(document_.get(), &TDocument::designReset, this, [this] {
    TSliderFieldsPanel::adoptShown(*document_, {ui_->tbshtScript, ui_->tbshtPath});
  });
  for (TDesignPanel* page : std::initializer_list<TDesignPanel*>{ui_->tbshtScript, ui_->tbshtPath,
                                                                 ui_->tbshtItemGeneral})
    connect(page, &TDesignPanel::helpRequested, this, &TMainForm::showHelpPage);
}

void TMainForm::setUpPictures() {
  TTreePictures::TParts parts;
  parts.window = this;
  parts.tree = ui_->trvwDesignPanel;
  parts.pane = ui_->tbshtItemGeneral->picturePane();
  parts.smallThumbnails = ui_->SmallThumbnails1;
  parts.largeThumbnails = ui_->LargeThumbnails1;
  parts.pathOf = [this](const QModelIndex& index) {
    const int item = document_->itemModel()->itemAt(index);
    if (item < 0) return QString();
    return document_->picturePath(item);
  };
  parts.sliderHeight = [this] { return StrToInt(document_->slider().height); };
  pictures_ = std::make_unique<TTreePictures>(std::move(parts));
  // A path typed, chosen or brought back by Undo is shown (and checked) at once.
  connect(document_.get(), &TDocument::itemsChanged, pictures_.get(),
          [this](const std::vector<int>&, TItemField field) {
            if (field == TItemField::OriginalImagePath) pictures_->showSelection();
          });
}

QList<QAction*> TMainForm::designCommands() const {
  QList<QAction*> commands;
  for (QMenu* menu :
       {ui_->File1, ui_->Edit1, ui_->Item1, ui_->Applet1, ui_->Option1, tree_->popupMenu()})
    commands += menu->actions();
  commands += ui_->tlbr1->actions();
  commands.removeAll(ui_->tlbtnHelp);
  return commands;
}

// --- view toggles ---
void TMainForm::toggleToolBar() {
  // The action has already toggled its check mark; the toolbar follows it.
  ui_->tlbr1->setVisible(ui_->ToolBar1->isChecked());
}

void TMainForm::toggleStatusBar() {
  const bool shown = ui_->StatusBar2->isChecked();
  ui_->stsbrMainForm->setVisible(shown);
  ui_->StatusBar1->setVisible(shown);
  ui_->stctxtHint->setVisible(shown);
  ui_->prgrsbrMainFormBottom->setVisible(shown);
}

// --- stopping and closing ---
void TMainForm::stopWork() {
  work_->stop();
  if (livePreview_) livePreview_->engine().stop();
}

exitwatch::TExitPlan TMainForm::exitPlan(int status) const {
  exitwatch::TExitPlan plan;
  plan.status = status;
  if (instance_ && instance_->IsPrivate()) plan.folders.push_back(instance_->Path());
  if (livePreview_) plan.folders.push_back(livePreview_->engine().folder().toStdString());
  plan.holding = [work = work_] { return work->committing(); };
  return plan;
}

void TMainForm::closeEvent(QCloseEvent* event) {
  if (work_->busy()) {  // the work stops first; the window closes (asking as usual) once it has
    work_->closeWindowAfterWork();
    work_->cancel();
    event->ignore();
    return;
  }
  if (files_->closeQuery()) {
    rememberPlacement();
    event->accept();
  } else {
    event->ignore();
  }
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

void TMainForm::placeOnScreen() {
  // The property pages are never smaller than designed, nor than their fields need at the
  // user's font.
  QTabWidget* tabs = ui_->pgcntrl1;
  tabs->setMinimumSize(QSize(433, 420).expandedTo(tabs->minimumSizeHint()));
  // Room below the property tabs for the live preview when it is shown.
  const QSize designed(781, livePreview_->isHidden() ? 524 : 724);
  frame::OpenOnScreen(this, designed.expandedTo(minimumSizeHint()), tabs);
  // Where the user left the window, its splitter and the pane last time.
  const QByteArray geometry = StoredBytes(kWindowGeometry);
  if (geometry.isEmpty() || !restoreGeometry(geometry)) return;
  restoreState(StoredBytes(kWindowState));
  ui_->Splitter1->restoreState(StoredBytes(kTreeSplitter));
  // The View menu's choices stand over what the stored layout had shown.
  ui_->tlbr1->setVisible(ui_->ToolBar1->isChecked());
  livePreview_->setVisible(ui_->LivePreview1->isChecked());
}

void TMainForm::rememberPlacement() {
  try {
    settings::WriteValue(settings::kSettingsKey, kWindowGeometry, saveGeometry());
    settings::WriteValue(settings::kSettingsKey, kWindowState, saveState());
    settings::WriteValue(settings::kSettingsKey, kTreeSplitter, ui_->Splitter1->saveState());
  } catch (const TvError&) {
    // Not remembered: the next run opens as designed. No reason to hold up closing.
  }
}
