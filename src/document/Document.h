// One open design and everything that edits it: the project model, its file name, the undo stack
// and the modified state. Every edit is an undoable command (see DocumentCommands.h); the window
// only wires its controls to the calls below and follows the signals. No widgets here, so the
// design can be edited, saved and tested without a window.
//
// Items are addressed by their position in the item list (0-based, depth-first, a parent before
// its children); -1 stands for the slider itself, the root of the tree. Every item has a nesting
// level: 0 for a child of the slider, one more than its parent's otherwise. An item and its
// descendants (its "block") always move and delete together.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Host.h"
#include "ProjectModel.h"
#include "Writers.h"

class QUndoStack;
class TItemTreeModel;

// What the window shows around an edit: the selected items (-1: the slider), the current one and
// the property page. Undo brings back the state before a step, Redo the state after it.
struct TViewState {
  std::vector<int> selected;
  int current = -1;
  int page = -1;  // the window's own page number; -1: the page that suits the selection
  bool operator==(const TViewState&) const = default;
};

class TDocument : public QObject, public IDesignTree {
  Q_OBJECT

 public:
  // programFolder: where the runtime script is (TRunFolders::program). Synchronous saves report
  // to `progress`, and what reading and writing tell goes to `messages` (both may be null).
  // Starts with the default design.
  explicit TDocument(const std::string& programFolder, IProgress* progress = nullptr,
                     IMessages* messages = nullptr, QObject* parent = nullptr);
  ~TDocument() override;

  // --- the design (read-only; edits go through the commands below) ---
  // How saves, previews and publishes write: the picture cache, the runtime's readable source,
  // pictures at twice the height, further formats, the number of workers (Writers.h).
  const TPublishOptions& publishOptions() const { return publishOptions_; }
  void setPublishOptions(const TPublishOptions& options) { publishOptions_ = options; }
  // Where the runtime script is read from and where generated files and the preview folder are
  // made (TRunFolders; the work folder is the program's folder unless set).
  const TRunFolders& runFolders() const { return folders_; }
  void setWorkFolder(const std::string& folder);
  std::string previewFolder() const { return folders_.previewFolder(); }
  // What a writer needs besides the design: the options, the folders, the preview folder's
  // state; progress and messages go where the document's do.
  TRunContext runContext() const;
  // Removes what previews and saves put into the preview folder.
  void clearPreview();
  // Per item: whether the last run that made the pictures found the item's picture.
  const std::vector<TPictureStatus>& pictureStatus() const { return pictureStatus_; }
  // What the last publish that came to its end changed in its folder.
  const TPublishChanges& lastPublish() const { return lastPublish_; }
  const TSliderData& slider() const { return design_.slider; }
  const TItemArray& items() const { return design_.items; }
  int itemCount() const { return int(design_.items.size()); }
  const TItemData& item(int index) const { return design_.items.at(size_t(index)); }
  // The project file's folder (with its separator); empty for a design without a file.
  const std::string& projectFolder() const { return design_.projectFolder; }
  // Where the item's picture is read from: its path, a relative one resolved against the project
  // file's folder (TDesign::picturePath).
  QString picturePath(int index) const;
  int level(int index) const { return index < 0 ? -1 : design_.levels.at(size_t(index)); }
  const std::string& caption(int index) const;  // -1: the slider's
  int parentOf(int index) const;                // -1: a child of the slider
  int blockEnd(int index) const;                // one past the item's last descendant
  int childCount(int parent) const;
  int childAt(int parent, int row) const;
  int rowOf(int index) const;            // among its parent's children
  int previousSibling(int index) const;  // -1 when none
  int nextSibling(int index) const;      // -1 when none
  // The selected items without those inside another selected item's block, in list order.
  std::vector<int> topBlocks(std::vector<int> indexes) const;
  // The design as it stands, as one value; a copy of it is what work on another thread takes,
  // while the user goes on editing.
  const TDesign& design() const { return design_; }
  // The tree model a view shows (one root row for the slider, the items below it).
  TItemTreeModel* itemModel() const { return itemModel_.get(); }

