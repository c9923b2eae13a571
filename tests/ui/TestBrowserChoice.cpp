// The preview browser: detection (classic registry entries through a fake registry, browsers of
// today on a private PATH), storing and loading the choice, and openPage for every choice.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <map>
#include <stdexcept>
#include <tuple>

#include "BrowserChooser.h"
#include "BrowserDetect.h"
#include "Settings.h"
#include "UiTest.h"

namespace {
using browsers::TRegistryRoot;
const auto HKLM = TRegistryRoot::LocalMachine;
const auto HKCU = TRegistryRoot::CurrentUser;

class TFakeRegistry : public browsers::ISystemRegistry {
 public:
  std::map<std::tuple<TRegistryRoot, QString, QString>, QString> values;
  QStringList failingKeys;  // reading any value of these keys fails
  std::optional<QString> ReadString(TRegistryRoot root, const QString& key,
                                    const QString& name) override {
    if (failingKeys.contains(key)) throw std::runtime_error("registry access denied");
    const auto it = values.find({root, key, name});
    if (it == values.end()) return std::nullopt;
    return it->second;
  }
  void Set(TRegistryRoot root, const QString& key, const QString& name, const QString& value) {
    values[{root, key, name}] = value;
  }
};

// A machine of our own: the fake registry, a set of existing program files and an empty PATH.
struct TMachine {
  TFakeRegistry registry;
  QSet<QString> files;
  TMachine() {
    browsers::SetSystemRegistry(&registry);
    browsers::SetFileExists([this](const QString& path) { return files.contains(path); });
    browsers::SetSearchPath(QString());
  }
  ~TMachine() {
    browsers::SetSystemRegistry(nullptr);
    browsers::SetFileExists(nullptr);
    browsers::SetSearchPath(std::nullopt);
  }
  // Internet Explorer and Netscape 6.2, as in an old office machine.
  void InstallExplorerAndNetscape6() {
    registry.Set(HKLM, "SOFTWARE\\Microsoft\\windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE", "",
                 "C:\\IE\\iexplore.exe");
    files << "C:\\IE\\iexplore.exe";
    registry.Set(HKLM, "SOFTWARE\\Netscape\\Netscape 6", "CurrentVersion", "6.2");
    registry.Set(HKLM, "SOFTWARE\\Netscape\\Netscape 6\\6.2\\Main", "Install Directory", "C:\\NS6");
    files << "C:\\NS6\\netscp6.exe";
  }
};

QStringList Names(const QList<browsers::TWebBrowserNamePath>& list) {
  QStringList names;
  for (const auto& entry : list) names << entry.name;
  return names;
}

template <typename T>
T* Child(QWidget& parent, const char* name) {
  T* child = parent.findChild<T*>(QLatin1String(name));
  if (!child) qFatal("no child %s", name);
  return child;
}

QVariant Stored(const QString& name) {
  return settings::Read(settings::kBrowsersKey, name).value_or(QVariant());
}

// Which radio button is set: "default", "known", "specified", "" for none.
QString Choice(TBrowserChooser& dialog) {
  QStringList set;
  if (Child<QRadioButton>(dialog, "RadioButtonBrowserDefault")->isChecked()) set << "default";
  if (Child<QRadioButton>(dialog, "RadioButtonBrowserKnownInSystem")->isChecked()) set << "known";
  if (Child<QRadioButton>(dialog, "RadioButtonBrowserUserSpecify")->isChecked()) set << "specified";
  return set.join(",");
}

void storeChoice(int useDefault, int useKnown, int useSpecified, int number, const QString& path) {
  settings::WriteFlag(settings::kBrowsersKey, "UseDefaultBrowser", useDefault);
  settings::WriteFlag(settings::kBrowsersKey, "UseKnownBrowser", useKnown);
  settings::WriteFlag(settings::kBrowsersKey, "UseSpecifiedBrowser", useSpecified);
  settings::WriteValue(settings::kBrowsersKey, "SelectedBrowserNumber", number);
  settings::WriteValue(settings::kBrowsersKey, "SpecifiedBrowserExePath", path);
}
}  // namespace

class TestBrowserChoice : public QObject {
  Q_OBJECT

