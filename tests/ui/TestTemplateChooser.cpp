// The template chooser: its folders and list, OK / double-click / Cancel / Esc, and the
// "ShowTempletsDialog" setting behind its check box.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "Settings.h"
#include "TemplateChooser.h"
#include "UiTest.h"

namespace {
void Touch(const QString& path) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  file.open(QIODevice::WriteOnly);
}

QStringList Entries(TTemplateChooser& dialog) {
  auto* list = dialog.findChild<QListWidget*>("TempletList");
  QStringList names;
  for (int i = 0; i < list->count(); ++i) names << list->item(i)->text();
  return names;
}

void Select(TTemplateChooser& dialog, const QString& name) {
  auto* list = dialog.findChild<QListWidget*>("TempletList");
  const auto found = list->findItems(name, Qt::MatchExactly);
  QCOMPARE(found.size(), 1);
  list->setCurrentItem(found.first());
}

std::optional<QVariant> Stored() {
  return settings::Read(settings::kSettingsKey, "ShowTempletsDialog");
}
}  // namespace

class TestTemplateChooser : public QObject {
  Q_OBJECT

 private slots:
  void missingFolderIsCreatedAndOkJustCloses() {
    uitest::TTestEnvironment env;
    const QString folder = env.ProgramFolder() + "templates";
    QVERIFY(QDir(folder).removeRecursively());
    TTemplateChooser dialog({folder});
    QVERIFY(QDir(folder).exists());
    QVERIFY(Entries(dialog).isEmpty());
    QSignalSpy open(&dialog, &TTemplateChooser::openRequested);
    QSignalSpy create(&dialog, &TTemplateChooser::newProjectRequested);
    prompt::QueueWindow([](QDialog& shown) {
      shown.findChild<QPushButton*>("BitBtn1")->click();
      return shown.result();
    });
    QCOMPARE(prompt::Exec(dialog), int(QDialog::Accepted));
    QCOMPARE(open.count(), 0);
    QCOMPARE(create.count(), 0);
    VERIFY_PROMPTS();
  }

  void folderThatCannotBeMadeIsReported() {
    uitest::TTestEnvironment env;
    // One level only: a folder whose parent is missing, and a name taken by a file.
    const QString deep = env.Path("gone/templates");
    prompt::QueueButton(TButton::Ok);
    TTemplateChooser dialog({deep});
    QCOMPARE(prompt::Shown().size(), 1);
    QCOMPARE(prompt::Shown()[0].kind, TMessageKind::Error);
    QCOMPARE(prompt::Shown()[0].text, "Cannot create " + QDir::toNativeSeparators(deep));
    QVERIFY(Entries(dialog).isEmpty());
    QVERIFY(!QDir(deep).exists());

    const QString file = env.Path("taken");
    Touch(file);
    Touch(env.Path("mine/own.tvn"));
    prompt::QueueButton(TButton::Ok);
    TTemplateChooser second({file, env.Path("mine")});
    QCOMPARE(prompt::Shown().last().text, "Cannot create " + QDir::toNativeSeparators(file));
    QCOMPARE(Entries(second), QStringList({"own.tvn"}));
    VERIFY_PROMPTS();
  }

  void listsAndOpensFromEveryFolder() {
    uitest::TTestEnvironment env;
    const QString own = env.ProgramFolder() + "templates/";
    QVERIFY(QDir(own).removeRecursively());
    const QString user = env.Path("data/Torvane/templates/");
    for (const char* name : {"b.tvn", "Alpha.tvn", "c.TVN", "notes.txt", "shared.tvn"})
      Touch(own + name);
    QDir().mkpath(own + "folder.tvn");
    for (const char* name : {"shared.tvn", "a.tvn", "zeta.tvn"}) Touch(user + name);
    TTemplateChooser dialog({own, user, env.Path("nowhere")});
    QVERIFY(!QDir(env.Path("nowhere")).exists());
    QCOMPARE(Entries(dialog),
             QStringList({"a.tvn", "Alpha.tvn", "b.tvn", "c.TVN", "shared.tvn", "zeta.tvn"}));

    QSignalSpy open(&dialog, &TTemplateChooser::openRequested);
    QSignalSpy create(&dialog, &TTemplateChooser::newProjectRequested);
    // The first folder's template hides the same name in the second.
    Select(dialog, "shared.tvn");
    dialog.findChild<QPushButton*>("BitBtn1")->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    Select(dialog, "zeta.tvn");
    auto* list = dialog.findChild<QListWidget*>("TempletList");
    emit list->itemDoubleClicked(list->currentItem());
    QCOMPARE(open.count(), 2);
    QCOMPARE(QDir::cleanPath(open[0][0].toString()), QDir::cleanPath(own + "shared.tvn"));
    QCOMPARE(QDir::cleanPath(open[1][0].toString()), QDir::cleanPath(user + "zeta.tvn"));
    QCOMPARE(create.count(), 0);
    VERIFY_PROMPTS();
  }

  void cancelAndEscapeAskForANewProject() {
    uitest::TTestEnvironment env;
    Touch(env.ProgramFolder() + "templates/one.tvn");
    TTemplateChooser dialog({env.ProgramFolder() + "templates"});
    QSignalSpy open(&dialog, &TTemplateChooser::openRequested);
    QSignalSpy create(&dialog, &TTemplateChooser::newProjectRequested);
    Select(dialog, "one.tvn");
    dialog.findChild<QPushButton*>("BitBtn2")->click();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(create.count(), 1);
    dialog.show();
    QVERIFY(dialog.isVisible());
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(create.count(), 2);
    QCOMPARE(open.count(), 0);
    VERIFY_PROMPTS();
  }

  void checkBoxFollowsTheSetting() {
    uitest::TTestEnvironment env;
    const QStringList folders{env.ProgramFolder() + "templates"};
    {
      // Missing: cleared, and nothing is written by showing.
      TTemplateChooser dialog(folders);
      dialog.show();
      auto* box = dialog.findChild<QCheckBox*>("chckbxDontShow");
      QVERIFY(!box->isChecked());
      QVERIFY(!Stored());
      box->click();
      QCOMPARE(Stored()->toInt(), 0);
      box->click();
      QCOMPARE(Stored()->toInt(), 1);
      box->click();
    }
    {
      // Stored false (here as a word, hand-edited): ticked, and written back as a click would.
      settings::WriteValue(settings::kSettingsKey, "ShowTempletsDialog", "false");
      TTemplateChooser dialog(folders);
      dialog.show();
      QVERIFY(dialog.findChild<QCheckBox*>("chckbxDontShow")->isChecked());
      QCOMPARE(Stored()->toString(), QString("0"));
    }
    {
      // A store that cannot be read: ticked; failing to write "do not show" is not reported,
      // failing to write "show" is.
      settings::SimulateFailure(true);
      TTemplateChooser dialog(folders);
      dialog.show();
      auto* box = dialog.findChild<QCheckBox*>("chckbxDontShow");
      QVERIFY(box->isChecked());
      QVERIFY(prompt::Shown().isEmpty());
      prompt::QueueButton(TButton::Ok);
      box->click();
      QCOMPARE(prompt::Shown().size(), 1);
      QCOMPARE(prompt::Shown()[0].kind, TMessageKind::Error);
      QVERIFY(prompt::Shown()[0].text.contains("ShowTempletsDialog"));
      settings::SimulateFailure(false);
    }
    VERIFY_PROMPTS();
  }
};

TORVANE_UI_TEST(TestTemplateChooser);
#include "TestTemplateChooser.moc"
