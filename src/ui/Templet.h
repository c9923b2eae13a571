// The template chooser: lists the project files ("*.tvn") of the template folders. OK or a
// double-click asks to open the chosen one; Cancel (or Esc) asks for a new project instead. The
// caller connects the two requests to its own open and new commands.
#pragma once

#include <QDialog>
#include <QStringList>
#include <memory>

namespace Ui {
class TfrmTemplet;
}

class TfrmTemplet : public QDialog {
  Q_OBJECT

 public:
  // templateFolders: the folder templates are saved to first (the program's "templates" folder,
  // or the user's when the program is installed; created when missing; a failure is
  // shown in the error box and the list stays empty), then any further folders, listed when they
  // exist. A name found in an earlier folder hides the same name in a later one.
  explicit TfrmTemplet(const QStringList& templateFolders, QWidget* parent = nullptr);
  ~TfrmTemplet() override;

  // The full path of the selected template, empty when none is selected.
  QString SelectedPath() const;

 signals:
  void OpenProjectRequested(const QString& path);
  void NewProjectRequested();

 public slots:
  void BitBtn1Click();  // OK
  void BitBtn2Click();  // Cancel
  void TempletListDblClick();
  // Stores "ShowTempletsDialog" as the inverse of the box's new state.
  void chckbxDontShowClick();
  // Runs each time the dialog is shown: ticks the box from "ShowTempletsDialog".
  void FormShow();

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void FormCreate(const QStringList& templateFolders);
  std::unique_ptr<Ui::TfrmTemplet> ui_;
};
