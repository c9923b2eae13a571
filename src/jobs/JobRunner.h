// Runs long work (saving, generating, previewing) on a worker thread, one piece at a time, while
// the thread that started it keeps its event loop going. The work reports through the progress
// protocol; the runner applies its messages to the owner's progress in order, at most
// kUpdatesPerSecond times a second. The work can be asked to stop; how it ended is reported back
// on the owner's thread. No widgets: the window, the live preview and the tests share it.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <atomic>
#include <exception>
#include <functional>
#include <memory>

#include "Cancel.h"
#include "Host.h"
#include "ProgressRelay.h"

class QThread;

enum class TJobOutcome { Done, Failed, Cancelled };

class TJobRunner : public QObject {
  Q_OBJECT

 public:
  static constexpr int kUpdatesPerSecond = 30;

  // Runs on the worker thread. It reports into `progress` and checks `cancel` (or hands it to
  // the model); it stops by throwing TvCancelled and fails by throwing any other exception.
  using Work = std::function<void(TCancelToken& cancel, IProgress& progress)>;
  // Runs on the owner's thread once the work has ended and its last progress was applied.
  // `error` is the failure's text (empty unless Failed).
  using Ending = std::function<void(TJobOutcome outcome, const QString& error)>;

  // progress: where the work's progress messages go (none when null); it must outlive the runner.
  explicit TJobRunner(IProgress* progress = nullptr, QObject* parent = nullptr);
  // Asks running work to stop and waits for it.
  ~TJobRunner() override;

  // Starts the work; false (and nothing started) while other work runs.
  bool Start(Work work, Ending ending = {});
  bool Busy() const { return thread_ != nullptr; }
  // The exception the last work failed with (null unless it ended as Failed), for the owner to
  // rethrow: a model error carries its message for the window's language, not only its text.
  std::exception_ptr Failure() const { return failure_; }
  // Whether work past its point of no return is still running; safe from any thread.
  bool Committing() const { return working_.load() && cancel_.Committed(); }
  // Asks the work to stop. True when it will end as Cancelled; false when nothing runs or the
  // work has passed its point of no return and runs to its end.
  bool Cancel();
  // Runs a local event loop until the work has ended and its ending was reported (at once when
  // nothing runs). The window keeps painting and answering meanwhile. When the program quits
  // meanwhile, the work is asked to stop and waited for.
  void WaitForEnd();

 signals:
  void started();
  void progressed();  // after messages of the work were applied
  // The work has passed its point of no return: Cancel would be refused from now on.
  void committed();
  void ended(TJobOutcome outcome, const QString& error);

 private:
  void ApplyProgress();
  void Finish();

  IProgress* progress_;
  TProgressRelay relay_;
  TCancelToken cancel_;
  QTimer timer_;
  QThread* thread_ = nullptr;
  Ending ending_;
  TJobOutcome outcome_ = TJobOutcome::Done;
  QString error_;
  std::exception_ptr failure_;
  bool committedShown_ = false;
  std::atomic<bool> working_{false};  // the worker's function has not returned yet
};
