// The File menu: what New, Open, Save, Save As and the open routine do to the design, its file
// name, the modified state and the recent list, and that unsaved work is never dropped silently.
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QUndoStack>

#include <sys/stat.h>

#include <algorithm>

#include <sys/wait.h>
#include <unistd.h>

#include "FileUtil.h"
#include "MainForm.h"
#include "PictureDelegate.h"
#include "UiTest.h"

using namespace uitest;

namespace {
// A project of `items` items ("pic<n>.jpg") under the slider name given.
QString WriteProject(const QString& path, int items, const std::string& name = "Slider1",
                     const std::string& tooltip = "") {
  return uitest::WriteProject(path, std::vector<std::string>(size_t(items)), [&](TProjectModel& m) {
    m.Slider.name = name;
    for (size_t i = 0; i < m.Items.size(); ++i) {
      m.Items[i].originalPath = "pic" + std::to_string(i) + ".jpg";
      m.Items[i].toolTip = tooltip;
    }
  });
}
QStringList RecentLines(const QString& programFolder) {
  QStringList lines;
  for (const std::string& line :
       fileutil::ReadTextLines((programFolder + "recentfile.dat").toStdString()))
    lines << QString::fromStdString(line);
  return lines;
}
// Everything an open may change: file name, recent list, modified state, panels, model, tree.
struct TWindowState {
  QString file;
  QStringList recent, panels;
  bool modified = false;
  TSliderData slider;
  TItemArray items;
  int nodes = 0;
  bool operator==(const TWindowState&) const = default;
};
TWindowState StateOf(TMainForm& form) {
  TWindowState state{
      form.document().fileName(),   form.files().recentEntries(), {},
      form.document().isModified(), form.document().slider(),     form.document().items(),
      form.document().NodeCount()};
  for (auto* edit : form.findChildren<QLineEdit*>()) state.panels << edit->text();
  for (auto* spin : form.findChildren<QSpinBox*>()) state.panels << spin->text();
  state.panels << QString::number(form.findChild<QTabWidget*>("pgcntrl1")->currentIndex());
  return state;
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
    QCOMPARE(form.document().fileName(), first);
    QCOMPARE(form.document().items().size(), size_t(2));
    QCOMPARE(form.findChild<QLineEdit*>("edt_pSliderName")->text(), QString("First"));
    QVERIFY(!form.document().isModified() && !SaveEnabled(form));
    QCOMPARE(RecentLines(env.ProgramFolder()), QStringList{"&1 " + first});

    // Save on a named project writes without a dialog and leaves the recent list alone.
    form.findChild<QLineEdit*>("edt_pSliderName")->setText("Changed");
    QVERIFY(SaveEnabled(form));
    Act(form, "tlbtnSave")->trigger();
    QVERIFY(!form.document().isModified() && !SaveEnabled(form));
    QVERIFY(ReadText(first).contains("Changed#$@"));
    QVERIFY(QFile::exists(env.Path("a/first.html")));

    // Save As to a name typed without extension: written as .tvn, remembered as typed.
    prompt::QueueFile(env.Path("b/second"));
    QDir().mkpath(env.Path("b"));
    Act(form, "Save2")->trigger();
    QVERIFY(QFile::exists(env.Path("b/second.tvn")));
    QCOMPARE(form.document().fileName(), env.Path("b/second"));
    QCOMPARE(RecentLines(env.ProgramFolder()).size(), 1);

    // Save As onto an existing project asks first; No writes nothing.
    const QString before = ReadText(first);
    form.findChild<QLineEdit*>("edt_pSliderName")->setText("Third");
    prompt::QueueFile(env.Path("a/first.tvn"));
    prompt::QueueButton(TButton::No);
    Act(form, "Save2")->trigger();
    QVERIFY(prompt::Shown().last().text.contains("already exists"));
    QCOMPARE(ReadText(first), before);
    QCOMPARE(form.document().fileName(), env.Path("b/second"));

    // New: the defaults, no file, after the save-changes prompt.
    prompt::QueueButton(TButton::No);
    Act(form, "New1")->trigger();
    QCOMPARE(prompt::Shown().last().text, QString("Save changes to files?"));
    QVERIFY(form.document().fileName().isEmpty());
    QVERIFY(form.document().items().empty());
    QCOMPARE(form.findChild<QLineEdit*>("edt_pSliderName")->text(), QString("Slider1"));
    QVERIFY(!form.document().isModified() && !SaveEnabled(form));
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
      if (command == 2) QVERIFY(!form.files().openProjectFile(other));
      QCOMPARE(form.document().items().size(), size_t(2));
      QVERIFY(form.document().isModified());
    }
    // Cancel ends the command too; Save with its dialog cancelled stores the panels only.
    prompt::QueueButton(TButton::Cancel);
    Act(form, "New1")->trigger();
    QCOMPARE(form.document().items().size(), size_t(2));
    form.findChild<QLineEdit*>("edt_pSliderName")->setText("Kept");
    prompt::QueueFile(std::nullopt);
    Act(form, "Save1")->trigger();
    QCOMPARE(form.document().slider().name, std::string("Kept"));
    QVERIFY(form.document().isModified() && SaveEnabled(form));

