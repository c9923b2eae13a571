#include "LivePreview.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QMainWindow>
#include <QScrollBar>
#include <QStackedLayout>
#include <QTimer>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include "Launcher.h"
#include "LivePreviewEngine.h"
#include "LiveWebPage.h"
#include "ui_LivePreview.h"

namespace {

// The widest and tallest page the pane lays out; a wider slider scrolls inside it anyway.
constexpr int kMaxPageSide = 8192;
// The pane grows with the slider's height up to this; a taller page scrolls.
constexpr int kMaxPaneHeight = 420;
// The page's own margin around the slider box (the browser's default body margin).
constexpr int kPageMargin = 8;
// After loading, the page gets this long to draw its first frame before it is put on screen.
constexpr int kFirstFrameMs = 20;

// Pictures are checked again this long after the last sign that they may have changed.
constexpr int kCheckPicturesDelayMs = 250;

// How long a hidden page's runtime has to hold its strip before the page is frozen.
constexpr int kFreezeDelayMs = 500;

// The text as a string of the page's script.
QString JsString(const QString& text) {
  const QByteArray list = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
  return QString::fromUtf8(list.mid(1, list.size() - 2));
}

// Presses the runtime's own pause button of every slider on the page whose state differs.
QString PauseScript(bool paused) {
  return QStringLiteral(
             "document.querySelectorAll('.torvane-toggle').forEach(function (b) {"
             "  if ((b.getAttribute('aria-pressed') === 'true') !== %1) b.click(); });")
      .arg(paused ? "true" : "false");
}

}  // namespace

TLivePreviewPane::TLivePreviewPane(const QString& folder, const TLivePageOptions& options,
                                   QWidget* parent)
    : QDockWidget(parent), ui(std::make_unique<Ui::TLivePreviewPane>()) {
  ui->setupUi(this);
  engine_ = new TLivePreviewEngine(folder, options, this);
  connect(engine_, &TLivePreviewEngine::built, this, &TLivePreviewPane::pageBuilt);
  connect(engine_, &TLivePreviewEngine::failed, this, [this](const QString& message) {
    if (!broken_) setStatus(tr("Not updated: %1").arg(message));
  });
  freeze_.setSingleShot(true);
  freeze_.setInterval(kFreezeDelayMs);
  connect(&freeze_, &QTimer::timeout, this, [this] {
    if (QWebEngineView* view = shownView(); view && !active_ && !view->page()->isVisible())
      view->page()->setLifecycleState(QWebEnginePage::LifecycleState::Frozen);
  });
  connect(ui->tlbtnLivePause, &QToolButton::toggled, this, &TLivePreviewPane::setPaused);
  // Thumbnails arrive and windows are activated in bursts: one check for those close together.
  checkPictures_.setSingleShot(true);
  checkPictures_.setInterval(kCheckPicturesDelayMs);
  connect(&checkPictures_, &QTimer::timeout, this, [this] {
    if (!broken_ && isVisible()) engine_->checkPictures();
  });
  // The new page is laid beneath the shown one while it loads, so both take part in drawing.
  if (auto* stack = qobject_cast<QStackedLayout*>(ui->stckLivePages->layout()))
    stack->setStackingMode(QStackedLayout::StackAll);
  if (const QString problem = webengine::Problem(); !problem.isEmpty()) stop(problem);
}

TLivePreviewPane::~TLivePreviewPane() {
  // The pages go before their profile and the engine's folder that holds their files.
  for (QWebEngineView*& view : views_) delete std::exchange(view, nullptr);
  delete std::exchange(profile_, nullptr);
}

void TLivePreviewPane::setSource(std::function<TLiveDesign()> source) {
  engine_->setSource(std::move(source));
}

// A hidden pane makes no pages; it catches up when it is shown again.
void TLivePreviewPane::designChanged() {
  if (broken_) return;
  if (isVisible())
    engine_->changed();
  else
    changedWhileHidden_ = true;
}

void TLivePreviewPane::checkPictures() { checkPictures_.start(); }

void TLivePreviewPane::setOptions(const TLivePageOptions& options) { engine_->setOptions(options); }

