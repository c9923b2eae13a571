// The main window driven by object name: start-up, the design tree and its commands, the
// property tabs, the modified state, closing, the command line, progress and dropped pictures.
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QRadioButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QUndoStack>

#include "ColorPanel.h"
#include "DialogFrame.h"
#include "ItemPanel.h"
#include "LivePreview.h"
#include "MainForm.h"
#include "UiTest.h"

using namespace uitest;

namespace {
QStringList TabsShown(QWidget& form) {
  auto* tabs = Find<QTabWidget>(form, "pgcntrl1");
  QStringList shown;
  for (int i = 0; i < tabs->count(); ++i)
    if (tabs->isTabVisible(i)) shown << tabs->widget(i)->objectName();
  return shown;
}
QString CurrentTab(QWidget& form) {
  return Find<QTabWidget>(form, "pgcntrl1")->currentWidget()->objectName();
}
// Enabled state of Insert, Delete, Move Up, Move Down as "1010"; checks the three forms agree.
QString Commands(QWidget& form) {
  QString state;
  for (const char* base : {"Insert", "Delete", "MoveUp", "MoveDown"}) {
    const bool popup = Act(form, qPrintable(QString("%1%2").arg(base).arg(1)))->isEnabled();
    const bool menu = Act(form, qPrintable(QString("%1%2").arg(base).arg(2)))->isEnabled();
    const bool tool = Act(form, qPrintable(QString("tlbtn%1").arg(base)))->isEnabled();
    if (popup != menu || menu != tool) return "forms disagree";
    state += popup ? '1' : '0';
  }
  return state;
}
int ChildCount(TMainForm& form, int item) {
  return form.document().itemModel()->rowCount(RowOf(form, item));
}
void ClickTree(TMainForm& form, int item, Qt::KeyboardModifiers keys = {}) {
  QTreeView* tree = TreeOf(form);
  tree->scrollTo(RowOf(form, item));
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, keys,
                    tree->visualRect(RowOf(form, item)).center());
}
// Drags items onto the row of `target` as the mouse would drop them: into it (middle of the
// row) or before it (its upper edge).
void DropOnto(TMainForm& form, const QMimeData* data, int target, bool before,
              Qt::DropAction action = Qt::MoveAction) {
  QTreeView* tree = TreeOf(form);
  tree->scrollTo(RowOf(form, target));
  const QRect rect = tree->visualRect(RowOf(form, target));
  const QPoint at = before ? QPoint(rect.center().x(), rect.top() + 1) : rect.center();
  QDragEnterEvent enter(at, action, data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(tree->viewport(), &enter);
  QDragMoveEvent move(at, action, data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(tree->viewport(), &move);
  QDropEvent drop(QPointF(at), action, data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(tree->viewport(), &drop);
}
void DragOnto(TMainForm& form, std::vector<int> items, int target, bool before) {
  QModelIndexList rows;
  for (int item : items) rows << RowOf(form, item);
  std::unique_ptr<QMimeData> data(form.document().itemModel()->mimeData(rows));
  DropOnto(form, data.get(), target, before);
}
std::vector<std::string> Names(std::initializer_list<int> numbers) {
  std::vector<std::string> names;
  for (int n : numbers) names.push_back("p" + std::to_string(n) + ".jpg");
  return names;
}
QString UndoText(QWidget& form) {
  return Act(form, "Undo1")->isEnabled() ? Act(form, "Undo1")->text() : "-";
}
QString RedoText(QWidget& form) {
  return Act(form, "Redo1")->isEnabled() ? Act(form, "Redo1")->text() : "-";
}
}  // namespace

class TestMainWindow : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { VERIFY_PROMPTS(); }

  void startsWithTheDefaultDesignAndEveryCommandEnabled() {
    TTestEnvironment env;
    TMainForm form(env.ProgramFolder());
    form.show();
    QCOMPARE(form.windowTitle(), QString("Torvane"));
    QCOMPARE(TreeOf(form)->model()->rowCount(), 1);
    QCOMPARE(TreeOf(form)->currentIndex().data().toString(), QString("Torvane"));
    QCOMPARE(TabsShown(form), QStringList({"tbshtScript", "tbshtPath"}));
    QCOMPARE(CurrentTab(form), QString("tbshtScript"));
    QCOMPARE(Commands(form), QString("1111"));  // all four, until the first click into the tree
    QVERIFY(!SaveEnabled(form));
    QCOMPARE(Find<QLineEdit>(form, "edt_pSliderName")->text(), QString("Slider1"));
    QVERIFY(QFile::exists(env.ProgramFolder() + "recentfile.dat"));

    // Delete on the root (reached however) only says no, the moves do nothing; none of them is a
    // change.
    prompt::QueueButton(TButton::Ok);
    form.tree().deleteItems();
    QCOMPARE(prompt::Shown().last().text, QString("Root item cannot be deleted."));
    QCOMPARE(prompt::Shown().last().kind, TMessageKind::Error);
    form.tree().moveItemsUp();
    form.tree().moveItemsDown();
    QCOMPARE(ChildCount(form, -1), 0);
    QVERIFY(!form.document().isModified() && !SaveEnabled(form));
    ClickTree(form, -1);
    QTRY_COMPARE(Commands(form), QString("1000"));

    // Every entry of the View menu has a letter of its own: Alt+V, T and Alt+V, S reach the
    // tool bar and the status bar.
    QStringList letters;
    for (QAction* entry : Find<QMenu>(form, "View1")->actions())
      if (!entry->isSeparator()) letters << QKeySequence::mnemonic(entry->text()).toString();
    QCOMPARE(letters.removeDuplicates(), 0);
    QCOMPARE(QKeySequence::mnemonic(Act(form, "ToolBar1")->text()), QKeySequence("Alt+T"));
    QCOMPARE(QKeySequence::mnemonic(Act(form, "StatusBar2")->text()), QKeySequence("Alt+S"));

    // The window opens at its designed size, centred, and never larger than the screen's free
    // area (a 1600 x 1000 screen at scale 2 offers 800 x 500 minus the task bar).
    const QMargins frameRoom(8, 40, 8, 8);
    const struct {
      QRect area;
      QRect placed;
    } screens[] = {{QRect(0, 0, 1920, 1040), QRect(569, 274, 781, 524)},
                   {QRect(0, 0, 800, 480), QRect(9, 40, 781, 432)},
                   {QRect(100, 50, 600, 400), QRect(108, 90, 584, 352)}};
    for (const auto& s : screens)
      QCOMPARE(frame::FitOnScreen(QSize(781, 524), s.area, frameRoom), s.placed);
    form.placeOnScreen();
    QVERIFY(form.screen()->availableGeometry().contains(form.geometry()));

    // The desktop file association went to the test's data folder.
    QVERIFY(QFile::exists(env.Path("data/applications/torvane.desktop")));
    QVERIFY(QFile::exists(env.Path("data/mime/packages/torvane.xml")));
  }

  // At a larger font the property pages are as large as their fields need; the tree's splitter
  // moves; the status strip is the window's bottom edge, below the live preview; the window's
  // size, splitter and docks are where the user left them in the next run.
  void windowFitsItsFontAndRemembersItsPlace() {
    TTestEnvironment env;
    const QFont font = QApplication::font();
    QFont large = font;
    large.setPointSize(12);
    QApplication::setFont(large);
    QSize placed;
    {
      TMainForm form(env.ProgramFolder());
      form.placeOnScreen();
      form.show();
      auto* tabs = Find<QTabWidget>(form, "pgcntrl1");
      QVERIFY(tabs->minimumWidth() >= tabs->minimumSizeHint().width());
      QVERIFY(tabs->minimumHeight() >= tabs->minimumSizeHint().height());
      QWidget* strip = Find<QWidget>(form, "StatusBar1");
      const QWidget* pane = form.livePreview();
      QVERIFY(strip->mapTo(&form, QPoint()).y() >= pane->geometry().bottom());
      auto* splitter = Find<QSplitter>(form, "Splitter1");
      form.resize(760, 560);
      splitter->setSizes({200, splitter->width() - 200});
      QCOMPARE(splitter->sizes().value(0), 200);
      placed = form.size();
      form.close();
    }
    QApplication::setFont(font);
    TMainForm next(env.ProgramFolder());
    next.placeOnScreen();
    next.show();
    QCOMPARE(next.size(), placed);
    QCOMPARE(Find<QSplitter>(next, "Splitter1")->sizes().value(0), 200);
    QVERIFY(next.livePreview()->isVisible());
  }

  void treeAndItemListStayInStep() {
    TTestEnvironment env;
    TMainForm form(env.ProgramFolder());
    form.show();
    for (int i = 0; i < 3; ++i) Act(form, "tlbtnInsert")->trigger();
    QCOMPARE(ChildCount(form, -1), 3);
    for (int i = 0; i < 3; ++i) {
      QCOMPARE(RowOf(form, i).data().toString(), QString("Item"));
      QCOMPARE(form.document().item(i).level, std::string("0"));
      QCOMPARE(form.document().item(i).target, std::string("_self"));
    }
    QCOMPARE(form.tree().currentItem(), -1);

    // Selecting an item shows it in its own tab; every edit reaches the model at once.
    form.document().undoStack()->setClean();
    ClickTree(form, 1);
    QCOMPARE(TabsShown(form), QStringList({"tbshtItemGeneral"}));
    QCOMPARE(Commands(form), QString("0111"));
    QVERIFY(!form.document().isModified());
    auto* link = Find<QComboBox>(form, "cmbx_ILink");
    auto* picture = Find<QLineEdit>(form, "edtOriginalImagePath");
    link->setEditText(" http://one.example/ ");
    picture->setText("b.jpg");
    QCOMPARE(form.document().item(1).link, std::string("http://one.example/"));
    ClickTree(form, 2);
    QCOMPARE(link->currentText(), QString(""));
    picture->setText("c.jpg");
    QCOMPARE(Pictures(form), (std::vector<std::string>{"", "b.jpg", "c.jpg"}));
    ClickTree(form, -1);
    QCOMPARE(TabsShown(form), QStringList({"tbshtScript", "tbshtPath"}));

    // Move Down on the first item: the node moves with its item and stays selected.
    ClickTree(form, 0);
    picture->setText("a.jpg");
    Act(form, "MoveDown1")->trigger();
    QCOMPARE(Pictures(form), (std::vector<std::string>{"b.jpg", "a.jpg", "c.jpg"}));
    QCOMPARE(form.tree().selectedItems(), std::vector<int>{1});
    QCOMPARE(Commands(form), QString("0111"));
    ClickTree(form, 0);
    QCOMPARE(Commands(form), QString("0101"));

    // Delete asks; No keeps everything. Yes selects the neighbour, which shows its item.
    form.document().undoStack()->setClean();
    prompt::QueueButton(TButton::No);
    Act(form, "tlbtnDelete")->trigger();
    QCOMPARE(form.document().itemCount(), 3);
    QVERIFY(!form.document().isModified());
    ClickTree(form, 1);
    prompt::QueueButton(TButton::Yes);
    Act(form, "Delete1")->trigger();
    QCOMPARE(prompt::Shown().last().text,
             QString("Are you sure to delete this item and all its children?"));
    QCOMPARE(Pictures(form), (std::vector<std::string>{"b.jpg", "c.jpg"}));
    QCOMPARE(form.tree().selectedItems(), std::vector<int>{1});
    QCOMPARE(picture->text(), QString("c.jpg"));
  }

  // Ctrl+Tab, clicks that would clear the selection, the standard shortcuts, Shift+F10, and the
  // commands after an open.
  void theKeyboardAndTheMouseReachOnlyWhatIsShown() {
    TTestEnvironment env;
    TMainForm form(env.ProgramFolder());
    form.show();
    auto* tabs = Find<QTabWidget>(form, "pgcntrl1");
    const auto ctrlTab = [&](Qt::KeyboardModifiers extra = {}) {
      QTest::keyClick(tabs->currentWidget(), Qt::Key_Tab, Qt::ControlModifier | extra);
      return CurrentTab(form);
    };
    QCOMPARE(ctrlTab(), QString("tbshtPath"));
    QCOMPARE(ctrlTab(), QString("tbshtScript"));
    QCOMPARE(ctrlTab(Qt::ShiftModifier), QString("tbshtPath"));
    Act(form, "Insert2")->trigger();
    Act(form, "Insert2")->trigger();
    ClickTree(form, 0);
    QCOMPARE(ctrlTab(), QString("tbshtItemGeneral"));

    // The current node stays highlighted whatever is clicked.
    QTreeView* tree = TreeOf(form);
    ClickTree(form, 0, Qt::ControlModifier);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                      QPoint(5, tree->viewport()->height() - 5));
    QCOMPARE(form.tree().currentItem(), 0);
    QCOMPARE(form.tree().selectedItems(), std::vector<int>{0});

    const QMap<QString, QString> keys{{"Delete2", "Del"},  {"Insert2", "Ins"},
                                      {"Topic1", "F1"},    {"Save2", "Ctrl+Shift+S"},
                                      {"Exit1", "Ctrl+Q"}, {"Save1", "Ctrl+S"}};
    for (auto it = keys.begin(); it != keys.end(); ++it)
      QCOMPARE(Act(form, qPrintable(it.key()))->shortcut(), QKeySequence(it.value()));
    auto* menu = form.findChild<QMenu*>("PopupMenu1");
    QTest::keyClick(tree, Qt::Key_F10, Qt::ShiftModifier);
    QVERIFY(menu->isVisible());
    menu->hide();
    // A colour box with the keyboard focus shows it.
    Select(form, {-1});
    auto* colour = Find<TColorPanel>(form, "pnl_pBgColor");
    QVERIFY(colour->focusPolicy() & Qt::TabFocus);
    const QImage unfocused = colour->grab().toImage();
    QApplication::setActiveWindow(&form);
    colour->setFocus();
    QVERIFY(colour->hasFocus());
    QVERIFY(colour->grab().toImage() != unfocused);
    // Screen readers meet it as a button named for what it sets, which a press activates.
    QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(colour);
    QCOMPARE(spoken->role(), QAccessible::Button);
    QCOMPARE(spoken->text(QAccessible::Name),
             "Background Color, " + colour->color().name().toUpper());
    prompt::QueueColor(QColor(0x20, 0x30, 0x40));
    spoken->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(spoken->text(QAccessible::Name), QStringLiteral("Background Color, #203040"));
    for (const auto& [button, name] : {std::pair{"SpeedButton1", "Help on General"},
                                       {"spdbtnOriginalImagePath", "Choose picture file"}})
      QCOMPARE(QAccessible::queryAccessibleInterface(Find<QWidget>(form, button))
                   ->text(QAccessible::Name),
               QString(name));

    // Ins and Del act on the tree only: typed into a box they are the box's keys. Work that
    // takes the window for a while (a save) gives the focus back where it was.
    const int items = form.document().itemCount();
    auto* name = Find<QLineEdit>(form, "edt_pSliderName");
    for (QWidget* where : {static_cast<QWidget*>(name), static_cast<QWidget*>(tree)}) {
      where->setFocus();
      QTest::keyClick(where, Qt::Key_Insert);
    }
    QCOMPARE(form.document().itemCount(), items + 1);
    QDir().mkpath(env.Path("focus"));
    prompt::QueueFile(env.Path("focus/kept.tvn"));
    QTest::keyClick(tree, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(QFile::exists(env.Path("focus/kept.tvn")));
    QCOMPARE(form.focusWidget(), static_cast<QWidget*>(tree));

    // An open while an item is selected leaves the root's commands.
    Select(form, {1});
    const QString file = WriteProject(env.Path("two.tvn"), {"0", "0"});
    form.document().undoStack()->setClean();
    QVERIFY(form.files().openProjectFile(file));
    QCOMPARE(Commands(form), QString("1000"));
  }

  void nestedItemsMoveAndDeleteAsWholeBlocksAlsoWhenDragged() {
    TTestEnvironment env;
    // p0 { p1 p2 } p3 { p4 }
    const QString file = WriteProject(env.Path("nested.tvn"), {"0", "1", "1", "0", "1"});
    TMainForm form(env.ProgramFolder());
    form.show();
    QVERIFY(form.files().openProjectFile(file));
    QCOMPARE(ChildCount(form, -1), 2);
    QCOMPARE(ChildCount(form, 0), 2);
    QCOMPARE(RowOf(form, 0).data().toString(), QString("Image"));

    Select(form, {3});
    Act(form, "MoveUp2")->trigger();
    QCOMPARE(Pictures(form), Names({3, 4, 0, 1, 2}));
    QCOMPARE(ChildCount(form, 0), 1);
    QCOMPARE(ChildCount(form, 2), 2);
    Act(form, "MoveDown2")->trigger();
    QCOMPARE(Pictures(form), Names({0, 1, 2, 3, 4}));
    Select(form, {2});  // a child within its parent
    Act(form, "MoveUp2")->trigger();
    QCOMPARE(Pictures(form), Names({0, 2, 1, 3, 4}));

    // Dragged into another item, the block goes whole and one level deeper; Undo brings it back.
    DragOnto(form, {0}, 4, false);
    QCOMPARE(Pictures(form), Names({3, 4, 0, 2, 1}));
    QCOMPARE(form.document().level(2), 2);
    QCOMPARE(form.document().level(4), 3);
    QCOMPARE(Act(form, "Undo1")->text(), QString("&Undo Move Item"));
    DragOnto(form, {2}, 4, false);  // into its own block: refused
    QCOMPARE(Pictures(form), Names({3, 4, 0, 2, 1}));
    Act(form, "Undo1")->trigger();
    QCOMPARE(Pictures(form), Names({0, 2, 1, 3, 4}));
    QCOMPARE(form.document().level(1), 1);
    DragOnto(form, {3}, 0, true);  // before the first item
    QCOMPARE(Pictures(form), Names({3, 4, 0, 2, 1}));

    // A node with two children takes three items with it.
    Select(form, {2});
    prompt::QueueButton(TButton::Yes);
    Act(form, "Delete2")->trigger();
    QCOMPARE(Pictures(form), Names({3, 4}));
    QCOMPARE(form.document().NodeCount(), 3);
  }

  void severalSelectedItemsAreEditedInOneStep() {
    TTestEnvironment env;
    const QString file =
        WriteProject(env.Path("five.tvn"), {"0", "0", "0", "0", "0"}, [](TProjectModel& m) {
          m.Items[1].link = m.Items[3].link = "same.html";
          m.Items[1].toolTip = "one";
        });
    TMainForm form(env.ProgramFolder());
    form.show();
    QVERIFY(form.files().openProjectFile(file));
    ClickTree(form, 1);
    ClickTree(form, 3, Qt::ControlModifier);
    QCOMPARE(form.tree().selectedItems(), (std::vector<int>{1, 3}));
    // The values they share are shown, the others left blank; a field typed sets it on all.
    auto* link = Find<QComboBox>(form, "cmbx_ILink");
    auto* tip = Find<QLineEdit>(form, "edt_IToolTip");
    QCOMPARE(link->currentText(), QString("same.html"));
    QCOMPARE(tip->text(), QString());
    link->lineEdit()->setFocus();
    link->lineEdit()->selectAll();
    QTest::keyClicks(link->lineEdit(), "both.html");
    QCOMPARE(form.document().item(1).link, std::string("both.html"));
    QCOMPARE(form.document().item(3).link, std::string("both.html"));
    QCOMPARE(form.document().undoStack()->count(), 1);  // nine keys, one step
    QCOMPARE(UndoText(form), QString("&Undo Edit Link"));

    Act(form, "MoveUp1")->trigger();
    QCOMPARE(Pictures(form), Names({1, 0, 3, 2, 4}));
    QCOMPARE(form.tree().selectedItems(), (std::vector<int>{0, 2}));
    prompt::QueueButton(TButton::Yes);
    Act(form, "Delete2")->trigger();
    QVERIFY(prompt::Shown().last().text.contains("these 2 items"));
    QCOMPARE(Pictures(form), Names({0, 2, 4}));
    QCOMPARE(form.document().undoStack()->count(), 3);
    // Undo brings back the items and their selection.
    Act(form, "Undo1")->trigger();
    QCOMPARE(Pictures(form), Names({1, 0, 3, 2, 4}));
    QCOMPARE(form.tree().selectedItems(), (std::vector<int>{0, 2}));
    Act(form, "Undo1")->trigger();
    Act(form, "Undo1")->trigger();
    QCOMPARE(form.document().item(3).link, std::string("same.html"));
    QVERIFY(!form.document().isModified());
  }

  void undoAndRedoNameTheStepAndRestoreWhatWasShown() {
    TTestEnvironment env;
    const QString file = WriteProject(env.Path("site/three.tvn"), {"0", "0", "0"});
    TMainForm form(env.ProgramFolder());
    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));  // for the shortcuts
    QCOMPARE(UndoText(form) + RedoText(form), QString("--"));
    QVERIFY(Act(form, "Redo1")->shortcuts().contains(QKeySequence("Ctrl+Y")));
    QCOMPARE(Act(form, "Redo1")->shortcut(), QKeySequence("Ctrl+Shift+Z"));
    QCOMPARE(Act(form, "Undo1")->shortcut(), QKeySequence("Ctrl+Z"));
    QVERIFY(form.files().openProjectFile(file));

    // An edit on the Path page, then an item deleted: Undo shows each step where it was made.
    auto* tabs = Find<QTabWidget>(form, "pgcntrl1");
    tabs->setCurrentWidget(Find<QWidget>(form, "tbshtPath"));
    Find<QRadioButton>(form, "rdbtnpInternalUse_RootDir_Local_Checked2")->click();
    QCOMPARE(UndoText(form), QString("&Undo Choose Link Replacement"));
    ClickTree(form, 2);
    prompt::QueueButton(TButton::Yes);
    Act(form, "Delete1")->trigger();
    QCOMPARE(UndoText(form), QString("&Undo Delete Item"));
    QCOMPARE(Act(form, "tlbtnUndo")->toolTip(), QString("Undo Delete Item"));
    QCOMPARE(RedoText(form), QString("-"));
    QVERIFY(SaveEnabled(form));
    QTest::keySequence(&form, QKeySequence("Ctrl+Z"));
    QCOMPARE(form.tree().selectedItems(), std::vector<int>{2});
    QCOMPARE(CurrentTab(form), QString("tbshtItemGeneral"));
    QCOMPARE(RedoText(form), QString("&Redo Delete Item"));
    Act(form, "Undo1")->trigger();
    QCOMPARE(form.tree().selectedItems(), std::vector<int>{-1});
    QCOMPARE(CurrentTab(form), QString("tbshtPath"));
    QVERIFY(Find<QRadioButton>(form, "rdbtnpInternalUse_RootDir_Local_Checked")->isChecked());
    // Back at the saved step: nothing to save. Redo both (Ctrl+Y) and save: the new saved step.
    QVERIFY(!form.document().isModified() && !SaveEnabled(form));
    QTest::keySequence(&form, QKeySequence("Ctrl+Y"));
    QTest::keySequence(&form, QKeySequence("Ctrl+Shift+Z"));
    QCOMPARE(form.document().itemCount(), 2);
    Act(form, "Save1")->trigger();
    QVERIFY(!SaveEnabled(form));
    Act(form, "Undo1")->trigger();
    QVERIFY(SaveEnabled(form));
    // New starts a fresh stack.
    prompt::QueueButton(TButton::No);
    Act(form, "New1")->trigger();
    QCOMPARE(UndoText(form) + RedoText(form), QString("--"));
  }

  void aLargeDesignOpensInTimeProportionalToItsSize() {
    TTestEnvironment env;
    std::vector<std::string> levels;
    for (int i = 0; i < 50000; ++i) levels.push_back(i % 4 == 3 ? "1" : "0");
    const QString file = WriteProject(env.Path("large.tvn"), levels);
    TMainForm form(env.ProgramFolder());
    form.show();
    QElapsedTimer clock;
    clock.start();
    QVERIFY(form.files().openProjectFile(file));
    QCoreApplication::processEvents();  // the tree lays itself out
    QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed()) + " ms"));
    QCOMPARE(form.document().NodeCount(), 50001);
    QCOMPARE(ChildCount(form, -1), 37500);
    QCOMPARE(form.document().Depth(4), 2);
    QCOMPARE(form.document().Caption(50000), std::string("Image"));
  }

  void theModifiedStateFollowsEveryChange() {
    TTestEnvironment env;
    TMainForm form(env.ProgramFolder());
    form.show();
    struct TEdit {
      const char* what;
      std::function<void()> edit;
      bool changes;
    };
    const QList<TEdit> edits{
        {"spin box", [&] { Find<QSpinBox>(form, "spnedt_pGap")->setValue(7); }, true},
        {"name", [&] { Find<QLineEdit>(form, "edt_pSliderName")->setText("Other"); }, true},
        {"root folder",
         [&] { Find<QLineEdit>(form, "edtpInternalUse_RootDir_Remote")->setText("x"); }, true},
        {"border style",
         [&] { Find<QComboBox>(form, "cmbx_pImageBorderStyle")->setCurrentIndex(5); }, true},
        {"radio",
         [&] {
           Find<QRadioButton>(form, "rdbtnpInternalUse_RootDir_Local_Checked2")->setChecked(true);
         },
         true},
        {"colour",
         [&] {
           prompt::QueueColor(QColor(0x12, 0x34, 0x56));
           emit Find<TColorPanel>(form, "pnl_pContainerBorderColor")->clicked();
         },
         true},
        {"colour cancelled",
         [&] {
           prompt::QueueColor(std::nullopt);
           emit Find<TColorPanel>(form, "pnl_pBgColor")->clicked();
         },
         false},
        {"same colour",
         [&] {
           prompt::QueueColor(Find<TColorPanel>(form, "pnl_pBgColor")->color());
           emit Find<TColorPanel>(form, "pnl_pBgColor")->clicked();
         },
         false},
        {"insert", [&] { Act(form, "Insert2")->trigger(); }, true},
        {"selecting an item", [&] { ClickTree(form, 0); }, false},
        {"picture path", [&] { Find<QLineEdit>(form, "edtOriginalImagePath")->setText("z.jpg"); },
         true},
        {"the same picture path",
         [&] { Find<QLineEdit>(form, "edtOriginalImagePath")->setText("z.jpg "); }, false},
        {"move refused", [&] { Act(form, "MoveUp2")->trigger(); }, false},
        {"selecting the root", [&] { ClickTree(form, -1); }, false},
        {"root delete refused",
         [&] {
           prompt::QueueButton(TButton::Ok);
           Act(form, "Delete2")->trigger();
         },
         false},
    };
    for (const TEdit& e : edits) {
      form.document().undoStack()->setClean();
      e.edit();
      QVERIFY2(form.document().isModified() == e.changes && SaveEnabled(form) == e.changes, e.what);
    }
    const TSliderData& d = form.document().slider();
    QCOMPARE(d.containerBorderColour, std::string("123456"));
    QCOMPARE(d.imageBorderStyle, std::string("5"));
    QCOMPARE(d.localRootChecked, std::string("0"));
    QCOMPARE(d.name + d.configName + d.divId + d.spareConfigName,
             std::string("OtherOthercfgOther_divOthercfg"));
  }

  void aPageEditWritesItsOwnFieldAsOneStep() {
    TTestEnvironment env;
    TMainForm form(env.ProgramFolder());
    using TField = std::string TSliderData::*;
    const TField all[] = {&TSliderData::name,
                          &TSliderData::configName,
                          &TSliderData::divId,
                          &TSliderData::width,
                          &TSliderData::height,
                          &TSliderData::step,
                          &TSliderData::delay,
                          &TSliderData::gap,
                          &TSliderData::trailerSpace,
                          &TSliderData::backgroundColour,
                          &TSliderData::spareConfigName,
                          &TSliderData::imageBorderWidth,
                          &TSliderData::imageBorderStyle,
                          &TSliderData::imageBorderColour,
                          &TSliderData::containerBorderWidth,
                          &TSliderData::containerBorderStyle,
                          &TSliderData::containerBorderColour,
                          &TSliderData::localRoot,
                          &TSliderData::remoteRoot,
                          &TSliderData::localRootChecked};
    // A value no control can show (beyond the width box's range) stays as it is while other
    // fields are edited.
    TSliderData odd = form.document().slider();
    odd.width = "99999999";
    form.document().setSlider(odd, "test");
    const struct {
      const char* what;
      std::function<void()> edit;
      std::vector<TField> changed;
      QString step;
    } edits[] = {
        {"gap",
         [&] { Find<QSpinBox>(form, "spnedt_pGap")->setValue(17); },
         {&TSliderData::gap},
         "Change Gap"},
        {"name",
         [&] { Find<QLineEdit>(form, "edt_pSliderName")->setText("Other"); },
         {&TSliderData::name, &TSliderData::configName, &TSliderData::divId,
          &TSliderData::spareConfigName},
         "Edit Slider Name"},
        {"style",
         [&] { Find<QComboBox>(form, "cmbx_pImageBorderStyle")->setCurrentIndex(5); },
         {&TSliderData::imageBorderStyle},
         "Change Border Style"},
        {"colour",
         [&] {
           prompt::QueueColor(QColor(1, 2, 3));
           emit Find<TColorPanel>(form, "pnl_pImageBorderColor")->clicked();
         },
         {&TSliderData::imageBorderColour},
         "Change Image Border Colour"},
        {"folder",
         [&] { Find<QLineEdit>(form, "edtpInternalUse_RootDir_Remote")->setText("r/"); },
         {&TSliderData::remoteRoot},
         "Edit Remote Folder"},
        {"option",
         [&] { Find<QRadioButton>(form, "rdbtnpInternalUse_RootDir_Local_Checked2")->click(); },
         {&TSliderData::localRootChecked},
         "Choose Link Replacement"},
    };
    QUndoStack* steps = form.document().undoStack();
    for (const auto& e : edits) {
      const TSliderData before = form.document().slider();
      const int count = steps->count();
      e.edit();
      const TSliderData& after = form.document().slider();
      for (const TField field : all) {
        const bool changed =
            std::find(e.changed.begin(), e.changed.end(), field) != e.changed.end();
        QVERIFY2((before.*field != after.*field) == changed, e.what);
      }
      QCOMPARE(steps->count(), count + 1);
      QCOMPARE(steps->undoText(), e.step);
    }
    QCOMPARE(form.document().slider().width, std::string("99999999"));
    // Typing on in the same box is the same step until the box is left.
    auto* gap = Find<QSpinBox>(form, "spnedt_pGap");
    const int count = steps->count();
    gap->setValue(18);
    gap->setValue(19);
    QCOMPARE(steps->count(), count + 1);
    emit gap->findChild<QLineEdit*>()->editingFinished();
    gap->setValue(20);
    QCOMPARE(steps->count(), count + 2);
    steps->undo();
    QCOMPARE(gap->value(), 19);
    QCOMPARE(form.document().slider().gap, std::string("19"));
  }

  void panelsShowTheDesignAndStoreItsValues() {
    TTestEnvironment env;
    TMainForm form(env.ProgramFolder());
    auto* local = Find<QRadioButton>(form, "rdbtnpInternalUse_RootDir_Local_Checked");
    auto* remote = Find<QRadioButton>(form, "rdbtnpInternalUse_RootDir_Local_Checked2");
    // Files of older versions open with what the panels cannot choose left unchosen: a path
    // option other than 1 or 0 selects neither button (saved as 0), a border style outside the
    // list leaves it without a choice (saved as -1).
    for (const auto& [option, style, localOn, remoteOn, index] :
         std::vector<std::tuple<std::string, std::string, bool, bool, int>>{
             {"1", "3", true, false, 3},
             {"0", "9", false, true, 9},
             {"2", "-1", false, false, -1},
             {"", "12", false, false, -1}}) {
      const QString file = WriteProject(env.Path(QString::fromStdString("older" + style + ".tvn")),
                                        {}, [&](TProjectModel& m) {
                                          m.Slider.localRootChecked = option;
                                          m.Slider.containerBorderStyle = style;
                                        });
      QVERIFY(form.files().openProjectFile(file));
      QCOMPARE(local->isChecked(), localOn);
      QCOMPARE(remote->isChecked(), remoteOn);
      QCOMPARE(Find<QComboBox>(form, "cmbx_pContainerBorderStyle")->currentIndex(), index);
      QCOMPARE(form.document().slider().localRootChecked, std::string(localOn ? "1" : "0"));
      QCOMPARE(form.document().slider().containerBorderStyle, std::to_string(index));
    }
    form.files().newProject();

    // A name only the script can use is typed, in any script's letters; what is refused is named
    // under the box. Emptied and left, the box gets the last whole name back. One from a
    // hand-edited file shows why it fails.
    auto* name = Find<QLineEdit>(form, "edt_pSliderName");
    auto* why = Find<QLabel>(form, "lbl_pSliderNameTip");
    const struct {
      QString typed, result, says;
    } names[] = {{"My-Slider1", "MySlider1", "\"-\" can't be part"},
                 {QString::fromUtf8("Galería"), QString::fromUtf8("Galería"), ""},
                 {QString::fromUtf8("Σλάιντερ_2$"), QString::fromUtf8("Σλάιντερ_2$"), ""},
                 {"1st", "st", "can't begin with \"1\""}};
    for (const auto& n : names) {
      name->clear();
      for (const QChar c : n.typed) name->insert(c);  // typed one character at a time
      QCOMPARE(name->text(), n.result);
      QCOMPARE(form.document().slider().name, n.result.toStdString());
      QCOMPARE(why->isVisibleTo(&form), !n.says.isEmpty());
      QVERIFY2(why->text().contains(n.says), qPrintable(why->text()));
      emit name->editingFinished();
      QVERIFY(!why->isVisibleTo(&form));
    }
    name->selectAll();
    name->insert("My Summer-Slider");  // a paste is refused whole
    QCOMPARE(name->text(), QString("st"));
    QVERIFY(why->text().startsWith("a blank, \"-\" can't be part of the name."));
    name->setText("Slider");
    emit name->editingFinished();
    for (int i = 0; i < 6; ++i) QTest::keyClick(name, Qt::Key_Backspace);
    emit name->editingFinished();
    QCOMPARE(name->text(), QString("Slider"));
    QCOMPARE(form.document().slider().name, std::string("Slider"));
    TSliderData data = form.document().slider();
    data.name = "Slider-1";
    form.document().setSlider(data, "test");
    QVERIFY(name->styleSheet().contains("red"));
    QVERIFY(name->toolTip().contains("letter"));

    // An emptied spin box gets its last value back when left.
    auto* width = Find<QSpinBox>(form, "spnedt_pWidth");
    width->setValue(250);
    width->setFocus();
    width->findChild<QLineEdit*>()->clear();
    QTest::keyClick(width, Qt::Key_Tab);
    width->clearFocus();
    QCOMPARE(width->value(), 250);
    QCOMPARE(form.document().slider().width, std::string("250"));

    // The value separator never stays in a text.
    Act(form, "Insert2")->trigger();
    Select(form, {0});
    prompt::QueueButton(TButton::Yes);
    auto* tip = Find<QLineEdit>(form, "edt_IToolTip");
    tip->setText("a#$@b");
    QCOMPARE(prompt::Shown().last().text,
             QString("The text can't include \"#$@\", it is used by system!"));
    QCOMPARE(tip->text(), QString());
    QCOMPARE(form.document().item(0).toolTip, std::string());
    // Nor does a line break: pasted lines become one, and the user is told.
    for (QLineEdit* edit : {tip, Find<QComboBox>(form, "cmbx_ILink")->lineEdit(),
                            Find<QLineEdit>(form, "edtpInternalUse_RootDir_Local")}) {
      prompt::QueueButton(TButton::Ok);
      edit->insert("one\r\ntwo\nthree");
      QCOMPARE(edit->text(), QString("one two three"));
      QVERIFY(prompt::Shown().last().text.contains("line breaks"));
    }
    QCOMPARE(form.document().item(0).toolTip, std::string("one two three"));
  }

  void choosersKeepWhatIsNotChosen() {
    TTestEnvironment env;
    TMainForm form(env.ProgramFolder());
    Act(form, "Insert2")->trigger();
    Select(form, {0});
    auto* picture = Find<QLineEdit>(form, "edtOriginalImagePath");
    picture->setText("/pics/kept.jpg");
    prompt::QueueFile(std::nullopt);
    Find<QToolButton>(form, "spdbtnOriginalImagePath")->click();
    QCOMPARE(picture->text(), QString("/pics/kept.jpg"));
    const QString filter = prompt::Shown().last().text;
    QVERIFY(filter.startsWith("All Image Files(*.jpg;*.jpeg;"));
    for (const char* pattern : {"*.png", "*.webp", "*.heic", "*.avif", "*.tif"})
      QVERIFY2(filter.section('|', 1).split(';').contains(pattern), pattern);
    prompt::QueueFile(QString("/pics/new one.jpg"));
    Find<QToolButton>(form, "spdbtnOriginalImagePath")->click();
    QCOMPARE(picture->text(), QString("/pics/new one.jpg"));
    QCOMPARE(UndoText(form), QString("&Undo Choose Picture"));

    QCOMPARE(TItemPanel::pathToFileUrl("C:\\My Pages\\index.html"),
             QString("file:///C:/My%20Pages/index.html"));
    QCOMPARE(TItemPanel::pathToFileUrl("/home/ana/C#/100%20off?/a.html"),
             QString("file:///home/ana/C%23/100%2520off%3F/a.html"));
  }

  void closingAsksOnlyWhenModified() {
    TTestEnvironment env;
    {
      TMainForm form(env.ProgramFolder());
      form.show();
      QVERIFY(form.close());  // nothing to ask
    }
    TMainForm form(env.ProgramFolder());
    form.show();
    Act(form, "Insert2")->trigger();
    prompt::QueueButton(TButton::Cancel);
    QVERIFY(!form.close());
    QCOMPARE(prompt::Shown().last().text, QString("Save changes to files before Exit?"));
    QCOMPARE(prompt::Shown().last().kind, TMessageKind::Warning);
    // Yes on a never-saved design, then the save dialog cancelled: the window stays.
    prompt::QueueButton(TButton::Yes);
    prompt::QueueFile(std::nullopt);
    QVERIFY(!form.close());
    QVERIFY(form.isVisible());
    prompt::QueueButton(TButton::No);
    QVERIFY(form.close());
  }

  void closingWithYesSavesTheEditedName() {
    TTestEnvironment env;
    const QString file = WriteProject(env.Path("site/show.tvn"), {});
    TMainForm form(env.ProgramFolder());
    form.show();
    QVERIFY(form.files().openProjectFile(file));
    Find<QLineEdit>(form, "edt_pSliderName")->setText("Renamed");
    prompt::QueueButton(TButton::Yes);
    QVERIFY(form.close());
    QVERIFY(ReadText(file).contains("Renamed#$@Renamedcfg#$@Renamed_div#$@"));
    QVERIFY(QFile::exists(env.Path("site/show.html")));
  }

  void theCommandLineNamesOneFile() {
    TTestEnvironment env;
    QDir().mkpath(env.Path("My Designs"));
    const QString file = WriteProject(env.Path("My Designs/a b.tvn"), {"0", "0"});
    {
      TMainForm form(env.ProgramFolder());
      form.files().openCommandLine({env.Path("My"), "Designs/a", "b.tvn"});
      QCOMPARE(form.document().fileName(), file);
      QCOMPARE(form.document().itemCount(), 2);
      QCOMPARE(form.files().recentEntries(), QStringList{file});
      QVERIFY(!form.document().isModified());
    }
    {
      // A relative path is made absolute once.
      const QString before = QDir::currentPath();
      QDir::setCurrent(env.Path("My Designs"));
      TMainForm form(env.ProgramFolder());
      form.files().openCommandLine({"a", "b.tvn"});
      QDir::setCurrent(before);
      QCOMPARE(form.document().fileName(), file);
    }
    {
      // Blanks only open nothing; a missing file shows no box of its own and the tree works.
      TMainForm form(env.ProgramFolder());
      form.files().openCommandLine({" ", ""});
      QVERIFY(form.document().fileName().isEmpty());
      form.files().openCommandLine({env.Path("missing.tvn")});
      QVERIFY(form.document().fileName().isEmpty());
      QVERIFY(!SaveEnabled(form));
      Act(form, "Insert2")->trigger();
      Select(form, {0});
      QCOMPARE(TabsShown(form), QStringList({"tbshtItemGeneral"}));
      // A project file cut short says so, naming the file, and opens nothing.
      QFile::resize(file, QFileInfo(file).size() / 2);
      prompt::QueueButton(TButton::Ok);
      form.files().openCommandLine({file});
      QVERIFY(!prompt::Shown().isEmpty() &&
              prompt::Shown().last().text.contains(QDir::toNativeSeparators(file)));
      QVERIFY(form.document().fileName().isEmpty());
    }
  }

  void progressIsPutBackAlsoWhenWorkFails() {
    TTestEnvironment env;
    TMainForm form(env.ProgramFolder());
    auto* bar = Find<QProgressBar>(form, "prgrsbrMainFormBottom");
    auto* hint = Find<QLabel>(form, "stctxtHint");
    QFile bad(env.Path("bad.jpg"));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("not a picture");
    bad.close();
    QVERIFY(form.document().addPictures({bad.fileName()}).isEmpty());
    bool failed = false;
    try {
      form.document().save(env.Path("x.tvn"));
    } catch (const std::exception&) {
      failed = true;
    }
    QVERIFY(failed);
    QVERIFY(form.document().isModified());
    QCOMPARE(bar->value(), 0);
    QCOMPARE(hint->text(), QString());
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);

    // Steps reach a hidden bar too.
    Act(form, "StatusBar2")->trigger();
    QVERIFY(!bar->isVisibleTo(&form) && !hint->isVisibleTo(&form));
    form.work().SetMaximum(100);
    form.work().Step(30);
    QCOMPARE(bar->value(), 30);
    form.work().SetPosition(0);
    Act(form, "ToolBar1")->trigger();
    QVERIFY(!Find<QToolBar>(form, "tlbr1")->isVisibleTo(&form));
  }

  void droppedPicturesBecomeItemsInOneStep() {
    TTestEnvironment env;
    TMainForm form(env.ProgramFolder());
    form.show();
    const QString a = MakeJpeg(env.Path("drop/a.jpg"), 40, 30);
    const QString b = MakeJpeg(env.Path("drop/B.JPEG"), 40, 30);
    QList<QUrl> urls = {QUrl::fromLocalFile(a), QUrl::fromLocalFile(b)};
    std::vector<std::string> expected = {a.toStdString(), b.toStdString()};
    // Other formats are taken by their names (their contents are read when pictures are made).
    for (const char* name : {"notes.txt", "c.png", "d.WEBP", "e.heic", "f.avif", "g.tiff"}) {
      QFile file(env.Path(QString("drop/") + name));
      QVERIFY(file.open(QIODevice::WriteOnly));
      urls << QUrl::fromLocalFile(file.fileName());
      if (QString(name) != "notes.txt") expected.push_back(file.fileName().toStdString());
    }
    QMimeData data;
    data.setUrls(urls);
    QWidget* viewport = TreeOf(form)->viewport();
    // As a file manager's drag arrives: entering, then the drop.
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    prompt::QueueButton(TButton::Ok);
    QCoreApplication::sendEvent(viewport, &drop);
    QCOMPARE(Pictures(form), expected);
    QCOMPARE(form.document().NodeCount(), 8);
    QVERIFY(prompt::Shown().last().text.contains("notes.txt"));
    QVERIFY(form.document().isModified());
    QCOMPARE(UndoText(form), QString("&Undo Add Pictures"));
    Act(form, "Undo1")->trigger();
    QCOMPARE(form.document().itemCount(), 0);
  }

  // Pictures dropped among many items land between the rows under the pointer (on an item's
  // row: before it), selected and in view; Insert's new item is scrolled into view.
  void droppedPicturesLandWhereDropped() {
    TTestEnvironment env;
    TMainForm form(env.ProgramFolder());
    form.resize(781, 524);
    form.show();
    const QString photo = MakeJpeg(env.Path("drop/photo.jpg"), 40, 30);
    QStringList many;
    for (int i = 0; i < 60; ++i) many << photo;
    form.document().addPictures(many);
    const QString x = MakeJpeg(env.Path("drop/x.jpg"), 40, 30);
    const QString y = MakeJpeg(env.Path("drop/y.jpg"), 40, 30);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(x), QUrl::fromLocalFile(y)});
    QTreeView* tree = TreeOf(form);
    const auto inView = [&](int item) {
      return tree->viewport()->rect().contains(tree->visualRect(RowOf(form, item)));
    };
    struct TCase {
      int target;
      bool before;
    };
    for (const TCase c : {TCase{5, true}, TCase{5, false}, TCase{50, true}, TCase{0, false}}) {
      DropOnto(form, &data, c.target, c.before, Qt::CopyAction);
      QCOMPARE(form.document().item(c.target).originalPath, x.toStdString());
      QCOMPARE(form.document().item(c.target + 1).originalPath, y.toStdString());
      QCOMPARE(form.tree().selectedItems(), (std::vector<int>{c.target, c.target + 1}));
      QVERIFY(inView(c.target) && inView(c.target + 1));
      Act(form, "Undo1")->trigger();
      QCOMPARE(form.document().itemCount(), 60);
    }
    // On the slider's row: after the last item.
    DropOnto(form, &data, -1, false, Qt::CopyAction);
    QCOMPARE(form.document().item(61).originalPath, y.toStdString());
    QVERIFY(inView(61));

    ClickTree(form, -1);
    tree->scrollToTop();
    Act(form, "Insert2")->trigger();
    QCOMPARE(form.tree().selectedItems(), std::vector<int>{-1});
    QVERIFY(inView(62));
  }
};

TORVANE_UI_TEST(TestMainWindow);
#include "TestMainWindow.moc"
