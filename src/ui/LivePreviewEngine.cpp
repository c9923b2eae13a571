#include "LivePreviewEngine.h"

#include <QDir>
#include <QThread>
#include <exception>

#ifdef __linux__
#include <sys/resource.h>
#include <unistd.h>
#endif

#include "Errors.h"

TLivePreviewEngine::TLivePreviewEngine(const QString& folderTemplate,
                                       const TLivePageOptions& options, QObject* parent)
    : QObject(parent), folder_(folderTemplate), options_(options) {
  debounce_.setSingleShot(true);
  debounce_.setInterval(100);
  connect(&debounce_, &QTimer::timeout, this, &TLivePreviewEngine::Start);
  worker_.setMaxThreadCount(1);
}

TLivePreviewEngine::~TLivePreviewEngine() {
  debounce_.stop();
  worker_.waitForDone();
}

void TLivePreviewEngine::Changed() {
  pending_ = true;
  sinceChange_.start();
  debounce_.start();
}

void TLivePreviewEngine::Start() {
  if (running_ || !pending_ || !source_)
    return;  // a page being made starts the next one when it is done
  if (!folder_.isValid()) {
    emit Failed(QStringLiteral("Cannot create the live preview's folder: ") +
                folder_.errorString());
    return;
  }
  running_ = true;
  const int generation = ++generation_;
  const QString folder = QDir(folder_.path()).filePath(QString::number(generation));
  TLiveDesign design = source_();
  pending_ = false;
  TLivePageOptions options = options_;
  QElapsedTimer since = sinceChange_;
  const QString root = folder_.path();
  const int shown = shown_;
  worker_.start(
      [this, generation, folder, design = std::move(design), options, since, root, shown] {
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
        try {
          page = MakeLivePage(design, QDir::toNativeSeparators(folder).toStdString(), options);
        } catch (const std::exception& e) {
          error = QString::fromStdString(e.what());
        }
        QMetaObject::invokeMethod(this, [this, generation, page, error, since] {
          running_ = false;
          if (page) {
            emit Built(generation, QUrl::fromLocalFile(QString::fromStdString(page->pagePath)),
                       page->width, page->height, since.elapsed());
          } else {
            emit Failed(error);
          }
          if (pending_ && !debounce_.isActive()) Start();
        });
      });
}

void TLivePreviewEngine::Shown(int generation) { shown_ = std::max(shown_, generation); }

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
