// What a screen reader meets (every control a keyboard can reach, in every window, has a name)
// and what a German user sees (no English text of ours, no label cut short).
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTranslator>
#include <QTreeView>
#include <QXmlStreamReader>

#include "CodeWindow.h"
#include "HelpWindow.h"
#include "LinkTip.h"
#include "LivePreview.h"
#include "PublishReport.h"
#include "UiTest.h"

using namespace uitest;

namespace {

// The shown controls of `window` that take the focus but give a screen reader no name, as
// "objectName (class)". Every page of a tab widget counts as shown.
QStringList Unnamed(QWidget& window) {
  QStringList unnamed;
  const auto walk = [&] {
    for (QWidget* widget : window.findChildren<QWidget*>()) {
      if (!widget->isVisibleTo(&window) || widget->focusPolicy() == Qt::NoFocus) continue;
      // The text box inside a spin box or an editable list is read as part of its control.
      if (qobject_cast<QAbstractSpinBox*>(widget->parent()) ||
          qobject_cast<QComboBox*>(widget->parent()))
        continue;
      QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
      const QString name = face ? face->text(QAccessible::Name).trimmed() : QString();
      const QString entry = widget->objectName() + " (" + widget->metaObject()->className() + ")";
      if (name.isEmpty() && !unnamed.contains(entry)) unnamed << entry;
    }
  };
  walk();
  for (QTabWidget* tabs : window.findChildren<QTabWidget*>()) {
    const int shown = tabs->currentIndex();
    for (int page = 0; page < tabs->count(); ++page) {
      tabs->setCurrentIndex(page);
      walk();
    }
    tabs->setCurrentIndex(shown);
  }
  return unnamed;
}

// The texts of ours that German shows otherwise: each source text of the German translation
// whose translation differs, without its mnemonic marks.
QSet<QString> EnglishTexts() {
  QFile file(QStringLiteral(TORVANE_SOURCE_DIR "/translations/torvane_de.ts"));
  QSet<QString> english;
  if (!file.open(QIODevice::ReadOnly)) return english;
  QXmlStreamReader ts(&file);
  QString source;
  while (ts.readNextStartElement() || !ts.atEnd()) {
    if (!ts.isStartElement()) continue;
    if (ts.name() == QLatin1String("source")) {
      source = ts.readElementText();
    } else if (ts.name() == QLatin1String("translation")) {
      const QString translation = ts.readElementText(QXmlStreamReader::IncludeChildElements);
      if (QString(translation).remove('&') != QString(source).remove('&'))
        english.insert(QString(source).remove('&'));
    } else if (ts.name() != QLatin1String("TS") && ts.name() != QLatin1String("context") &&
               ts.name() != QLatin1String("message")) {
      ts.skipCurrentElement();
    }
  }
  return english;
}

// What `window` shows in English, and the labels and buttons too narrow for their text, as
// "objectName: text".
void CheckGerman(QWidget& window, const QSet<QString>& english, QStringList& found) {
  const auto check = [&](QObject* owner, const QString& text, int room, int needed) {
    const QString bare = QString(text).remove('&');
    const QString entry = owner->objectName() + ": " + bare;
    if (english.contains(bare) && !found.contains(entry)) found << entry;
    if (room < needed && !found.contains(entry + " (cut)")) found << entry + " (cut)";
  };
  if (english.contains(window.windowTitle())) found << "title: " + window.windowTitle();
  for (QWidget* widget : window.findChildren<QWidget*>()) {
    if (!widget->isVisibleTo(&window)) continue;
    if (auto* label = qobject_cast<QLabel*>(widget)) {
      const bool whole =
          label->wordWrap() || label->text().contains('<') || !label->pixmap().isNull();
      check(label, label->text(), label->contentsRect().width(),
            whole ? 0 : label->fontMetrics().horizontalAdvance(QString(label->text()).remove('&')));
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
      check(button, button->text(), button->width(),
            qobject_cast<QPushButton*>(button) ? button->minimumSizeHint().width() : 0);
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
      check(group, group->title(), 0, 0);
    } else if (auto* tabs = qobject_cast<QTabWidget*>(widget)) {
      for (int page = 0; page < tabs->count(); ++page) check(tabs, tabs->tabText(page), 0, 0);
    }
    for (QAction* action : widget->actions()) check(action, action->text(), 0, 0);
  }
}

// The Alt+letter keys of the menu bar and of each property page that clash, as "letter: texts".
QStringList ClashingMnemonics(TMainForm& form) {
  const auto letterOf = [](const QString& text) {
    const int at = QString(text).replace("&&", "__").indexOf('&');
    return at >= 0 && at + 1 < text.size() ? text.at(at + 1).toLower() : QChar();
  };
  QMap<QChar, QStringList> menus;
  for (QAction* action : form.menuBar()->actions())
    if (const QChar letter = letterOf(action->text()); !letter.isNull())
      menus[letter] << action->text();
  QStringList clashes;
  auto* tabs = Find<QTabWidget>(form, "pgcntrl1");
  for (int page = 0; page < tabs->count(); ++page) {
    QMap<QChar, QStringList> keys = menus;
    for (QWidget* widget : tabs->widget(page)->findChildren<QWidget*>()) {
      QString text;
      if (auto* label = qobject_cast<QLabel*>(widget)) text = label->text();
      if (auto* group = qobject_cast<QGroupBox*>(widget)) text = group->title();
      if (auto* button = qobject_cast<QAbstractButton*>(widget)) text = button->text();
      if (const QChar letter = letterOf(text); !letter.isNull()) keys[letter] << text;
    }
    for (auto it = keys.begin(); it != keys.end(); ++it)
      if (it.value().size() > 1) clashes << QString(it.key()) + ": " + it.value().join(", ");
  }
  return clashes;
}

}  // namespace

