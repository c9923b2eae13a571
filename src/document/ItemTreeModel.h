// The document's design as a tree for a view: one root row standing for the slider, the items
// below it following their levels. Items can be dragged to another place in the tree (a block
// moves whole) and picture files dropped on it from the file manager.
//
// An index's internal id names its parent node by the document's stable item id, so indexes the
// view keeps survive changes elsewhere in the tree.
#pragma once

#include <QAbstractItemModel>
#include <QIcon>
#include <functional>

class TDocument;

class TItemTreeModel : public QAbstractItemModel {
  Q_OBJECT

 public:
  explicit TItemTreeModel(TDocument& document);

  // The item an index stands for: -1 the slider, -2 none.
  int itemAt(const QModelIndex& index) const;
  QModelIndex indexOf(int item) const;                    // -1: the slider's row
  void setIcons(const QIcon& slider, const QIcon& item);  // before a view shows the model
  // What assistive technology says of a row (Qt::AccessibleTextRole, AccessibleDescriptionRole),
  // from the window, which knows the rows' pictures; without it, the caption alone.
  void setAccessibleText(std::function<QString(const QModelIndex&, int role)> text) {
    accessibleText_ = std::move(text);
  }

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  Qt::DropActions supportedDragActions() const override;
  Qt::DropActions supportedDropActions() const override;
  QStringList mimeTypes() const override;
  QMimeData* mimeData(const QModelIndexList& indexes) const override;
  bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                       const QModelIndex& parent) const override;
  bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                    const QModelIndex& parent) override;

 signals:
  // Picture files were dropped; the document has added those it takes (`count` items from
  // position `first`), `refused` names the rest.
  void picturesDropped(int first, int count, const QStringList& refused);

 private:
  std::function<QString(const QModelIndex&, int role)> accessibleText_;
  friend class TDocument;
  TDocument& document_;
  QIcon sliderIcon_;
  QIcon itemIcon_;
  std::vector<int> draggedItems(const QMimeData* data) const;
};
