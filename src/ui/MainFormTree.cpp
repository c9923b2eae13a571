// The design tree: the root stands for the slider, the node at absolute index n for item n - 1.
// Insert, Delete, Move Up and Move Down keep the model's item list in the tree's order; moves
// carry whole subtrees, so nesting read from a file stays intact.
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QSignalBlocker>
#include <QUrl>

#include "Icons.h"
#include "MainForm.h"
#include "Prompts.h"
#include "ui_MainForm.h"

namespace {
QTreeWidgetItem* PreviousSibling(QTreeWidgetItem* node) {
  QTreeWidgetItem* parent = node ? node->parent() : nullptr;
  if (!parent) return nullptr;
  const int i = parent->indexOfChild(node);
  return i > 0 ? parent->child(i - 1) : nullptr;
}
QTreeWidgetItem* NextSibling(QTreeWidgetItem* node) {
  QTreeWidgetItem* parent = node ? node->parent() : nullptr;
  if (!parent) return nullptr;
  const int i = parent->indexOfChild(node);
  return i + 1 < parent->childCount() ? parent->child(i + 1) : nullptr;
}
void CollectExpanded(QTreeWidgetItem* node, QList<QTreeWidgetItem*>& expanded) {
  if (node->isExpanded()) expanded << node;
  for (int i = 0; i < node->childCount(); ++i) CollectExpanded(node->child(i), expanded);
}
}  // namespace

void TMainForm::SetUpTree() {
  QTreeWidget* tree = ui->trvwDesignPanel;
  // The selection stays highlighted when the tree loses the focus.
  QPalette palette = tree->palette();
  palette.setColor(QPalette::Inactive, QPalette::Highlight,
                   palette.color(QPalette::Active, QPalette::Highlight));
  palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                   palette.color(QPalette::Active, QPalette::HighlightedText));
  tree->setPalette(palette);
  tree->viewport()->setAcceptDrops(true);
  connect(tree, &QTreeWidget::currentItemChanged, this, &TMainForm::trvwDesignPanelChange);
  // The commands act on the current node, so it stays highlighted: a click into empty space or a
  // Ctrl+click on it selects it again.
  connect(tree, &QTreeWidget::itemSelectionChanged, this, [tree] {
    if (tree->currentItem() && !tree->currentItem()->isSelected())
      tree->currentItem()->setSelected(true);
  });
  tree->installEventFilter(this);  // Shift+F10 (see eventFilter)
  connect(tree, &QWidget::customContextMenuRequested, this,
          &TMainForm::trvwDesignPanelContextMenu);
}

int TMainForm::SelectedIndex() const {
  return treeAdapter_->AbsoluteIndex(ui->trvwDesignPanel->currentItem());
}

void TMainForm::RootReset(bool keepRebuilding) {
  TreeRebuilding = true;
  {
    const QSignalBlocker quiet(ui->trvwDesignPanel);
    ui->trvwDesignPanel->clear();
  }
  treeAdapter_->Invalidate();
  TreeRebuilding = keepRebuilding;
  auto* root = new QTreeWidgetItem(QStringList{QStringLiteral("Torvane")});
  root->setIcon(0, icons::Tree(1));
  ui->trvwDesignPanel->addTopLevelItem(root);
  treeAdapter_->Invalidate();
  ui->trvwDesignPanel->setCurrentItem(root);
}

void TMainForm::trvwDesignPanelChange() {
  if (TreeRebuilding) return;
  UpdatePropertyTabs();
  if (EditedItemNode) StoreItemParameters(treeAdapter_->AbsoluteIndex(EditedItemNode) - 1);
  QTreeWidgetItem* selected = ui->trvwDesignPanel->currentItem();
  if (!selected || selected == treeAdapter_->Root()) return;
  if (EditedItemNode != selected) {
    EditedItemNode = selected;
    ShowItemParameters(treeAdapter_->AbsoluteIndex(selected) - 1);
  }
  UpdateItemCommands();
}

void TMainForm::trvwDesignPanelMouseDown() {
  if (TreeRebuilding || !ui->trvwDesignPanel->currentItem()) return;
  UpdateItemCommands();
}

