// Where the window program keeps its state: beside itself in a writable program folder (the
// build folder), in the user's folders when installed, never inside the installed tree; and two
// programs running at once, each previewing its own project without disturbing the other.
#include <QAction>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTest>

#include <csignal>

#include "FileAssociation.h"
#include "FileUtil.h"
#include "MainForm.h"
#include "MemoryTree.h"
#include "Settings.h"
#include "UiTest.h"

using namespace uitest;

namespace {
// A project of one picture item whose picture (height `height`) lies beside it.
QString WriteProject(const QString& path, const std::string& name, int height) {
  const QString picture = QFileInfo(path).absolutePath() + "/picture.jpg";
  MakeJpeg(picture, 2 * height, height);
  return uitest::WriteProject(path, {""}, [&](TProjectModel& model) {
    model.Slider.name = name;
    model.Slider.height = std::to_string(height);
    model.Items[0].originalPath = picture.toStdString();
  });
}

// Every file and folder below `root` with its size and modification time, one a line.
QStringList Snapshot(const QString& root) {
  QStringList lines;
  QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QFileInfo info(it.next());
    lines << QStringLiteral("%1 %2 %3")
                 .arg(info.filePath())
                 .arg(info.isDir() ? -1 : info.size())
                 .arg(info.lastModified().toMSecsSinceEpoch());
  }
  lines.sort();
  return lines;
}

QByteArray Bytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// An installed tree made from the test's program folder: <root>/usr/bin (the programs would be
// there) and <root>/usr/share/torvane/ with the program's files. Returns the files folder.
QString MakeInstalledTree(const TTestEnvironment& env) {
  const QString share = env.Path("usr/share/torvane/");
  QDir().mkpath(env.Path("usr/bin"));
  QDirIterator it(env.ProgramFolder(), QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString file = it.next();
    const QString copy = share + file.mid(env.ProgramFolder().size());
    QDir().mkpath(QFileInfo(copy).absolutePath());
    QFile::copy(file, copy);
  }
  for (const char* file : {"torvane.desktop", "torvane-mime.xml"}) {
    const QString target = QString::fromLatin1(file) == "torvane.desktop"
                               ? env.Path("usr/share/applications/torvane.desktop")
                               : env.Path("usr/share/mime/packages/torvane.xml");
    QDir().mkpath(QFileInfo(target).absolutePath());
    QFile::copy(QStringLiteral(TORVANE_SOURCE_DIR "/resources/desktop/") + file, target);
  }
  return share;
}

QString Env(const char* name) { return QString::fromLocal8Bit(qgetenv(name)); }
}  // namespace

