// The web engine behind the live preview: its process-wide set-up, whether it can run here, and
// the pages the pane shows.
//
// A project is data from anywhere (a downloaded template, a colleague's design), so the pane's
// pages get no more than showing the slider needs:
// - they are served from the pane's own folder through the torvane-live: scheme, never as file:
//   pages, so they reach no other file;
// - every request for anything but that scheme (or data: and blob: made by the page) is blocked,
//   and the pane's copy of the page carries a Content-Security-Policy that allows only the
//   page's own scripts and stops every connection (fetch, WebSocket, ...), forms and frames;
// - the main frame never leaves the page the pane built;
// - a click on a linked picture follows nothing inside the pane: it is handed to the pane, which
//   opens web and mail addresses in the user's browser and refuses everything else.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineUrlSchemeHandler>
#include <functional>

class QWebChannel;
class QWebEngineProfile;
class QWebEngineUrlRequestJob;

namespace livepage {

// The scheme the pane's pages are served under, and the address of a file below the pane's folder
// (a path relative to it, "/" separated).
extern const char* const kScheme;
QUrl AddressOf(const QString& relativePath);

// The policy the pane's copy of a page is given, and that copy: the policy placed first in the
// document (where the parser puts it into the head), the rest of the bytes unchanged.
QByteArray ContentSecurityPolicy();
QByteArray WithContentSecurityPolicy(const QByteArray& page);

// Whether a link may leave the pane for the user's browser: http, https and mailto only.
bool OpensInBrowser(const QUrl& link);

// Takes a request for a picture `name` that is not in the folder (see TLivePreviewEngine); false
// when it knows no such picture.
using TPictureSource = std::function<bool(const QString& name, QWebEngineUrlRequestJob* job)>;

// A profile for the pane's pages, owned by `parent`: kept in memory only, serving `folder` under
// the scheme (and pictures not in it from `pictures`) and blocking every other request.
QWebEngineProfile* MakeProfile(const QString& folder, QObject* parent,
                               TPictureSource pictures = {});

}  // namespace livepage

// Serves the files below one folder, and nothing outside it; a picture the folder does not hold
// is asked of the picture source.
class TLivePageServer : public QWebEngineUrlSchemeHandler {
 public:
  TLivePageServer(const QString& folder, QObject* parent, livepage::TPictureSource pictures = {});
  void requestStarted(QWebEngineUrlRequestJob* job) override;

 private:
  QString folder_;  // canonical
  livepage::TPictureSource pictures_;
};

// Lets through only requests for the pane's own scheme and for data the page made itself.
class TLiveRequestGuard : public QWebEngineUrlRequestInterceptor {
 public:
  using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
  void interceptRequest(QWebEngineUrlRequestInfo& info) override;
};

// The object the page's link watcher reports clicks to (in a script world of its own that the
// page's scripts cannot reach).
class TLinkBridge : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;
  Q_INVOKABLE void follow(const QString& link) { emit clicked(QUrl(link)); }

 signals:
  void clicked(const QUrl& link);
};

// A page that keeps what its scripts report as errors, stays on the page it was asked to load and
// reports clicked links instead of following them.
class TLiveWebPage : public QWebEnginePage {
  Q_OBJECT

 public:
  TLiveWebPage(QWebEngineProfile* profile, QStringList& errors, QObject* parent);

  // The only page the main frame may show next (about:blank before the first one).
  void Expect(const QUrl& page) { expected_ = page; }

 signals:
  void linkClicked(const QUrl& link);

 protected:
  void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                int line, const QString& source) override;
  bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool mainFrame) override;

 private:
  QStringList& errors_;
  QUrl expected_{QStringLiteral("about:blank")};
  QWebChannel* channel_ = nullptr;
};

namespace webengine {

// Call in main() before the application object exists: shared graphics contexts, drawing in
// software, the pane's scheme, and no sandbox when running as root (the engine refuses to start
// its sandbox for the superuser).
void Prepare();
// Empty when the web engine can run in this session, else one line saying why not and what to do.
QString Problem();

}  // namespace webengine
