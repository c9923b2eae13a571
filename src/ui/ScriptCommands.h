// The Script menu: Build HTML (into the code window), Copy Embed Code, Preview and Publish, and
// the web browser chooser of the Option menu. Each runs one of the design's writers (Writers.h);
// what they write for a browser goes into the preview folder, inside this running program's own
// work folder, never into the working or the program's folder.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "Writers.h"

class QWidget;
class TBackgroundWork;
class TDocument;
class TCodeWindow;

class TScriptCommands : public QObject {
  Q_OBJECT

 public:
  struct TParts {
    QWidget* window = nullptr;                // the prompts' and the code window's parent
    std::function<void()> showPictureStatus;  // after a build: the tree's captions
  };
  TScriptCommands(TDocument& document, TBackgroundWork& work, TParts parts,
                  QObject* parent = nullptr);

  TCodeWindow* codeWindow() const { return codeWindow_; }

  // Generates the page into the code window on a worker (without items: after the message, the
  // code window keeps the page built last). False when the user cancelled.
  bool buildHtmlCode();

 public slots:
  void buildHtml();
  // Puts on the clipboard what a user pastes into a page of their own to show the slider there.
  void copyEmbedCode();
  void preview();
  void showPublishReport();
  void chooseWebBrowser();

 private:
  TDocument& document_;
  TBackgroundWork& work_;
  TParts parts_;
  TCodeWindow* codeWindow_ = nullptr;

  // Runs `writer` on a worker; the tree shows which pictures it found, also when it failed.
  bool runWriter(const TExporter& writer, TExportResult* result);
};
