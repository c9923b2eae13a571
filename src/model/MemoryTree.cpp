#include "MemoryTree.h"

#include <algorithm>

#include "Errors.h"

TMemoryTree::TMemoryTree(const std::string& rootCaption) {
  nodes_.push_back({rootCaption, -1, 0});
  lastPath_.push_back(0);
}

void TMemoryTree::CheckIndex(int index) const {
  if (index < 0 || index >= NodeCount()) {
    throw TvError("Tree node " + std::to_string(index) + " does not exist");
  }
}

int TMemoryTree::NodeCount() const { return static_cast<int>(nodes_.size()); }

int TMemoryTree::Depth(int index) const {
  CheckIndex(index);
  return nodes_[static_cast<size_t>(index)].depth;
}

std::string TMemoryTree::Caption(int index) const {
  CheckIndex(index);
  return nodes_[static_cast<size_t>(index)].caption;
}

void TMemoryTree::SetCaption(int index, const std::string& caption) {
  CheckIndex(index);
  nodes_[static_cast<size_t>(index)].caption = caption;
}

int TMemoryTree::AppendChild(int parentIndex, const std::string& caption) {
  CheckIndex(parentIndex);
  const int parentDepth = nodes_[static_cast<size_t>(parentIndex)].depth;
  const size_t d = static_cast<size_t>(parentDepth);
  if (d < lastPath_.size() && lastPath_[d] == parentIndex) {
    // The parent is the last node or one of its ancestors: its subtree ends with the last node,
    // so the child simply goes to the end. This is how a tree is built, and it costs O(1).
    nodes_.push_back(Node{caption, parentIndex, parentDepth + 1});
    lastPath_.resize(d + 1);
    lastPath_.push_back(static_cast<int>(nodes_.size()) - 1);
    return lastPath_.back();
  }
  // Otherwise the new child goes after the parent's whole subtree, which in depth-first order
  // ends at the first later node that is not deeper than the parent.
  size_t at = static_cast<size_t>(parentIndex) + 1;
  while (at < nodes_.size() && nodes_[at].depth > parentDepth) ++at;
  nodes_.insert(nodes_.begin() + static_cast<std::ptrdiff_t>(at),
                Node{caption, parentIndex, parentDepth + 1});
  // Nodes behind the insertion moved one place on: so did their parent links.
  for (size_t i = at + 1; i < nodes_.size(); ++i) {
    if (nodes_[i].parent >= static_cast<int>(at)) ++nodes_[i].parent;
  }
  RebuildLastPath();
  return static_cast<int>(at);
}

void TMemoryTree::RebuildLastPath() {
  lastPath_.clear();
  for (int i = static_cast<int>(nodes_.size()) - 1; i >= 0;
       i = nodes_[static_cast<size_t>(i)].parent) {
    lastPath_.push_back(i);
  }
  std::reverse(lastPath_.begin(), lastPath_.end());
}

void TMemoryTree::Clear() {
  nodes_.resize(1);
  lastPath_.assign(1, 0);
}

int TMemoryTree::Parent(int index) const {
  CheckIndex(index);
  return nodes_[static_cast<size_t>(index)].parent;
}

std::vector<int> TMemoryTree::Children(int index) const {
  CheckIndex(index);
  std::vector<int> children;
  for (int i = index + 1; i < NodeCount() && nodes_[static_cast<size_t>(i)].depth > Depth(index);
       ++i) {
    if (nodes_[static_cast<size_t>(i)].parent == index) children.push_back(i);
  }
  return children;
}

int TLevelsTree::Depth(int index) const {
  return index == 0 ? 0 : levels_.at(size_t(index) - 1) + 1;
}

int TLevelsTree::AppendChild(int, const std::string&) {
  throw TvError("A design's levels take no new items");
}
