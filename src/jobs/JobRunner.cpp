#include "JobRunner.h"

#include <QEventLoop>
#include <QThread>
#include <algorithm>
#include <exception>
#include <utility>

#ifdef __linux__
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace {

// The work gives way to the owner's thread, so that the window answers at once even when the
// work keeps every core busy. Threads the work starts (picture workers) inherit this.
void YieldToOwner() {
#ifdef __linux__
  const pid_t thread = static_cast<pid_t>(syscall(SYS_gettid));
  errno = 0;
  const int nice = getpriority(PRIO_PROCESS, static_cast<id_t>(thread));
  if (errno == 0) setpriority(PRIO_PROCESS, static_cast<id_t>(thread), std::min(19, nice + 5));
#endif
}

}  // namespace

TJobRunner::TJobRunner(IProgress* progress, QObject* parent)
    : QObject(parent), progress_(progress) {
  timer_.setInterval((1000 + kUpdatesPerSecond - 1) / kUpdatesPerSecond);
  connect(&timer_, &QTimer::timeout, this, &TJobRunner::ApplyProgress);
}

TJobRunner::~TJobRunner() {
  if (!thread_) return;
  cancel_.Request();
  thread_->wait();
  delete thread_;
}

bool TJobRunner::Start(Work work, Ending ending) {
  if (thread_) return false;
  cancel_.Reset();
  committedShown_ = false;
  relay_.Clear();
  failure_ = nullptr;
  ending_ = std::move(ending);
  // The worker writes the outcome before it ends; the owner reads it only after `finished`.
  working_ = true;
  thread_ = QThread::create([this, work = std::move(work)] {
    YieldToOwner();
    try {
      work(cancel_, relay_);
      outcome_ = TJobOutcome::Done;
      error_.clear();
    } catch (const TvCancelled&) {
      outcome_ = TJobOutcome::Cancelled;
      error_.clear();
    } catch (const std::exception& failure) {
      outcome_ = TJobOutcome::Failed;
      error_ = QString::fromUtf8(failure.what());
      failure_ = std::current_exception();
    } catch (...) {
      outcome_ = TJobOutcome::Failed;
      error_ = QStringLiteral("An unknown error stopped the work");
      failure_ = std::current_exception();
    }
    working_ = false;
  });
  connect(thread_, &QThread::finished, this, &TJobRunner::Finish, Qt::QueuedConnection);
  timer_.start();
  thread_->start(QThread::LowPriority);
  emit started();
  return true;
}

bool TJobRunner::Cancel() { return thread_ && cancel_.Request(); }

void TJobRunner::ApplyProgress() {
  TNullProgress nowhere;
  if (relay_.Drain(progress_ ? *progress_ : nowhere)) emit progressed();
  if (!committedShown_ && cancel_.Committed()) {
    committedShown_ = true;
    emit committed();
  }
}

void TJobRunner::Finish() {
  if (!thread_) return;
  timer_.stop();
  thread_->wait();
  delete thread_;
  thread_ = nullptr;
  ApplyProgress();
  const Ending ending = std::exchange(ending_, {});
  if (ending) ending(outcome_, error_);
  emit ended(outcome_, error_);
}

void TJobRunner::WaitForEnd() {
  if (!thread_) return;
  QEventLoop loop;
  connect(this, &TJobRunner::ended, &loop, &QEventLoop::quit);
  loop.exec();
  if (thread_) {
    // The loop was ended from outside: the program is quitting, and no event loop runs any more.
    // The work stops (or, past its point of no return, ends) before this returns.
    cancel_.Request();
    Finish();
  }
}
