// The main window: the design tree on the left, the property tabs on the right, menus, toolbar,
// hint line and progress bar. One class split by concern:
//   MainForm.cpp        start-up, modified state, progress, hint line, view toggles, closing
//   MainFormTree.cpp    the design tree and its Insert/Delete/Move commands, dropped pictures
//   MainFormPanels.cpp  the property tabs: show/store, colour, link and picture choosers, help
//   MainFormFile.cpp    the File menu, recent files and templates
//   MainFormScript.cpp  Build HTML, Preview, Publish; the Option and Help menus
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <memory>
#include <optional>

#include "AppletAgent.h"
#include "Host.h"
#include "Places.h"
#include "TreeAdapter.h"

namespace Ui {
class TMainForm;
}
class QDropEvent;
class QMenu;
class QUrl;
class QTreeWidgetItem;
class TColorPanel;
class TformHTML;
class TfrmHelp;

class TMainForm : public QMainWindow, public IProgress, public IMessages {
  Q_OBJECT

 public:
  // programFolder: where the program's files (runtime script, help, samples, templates) are.
  // When it is writable and not an installed tree, the recent list, the user's templates and
  // the preview folder are kept there too; otherwise in the user's folders (see Places.h).
  explicit TMainForm(const QString& programFolder, QWidget* parent = nullptr);
  ~TMainForm() override;

  // --- state shared by the window's parts ---
  TqelAppletAgent& Model() { return *model_; }
  bool ProjectModified = false;
  QString ProjectFileName;
  QTreeWidgetItem* EditedItemNode = nullptr;
  bool TreeRebuilding = false;
  int DescendantCount = 0;
  int ShownTabsIndex = -2009;
  QString ProgramFolder() const { return programFolder_; }  // with a trailing '/'
  TTreeAdapter& Tree() { return *treeAdapter_; }
  TformHTML* CodeWindow() const { return codeWindow_; }
  TfrmHelp* HelpWindow() const { return helpWindow_; }

  void MarkModified();
  void ClearModified();
  void OpenCommandLine(const QStringList& arguments);  // start-up's joined, swallowed open

  // --- tree (MainFormTree.cpp) ---
  void UpdateItemCommands();
  void UpdatePropertyTabs();
  void CountDescendants(QTreeWidgetItem* node);
  void RootReset(bool keepRebuilding);
  int SelectedIndex() const;  // absolute index of the selected node, -1 for none
  // Appends one item per JPEG file (as Insert and choosing its picture would); returns the
  // names of the files that were not taken.
  QStringList AppendPictureItems(const QStringList& paths);

  // --- panels (MainFormPanels.cpp) ---
  void ShowSliderParameters();
  void StoreSliderParameters();
  void ShowItemParameters(int index);
  void StoreItemParameters(int index);
  void StorePanels();  // slider, then the edited item if any
  void CheckSeparatorText(QWidget* control);
  static QString PathToFileUrl(const QString& path);
  void ChooseColor(TColorPanel* panel);
  bool SliderNameValid() const { return sliderNameValid_; }
  // The link tip before the URL chooser, unless the user turned it off.
  void ShowLinkTipIfWanted();
  // Shows a page in the help window (modeless).
  void ShowHelpPage(const QUrl& address);

  // --- File menu (MainFormFile.cpp) ---
  bool OpenProjectFile(const QString& path);  // false when nothing was opened
  void LoadRecentFiles();
  void AddRecentFile(const QString& path);
  QString RecentFilePath() const;
  QString TemplatesFolder() const;
  QStringList TemplateFolders() const;  // where the template chooser looks, TemplatesFolder() first
  // Where this running program keeps its state (recent list, templates) and its work folder.
  const places::TStatePlaces& StatePlaces() const { return state_; }
  QStringList RecentEntries() const;  // the paths listed in the Recent Files menu, newest first

  // --- Script menu (MainFormScript.cpp) ---
  void BuildHTMLCode();

  // IProgress: the progress bar, the hint line and the busy cursor.
  void SetMaximum(int maximum) override;
  void Step(int by) override;
  void SetPosition(int position) override;
  void SetStatus(const std::string& text) override;
  void SetBusy(bool busy) override;
  // IMessages
  void Show(TMessageKind kind, const std::string& text) override;

 public slots:
  // start-up and frame
  void Exit1Click();
  void ToolBar1Click();
  void StatusBar2Click();
  void spnedtApWidthChange();
  // tree
  void trvwDesignPanelChange();
  void trvwDesignPanelMouseDown();
  void Insert1Click();
  void Delete1Click();
  void MoveUp1Click();
  void MoveDown1Click();
  // panels
  void pnlApBgClrClick();
  void spdbtnItURLClick();
  void spdbtnItemImageNormalClick();
  void SpeedButton1Click();
  // File menu
  void New1Click();
  void Open1Click();
  void Save1Click();
  void Save2Click();
  void Templet1Click();
  void SaveAsTemplate1Click();
  void RecentFileClick();
  // Script, Option and Help menus
  void BuildHTML1Click();
  void Preview1Click();
  void Publish1Click();
  void WebBrowser1Click();
  void PictureCache1Click();  // Option > keep scaled pictures between saves (a setting)
  void Topic1Click();
  void ViewSample1Click();
  void Homepage1Click();
  void ContactUs1Click();
  void About1Click();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  friend class TMainFormTest;
  std::unique_ptr<Ui::TMainForm> ui;
  QString programFolder_;
  places::TStatePlaces state_;
  std::unique_ptr<places::TInstanceFolder> instance_;  // outlives the model that works in it
  std::unique_ptr<TqelAppletAgent> model_;
  std::unique_ptr<TTreeAdapter> treeAdapter_;
  QMenu* popupMenu_ = nullptr;
  TformHTML* codeWindow_ = nullptr;
  TfrmHelp* helpWindow_ = nullptr;
  QString lastOpenFile_;
  QString lastSaveFile_;
  QString saveInitialFolder_;
  int busyDepth_ = 0;
  bool sliderNameValid_ = true;
  QString lastSliderName_;

  void FormCreate();
  void CreateLongLivedWindows();  // the code window and the help window
  QString ScratchTemplate() const;  // for QTemporaryDir: scratch files of one command
  bool FormCloseQuery();
  void SetUpActions();
  void SetUpHints();
  void SetUpPanels();
  void SetUpTree();
  void spnedtApWidthMouseMove(QWidget* control);
  void trvwDesignPanelContextMenu(const QPoint& position);
  void MoveBlock(QTreeWidgetItem* node);
  void CarryBefore(QTreeWidgetItem* block, QTreeWidgetItem* before);
  void CheckSliderName();
  // The save-changes prompt of New, Open and the open commands; false: the command stops.
  bool SaveChangesPrompt();
  // Save's work after the panels were stored; false when the user cancelled or it failed.
  bool SaveTo(const QString& path);
  // Reads a project file into the window (the open command's work after its prompt).
  bool LoadDesign(const QString& path);
  // Asks for the file a Save writes; nullopt when the user cancelled.
  std::optional<QString> AskSavePath();
  // The file Save writes without asking: the project's own file, never a template.
  QString SaveTarget() const;
  void TreeDropEvent(QDropEvent* event);
};
