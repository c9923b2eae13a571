// The design tree: a view of the document's item model. The root row stands for the slider, the
// rows below it for the items. Several items can be selected; Delete, Move Up and Move Down act
// on all of them (each with its block) as one step, and items are dragged to another place.
// Undo and Redo bring back the selection and the page that went with the step.
#include <QMenu>
#include <QTreeView>
#include <QUndoStack>
#include <numeric>

#include "Icons.h"
#include "ItemTreeModel.h"
#include "MainForm.h"
#include "Prompts.h"
#include "TreePictures.h"
#include "images/PictureDecoder.h"
#include "ui_MainForm.h"

void TMainForm::SetUpTree() {
  QTreeView* tree = ui->trvwDesignPanel;
  TItemTreeModel* model = document_->itemModel();
  model->setIcons(icons::Tree(1), icons::Tree(0));
  tree->setModel(model);
  // The selection stays highlighted when the tree loses the focus.
  QPalette palette = tree->palette();
  palette.setColor(QPalette::Inactive, QPalette::Highlight,
                   palette.color(QPalette::Active, QPalette::Highlight));
  palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                   palette.color(QPalette::Active, QPalette::HighlightedText));
  tree->setPalette(palette);
  connect(tree->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &TMainForm::SelectionChanged);
  connect(tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
          &TMainForm::SelectionChanged);
  connect(tree, &QWidget::customContextMenuRequested, this, &TMainForm::ShowTreeMenu);
  tree->installEventFilter(this);  // Shift+F10 (see eventFilter)
  // The item commands' keys (Ins, Del; widget shortcuts) act on the tree only while it has the
  // focus, never while a name or a path is being typed.
  tree->addActions({ui->Insert2, ui->Delete2});
  connect(model, &TItemTreeModel::picturesDropped, this, &TMainForm::ShowDroppedPictures);

  TDocument* d = document_.get();
  document_->setViewStateSource([this] { return ViewState(); });
  connect(d, &TDocument::viewStateRequested, this, &TMainForm::ApplyViewState);
  connect(d, &TDocument::designReset, this, [this] {
    ShowDesign();
    UpdateItemCommands();
  });
  connect(d, &TDocument::itemsInserted, this, [this, tree, d](int first) {
    tree->expand(d->itemModel()->indexOf(d->parentOf(first)));
    UpdateItemCommands();
  });
  connect(d, &TDocument::itemsMoved, this, [this, tree, d](int, int, int to) {
    tree->expand(d->itemModel()->indexOf(d->parentOf(to)));
    UpdateItemCommands();
  });
  connect(d, &TDocument::itemsRemoved, this, &TMainForm::UpdateItemCommands);
  connect(d, &TDocument::itemsChanged, this, &TMainForm::FollowItemChange);
  connect(d, &TDocument::sliderChanged, this, &TMainForm::ShowSliderParameters);
}

void TMainForm::SetUpPictures() {
  TTreePictures::TParts parts;
  parts.window = this;
  parts.tree = ui->trvwDesignPanel;
  parts.pane = ui->pnlPicture;
  parts.smallThumbnails = ui->SmallThumbnails1;
  parts.largeThumbnails = ui->LargeThumbnails1;
  parts.pathOf = [this](const QModelIndex& index) {
    const int item = document_->itemModel()->itemAt(index);
    if (item < 0) return QString();
    return document_->picturePath(item);
  };
  parts.sliderHeight = [this] { return ui->spedt_pHeight->value(); };
  pictures_ = std::make_unique<TTreePictures>(std::move(parts));
  // A path typed, chosen or brought back by Undo is shown (and checked) at once.
  connect(document_.get(), &TDocument::itemsChanged, pictures_.get(),
          [this](const std::vector<int>&, TItemField field) {
            if (field == TItemField::OriginalImagePath) pictures_->ShowSelection();
          });
}

