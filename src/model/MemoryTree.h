// A design tree held in memory: used by the command-line publisher and the tests; the window's
// open design (TDocument) is a design tree of its own.
#pragma once

#include <string>
#include <vector>

#include "Host.h"

class TMemoryTree : public IDesignTree {
 public:
  // Starts with the root node only.
  explicit TMemoryTree(const std::string& rootCaption = "Torvane");

  int NodeCount() const override;
  int Depth(int index) const override;
  std::string Caption(int index) const override;
  void SetCaption(int index, const std::string& caption) override;
  // Constant time when the parent is the last node or one of its ancestors (building a tree in
  // depth-first order); otherwise linear in the number of nodes.
  int AppendChild(int parentIndex, const std::string& caption) override;

  // Removes every node but the root.
  void Clear();
  // Absolute index of the parent (-1 for the root).
  int Parent(int index) const;
  // The absolute indices of a node's children, in order.
  std::vector<int> Children(int index) const;

 private:
  struct Node {
    std::string caption;
    int parent;
    int depth;
  };
  // Kept in depth-first order, so a node's absolute index is its position here.
  std::vector<Node> nodes_;
  // The path from the root to the last node (absolute indices by depth): a child of any of these
  // is appended at the end in constant time.
  std::vector<int> lastPath_;
  void CheckIndex(int index) const;
  void RebuildLastPath();
};

// A design's item levels (TDesign::levels) as the tree the model's writers read them from: node 0
// is the slider, node k item k - 1. It has no captions and takes no new nodes.
class TLevelsTree : public IDesignTree {
 public:
  explicit TLevelsTree(const std::vector<int>& levels) : levels_(levels) {}
  int NodeCount() const override { return int(levels_.size()) + 1; }
  int Depth(int index) const override;
  std::string Caption(int) const override { return {}; }
  void SetCaption(int, const std::string&) override {}
  int AppendChild(int parentIndex, const std::string& caption) override;

 private:
  const std::vector<int>& levels_;
};
