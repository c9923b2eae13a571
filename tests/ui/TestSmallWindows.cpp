// The small windows: the link tip and its setting, the help window, the code window's copy, the
// report window's loading, and the about box's links.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>

#include <QToolButton>

#include "About.h"
#include "CodeWindow.h"
#include "Errors.h"
#include "HelpWindow.h"
#include "LinkTip.h"
#include "Prompts.h"
#include "PublishReport.h"
#include "Settings.h"
#include "UiTest.h"

namespace {
void WriteBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

// The palette role a label's text is drawn in.
QPalette::ColorRole TextRole(QWidget& dialog, const char* name) {
  return dialog.findChild<QLabel*>(name)->foregroundRole();
}

void MoveOver(QWidget* widget, QPoint at) {
  QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QApplication::sendEvent(widget, &move);
}
}  // namespace

class TestSmallWindows : public QObject {
  Q_OBJECT

 private slots:
  // Messages and tooltips quote file names and values from files: markup in them is shown as it
  // stands, never as a link to click or a picture to load.
  void textFromFilesIsShownAsPlainText() {
    const QStringList hostile = {"<a href='https://attacker.example/'>Click here to repair</a>",
                                 "<img src=/dev/zero>", "a <b>&amp;</b>\n  b"};
    prompt::StopTesting();  // the real message box
    for (const QString& text : hostile) {
      Qt::TextFormat format = Qt::AutoText;
      QString shown;
      QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        if (auto* label = box->findChild<QLabel*>("qt_msgbox_label")) {
          format = label->textFormat();
          shown = label->text();
        }
        box->done(QMessageBox::Ok);
      });
      QCOMPARE(prompt::Message(nullptr, TMessageKind::Error, text), TButton::Ok);
      QCOMPARE(format, Qt::PlainText);
      QCOMPARE(shown, text);
      QTextDocument tooltip;
      tooltip.setHtml(prompt::PlainToolTip(text));
      QCOMPARE(tooltip.toPlainText(), text);
    }
    prompt::StartTesting();
  }

  void linkTipSetting() {
    uitest::TTestEnvironment env;
    const auto stored = [] { return settings::Read(settings::kSettingsKey, "ShowLinkTipDialog"); };
    QVERIFY(TLinkTip::shouldShow());  // missing: shown
    {
      TLinkTip tip;
      QCOMPARE(tip.windowTitle(), QString("Important Tip"));
      auto* box = tip.findChild<QCheckBox*>("chckbxDontShow");
      QVERIFY(!box->isChecked());
      box->click();
      QCOMPARE(stored()->toInt(), 0);
      QVERIFY(!TLinkTip::shouldShow());
    }
    {
      // The box starts cleared every time; tick and untick leaves the tip on.
      TLinkTip tip;
      auto* box = tip.findChild<QCheckBox*>("chckbxDontShow");
      QVERIFY(!box->isChecked());
      box->click();
      box->click();
      QCOMPARE(stored()->toInt(), 1);
      QVERIFY(TLinkTip::shouldShow());
      prompt::QueueWindow([](QDialog& shown) {
        shown.findChild<QPushButton*>("btnOK")->click();
        return shown.result();
      });
      QCOMPARE(prompt::Exec(tip), int(QDialog::Accepted));
    }
    {
      // A broken store: the tip is not shown; failing to store "do not show" is quiet,
      // failing to store "show" is reported.
      settings::SimulateFailure(true);
      QVERIFY(!TLinkTip::shouldShow());
      TLinkTip tip;
      auto* box = tip.findChild<QCheckBox*>("chckbxDontShow");
      const int before = prompt::Shown().size();
      box->click();
      QCOMPARE(prompt::Shown().size(), before);
      prompt::QueueButton(TButton::Ok);
      box->click();
      QCOMPARE(prompt::Shown().size(), before + 1);
      QCOMPARE(prompt::Shown().last().kind, TMessageKind::Error);
      QVERIFY(prompt::Shown().last().text.contains("ShowLinkTipDialog"));
      settings::SimulateFailure(false);
    }
    // A value that is no flag counts as missing.
    settings::WriteValue(settings::kSettingsKey, "ShowLinkTipDialog", "maybe");
    QVERIFY(TLinkTip::shouldShow());
    VERIFY_PROMPTS();
  }

  void helpWindowIsOneWindowThatKeepsItsPlace() {
    uitest::TTestEnvironment env;
    const QString help = env.Path("help pages/");
    QDir().mkpath(help);
    WriteBytes(help + "a.htm",
               "<html><body><h1>First</h1><a href=\"b.htm#size\">next</a> "
               "<a href=\"https://www.torvane.example/\">web</a></body></html>");
    WriteBytes(help + "b.htm",
               "<html><body><h1>Second</h1><a name=\"size\">Size</a></body></html>");
    QWidget main;
    THelpWindow window(&main);
    QCOMPARE(window.windowTitle(), QString("Help"));
    QVERIFY(!window.isVisible());
    auto* browser = window.findChild<QTextBrowser*>("WebBrowser1");

    window.showPage(QUrl::fromLocalFile(help + "a.htm"));
    QVERIFY(window.isVisible());
    QVERIFY(!window.isModal());
    QCOMPARE(window.pos(), QPoint(265, 180));
    QVERIFY(browser->toPlainText().contains("First"));
    window.move(window.pos() + QPoint(40, 30));
    const QPoint place = window.pos();

    // A second topic while open: same window, same place, new page.
    window.showPage(QUrl::fromLocalFile(help + "b.htm"));
    QCOMPARE(window.pos(), place);
    QVERIFY(browser->toPlainText().contains("Second"));

    // Closed, then the next topic brings it back where it was.
    window.close();
    QVERIFY(!window.isVisible());
    window.showPage(QUrl::fromLocalFile(help + "a.htm"));
    QVERIFY(window.isVisible());
    QCOMPARE(window.pos(), place);
    QCOMPARE(main.findChildren<THelpWindow*>().size(), 1);

    // Links: between help pages inside, web addresses to the desktop.
    window.followLink(QUrl("b.htm#size"));
    QCOMPARE(browser->source().fileName(), QString("b.htm"));
    QVERIFY(browser->toPlainText().contains("Second"));
    window.followLink(QUrl("https://www.torvane.example/"));
    QCOMPARE(env.launcher.documents, QStringList({"https://www.torvane.example/"}));
    QVERIFY(browser->toPlainText().contains("Second"));
    // Pages outside the help folder (the samples run a script) open in the browser.
    window.followLink(QUrl("../samples/index.html"));
    QCOMPARE(env.launcher.documents.last(), env.Path("samples/index.html"));
    // Back and Forward walk the pages shown.
    auto* back = window.findChild<QToolButton*>("tlbtnHelpBack");
    QVERIFY(back->isEnabled());
    back->click();
    QVERIFY(browser->toPlainText().contains("First"));
    window.findChild<QToolButton*>("tlbtnHelpForward")->click();
    QVERIFY(browser->toPlainText().contains("Second"));
    VERIFY_PROMPTS();
  }

  void codeWindowCopiesItsWholeText() {
    uitest::TTestEnvironment env;
    TCodeWindow window;
    QCOMPARE(window.windowTitle(), QString("HTML"));
    QVERIFY(window.lines().isEmpty());
    const QStringList page{"<html>", "  <body>", "\t<div id=\"Slider_div\"></div>", "", "</html>"};
    window.setLines(page);
    QCOMPARE(window.lines(), page);
    QApplication::clipboard()->setText("something else");
    window.findChild<QPushButton*>("Button2")->click();
    QCOMPARE(QApplication::clipboard()->text(), page.join('\n'));
    auto* memo = window.findChild<QPlainTextEdit*>("memoHTMLBuild");
    QVERIFY(memo->isReadOnly());
    QCOMPARE(memo->lineWrapMode(), QPlainTextEdit::NoWrap);
    VERIFY_PROMPTS();
  }

  void reportWindowLoadsOrNamesTheFile() {
    uitest::TTestEnvironment env;
    TPublishReportWindow window;
    QCOMPARE(window.windowTitle(), QString("Applet Publish Report"));
    const QString path = env.Path("preview/PublishReport.txt");
    QDir().mkpath(env.Path("preview"));
    WriteBytes(path, QString("Files:\r\n  torvane.js\r\nGröße 2\r\n").toUtf8());
    window.loadReport(path);
    QCOMPARE(window.findChild<QPlainTextEdit*>("memoPublishReport")->toPlainText(),
             QString("Files:\n  torvane.js\nGröße 2"));

    const QString missing = env.Path("preview/none.txt");
    try {
      window.loadReport(missing);
      QFAIL("a missing report loaded");
    } catch (const TvFileError& error) {
      QCOMPARE(QString::fromUtf8(error.what()), "Cannot open file " + missing);
    }
    // The text of the last good load stays.
    QVERIFY(
        window.findChild<QPlainTextEdit*>("memoPublishReport")->toPlainText().contains("Größe"));
    VERIFY_PROMPTS();
  }

  void aboutBoxLinks() {
    uitest::TTestEnvironment env;
    TAboutBox about(env.ProgramFolder());
    about.show();
    QCOMPARE(about.windowTitle(), QString("Torvane"));
    QCOMPARE(about.findChild<QLabel*>("lblProductName")->text(), QString("Torvane"));
    QVERIFY(about.findChild<QLabel*>("lblProductName")->font().bold());
    QCOMPARE(about.findChild<QLabel*>("lblProductVersion")->text(), QString("Version 1.1"));
    QVERIFY(!about.windowIcon().isNull());
    auto* home = about.findChild<QLabel*>("Label8");
    auto* support = about.findChild<QLabel*>("Label10");
    QCOMPARE(about.width(), 313);
    // The links open the help installed with the program, which is always there.
    QCOMPARE(TextRole(about, "Label8"), QPalette::Link);

    QTest::mouseClick(home, Qt::LeftButton);
    QTest::mouseClick(support, Qt::LeftButton);
    QCOMPARE(env.launcher.documents, QStringList({env.ProgramFolder() + "help/index.html",
                                                  env.ProgramFolder() + "help/support.htm"}));
    for (const QString& page : env.launcher.documents)
      QVERIFY2(QFile::exists(page), qPrintable(page));
    // By keyboard: Tab from the OK button reaches each link in turn, Enter or Space opens it.
    about.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&about));
    about.findChild<QPushButton*>("Button1")->setFocus();
    for (const auto& [link, key] : {std::pair{home, Qt::Key_Return}, {support, Qt::Key_Space}}) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(link));
      QTest::keyClick(link, key);
    }
    QCOMPARE(env.launcher.documents.mid(2), env.launcher.documents.mid(0, 2));
    // Under a dark palette the box is dark with light text: no colour of its own.
    const QPalette before = QApplication::palette();
    QPalette dark = before;
    dark.setColor(QPalette::Window, Qt::black);
    dark.setColor(QPalette::WindowText, Qt::white);
    QApplication::setPalette(dark);
    {
      TAboutBox darkBox(env.ProgramFolder());
      QCOMPARE(darkBox.palette().color(QPalette::Window), QColor(Qt::black));
    }
    QApplication::setPalette(before);
    // The disclaimer gets every line it needs, at the desktop's font and at a large one.
    const QFont font = QApplication::font();
    for (const int points : {font.pointSize(), 16}) {
      QFont sized = font;
      sized.setPointSize(points);
      QApplication::setFont(sized);
      TAboutBox box(env.ProgramFolder());
      box.show();
      const auto* text = box.findChild<QLabel*>("Comments");
      QVERIFY2(text->height() >= text->heightForWidth(text->width()),
               qPrintable(QString::number(points)));
    }
    QApplication::setFont(font);

    // Red under the pointer; over another label it stays; over the background both are blue.
    MoveOver(home, {2, 2});
    MoveOver(support, {2, 2});
    QCOMPARE(TextRole(about, "Label8"), QPalette::LinkVisited);
    QCOMPARE(TextRole(about, "Label10"), QPalette::LinkVisited);
    auto* comments = about.findChild<QLabel*>("Comments");
    MoveOver(&about, comments->geometry().center());
    QCOMPARE(TextRole(about, "Label8"), QPalette::LinkVisited);
    MoveOver(&about, {1, about.height() - 1});
    QVERIFY(!about.childAt(1, about.height() - 1));
    QCOMPARE(TextRole(about, "Label8"), QPalette::Link);
    QCOMPARE(TextRole(about, "Label10"), QPalette::Link);
    VERIFY_PROMPTS();
  }
};

TORVANE_UI_TEST(TestSmallWindows);
#include "TestSmallWindows.moc"
