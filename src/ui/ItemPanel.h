// The Item General page: the selected items' picture, link, target and tooltip (several
// selected: the values they share, the others blank; an edit sets the field on all of them), and
// the picture pane below them.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "DesignPanel.h"
#include "Document.h"

namespace Ui {
class TItemPanel;
}
class TPicturePane;

class TItemPanel : public TDesignPanel {
  Q_OBJECT

 public:
  explicit TItemPanel(QWidget* parent = nullptr);
  ~TItemPanel() override;
  // Shows the items `selected` lists (in list order; -1 stands for the slider) and follows the
  // document's changes of them. `lastOpenFile`: the file an open dialog proposes, shared with
  // the File menu's Open.
  void attach(TDocument& document, std::function<std::vector<int>()> selected,
              QString& lastOpenFile);
  // Shows the fields of the items selected now.
  void showSelection();
  TPicturePane* picturePane() const;
  // The controls the window's hint line follows.
  QList<QWidget*> hintControls() const;
  // A file's path as a percent-encoded file address (a Windows path too, on every system).
  static QString pathToFileUrl(const QString& path);

 private:
  std::unique_ptr<Ui::TItemPanel> ui_;
  std::function<std::vector<int>()> selected_;
  QString* lastOpenFile_ = nullptr;

  std::vector<int> selectedItems() const;  // without the slider
  void followChange(const std::vector<int>& indexes);
  void store(TItemField field, const QString& text, const QString& step, bool typing);
  void chooseLinkFile();
  void choosePicture();
};
