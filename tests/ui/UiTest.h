// The window tests: each test class registers itself with TORVANE_UI_TEST and runs as its own
// CTest case ("ui_tests ClassName"). TTestEnvironment gives every test a private program folder,
// settings, XDG folders, a captured launcher and queued prompts, so nothing touches the user's
// files and no real program or dialog is ever started.
#pragma once

#include <QAction>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTreeView>
#include <functional>
#include <map>

#include "BackgroundWork.h"
#include "DesignTreeController.h"
#include "FileCommands.h"
#include "ItemTreeModel.h"
#include "Launcher.h"
#include "MainForm.h"
#include "Prompts.h"
#include "TestProjects.h"

namespace uitest {

using TFactory = std::function<QObject*()>;
std::map<QString, TFactory>& Registry();

struct TRegistrar {
  TRegistrar(const QString& name, TFactory factory) { Registry()[name] = std::move(factory); }
};

// Records every document and program the window would have opened. With `exitStatus` set, each
// launch reports that its program ended at once with it (documents: the desktop's opener).
class TCapturingLauncher : public ILauncher {
 public:
  QStringList documents;
  QStringList programs;  // "program|argument"
  int exitStatus = 0;
  void OpenDocument(const QString& pathOrUrl) override {
    documents << pathOrUrl;
    if (exitStatus) ReportLaunchFailure({"xdg-open", pathOrUrl, exitStatus, {}});
  }
  void StartProgram(const QString& program, const QString& argument) override {
    programs << program + "|" + argument;
    if (exitStatus) ReportLaunchFailure({program, argument, exitStatus, {}});
  }
};

// One test's world: a temporary root with a program folder (bin/, holding the runtime script,
// help, samples and templates copied from the build), private settings and XDG folders, the
// capturing launcher and prompt testing switched on. Undone on destruction.
class TTestEnvironment {
 public:
  TTestEnvironment();
  ~TTestEnvironment();
  QString Root() const { return dir_.path(); }
  QString ProgramFolder() const;  // with a trailing '/'
  QString Path(const QString& relative) const;
  TCapturingLauncher launcher;

 private:
  QTemporaryDir dir_;
};

// The child of `form` with this object name; a missing one stops the test run with its name.
template <typename T>
T* Find(QObject& form, const char* name) {
  T* found = form.findChild<T*>(QString::fromLatin1(name));
  if (!found) qFatal("no child named %s", name);
  return found;
}
inline QAction* Act(QObject& form, const char* name) { return Find<QAction>(form, name); }

// A project file with one item per level given (pictures "p<n>.jpg"), see TestProjects.h.
inline QString WriteProject(const QString& path, const std::vector<std::string>& levels,
                            const std::function<void(TProjectModel&)>& edit = {}) {
  return QString::fromStdString(testprojects::WriteProject(path.toStdString(), levels, edit));
}

// The design tree of the window and the row of an item in it (-1: the slider's row).
inline QTreeView* TreeOf(QObject& form) { return Find<QTreeView>(form, "trvwDesignPanel"); }
inline QModelIndex RowOf(TMainForm& form, int item) {
  return form.document().itemModel()->indexOf(item);
}
// Selects these items as Ctrl+clicks would, the first one current (-1: the slider).
inline void Select(TMainForm& form, std::initializer_list<int> items) {
  QItemSelectionModel* selection = TreeOf(form)->selectionModel();
  selection->setCurrentIndex(RowOf(form, *items.begin()),
                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  for (int item : items)
    selection->select(RowOf(form, item), QItemSelectionModel::Select | QItemSelectionModel::Rows);
}
// The picture paths of the items in list order.
inline std::vector<std::string> Pictures(TMainForm& form) {
  std::vector<std::string> names;
  for (const TItemData& item : form.document().items()) names.push_back(item.originalPath);
  return names;
}
inline bool SaveEnabled(QObject& form) {
  return Act(form, "Save1")->isEnabled() && Act(form, "tlbtnSave")->isEnabled();
}

// Reads a whole file as UTF-8 text (empty when missing).
QString ReadText(const QString& path);
// Writes a small real JPEG of the given size (a colour gradient) and returns its path.
QString MakeJpeg(const QString& path, int width, int height);

}  // namespace uitest

#define TORVANE_UI_TEST(Class) \
  static uitest::TRegistrar registrar_##Class(#Class, [] { return new Class; })

// Fails the running test when a prompt came that the test did not queue an answer for, or when
// queued answers were left over.
#define VERIFY_PROMPTS()                                                             \
  do {                                                                               \
    QVERIFY2(prompt::Unexpected().isEmpty(),                                         \
             qPrintable("unexpected prompts: " + prompt::Unexpected().join(" | "))); \
    QCOMPARE(prompt::Pending(), 0);                                                  \
  } while (0)
