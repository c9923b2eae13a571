#include "LiveWebPage.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QQuickWindow>

#ifndef _WIN32
#include <unistd.h>
#endif

TLiveWebPage::TLiveWebPage(QWebEngineProfile* profile, QStringList& errors, QObject* parent)
    : QWebEnginePage(profile, parent), errors_(errors) {}

void TLiveWebPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level,
                                            const QString& message, int line,
                                            const QString& source) {
  if (level == ErrorMessageLevel)
    errors_ << QStringLiteral("%1:%2: %3").arg(QFileInfo(source).fileName()).arg(line).arg(message);
}

bool TLiveWebPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool mainFrame) {
  return type == NavigationTypeTyped || type == NavigationTypeReload || !mainFrame ||
         (url.isLocalFile() && url.fileName() == QStringLiteral("index.html"));
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
#ifndef _WIN32
  // The engine's sandbox refuses to start for the superuser; only then it is left off.
  if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
#endif
}

QString Problem() {
  const QString platform = QGuiApplication::platformName();
  if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
    return QStringLiteral(
        "The live preview needs a display; Script > Preview shows the slider in a "
        "browser.");
  QString process = qEnvironmentVariable("QTWEBENGINEPROCESS_PATH");
  if (process.isEmpty())
    process = QLibraryInfo::path(QLibraryInfo::LibraryExecutablesPath) +
              QStringLiteral("/QtWebEngineProcess");
  if (!QFileInfo(process).isExecutable())
    return QStringLiteral(
               "The live preview cannot start: %1 is missing. Install the package "
               "libqt6webenginecore6-bin and start Torvane again.")
        .arg(process);
  return {};
}

}  // namespace webengine