class TestInstalledLayout : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { VERIFY_PROMPTS(); }

  void aWritableProgramFolderKeepsEverythingBesideIt() {
    TTestEnvironment env;
    const QString bin = env.ProgramFolder();
    const QString project = WriteProject(env.Path("work/a.tvn"), "Beside", 40);
    TMainForm form(bin);
    QVERIFY(!form.statePlaces().perUser);
    QCOMPARE(form.files().templateFolders(), QStringList{bin + "templates"});
    QCOMPARE(QString::fromStdString(form.document().runFolders().workFolder()), bin);
    QVERIFY(form.files().openProjectFile(project));
    QCOMPARE(ReadText(bin + "recentfile.dat"), "&1 " + project + "\r\n");
    Act(form, "Preview1")->trigger();
    QCOMPARE(env.launcher.documents,
             QStringList{QDir::toNativeSeparators(bin + "preview/~preview.html")});
    QVERIFY(QFile::exists(bin + "preview/slider0.jpg"));
    QCOMPARE(Bytes(bin + "preview/torvane.js"), Bytes(bin + "torvane.js"));
    QVERIFY(!QFile::exists(bin + "torvanecfg.js"));  // moved into the preview

    // A second window started meanwhile shares the recent list but not the preview folder.
    QString work;
    {
      TMainForm second(bin);
      work = QString::fromStdString(second.document().runFolders().workFolder());
      QVERIFY2(work.startsWith(env.Path("runtime/torvane/instance-")), qPrintable(work));
      QCOMPARE(second.files().recentEntries(), QStringList{project});
      QVERIFY(second.close());
    }
    QVERIFY(!QFileInfo::exists(work));  // a private work folder goes with its window
    QVERIFY(QFile::exists(bin + "preview/slider0.jpg"));
    QVERIFY(form.close());
    QVERIFY(!QFileInfo::exists(bin + "preview"));
    QVERIFY(QFileInfo::exists(bin + "torvane.js"));
  }

  void anInstalledTreeIsNeverWritten() {
    TTestEnvironment env;
    const QString share = MakeInstalledTree(env);
    const QString data = env.Path("data/torvane/");
    const QString project = WriteProject(env.Path("work/a.tvn"), "Installed", 40);
    const QStringList before = Snapshot(env.Path("usr"));
    // The installed entry provides the file association: the user's copy is not written.
    qputenv("XDG_DATA_DIRS", QFile::encodeName(env.Path("usr/share")));
    QString work;
    {
      TMainForm form(share);
      QVERIFY(form.statePlaces().perUser);
      QVERIFY(!QFileInfo::exists(env.Path("data/applications/torvane.desktop")));
      QCOMPARE(form.files().templateFolders(),
               (QStringList{data + "templates", share + "templates"}));
      work = QString::fromStdString(form.document().runFolders().workFolder());
      QVERIFY2(work.startsWith(env.Path("runtime/torvane/instance-")), qPrintable(work));

      QVERIFY(form.files().openProjectFile(project));
      QCOMPARE(ReadText(data + "recentfile.dat"), "&1 " + project + "\r\n");
      Act(form, "Preview1")->trigger();
      const QString preview = work + "preview/";
      QCOMPARE(env.launcher.documents,
               QStringList{QDir::toNativeSeparators(preview + "~preview.html")});
      QVERIFY(QFile::exists(preview + "slider0.jpg"));
      QVERIFY(ReadText(preview + "torvanecfg.js").contains("Installed"));
      QCOMPARE(Bytes(preview + "torvane.js"), Bytes(share + "torvane.js"));
      // The report is written as a scratch file in the work folder, then read from the preview.
      QString report;
      prompt::QueueWindow([&](QDialog& window) {
        report = window.findChild<QPlainTextEdit*>()->toPlainText();
        return int(QDialog::Accepted);
      });
      Act(form, "Publish1")->trigger();
      QVERIFY2(report.contains("  slider0.jpg"), qPrintable(report));
      QVERIFY(QFile::exists(preview + "PublishReport.txt"));

      // Templates: the user's are saved to the data folder; the chooser lists both folders.
      prompt::QueueFile(data + "templates/Mine.tvn");
      Act(form, "SaveAsTemplate1")->trigger();
      QVERIFY(QFile::exists(data + "templates/Mine.tvn"));
      QCOMPARE(Bytes(data + "templates/torvane.js"), Bytes(share + "torvane.js"));
      QStringList listed;
      prompt::QueueWindow([&](QDialog& chooser) {
        for (QListWidgetItem* item :
             chooser.findChild<QListWidget*>("TempletList")->findItems("*", Qt::MatchWildcard))
          listed << item->text();
        return int(QDialog::Rejected);
      });
      Act(form, "Templet1")->trigger();
      QVERIFY2(listed.contains("Mine.tvn") && listed.contains("Photo strip.tvn"),
               qPrintable(listed.join(", ")));
      QVERIFY(form.close());
    }
    QVERIFY(!QFileInfo::exists(work));  // the private work folder goes with the window
    QCOMPARE(Snapshot(env.Path("usr")), before);
    qunsetenv("XDG_DATA_DIRS");
  }

  void theUsersAssociationIsWrittenOnlyWithoutAnInstalledOne() {
    TTestEnvironment env;
    MakeInstalledTree(env);
    QStringList ran;
    auto record = [&](const QString& tool, const QStringList&) {
      ran << QFileInfo(tool).fileName();
    };
    qputenv("XDG_DATA_DIRS", QFile::encodeName(env.Path("elsewhere")));
    QVERIFY(!platform::SystemAssociationInstalled());
    QVERIFY(platform::WriteFileAssociation("/opt/torvane/bin/torvane", record));
    QVERIFY(QFile::exists(env.Path("data/applications/torvane.desktop")));
    QFile::remove(env.Path("data/applications/torvane.desktop"));
    QFile::remove(env.Path("data/mime/packages/torvane.xml"));
    qputenv("XDG_DATA_DIRS",
            QFile::encodeName(env.Path("elsewhere") + ":" + env.Path("usr/share")));
    QVERIFY(platform::SystemAssociationInstalled());
    QVERIFY(!platform::WriteFileAssociation("/opt/torvane/bin/torvane", record));
    QVERIFY(!QFile::exists(env.Path("data/applications/torvane.desktop")));
    QVERIFY(!QFile::exists(env.Path("data/mime/packages/torvane.xml")));
    qunsetenv("XDG_DATA_DIRS");

    // The installed type definition is the one written for the user; the entries differ only
    // in how the program is started.
    QCOMPARE(QString::fromUtf8(Bytes(env.Path("usr/share/mime/packages/torvane.xml"))),
             platform::MimePackage());
    const QString installed =
        QString::fromUtf8(Bytes(env.Path("usr/share/applications/torvane.desktop")));
    for (const QString& line : platform::DesktopEntry("/opt/torvane/bin/torvane").split('\n')) {
      if (line.startsWith("Exec="))
        QVERIFY(installed.contains("\nExec=torvane %f\n"));
      else if (!line.isEmpty())
        QVERIFY2(installed.contains(line + '\n'), qPrintable(line));
    }
  }

  // Two programs at once (separate processes), each previewing its own project, in both layouts.
  void twoRunningProgramsKeepTheirOwnPreviews() {
    TTestEnvironment env;
    const QString installed = MakeInstalledTree(env);
    QFile::setPermissions(env.Path("runtime"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString projects[2] = {WriteProject(env.Path("one/one.tvn"), "NumberOne", 40),
                                 WriteProject(env.Path("two/two.tvn"), "NumberTwo", 60)};
    for (const QString& files : {env.ProgramFolder(), installed}) {
      QProcess programs[2];
      QString ready[2];
      for (int i = 0; i < 2; ++i) {
        ready[i] = env.Path(QStringLiteral("ready%1").arg(i));
        QFile::remove(ready[i]);
        QFile::remove(ready[i] + ".quit");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TORVANE_TEST_FILES", files);
        environment.insert("TORVANE_TEST_PROJECT", projects[i]);
        environment.insert("TORVANE_TEST_READY", ready[i]);
        programs[i].setProcessEnvironment(environment);
        programs[i].setProcessChannelMode(QProcess::ForwardedErrorChannel);
        programs[i].start(QCoreApplication::applicationFilePath(),
                          {"TestInstalledLayout", "previewOneProject"});
      }
      QString previews[2];
      for (int i = 0; i < 2; ++i) {
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(ready[i]), 60000);
        previews[i] = ReadText(ready[i]).trimmed();
      }
      QVERIFY(previews[0] != previews[1]);
      if (files == installed) {
        QVERIFY(!previews[0].startsWith(files) && !previews[1].startsWith(files));
      } else {  // one of them keeps the folder beside the program
        QVERIFY((previews[0] == files + "preview/") != (previews[1] == files + "preview/"));
      }
      QByteArray shown[2];
      for (int i = 0; i < 2; ++i) {
        QVERIFY(
            ReadText(previews[i] + "torvanecfg.js").contains(i == 0 ? "NumberOne" : "NumberTwo"));
        shown[i] = Bytes(previews[i] + "slider0.jpg");
        QVERIFY(!shown[i].isEmpty());
      }
      QVERIFY(shown[0] != shown[1]);
      // Both opened their project at the same moment: the shared recent list holds both.
      const QString recent = ReadText(files == installed ? env.Path("data/torvane/recentfile.dat")
                                                         : files + "recentfile.dat");
      QVERIFY2(recent.contains(projects[0]) && recent.contains(projects[1]), qPrintable(recent));
      // The first ends: its preview goes, the second's stays untouched until it ends too.
      for (int i = 0; i < 2; ++i) {
        QFile(ready[i] + ".quit").open(QIODevice::WriteOnly);
        QVERIFY(programs[i].waitForFinished(60000));
        QCOMPARE(programs[i].exitCode(), 0);
        QVERIFY(!QFileInfo::exists(previews[i] + "slider0.jpg"));
        if (i == 0) {
          QCOMPARE(Bytes(previews[1] + "slider0.jpg"), shown[1]);
          QVERIFY(QFile::exists(previews[1] + "~preview.html"));
        }
      }
    }
  }

  // SIGTERM or SIGHUP (a logout) ends the window program as Exit does, without asking; a
  // preview left in the program folder by a killed program is emptied by the next one.
  void aStopSignalEndsTheProgramAndClearsItsPreview() {
    TTestEnvironment env;
    const QString bin = env.ProgramFolder();
    QVERIFY(QFile::copy(QStringLiteral(TORVANE_BIN_DIR) + "/torvane", bin + "torvane"));
    QFile::setPermissions(bin + "torvane", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString project = WriteProject(env.Path("work/a.tvn"), "Stopped", 40);
    TProjectModel model(QDir::tempPath().toStdString());
    TMemoryTree tree;
    model.LoadProject(project.toStdString(), tree);
    model.Items[0].imageFile = "slider0.jpg";
    model.SaveProject(project.toStdString());
    QVERIFY(QFile::copy(env.Path("work/picture.jpg"), env.Path("work/slider0.jpg")));
    QDir().mkpath(bin + "preview");
    fileutil::WriteTextLines((bin + "preview/left.jpg").toStdString(), {"left by a killed window"});
    for (const int signal : {SIGTERM, SIGHUP}) {
      QProcess program;
      QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
      environment.insert("QT_QPA_PLATFORM", "offscreen");
      program.setProcessEnvironment(environment);
      program.start(bin + "torvane", {project});
      QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(bin + "preview/slider0.jpg"), 60000);
      QVERIFY(!QFile::exists(bin + "preview/left.jpg"));
      ::kill(static_cast<pid_t>(program.processId()), signal);
      QVERIFY(program.waitForFinished(20000));
      QCOMPARE(program.exitCode(), 128 + signal);
      QVERIFY(!QFile::exists(bin + "preview/slider0.jpg"));
    }
  }

  // One of the two programs above; does nothing when run on its own.
  void previewOneProject() {
    const QString files = Env("TORVANE_TEST_FILES");
    if (files.isEmpty()) QSKIP("started by twoRunningProgramsKeepTheirOwnPreviews");
    TCapturingLauncher launcher;
    SetLauncher(&launcher);
    settings::UseFolder(Env("XDG_CONFIG_HOME"));
    prompt::StartTesting();
    {
      TMainForm form(files);
      QVERIFY(form.files().openProjectFile(Env("TORVANE_TEST_PROJECT")));
      Act(form, "Preview1")->trigger();
      QCOMPARE(launcher.documents.size(), 1);
      const QString ready = Env("TORVANE_TEST_READY");
      fileutil::WriteTextLines((ready + ".tmp").toStdString(), {form.document().previewFolder()});
      QVERIFY(QFile::rename(ready + ".tmp", ready));
      QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(ready + ".quit"), 120000);
      QVERIFY(form.close());
    }
    prompt::StopTesting();
    SetLauncher(nullptr);
  }
};

TORVANE_UI_TEST(TestInstalledLayout);
#include "TestInstalledLayout.moc"
