#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QUndoStack>
#include <random>

#include "Document.h"
#include "ItemTreeModel.h"
#include "TestProjects.h"
#include "TestUtil.h"

namespace {

// A nested design with a level out of order ("5") and an empty one.
const std::vector<std::string> kLevels = {"0", "1", "2", "1", "0", "5",
                                          "0", "1", "1", "",  "0", "1"};

struct TFixture {
  TTempDir dir;
  std::string file = testprojects::WriteProject(dir / "nested.tvn", kLevels);
  TDocument document{dir.Folder()};
  TFixture() { EXPECT_EQ(document.open(QString::fromStdString(file)), TLoadResult::Loaded); }
  std::string text() { return ProjectText(document.design()); }
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
  auto pick = [&](int from, int to) {
    return std::uniform_int_distribution<int>(from, to)(random);
  };
  auto some = [&] {
    std::vector<int> items;
    for (int k = pick(1, 3); k > 0 && d.itemCount() > 0; --k)
      items.push_back(pick(0, d.itemCount() - 1));
    return items;
  };
  const std::string value = "v" + std::to_string(pick(0, 5));
  switch (pick(0, 9)) {
    case 0:
      d.insertItem(pick(-1, d.itemCount() - 1));
      break;
    case 1:
      d.addPictures({pictures[size_t(pick(0, 2))], pictures[size_t(pick(0, 3))]});
      break;
    case 2:
      d.deleteItems(some());
      break;
    case 3:
      d.moveUp(some());
      break;
    case 4:
      d.moveDown(some());
      break;
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
      TSliderData slider = d.slider();
      (pick(0, 1) ? slider.name : slider.backgroundColour) += value;
      d.setSlider(slider, "Edit", pick(0, 1));
      break;
    }
    default:
      d.endTyping();
  }
}

