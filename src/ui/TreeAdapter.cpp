#include "TreeAdapter.h"

#include <stdexcept>

#include "Icons.h"

void TTreeAdapter::Refresh() const {
  if (valid_) return;
  order_.clear();
  index_.clear();
  std::vector<QTreeWidgetItem*> stack;
  for (int i = tree_.topLevelItemCount() - 1; i >= 0; --i) stack.push_back(tree_.topLevelItem(i));
  while (!stack.empty()) {
    QTreeWidgetItem* node = stack.back();
    stack.pop_back();
    index_[node] = int(order_.size());
    order_.push_back(node);
    for (int i = node->childCount() - 1; i >= 0; --i) stack.push_back(node->child(i));
  }
  valid_ = true;
}

int TTreeAdapter::NodeCount() const {
  Refresh();
  return int(order_.size());
}

QTreeWidgetItem* TTreeAdapter::Node(int index) const {
  Refresh();
  if (index < 0 || index >= int(order_.size()))
    throw std::out_of_range("no tree node " + std::to_string(index));
  return order_[size_t(index)];
}

int TTreeAdapter::AbsoluteIndex(const QTreeWidgetItem* node) const {
  if (!node) return -1;
  Refresh();
  const auto found = index_.find(node);
  return found == index_.end() ? -1 : found->second;
}

int TTreeAdapter::DepthOf(const QTreeWidgetItem* node) {
  int depth = 0;
  for (const QTreeWidgetItem* p = node->parent(); p; p = p->parent()) ++depth;
  return depth;
}

int TTreeAdapter::Depth(int index) const { return DepthOf(Node(index)); }

std::string TTreeAdapter::Caption(int index) const {
  return Node(index)->text(0).toStdString();
}

void TTreeAdapter::SetCaption(int index, const std::string& caption) {
  Node(index)->setText(0, QString::fromStdString(caption));
}

int TTreeAdapter::AppendChild(int parentIndex, const std::string& caption) {
  QTreeWidgetItem* parent = Node(parentIndex);
  // The new node follows the parent's whole subtree; when that subtree ends the tree (always so
  // while a file is read), the cached order stays valid.
  const QTreeWidgetItem* last = parent;
  while (last->childCount() > 0) last = last->child(last->childCount() - 1);
  const bool atEnd = AbsoluteIndex(last) == int(order_.size()) - 1;
  auto* node = new QTreeWidgetItem(QStringList{QString::fromStdString(caption)});
  node->setIcon(0, icons::Tree(0));
  parent->addChild(node);
  if (atEnd && valid_) {
    index_[node] = int(order_.size());
    order_.push_back(node);
    return int(order_.size()) - 1;
  }
  valid_ = false;
  return AbsoluteIndex(node);
}
