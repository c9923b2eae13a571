#include "LivePreviewEngine.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <exception>

#ifdef __linux__
#include <sys/resource.h>
#include <unistd.h>
#endif

#include "Errors.h"
#include "LiveWebPage.h"

TLivePreviewEngine::TLivePreviewEngine(const QString& folder, const TLivePageOptions& options,
                                       QObject* parent)
    : QObject(parent), folder_(folder), options_(options) {
  debounce_.setSingleShot(true);
  debounce_.setInterval(100);
  connect(&debounce_, &QTimer::timeout, this, &TLivePreviewEngine::Start);
  worker_.setMaxThreadCount(1);
}

TLivePreviewEngine::~TLivePreviewEngine() {
  Stop();
  worker_.waitForDone();
  if (!folder_.isEmpty()) QDir(folder_).removeRecursively();
}

void TLivePreviewEngine::Changed() {
  pending_ = true;
  sinceChange_.start();
  debounce_.start();
}

void TLivePreviewEngine::Start() {
  if (running_ || !pending_ || !source_ || stopped_)
    return;  // a page being made starts the next one when it is done
  if (folder_.isEmpty() || !QFileInfo(folder_).isDir()) {
    emit Failed(QStringLiteral("Cannot create the live preview's folder."));
    return;
  }
  running_ = true;
  const int generation = ++generation_;
  const QString folder = QDir(folder_).filePath(QString::number(generation));
  TLiveDesign design = source_();
  pending_ = false;
  TLivePageOptions options = options_;
  cancel_ = std::make_shared<TCancelToken>();
  options.cancel = cancel_;
  QElapsedTimer since = sinceChange_;
  const QString root = folder_;
  const int shown = shown_;
  worker_.start([this, generation, folder, design = std::move(design), options, since, root,
                 shown] {
    RemoveOldFolders(root, shown);
    // The window's thread comes first while pictures are scaled (the scaling threads started
    // from here inherit the lower priority).
#ifdef __linux__
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 10);
#else
    QThread::currentThread()->setPriority(QThread::LowPriority);
#endif
    std::optional<TLivePage> page;
    QString error;
    bool cancelled = false;
    try {
      page = MakeLivePage(design, QDir::toNativeSeparators(folder).toStdString(), options);
    } catch (const TvCancelled&) {
      cancelled = true;
    } catch (const std::exception& e) {
      error = QString::fromStdString(e.what());
    }
    QMetaObject::invokeMethod(this, [this, generation, page, error, since, root, cancelled] {
      running_ = false;
      if (cancelled) return;  // given up: nothing to tell
      if (page) {
        const QString path = QDir(root).relativeFilePath(QString::fromStdString(page->pagePath));
        emit Built(generation, livepage::AddressOf(path), page->width, page->height,
                   since.elapsed());
      } else {
        emit Failed(error);
      }
      if (pending_ && !debounce_.isActive()) Start();
    });
  });
}

void TLivePreviewEngine::Shown(int generation) { shown_ = std::max(shown_, generation); }

void TLivePreviewEngine::Stop() {
  stopped_ = true;
  debounce_.stop();
  if (cancel_) cancel_->Request();
}

// Everything older than the page on screen; never the folder a page is being made in. Runs on the
// worker, before the next page is made.
void TLivePreviewEngine::RemoveOldFolders(const QString& folder, int shown) {
  const QDir root(folder);
  for (const QString& name : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    bool number = false;
    const int generation = name.toInt(&number);
    if (number && generation < shown) QDir(root.filePath(name)).removeRecursively();
  }
}
