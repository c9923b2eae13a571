// Long work off the window's thread: Save, Save As, Preview, Publish and Build HTML generate,
// scale and write on a worker from a copy of the design, while the window keeps painting and
// answering. Meanwhile the commands that would change the design or start other work are off,
// the progress protocol reaches the bar, the hint line and the cursor in order (a few times a
// second at most), and Cancel beside the bar or Esc stops the work.
#pragma once

#include <QList>
#include <QObject>
#include <functional>

#include "Host.h"
#include "Writers.h"

class QAction;
class QLabel;
class QMainWindow;
class QProgressBar;
class QWidget;
class TDocument;
class TJobRunner;

class TBackgroundWork : public QObject, public IProgress {
  Q_OBJECT

 public:
  struct TParts {
    QMainWindow* window = nullptr;
    QWidget* pages = nullptr;  // off while work runs (the tree and the property pages)
    QProgressBar* bar = nullptr;
    QLabel* hint = nullptr;
    QAction* cancel = nullptr;
    std::function<QList<QAction*>()> commands;  // what is off while work runs
  };
  explicit TBackgroundWork(TParts parts);
  ~TBackgroundWork() override;
  void attach(TDocument& document);  // the design the work copies

  // Runs `writer` on a worker thread over a copy of the design, the window answering meanwhile;
  // the document takes over what the run found and brought up to date (TDocument::applyRun),
  // also when it failed or was cancelled. True when it finished, false when the user cancelled
  // it (the hint line then says "Cancelled"); a failure is thrown again here as it was thrown
  // (a TvError with its message). Refused (false) while other work runs. `result` (when given) gets
  // the run's result.
  bool run(const TExporter& writer, TExportResult* result = nullptr);
  bool busy() const;
  // Past its point of no return: the work goes to its end.
  bool committing() const;
  // The running work ends as Cancel ends it, unless it is past its point of no return.
  void cancel();
  // The program is being stopped: running work is cancelled, and no more is to be kept.
  void stop();
  bool stopping() const { return stopping_; }
  // The window was asked to close while work ran: it closes (asking as usual) once it has ended.
  void closeWindowAfterWork() { closeAfterWork_ = true; }

  // IProgress: the progress bar, the hint line and the busy cursor.
  void SetMaximum(int maximum) override;
  void Step(int by) override;
  void SetPosition(int position) override;
  void SetStatus(const std::string& text) override;
  void SetBusy(bool busy) override;

 private:
  TParts parts_;
  TDocument* document_ = nullptr;
  TJobRunner* runner_ = nullptr;
  int busyDepth_ = 0;
  bool closeAfterWork_ = false;
  bool stopping_ = false;
};