TEST(Document, RandomEditsUndoToTheOriginalAndRedoToTheDirectResult) {
  TFixture undone, direct;
  new QAbstractItemModelTester(undone.document.itemModel(),
                               QAbstractItemModelTester::FailureReportingMode::Fatal,
                               &undone.document);
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

namespace {

// The design as picture numbers in list order, a "+" per nesting level: "0 1+ 2++ 3+ 4".
std::string Outline(const TDocument& d) {
  std::string out;
  for (int i = 0; i < d.itemCount(); ++i) {
    const std::string& path = d.item(i).originalPath;
    out += (i ? " " : "") + path.substr(1, path.size() - 5) + std::string(size_t(d.level(i)), '+');
  }
  return out;
}
const std::string kOutline = "0 1+ 2++ 3+ 4 5+ 6 7+ 8+ 9 10 11+";

TEST(Document, BlockEditsMoveWholeBlocksAndUndoRestoresDesignAndSelection) {
  struct TCase {
    const char* name;
    std::vector<int> selected;
    std::function<void(TDocument&, const std::vector<int>&)> edit;
    std::string outline;  // kOutline: no step at all
    std::vector<int> selectedAfter;
  };
  using V = const std::vector<int>&;
  const TCase cases[] = {
      {"up past a block",
       {4},
       [](TDocument& d, V s) { d.moveUp(s); },
       "4 5+ 0 1+ 2++ 3+ 6 7+ 8+ 9 10 11+",
       {0}},
      {"up at the top", {0}, [](TDocument& d, V s) { d.moveUp(s); }, kOutline, {}},
      {"up, stuck behind a stuck one",
       {1, 3},
       [](TDocument& d, V s) { d.moveUp(s); },
       kOutline,
       {}},
      {"up inside a block",
       {3},
       [](TDocument& d, V s) { d.moveUp(s); },
       "0 3+ 1+ 2++ 4 5+ 6 7+ 8+ 9 10 11+",
       {1}},
      {"down, two at once",
       {0, 6},
       [](TDocument& d, V s) { d.moveDown(s); },
       "4 5+ 0 1+ 2++ 3+ 9 6 7+ 8+ 10 11+",
       {2, 7}},
      {"delete blocks, one inside another",
       {1, 2, 6},
       [](TDocument& d, V s) { d.deleteItems(s); },
       "0 3+ 4 5+ 9 10 11+",
       {1}},
      {"delete the last child",
       {3},
       [](TDocument& d, V s) { d.deleteItems(s); },
       "0 1+ 2++ 4 5+ 6 7+ 8+ 9 10 11+",
       {1}},
      {"delete the slider", {-1}, [](TDocument& d, V s) { d.deleteItems(s); }, kOutline, {}},
      {"drag into an item",
       {4},
       [](TDocument& d, V s) { d.moveItems(s, 6, 1); },
       "0 1+ 2++ 3+ 6 7+ 4+ 5++ 8+ 9 10 11+",
       {6}},
      {"drag into itself", {0}, [](TDocument& d, V s) { d.moveItems(s, 1, 0); }, kOutline, {}},
      {"drag two to the top",
       {6, 10},
       [](TDocument& d, V s) { d.moveItems(s, -1, 0); },
       "6 7+ 8+ 10 11+ 0 1+ 2++ 3+ 4 5+ 9",
       {0, 3}},
      {"drag out to the end",
       {2},
       [](TDocument& d, V s) { d.moveItems(s, -1, 7); },
       "0 1+ 3+ 4 5+ 6 7+ 8+ 9 10 11+ 2",
       {11}},
      {"insert into an item",
       {6},
       [](TDocument& d, V s) {
         d.insertItem(s[0], [] {
           TItemData i;
           i.originalPath = "pn.jpg";
           return i;
         }());
       },
       "0 1+ 2++ 3+ 4 5+ 6 7+ 8+ n+ 9 10 11+",
       {6}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TFixture f;
    const std::string original = f.text();
    const TViewState before{c.selected, c.selected.front(), 3};
    f.document.setViewStateSource([&] { return before; });
    std::vector<TViewState> requested;
    QObject::connect(&f.document, &TDocument::viewStateRequested,
                     [&](const TViewState& s) { requested.push_back(s); });
    c.edit(f.document, c.selected);
    EXPECT_EQ(Outline(f.document), c.outline);
    ExpectModelMatches(f.document);
    QUndoStack& stack = *f.document.undoStack();
    if (c.outline == kOutline) {
      EXPECT_EQ(stack.count(), 0);
      continue;
    }
    ASSERT_EQ(stack.count(), 1);
    ASSERT_FALSE(requested.empty());
    EXPECT_EQ(requested.back().selected, c.selectedAfter);
    stack.undo();
    EXPECT_EQ(f.text(), original);
    EXPECT_EQ(requested.back(), before);
    ExpectModelMatches(f.document);
  }
}

TEST(Document, TypingInOneFieldMergesUntilSomethingElseHappens) {
  struct TEdit {
    std::vector<int> items;
    TItemField field;
    std::string value;
    bool typing = true;
    bool endTypingFirst = false;
  };
  const TItemField link = TItemField::Link, tip = TItemField::ToolTip;
  struct TCase {
    const char* name;
    std::vector<TEdit> edits;
    int steps;
  } cases[] = {
      {"typing one word", {{{0}, link, "a"}, {{0}, link, "ab"}, {{0}, link, "abc"}}, 1},
      {"typing back to the start", {{{0}, link, "a"}, {{0}, link, ""}}, 0},
      {"after leaving the field", {{{0}, link, "a"}, {{0}, link, "ab", true, true}}, 2},
      {"another field", {{{0}, link, "a"}, {{0}, tip, "a"}}, 2},
      {"other items", {{{0}, link, "a"}, {{0, 1}, link, "ab"}}, 2},
      {"choices, not typing", {{{0}, link, "a", false}, {{0}, link, "ab", false}}, 2},
      {"the same value", {{{0, 1}, link, ""}}, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TFixture f;
    const std::string original = f.text();
    for (const TEdit& e : c.edits) {
      if (e.endTypingFirst) f.document.endTyping();
      f.document.setItemField(e.items, e.field, e.value, "Edit", e.typing);
    }
    QUndoStack& stack = *f.document.undoStack();
    EXPECT_EQ(stack.count(), c.steps);
    while (stack.canUndo()) stack.undo();
    EXPECT_EQ(f.text(), original);
  }
  // The saved step stays as it was saved: typing on after a save is a step of its own.
  TFixture f;
  TSliderData slider = f.document.slider();
  slider.name = "A";
  f.document.setSlider(slider, "Edit", true);
  f.document.undoStack()->setClean();
  slider.name = "AB";
  f.document.setSlider(slider, "Edit", true);
  EXPECT_EQ(f.document.undoStack()->count(), 2);
}

TEST(Document, ModifiedFollowsTheSavedStepAndFileCommandsStartAfresh) {
  TFixture f;
  std::vector<bool> changes;
  QObject::connect(&f.document, &TDocument::modifiedChanged, [&](bool m) { changes.push_back(m); });
  QUndoStack& stack = *f.document.undoStack();
  f.document.deleteItems({0});
  stack.undo();
  stack.redo();
  const QString saved = QString::fromStdString(f.dir / "out/saved.tvn");
  std::filesystem::create_directories(f.dir / "out");
  f.document.save(saved);
  EXPECT_EQ(ReadAll(saved.toStdString()), f.text());
  EXPECT_EQ(f.document.fileName(), saved);
  stack.undo();
  EXPECT_EQ(changes, (std::vector<bool>{true, false, true, false, true}));
  // A file that is not a project, or cannot be read, changes nothing.
  WriteAll(f.dir / "other.tvn", "not a project\r\n");
  const std::string edited = f.text();
  EXPECT_EQ(f.document.open(QString::fromStdString(f.dir / "other.tvn")), TLoadResult::Rejected);
  EXPECT_THROW(f.document.open(QString::fromStdString(f.dir / "missing.tvn")), std::exception);
  EXPECT_EQ(f.text(), edited);
  EXPECT_EQ(stack.count(), 1);
  EXPECT_TRUE(f.document.isModified());
  // A save from a snapshot makes the current step the saved one only while nothing changed since.
  const quint64 taken = f.document.revision();
  f.document.insertItem(-1);
  f.document.markSaved("background.tvn", taken);
  EXPECT_TRUE(f.document.isModified());
  f.document.markSaved("background.tvn", f.document.revision());
  EXPECT_FALSE(f.document.isModified());
  EXPECT_EQ(f.document.fileName(), "background.tvn");
  // New and open: a fresh stack, not modified.
  f.document.newDesign();
  EXPECT_EQ(stack.count(), 0);
  EXPECT_FALSE(f.document.isModified());
  EXPECT_TRUE(f.document.fileName().isEmpty());
  EXPECT_EQ(f.document.itemCount(), 0);
  ExpectModelMatches(f.document);
}

}  // namespace