  // --- file and modified state ---
  QString fileName() const { return fileName_; }
  bool isModified() const;
  // A setting that changes what a save writes (not the design) was changed: the design counts as
  // modified until the next save, New or open, so that Save is possible again.
  void markOutputChanged();
  QUndoStack* undoStack() const { return undoStack_.get(); }
  // The default design, no file name, a fresh undo stack.
  void newDesign();
  // Reads a whole project file and checks every value before anything changes. Loaded: the
  // design, the file name (none when `untitled`, as for a template) and a fresh undo stack take
  // over. Rejected, or an exception naming the file, line and field: nothing changes.
  TLoadResult open(const QString& path, bool untitled = false);
  // Publishes beside `path` (the project file, the page, scripts and pictures); the file name
  // becomes `path` and the current step the saved one. Throws TvError; then nothing changes here.
  void save(const QString& path);
  // A save made elsewhere (in the background, from a copy) has finished: the file name becomes
  // `path`, and the current step the saved one if the design is still the copy's (with what
  // applyRun brought back from that save).
  void markSaved(const QString& path, quint64 copyRevision);
  // What a writer's run on a copy of this design found out comes back: what the preview folder
  // holds now and the picture status, and when the run came to its end, what it published and
  // the design as it wrote it (the items' new picture names and sizes, links converted between
  // the local and remote folders). That is one update that cannot be undone, announced field by
  // field as edits are, so that the panels, the tree and the live preview show exactly what was
  // saved.
  void applyRun(const TExportResult& run);
  // Counts every change of the design, undone and redone ones too.
  quint64 revision() const { return revision_; }

  // --- edits: each call is one undoable step; a call that changes nothing pushes nothing ---
  // Where the window's selection and page come from when a step is recorded.
  void setViewStateSource(std::function<TViewState()> source) { viewSource_ = std::move(source); }
  TViewState viewState() const { return viewSource_ ? viewSource_() : TViewState{}; }
  // A new item as the last child of `parent` (-1: the slider); returns its position.
  int insertItem(int parent, const TItemData& data = DefaultItem());
  // One new item per picture file (any format we read), all in one step: children of `parent`
  // (-1: the slider) before its child `row` (-1 or past the last child: after its last one).
  // Returns the names of the files that were not taken.
  QStringList addPictures(const QStringList& paths, int parent = -1, int row = -1);
  // Where a new child of `parent` before its child `row` lands in the item list (as above).
  int insertPosition(int parent, int row) const;
  void deleteItems(const std::vector<int>& indexes);  // each with its block
  void moveUp(const std::vector<int>& indexes);       // each block past its previous sibling
  void moveDown(const std::vector<int>& indexes);
  // Drag and drop: the blocks of `indexes` go, in order, to be children of `parent` before its
  // child `row` (its child count: at the end), their levels following. False when refused (a
  // block dropped into itself) or nothing moves.
  bool moveItems(const std::vector<int>& indexes, int parent, int row);
  // Sets one field on every item listed. `typing`: consecutive typing into the same field of the
  // same items merges into one step until endTyping() (or any other step) closes it.
  void setItemField(const std::vector<int>& indexes, TItemField field, const std::string& value,
                    const QString& text, bool typing = false);
  // Replaces the slider parameters; merges like setItemField when the same fields are typed in.
  void setSlider(const TSliderData& data, const QString& text, bool typing = false);
  void endTyping();
  // Takes the slider parameters in the form the property panels hold them (the names derived from
  // the slider name, numbers and colours written out) without an undoable step, keeping the
  // modified state: right after New or open, so that what is saved is what the panels show.
  void adoptSlider(const TSliderData& data);

  // Items taken out or put back by a step, with their levels and captions.
  struct TBlock {
    TItemArray items;
    std::vector<int> levels;
    std::vector<std::string> captions;
  };

