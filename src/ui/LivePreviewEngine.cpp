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
  debounce_.setInterval(60);  // short: a change of look only is applied in place
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
  std::optional<TLivePage> reuse;
  if (madePage_ && madeDesign_ && SamePictures(*madeDesign_, design)) reuse = madePage_;
  madeDesign_ = design;
  madePage_.reset();  // known again once this page is made
  worker_.start([this, generation, folder, design = std::move(design), options, since, root, shown,
                 reuse = std::move(reuse)] {
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
      page = MakeLivePage(design, QDir::toNativeSeparators(folder).toStdString(), options,
                          reuse ? &*reuse : nullptr);
    } catch (const TvCancelled&) {
      cancelled = true;
    } catch (const std::exception& e) {
      error = QString::fromStdString(e.what());
    }
    const bool samePictures = reuse.has_value();
    QMetaObject::invokeMethod(this, [this, generation, page, error, since, root, cancelled,
                                     samePictures] {
      running_ = false;
      if (cancelled) return;  // given up: nothing to tell
      if (page) {
        unusable_ = page->unusable;
        madePage_ = page;
        TLiveUpdate update;
        update.generation = generation;
        const QString path = QDir(root).relativeFilePath(QString::fromStdString(page->pagePath));
        update.page = livepage::AddressOf(path);
        update.width = page->width;
        update.height = page->height;
        update.elapsedMs = since.elapsed();
        update.samePictures = samePictures;
        update.styleSheet = QString::fromStdString(page->styleSheet);
        update.divId = QString::fromStdString(page->divId);
        update.sliderCall = QString::fromStdString(page->sliderCall);
        emit Built(update);
      } else {
        emit Failed(error);
      }
      if (pending_ && !debounce_.isActive()) Start();
    });
  });
}

void TLivePreviewEngine::MakeWhole() {
  madePage_.reset();
  Changed();
}

void TLivePreviewEngine::Shown(int generation) { shown_ = std::max(shown_, generation); }

void TLivePreviewEngine::CheckPictures() {
  // A page on its way checks the pictures itself.
  if (checking_ || running_ || pending_ || stopped_ || !source_ || generation_ == 0) return;
  checking_ = true;
  worker_.start([this, design = source_()] {
    std::vector<bool> unusable = UnusablePictures(design);
    QMetaObject::invokeMethod(this, [this, unusable = std::move(unusable)] {
      checking_ = false;
      if (unusable != unusable_ && !running_ && !pending_) {
        madePage_.reset();  // the pictures differ from the page's
        pending_ = true;
        sinceChange_.start();
        Start();
      }
    });
  });
}

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
