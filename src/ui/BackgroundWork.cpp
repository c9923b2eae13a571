#include "BackgroundWork.h"

#include <QAction>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <QProgressBar>

#include "Document.h"
#include "Errors.h"
#include "JobRunner.h"

TBackgroundWork::TBackgroundWork(TParts parts) : QObject(parts.window), parts_(std::move(parts)) {
  runner_ = new TJobRunner(this, this);
  QAction* cancel = parts_.cancel;
  parts_.window->addAction(cancel);  // Esc works also while the status strip is hidden
  connect(cancel, &QAction::triggered, this, &TBackgroundWork::cancel);
  // Past its point of no return the work goes to its end: Cancel says so by going grey.
  connect(runner_, &TJobRunner::committed, this, [cancel] { cancel->setEnabled(false); });
}

TBackgroundWork::~TBackgroundWork() = default;

void TBackgroundWork::attach(TDocument& document) { document_ = &document; }

bool TBackgroundWork::busy() const { return runner_->Busy(); }
bool TBackgroundWork::committing() const { return runner_->Committing(); }
void TBackgroundWork::cancel() { runner_->Cancel(); }

void TBackgroundWork::stop() {
  stopping_ = true;
  cancel();
}

bool TBackgroundWork::run(const TExporter& writer, TExportResult* result) {
  if (busy()) return false;
  // The run gets its own copy of the design; the document cannot change meanwhile.
  auto design = std::make_shared<const TDesign>(document_->design());
  auto context = std::make_shared<TRunContext>(document_->runContext());
  auto found = std::make_shared<TExportResult>();

  QList<QAction*> disabled;
  for (QAction* command : parts_.commands()) {
    if (command->isEnabled() && !command->isSeparator()) {
      command->setEnabled(false);
      disabled << command;
    }
  }
  // The window's own focus widget: right after a dialog closed the window may not be active yet,
  // and the application's focus widget is then none, while disabling the pages below would move
  // the window's focus on to the next control (the preview's Pause button).
  QMainWindow* window = parts_.window;
  const QPointer<QWidget> focused = window->focusWidget();
  parts_.pages->setEnabled(false);
  parts_.cancel->setEnabled(true);
  window
      ->repaint();  // where a dialog closed just now, the window shows again before the work starts

  TJobOutcome outcome = TJobOutcome::Done;
  runner_->Start(
      [&writer, design, context, found](TCancelToken& cancel, IProgress& progress) {
        context->progress = &progress;
        context->messages = nullptr;  // the window's message boxes belong to its thread
        context->options.cancel = &cancel;
        writer.run(*design, *context, *found);
      },
      [&](TJobOutcome how, const QString&) { outcome = how; });
  runner_->WaitForEnd();

  parts_.cancel->setEnabled(false);
  parts_.pages->setEnabled(true);
  for (QAction* command : disabled) command->setEnabled(true);
  if (focused) focused->setFocus();
  // What the run found out (missing pictures, new picture names and sizes) comes back; the
  // preview files it made are listed also when it did not finish, so they are cleaned up.
  if (outcome != TJobOutcome::Done) found->written.reset();
  document_->applyRun(*found);
  if (result) *result = *found;
  // However the work ended, the bar, the text and the cursor are as they were before it.
  SetPosition(0);
  while (busyDepth_ > 0) SetBusy(false);
  SetStatus(outcome == TJobOutcome::Cancelled ? tr("Cancelled").toStdString() : std::string());

  if (closeAfterWork_) {
    closeAfterWork_ = false;
    QMetaObject::invokeMethod(window, &QWidget::close, Qt::QueuedConnection);
  }
  if (outcome == TJobOutcome::Failed) std::rethrow_exception(runner_->Failure());
  return outcome == TJobOutcome::Done;
}

void TBackgroundWork::SetMaximum(int maximum) { parts_.bar->setMaximum(maximum); }

// The bar and the line are painted with the window: long work runs on a worker and reaches
// them a few times a second, so painting at every step would only cost time.
void TBackgroundWork::Step(int by) {
  QProgressBar* bar = parts_.bar;
  bar->setValue(std::min(bar->maximum(), bar->value() + by));
}

void TBackgroundWork::SetPosition(int position) { parts_.bar->setValue(position); }

// What the project model says while it works (its steps are marked with TV_MESSAGE_NOOP), in the
// window's language; other texts as they are.
void TBackgroundWork::SetStatus(const std::string& text) {
  parts_.hint->setText(QCoreApplication::translate("model", text.c_str()));
}

void TBackgroundWork::SetBusy(bool busy) {
  if (busy) {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    ++busyDepth_;
  } else if (busyDepth_ > 0) {
    QGuiApplication::restoreOverrideCursor();
    --busyDepth_;
  }
}
