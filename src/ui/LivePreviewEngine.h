// Keeps the live preview's page up to date with the design, away from the window's thread.
//
// Every change is announced; once no change has come for delay() ms a copy of the design is taken
// from the source (on the window's thread, where the design lives, once it has settled) and
// generated on a worker thread into a new numbered folder below the engine's own private folder
// (never the Preview command's folder, never a user's folder). Changes that arrive while a page is
// being made are gathered: only the newest design is made next. A page of the same slider as the
// page made before (look, speed, height, items or order changed) is applied to the page shown and
// its folder is not kept. Folders of pages no longer shown are removed before the next page is
// made; the whole private folder goes with the engine.
//
// Pages make no pictures: they name them (see MakeLivePage), and a picture is made only when the
// page asks for it, through the picture cache, on workers of its own, into the private folder's
// "made" folder, shared by every page (a name stands for the picture's contents, so a page given
// another design in place asks only for pictures it has not shown yet). The runtime asks for the
// pictures near the view only, so a design of thousands of items costs no more than the pictures
// on screen.
//
// Pages are addressed under the live preview's own scheme (see LiveWebPage.h), relative to the
// private folder, never as local files.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QThreadPool>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "Cancel.h"
#include "LivePage.h"

// A page made for the pane.
struct TLiveUpdate {
  int generation = 0;
  QUrl page;      // its folder's index.html
  int width = 0;  // the slider box's outer size
  int height = 0;
  qint64 elapsedMs = 0;  // from the last change handed in to the page being ready
  // The slider is the one of the page made before (the same element): a page showing it can take
  // the style sheet and the slider call (see TLivePage) in place of loading this one, whose
  // folder is not kept.
  bool samePictures = false;
  QString styleSheet;
  QString divId;
  QString sliderCall;
};

class QWebEngineUrlRequestJob;
class TPictureCache;

class TLivePreviewEngine : public QObject {
  Q_OBJECT

 public:
  // folder: the private folder, made for the engine alone (empty when it could not be made); it
  // is removed with the engine.
  TLivePreviewEngine(const QString& folder, const TLivePageOptions& options,
                     QObject* parent = nullptr);
  ~TLivePreviewEngine() override;  // waits for a page being made

  QString folder() const { return folder_; }
  void setOptions(const TLivePageOptions& options) { options_ = options; }
  void setDelay(int ms) { debounce_.setInterval(ms); }
  int delay() const { return debounce_.interval(); }
  bool busy() const { return running_; }

  // Where copies of the design come from; called on the engine's thread.
  void setSource(std::function<TLiveDesign()> source) { source_ = std::move(source); }
  // The design changed: a new page is made after the delay (again if one is being made now).
  void changed();
  // A page with the same pictures as before has nothing to be applied to: the next page is made
  // whole, with its pictures.
  void makeWhole();
  // The page of this generation is on screen: the folders of older ones can go.
  void shown(int generation);
  // The pictures may have changed on disk (renamed, cut short, back again): they are checked on
  // the worker, and a new page is made when an item's picture became usable or unusable.
  void checkPictures();
  // The page being made is given up (the program is ending); no further one is made.
  void stop();

  // A page asks for a picture `name` that is not in its folder: answers the request with the
  // picture once it is made (at once when it was made before), or with a failure when it cannot
  // be. False for a name no page made lately lists.
  bool servePicture(const QString& name, QWebEngineUrlRequestJob* job);
  QString picturesFolder() const;

 signals:
  void built(const TLiveUpdate& update);
  void failed(const QString& message);

 private:
  QString folder_;
  TLivePageOptions options_;
  QTimer debounce_;
  QThreadPool worker_;
  std::function<TLiveDesign()> source_;
  bool pending_ = false;
  QElapsedTimer sinceChange_;
  bool running_ = false;
  bool stopped_ = false;
  std::shared_ptr<TCancelToken> cancel_;  // of the page being made
  int generation_ = 0;
  int shown_ = 0;
  std::vector<bool> unusable_;  // of the last page made
  // The last page made: the next one takes its pictures' sizes and, for the same slider, is
  // applied in place.
  std::optional<TLivePage> madePage_;
  bool checking_ = false;
  // The pictures of the last two pages made (the page shown may still ask for the older ones
  // while the newer loads), the requests waiting for each picture being made, and its workers.
  std::shared_ptr<const TLivePictures> pictures_, olderPictures_;
  std::unordered_map<std::string, std::vector<QPointer<QWebEngineUrlRequestJob>>> waiting_;
  QThreadPool pictureWorkers_;
  std::shared_ptr<TPictureCache> cache_;
  std::string cacheFolder_;  // of cache_

  void start();
  void pictureMade(const std::string& name, bool made);
  static void removeOldFolders(const QString& folder, int shown);
};