void TLivePreviewPane::createViews() {
  if (views_[0]) return;
  profile_ =
      livepage::MakeProfile(engine_->folder(), this,
                            [engine = engine_](const QString& name, QWebEngineUrlRequestJob* job) {
                              return engine->servePicture(name, job);
                            });
  for (int k = 0; k < 2; ++k) {
    auto* view = new QWebEngineView(ui->stckLivePages);
    view->setObjectName(QStringLiteral("webLivePage%1").arg(k + 1));
    view->setAccessibleName(tr("Live preview page"));
    // One Tab stop for the pane (its Pause button): the page's own links and controls are
    // reached only after a click into it.
    view->setFocusPolicy(Qt::ClickFocus);
    auto* page = new TLiveWebPage(profile_, consoleErrors_, view);
    page->setBackgroundColor(palette().color(QPalette::Base));
    connect(page, &TLiveWebPage::linkClicked, this, &TLivePreviewPane::followLink);
    view->setPage(page);
    view->setContextMenuPolicy(Qt::NoContextMenu);
    connect(page, &QWebEnginePage::loadingChanged, this,
            [this, k](const QWebEngineLoadingInfo& load) { loadingChanged(k, load); });
    connect(page, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status, int code) {
              if (status == QWebEnginePage::NormalTerminationStatus) return;
              stop(tr("The live preview stopped: its web engine ended (code %1). Turn View > "
                      "Live Preview off and on to try again; Script > Preview still works.")
                       .arg(code));
            });
    ui->stckLivePages->addWidget(view);
    views_[size_t(k)] = view;
    view->show();
  }
  // The second view's page process starts now, not when the first change is due in it. No other
  // load may be asked for while this one runs: the engine could drop that one.
  warming_[1] = true;
  views_[1]->load(QUrl(QStringLiteral("about:blank")));
}

void TLivePreviewPane::loadingChanged(int view, const QWebEngineLoadingInfo& load) {
  const auto status = load.status();
  if (status == QWebEngineLoadingInfo::LoadStartedStatus) return;
  if (warming_[size_t(view)]) {
    // Its process is up: a page that came meanwhile loads now.
    warming_[size_t(view)] = false;
    if (loading_ == view) views_[size_t(view)]->load(loadingUpdate_.page);
    return;
  }
  // Only the end of the load of the page last asked for counts, not of one it replaced.
  if (status != QWebEngineLoadingInfo::LoadStoppedStatus)
    pageLoaded(view, load.url(), status == QWebEngineLoadingInfo::LoadSucceededStatus);
}

void TLivePreviewPane::pageBuilt(const TLiveUpdate& update) {
  if (broken_) return;
  createViews();
  if (update.samePictures) {
    if (loading_ >= 0 && !update.sliderCall.isEmpty()) {  // applied once the page has loaded
      restyle_ = update;
      return;
    }
    if (front_ < 0 || update.sliderCall.isEmpty()) {  // nothing to apply it to, or with
      engine_->makeWhole();
      return;
    }
    redraw(front_, update, QStringLiteral("Number(el.dataset.offset) || 0"), [this, update] {
      fitPane(QSize(update.width, update.height));
      engine_->shown(loadedGeneration_);
      emit pageShown(update.generation, update.elapsedMs);
    });
    return;
  }
  // Loads into the view not on screen; a page still loading there gives way to the newer one.
  const int target = front_ == 0 ? 1 : 0;
  loading_ = target;
  loadingUpdate_ = update;
  restyle_.reset();
  loadingSize_ = QSize(std::clamp(update.width + 2 * kPageMargin, 1, kMaxPageSide),
                       std::clamp(update.height + 2 * kPageMargin, 1, kMaxPageSide));
  // Laid out at its size before it loads, beside the shown page (which may grow with it).
  const QSize room = loadingSize_.expandedTo(front_ >= 0 ? ui->stckLivePages->size() : QSize());
  ui->stckLivePages->resize(room);
  for (QWebEngineView* each : views_) each->resize(room);
  updateActivity();
  static_cast<TLiveWebPage*>(views_[size_t(target)]->page())->Expect(update.page);
  if (!warming_[size_t(target)]) views_[size_t(target)]->load(update.page);
}

