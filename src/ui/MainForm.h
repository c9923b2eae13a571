// The main window: the design tree on the left, the property pages on the right, the live
// preview below them, menus, toolbar, hint line and progress bar. It holds no design of its own:
// the open design, its file name, its undo stack and its modified state are the document's
// (TDocument). The window only wires its parts together:
//   TDesignTreeController  the tree: selection, Insert/Delete/Move, drag and drop, Undo/Redo
//   TSliderPanel, TPathPanel, TItemPanel  the property pages, bound to the document
//   TFileCommands          the File menu, recent files, templates, the question on closing
//   TScriptCommands        Build HTML, Copy Embed Code, Preview, Publish, the browser chooser
//   TBackgroundWork        long work on a worker thread, progress, busy state and Cancel
//   TMessageSink           the model's messages
// and keeps start-up, the actions, menus and docks, the view toggles and closing:
//   MainForm.cpp       start-up, the actions, placement, closing
//   MainFormInput.cpp  the hint line, keys beyond the controls
//   MainFormLive.cpp   the live preview pane below the property pages
//   MainFormHelp.cpp   the Option menu's switches, the Help menu and the help window
#pragma once

#include <QMainWindow>
#include <memory>

#include "Document.h"
#include "ExitWatch.h"
#include "Places.h"

namespace Ui {
class TMainForm;
}
class TBackgroundWork;
class TDesignTreeController;
class TFileCommands;
class TLivePreviewPane;
class TMessageSink;
class TScriptCommands;
class TTreePictures;
class TCodeWindow;
class THelpWindow;
struct TLaunchFailure;
struct TLiveDesign;
struct TLivePageOptions;

class TMainForm : public QMainWindow {
  Q_OBJECT

 public:
  // programFolder: where the program's files (runtime script, help, samples, templates) are.
  // When it is writable and not an installed tree, the recent list, the user's templates and
  // the preview folder are kept there too; otherwise in the user's folders (see Places.h).
  explicit TMainForm(const QString& programFolder, QWidget* parent = nullptr);
  ~TMainForm() override;

  TDocument& document() const { return *document_; }
  QString programFolder() const { return programFolder_; }  // with a trailing '/'
  // Where this running program keeps its state (recent list, templates) and its work folder.
  const places::TStatePlaces& statePlaces() const { return state_; }
  TDesignTreeController& tree() const { return *tree_; }
  TFileCommands& files() const { return *files_; }
  TScriptCommands& scripts() const { return *scripts_; }
  TBackgroundWork& work() const { return *work_; }
  TCodeWindow* codeWindow() const;
  THelpWindow* helpWindow() const { return helpWindow_; }
  TLivePreviewPane* livePreview() const { return livePreview_; }

  // Gives the window its designed size (larger when its contents need it at the user's font),
  // centred, never larger than its screen's free area; or where the user left it last time.
  void placeOnScreen();
  // The program is being stopped (a stop signal): running work ends as Cancel ends it, unless it
  // is past its point of no return.
  void stopWork();
  // How the process ends with `status` should the ordinary way out get stuck on a worker: the
  // window's own folders go, and work past its point of no return is waited for.
  exitwatch::TExitPlan exitPlan(int status) const;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::unique_ptr<Ui::TMainForm> ui_;
  QString programFolder_;
  places::TStatePlaces state_;
  std::unique_ptr<places::TInstanceFolder> instance_;  // outlives the document that works in it
  std::unique_ptr<TMessageSink> messages_;
  TBackgroundWork* work_ = nullptr;
  std::unique_ptr<TDocument> document_;
  TDesignTreeController* tree_ = nullptr;
  TFileCommands* files_ = nullptr;
  TScriptCommands* scripts_ = nullptr;
  std::unique_ptr<TTreePictures> pictures_;  // thumbnails in the tree, the picture pane
  THelpWindow* helpWindow_ = nullptr;
  TLivePreviewPane* livePreview_ = nullptr;

  // start-up and frame (MainForm.cpp)
  void setUpActions();
  void setUpPanels();
  void setUpPictures();
  QList<QAction*> designCommands() const;  // what is off while work runs
  void toggleToolBar();
  void toggleStatusBar();
  void rememberPlacement();  // the window's geometry, splitter and docks, for the next run
  // the hint line and the keys (MainFormInput.cpp)
  void setUpHints();
  void showHint(QWidget* control);
  // F6 and Shift+F6: the focus goes to the next (previous) part of the window shown: the tree,
  // the property page, the live preview.
  void setUpPartCycling();
  void focusNextPart(int step);
  // the live preview (MainFormLive.cpp)
  void createLivePreview();
  void toggleLivePreview();  // a setting
  TLivePageOptions livePageOptions() const;
  TLiveDesign liveDesign() const;  // a copy of the design for the pane's worker
  // the Option and Help menus (MainFormHelp.cpp)
  void bindSettingSwitches();  // Option > keep scaled pictures, pictures for high-density screens
  void bindHelpMenu();
  void showHelpPage(const QString& page);  // a page of the program's help folder
  // A browser, opener or help launch that failed: which program, how it ended, where to turn.
  void showLaunchFailure(const TLaunchFailure& failure);
};
