#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QUndoStack>
#include <random>

#include "Document.h"
#include "ItemTreeModel.h"
#include "TestProjects.h"
#include "TestUtil.h"

namespace {

// A nested design with a level out of order ("5") and one that is no number ("x").
const std::vector<std::string> kLevels = {"0", "1", "2", "1", "0", "5", "0", "1", "1", "x", "0", "1"};

struct TFixture {
  TTempDir dir;
  std::string file = testprojects::WriteProject(dir / "nested.tvn", kLevels);
  TDocument document{dir.Folder()};
  TFixture() { EXPECT_EQ(document.open(QString::fromStdString(file)), TLoadResult::Loaded); }
  std::string text() { return document.agent().ProjectText(); }
};

// The tree model walked from its root: each item's position and depth, in the order shown.
std::vector<std::pair<int, int>> Walk(const TItemTreeModel& model) {
  std::vector<std::pair<int, int>> out;
  std::function<void(const QModelIndex&, int)> visit = [&](const QModelIndex& parent, int depth) {
    for (int row = 0; row < model.rowCount(parent); ++row) {
      const QModelIndex child = model.index(row, 0, parent);
      EXPECT_EQ(model.parent(child), parent);
      out.push_back({model.itemAt(child), depth});
      visit(child, depth + 1);
    }
  };
  visit(model.indexOf(-1), 0);
  return out;
}

void ExpectModelMatches(const TDocument& document) {
  const auto walked = Walk(*document.itemModel());
  ASSERT_EQ(int(walked.size()), document.itemCount());
  for (int i = 0; i < document.itemCount(); ++i) {
    EXPECT_EQ(walked[size_t(i)].first, i);
    EXPECT_EQ(walked[size_t(i)].second, document.level(i));
  }
}

// Random edits of every kind, driven by the generator alone, so that two documents fed the same
// seed make the same edits.
void RandomEdit(TDocument& d, std::mt19937& random, const std::vector<QString>& pictures) {
  auto pick = [&](int from, int to) { return std::uniform_int_distribution<int>(from, to)(random); };
  auto some = [&] {
    std::vector<int> items;
    for (int k = pick(1, 3); k > 0 && d.itemCount() > 0; --k) items.push_back(pick(0, d.itemCount() - 1));
    return items;
  };
  const std::string value = "v" + std::to_string(pick(0, 5));
  switch (pick(0, 9)) {
    case 0: d.insertItem(pick(-1, d.itemCount() - 1)); break;
    case 1: d.addPictures({pictures[size_t(pick(0, 2))], pictures[size_t(pick(0, 3))]}); break;
    case 2: d.deleteItems(some()); break;
    case 3: d.moveUp(some()); break;
    case 4: d.moveDown(some()); break;
    case 5: {
      const int parent = pick(-1, d.itemCount() - 1);
      d.moveItems(some(), parent, pick(0, d.childCount(parent)));
      break;
    }
    case 6:
    case 7: {
      const TItemField fields[] = {TItemField::Link, TItemField::Target, TItemField::ToolTip,
                                   TItemField::OriginalImagePath};
      d.setItemField(some(), fields[pick(0, 3)], value, "Edit", pick(0, 1));
      break;
    }
    case 8: {
      TAppletData slider = d.slider();
      (pick(0, 1) ? slider.pSliderName : slider.pBgColor) += value;
      d.setSlider(slider, "Edit", pick(0, 1));
      break;
    }
    default: d.endTyping();
  }
}

TEST(Document, RandomEditsUndoToTheOriginalAndRedoToTheDirectResult) {
  TFixture undone, direct;
  new QAbstractItemModelTester(undone.document.itemModel(),
                               QAbstractItemModelTester::FailureReportingMode::Fatal, &undone.document);
  const std::string original = ReadAll(undone.file);
  ASSERT_EQ(undone.text(), original);
  std::vector<QString> pictures;
  for (const char* name : {"a.jpg", "b.JPEG", "c.jpg", "not-a-picture.png"}) {
    WriteAll(undone.dir / name, "");
    pictures.push_back(QString::fromStdString(undone.dir / name));
  }
  std::mt19937 random(20261207), same(20261207);
  for (int step = 0; step < 500; ++step) {
    RandomEdit(undone.document, random, pictures);
    RandomEdit(direct.document, same, pictures);
    if (step % 50 == 0) ExpectModelMatches(undone.document);
  }
  QUndoStack& stack = *undone.document.undoStack();
  ASSERT_GT(stack.count(), 100);
  const std::string edited = undone.text();
  EXPECT_EQ(edited, direct.text());
  EXPECT_TRUE(undone.document.isModified());
  while (stack.canUndo()) stack.undo();
  EXPECT_EQ(undone.text(), original);
  EXPECT_FALSE(undone.document.isModified());
  ExpectModelMatches(undone.document);
  while (stack.canRedo()) stack.redo();
  EXPECT_EQ(undone.text(), edited);
  ExpectModelMatches(undone.document);
}

}  // namespace
