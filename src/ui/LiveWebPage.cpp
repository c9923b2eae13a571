#include "LiveWebPage.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QQuickWindow>
#include <QRegularExpression>
#include <QWebChannel>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

#include <unistd.h>

namespace livepage {

const char* const kScheme = "torvane-live";

namespace {

const QString kHost = QStringLiteral("pane");
// No page of the pane, script or picture comes near this; a larger file is not served.
constexpr qint64 kMaxServedBytes = 512ll << 20;

QByteArray MimeTypeOf(const QString& path) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  static const QList<std::pair<QString, QByteArray>> kTypes = {
      {"html", "text/html"},  {"htm", "text/html"},    {"js", "text/javascript"},
      {"css", "text/css"},    {"jpg", "image/jpeg"},   {"jpeg", "image/jpeg"},
      {"png", "image/png"},   {"gif", "image/gif"},    {"webp", "image/webp"},
      {"avif", "image/avif"}, {"svg", "image/svg+xml"}};
  for (const auto& [known, type] : kTypes)
    if (suffix == known) return type;
  return "application/octet-stream";
}

// Watches the page for clicks on links from a script world of its own: a click the page's own
// script has not already taken (the runtime swallows a tap that stops the strip) follows nothing
// and is reported to the pane.
const char kLinkWatcher[] = R"(
(function () {
  var links = null;
  new QWebChannel(qt.webChannelTransport, function (channel) { links = channel.objects.links; });
  function watch(event) {
    var target = event.target;
    var anchor = target && target.closest ? target.closest('a[href]') : null;
    if (!anchor || event.defaultPrevented) return;
    event.preventDefault();
    if (links) links.follow(anchor.getAttribute('href'));
  }
  window.addEventListener('click', watch);
  window.addEventListener('auxclick', watch);
})();
)";

QString LinkWatcherSource() {
  QFile channel(QStringLiteral(":/qtwebchannel/qwebchannel.js"));
  if (!channel.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(channel.readAll()) + QString::fromLatin1(kLinkWatcher);
}

}  // namespace

QUrl AddressOf(const QString& relativePath) {
  QUrl url;
  url.setScheme(QString::fromLatin1(kScheme));
  url.setHost(kHost);
  url.setPath('/' + QDir::fromNativeSeparators(relativePath));
  return url;
}

QByteArray ContentSecurityPolicy() {
  const QByteArray self = QByteArray(kScheme) + ':';
  // The configuration script's fixed form evaluates text of its own ('unsafe-eval'); no inline
  // script or javascript: address runs.
  return "default-src 'none'; script-src " + self + " 'unsafe-eval'; style-src " + self +
         " 'unsafe-inline'; img-src " + self + " data: blob:; font-src " + self +
         "; connect-src 'none'; media-src 'none'; object-src 'none'; frame-src 'none'; "
         "child-src 'none'; worker-src 'none'; manifest-src 'none'; form-action 'none'; "
         "base-uri 'none'";
}

QByteArray WithContentSecurityPolicy(const QByteArray& page) {
  return "<meta http-equiv=\"Content-Security-Policy\" content=\"" + ContentSecurityPolicy() +
         "\">\n" + page;
}

bool OpensInBrowser(const QUrl& link) {
  const QString scheme = link.scheme().toLower();
  return link.isValid() &&
         (((scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
           !link.host().isEmpty()) ||
          scheme == QLatin1String("mailto"));
}

QWebEngineProfile* MakeProfile(const QString& folder, QObject* parent, TPictureSource pictures) {
  auto* profile = new QWebEngineProfile(parent);  // off the record: nothing kept on disk
  profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
  profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
  profile->installUrlSchemeHandler(kScheme,
                                   new TLivePageServer(folder, profile, std::move(pictures)));
  profile->setUrlRequestInterceptor(new TLiveRequestGuard(profile));
  QWebEngineSettings* settings = profile->settings();
  settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
  settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
  settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
  settings->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
  settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
  settings->setAttribute(QWebEngineSettings::LocalStorageEnabled, false);
  return profile;
}

}  // namespace livepage

TLivePageServer::TLivePageServer(const QString& folder, QObject* parent,
                                 livepage::TPictureSource pictures)
    : QWebEngineUrlSchemeHandler(parent),
      folder_(QFileInfo(folder).canonicalFilePath()),
      pictures_(std::move(pictures)) {}