void TLivePreviewPane::pageLoaded(int view, const QUrl& url, bool ok) {
  if (view != loading_ || url != loadingUpdate_.page) return;  // given way to a newer page
  if (!ok) {
    setStatus(tr("Not updated: the page did not load."));
    return;
  }
  const int generation = loadingUpdate_.generation;
  const auto show = [this, view, generation] {
    if (loading_ != view || loadingUpdate_.generation != generation) return;
    QTimer::singleShot(kFirstFrameMs, this, [this, view, generation] {
      if (loading_ == view && loadingUpdate_.generation == generation) swap(view);
    });
  };
  // The new page's strip starts where the shown one stands (a change of look that came
  // meanwhile is drawn with it).
  const TLiveUpdate drawn = restyle_.value_or(loadingUpdate_);
  restyle_.reset();
  QWebEngineView* shown = shownView();
  if (!shown) {
    redraw(view, drawn, QStringLiteral("0"), show);
    return;
  }
  shown->page()->runJavaScript(
      QStringLiteral("(function () { var el = document.getElementById(%1);"
                     " return el ? Number(el.dataset.offset) || 0 : 0; })()")
          .arg(JsString(drawn.divId)),
      [this, view, drawn, show](const QVariant& offset) {
        redraw(view, drawn, QString::number(offset.toDouble(), 'f', 2), show);
      });
}

void TLivePreviewPane::redraw(int view, const TLiveUpdate& update, const QString& offset,
                              const std::function<void()>& then) {
  if (update.sliderCall.isEmpty()) {  // nothing to draw it with: the page stays as it loaded
    then();
    return;
  }
  // The style sheet comes as a sheet of its own (no inline style for a page's policy to refuse);
  // the runtime replaces the slider drawn in the element, and moves the new one to the offset.
  const QString script =
      QStringLiteral(
          "(function () {"
          "  var el = document.getElementById(%1);"
          "  if (!el || typeof window.BXae !== 'function') return false;"
          "  var offset = %2;"
          "  var sheet = window.torvaneLiveSheet;"
          "  if (!sheet) {"
          "    sheet = window.torvaneLiveSheet = new CSSStyleSheet();"
          "    document.adoptedStyleSheets = Array.from(document.adoptedStyleSheets).concat(sheet);"
          "  }"
          "  sheet.replaceSync(%3);"
          "  el.style.width = '%4px'; el.style.height = '%5px';"
          "  var slider = %6;"
          "  if (slider && typeof slider.seek === 'function') slider.seek(offset);"
          "  return true;"
          "})();")
          .arg(JsString(update.divId), offset, JsString(update.styleSheet))
          .arg(update.width)
          .arg(update.height)
          .arg(update.sliderCall) +
      PauseScript(paused());
  QWebEnginePage* page = views_[size_t(view)]->page();
  page->runJavaScript(script, [then](const QVariant&) { then(); });
}

void TLivePreviewPane::fitPane(QSize page) {
  const QSize size(std::clamp(page.width() + 2 * kPageMargin, 1, kMaxPageSide),
                   std::clamp(page.height() + 2 * kPageMargin, 1, kMaxPageSide));
  ui->stckLivePages->resize(size);
  for (QWebEngineView* each : views_)
    if (each) each->resize(size);
  // A page of a new height asks for a pane as tall (with room for a scroll bar); the user may
  // make it smaller, then the page scrolls.
  if (size.height() == shownHeight_) return;
  shownHeight_ = size.height();
  QScrollArea* area = ui->scrlLivePreview;
  const int wanted = shownHeight_ + 2 * area->frameWidth() +
                     area->horizontalScrollBar()->sizeHint().height() + (height() - area->height());
  if (auto* frame = qobject_cast<QMainWindow*>(parentWidget()); frame && !isFloating())
    frame->resizeDocks({this}, {std::min(kMaxPaneHeight, wanted)}, Qt::Vertical);
}

