// The template chooser: lists the project files ("*.tvn") of the template folders. OK or a
// double-click asks to open the chosen one; Cancel (or Esc) asks for a new project instead. The
// caller connects the two requests to its own open and new commands.
#pragma once

#include <QDialog>
#include <QStringList>
#include <memory>

namespace Ui {
class TTemplateChooser;
}

class TTemplateChooser : public QDialog {
  Q_OBJECT

 public:
  // templateFolders: the folder templates are saved to first (the program's "templates" folder,
  // or the user's when the program is installed; created when missing; a failure is
  // shown in the error box and the list stays empty), then any further folders, listed when they
  // exist. A name found in an earlier folder hides the same name in a later one.
  explicit TTemplateChooser(const QStringList& templateFolders, QWidget* parent = nullptr);
  ~TTemplateChooser() override;

  // The full path of the selected template, empty when none is selected.
  QString selectedPath() const;

 signals:
  void openRequested(const QString& path);
  void newProjectRequested();

 public slots:
  void openSelected();      // OK
  void askForNewProject();  // Cancel
  void openDoubleClicked();
  // Stores "ShowTempletsDialog" as the inverse of the box's new state.
  void storeDontShow();
  // Runs each time the dialog is shown: ticks the box from "ShowTempletsDialog".
  void showStoredChoice();

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void listTemplates(const QStringList& templateFolders);
  std::unique_ptr<Ui::TTemplateChooser> ui_;
};
