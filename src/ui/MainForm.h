// The main window: the design tree on the left, the property tabs on the right, menus, toolbar,
// hint line and progress bar. It holds no design of its own: the open design, its file name, its
// undo stack and its modified state are the document's (TDocument); the window wires its
// controls to the document's edits and follows its signals. One class split by concern:
//   MainForm.cpp        start-up, the actions, hint line, progress, view toggles, closing
//   MainFormTree.cpp    the design tree: selection, Insert/Delete/Move, drag and drop, Undo/Redo
//   MainFormPanels.cpp  the property tabs: showing the design, storing each edit
//   MainFormChoosers.cpp colour, link and picture choosers, the field help buttons
//   MainFormFile.cpp    the File menu, recent files and templates
//   MainFormScript.cpp  Build HTML, Preview, Publish; the Option and Help menus
//   MainFormLive.cpp    the live preview pane below the property tabs
//   MainFormWork.cpp    long work on a worker thread, with Cancel
//   MainFormInput.cpp   the hint line, keys beyond the controls, the slider name's rule
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>

#include "Document.h"
#include "ExitWatch.h"
#include "Host.h"
#include "Places.h"

namespace Ui {
class TMainForm;
}
class QItemSelection;
class QUrl;
class TColorPanel;
class TformHTML;
class TfrmHelp;
class TTreePictures;
class TLivePreviewPane;
struct TLiveDesign;
struct TLivePageOptions;
struct TLaunchFailure;
class TJobRunner;

class TMainForm : public QMainWindow, public IProgress, public IMessages {
  Q_OBJECT

 public:
  // programFolder: where the program's files (runtime script, help, samples, templates) are.
  // When it is writable and not an installed tree, the recent list, the user's templates and
  // the preview folder are kept there too; otherwise in the user's folders (see Places.h).
  explicit TMainForm(const QString& programFolder, QWidget* parent = nullptr);
  ~TMainForm() override;

  TDocument& Document() const { return *document_; }
  QString ProgramFolder() const { return programFolder_; }  // with a trailing '/'
  TformHTML* CodeWindow() const { return codeWindow_; }
  TfrmHelp* HelpWindow() const { return helpWindow_; }
  TLivePreviewPane* LivePreview() const { return livePreview_; }
  // Where this running program keeps its state (recent list, templates) and its work folder.
  const places::TStatePlaces& StatePlaces() const { return state_; }
  QStringList TemplateFolders() const;  // where the template chooser looks, the user's first
  QStringList RecentEntries() const;    // the paths listed in the Recent Files menu, newest first
  // The items selected in the tree, in list order (-1: the slider).
  std::vector<int> SelectedItems() const;
  int CurrentItem() const;  // the tree's current node (-1: the slider)

  // The open commands: false when nothing was opened (the design stays as it was).
  bool OpenProjectFile(const QString& path);
  void OpenCommandLine(const QStringList& arguments);  // start-up's joined, swallowed open
  // A file's path as a percent-encoded file address (a Windows path too, on every system).
  static QString PathToFileUrl(const QString& path);
  // Gives the window its designed size (larger when its contents need it at the user's font),
  // centred, never larger than its screen's free area; or where the user left it last time.
  void PlaceOnScreen();
  // The program is being stopped (a stop signal): running work ends as Cancel ends it, unless it
  // is past its point of no return.
  void StopWork();
  // How the process ends with `status` should the ordinary way out get stuck on a worker: the
  // window's own folders go, and work past its point of no return is waited for.
  exitwatch::TExitPlan ExitPlan(int status) const;

  // --- Script menu (MainFormScript.cpp) ---
  using PageWork =
      std::function<void(TqelAppletAgent& model, const std::vector<std::string>& page)>;
  // Generates the page into the code window on a worker, then runs `then` there with the page's
  // lines (without items: after the message, with the code window's lines). False when the
  // user cancelled.
  bool BuildHTMLCode(const PageWork& then = {});

  // --- long work (MainFormWork.cpp) ---
  using DesignWork = std::function<void(TqelAppletAgent& model, IDesignTree& tree)>;
  // Runs `work` on a worker thread over a copy of the design and its tree, the window answering
  // meanwhile; takes over what the work brought up to date. True when it finished, false when
  // the user cancelled it (the hint line then says "Cancelled"); a failure is thrown again here
  // as a TvError with its text. Refused (false) while other work runs.
  bool RunInBackground(const DesignWork& work);
  bool Working() const;

  // IProgress: the progress bar, the hint line and the busy cursor.
  void SetMaximum(int maximum) override;
  void Step(int by) override;
  void SetPosition(int position) override;
  void SetStatus(const std::string& text) override;
  void SetBusy(bool busy) override;
  // IMessages
  void Show(TMessageKind kind, const std::string& text) override;

