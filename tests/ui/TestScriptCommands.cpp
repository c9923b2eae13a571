// Build HTML, Preview and Publish from the window, the choosers that open windows of their own,
// the help buttons and menus, and the template chooser driving the open and new commands.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>
#include <QUndoStack>

#include "CodeWindow.h"
#include "HelpWindow.h"
#include "MainForm.h"
#include "Settings.h"
#include "SliderPanel.h"
#include "UiTest.h"
#include "images/ImageScaler.h"

using namespace uitest;

namespace {
QStringList Files(const QString& folder) { return QDir(folder).entryList(QDir::Files, QDir::Name); }
// Three items with real pictures, a link and a tooltip on the second.
void MakeDesign(TMainForm& form, TTestEnvironment& env) {
  for (int i = 0; i < 3; ++i) {
    form.document().addPictures({MakeJpeg(env.Path(QString("pics/p%1.jpg").arg(i)), 160, 90)});
  }
  Select(form, {1});
  form.findChild<QComboBox*>("cmbx_ILink")->setEditText("https://example.org/two");
  form.findChild<QLineEdit*>("edt_IToolTip")->setText("Second picture");
}
int Accept(QDialog&) { return QDialog::Accepted; }
}  // namespace

class TestScriptCommands : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { VERIFY_PROMPTS(); }

  void buildHtmlNeedsAnItemAndThenShowsThePage() {
    TTestEnvironment env;
    TMainForm form(env.ProgramFolder());
    // Root only: the message, then the (empty) code window all the same.
    prompt::QueueButton(TButton::Ok);
    prompt::QueueWindow(Accept);
    Act(form, "tlbtnBuildHTML")->trigger();
    QCOMPARE(prompt::Shown()[0].text,
             QString("No item to build. Please add item to left pane and try again."));
    QCOMPARE(prompt::Shown()[0].kind, TMessageKind::Error);
    QCOMPARE(prompt::Shown()[1].what, QString("TformHTML"));
    QVERIFY(form.codeWindow()->lines().isEmpty());

    MakeDesign(form, env);
    QFile::remove(env.Path("pics/p2.jpg"));
    prompt::QueueWindow([](QDialog& window) {
      auto& code = static_cast<TCodeWindow&>(window);
      code.findChild<QPushButton*>("Button2")->click();
      return int(QDialog::Accepted);
    });
    Act(form, "BuildHTML1")->trigger();
    const QString page = form.codeWindow()->lines().join("\n");
    QVERIFY(page.contains("torvane.js"));
    QVERIFY(page.contains("Slider1_div"));
    QCOMPARE(QApplication::clipboard()->text().remove('\r'),
             form.codeWindow()->text().remove('\r'));
    // The link and tooltip of the selected item were stored before building.
    QCOMPARE(form.document().items()[1].toolTip, std::string("Second picture"));
    // The tree says whose picture the build did not find.
    QCOMPARE(RowOf(form, 1).data().toString(), QString("Item"));
    QCOMPARE(RowOf(form, 2).data().toString(), QString("Warning: Original image not found."));
    // Scratch files never land in the working or the program's folder.
    QVERIFY(!QFile::exists(QDir::current().filePath("~tmp0001.txt")));
    QVERIFY(!QFile::exists(env.ProgramFolder() + "~tmp0001.txt"));
  }

  void previewFillsThePreviewFolderAndLeavesTheProgramFolderClean() {
    TTestEnvironment env;
    TMainForm form(env.ProgramFolder());
    const QStringList programFiles = Files(env.ProgramFolder());
    MakeDesign(form, env);
    Act(form, "tlbtnPreview")->trigger();
    const QString preview = env.ProgramFolder() + "preview/";
    QCOMPARE(Files(preview),
             (QStringList{"slider0.jpg", "slider1.jpg", "slider2.jpg", "torvane.css", "torvane.js",
                          "torvanecfg.js", "~preview.html"}));
    QCOMPARE(Files(env.ProgramFolder()), programFiles);
    QCOMPARE(ReadText(preview + "~preview.html").count("\r\n"), form.codeWindow()->lines().size());
    // The default browser gets the page (no browser was chosen yet).
    QCOMPARE(env.launcher.documents,
             QStringList{QDir::toNativeSeparators(preview) + "~preview.html"});

    // A program of the user's own gets the page as its one argument.
    settings::WriteFlag(settings::kBrowsersKey, "UseDefaultBrowser", false);
    settings::WriteFlag(settings::kBrowsersKey, "UseKnownBrowser", false);
    settings::WriteFlag(settings::kBrowsersKey, "UseSpecifiedBrowser", true);
    settings::WriteValue(settings::kBrowsersKey, "SelectedBrowserNumber", -1);
    const QString program = env.Path("my browser/run");
    settings::WriteValue(settings::kBrowsersKey, "SpecifiedBrowserExePath", program);
    // Gone or not a program: the user learns what failed and where to change it.
    for (const QString& problem : {QString("does not exist"), QString("is not a program")}) {
      prompt::QueueButton(TButton::Ok);
      Act(form, "Preview1")->trigger();
      QVERIFY(prompt::Shown().last().text.contains(problem));
      QVERIFY(prompt::Shown().last().text.contains("Option > Web Browser"));
      QDir().mkpath(env.Path("my browser"));
      QFile(program).open(QIODevice::WriteOnly);
    }
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    Act(form, "Preview1")->trigger();
    QCOMPARE(env.launcher.programs.last(),
             program + "|" + QDir::toNativeSeparators(preview) + "~preview.html");
    // A browser or opener that ends at once with an error (here for the preview and the help)
    // is named with its exit status, and the user is pointed at the setting.
    env.launcher.exitStatus = 4;
    for (const auto& [command, opener] : {std::pair{"Preview1", program}, {"Topic1", "xdg-open"}}) {
      prompt::QueueButton(TButton::Ok);
      Act(form, command)->trigger();
      const prompt::TShown shown = prompt::Shown().last();
      QCOMPARE(shown.kind, TMessageKind::Error);
      QVERIFY2(shown.text.startsWith('"' + opener + "\" ended at once with exit status 4, so ") &&
                   shown.text.contains("Option > Web Browser"),
               qPrintable(shown.text));
    }
    env.launcher.exitStatus = 0;

    // New takes the preview away with the design.
    prompt::QueueButton(TButton::No);
    Act(form, "New1")->trigger();
    QVERIFY(!QDir(preview).exists());
  }

  void scaledPicturesAreKeptUnlessTurnedOff() {
    TTestEnvironment env;
    const QString cache = env.Path("cache/torvane");
    auto entries = [&] {
      return QDir(cache).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name).size() +
             QDir(cache + "/pictures").entryList(QDir::Files).size();
    };
    {
      TMainForm form(env.ProgramFolder());
      QVERIFY(form.findChild<QAction*>("PictureCache1")->isChecked());
      Act(form, "PictureCache1")->trigger();  // off, and remembered
      QVERIFY(!form.document().publishOptions().pictureCache);
      MakeDesign(form, env);
      Act(form, "Preview1")->trigger();
      QCOMPARE(entries(), 0);
    }
    TMainForm form(env.ProgramFolder());
    QVERIFY(!form.findChild<QAction*>("PictureCache1")->isChecked());
    Act(form, "PictureCache1")->trigger();
    MakeDesign(form, env);
    Act(form, "Preview1")->trigger();
    QVERIFY(entries() > 0);
  }

  // Switches that change what a Save publishes: off until turned on, remembered, and turning one
  // offers the next Save of an unchanged design.
  void publishingSwitchesAreOffUntilTurnedOnAndRemembered() {
    TTestEnvironment env;
    const struct {
      const char* action;
      bool (*on)(const TPublishOptions&);
    } switches[] = {{"HiDpiPictures1", [](const TPublishOptions& o) { return o.doubleDensity; }},
                    {"ModernFormats1", [](const TPublishOptions& o) {
                       return o.modernFormats == (kWebpFormat | kAvifFormat);
                     }}};
    for (const bool expected : {false, true}) {
      TMainForm form(env.ProgramFolder());
      for (const auto& s : switches) {
        QCOMPARE(form.findChild<QAction*>(s.action)->isChecked(), expected);
        QCOMPARE(s.on(form.document().publishOptions()), expected);
      }
      // Turning one on or off changes what a save writes: Save is possible at once.
      QVERIFY(!SaveEnabled(form));
      for (const auto& s : switches) {
        Act(form, s.action)->trigger();
        QVERIFY2(SaveEnabled(form), s.action);
        if (expected) Act(form, s.action)->trigger();
      }
    }
  }

  void publishShowsTheReportOfWhatTheModelHoldsAndWhatTheLastSaveChanged() {
    TTestEnvironment env;
    TMainForm form(env.ProgramFolder());
    QString report, changes;
    const auto showReport = [&] {
      prompt::QueueWindow([&](QDialog& window) {
        report = window.findChild<QPlainTextEdit*>("memoPublishReport")->toPlainText();
        const auto* label = window.findChild<QLabel*>("lblChangedFiles");
        changes = label->isVisibleTo(&window) ? label->text() : QString();
        return int(QDialog::Accepted);
      });
      Act(form, "Publish1")->trigger();
    };
    showReport();
    QVERIFY(report.contains("[Script file(s)]:"));
    QVERIFY(report.contains("torvanecfg.js"));
    QVERIFY(!report.contains("slider0.jpg"));
    QVERIFY(changes.isEmpty());  // nothing saved yet
    QVERIFY(QFile::exists(env.ProgramFolder() + "preview/PublishReport.txt"));
    QVERIFY(!QFile::exists(QDir::current().filePath("PublishReport.txt")));

    // After saves: the files each one changed, also on the hint line; a second Save of the same
    // design changes nothing.
    MakeDesign(form, env);
    Act(form, "ModernFormats1")->trigger();
    prompt::QueueFile(env.Path("show.tvn"));
    Act(form, "Save1")->trigger();
    showReport();
    QVERIFY(report.contains("  slider2.avif"));
    QVERIFY2(changes.startsWith("Changed: show.html, torvane.js, torvanecfg.js,") &&
                 changes.endsWith("slider2.webp; 0 unchanged"),
             qPrintable(changes));
    Act(form, "ModernFormats1")->trigger();  // off: offers the Save, which changes nothing
    Act(form, "ModernFormats1")->trigger();
    Act(form, "Save1")->trigger();
    const QString hint = form.findChild<QLabel*>("stctxtHint")->text();
    showReport();
    QCOMPARE(changes, QString("Changed: nothing; 15 unchanged"));
    QCOMPARE(hint, changes);
  }

  void theLinkChooserHonoursTheTipSetting() {
    TTestEnvironment env;
    TMainForm form(env.ProgramFolder());
    Act(form, "Insert2")->trigger();
    Select(form, {0});
    auto* link = form.findChild<QComboBox*>("cmbx_ILink");

    // First use: the tip, whose box is ticked, then the file dialog (cancelled: nothing changes).
    prompt::QueueWindow([](QDialog& tip) {
      tip.findChild<QCheckBox*>("chckbxDontShow")->click();
      return int(QDialog::Accepted);
    });
    prompt::QueueFile(std::nullopt);
    link->setEditText("kept");
    form.document().undoStack()->setClean();
    form.findChild<QToolButton*>("spdbtnItURL")->click();
    QCOMPARE(prompt::Shown()[0].what, QString("TfrmMsgBox_LinkTip"));
    QCOMPARE(prompt::Shown()[1].text,
             QString("HTML files(*.htm;*.html)|*.htm;*.html|Any file (*.*)|*.*"));
    QCOMPARE(link->currentText(), QString("kept"));
    QVERIFY(!form.document().isModified());

    // From now on no tip; a chosen page becomes a file address and marks the design.
    prompt::QueueFile(QString("/home/ana/My Pages/a.html"));
    form.findChild<QToolButton*>("spdbtnItURL")->click();
    QCOMPARE(prompt::Shown().size(), 3);
    QCOMPARE(link->currentText(), QString("file:///home/ana/My%20Pages/a.html"));
    QVERIFY(form.document().isModified());
  }

  void helpButtonsShowTheirPageInOneHelpWindow() {
    TTestEnvironment env;
    TMainForm form(env.ProgramFolder());
    form.show();
    auto* browser = form.helpWindow()->findChild<QTextBrowser*>("WebBrowser1");
    form.findChild<QToolButton*>("SpeedButton11")->click();
    QVERIFY(form.helpWindow()->isVisible());
    // In front, with the page taking the keys.
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(browser));
    QVERIFY(
        browser->source().toString().endsWith("help/customizing_js_script_script_scrolling.htm"));
    QVERIFY(!browser->toPlainText().isEmpty());
    const QPoint place = form.helpWindow()->pos();
    form.helpWindow()->close();
    form.findChild<QToolButton*>("SpeedButton19")->click();
    QVERIFY(form.helpWindow()->isVisible());
    QCOMPARE(form.helpWindow()->pos(), place);
    QVERIFY(browser->source().toString().endsWith("help/customizing_js_item_general_tooltip.htm"));
    QCOMPARE(form.findChildren<THelpWindow*>().size(), 1);
    // A button whose tag names no page opens the getting-started page.
    QToolButton stray(&form);
    stray.setProperty("Tag", 42);
    form.findChild<TSliderPanel*>("tbshtScript")->bindHelpButtons({&stray});
    stray.click();
    QVERIFY(browser->source().toString().endsWith("help/getting_started.htm"));
    // Every page the buttons name is installed beside the program.
    for (const char* name :
         {"SpeedButton1", "SpeedButton12", "SpeedButton11", "SpeedButton10", "SpeedButton5",
          "SpeedButton6", "SpeedButton28", "SpeedButton13", "SpeedButton24", "SpeedButton19"}) {
      form.findChild<QToolButton*>(name)->click();
      QVERIFY2(QFile::exists(browser->source().toLocalFile()), name);
    }

    // The Help menu goes to the desktop, never to the help window.
    Act(form, "Topic1")->trigger();
    Act(form, "ViewSample1")->trigger();
    Act(form, "Homepage1")->trigger();
    Act(form, "ContactUs1")->trigger();
    QCOMPARE(env.launcher.documents,
             (QStringList{QDir::toNativeSeparators(env.ProgramFolder() + "help/index.html"),
                          QDir::toNativeSeparators(env.ProgramFolder() + "samples/index.html"),
                          QDir::toNativeSeparators(env.ProgramFolder() + "help/index.html"),
                          QDir::toNativeSeparators(env.ProgramFolder() + "help/support.htm")}));
    prompt::QueueWindow(Accept);
    Act(form, "About1")->trigger();
    QCOMPARE(prompt::Shown().last().what, QString("TformAbout"));
  }

  void theHintLineFollowsTheMouse() {
    TTestEnvironment env;
    TMainForm form(env.ProgramFolder());
    form.show();
    auto* hint = form.findChild<QLabel*>("stctxtHint");
    QTreeView* tree = TreeOf(form);
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(tree->viewport(), &move);
    QCOMPARE(hint->text(), QString("Add, remove or move items by right-clicking the mouse."));
    QVERIFY(hint->contentsRect().width() >= hint->fontMetrics().horizontalAdvance(hint->text()));
    // A control inside a listed one, but not listed itself, leaves the line as it was.
    QCoreApplication::sendEvent(form.findChild<QWidget*>("cmbx_ILink"), &move);
    QCOMPARE(hint->text(), QString("Add, remove or move items by right-clicking the mouse."));
    QCoreApplication::sendEvent(form.findChild<QWidget*>("tlbtnSave"), &move);
    QCOMPARE(hint->text(), QString("Save the current project to a file"));
    QCoreApplication::sendEvent(form.findChild<QSpinBox*>("spnedt_pGap"), &move);
    QCOMPARE(hint->text(), QString());
  }

  void theTemplateChooserOpensOrStartsAnew() {
    TTestEnvironment env;
    TMainForm form(env.ProgramFolder());
    const QStringList shipped = Files(env.ProgramFolder() + "templates");
    QVERIFY(shipped.size() >= 3);
    // OK on the first template opens it.
    prompt::QueueWindow([](QDialog& chooser) {
      chooser.show();
      auto* list = chooser.findChild<QListWidget*>("TempletList");
      list->setCurrentRow(0);
      chooser.findChild<QPushButton*>("BitBtn1")->click();
      return int(QDialog::Accepted);
    });
    const QString templates = env.ProgramFolder() + "templates/";
    QMap<QString, QString> before;
    for (const QString& name : shipped) before[name] = ReadText(templates + name);
    Act(form, "Templet1")->trigger();
    // An untitled design from the template: not listed, and Save asks for a name; the templates
    // folder stays exactly as it was.
    QCOMPARE(form.document().slider().name, std::string("LogoBanner"));
    QVERIFY(form.document().fileName().isEmpty() && form.files().recentEntries().isEmpty());
    form.findChild<QLineEdit*>("edt_pSliderName")->setText("FromTemplate");
    prompt::QueueFile(env.Path("mine.tvn"));
    Act(form, "Save1")->trigger();
    // The save dialog proposes the template's name among the user's documents.
    const QString proposal = prompt::Shown().last().proposal;
    QCOMPARE(QFileInfo(proposal).fileName(), shipped.first());
    QVERIFY2(!proposal.startsWith(templates) && QFileInfo(proposal).dir().exists(),
             qPrintable(proposal));
    QCOMPARE(form.document().fileName(), env.Path("mine.tvn"));
    QCOMPARE(Files(templates), shipped);
    for (const QString& name : shipped) QCOMPARE(ReadText(templates + name), before[name]);
    // Cancel starts a new project (with its prompt when there are changes).
    Act(form, "Insert2")->trigger();
    prompt::QueueWindow([](QDialog& chooser) {
      chooser.show();
      chooser.findChild<QPushButton*>("BitBtn2")->click();
      return int(QDialog::Rejected);
    });
    prompt::QueueButton(TButton::No);
    Act(form, "Templet1")->trigger();
    QVERIFY(form.document().fileName().isEmpty());
    QVERIFY(form.document().items().empty());
  }
};

TORVANE_UI_TEST(TestScriptCommands);
#include "TestScriptCommands.moc"