  // --- IDesignTree: node 0 is the slider, node k item k - 1 ---
  int NodeCount() const override { return itemCount() + 1; }
  int Depth(int index) const override;
  std::string Caption(int index) const override;
  void SetCaption(int index, const std::string& caption) override;
  // The captions of items 0, 1, ... as SetCaption sets one, the views told once for each run of
  // neighbouring rows (thousands of rows at once cost the window no more than a few).
  void SetItemCaptions(const std::vector<std::string>& captions);
  // Adds a default item after the parent's block, as an undoable step.
  int AppendChild(int parentIndex, const std::string& caption) override;

 signals:
  void itemsInserted(int first, int count);
  void itemsRemoved(int first, int count);
  void itemsMoved(int first, int count, int to);  // `to`: the block's new first position
  void itemChanged(int index, TItemField field);
  // Once after the itemChanged signals of one change (a field set on several items at once).
  void itemsChanged(const std::vector<int>& indexes, TItemField field);
  void sliderChanged();
  void designReset();  // New and open: everything may differ
  void fileNameChanged(const QString& fileName);
  void modifiedChanged(bool modified);
  // Undo and Redo ask the window to show this selection and page.
  void viewStateRequested(const TViewState& state);

 private:
  friend class TItemTreeModel;
  friend class TDocumentCommand;
  TDesign design_;
  IProgress* progress_;
  IMessages* messages_;
  TPublishOptions publishOptions_;
  TRunFolders folders_;
  TPreviewState preview_;
  std::vector<TPictureStatus> pictureStatus_;
  TPublishChanges lastPublish_;
  std::vector<std::string> captions_;
  std::vector<quint64> ids_;  // stable per item while it lives, for the tree model
  quint64 nextId_ = 2;        // 1: the slider; 0: none
  std::unique_ptr<QUndoStack> undoStack_;
  std::unique_ptr<TItemTreeModel> itemModel_;
  QString fileName_;
  std::function<TViewState()> viewSource_;

  // The parent of every item and the children of every node, made again after a change.
  struct TStructure;
  mutable std::unique_ptr<TStructure> structure_;
  const TStructure& structure() const;
  int positionOf(quint64 id) const;  // -1: the slider (id 0 or 1) or gone
  // The same by a plain search: cheaper while items move many times in a row.
  int findId(quint64 id) const;
  void structureChanged();
  void setFileName(const QString& path);
  void push(class QUndoCommand* command);
  int insertChild(int parent, const TItemData& data, const std::string& caption);

  // The changes the commands make, each keeping the tree model and the signals in step.
  // Puts items in at `first`; the block's first item is one of its roots (the items of the
  // lowest level, all children of one parent).
  void insertBlock(int first, TBlock block);
  // Takes out the items from `first` on: one or more whole sibling blocks.
  TBlock removeBlock(int first, int count);
  // Moves the whole block at `first` to start at `to` (counted without the block) with its levels
  // shifted by `delta`; its items' level texts become `levelTexts` (when given) or their new
  // levels. Returns the level texts the items had.
  std::vector<std::string> moveBlock(int first, int count, int to, int delta,
                                     const std::vector<std::string>* levelTexts = nullptr);
  // Sets the field of each item listed to its value (one value: the same for all); the change
  // signals follow once every item holds its new value.
  void writeFields(const std::vector<int>& indexes, TItemField field,
                   const std::vector<std::string>& values);
  void writeSlider(const TSliderData& data);
  bool outputChanged_ = false;
  void setOutputChanged(bool changed);
  quint64 typingSession_ = 0;
  quint64 revision_ = 0;
  // The revisions before and after the last update applyRun or save brought back.
  quint64 adoptedFrom_ = 0, adoptedTo_ = 0;
  // Announces every field of the design that differs from `slider` and `items` (what it was
  // before a save changed it) as one new revision.
  void announceSaved(const TSliderData& slider, const TItemArray& items);
  void resetDesign(const TSliderData& slider, TItemArray items, std::vector<int> levels,
                   std::vector<std::string> captions);
};
