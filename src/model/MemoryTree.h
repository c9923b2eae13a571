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

  // A copy of any design tree: its shape and captions, for work away from the window's tree.
  static TMemoryTree CopyOf(const IDesignTree& tree);
  // Sets every caption of `to` that differs from the node of `from` at the same index; both trees
  // have the same shape.
  static void CopyCaptions(const IDesignTree& from, IDesignTree& to);

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
