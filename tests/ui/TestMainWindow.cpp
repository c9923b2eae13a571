// The main window driven by object name: start-up, the design tree and its commands, the
// property tabs, the modified state, closing, the command line, progress and dropped pictures.
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
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include "ColorPanel.h"
#include "DialogFrame.h"
#include "MainForm.h"
#include "UiTest.h"

using namespace uitest;

namespace {
QTreeWidget* TreeOf(QWidget& form) { return Find<QTreeWidget>(form, "trvwDesignPanel"); }
QTreeWidgetItem* Node(QWidget& form, int row) {
  return TreeOf(form)->topLevelItem(0)->child(row);
}
void Select(QWidget& form, QTreeWidgetItem* node) { TreeOf(form)->setCurrentItem(node); }
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
bool SaveEnabled(QWidget& form) {
  return Act(form, "Save1")->isEnabled() && Act(form, "tlbtnSave")->isEnabled();
}
// Writes a project file with the given item levels (pictures "p<n>.jpg") through the model.
QString WriteProject(const QString& path, const std::vector<std::string>& levels) {
  TqelAppletAgent model(QDir::tempPath().toStdString());
  model.LoadDefaults();
  for (size_t i = 0; i < levels.size(); ++i) {
    TItemData item = TqelAppletAgent::DefaultItemData();
    item.OriginalImagePath = "p" + std::to_string(i) + ".jpg";
    item.ILevel = levels[i];
    model.InsertItem(int(i), item);
  }
  QDir().mkpath(QFileInfo(path).absolutePath());
  model.SaveProject(path.toStdString());
  return path;
}
std::vector<std::string> Pictures(TMainForm& form) {
  std::vector<std::string> names;
  for (const TItemData& item : form.Model().Items) names.push_back(item.OriginalImagePath);
  return names;
}
void ClickTree(TMainForm& form, QTreeWidgetItem* node) {
  QTreeWidget* tree = TreeOf(form);
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(node).center());
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
    QCOMPARE(TreeOf(form)->topLevelItemCount(), 1);
    QCOMPARE(TreeOf(form)->currentItem()->text(0), QString("Torvane"));
    QCOMPARE(TabsShown(form), QStringList({"tbshtScript", "tbshtPath"}));
    QCOMPARE(CurrentTab(form), QString("tbshtScript"));
    QCOMPARE(Commands(form), QString("1111"));
    QVERIFY(!SaveEnabled(form));
    QCOMPARE(Find<QLineEdit>(form, "edt_pSliderName")->text(), QString("Slider1"));
    QVERIFY(QFile::exists(env.ProgramFolder() + "recentfile.dat"));

    // Delete on the root only says no, the moves do nothing; none of them marks the design.
    prompt::QueueButton(TButton::Ok);
    Act(form, "Delete2")->trigger();
    QCOMPARE(prompt::Shown().last().text, QString("Root item cannot be deleted."));
    QCOMPARE(prompt::Shown().last().kind, TMessageKind::Error);
    Act(form, "MoveUp2")->trigger();
    Act(form, "MoveDown2")->trigger();
    QCOMPARE(TreeOf(form)->topLevelItem(0)->childCount(), 0);
    QVERIFY(!form.ProjectModified && !SaveEnabled(form));

    // The first click into the tree brings the commands in line with the root.
    ClickTree(form, TreeOf(form)->topLevelItem(0));
    QCOMPARE(Commands(form), QString("1000"));

    // The window opens at its designed size, centred, and never larger than the screen's free
    // area (a 1600 x 1000 screen at scale 2 offers 800 x 500 minus the task bar).
    const QMargins frameRoom(8, 40, 8, 8);
    const struct {
      QRect area;
      QRect placed;
    } screens[] = {{QRect(0, 0, 1920, 1040), QRect(569, 274, 781, 524)},
                   {QRect(0, 0, 800, 480), QRect(9, 40, 781, 432)},
                   {QRect(100, 50, 600, 400), QRect(108, 90, 584, 352)}};
    for (const auto& s : screens) QCOMPARE(frame::FitOnScreen(QSize(781, 524), s.area, frameRoom), s.placed);
    form.PlaceOnScreen();
    QVERIFY(form.screen()->availableGeometry().contains(form.geometry()));

