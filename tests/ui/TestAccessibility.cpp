// What a screen reader meets: every control a keyboard can reach, in every window, has a name.
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QDialog>
#include <QTabWidget>
#include <QTest>

#include "HTMLBuild.h"
#include "HelpWindow.h"
#include "MessageBox_LinkTip.h"
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
    form.Document().insertItem(-1);
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
    TfrmPublishReport report(&form);
    TfrmMsgBox_LinkTip linkTip(&form);
    for (QDialog* window :
         std::initializer_list<QDialog*>{form.CodeWindow(), form.HelpWindow(), &report, &linkTip}) {
      window->show();
      unnamed += Unnamed(*window);
      window->hide();
    }
    unnamed.removeDuplicates();
    QVERIFY2(unnamed.isEmpty(), qPrintable("no accessible name: " + unnamed.join(", ")));
  }
};

TORVANE_UI_TEST(TestAccessibility);
#include "TestAccessibility.moc"
