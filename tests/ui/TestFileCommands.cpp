// The File menu: what New, Open, Save, Save As and the open routine do to the design, its file
// name, the modified state and the recent list, and that unsaved work is never dropped silently.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QUndoStack>

#include "FileUtil.h"
#include "MainForm.h"
#include "UiTest.h"

using namespace uitest;

namespace {
// A project of `items` top-level items under the slider name given.
QString WriteProject(const QString& path, int items, const std::string& name = "Slider1") {
  return uitest::WriteProject(path, std::vector<std::string>(size_t(items), "0"),
                              [&](TqelAppletAgent& model) { model.AppletData.pSliderName = name; });
}
QStringList RecentLines(const QString& programFolder) {
  QStringList lines;
  for (const std::string& line : fileutil::ReadTextLines((programFolder + "recentfile.dat").toStdString()))
    lines << QString::fromStdString(line);
  return lines;
}
}  // namespace

class TestFileCommands : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { VERIFY_PROMPTS(); }

  void commandsLeaveTheStateTheirTableSays() {
    TTestEnvironment env;
    const QString first = WriteProject(env.Path("a/first.tvn"), 2, "First");
    TMainForm form(env.ProgramFolder());

    // Open: the file's design, its name, listed; nothing modified.
    prompt::QueueFile(first);
    Act(form, "Open1")->trigger();
    QCOMPARE(form.Document().fileName(), first);
    QCOMPARE(form.Document().items().size(), size_t(2));
    QCOMPARE(form.findChild<QLineEdit*>("edt_pSliderName")->text(), QString("First"));
    QVERIFY(!form.Document().isModified() && !SaveEnabled(form));
    QCOMPARE(RecentLines(env.ProgramFolder()), QStringList{"&1 " + first});

    // Save on a named project writes without a dialog and leaves the recent list alone.
    form.findChild<QLineEdit*>("edt_pSliderName")->setText("Changed");
    QVERIFY(SaveEnabled(form));
    Act(form, "tlbtnSave")->trigger();
    QVERIFY(!form.Document().isModified() && !SaveEnabled(form));
    QVERIFY(ReadText(first).contains("Changed#$@"));
    QVERIFY(QFile::exists(env.Path("a/first.html")));

    // Save As to a name typed without extension: written as .tvn, remembered as typed.
    prompt::QueueFile(env.Path("b/second"));
    QDir().mkpath(env.Path("b"));
    Act(form, "Save2")->trigger();
    QVERIFY(QFile::exists(env.Path("b/second.tvn")));
    QCOMPARE(form.Document().fileName(), env.Path("b/second"));
    QCOMPARE(RecentLines(env.ProgramFolder()).size(), 1);

    // Save As onto an existing project asks first; No writes nothing.
    const QString before = ReadText(first);
    form.findChild<QLineEdit*>("edt_pSliderName")->setText("Third");
    prompt::QueueFile(env.Path("a/first.tvn"));
    prompt::QueueButton(TButton::No);
    Act(form, "Save2")->trigger();
    QVERIFY(prompt::Shown().last().text.contains("already exists"));
    QCOMPARE(ReadText(first), before);
    QCOMPARE(form.Document().fileName(), env.Path("b/second"));

    // New: the defaults, no file, after the save-changes prompt.
    prompt::QueueButton(TButton::No);
    Act(form, "New1")->trigger();
    QCOMPARE(prompt::Shown().last().text, QString("Save changes to files?"));
    QVERIFY(form.Document().fileName().isEmpty());
    QVERIFY(form.Document().items().empty());
    QCOMPARE(form.findChild<QLineEdit*>("edt_pSliderName")->text(), QString("Slider1"));
    QVERIFY(!form.Document().isModified() && !SaveEnabled(form));
  }

  void unsavedWorkIsNeverDroppedSilently() {
    TTestEnvironment env;
    const QString other = WriteProject(env.Path("other.tvn"), 1);
    TMainForm form(env.ProgramFolder());
    form.findChild<QAction*>("Insert2")->trigger();
    form.findChild<QAction*>("Insert2")->trigger();

    // Yes, then the save dialog cancelled: New, Open and the open routine all stop.
    for (int command = 0; command < 3; ++command) {
      prompt::QueueButton(TButton::Yes);
      prompt::QueueFile(std::nullopt);
      if (command == 0) Act(form, "New1")->trigger();
      if (command == 1) Act(form, "tlbtnOpen")->trigger();
      if (command == 2) QVERIFY(!form.OpenProjectFile(other));
      QCOMPARE(form.Document().items().size(), size_t(2));
      QVERIFY(form.Document().isModified());
    }
    // Cancel ends the command too; Save with its dialog cancelled stores the panels only.
    prompt::QueueButton(TButton::Cancel);
    Act(form, "New1")->trigger();
    QCOMPARE(form.Document().items().size(), size_t(2));
    form.findChild<QLineEdit*>("edt_pSliderName")->setText("Kept");
    prompt::QueueFile(std::nullopt);
    Act(form, "Save1")->trigger();
    QCOMPARE(form.Document().slider().pSliderName, std::string("Kept"));
    QVERIFY(form.Document().isModified() && SaveEnabled(form));

    // A save that fails (the folder is gone) also keeps the design, and says why.
    prompt::QueueButton(TButton::Yes);
    prompt::QueueFile(env.Path("no such folder/x.tvn"));
    prompt::QueueButton(TButton::Ok);
    Act(form, "New1")->trigger();
    QCOMPARE(prompt::Shown().last().kind, TMessageKind::Error);
    QCOMPARE(form.Document().items().size(), size_t(2));
    QVERIFY(form.Document().fileName().isEmpty());
  }

  void aRefusedOrFailedOpenNeverTakesOver() {
    TTestEnvironment env;
    const QString good = WriteProject(env.Path("good.tvn"), 3, "Good");
    QFile foreign(env.Path("foreign.tvn"));
    QVERIFY(foreign.open(QIODevice::WriteOnly));
    foreign.write("just some text\r\n");
    foreign.close();
    TMainForm form(env.ProgramFolder());
    QVERIFY(form.OpenProjectFile(good));
    form.findChild<QLineEdit*>("edt_pSliderName")->setText("Edited");
    form.Document().undoStack()->setClean();

    prompt::QueueButton(TButton::Ok);  // the reader's own refusal
    QVERIFY(!form.OpenProjectFile(foreign.fileName()));
    QCOMPARE(form.Document().fileName(), good);
    QCOMPARE(form.Document().items().size(), size_t(3));
    QCOMPARE(form.Document().NodeCount(), 4);
    QCOMPARE(form.findChild<QLineEdit*>("edt_pSliderName")->text(), QString("Edited"));
    QCOMPARE(RecentLines(env.ProgramFolder()), QStringList{"&1 " + good});

    bool failed = false;
    try {
      form.OpenProjectFile(env.Path("missing.tvn"));
    } catch (const std::exception& error) {
      failed = QString(error.what()).contains("missing.tvn");
    }
    QVERIFY(failed);
    QCOMPARE(form.Document().fileName(), good);
    QCOMPARE(form.Document().items().size(), size_t(3));
    QCOMPARE(form.Document().NodeCount(), 4);
  }

  void theRecentListKeepsFourSlots() {
    TTestEnvironment env;
    TMainForm form(env.ProgramFolder());
    QVERIFY(form.RecentEntries().isEmpty());
    QCOMPARE(ReadText(env.ProgramFolder() + "recentfile.dat"), QString());
    QStringList files;
    for (const char* name : {"one", "two", "three", "four", "five"})
      files << WriteProject(env.Path(QString("r/%1.tvn").arg(name)), 0);
    for (int i = 0; i < 4; ++i) QVERIFY(form.OpenProjectFile(files[i]));
    QCOMPARE(form.RecentEntries(), (QStringList{files[3], files[2], files[1], files[0]}));
    // A listed file keeps its place; the file is not even rewritten.
    const QString before = ReadText(env.ProgramFolder() + "recentfile.dat");
    QVERIFY(form.OpenProjectFile(files[1]));
    QCOMPARE(ReadText(env.ProgramFolder() + "recentfile.dat"), before);
    QVERIFY(before.contains("&1 " + files[3] + "\r\n&2 " + files[2] + "\r\n"));
    // A fifth drops the oldest.
    QVERIFY(form.OpenProjectFile(files[4]));
    QCOMPARE(form.RecentEntries(), (QStringList{files[4], files[3], files[2], files[1]}));
    // Letter case counts.
    const QString upper = WriteProject(env.Path("r/FIVE.tvn"), 0);
    QVERIFY(form.OpenProjectFile(upper));
    QCOMPARE(form.RecentEntries().first(), upper);

    // An entry whose path holds "&" opens that exact path from the menu.
    const QString amp = WriteProject(env.Path("r/Tom & Jerry.tvn"), 1);
    QVERIFY(form.OpenProjectFile(amp));
    QMenu* menu = form.findChild<QMenu*>("mnitRecentFiles");
    QVERIFY(menu->actions().first()->text().contains("Tom && Jerry"));
    QVERIFY(form.OpenProjectFile(files[4]));  // leave it, then come back through the menu
    menu->actions().first()->trigger();
    QCOMPARE(form.Document().fileName(), amp);
  }

  void saveAsTemplateStartsTheDialogInTheTemplatesFolder() {
    TTestEnvironment env;
    QDir(env.ProgramFolder() + "templates").removeRecursively();
    TMainForm form(env.ProgramFolder());
    prompt::QueueFile(env.ProgramFolder() + "templates/mine.tvn");
    Act(form, "SaveAsTemplate1")->trigger();
    QVERIFY(QFile::exists(env.ProgramFolder() + "templates/mine.tvn"));
    QCOMPARE(form.Document().fileName(), env.ProgramFolder() + "templates/mine.tvn");
  }
};

TORVANE_UI_TEST(TestFileCommands);
#include "TestFileCommands.moc"
