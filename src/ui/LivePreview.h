// The live preview pane: a dock that shows the design as it would be published (the real page,
// the runtime script and the scaled pictures) moving in an embedded web engine, brought up to date
// shortly after every change. A new page is loaded out of sight and takes the old one's place
// only once it has loaded, so the pane never shows an empty page. The strip rests while the pane
// is hidden or the window minimised, and while the user has paused it.
//
// When the web engine cannot run here, the pane says so in one line and what to do; nothing else
// of the program depends on it.
#pragma once

#include <QDockWidget>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <array>
#include <functional>
#include <memory>

#include "LivePage.h"

namespace Ui {
class TLivePreviewPane;
}
class QWebEngineLoadingInfo;
class QWebEngineProfile;
class QWebEngineView;
class TLivePreviewEngine;

class TLivePreviewPane : public QDockWidget {
  Q_OBJECT

 public:
  // folder: the pane's private folder, made for it alone (removed with the pane).
  TLivePreviewPane(const QString& folder, const TLivePageOptions& options,
                   QWidget* parent = nullptr);
  ~TLivePreviewPane() override;

  // Where copies of the design come from (called on the window's thread, once edits settle).
  void SetSource(std::function<TLiveDesign()> source);
  // The design changed: the page follows shortly (generated off the window's thread).
  void DesignChanged();
  void SetOptions(const TLivePageOptions& options);
  TLivePreviewEngine& Engine() { return *engine_; }

  bool Paused() const;
  void SetPaused(bool paused);
  // Whether the strip may move now: the pane is shown, the window not minimised.
  bool Active() const { return active_; }
  // The web view showing the page (null before the first page and when the engine cannot run).
  QWebEngineView* ShownView() const;
  QString StatusText() const;
  QStringList ConsoleErrors() const { return consoleErrors_; }

 signals:
  void Closed();  // by the user, with the dock's close button
  // A new page took the old one's place; elapsedMs counts from the last change handed in.
  void PageShown(int generation, qint64 elapsedMs);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  std::unique_ptr<Ui::TLivePreviewPane> ui;
  TLivePreviewEngine* engine_ = nullptr;
  QWebEngineProfile* profile_ = nullptr;  // made with the views
  std::array<QWebEngineView*, 2> views_{};
  std::array<bool, 2> warming_{};  // loading its first, empty page
  int front_ = -1;                 // index of the view on screen
  int loading_ = -1;
  int loadingGeneration_ = 0;
  QUrl loadingUrl_;
  qint64 loadingElapsed_ = 0;
  QSize loadingSize_;
  int shownHeight_ = -1;
  bool active_ = false;
  bool broken_ = false;
  QTimer freeze_;
  bool changedWhileHidden_ = false;
  QStringList consoleErrors_;

  void CreateViews();
  void PageBuilt(int generation, const QUrl& page, int width, int height, qint64 elapsedMs);
  void LoadingChanged(int view, const QWebEngineLoadingInfo& load);
  void PageLoaded(int view, const QUrl& url, bool ok);
  void Swap(int view);
  void ApplyPause(QWebEngineView* view);
  void UpdateActivity();
  void SetStatus(const QString& text);
  void Stop(const QString& text);
  // A link clicked in the page: web and mail addresses open in the user's browser, nothing else.
  void FollowLink(const QUrl& link);
};
