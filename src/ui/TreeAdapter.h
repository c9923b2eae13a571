// Lets the model work on the window's tree widget through its tree interface. Nodes are found by
// their absolute index (depth-first, parent before children, the root is 0) through a cached
// depth-first list, so building a tree of many items costs time in proportion to their number.
#pragma once

#include <QTreeWidget>
#include <unordered_map>
#include <vector>

#include "Host.h"

class TTreeAdapter : public IDesignTree {
 public:
  explicit TTreeAdapter(QTreeWidget& tree) : tree_(tree) {}

  int NodeCount() const override;
  int Depth(int index) const override;
  std::string Caption(int index) const override;
  void SetCaption(int index, const std::string& caption) override;
  int AppendChild(int parentIndex, const std::string& caption) override;

  QTreeWidgetItem* Node(int index) const;
  int AbsoluteIndex(const QTreeWidgetItem* node) const;  // -1 for none
  QTreeWidgetItem* Root() const { return tree_.topLevelItem(0); }
  static int DepthOf(const QTreeWidgetItem* node);
  // Must be called after the tree's structure was changed other than through AppendChild.
  void Invalidate() { valid_ = false; }

 private:
  QTreeWidget& tree_;
  mutable std::vector<QTreeWidgetItem*> order_;
  mutable std::unordered_map<const QTreeWidgetItem*, int> index_;
  mutable bool valid_ = false;
  void Refresh() const;
};
