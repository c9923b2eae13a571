// Long work off the window's thread: Save, Save As, Preview, Publish and Build HTML generate,
// scale and write on a worker from a copy of the design, while the window keeps painting and
// answering. Meanwhile the commands that would change the design or start other work are off,
// the progress protocol reaches the bar, the hint line and the cursor in order (a few times a
// second at most), and Cancel beside the bar or Esc stops the work.
#include <QMenu>
#include <QPointer>

#include "Document.h"
#include "Errors.h"
#include "JobRunner.h"
#include "LivePreview.h"
#include "LivePreviewEngine.h"
#include "MainForm.h"
#include "MemoryTree.h"
#include "ui_MainForm.h"

void TMainForm::SetUpWork() {
  runner_ = new TJobRunner(this, this);
  ui->tlbtnCancelWork->setDefaultAction(ui->CancelWork1);
  addAction(ui->CancelWork1);  // Esc works also while the status strip is hidden
  connect(ui->CancelWork1, &QAction::triggered, this, &TMainForm::cancelWork);
  // Past its point of no return the work goes to its end: Cancel says so by going grey.
  connect(runner_, &TJobRunner::committed, this, [this] { ui->CancelWork1->setEnabled(false); });
}

bool TMainForm::Working() const { return runner_ && runner_->Busy(); }

void TMainForm::cancelWork() {
  if (runner_) runner_->Cancel();
}

void TMainForm::StopWork() {
  stopping_ = true;
  cancelWork();
  if (livePreview_) livePreview_->Engine().Stop();
}

exitwatch::TExitPlan TMainForm::ExitPlan(int status) const {
  exitwatch::TExitPlan plan;
  plan.status = status;
  if (instance_ && instance_->IsPrivate()) plan.folders.push_back(instance_->Path());
  if (livePreview_) plan.folders.push_back(livePreview_->Engine().Folder().toStdString());
  if (runner_) plan.holding = [runner = runner_] { return runner->Committing(); };
  return plan;
}

QList<QAction*> TMainForm::DesignCommands() const {
  QList<QAction*> commands;
  for (QMenu* menu : {ui->File1, ui->Edit1, ui->Item1, ui->Applet1, ui->Option1, popupMenu_})
    commands += menu->actions();
  commands += ui->tlbr1->actions();
  commands.removeAll(ui->tlbtnHelp);
  return commands;
}

bool TMainForm::RunInBackground(const DesignWork& work) {
  if (Working()) return false;
  // The work gets its own copy of the design and of the tree; neither can change meanwhile.
  auto model = std::make_shared<TqelAppletAgent>(document_->agent().Snapshot());
  auto tree = std::make_shared<TMemoryTree>(TMemoryTree::CopyOf(*document_));

  QList<QAction*> disabled;
  for (QAction* command : DesignCommands()) {
    if (command->isEnabled() && !command->isSeparator()) {
      command->setEnabled(false);
      disabled << command;
    }
  }
  // The window's own focus widget: right after a dialog closed the window may not be active yet,
  // and the application's focus widget is then none, while disabling the pages below would move
  // the window's focus on to the next control (the preview's Pause button).
  const QPointer<QWidget> focused = focusWidget();
  ui->Splitter1->setEnabled(false);  // the tree and the property pages
  ui->CancelWork1->setEnabled(true);
  repaint();  // where a dialog closed just now, the window shows again before the work starts

  TJobOutcome outcome = TJobOutcome::Done;
  QString error;
  runner_->Start(
      [model, tree, work](TCancelToken& cancel, IProgress& progress) {
        model->ReportTo(&progress);
        model->CancelToken = &cancel;
        work(*model, *tree);
      },
      [&](TJobOutcome how, const QString& text) {
        outcome = how;
        error = text;
      });
  runner_->WaitForEnd();

  ui->CancelWork1->setEnabled(false);
  ui->Splitter1->setEnabled(true);
  for (QAction* command : disabled) command->setEnabled(true);
  if (focused) focused->setFocus();
  // What the run found out (missing pictures, new picture names and sizes) comes back; the
  // preview files it made are listed also when it did not finish, so they are cleaned up.
  TMemoryTree::CopyCaptions(*tree, *document_);
  model->ReportTo(nullptr);
  model->CancelToken = nullptr;
  document_->adoptRun(*model, outcome == TJobOutcome::Done);
  // However the work ended, the bar, the text and the cursor are as they were before it.
  SetPosition(0);
  while (busyDepth_ > 0) SetBusy(false);
  SetStatus(outcome == TJobOutcome::Cancelled ? "Cancelled" : "");

  if (closeAfterWork_) {
    closeAfterWork_ = false;
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
  }
  if (outcome == TJobOutcome::Failed) throw TvError(error.toStdString());
  return outcome == TJobOutcome::Done;
}