void TMainForm::trvwDesignPanelContextMenu(const QPoint& position) {
  if (QTreeWidgetItem* node = ui->trvwDesignPanel->itemAt(position)) {
    ui->trvwDesignPanel->setCurrentItem(node);
    trvwDesignPanelMouseDown();
  }
  popupMenu_->popup(ui->trvwDesignPanel->viewport()->mapToGlobal(position));
}

void TMainForm::UpdateItemCommands() {
  QTreeWidgetItem* selected = ui->trvwDesignPanel->currentItem();
  if (!selected) return;
  const bool root = selected == treeAdapter_->Root();
  const bool up = !root && PreviousSibling(selected);
  const bool down = !root && NextSibling(selected);
  for (QAction* a : {ui->Insert1, ui->Insert2, ui->tlbtnInsert}) a->setEnabled(root);
  for (QAction* a : {ui->Delete1, ui->Delete2, ui->tlbtnDelete}) a->setEnabled(!root);
  for (QAction* a : {ui->MoveUp1, ui->MoveUp2, ui->tlbtnMoveUp}) a->setEnabled(up);
  for (QAction* a : {ui->MoveDown1, ui->MoveDown2, ui->tlbtnMoveDown}) a->setEnabled(down);
  UpdatePropertyTabs();
}

void TMainForm::UpdatePropertyTabs() {
  const int i = SelectedIndex();
  if (i < 0) return;
  if (ShownTabsIndex != -2009 && (i == ShownTabsIndex || (i > 0 && ShownTabsIndex > 0))) return;
  QTabWidget* tabs = ui->pgcntrl1;
  const int script = tabs->indexOf(ui->tbshtScript);
  const int item = tabs->indexOf(ui->tbshtItemGeneral);
  const int path = tabs->indexOf(ui->tbshtPath);
  if (i == 0) {
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
  ShownTabsIndex = i;
}

void TMainForm::ShowPictureStatus() {
  const std::vector<TPictureStatus>& status = model_->PictureStatus();
  for (int k = 1; k <= int(status.size()) && k < treeAdapter_->NodeCount(); ++k)
    treeAdapter_->SetCaption(k, status[size_t(k - 1)] == TPictureStatus::Found
                                    ? "Item"
                                    : "Warning: Original image not found.");
}

void TMainForm::CountDescendants(QTreeWidgetItem* node) {
  if (node->childCount() == 0) return;
  DescendantCount += node->childCount();
  for (int i = 0; i < node->childCount(); ++i) CountDescendants(node->child(i));
}

void TMainForm::Insert1Click() {
  MarkModified();
  QTreeWidgetItem* selected = ui->trvwDesignPanel->currentItem();
  if (!selected) selected = treeAdapter_->Root();
  TItemData record = TqelAppletAgent::DefaultItemData();
  const int index = treeAdapter_->AppendChild(treeAdapter_->AbsoluteIndex(selected), "Item");
  selected->setExpanded(true);
  record.ILevel = std::to_string(treeAdapter_->Depth(index) - 1);
  model_->InsertItem(index - 1, record);
  UpdateItemCommands();
}

void TMainForm::Delete1Click() {
  QTreeWidgetItem* selected = ui->trvwDesignPanel->currentItem();
  if (!selected) return;
  if (selected == treeAdapter_->Root()) {
    prompt::Message(this, TMessageKind::Error, QStringLiteral("Root item cannot be deleted."),
                    {TButton::Ok});
    return;
  }
  if (prompt::Message(this, TMessageKind::Warning,
                      QStringLiteral("Are you sure to delete this item and all its children?"),
                      {TButton::Yes, TButton::No}) != TButton::Yes)
    return;
  MarkModified();
  const int first = treeAdapter_->AbsoluteIndex(selected) - 1;
  DescendantCount = 0;
  CountDescendants(selected);
  const int count = DescendantCount + 1;
  for (int k = 0; k < count; ++k) model_->DeleteItem(first);
  EditedItemNode = nullptr;

  // The control would pick a neighbour while the node goes; pick it ourselves, quietly, and run
  // the selection change once on the finished tree.
  QTreeWidgetItem* neighbour = NextSibling(selected);
  if (!neighbour) neighbour = PreviousSibling(selected);
  if (!neighbour) neighbour = selected->parent();
  {
    const QSignalBlocker quiet(ui->trvwDesignPanel);
    delete selected;
    treeAdapter_->Invalidate();
    ui->trvwDesignPanel->setCurrentItem(neighbour);
  }
  trvwDesignPanelChange();
  UpdateItemCommands();
}

void TMainForm::MoveBlock(QTreeWidgetItem* node) {
  // Moves `node` with its subtree to just before its previous sibling.
  QTreeWidgetItem* parent = node->parent();
  QList<QTreeWidgetItem*> expanded;
  CollectExpanded(node, expanded);
  QTreeWidgetItem* current = ui->trvwDesignPanel->currentItem();
  {
    const QSignalBlocker quiet(ui->trvwDesignPanel);
    const int i = parent->indexOfChild(node);
    parent->takeChild(i);
    parent->insertChild(i - 1, node);
    for (QTreeWidgetItem* e : expanded) e->setExpanded(true);
    treeAdapter_->Invalidate();
    ui->trvwDesignPanel->setCurrentItem(current);
  }
}

// Carries `block` (a node with its subtree) to just before its previous sibling `before`, in the
// model first (each of the block's items moves past every item of the other block, one exchange
// at a time) and then in the tree.
void TMainForm::CarryBefore(QTreeWidgetItem* block, QTreeWidgetItem* before) {
  const int first = treeAdapter_->AbsoluteIndex(block) - 1;
  DescendantCount = 0;
  CountDescendants(before);
  const int passed = DescendantCount + 1;
  DescendantCount = 0;
  CountDescendants(block);
  const int carried = DescendantCount + 1;
  for (int k = 0; k < carried; ++k)
    for (int j = 0; j < passed; ++j) model_->ExchangeWithPrevious(first + k - j);
  MoveBlock(block);
  MarkModified();
}

void TMainForm::MoveUp1Click() {
  QTreeWidgetItem* selected = ui->trvwDesignPanel->currentItem();
  if (QTreeWidgetItem* previous = PreviousSibling(selected); previous && selected != treeAdapter_->Root())
    CarryBefore(selected, previous);  // a move that cannot be made changes nothing
  UpdateItemCommands();
}

// Mirrors Move Up: the next sibling is carried up past the selected node.
void TMainForm::MoveDown1Click() {
  QTreeWidgetItem* selected = ui->trvwDesignPanel->currentItem();
  if (QTreeWidgetItem* next = NextSibling(selected); next && selected != treeAdapter_->Root())
    CarryBefore(next, selected);
  UpdateItemCommands();
}

QStringList TMainForm::AppendPictureItems(const QStringList& paths) {
  QStringList refused;
  QTreeWidgetItem* root = treeAdapter_->Root();
  bool added = false;
  for (const QString& path : paths) {
    const QFileInfo info(path);
    const QString suffix = info.suffix().toLower();
    const bool jpeg = (suffix == "jpg" || suffix == "jpeg") && info.isFile();
    if (!jpeg || path.contains(QString::fromStdString(model_->Separator))) {
      refused << info.fileName();
      continue;
    }
    TItemData record = TqelAppletAgent::DefaultItemData();
    record.OriginalImagePath = QDir::toNativeSeparators(info.absoluteFilePath()).toStdString();
    const int index = treeAdapter_->AppendChild(0, "Item");
    record.ILevel = "0";
    model_->InsertItem(index - 1, record);
    added = true;
  }
  if (added) {
    root->setExpanded(true);
    MarkModified();
    UpdateItemCommands();
  }
  return refused;
}

void TMainForm::TreeDropEvent(QDropEvent* event) {
  QStringList paths;
  for (const QUrl& url : event->mimeData()->urls())
    if (url.isLocalFile()) paths << url.toLocalFile();
  event->acceptProposedAction();
  RunCommand(this, [&] {
    const QStringList refused = AppendPictureItems(paths);
    if (!refused.isEmpty())
      prompt::Message(this, TMessageKind::Warning,
                      QStringLiteral("Only JPEG pictures can be added to the slider. These files "
                                     "were not added:\n") +
                          refused.join('\n'),
                      {TButton::Ok});
  });
}
