#include "DesignTreeController.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QTabWidget>
#include <QTreeView>
#include <QUndoStack>
#include <numeric>

#include "Icons.h"
#include "ItemTreeModel.h"
#include "ModelText.h"
#include "Prompts.h"
#include "images/PictureDecoder.h"

TDesignTreeController::TDesignTreeController(TDocument& document, TParts parts, QObject* parent)
    : QObject(parent), document_(document), parts_(std::move(parts)) {
  QTreeView* tree = parts_.tree;
  TItemTreeModel* model = document_.itemModel();
  model->setIcons(icons::Tree(1), icons::Tree(0));
  tree->setModel(model);
  // Every row is as high as its picture box: the view need not measure thousands of rows to lay
  // out a long design (opening 2,000 items held the window for some 40 ms doing it).
  tree->setUniformRowHeights(true);
  // The selection stays highlighted when the tree loses the focus.
  QPalette palette = tree->palette();
  palette.setColor(QPalette::Inactive, QPalette::Highlight,
                   palette.color(QPalette::Active, QPalette::Highlight));
  palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                   palette.color(QPalette::Active, QPalette::HighlightedText));
  tree->setPalette(palette);
  connect(tree->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &TDesignTreeController::followSelection);
  connect(tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
          &TDesignTreeController::followSelection);
  connect(tree, &QWidget::customContextMenuRequested, this, &TDesignTreeController::showTreeMenu);
  tree->installEventFilter(this);              // Shift+F10 (see eventFilter)
  tree->viewport()->installEventFilter(this);  // clicks (see eventFilter)
  // The item commands' keys (Ins, Del; widget shortcuts) act on the tree only while it has the
  // focus, never while a name or a path is being typed.
  tree->addActions(parts_.treeKeys);
  connect(model, &TItemTreeModel::picturesDropped, this,
          &TDesignTreeController::showDroppedPictures);

  auto bind = [this](const QList<QAction*>& actions, void (TDesignTreeController::*slot)()) {
    for (QAction* action : actions) connect(action, &QAction::triggered, this, slot);
  };
  bind(parts_.insert, &TDesignTreeController::insertItem);
  bind(parts_.remove, &TDesignTreeController::deleteItems);
  bind(parts_.moveUp, &TDesignTreeController::moveItemsUp);
  bind(parts_.moveDown, &TDesignTreeController::moveItemsDown);
  popupMenu_ = new QMenu(parts_.window);
  popupMenu_->setObjectName("PopupMenu1");
  popupMenu_->addActions({parts_.insert.front(), parts_.remove.front(), parts_.moveUp.front(),
                          parts_.moveDown.front()});

  TDocument* d = &document_;
  document_.setViewStateSource([this] { return viewState(); });
  connect(d, &TDocument::viewStateRequested, this, &TDesignTreeController::applyViewState);
  connect(d, &TDocument::designReset, this, [this] {
    showDesign();
    updateItemCommands();
  });
  connect(d, &TDocument::itemsInserted, this, [this, tree, d](int first) {
    tree->expand(d->itemModel()->indexOf(d->parentOf(first)));
    updateItemCommands();
  });
  connect(d, &TDocument::itemsMoved, this, [this, tree, d](int, int, int to) {
    tree->expand(d->itemModel()->indexOf(d->parentOf(to)));
    updateItemCommands();
  });
  connect(d, &TDocument::itemsRemoved, this, &TDesignTreeController::updateItemCommands);
}

std::vector<int> TDesignTreeController::selectedItems() const {
  std::vector<int> items;
  for (const QModelIndex& row : parts_.tree->selectionModel()->selectedRows())
    if (const int item = document_.itemModel()->itemAt(row); item >= -1) items.push_back(item);
  std::sort(items.begin(), items.end());
  return items;
}

int TDesignTreeController::currentItem() const {
  const int item = document_.itemModel()->itemAt(parts_.tree->currentIndex());
  return item < -1 ? -1 : item;
}

