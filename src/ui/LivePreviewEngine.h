// Keeps the live preview's page up to date with the design, away from the window's thread.
//
// Every change is announced; once no change has come for Delay() ms a copy of the design is taken
// from the source (on the window's thread, where the design lives, once it has settled) and
// generated on a worker thread into a new numbered folder below the engine's own private folder
// (never the Preview command's folder, never a user's folder), through the picture cache, so only
// pictures whose size changed are scaled again. Changes that arrive while a page is being made
// are gathered: only the newest design is made next. Folders of pages no longer shown are
// removed before the next page is made; the whole private folder goes with the engine.
//
// Pages are addressed under the live preview's own scheme (see LiveWebPage.h), relative to the
// private folder, never as local files.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <memory>
#include <optional>

#include "Cancel.h"
#include "LivePage.h"

class TLivePreviewEngine : public QObject {
  Q_OBJECT

 public:
  // folder: the private folder, made for the engine alone (empty when it could not be made); it
  // is removed with the engine.
  TLivePreviewEngine(const QString& folder, const TLivePageOptions& options,
                     QObject* parent = nullptr);
  ~TLivePreviewEngine() override;  // waits for a page being made

  QString Folder() const { return folder_; }
  void SetOptions(const TLivePageOptions& options) { options_ = options; }
  void SetDelay(int ms) { debounce_.setInterval(ms); }
  int Delay() const { return debounce_.interval(); }
  bool Busy() const { return running_; }

  // Where copies of the design come from; called on the engine's thread.
  void SetSource(std::function<TLiveDesign()> source) { source_ = std::move(source); }
  // The design changed: a new page is made after the delay (again if one is being made now).
  void Changed();
  // The page of this generation is on screen: the folders of older ones can go.
  void Shown(int generation);
  // The page being made is given up (the program is ending); no further one is made.
  void Stop();

 signals:
  // elapsedMs: from the last change handed in to the page being ready.
  void Built(int generation, const QUrl& page, int width, int height, qint64 elapsedMs);
  void Failed(const QString& message);

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

  void Start();
  static void RemoveOldFolders(const QString& folder, int shown);
};