 private slots:
  void classicRegistrySteps() {
    uitest::TTestEnvironment env;
    {
      TMachine machine;
      QCOMPARE(browsers::DetectBrowsers().size(), 0);
    }
    {
      TMachine machine;
      machine.InstallExplorerAndNetscape6();
      TBrowserChooser dialog;
      QCOMPARE(Names(dialog.browserList()), QStringList({"Internet Explorer", "Netscape 6.2"}));
      QCOMPARE(dialog.browserList()[1].path, QString("C:\\NS6\\netscp6.exe"));
      auto* list = Child<QComboBox>(dialog, "ComboBoxBrowserList");
      QCOMPARE(list->count(), 2);
      QCOMPARE(list->itemText(1), QString("Netscape 6.2"));
    }
    {
      // Navigator 3 comes from the user's key; an empty CurrentVersion ends the Communicator
      // step without touching it.
      TMachine machine;
      machine.registry.Set(HKCU, "SOFTWARE\\Netscape\\Netscape Navigator\\Main",
                           "Install Directory", "C:\\Nav3");
      machine.files << "C:\\Nav3\\Program\\Netscape.exe";
      machine.registry.Set(HKLM, "SOFTWARE\\Netscape\\Netscape Navigator", "CurrentVersion", "");
      machine.registry.Set(HKLM, "SOFTWARE\\Netscape\\Netscape Navigator\\\\Main",
                           "Install Directory", "C:\\Comm");
      machine.files << "C:\\Comm\\Program\\Netscape.exe";
      QCOMPARE(Names(browsers::DetectBrowsers()), QStringList({"Netscape Navigator 3"}));
      // With a version, its text goes into the key path and the name as it is.
      machine.registry.Set(HKLM, "SOFTWARE\\Netscape\\Netscape Navigator", "CurrentVersion",
                           "4.79 (en)");
      machine.registry.Set(HKLM, "SOFTWARE\\Netscape\\Netscape Navigator\\4.79 (en)\\Main",
                           "Install Directory", "C:\\Comm");
      const auto found = browsers::DetectBrowsers();
      QCOMPARE(Names(found),
               QStringList({"Netscape Navigator 3", "Netscape Communicator 4.79 (en)"}));
      QCOMPARE(found[1].path, QString("C:\\Comm\\Program\\Netscape.exe"));
    }
    {
      // Registered, but the program file is gone: nothing. An empty install folder gets no
      // suffix (and so names no file). A failing key ends only its own step.
      TMachine machine;
      machine.InstallExplorerAndNetscape6();
      machine.files.remove("C:\\NS6\\netscp6.exe");
      machine.registry.Set(HKCU, "SOFTWARE\\Netscape\\Netscape Navigator\\Main",
                           "Install Directory", "");
      machine.files << "\\Program\\Netscape.exe";
      QCOMPARE(Names(browsers::DetectBrowsers()), QStringList({"Internet Explorer"}));
      machine.registry.failingKeys
          << "SOFTWARE\\Microsoft\\windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE";
      machine.files << "C:\\NS6\\netscp6.exe";
      QCOMPARE(Names(browsers::DetectBrowsers()), QStringList({"Netscape 6.2"}));
    }
  }

