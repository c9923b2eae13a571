// Puts the design's pictures into the window: thumbnails in the design tree's rows (small or large,
// as the View menu sets and the settings remember), the picture pane of the Item page following
// the selection, and every picture checked again when the window becomes active again.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

#include "PictureDelegate.h"
#include "PictureFacts.h"

class QAbstractItemView;
class QAction;
class QWidget;
class TItemTreeModel;
class TPicturePane;

class TTreePictures : public QObject {
  Q_OBJECT

 public:
  struct TParts {
    QWidget* window = nullptr;
    QAbstractItemView* tree = nullptr;
    TPicturePane* pane = nullptr;
    QAction* smallThumbnails = nullptr;
    QAction* largeThumbnails = nullptr;
    // The picture file of a tree row (empty for the slider's row), and the slider's height.
    std::function<QString(const QModelIndex&)> pathOf;
    std::function<int()> sliderHeight;
  };

  explicit TTreePictures(TParts parts, QObject* parent = nullptr);
  ~TTreePictures() override;  // the tree's rows no longer ask it what to say

  // Shows the selected items' pictures in the pane and redraws the tree's rows; call it when the
  // selection or an item's picture path changed.
  void showSelection();
  void setLargeThumbnails(bool large);

  TPictureFacts& facts() { return facts_; }
  TPictureDelegate& delegate() { return *delegate_; }

 private:
  TParts parts_;
  TPictureFacts facts_;
  TPictureDelegate* delegate_;
  QPointer<TItemTreeModel> model_;  // the tree's model, which asks this what its rows say
};