class TestAccessibility : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { VERIFY_PROMPTS(); }

  void everyControlOfEveryWindowHasAName() {
    TTestEnvironment env;
    TMainForm form(env.ProgramFolder());
    form.show();
    Select(form, {-1});
    QStringList unnamed = Unnamed(form);
    form.document().insertItem(-1);
    Select(form, {0});
    unnamed += Unnamed(form);
    // The windows the menus open, each walked while it is shown.
    for (const char* action : {"About1", "WebBrowser1"}) {
      prompt::QueueWindow([&](QDialog& window) {
        unnamed += Unnamed(window);
        return int(QDialog::Rejected);
      });
      Act(form, action)->trigger();
    }
    TPublishReportWindow report(&form);
    TLinkTip linkTip(&form);
    for (QDialog* window :
         std::initializer_list<QDialog*>{form.codeWindow(), form.helpWindow(), &report, &linkTip}) {
      window->show();
      unnamed += Unnamed(*window);
      window->hide();
    }
    unnamed.removeDuplicates();
    QVERIFY2(unnamed.isEmpty(), qPrintable("no accessible name: " + unnamed.join(", ")));
  }

  // Alt+letter jumps to a field, F6 and Shift+F6 go round the window's parts.
  void theKeyboardReachesEveryPartAndField() {
    TTestEnvironment env;
    TMainForm form(env.ProgramFolder());
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QVERIFY2(ClashingMnemonics(form).isEmpty(), qPrintable(ClashingMnemonics(form).join(" | ")));
    QTreeView* tree = TreeOf(form);
    tree->setFocus();
    Select(form, {-1});
    QTest::keyClick(&form, Qt::Key_W, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget()->objectName(), QString("spnedt_pWidth"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
    QWidget* pane = form.livePreview();
    QVERIFY(pane->isVisible() ? pane->isAncestorOf(QApplication::focusWidget())
                              : QApplication::focusWidget() == tree);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget()->objectName(), QString("spnedt_pWidth"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), tree);
    form.document().insertItem(-1);
    Select(form, {0});
    QTest::keyClick(&form, Qt::Key_T, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget()->objectName(), QString("cmbx_ITarget"));
  }

  void theGermanWindowAtA12PointFontShowsNoEnglishTextAndNoTextCutShort() {
    const QSet<QString> english = EnglishTexts();
    QVERIFY(english.size() > 100);
    QTranslator german;
    QVERIFY(german.load(QStringLiteral(":/i18n/torvane_de.qm")));
    QCoreApplication::installTranslator(&german);
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    // At a larger desktop font, too.
    const QFont font = QApplication::font();
    QFont larger = font;
    larger.setPointSize(12);
    QApplication::setFont(larger);
    QStringList found;
    {
      TTestEnvironment env;
      TMainForm form(env.ProgramFolder());
      form.placeOnScreen();
      form.show();
      QVERIFY(QTest::qWaitForWindowExposed(&form));
      CheckGerman(form, english, found);
      found += ClashingMnemonics(form);
      for (QMenu* menu : form.findChildren<QMenu*>())
        for (QAction* action : menu->actions())
          if (english.contains(QString(action->text()).remove('&')))
            found << menu->objectName() + ": " + action->text();
      form.document().insertItem(-1);
      Select(form, {0});
      if (const QString row = RowOf(form, 0).data().toString(); english.contains(row))
        found << "tree: " + row;
      auto* tabs = Find<QTabWidget>(form, "pgcntrl1");
      for (int page = 0; page < tabs->count(); ++page) {
        tabs->setCurrentIndex(page);
        CheckGerman(form, english, found);
      }
      for (const char* action : {"About1", "WebBrowser1"}) {
        prompt::QueueWindow([&](QDialog& window) {
          window.show();  // laid out as the user sees it
          CheckGerman(window, english, found);
          return int(QDialog::Rejected);
        });
        Act(form, action)->trigger();
      }
      for (QDialog* window :
           {static_cast<QDialog*>(form.codeWindow()), static_cast<QDialog*>(form.helpWindow())}) {
        window->show();
        CheckGerman(*window, english, found);
        window->hide();
      }
    }
    QApplication::setFont(font);
    QLocale::setDefault(before);
    QCoreApplication::removeTranslator(&german);
    QVERIFY2(found.isEmpty(), qPrintable("in English or cut short: " + found.join(" | ")));
  }
};

TORVANE_UI_TEST(TestAccessibility);
#include "TestAccessibility.moc"