 public slots:
  // File menu
  void newProject();
  void openProject();
  void save();
  void saveAs();
  void chooseTemplate();
  void saveAsTemplate();
  void openRecentFile();
  void exitProgram();
  // Edit menu
  void undo();
  void redo();
  // View menu
  void toggleToolBar();
  void toggleStatusBar();
  void toggleLivePreview();  // a setting
  // Item menu and the tree
  void insertItem();
  void deleteItems();
  void moveItemsUp();
  void moveItemsDown();
  // property tabs
  void chooseColour(TColorPanel* panel);
  void chooseLinkFile();
  void choosePicture();
  void showFieldHelp();
  // Script, Option and Help menus
  void buildHtml();
  // Puts on the clipboard what a user pastes into a page of their own to show the slider there.
  void copyEmbedCode();
  void preview();
  void showPublishReport();
  void chooseWebBrowser();
  void BindSettingSwitches();  // Option > keep scaled pictures, pictures for high-density screens
  void showHelpTopics();
  void viewSample();
  void openHomepage();
  void contactUs();
  void showAbout();
  // Cancel beside the progress bar, and Esc: stops the running work.
  void cancelWork();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::unique_ptr<Ui::TMainForm> ui;
  QString programFolder_;
  places::TStatePlaces state_;
  std::unique_ptr<places::TInstanceFolder> instance_;  // outlives the document that works in it
  std::unique_ptr<TDocument> document_;
  std::unique_ptr<TTreePictures> pictures_;  // thumbnails in the tree, the picture pane
  class QMenu* popupMenu_ = nullptr;
  TformHTML* codeWindow_ = nullptr;
  TfrmHelp* helpWindow_ = nullptr;
  QString lastOpenFile_;
  QString lastSaveFile_;
  QString saveInitialFolder_;
  QString templateProposal_;  // what Save proposes for a design begun from a template
  int busyDepth_ = 0;
  TJobRunner* runner_ = nullptr;
  bool closeAfterWork_ = false;  // the window was asked to close while work ran
  bool stopping_ = false;        // the program is ending (StopWork)
  int shownItem_ = -2;           // the selection the panels show (-1 the slider, -2 none yet)
  int panelsQuiet_ = 0;  // > 0 while the panels are being filled: their changes are no edits
  bool adoptingPanels_ = false;  // the document takes the panels' values as they stand
  bool sliderNameValid_ = true;
  QString lastSliderName_;
  TLivePreviewPane* livePreview_ = nullptr;

  // start-up and frame (MainForm.cpp)
  void SetUpActions();
  void SetUpHints();
  void CreateLongLivedWindows();  // the code window and the help window
  // the live preview (MainFormLive.cpp)
  void CreateLivePreview();
  TLivePageOptions LivePageOptions() const;
  TLiveDesign LiveDesign() const;   // a copy of the design for the pane's worker
  QString ScratchTemplate() const;  // for QTemporaryDir: scratch files of one command
  bool CloseQuery();
  void RememberPlacement();  // the window's geometry, splitter and docks, for the next run
  void ShowHint(QWidget* control);
  // the tree (MainFormTree.cpp)
  void SetUpTree();
  void SetUpPictures();
  void SetUpWork();
  QList<QAction*> DesignCommands() const;  // what is off while work runs
  void SelectionChanged();
  void UpdateItemCommands();
  void UpdatePropertyTabs();
  TViewState ViewState() const;
  void ApplyViewState(const TViewState& state);
  void SelectItems(const std::vector<int>& items, int current);
  void ShowTreeMenu(const QPoint& position);
  void ShowDesign();  // after New and open: the slider selected, everything shown afresh
  void FollowItemChange(const std::vector<int>& indexes);
  void ShowDroppedPictures(int first, int count, const QStringList& refused);
  // Captions the item nodes after the picture status of the last generation.
  void ShowPictureStatus();
  // the panels (MainFormPanels.cpp)
  void SetUpPanels();
  void ShowSliderParameters();
  void ShowItemParameters();
  TAppletData SliderFromPanels() const;
  void StoreSlider(const QString& step, bool typing);
  void StoreItemField(TItemField field, const QString& text, const QString& step, bool typing);
  bool CheckSeparatorText(QWidget* control);
  void CheckSliderName();
  void SetUpSliderName();
  void ShowLinkTipIfWanted();
  void ShowHelpPage(const QUrl& address);
  // A browser, opener or help launch that failed: which program, how it ended, where to turn.
  void ShowLaunchFailure(const TLaunchFailure& failure);
  // the File menu (MainFormFile.cpp)
  void LoadRecentFiles();
  void AddRecentFile(const QString& path);
  QString RecentFilePath() const;
  QString TemplatesFolder() const;
  bool SaveChangesPrompt();  // false: the command stops
  bool SaveTo(const QString& path);
  bool LoadDesign(const QString& path);
  // Empties the preview folder and copies the pictures published in this folder (none: empty)
  // into it, for the design just opened or made.
  void RenewPreviewFolder(const std::string& publishedFolder);
  // Asks for the file a Save writes; nullopt when the user cancelled.
  std::optional<QString> AskSavePath();
  // The file Save writes without asking: the project's own file, never a template.
  QString SaveTarget() const;
};
