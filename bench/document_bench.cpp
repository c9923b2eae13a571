// Times the document's edits on a large design and measures what the undo stack holds.
// Not a test: `cmake --build BUILD --target document_bench && BUILD/bin/document_bench`.
// The edits are timed with a tree view showing the design (offscreen), as in the window.
#include <malloc.h>

#include <QApplication>
#include <QTreeView>
#include <QUndoStack>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "Document.h"
#include "ItemTreeModel.h"
#include "MemoryTree.h"

namespace {
double Seconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

size_t HeapInUse() { return mallinfo2().uordblks; }

// A project of `count` items: the first half one nested block (item 0 and its descendants at
// levels 1 and 2), the rest top-level items.
std::string WriteDesign(const std::string& folder, int count) {
  TProjectModel model(folder);
  model.LoadDefaults();
  model.Items.reserve(size_t(count));
  for (int i = 0; i < count; ++i) {
    TItemData item = DefaultItem();
    item.originalPath = folder + "/photo" + std::to_string(i) + ".jpg";
    item.link = "https://example.org/page" + std::to_string(i) + ".html";
    item.level = i == 0 || i >= count / 2 ? "0" : (i % 2 ? "1" : "2");
    model.Items.push_back(item);
  }
  const std::string path = folder + "/design" + std::to_string(count) + ".tvn";
  model.SaveProject(path);
  return path;
}
}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const std::string folder =
      (std::filesystem::temp_directory_path() / "torvane-document-bench").string();
  std::filesystem::create_directories(folder);

  const std::string big = WriteDesign(folder, 200000);
  TProjectModel plain(folder);
  TMemoryTree tree;
  std::printf("open 200,000 items, model and tree alone: %.3f s\n",
              Seconds([&] { plain.OpenProject(big, tree); }));
  TDocument large(folder);
  std::printf("open 200,000 items, document:           %.3f s\n",
              Seconds([&] { large.open(QString::fromStdString(big)); }));

  const std::string medium = WriteDesign(folder, 20000);
  const size_t empty = HeapInUse();
  TDocument d(folder);
  d.open(QString::fromStdString(medium));
  std::printf("20,000 items, the open document's heap: %.2f MB\n",
              double(HeapInUse() - empty) / (1024.0 * 1024.0));
  {
    const size_t bare = HeapInUse();
    const auto copy = d.design();
    std::printf("  a copy of the design for a worker:    %.2f MB\n",
                double(HeapInUse() - bare) / (1024.0 * 1024.0));
  }
  QUndoStack& stack = *d.undoStack();
  QTreeView view;
  view.setModel(d.itemModel());
  view.setSelectionMode(QAbstractItemView::ExtendedSelection);
  view.resize(300, 600);
  view.show();
  view.expandAll();
  view.setCurrentIndex(d.itemModel()->indexOf(12000));
  QCoreApplication::processEvents();
  auto shown = [&](const std::function<void()>& work) {
    return Seconds([&] {
      work();
      QCoreApplication::processEvents();  // the view lays out and paints
    });
  };
  std::printf("20,000 items, shown expanded in a tree view:\n");
  std::printf("  insert:                         %.4f s\n", shown([&] { d.insertItem(-1); }));
  std::printf("  delete the 10,000-item block:   %.4f s\n", shown([&] { d.deleteItems({0}); }));
  std::printf("  its undo:                       %.4f s\n", shown([&] { stack.undo(); }));
  std::printf("  drag the block to the end:      %.4f s\n",
              shown([&] { d.moveItems({0}, -1, d.childCount(-1)); }));
  std::printf("  drag it into another item:      %.4f s\n",
              shown([&] { d.moveItems({d.itemCount() - 10000}, 5, 0); }));
  std::printf("  undo both moves:                %.4f s\n", shown([&] {
                stack.undo();
                stack.undo();
              }));
  std::printf("  move up 100 selected items:     %.4f s\n", shown([&] {
                std::vector<int> some;
                for (int i = 0; i < 100; ++i) some.push_back(10000 + 7 * i);
                d.moveUp(some);
              }));
  view.setModel(nullptr);
  std::printf("  snapshot:                       %.4f s\n", Seconds([&] { (void)d.design(); }));

  stack.clear();
  const size_t before = HeapInUse();
  for (int i = 0; i < 1000; ++i)
    d.setItemField({i}, TItemField::ToolTip, "A tooltip for picture " + std::to_string(i),
                   "Edit Tooltip");
  std::printf("undo stack of 1,000 field edits: %.2f MB (%d steps)\n",
              double(HeapInUse() - before) / (1024.0 * 1024.0), stack.count());
  std::filesystem::remove_all(folder);
  return 0;
}
