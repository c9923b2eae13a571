// Draws the design tree's item rows with their pictures: the thumbnail as the node's icon (a
// warning icon for a picture that cannot be used), the file name and pixel size after the node's
// caption, and the full path (or what is wrong with the picture) as the row's tooltip. The
// captions themselves stay what the model says. Rows without a picture draw as before.
#pragma once

#include <QStyledItemDelegate>
#include <functional>

class TPictureFacts;

class TPictureDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  static constexpr int kSmallIcon = 40;
  static constexpr int kLargeIcon = 80;

  // pathOf: the picture file of the row at an index; empty for rows without one (the slider).
  TPictureDelegate(TPictureFacts& facts, std::function<QString(const QModelIndex&)> pathOf,
                   QObject* parent = nullptr);

  void setIconSize(int pixels) { iconSize_ = pixels; }
  int iconSize() const { return iconSize_; }

  // What a row shows; the window's tests read them too.
  QIcon icon(const QModelIndex& index) const;  // null: the model's own icon
  QString text(const QModelIndex& index) const;
  QString toolTip(const QModelIndex& index) const;
  bool flagged(const QModelIndex& index) const;  // shown with the warning icon

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                 const QModelIndex& index) override;

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

 private:
  TPictureFacts& facts_;
  std::function<QString(const QModelIndex&)> pathOf_;
  int iconSize_ = kSmallIcon;
};