  void browsersOfTodayAreAppended() {
    uitest::TTestEnvironment env;
    {
      // On the PATH: programs only (an ordinary file is no browser), a link to a browser
      // already listed is not listed twice, the first folder of the PATH wins.
      QTemporaryDir first, second;
      const auto program = [](const QString& path, bool executable) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n");
        file.close();
        file.setPermissions(executable ? QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                       : QFile::ReadOwner | QFile::WriteOwner);
      };
      program(first.filePath("firefox-esr"), true);
      QVERIFY(QFile::link(first.filePath("firefox-esr"), first.filePath("firefox")));
      program(second.filePath("chromium"), true);
      program(first.filePath("chromium"), true);
      program(first.filePath("opera"), false);
      program(second.filePath("falkon"), true);
      browsers::SetSearchPath(first.path() + QDir::listSeparator() + second.path());
      const auto found = browsers::DetectBrowsers();
      browsers::SetSearchPath(std::nullopt);
      QCOMPARE(Names(found), QStringList({"Firefox", "Chromium", "Falkon"}));
      QCOMPARE(found[1].path, first.filePath("chromium"));
      QCOMPARE(found[2].path, second.filePath("falkon"));
      // Debian's "firefox" is a script of its own that starts Firefox ESR: one browser, once.
      QFile::remove(first.filePath("firefox"));
      program(first.filePath("firefox"), true);
      browsers::SetSearchPath(first.path());
      QCOMPARE(Names(browsers::DetectBrowsers()), QStringList({"Firefox", "Chromium"}));
      browsers::SetSearchPath(std::nullopt);
    }
    {
      // Under App Paths (the user's key before the machine's), quotes removed, after the
      // classic entries.
      TMachine machine;
      machine.InstallExplorerAndNetscape6();
      const QString appPaths = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
      machine.registry.Set(HKLM, appPaths + "chrome.exe", "", "\"C:\\Chrome\\chrome.exe\"");
      machine.registry.Set(HKLM, appPaths + "msedge.exe", "", "C:\\Edge\\msedge.exe");
      machine.registry.Set(HKCU, appPaths + "msedge.exe", "", "C:\\Users\\a\\Edge\\msedge.exe");
      machine.files << "C:\\Chrome\\chrome.exe"
                    << "C:\\Edge\\msedge.exe"
                    << "C:\\Users\\a\\Edge\\msedge.exe";
      machine.registry.Set(HKLM, appPaths + "vivaldi.exe", "", "C:\\Gone\\vivaldi.exe");
      const auto found = browsers::DetectBrowsers();
      QCOMPARE(Names(found), QStringList({"Internet Explorer", "Netscape 6.2", "Google Chrome",
                                          "Microsoft Edge"}));
      QCOMPARE(found[2].path, QString("C:\\Chrome\\chrome.exe"));
      QCOMPARE(found[3].path, QString("C:\\Users\\a\\Edge\\msedge.exe"));
    }
  }

  void storedChoiceLoadsWithItsFallbacks() {
    uitest::TTestEnvironment env;
    TMachine machine;
    {
      // No key: the default browser, nothing selected, no path.
      TBrowserChooser dialog;
      QCOMPARE(Choice(dialog), QString("default"));
      QCOMPARE(Child<QComboBox>(dialog, "ComboBoxBrowserList")->currentIndex(), -1);
      QVERIFY(Child<QLineEdit>(dialog, "editSpecifiedBrowserFileName")->text().isEmpty());
    }
    {
      // A known browser stored while the list is now empty: the default browser instead.
      storeChoice(0, 1, 0, 0, "");
      TBrowserChooser dialog;
      QCOMPARE(Choice(dialog), QString("default"));
      QCOMPARE(Child<QComboBox>(dialog, "ComboBoxBrowserList")->currentIndex(), -1);
      // ... and so does clicking it.
      Child<QRadioButton>(dialog, "RadioButtonBrowserKnownInSystem")->click();
      QCOMPARE(Choice(dialog), QString("default"));
    }
    machine.InstallExplorerAndNetscape6();
    for (auto [stored, selected] : {std::pair{1, 1}, {3, 0}, {2, 0}, {-1, -1}, {0, 0}}) {
      // A number beyond the (shrunken) list selects the first entry.
      storeChoice(0, 1, 0, stored, "/opt/web/browse");
      TBrowserChooser dialog;
      QCOMPARE(Choice(dialog), QString("known"));
      QCOMPARE(Child<QComboBox>(dialog, "ComboBoxBrowserList")->currentIndex(), selected);
      QCOMPARE(Child<QLineEdit>(dialog, "editSpecifiedBrowserFileName")->text(),
               QString("/opt/web/browse"));
    }
    {
      // The first value of the wrong type ends the loading: what was set stays (the default
      // browser cleared), the rest keep the form's state.
      storeChoice(0, 0, 1, 1, "/opt/web/browse");
      settings::WriteValue(settings::kBrowsersKey, "UseKnownBrowser", "banana");
      TBrowserChooser dialog;
      QCOMPARE(Choice(dialog), QString(""));
      QCOMPARE(Child<QComboBox>(dialog, "ComboBoxBrowserList")->currentIndex(), -1);
      QVERIFY(Child<QLineEdit>(dialog, "editSpecifiedBrowserFileName")->text().isEmpty());
    }
    {
      // A store that cannot be read: the form's defaults.
      storeChoice(0, 0, 1, 1, "/opt/web/browse");
      settings::SimulateFailure(true);
      TBrowserChooser dialog;
      settings::SimulateFailure(false);
      QCOMPARE(Choice(dialog), QString("default"));
    }
    VERIFY_PROMPTS();
  }

  void okStoresAndCancelDoesNot() {
    uitest::TTestEnvironment env;
    TMachine machine;
    machine.InstallExplorerAndNetscape6();
    {
      // Picking a list entry sets the known browser; OK stores every value.
      TBrowserChooser dialog;
      auto* list = Child<QComboBox>(dialog, "ComboBoxBrowserList");
      list->setCurrentIndex(1);
      emit list->activated(1);
      QCOMPARE(Choice(dialog), QString("known"));
      // Browsing changes the path, not the choice; its filter offers any file, since programs
      // here have no extension.
      prompt::QueueFile(QString("/usr/local/bin/my browser"));
      Child<QToolButton>(dialog, "spdbtnOpenExeFile")->click();
      QCOMPARE(prompt::Shown().last().what, QString("open"));
      QCOMPARE(prompt::Shown().last().text, QStringLiteral("Programs (*)|*"));
      QCOMPARE(Choice(dialog), QString("known"));
      prompt::QueueWindow([](QDialog& shown) {
        Child<QPushButton>(shown, "bitbtnOk")->click();
        return shown.result();
      });
      QCOMPARE(prompt::Exec(dialog), int(QDialog::Accepted));
    }
    QCOMPARE(Stored("UseDefaultBrowser").toInt(), 0);
    QCOMPARE(Stored("UseKnownBrowser").toInt(), 1);
    QCOMPARE(Stored("UseSpecifiedBrowser").toInt(), 0);
    QCOMPARE(Stored("SelectedBrowserNumber").toInt(), 1);
    QCOMPARE(Stored("SpecifiedBrowserExePath").toString(), QString("/usr/local/bin/my browser"));
    {
      // Cancel, and Esc, after changes leave the store as it was.
      TBrowserChooser dialog;
      QCOMPARE(Child<QComboBox>(dialog, "ComboBoxBrowserList")->currentIndex(), 1);
      Child<QRadioButton>(dialog, "RadioButtonBrowserUserSpecify")->click();
      Child<QLineEdit>(dialog, "editSpecifiedBrowserFileName")->setText("/bin/other");
      Child<QPushButton>(dialog, "bitbtnCancel")->click();
      QCOMPARE(dialog.result(), int(QDialog::Rejected));
      dialog.show();
      QTest::keyClick(&dialog, Qt::Key_Escape);
      QVERIFY(!dialog.isVisible());
    }
    QCOMPARE(Stored("UseKnownBrowser").toInt(), 1);
    QCOMPARE(Stored("UseSpecifiedBrowser").toInt(), 0);
    QCOMPARE(Stored("SpecifiedBrowserExePath").toString(), QString("/usr/local/bin/my browser"));
    {
      // A store that cannot be written: OK still closes, without a message.
      TBrowserChooser dialog;
      Child<QRadioButton>(dialog, "RadioButtonBrowserDefault")->click();
      settings::SimulateFailure(true);
      Child<QPushButton>(dialog, "bitbtnOk")->click();
      settings::SimulateFailure(false);
      QCOMPARE(dialog.result(), int(QDialog::Accepted));
      QCOMPARE(Stored("UseKnownBrowser").toInt(), 1);
    }
    VERIFY_PROMPTS();
  }

  void openPageForEveryChoice() {
    uitest::TTestEnvironment env;
    TMachine machine;
    machine.InstallExplorerAndNetscape6();
    const QString folder = env.Path("my pages/preview/");
    const QString page = folder + "~preview.html";
    const auto open = [&] {
      env.launcher.documents.clear();
      env.launcher.programs.clear();
      TBrowserChooser dialog;
      dialog.openPage(folder, "~preview.html");
    };
    open();  // nothing stored: the desktop's default handler
    QCOMPARE(env.launcher.documents, QStringList({page}));
    QVERIFY(env.launcher.programs.isEmpty());

    // The page, blanks and all, is the program's one argument.
    machine.files << "/opt/My Browser/browse";
    storeChoice(0, 0, 1, -1, "/opt/My Browser/browse");
    open();
    QCOMPARE(env.launcher.programs, QStringList({"/opt/My Browser/browse|" + page}));
    QVERIFY(env.launcher.documents.isEmpty());

    storeChoice(0, 1, 0, 1, "/opt/My Browser/browse");
    open();
    QCOMPARE(env.launcher.programs, QStringList({"C:\\NS6\\netscp6.exe|" + page}));

    // A known browser with none picked opens the default browser, not an entry outside the list.
    storeChoice(0, 1, 0, -1, "");
    open();
    QCOMPARE(env.launcher.documents, QStringList({page}));
    QVERIFY(env.launcher.programs.isEmpty());

    // No choice at all: nothing is opened.
    storeChoice(0, 0, 0, 0, "");
    open();
    QVERIFY(env.launcher.documents.isEmpty());
    QVERIFY(env.launcher.programs.isEmpty());
    VERIFY_PROMPTS();
  }

  void aLaunchThatEndsAtOnceWithAnErrorIsReported() {
    // Stand-ins: a program that ends well, one that refuses (as a browser run by the superuser
    // does), and one that is not there.
    QList<TLaunchFailure> failures;
    SetLaunchFailureHandler([&](const TLaunchFailure& failure) { failures << failure; });
    for (const QString status : {"0", "4"})
      StartWatched("/bin/sh", {"-c", "exit " + status}, status);
    StartWatched(QDir::tempPath() + "/no such browser", {"page.html"}, "page.html");
    QTRY_COMPARE(failures.size(), 2);
    QTest::qWait(300);  // the one that ended well says nothing
    SetLaunchFailureHandler({});
    QCOMPARE(failures.size(), 2);
    for (const TLaunchFailure& failure : failures)
      QVERIFY(failure.target == "4" ? failure.exitStatus == 4 && failure.problem.isEmpty()
                                    : failure.exitStatus == -1 && !failure.problem.isEmpty());
  }
};

TORVANE_UI_TEST(TestBrowserChoice);
#include "TestBrowserChoice.moc"
