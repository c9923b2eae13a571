// The live preview pane: a dock that shows the design as it would be published (the real page,
// the runtime script and the scaled pictures) moving in an embedded web engine, brought up to date
// shortly after every change. A change of the same slider (look, speed, height, items, order) is
// applied to the page shown, whose pictures are made as it asks for them; a new slider loads a
// new page out of sight, which takes the old one's place only once it has loaded, so the pane
// never shows an empty page. Either way the strip goes on from where it stood, paused or not.
// The strip rests while the pane
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
#include <optional>

#include "LivePage.h"
#include "LivePreviewEngine.h"

namespace Ui {
class TLivePreviewPane;
}
class QWebEngineLoadingInfo;
class QWebEngineProfile;
class QWebEngineView;

class TLivePreviewPane : public QDockWidget {
  Q_OBJECT

 public:
  // folder: the pane's private folder, made for it alone (removed with the pane).
  TLivePreviewPane(const QString& folder, const TLivePageOptions& options,
                   QWidget* parent = nullptr);
  ~TLivePreviewPane() override;

  // Where copies of the design come from (called on the window's thread, once edits settle).
  void setSource(std::function<TLiveDesign()> source);
  // The design changed: the page follows shortly (generated off the window's thread).
  void designChanged();
  // The pictures on disk may have changed: the page follows when an item's picture became usable
  // or unusable (checked shortly, off the window's thread).
  void checkPictures();
  void setOptions(const TLivePageOptions& options);
  TLivePreviewEngine& engine() { return *engine_; }

  bool paused() const;
  void setPaused(bool paused);
  // Whether the strip may move now: the pane is shown, the window not minimised.
  bool active() const { return active_; }
  // The web view showing the page (null before the first page and when the engine cannot run).
  QWebEngineView* shownView() const;
  QString statusText() const;
  QStringList consoleErrors() const { return consoleErrors_; }

 signals:
  void closed();  // by the user, with the dock's close button
  // A new page took the old one's place; elapsedMs counts from the last change handed in.
  void pageShown(int generation, qint64 elapsedMs);

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
  TLiveUpdate loadingUpdate_;  // of the page loading
  QSize loadingSize_;
  int loadedGeneration_ = 0;  // of the page on screen, whose folder holds its pictures
  // A change of look that came while a page was loading: applied to it before it is shown.
  std::optional<TLiveUpdate> restyle_;
  int shownHeight_ = -1;
  bool active_ = false;
  bool broken_ = false;
  QTimer freeze_;
  QTimer checkPictures_;
  bool changedWhileHidden_ = false;
  QStringList consoleErrors_;

  void createViews();
  void pageBuilt(const TLiveUpdate& update);
  // Draws the slider of `update` again in the page of `view`, at the offset the script
  // expression `offset` gives (it may use `el`, the slider's element), paused as the pane is.
  void redraw(int view, const TLiveUpdate& update, const QString& offset,
              const std::function<void()>& then);
  void fitPane(QSize page);  // the pane as tall as a page of this size wants
  void loadingChanged(int view, const QWebEngineLoadingInfo& load);
  void pageLoaded(int view, const QUrl& url, bool ok);
  void swap(int view);
  void applyPause(QWebEngineView* view);
  void updateActivity();
  void setStatus(const QString& text);
  void stop(const QString& text);
  // A link clicked in the page: web and mail addresses open in the user's browser, nothing else.
  void followLink(const QUrl& link);
};