void TDesignTreeController::followSelection() {
  QItemSelectionModel* selection = parts_.tree->selectionModel();
  // Clicking beside the rows (or Ctrl+clicking the only selected one) would leave the commands
  // acting on a node that shows no highlight: the current node stays selected.
  const QModelIndex current = parts_.tree->currentIndex();
  if (!selection->hasSelection() && current.isValid()) {
    selection->select(current, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    return;  // runs again for the new selection
  }
  document_.endTyping();
  updatePages();
  emit selectionChanged(currentItem());
  updateItemCommands();
}

void TDesignTreeController::updateItemCommands() {
  const int current = currentItem();
  const std::vector<int> blocks = document_.topBlocks(selectedItems());
  bool up = false, down = false;
  for (int block : blocks) {
    up = up || document_.previousSibling(block) >= 0;
    down = down || document_.nextSibling(block) >= 0;
  }
  for (QAction* a : parts_.insert) a->setEnabled(current < 0);
  for (QAction* a : parts_.remove) a->setEnabled(!blocks.empty());
  for (QAction* a : parts_.moveUp) a->setEnabled(up);
  for (QAction* a : parts_.moveDown) a->setEnabled(down);
  updatePages();
}

// The slider shows the Script and Path pages, an item the Item General page; moving from one
// item to another leaves the pages alone.
void TDesignTreeController::updatePages() {
  const int i = currentItem();
  if (shownItem_ != -2 && (i == shownItem_ || (i >= 0 && shownItem_ >= 0))) return;
  QTabWidget* tabs = parts_.pages;
  const int script = tabs->indexOf(parts_.sliderPage);
  const int item = tabs->indexOf(parts_.itemPage);
  const int path = tabs->indexOf(parts_.pathPage);
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

TViewState TDesignTreeController::viewState() const {
  return {selectedItems(), currentItem(), parts_.pages->currentIndex()};
}

void TDesignTreeController::applyViewState(const TViewState& state) {
  selectItems(state.selected, state.current);
  if (state.page >= 0 && parts_.pages->isTabVisible(state.page))
    parts_.pages->setCurrentIndex(state.page);
}

void TDesignTreeController::selectItems(const std::vector<int>& items, int current) {
  const TItemTreeModel* model = document_.itemModel();
  QItemSelection selection;
  for (int item : items)
    if (const QModelIndex index = model->indexOf(item); index.isValid())
      selection.select(index, index);
  QItemSelectionModel* selected = parts_.tree->selectionModel();
  const QModelIndex currentIndex = model->indexOf(current);
  if (selection.isEmpty()) selection.select(currentIndex, currentIndex);
  if (selected->selection() == selection && selected->currentIndex() == currentIndex) return;
  selected->setCurrentIndex(currentIndex, QItemSelectionModel::NoUpdate);
  selected->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  parts_.tree->scrollTo(currentIndex);
}

void TDesignTreeController::showTreeMenu(const QPoint& position) {
  // A right click on a node outside the selection selects that node alone.
  QTreeView* tree = parts_.tree;
  const QModelIndex at = tree->indexAt(position);
  if (at.isValid() && !tree->selectionModel()->isSelected(at))
    selectItems({document_.itemModel()->itemAt(at)}, document_.itemModel()->itemAt(at));
  updateItemCommands();
  popupMenu_->popup(tree->viewport()->mapToGlobal(position));
}

bool TDesignTreeController::eventFilter(QObject* watched, QEvent* event) {
  QTreeView* tree = parts_.tree;
  if (watched == tree->viewport() && event->type() == QEvent::MouseButtonPress) {
    // A click into the tree sets the item commands for the node then selected, also when the
    // selection stays (the slider, right after start-up): once the tree has handled the click.
    QMetaObject::invokeMethod(this, &TDesignTreeController::updateItemCommands,
                              Qt::QueuedConnection);
  }
  if (watched == tree && event->type() == QEvent::KeyPress) {
    // Shift+F10 opens the pop-up menu for the current node, as the menu key does.
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier) {
      showTreeMenu(tree->currentIndex().isValid() ? tree->visualRect(tree->currentIndex()).center()
                                                  : QPoint());
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}

void TDesignTreeController::showDesign() {
  parts_.tree->expand(document_.itemModel()->indexOf(-1));
  selectItems({-1}, -1);
  updatePages();
}

void TDesignTreeController::showPictureStatus() {
  const std::vector<TPictureStatus>& status = document_.pictureStatus();
  // In one go: set one by one, thousands of changed rows would each be measured again.
  std::vector<std::string> captions;
  for (int k = 1; k <= int(status.size()) && k <= document_.itemCount(); ++k)
    captions.push_back(status[size_t(k - 1)] == TPictureStatus::Found
                           ? "Item"
                           : "Warning: Original image not found.");  // shown translated
  document_.SetItemCaptions(captions);
}

// --- the item commands ---
void TDesignTreeController::insertItem() {
  const int item = document_.insertItem(currentItem());
  if (item >= 0) parts_.tree->scrollTo(document_.itemModel()->indexOf(item));
}

void TDesignTreeController::deleteItems() {
  std::vector<int> items = selectedItems();
  items.erase(std::remove(items.begin(), items.end(), -1), items.end());
  if (items.empty()) {
    prompt::Message(parts_.window, TMessageKind::Error, tr("Root item cannot be deleted."),
                    {TButton::Ok});
    return;
  }
  const QString question =
      items.size() == 1
          ? tr("Are you sure to delete this item and all its children?")
          : tr("Are you sure to delete these %L1 items and all their children?").arg(items.size());
  if (prompt::Message(parts_.window, TMessageKind::Warning, question,
                      {TButton::Yes, TButton::No}) == TButton::Yes)
    document_.deleteItems(items);
}

void TDesignTreeController::moveItemsUp() { document_.moveUp(selectedItems()); }
void TDesignTreeController::moveItemsDown() { document_.moveDown(selectedItems()); }

void TDesignTreeController::undo() {
  document_.endTyping();
  document_.undoStack()->undo();
}

void TDesignTreeController::redo() {
  document_.endTyping();
  document_.undoStack()->redo();
}

// The new items are selected and shown where they landed; files that are no pictures are named.
void TDesignTreeController::showDroppedPictures(int first, int count, const QStringList& refused) {
  if (count > 0) {
    std::vector<int> added(static_cast<size_t>(count));
    std::iota(added.begin(), added.end(), first);
    selectItems(added, first);
    const TItemTreeModel* model = document_.itemModel();
    parts_.tree->scrollTo(model->indexOf(first + count - 1));
    parts_.tree->scrollTo(model->indexOf(first));
  }
  if (refused.isEmpty()) return;
  prompt::Message(parts_.window, TMessageKind::Warning,
                  tr("Only pictures (%1 files) can be added to the slider. These files were not "
                     "added:\n")
                          .arg(modeltext::Shown(images::ReadableFormats())) +
                      refused.join('\n'),
                  {TButton::Ok});
}