    // A save that fails (the folder is gone) also keeps the design, and says why.
    prompt::QueueButton(TButton::Yes);
    prompt::QueueFile(env.Path("no such folder/x.tvn"));
    prompt::QueueButton(TButton::Ok);
    Act(form, "New1")->trigger();
    QCOMPARE(prompt::Shown().last().kind, TMessageKind::Error);
    QCOMPARE(form.document().items().size(), size_t(2));
    QVERIFY(form.document().fileName().isEmpty());
  }

  void aRefusedOrFailedOpenNeverTakesOver() {
    TTestEnvironment env;
    const QString good = WriteProject(env.Path("good.tvn"), 3, "Good");
    const QByteArray text = ReadText(good).toUtf8();
    const auto write = [&](const char* name, const QByteArray& bytes) {
      QFile file(env.Path(name));
      file.open(QIODevice::WriteOnly);
      file.write(bytes);
      return file.fileName();
    };
    const auto firstLines = [&](int count) {
      return text.left(int(std::distance(text.begin(), std::find_if(text.begin(), text.end(),
                                                                    [&, n = 0](char c) mutable {
                                                                      return c == '\n' &&
                                                                             ++n == count;
                                                                    }))) +
                       1);
    };
    const QString fifo = env.Path("fifo.tvn");
    QVERIFY(mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    struct TCase {
      QString path;
      QString says;  // part of the error shown; empty: the reader's own refusal
    };
    const QList<TCase> cases = {
        {write("foreign.tvn", "just some text\r\n"), QString()},
        {write("ten.tvn", firstLines(10)), "ends early, before its slider parameters"},
        {write("tag.tvn", text.left(text.indexOf("<Applet_Parameters>") + 21)), "ends early"},
        {write("noitems.tvn", text.left(text.indexOf("<Item_Parameters>"))),
         "before its image list"},
        {write("cut.tvn", text.left(text.indexOf("pic2.jpg"))), "inside its image list"},
        {write("width.tvn", QByteArray(text).replace("#$@370#$@", "#$@48O#$@")),
         "line 12 holds the slider's width '48O'"},
        {write("empty.tvn", QByteArray(text).replace("#$@370#$@", "#$@#$@")), "slider's width ''"},
        {write("size.tvn", QByteArray(text).replace("#$@160#$@", "#$@1x#$@")),
         "line 15 holds image 1's width '1x'"},
        {fifo, "not a regular file"},
        {"/dev/zero", "not a regular file"},
        {env.Path("missing.tvn"), "missing.tvn"}};

    TMainForm form(env.ProgramFolder());
    QVERIFY(form.files().openProjectFile(good));
    Select(form, {1});
    form.findChild<QLineEdit*>("edt_IToolTip")->setText("typed, not stored");
    form.findChild<QSpinBox*>("spnedt_pWidth")->setValue(222);
    const TWindowState before = StateOf(form);
    QVERIFY(before.modified);
    for (const TCase& c : cases) {
      prompt::QueueButton(TButton::No);  // the unsaved changes may go
      prompt::QueueFile(c.path);
      prompt::QueueButton(TButton::Ok);  // the refusal
      Act(form, "Open1")->trigger();
      const prompt::TShown shown = prompt::Shown().last();
      QCOMPARE(shown.kind, TMessageKind::Error);
      QVERIFY2(c.says.isEmpty() ? shown.text.contains("open failed")
                                : shown.text.contains(c.says) && shown.text.contains(c.path),
               qPrintable(c.path + ": " + shown.text));
      QVERIFY2(StateOf(form) == before, qPrintable(c.path));
    }
  }

  // The published names are shared by every project in a folder: saving a second project over
  // another's published set asks first; a fresh folder does not.
  void anotherProjectsPageIsNeverReplacedSilently() {
    TTestEnvironment env;
    QDir().mkpath(env.Path("site"));
    QDir().mkpath(env.Path("fresh"));
    // What a window killed while it replaced files left goes with the next save there.
    const pid_t dead = ::fork();
    if (dead == 0) std::_Exit(0);
    ::waitpid(dead, nullptr, 0);
    const QString left = env.Path(QString("site/~slider0.jpg.%1-a1b2c3.tmp").arg(dead));
    QVERIFY(QFile(left).open(QIODevice::WriteOnly));
    TMainForm form(env.ProgramFolder());
    prompt::QueueFile(env.Path("site/alpha.tvn"));
    Act(form, "Save2")->trigger();  // a fresh folder: no question
    QVERIFY(!QFile::exists(left));
    Act(form, "Insert2")->trigger();
    const QString alphaConfig = ReadText(env.Path("site/torvanecfg.js"));
    // No: the dialog comes again for another folder.
    prompt::QueueFile(env.Path("site/beta.tvn"));
    prompt::QueueButton(TButton::No);
    prompt::QueueFile(env.Path("fresh/beta.tvn"));
    Act(form, "Save2")->trigger();
    QVERIFY(prompt::Shown()[2].text.contains("\"alpha\""));
    QCOMPARE(ReadText(env.Path("site/torvanecfg.js")), alphaConfig);
    QVERIFY(!QFile::exists(env.Path("site/beta.tvn")));
    QCOMPARE(form.document().fileName(), env.Path("fresh/beta.tvn"));
    // Yes: replaced; from then on the set is beta's and its own saves ask nothing.
    prompt::QueueFile(env.Path("site/beta.tvn"));
    prompt::QueueButton(TButton::Yes);
    Act(form, "Save2")->trigger();
    QVERIFY(ReadText(env.Path("site/torvanecfg.js")) != alphaConfig);
    prompt::QueueFile(env.Path("site/beta.tvn"));
    prompt::QueueButton(TButton::Yes);  // "already exists"
    Act(form, "Save2")->trigger();
    QCOMPARE(prompt::Shown().size(), 8);
  }

  // A save that converts a link (the local site folder to its web address) shows it at once: in
  // the Link box and in all else that follows the document (tree, live preview), announced once
  // as a new revision that leaves the design saved.
  void aSaveShowsTheDesignAsItWroteIt() {
    TTestEnvironment env;
    const QString path = uitest::WriteProject(env.Path("site/c.tvn"), {"0"}, [&](auto& m) {
      m.Slider.localRoot = "/home/me/site/";
      m.Slider.remoteRoot = "https://example.org/";
      m.Slider.localRootChecked = "0";
      m.Items[0].link = "/home/me/site/page.html";
      m.Items[0].originalPath = MakeJpeg(env.Path("a.jpg"), 80, 60).toStdString();
    });
    TMainForm form(env.ProgramFolder());
    QVERIFY(form.files().openProjectFile(path));
    Select(form, {0});
    form.document().setItemField({0}, TItemField::ToolTip, "edited", QString());
    const quint64 before = form.document().revision();
    QSignalSpy changed(&form.document(), &TDocument::itemsChanged);
    Act(form, "Save1")->trigger();
    QCOMPARE(Find<QComboBox>(form, "cmbx_ILink")->currentText(),
             QStringLiteral("https://example.org/page.html"));
    QCOMPARE(std::count_if(changed.begin(), changed.end(),
                           [](const QList<QVariant>& signal) {
                             return signal[1].value<TItemField>() == TItemField::Link;
                           }),
             1);
    QCOMPARE(form.document().revision(), before + 1);
    QVERIFY(!form.document().isModified());
  }

  // Values as long as a file can hold come back whole after an open and a save.
  void longValuesSurviveOpenAndSave() {
    TTestEnvironment env;
    const std::string name = "N" + std::string(999, 'a');
    const std::string tooltip(100000, 't');
    const QString path = WriteProject(env.Path("long.tvn"), 1, name, tooltip);
    TMainForm form(env.ProgramFolder());
    QVERIFY(form.files().openProjectFile(path));
    Select(form, {0});
    Select(form, {-1});
    form.findChild<QSpinBox*>("spnedt_pGap")->setValue(3);
    Act(form, "Save1")->trigger();
    const QString saved = ReadText(path);
    QVERIFY(saved.contains(QString::fromStdString(name + "#$@")));
    QVERIFY(saved.contains(QString::fromStdString("#$@" + tooltip + "#$@")));
  }

  void theRecentListKeepsFourSlots() {
    TTestEnvironment env;
    TMainForm form(env.ProgramFolder());
    QVERIFY(form.files().recentEntries().isEmpty());
    QCOMPARE(ReadText(env.ProgramFolder() + "recentfile.dat"), QString());
    QStringList files;
    for (const char* name : {"one", "two", "three", "four", "five"})
      files << WriteProject(env.Path(QString("r/%1.tvn").arg(name)), 0);
    for (int i = 0; i < 4; ++i) QVERIFY(form.files().openProjectFile(files[i]));
    QCOMPARE(form.files().recentEntries(), (QStringList{files[3], files[2], files[1], files[0]}));
    // A listed file keeps its place; the file is not even rewritten.
    const QString before = ReadText(env.ProgramFolder() + "recentfile.dat");
    QVERIFY(form.files().openProjectFile(files[1]));
    QCOMPARE(ReadText(env.ProgramFolder() + "recentfile.dat"), before);
    QVERIFY(before.contains("&1 " + files[3] + "\r\n&2 " + files[2] + "\r\n"));
    // A fifth drops the oldest.
    QVERIFY(form.files().openProjectFile(files[4]));
    QCOMPARE(form.files().recentEntries(), (QStringList{files[4], files[3], files[2], files[1]}));
    // Letter case counts.
    const QString upper = WriteProject(env.Path("r/FIVE.tvn"), 0);
    QVERIFY(form.files().openProjectFile(upper));
    QCOMPARE(form.files().recentEntries().first(), upper);

    // An entry whose path holds "&" opens that exact path from the menu.
    const QString amp = WriteProject(env.Path("r/Tom & Jerry.tvn"), 1);
    QVERIFY(form.files().openProjectFile(amp));
    QMenu* menu = form.findChild<QMenu*>("mnitRecentFiles");
    QVERIFY(menu->actions().first()->text().contains("Tom && Jerry"));
    QVERIFY(form.files().openProjectFile(files[4]));  // leave it, then come back through the menu
    menu->actions().first()->trigger();
    QCOMPARE(form.document().fileName(), amp);
  }

  void theSampleOpensAndPublishesWholeFromAnyWorkingFolder() {
    // A copy of the sample, whose pictures are named relative to it, opened while the program
    // runs in another folder: every picture is found, and Save As elsewhere publishes them all.
    TTestEnvironment env;
    const QString samples = env.ProgramFolder() + "samples/";
    for (const char* folder : {"mine", "site"}) QDir().mkpath(env.Path(folder));
    for (const QString& name : QDir(samples).entryList({"*.tvn", "*.jpg"}, QDir::Files))
      QFile::copy(samples + name, env.Path("mine/" + name));
    const QString working = QDir::currentPath();
    QDir::setCurrent(env.ProgramFolder());
    TMainForm form(env.ProgramFolder());
    QVERIFY(form.files().openProjectFile(env.Path("mine/sample.tvn")));
    auto* pictures = qobject_cast<TPictureDelegate*>(TreeOf(form)->itemDelegate());
    QCOMPARE(form.document().itemCount(), 5);
    for (int i = 0; i < 5; ++i)
      QVERIFY2(!pictures->flagged(RowOf(form, i)), qPrintable(QString::number(i)));
    prompt::QueueFile(env.Path("site/show.tvn"));
    Act(form, "Save2")->trigger();
    QDir::setCurrent(working);
    for (int i = 0; i < 5; ++i) {
      QCOMPARE(form.document().caption(i), std::string("Item"));  // found by the save too
      QVERIFY(QFile::exists(env.Path(QString("site/slider%1.jpg").arg(i))));
    }
    QVERIFY(ReadText(env.Path("site/show.tvn")).contains("#$@harbour.jpg#$@"));  // as written
  }

  void saveAsTemplateStartsTheDialogInTheTemplatesFolder() {
    TTestEnvironment env;
    QDir(env.ProgramFolder() + "templates").removeRecursively();
    TMainForm form(env.ProgramFolder());
    prompt::QueueFile(env.ProgramFolder() + "templates/mine.tvn");
    Act(form, "SaveAsTemplate1")->trigger();
    QVERIFY(QFile::exists(env.ProgramFolder() + "templates/mine.tvn"));
    QCOMPARE(form.document().fileName(), env.ProgramFolder() + "templates/mine.tvn");
    // The template is written on purpose only: a later Save asks for the design's own file.
    Act(form, "Insert2")->trigger();
    prompt::QueueFile(std::nullopt);
    Act(form, "Save1")->trigger();
    QCOMPARE(prompt::Shown().last().what, QString("save"));
  }
};

TORVANE_UI_TEST(TestFileCommands);
#include "TestFileCommands.moc"
