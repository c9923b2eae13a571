// The design tree: a view of the document's item model. The root row stands for the slider, the
// rows below it for the items. Several items can be selected; Delete, Move Up and Move Down act
// on all of them (each with its block) as one step, and items are dragged to another place.
// Undo and Redo bring back the selection and the page that went with the step. The selection
// decides which property pages are shown, and which item commands are on.
#pragma once

#include <QList>
#include <QObject>
#include <QStringList>
#include <vector>

#include "Document.h"

class QAction;
class QMenu;
class QTabWidget;
class QTreeView;
class QWidget;

class TDesignTreeController : public QObject {
  Q_OBJECT

 public:
  struct TParts {
    QWidget* window = nullptr;  // the prompts' parent
    QTreeView* tree = nullptr;
    QTabWidget* pages = nullptr;
    QWidget *sliderPage = nullptr, *pathPage = nullptr, *itemPage = nullptr;
    QList<QAction*> insert, remove, moveUp, moveDown;  // each command's menu entries and buttons
    QList<QAction*> treeKeys;  // the commands whose keys act while the tree has the focus
  };
  TDesignTreeController(TDocument& document, TParts parts, QObject* parent = nullptr);

  // The items selected in the tree, in list order (-1: the slider).
  std::vector<int> selectedItems() const;
  int currentItem() const;  // the tree's current node (-1: the slider)
  QMenu* popupMenu() const { return popupMenu_; }
  // After New and open: the slider selected, everything shown afresh.
  void showDesign();
  // Captions the item nodes after the picture status of the last generation.
  void showPictureStatus();

 public slots:
  void insertItem();
  void deleteItems();
  void moveItemsUp();
  void moveItemsDown();
  void undo();
  void redo();

 signals:
  // The selection changed; `current` is the tree's current node (-1: the slider).
  void selectionChanged(int current);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TDocument& document_;
  TParts parts_;
  QMenu* popupMenu_ = nullptr;
  int shownItem_ = -2;  // the selection the pages show (-1 the slider, -2 none yet)

  void followSelection();
  void updateItemCommands();
  void updatePages();
  TViewState viewState() const;
  void applyViewState(const TViewState& state);
  void selectItems(const std::vector<int>& items, int current);
  void showTreeMenu(const QPoint& position);
  void showDroppedPictures(int first, int count, const QStringList& refused);
};