    // The desktop file association went to the test's data folder.
    QVERIFY(QFile::exists(env.Path("data/applications/torvane.desktop")));
    QVERIFY(QFile::exists(env.Path("data/mime/packages/torvane.xml")));
  }

  void treeAndItemListStayInStep() {
    TTestEnvironment env;
    TMainForm form(env.ProgramFolder());
    for (int i = 0; i < 3; ++i) Act(form, "tlbtnInsert")->trigger();
    QCOMPARE(TreeOf(form)->topLevelItem(0)->childCount(), 3);
    QCOMPARE(form.Model().Items.size(), size_t(3));
    for (int i = 0; i < 3; ++i) {
      QCOMPARE(Node(form, i)->text(0), QString("Item"));
      QCOMPARE(form.Model().Items[size_t(i)].ILevel, std::string("0"));
      QCOMPARE(form.Model().Items[size_t(i)].ITarget, std::string("_self"));
    }
    QCOMPARE(TreeOf(form)->currentItem(), TreeOf(form)->topLevelItem(0));

    // Selecting an item shows it in its own tab; showing changes nothing.
    form.ClearModified();
    Select(form, Node(form, 1));
    QCOMPARE(TabsShown(form), QStringList({"tbshtItemGeneral"}));
    QCOMPARE(Commands(form), QString("0111"));
    QVERIFY(!form.ProjectModified);
    auto* link = Find<QComboBox>(form, "cmbx_ILink");
    auto* picture = Find<QLineEdit>(form, "edtOriginalImagePath");
    link->setEditText(" http://one.example/ ");
    picture->setText("b.jpg");
    Select(form, Node(form, 2));  // item 1 is written back before item 2 is shown
    QCOMPARE(form.Model().Items[1].ILink, std::string("http://one.example/"));
    QCOMPARE(link->currentText(), QString(""));
    picture->setText("c.jpg");
    Select(form, TreeOf(form)->topLevelItem(0));  // and item 2 when the root is selected
    QCOMPARE(form.Model().Items[2].OriginalImagePath, std::string("c.jpg"));
    QCOMPARE(TabsShown(form), QStringList({"tbshtScript", "tbshtPath"}));

    // Move Down on the first item: the model follows the node, which stays selected.
    Select(form, Node(form, 0));
    picture->setText("a.jpg");
    Act(form, "MoveDown1")->trigger();
    QCOMPARE(Pictures(form), (std::vector<std::string>{"b.jpg", "", "c.jpg"}));
    QCOMPARE(TreeOf(form)->currentItem(), Node(form, 1));
    QCOMPARE(Commands(form), QString("0111"));
    Select(form, Node(form, 0));  // the edited item is written where it now stands
    QCOMPARE(Pictures(form), (std::vector<std::string>{"b.jpg", "a.jpg", "c.jpg"}));
    Act(form, "MoveUp2")->trigger();  // on the first sibling: nothing moves
    QCOMPARE(Pictures(form), (std::vector<std::string>{"b.jpg", "a.jpg", "c.jpg"}));
    QCOMPARE(Commands(form), QString("0101"));

    // Delete asks; No keeps everything and the design unmarked.
    form.ClearModified();
    prompt::QueueButton(TButton::No);
    Act(form, "tlbtnDelete")->trigger();
    QCOMPARE(form.Model().Items.size(), size_t(3));
    QVERIFY(!form.ProjectModified);
    prompt::QueueButton(TButton::Yes);
    Act(form, "Delete1")->trigger();
    QCOMPARE(prompt::Shown().last().text,
             QString("Are you sure to delete this item and all its children?"));
    QCOMPARE(Pictures(form), (std::vector<std::string>{"a.jpg", "c.jpg"}));
    QCOMPARE(TreeOf(form)->topLevelItem(0)->childCount(), 2);
    // The neighbour now selected shows its own item.
    QCOMPARE(picture->text(), QString::fromStdString(
                                  form.Model().Items[size_t(form.SelectedIndex() - 1)].OriginalImagePath));
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
    ClickTree(form, Node(form, 1));
    QCOMPARE(ctrlTab(), QString("tbshtItemGeneral"));

    // The current node stays highlighted whatever is clicked.
    QTreeWidget* tree = TreeOf(form);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      tree->visualItemRect(Node(form, 1)).center());
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, QPoint(5, tree->viewport()->height() - 5));
    QCOMPARE(tree->currentItem(), Node(form, 1));
    QVERIFY(Node(form, 1)->isSelected());

    const QMap<QString, QString> keys{{"Delete2", "Del"}, {"Insert2", "Ins"}, {"Topic1", "F1"},
                                      {"Save2", "Ctrl+Shift+S"}, {"Exit1", "Ctrl+Q"},
                                      {"Save1", "Ctrl+S"}};
    for (auto it = keys.begin(); it != keys.end(); ++it)
      QCOMPARE(Act(form, qPrintable(it.key()))->shortcut(), QKeySequence(it.value()));
    auto* menu = form.findChild<QMenu*>("PopupMenu1");
    QTest::keyClick(tree, Qt::Key_F10, Qt::ShiftModifier);
    QVERIFY(menu->isVisible());
    menu->hide();
    // A colour box with the keyboard focus shows it.
    Select(form, tree->topLevelItem(0));
    auto* colour = Find<TColorPanel>(form, "pnl_pBgColor");
    QVERIFY(colour->focusPolicy() & Qt::TabFocus);
    const QImage unfocused = colour->grab().toImage();
    QApplication::setActiveWindow(&form);
    colour->setFocus();
    QVERIFY(colour->hasFocus());
    QVERIFY(colour->grab().toImage() != unfocused);

    // An open while an item is selected leaves the root's commands.
    const QString file = WriteProject(env.Path("two.tvn"), {"0", "0"});
    form.ClearModified();
    QVERIFY(form.OpenProjectFile(file));
    QCOMPARE(Commands(form), QString("1000"));
  }

  void nestedItemsFromAFileMoveAndDeleteAsWholeSubtrees() {
    TTestEnvironment env;
    // p0 { p1 p2 } p3 { p4 }
    const QString file = WriteProject(env.Path("nested.tvn"), {"0", "1", "1", "0", "1"});
    TMainForm form(env.ProgramFolder());
    QVERIFY(form.OpenProjectFile(file));
    QTreeWidgetItem* root = TreeOf(form)->topLevelItem(0);
    QCOMPARE(root->childCount(), 2);
    QCOMPARE(root->child(0)->childCount(), 2);
    QCOMPARE(root->child(0)->text(0), QString("Image"));

    Select(form, root->child(1));
    Act(form, "MoveUp2")->trigger();
    QCOMPARE(Pictures(form), (std::vector<std::string>{"p3.jpg", "p4.jpg", "p0.jpg", "p1.jpg", "p2.jpg"}));
    QCOMPARE(root->child(0)->child(0)->childCount(), 0);
    QCOMPARE(root->child(1)->childCount(), 2);
    Act(form, "MoveDown2")->trigger();
    QCOMPARE(Pictures(form), (std::vector<std::string>{"p0.jpg", "p1.jpg", "p2.jpg", "p3.jpg", "p4.jpg"}));

    // Moving a child within its parent.
    Select(form, root->child(0)->child(1));
    Act(form, "MoveUp2")->trigger();
    QCOMPARE(Pictures(form), (std::vector<std::string>{"p0.jpg", "p2.jpg", "p1.jpg", "p3.jpg", "p4.jpg"}));

    // A node with two children takes three items with it.
    Select(form, root->child(0));
    prompt::QueueButton(TButton::Yes);
    Act(form, "Delete2")->trigger();
    QCOMPARE(Pictures(form), (std::vector<std::string>{"p3.jpg", "p4.jpg"}));
    QCOMPARE(form.Tree().NodeCount(), 3);
  }

  void aLargeDesignOpensInTimeProportionalToItsSize() {
    TTestEnvironment env;
    std::vector<std::string> levels;
    for (int i = 0; i < 50000; ++i) levels.push_back(i % 4 == 3 ? "1" : "0");
    const QString file = WriteProject(env.Path("large.tvn"), levels);
    TMainForm form(env.ProgramFolder());
    QElapsedTimer clock;
    clock.start();
    QVERIFY(form.OpenProjectFile(file));
    // About a tenth of a second here; one icon made per node instead took over a second.
    QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed()) + " ms"));
    QCOMPARE(form.Tree().NodeCount(), 50001);
    QCOMPARE(TreeOf(form)->topLevelItem(0)->childCount(), 37500);
    QCOMPARE(form.Tree().Depth(4), 2);
    QCOMPARE(form.Tree().Caption(50000), std::string("Image"));
  }

  void theModifiedStateFollowsEveryEdit() {
    TTestEnvironment env;
    TMainForm form(env.ProgramFolder());
    struct TEdit {
      const char* what;
      bool marks;  // a real change marks; showing, a refused command or no change does not
      std::function<void()> edit;
    };
    const auto colour = [&](std::optional<QColor> answer) {
      prompt::QueueColor(answer);
      emit Find<TColorPanel>(form, "pnl_pBgColor")->clicked();
    };
    const QList<TEdit> edits{
        {"spin box", true, [&] { Find<QSpinBox>(form, "spnedt_pGap")->setValue(7); }},
        {"name", true, [&] { Find<QLineEdit>(form, "edt_pSliderName")->setText("Other"); }},
        {"root folder", true, [&] { Find<QLineEdit>(form, "edtpInternalUse_RootDir_Remote")->setText("x"); }},
        {"border style", true, [&] { Find<QComboBox>(form, "cmbx_pImageBorderStyle")->setCurrentIndex(5); }},
        {"radio", true, [&] { Find<QRadioButton>(form, "rdbtnpInternalUse_RootDir_Local_Checked2")->setChecked(true); }},
        {"colour cancelled", false, [&] { colour(std::nullopt); }},
        {"same colour", false, [&] { colour(Find<TColorPanel>(form, "pnl_pBgColor")->Color()); }},
        {"other colour", true, [&] { colour(QColor(1, 2, 3)); }},
        {"insert", true, [&] { Act(form, "Insert2")->trigger(); }},
        {"select item", false, [&] { Select(form, Node(form, 0)); }},
        {"picture path", true, [&] { Find<QLineEdit>(form, "edtOriginalImagePath")->setText("z.jpg"); }},
        {"move refused", false, [&] { Act(form, "MoveUp2")->trigger(); }},
        {"select root", false, [&] { Select(form, TreeOf(form)->topLevelItem(0)); }},
        {"root delete refused", false, [&] {
           prompt::QueueButton(TButton::Ok);
           Act(form, "Delete2")->trigger();
         }},
    };
    for (const TEdit& e : edits) {
      form.ClearModified();
      e.edit();
      QVERIFY2(form.ProjectModified == e.marks && SaveEnabled(form) == e.marks, e.what);
    }
    // A confirmed colour reaches the model at the next store.
    prompt::QueueColor(QColor(0x12, 0x34, 0x56));
    emit Find<TColorPanel>(form, "pnl_pContainerBorderColor")->clicked();
    form.StoreSliderParameters();
    QCOMPARE(form.Model().AppletData.pContainerBorderColor, std::string("123456"));
    QCOMPARE(form.Model().AppletData.pImageBorderStyle, std::string("5"));
    QCOMPARE(form.Model().AppletData.pInternalUse_RootDir_Local_Checked, std::string("0"));
  }

  void panelsShowAndStoreTheDesign() {
    TTestEnvironment env;
    TMainForm form(env.ProgramFolder());
    auto* name = Find<QLineEdit>(form, "edt_pSliderName");
    name->setText(" Gallery ");
    form.StoreSliderParameters();
    const TAppletData& d = form.Model().AppletData;
    QCOMPARE(d.pSliderName, std::string("Gallery"));
    QCOMPARE(d.pCfgName, std::string("Gallerycfg"));
    QCOMPARE(d.pSpareCfgName, std::string("Gallerycfg"));
    QCOMPARE(d.pDivId, std::string("Gallery_div"));

    auto* local = Find<QRadioButton>(form, "rdbtnpInternalUse_RootDir_Local_Checked");
    auto* remote = Find<QRadioButton>(form, "rdbtnpInternalUse_RootDir_Local_Checked2");
    for (const auto& [stored, localOn, remoteOn, back] :
         std::vector<std::tuple<std::string, bool, bool, std::string>>{
             {"1", true, false, "1"}, {"0", false, true, "0"}, {"x", false, false, "0"}}) {
      TAppletData data = form.Model().AppletData;
      data.pInternalUse_RootDir_Local_Checked = stored;
      data.pImageBorderStyle = stored == "x" ? "12" : "3";
      form.Model().SetAppletData(data);
      form.ShowSliderParameters();
      QCOMPARE(local->isChecked(), localOn);
      QCOMPARE(remote->isChecked(), remoteOn);
      form.StoreSliderParameters();
      QCOMPARE(form.Model().AppletData.pInternalUse_RootDir_Local_Checked, back);
      QCOMPARE(form.Model().AppletData.pImageBorderStyle, std::string(stored == "x" ? "-1" : "3"));
    }

    // A name only the script can use is typed, in any script's letters; what is refused is named
    // under the box. Emptied and left, the box gets the last whole name back.
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
    TAppletData data = form.Model().AppletData;
    data.pSliderName = "Slider-1";
    form.Model().SetAppletData(data);
    form.ShowSliderParameters();
    QVERIFY(!form.SliderNameValid());
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
    form.StoreSliderParameters();
    QCOMPARE(form.Model().AppletData.pWidth, std::string("250"));

    // The value separator never stays in a text.
    Act(form, "Insert2")->trigger();
    Select(form, Node(form, 0));
    prompt::QueueButton(TButton::Yes);
    auto* tip = Find<QLineEdit>(form, "edt_IToolTip");
    tip->setText("a#$@b");
    QCOMPARE(prompt::Shown().last().text, QString("The text can't include \"#$@\", it is used by system!"));
    QCOMPARE(tip->text(), QString());
    // Nor does a line break: pasted lines become one, and the user is told.
    for (QLineEdit* edit : {tip, Find<QComboBox>(form, "cmbx_ILink")->lineEdit(),
                            Find<QLineEdit>(form, "edtpInternalUse_RootDir_Local")}) {
      prompt::QueueButton(TButton::Ok);
      edit->insert("one\r\ntwo\nthree");
      QCOMPARE(edit->text(), QString("one two three"));
      QVERIFY(prompt::Shown().last().text.contains("line breaks"));
    }
  }

  void choosersKeepWhatIsNotChosen() {
    TTestEnvironment env;
    TMainForm form(env.ProgramFolder());
    Act(form, "Insert2")->trigger();
    Select(form, Node(form, 0));
    auto* picture = Find<QLineEdit>(form, "edtOriginalImagePath");
    picture->setText("/pics/kept.jpg");
    prompt::QueueFile(std::nullopt);
    Find<QToolButton>(form, "spdbtnOriginalImagePath")->click();
    QCOMPARE(picture->text(), QString("/pics/kept.jpg"));
    QCOMPARE(prompt::Shown().last().text, QString("All Image Files(*.jpg;*.jpeg)|*.jpg;*.jpeg"));
    prompt::QueueFile(QString("/pics/new one.jpg"));
    Find<QToolButton>(form, "spdbtnOriginalImagePath")->click();
    QCOMPARE(picture->text(), QString("/pics/new one.jpg"));

    QCOMPARE(TMainForm::PathToFileUrl("C:\\My Pages\\index.html"), QString("file:///C:/My%20Pages/index.html"));
    QCOMPARE(TMainForm::PathToFileUrl("/home/ana/C#/100%20off?/a.html"),
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
    QVERIFY(form.OpenProjectFile(file));
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
      form.OpenCommandLine({env.Path("My"), "Designs/a", "b.tvn"});
      QCOMPARE(form.ProjectFileName, file);
      QCOMPARE(form.Model().Items.size(), size_t(2));
      QCOMPARE(form.RecentEntries(), QStringList{file});
      QVERIFY(!form.ProjectModified);
    }
    {
      // A relative path is made absolute once.
      const QString before = QDir::currentPath();
      QDir::setCurrent(env.Path("My Designs"));
      TMainForm form(env.ProgramFolder());
      form.OpenCommandLine({"a", "b.tvn"});
      QDir::setCurrent(before);
      QCOMPARE(form.ProjectFileName, file);
    }
    {
      // Blanks only open nothing; a missing file shows no box of its own and the tree works.
      TMainForm form(env.ProgramFolder());
      form.OpenCommandLine({" ", ""});
      QVERIFY(form.ProjectFileName.isEmpty());
      form.OpenCommandLine({env.Path("missing.tvn")});
      QVERIFY(form.ProjectFileName.isEmpty());
      QVERIFY(!form.TreeRebuilding);
      QVERIFY(!SaveEnabled(form));
      Act(form, "Insert2")->trigger();
      Select(form, Node(form, 0));
      QCOMPARE(TabsShown(form), QStringList({"tbshtItemGeneral"}));
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
    QVERIFY(form.AppendPictureItems({bad.fileName()}).isEmpty());
    form.StorePanels();
    bool failed = false;
    try {
      form.Model().PublishProject(env.Path("").toStdString(), "x.tvn", form.Tree());
    } catch (const std::exception&) {
      failed = true;
    }
    QVERIFY(failed);
    QCOMPARE(bar->value(), 0);
    QCOMPARE(hint->text(), QString());
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);

    // Steps reach a hidden bar too.
    Act(form, "StatusBar2")->trigger();
    QVERIFY(!bar->isVisibleTo(&form) && !hint->isVisibleTo(&form));
    form.SetMaximum(100);
    form.Step(30);
    QCOMPARE(bar->value(), 30);
    form.SetPosition(0);
    Act(form, "ToolBar1")->trigger();
    QVERIFY(!Find<QToolBar>(form, "tlbr1")->isVisibleTo(&form));
  }

  void droppedPicturesBecomeItems() {
    TTestEnvironment env;
    TMainForm form(env.ProgramFolder());
    form.show();
    const QString a = MakeJpeg(env.Path("drop/a.jpg"), 40, 30);
    const QString b = MakeJpeg(env.Path("drop/B.JPEG"), 40, 30);
    QFile text(env.Path("drop/notes.txt"));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.close();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(text.fileName()), QUrl::fromLocalFile(b)});
    QWidget* viewport = TreeOf(form)->viewport();
    // As a file manager's drag arrives: entering, then the drop.
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    prompt::QueueButton(TButton::Ok);
    QCoreApplication::sendEvent(viewport, &drop);
    QCOMPARE(Pictures(form), (std::vector<std::string>{a.toStdString(), b.toStdString()}));
    QCOMPARE(form.Tree().NodeCount(), 3);
    QVERIFY(prompt::Shown().last().text.contains("notes.txt"));
    QVERIFY(form.ProjectModified);
  }
};

TORVANE_UI_TEST(TestMainWindow);
#include "TestMainWindow.moc"
