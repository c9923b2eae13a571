// The web engine behind the live preview: its process-wide set-up, whether it can run here, and
// the pages the pane shows.
#pragma once

#include <QString>
#include <QStringList>
#include <QWebEnginePage>

// A page that keeps what its scripts report as errors and follows no link of the slider: the pane
// shows the slider only.
class TLiveWebPage : public QWebEnginePage {
 public:
  TLiveWebPage(QWebEngineProfile* profile, QStringList& errors, QObject* parent);

 protected:
  void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                int line, const QString& source) override;
  bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool mainFrame) override;

 private:
  QStringList& errors_;
};

namespace webengine {

// Call in main() before the application object exists: shared graphics contexts, drawing in
// software, and no sandbox when running as root (the sandbox refuses the superuser).
void Prepare();
// Empty when the web engine can run in this session, else one line saying why not and what to do.
QString Problem();

}  // namespace webengine