std::vector<int> TMainForm::SelectedItems() const {
  std::vector<int> items;
  for (const QModelIndex& row : ui->trvwDesignPanel->selectionModel()->selectedRows())
    if (const int item = document_->itemModel()->itemAt(row); item >= -1) items.push_back(item);
  std::sort(items.begin(), items.end());
  return items;
}

int TMainForm::CurrentItem() const {
  const int item = document_->itemModel()->itemAt(ui->trvwDesignPanel->currentIndex());
  return item < -1 ? -1 : item;
}

void TMainForm::SelectionChanged() {
  QItemSelectionModel* selection = ui->trvwDesignPanel->selectionModel();
  // Clicking beside the rows (or Ctrl+clicking the only selected one) would leave the commands
  // acting on a node that shows no highlight: the current node stays selected.
  const QModelIndex current = ui->trvwDesignPanel->currentIndex();
  if (!selection->hasSelection() && current.isValid()) {
    selection->select(current, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    return;  // runs again for the new selection
  }
  document_->endTyping();
  UpdatePropertyTabs();
  if (CurrentItem() >= 0) ShowItemParameters();
  UpdateItemCommands();
}

void TMainForm::UpdateItemCommands() {
  const int current = CurrentItem();
  const std::vector<int> blocks = document_->topBlocks(SelectedItems());
  bool up = false, down = false;
  for (int block : blocks) {
    up = up || document_->previousSibling(block) >= 0;
    down = down || document_->nextSibling(block) >= 0;
  }
  for (QAction* a : {ui->Insert1, ui->Insert2, ui->tlbtnInsert}) a->setEnabled(current < 0);
  for (QAction* a : {ui->Delete1, ui->Delete2, ui->tlbtnDelete}) a->setEnabled(!blocks.empty());
  for (QAction* a : {ui->MoveUp1, ui->MoveUp2, ui->tlbtnMoveUp}) a->setEnabled(up);
  for (QAction* a : {ui->MoveDown1, ui->MoveDown2, ui->tlbtnMoveDown}) a->setEnabled(down);
  UpdatePropertyTabs();
}

// The slider shows the Script and Path pages, an item the Item General page; moving from one
// item to another leaves the pages alone.
void TMainForm::UpdatePropertyTabs() {
  const int i = CurrentItem();
  if (shownItem_ != -2 && (i == shownItem_ || (i >= 0 && shownItem_ >= 0))) return;
  QTabWidget* tabs = ui->pgcntrl1;
  const int script = tabs->indexOf(ui->tbshtScript);
  const int item = tabs->indexOf(ui->tbshtItemGeneral);
  const int path = tabs->indexOf(ui->tbshtPath);
  if (i < 0) {
    tabs->setTabVisible(script, true);
    tabs->setTabVisible(path, true);
    tabs->setCurrentIndex(script);
    tabs->setTabVisible(item, false);
  } else {
    tabs->setTabVisible(item, true);
    tabs->setCurrentIndex(item);
    tabs->setTabVisible(script, false);
    tabs->setTabVisible(path, false);
  }
  shownItem_ = i;
}

TViewState TMainForm::ViewState() const {
  return {SelectedItems(), CurrentItem(), ui->pgcntrl1->currentIndex()};
}

void TMainForm::ApplyViewState(const TViewState& state) {
  SelectItems(state.selected, state.current);
  if (state.page >= 0 && ui->pgcntrl1->isTabVisible(state.page))
    ui->pgcntrl1->setCurrentIndex(state.page);
}

void TMainForm::SelectItems(const std::vector<int>& items, int current) {
  const TItemTreeModel* model = document_->itemModel();
  QItemSelection selection;
  for (int item : items)
    if (const QModelIndex index = model->indexOf(item); index.isValid())
      selection.select(index, index);
  QItemSelectionModel* selected = ui->trvwDesignPanel->selectionModel();
  const QModelIndex currentIndex = model->indexOf(current);
  if (selection.isEmpty()) selection.select(currentIndex, currentIndex);
  if (selected->selection() == selection && selected->currentIndex() == currentIndex) return;
  selected->setCurrentIndex(currentIndex, QItemSelectionModel::NoUpdate);
  selected->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  ui->trvwDesignPanel->scrollTo(currentIndex);
}

void TMainForm::ShowTreeMenu(const QPoint& position) {
  // A right click on a node outside the selection selects that node alone.
  const QModelIndex at = ui->trvwDesignPanel->indexAt(position);
  if (at.isValid() && !ui->trvwDesignPanel->selectionModel()->isSelected(at))
    SelectItems({document_->itemModel()->itemAt(at)}, document_->itemModel()->itemAt(at));
  UpdateItemCommands();
  popupMenu_->popup(ui->trvwDesignPanel->viewport()->mapToGlobal(position));
}

void TMainForm::ShowDesign() {
  ui->trvwDesignPanel->expand(document_->itemModel()->indexOf(-1));
  SelectItems({-1}, -1);
  ShowSliderParameters();
  // What is saved is what the panels show (the names derived from the slider name, ...). The
  // panels stay as they are: a path option of an older file keeps neither button selected.
  adoptingPanels_ = true;
  document_->adoptSlider(SliderFromPanels());
  adoptingPanels_ = false;
  UpdatePropertyTabs();
}

void TMainForm::ShowPictureStatus() {
  const std::vector<TPictureStatus>& status = document_->agent().PictureStatus();
  std::vector<std::string> captions;
  for (int k = 1; k <= int(status.size()) && k <= document_->itemCount(); ++k)
    captions.push_back(status[size_t(k - 1)] == TPictureStatus::Found
                           ? "Item"
                           : "Warning: Original image not found.");
  document_->SetItemCaptions(captions);
}

// --- the item commands ---
void TMainForm::insertItem() {
  const int item = document_->insertItem(CurrentItem());
  if (item >= 0) ui->trvwDesignPanel->scrollTo(document_->itemModel()->indexOf(item));
}

void TMainForm::deleteItems() {
  std::vector<int> items = SelectedItems();
  items.erase(std::remove(items.begin(), items.end(), -1), items.end());
  if (items.empty()) {
    prompt::Message(this, TMessageKind::Error, QStringLiteral("Root item cannot be deleted."),
                    {TButton::Ok});
    return;
  }
  const QString question =
      items.size() == 1 ? QStringLiteral("Are you sure to delete this item and all its children?")
                        : QStringLiteral(
                              "Are you sure to delete these %1 items and all their "
                              "children?")
                              .arg(items.size());
  if (prompt::Message(this, TMessageKind::Warning, question, {TButton::Yes, TButton::No}) ==
      TButton::Yes)
    document_->deleteItems(items);
}

void TMainForm::moveItemsUp() { document_->moveUp(SelectedItems()); }
void TMainForm::moveItemsDown() { document_->moveDown(SelectedItems()); }

void TMainForm::undo() {
  document_->endTyping();
  document_->undoStack()->undo();
}

void TMainForm::redo() {
  document_->endTyping();
  document_->undoStack()->redo();
}

// The new items are selected and shown where they landed; files that are no pictures are named.
void TMainForm::ShowDroppedPictures(int first, int count, const QStringList& refused) {
  if (count > 0) {
    std::vector<int> added(static_cast<size_t>(count));
    std::iota(added.begin(), added.end(), first);
    SelectItems(added, first);
    QTreeView* tree = ui->trvwDesignPanel;
    const TItemTreeModel* model = document_->itemModel();
    tree->scrollTo(model->indexOf(first + count - 1));
    tree->scrollTo(model->indexOf(first));
  }
  if (refused.isEmpty()) return;
  prompt::Message(this, TMessageKind::Warning,
                  QStringLiteral("Only pictures (%1 files) can be added to the slider. These "
                                 "files were not added:\n")
                          .arg(QString::fromLatin1(images::ReadableFormats())) +
                      refused.join('\n'),
                  {TButton::Ok});
}
