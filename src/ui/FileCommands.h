// The File menu: New, Open, Save, Save As, Save As Template, the template chooser, the recent
// files and the open routine shared by the command line, the recent list and the template
// chooser; and the question closing the window asks.
//
// Unsaved work is never dropped without the user's word: when the save that a "Save changes to
// files?" prompt asks for is cancelled or fails, the command stops with the design untouched.
// A file that is refused or cannot be read never takes over: the design, its file name and the
// recent list stay as they were.
#pragma once

#include <QList>
#include <QObject>
#include <QStringList>
#include <functional>
#include <optional>
#include <string>

#include "Places.h"

class QAction;
class QMenu;
class QWidget;
class TBackgroundWork;
class TDocument;

class TFileCommands : public QObject {
  Q_OBJECT

 public:
  struct TParts {
    QWidget* window = nullptr;  // the prompts' parent
    QMenu* recentMenu = nullptr;
    QList<QAction*> save;                     // Save's menu entry and button: on when modified
    std::function<void()> showPictureStatus;  // after a save: the tree's captions
  };
  TFileCommands(TDocument& document, TBackgroundWork& work, const places::TStatePlaces& state,
                TParts parts, QObject* parent = nullptr);

  QStringList templateFolders() const;  // where the template chooser looks, the user's first
  QStringList recentEntries() const;    // the paths listed in the Recent Files menu, newest first
  // The file an open dialog proposes (the last one opened), shared with the link chooser.
  QString& lastOpenFile() { return lastOpenFile_; }

  // The open commands: false when nothing was opened (the design stays as it was).
  bool openProjectFile(const QString& path);
  void openCommandLine(const QStringList& arguments);  // start-up's joined, swallowed open
  // Closing the window: asks whether to save a modified design, and saves when told to. False:
  // the window stays.
  bool closeQuery();

 public slots:
  void newProject();
  void openProject();
  void save();
  void saveAs();
  void saveAsTemplate();
  void chooseTemplate();

 private:
  TDocument& document_;
  TBackgroundWork& work_;
  const places::TStatePlaces& state_;
  TParts parts_;
  QString lastOpenFile_;
  QString lastSaveFile_;
  QString saveInitialFolder_;
  QString templateProposal_;  // what Save proposes for a design begun from a template

  void loadRecentFiles();
  void addRecentFile(const QString& path);
  QString templatesFolder() const;
  bool saveChangesPrompt(const QString& question);  // false: the command stops
  bool saveTo(const QString& path);
  bool loadDesign(const QString& path);
  // Empties the preview folder and copies the pictures published in this folder (none: empty)
  // into it, for the design just opened or made.
  void renewPreviewFolder(const std::string& publishedFolder);
  // Asks for the file a Save writes; nullopt when the user cancelled.
  std::optional<QString> askSavePath();
  // The file Save writes without asking: the project's own file, never a template.
  QString saveTarget() const;
};