void TLivePageServer::requestStarted(QWebEngineUrlRequestJob* job) {
  const QUrl url = job->requestUrl();
  if (job->requestMethod() != "GET" || url.host() != livepage::kHost || folder_.isEmpty()) {
    job->fail(QWebEngineUrlRequestJob::RequestDenied);
    return;
  }
  // Only a file below the folder, whatever the path says and wherever links in it lead.
  const QString path = QFileInfo(folder_ + '/' + url.path()).canonicalFilePath();
  const QFileInfo file(path);
  if (path.isEmpty() || !path.startsWith(folder_ + '/') || !file.isFile()) {
    // A picture made only when asked for (its name has no path in it).
    static const QRegularExpression kPictureName(QStringLiteral("^[pm][0-9a-f]{16}\\.jpg$"));
    const QString name = url.path().section('/', -1);
    if (!(pictures_ && kPictureName.match(name).hasMatch() && pictures_(name, job)))
      job->fail(QWebEngineUrlRequestJob::UrlNotFound);
    return;
  }
  QFile source(path);
  if (file.size() > livepage::kMaxServedBytes || !source.open(QIODevice::ReadOnly)) {
    job->fail(QWebEngineUrlRequestJob::RequestFailed);
    return;
  }
  const QByteArray type = livepage::MimeTypeOf(path);
  QByteArray bytes = source.readAll();
  if (type == "text/html") bytes = livepage::WithContentSecurityPolicy(bytes);
  auto* body = new QBuffer(job);
  body->setData(bytes);
  job->reply(type, body);
}

void TLiveRequestGuard::interceptRequest(QWebEngineUrlRequestInfo& info) {
  const QString scheme = info.requestUrl().scheme();
  if (scheme != QLatin1String(livepage::kScheme) && scheme != QLatin1String("data") &&
      scheme != QLatin1String("blob") && scheme != QLatin1String("about"))
    info.block(true);
}

TLiveWebPage::TLiveWebPage(QWebEngineProfile* profile, QStringList& errors, QObject* parent)
    : QWebEnginePage(profile, parent), errors_(errors), channel_(new QWebChannel(this)) {
  auto* bridge = new TLinkBridge(this);
  connect(bridge, &TLinkBridge::clicked, this, &TLiveWebPage::linkClicked);
  channel_->registerObject(QStringLiteral("links"), bridge);
  setWebChannel(channel_, QWebEngineScript::ApplicationWorld);
  QWebEngineScript watcher;
  watcher.setName(QStringLiteral("torvane-link-watcher"));
  watcher.setSourceCode(livepage::LinkWatcherSource());
  watcher.setWorldId(QWebEngineScript::ApplicationWorld);
  watcher.setInjectionPoint(QWebEngineScript::DocumentCreation);
  watcher.setRunsOnSubFrames(false);
  scripts().insert(watcher);
}

void TLiveWebPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level,
                                            const QString& message, int line,
                                            const QString& source) {
  if (level == ErrorMessageLevel)
    errors_ << QStringLiteral("%1:%2: %3").arg(QFileInfo(source).fileName()).arg(line).arg(message);
}

bool TLiveWebPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool mainFrame) {
  if (!mainFrame) return url.scheme() == QLatin1String("about");  // no frame shows anything
  if (url == expected_ && type != NavigationTypeLinkClicked) return true;
  // A link the watcher did not see (it is not running yet) follows nothing either.
  if (type == NavigationTypeLinkClicked) emit linkClicked(url);
  return false;
}

namespace webengine {

void Prepare() {
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  // The pane is small: drawing it in software costs a fraction of composing the whole window
  // through OpenGL on every frame, and needs no graphics driver at all (a machine without a GPU
  // or a remote display works the same). A user's own choice of the engine's flags or of the
  // scene graph stays.
  if (!qEnvironmentVariableIsSet("QT_QUICK_BACKEND"))
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
  QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
  if (!flags.contains("-gpu"))
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", (flags + " --disable-gpu").trimmed());
  // The engine's sandbox refuses to start for the superuser ("Running as root without
  // --no-sandbox is not supported"), so only then it is left off; every other user keeps it. The
  // pane's pages are held in either way (see above).
  if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  QWebEngineUrlScheme scheme(livepage::kScheme);
  scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
  scheme.setFlags(QWebEngineUrlScheme::SecureScheme);
  QWebEngineUrlScheme::registerScheme(scheme);
}

QString Problem() {
  const QString platform = QGuiApplication::platformName();
  if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
    return QCoreApplication::translate(
        "livepage",
        "The live preview needs a display; Script > Preview shows the slider in a "
        "browser.");
  QString process = qEnvironmentVariable("QTWEBENGINEPROCESS_PATH");
  if (process.isEmpty())
    process = QLibraryInfo::path(QLibraryInfo::LibraryExecutablesPath) +
              QStringLiteral("/QtWebEngineProcess");
  if (!QFileInfo(process).isExecutable())
    return QCoreApplication::translate(
               "livepage",
               "The live preview cannot start: %1 is missing. Install the package "
               "libqt6webenginecore6-bin and start Torvane again.")
        .arg(process);
  return {};
}

}  // namespace webengine