void TLivePreviewPane::swap(int view) {
  QWebEngineView* web = views_[static_cast<size_t>(view)];
  fitPane(QSize(loadingUpdate_.width, loadingUpdate_.height));
  ui->stckLivePages->setCurrentWidget(web);
  web->raise();
  front_ = view;
  loading_ = -1;
  loadedGeneration_ = loadingUpdate_.generation;
  updateActivity();
  if (!ui->stctxtLivePreview->text().isEmpty()) setStatus({});
  engine_->shown(loadedGeneration_);
  emit pageShown(loadingUpdate_.generation, loadingUpdate_.elapsedMs);
}

bool TLivePreviewPane::paused() const { return ui->tlbtnLivePause->isChecked(); }

void TLivePreviewPane::setPaused(bool paused) {
  if (ui->tlbtnLivePause->isChecked() != paused) ui->tlbtnLivePause->setChecked(paused);
  ui->tlbtnLivePause->setText(paused ? tr("Play") : tr("Pause"));
  if (QWebEngineView* view = shownView()) applyPause(view);
}

void TLivePreviewPane::applyPause(QWebEngineView* view) {
  view->page()->runJavaScript(PauseScript(paused()));
}

QWebEngineView* TLivePreviewPane::shownView() const {
  return front_ >= 0 ? views_[static_cast<size_t>(front_)] : nullptr;
}

QString TLivePreviewPane::statusText() const { return ui->stctxtLivePreview->text(); }

void TLivePreviewPane::setStatus(const QString& text) {
  ui->stctxtLivePreview->setText(text);
  ui->stctxtLivePreview->setToolTip(text);
}

void TLivePreviewPane::stop(const QString& text) {
  broken_ = true;
  ui->tlbtnLivePause->setEnabled(false);
  setStatus(text);
  for (QWebEngineView* view : views_)
    if (view) view->hide();
}

void TLivePreviewPane::followLink(const QUrl& link) {
  constexpr int kShownLength = 80;
  QString shown = link.toDisplayString();
  if (shown.size() > kShownLength) shown = shown.left(kShownLength - 1) + QChar(0x2026);
  if (livepage::OpensInBrowser(link)) {
    Launcher().OpenDocument(link.toString(QUrl::FullyEncoded));
    setStatus(tr("Opened %1 in your browser.").arg(shown));
  } else {
    setStatus(tr("The link %1 is not followed: only http, https and mailto links open (in your "
                 "browser).")
                  .arg(shown));
  }
}

void TLivePreviewPane::showEvent(QShowEvent* event) {
  QDockWidget::showEvent(event);
  if (QWidget* top = window(); top && top != this) top->installEventFilter(this);
  if (!broken_) createViews();
  updateActivity();
  if (std::exchange(changedWhileHidden_, false))
    designChanged();
  else
    checkPictures();
}

void TLivePreviewPane::closeEvent(QCloseEvent* event) {
  QDockWidget::closeEvent(event);
  emit closed();
}

void TLivePreviewPane::hideEvent(QHideEvent* event) {
  QDockWidget::hideEvent(event);
  updateActivity();
}

bool TLivePreviewPane::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::WindowStateChange || event->type() == QEvent::Show ||
      event->type() == QEvent::Hide)
    QTimer::singleShot(0, this, &TLivePreviewPane::updateActivity);
  return QDockWidget::eventFilter(watched, event);
}

// Hidden pages rest: the runtime holds the strip while its document is hidden, and a frozen page
// runs no script at all. The page on screen is frozen only once its runtime has seen it hidden.
// Pages come back to life before they are shown again.
void TLivePreviewPane::updateActivity() {
  const QWidget* top = window();
  active_ = isVisible() && !(top && top->isMinimized()) && !broken_;
  for (int k = 0; k < 2; ++k) {
    QWebEngineView* view = views_[static_cast<size_t>(k)];
    if (!view) continue;
    const bool inUse = k == front_ || k == loading_;
    QWebEnginePage* page = view->page();
    if (active_ && inUse) {
      page->setLifecycleState(QWebEnginePage::LifecycleState::Active);
      page->setVisible(true);
      freeze_.stop();
    } else {
      page->setVisible(false);
      page->setLifecycleState(QWebEnginePage::LifecycleState::Active);
      if (k == front_ && !active_) freeze_.start();
    }
  }
}
