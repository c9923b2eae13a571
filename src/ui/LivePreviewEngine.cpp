#include "LivePreviewEngine.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QWebEngineUrlRequestJob>
#include <exception>

#ifdef __linux__
#include <sys/resource.h>
#include <unistd.h>
#endif

#include "Errors.h"
#include "LiveWebPage.h"
#include "ModelText.h"
#include "images/PictureCache.h"

namespace {

// Work for the window's sake runs first: threads of the pane's work run at a lower priority.
void LowerPriority() {
#ifdef __linux__
  ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 10);
#else
  QThread::currentThread()->setPriority(QThread::LowPriority);
#endif
}

// Answers the request with the file's bytes.
void ReplyWithFile(QWebEngineUrlRequestJob* job, const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    job->fail(QWebEngineUrlRequestJob::RequestFailed);
    return;
  }
  auto* body = new QBuffer(job);
  body->setData(file.readAll());
  job->reply("image/jpeg", body);
}

}  // namespace

TLivePreviewEngine::TLivePreviewEngine(const QString& folder, const TLivePageOptions& options,
                                       QObject* parent)
    : QObject(parent), folder_(folder), options_(options) {
  debounce_.setSingleShot(true);
  debounce_.setInterval(60);  // short: a change of look only is applied in place
  connect(&debounce_, &QTimer::timeout, this, &TLivePreviewEngine::start);
  worker_.setMaxThreadCount(1);
  pictureWorkers_.setMaxThreadCount(static_cast<int>(
      options.imageWorkers ? options.imageWorkers
                           : unsigned(std::max(1, QThread::idealThreadCount() - 1))));
}

TLivePreviewEngine::~TLivePreviewEngine() {
  stop();
  worker_.waitForDone();
  pictureWorkers_.waitForDone();
  if (!folder_.isEmpty()) QDir(folder_).removeRecursively();
}

void TLivePreviewEngine::changed() {
  pending_ = true;
  sinceChange_.start();
  debounce_.start();
}

void TLivePreviewEngine::start() {
  if (running_ || !pending_ || !source_ || stopped_)
    return;  // a page being made starts the next one when it is done
  if (folder_.isEmpty() || !QFileInfo(folder_).isDir()) {
    emit failed(tr("Cannot create the live preview's folder."));
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
  std::optional<TLivePage> reuse = std::move(madePage_);
  madePage_.reset();  // known again once this page is made
  worker_.start([this, generation, folder, design = std::move(design), options, since, root, shown,
                 reuse = std::move(reuse)] {
    removeOldFolders(root, shown);
    LowerPriority();
    std::optional<TLivePage> page;
    QString error;
    bool cancelled = false;
    try {
      page = MakeLivePage(design, QDir::toNativeSeparators(folder).toStdString(), options,
                          reuse ? &*reuse : nullptr);
    } catch (const TvCancelled&) {
      cancelled = true;
    } catch (const std::exception& e) {
      error = modeltext::Shown(e);
    }
    // The same slider as the page made before: the pane applies this one in place and never
    // loads it.
    const bool samePictures = page && reuse && page->divId == reuse->divId;
    if (samePictures) QDir(folder).removeRecursively();
    QMetaObject::invokeMethod(this, [this, generation, page, error, since, root, cancelled,
                                     samePictures] {
      running_ = false;
      if (cancelled) return;  // given up: nothing to tell
      if (page) {
        unusable_ = page->unusable;
        madePage_ = page;
        if (page->pictures != pictures_) olderPictures_ = std::exchange(pictures_, page->pictures);
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
        emit built(update);
      } else {
        emit failed(error);
      }
      if (pending_ && !debounce_.isActive()) start();
    });
  });
}

void TLivePreviewEngine::makeWhole() {
  madePage_.reset();
  changed();
}

void TLivePreviewEngine::shown(int generation) { shown_ = std::max(shown_, generation); }

void TLivePreviewEngine::checkPictures() {
  // A page on its way checks the pictures itself.
  if (checking_ || running_ || pending_ || stopped_ || !source_ || generation_ == 0) return;
  checking_ = true;
  worker_.start([this, design = source_()] {
    std::vector<bool> unusable = UnusablePictures(design);
    QMetaObject::invokeMethod(this, [this, unusable = std::move(unusable)] {
      checking_ = false;
      if (unusable != unusable_ && !running_ && !pending_) {
        pending_ = true;
        sinceChange_.start();
        start();
      }
    });
  });
}

void TLivePreviewEngine::stop() {
  stopped_ = true;
  debounce_.stop();
  if (cancel_) cancel_->Request();
  pictureWorkers_.clear();
}

QString TLivePreviewEngine::picturesFolder() const { return QDir(folder_).filePath("made"); }

bool TLivePreviewEngine::servePicture(const QString& name, QWebEngineUrlRequestJob* job) {
  const std::string key = name.toStdString();
  const TLivePicture* picture = nullptr;
  for (const auto& pictures : {pictures_, olderPictures_}) {
    if (!pictures || picture) continue;
    if (const auto it = pictures->find(key); it != pictures->end()) picture = &it->second;
  }
  if (!picture || folder_.isEmpty()) return false;
  const QString path = QDir(picturesFolder()).filePath(name);
  if (QFileInfo::exists(path)) {
    ReplyWithFile(job, path);
    return true;
  }
  std::vector<QPointer<QWebEngineUrlRequestJob>>& waiting = waiting_[key];
  waiting.emplace_back(job);
  if (waiting.size() > 1 || stopped_) return true;  // being made already
  if (options_.pictureCache && (!cache_ || cacheFolder_ != options_.cacheFolder)) {
    cacheFolder_ = options_.cacheFolder;
    const std::string folder = cacheFolder_.empty() ? TPictureCache::DefaultFolder() : cacheFolder_;
    cache_ = folder.empty() ? nullptr : std::make_shared<TPictureCache>(folder);
  } else if (!options_.pictureCache) {
    cache_.reset();
  }
  QDir().mkpath(picturesFolder());
  pictureWorkers_.start([this, key, picture = *picture, path = path.toStdString(), cache = cache_] {
    LowerPriority();
    bool made = true;
    try {
      MakeLivePicture(picture, path, cache.get());
    } catch (const std::exception&) {
      made = false;  // the page shows it as missing
    }
    QMetaObject::invokeMethod(this, [this, key, made] { pictureMade(key, made); });
  });
  return true;
}

void TLivePreviewEngine::pictureMade(const std::string& name, bool made) {
  const auto it = waiting_.find(name);
  if (it == waiting_.end()) return;
  const std::vector<QPointer<QWebEngineUrlRequestJob>> jobs = std::move(it->second);
  waiting_.erase(it);
  const QString path = QDir(picturesFolder()).filePath(QString::fromStdString(name));
  for (const QPointer<QWebEngineUrlRequestJob>& job : jobs) {
    if (!job) continue;  // the page no longer waits for it
    if (made)
      ReplyWithFile(job, path);
    else
      job->fail(QWebEngineUrlRequestJob::RequestFailed);
  }
  // The cache keeps to its limit once the pictures asked for are made.
  if (waiting_.empty() && cache_) {
    pictureWorkers_.start([cache = cache_] {
      LowerPriority();
      cache->Trim();
    });
  }
}

// Everything older than the page on screen; never the folder a page is being made in. Runs on the
// worker, before the next page is made.
void TLivePreviewEngine::removeOldFolders(const QString& folder, int shown) {
  const QDir root(folder);
  for (const QString& name : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    bool number = false;
    const int generation = name.toInt(&number);
    if (number && generation < shown) QDir(root.filePath(name)).removeRecursively();
  }
}
