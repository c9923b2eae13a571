// The Script menu: Build HTML (into the code window), Copy Embed Code, Preview and Publish, and
// the web browser chooser of the Option menu. Scratch files (the built page, the preview page,
// the report) are written into a private temporary folder (inside this running program's own
// work folder when it has one), never into the working or the program's folder, so they can
// neither replace a user's file of the same name nor fail in a folder we may not write.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "ProjectModel.h"

class QWidget;
class TBackgroundWork;
class TDocument;
class TCodeWindow;

class TScriptCommands : public QObject {
  Q_OBJECT

 public:
  struct TParts {
    QWidget* window = nullptr;  // the prompts' and the code window's parent
    QString scratchFolder;      // where scratch folders are made (with a trailing '/')
    std::function<void()> showPictureStatus;  // after a build: the tree's captions
  };
  TScriptCommands(TDocument& document, TBackgroundWork& work, TParts parts,
                  QObject* parent = nullptr);

  TCodeWindow* codeWindow() const { return codeWindow_; }

  using PageWork = std::function<void(TProjectModel& model, const std::vector<std::string>& page)>;
  // Generates the page into the code window on a worker, then runs `then` there with the page's
  // lines (without items: after the message, with the code window's lines). False when the
  // user cancelled.
  bool buildHtmlCode(const PageWork& then = {});

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

  QString scratchTemplate() const;  // for QTemporaryDir: scratch files of one command
};
