#include "ItemTreeModel.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QIODevice>
#include <QMimeData>
#include <QUrl>
#include <algorithm>

#include "Document.h"

namespace {
const QString kItemsMime = QStringLiteral("application/x-torvane-items");
constexpr quintptr kNoParent = 0;  // the slider's row has no parent
constexpr quintptr kSliderId = 1;
}  // namespace

TItemTreeModel::TItemTreeModel(TDocument& document) : document_(document) {}

void TItemTreeModel::setIcons(const QIcon& slider, const QIcon& item) {
  sliderIcon_ = slider;
  itemIcon_ = item;
  if (rowCount() > 0) emit dataChanged(index(0, 0), index(0, 0), {Qt::DecorationRole});
}

// An index's internal id is its parent's id; the node itself is that parent's child `row`.
int TItemTreeModel::itemAt(const QModelIndex& index) const {
  if (!index.isValid() || index.model() != this) return -2;
  if (index.internalId() == kNoParent) return -1;
  const int parent =
      index.internalId() == kSliderId ? -1 : document_.positionOf(index.internalId());
  if (parent < 0 && index.internalId() != kSliderId) return -2;
  const int item = document_.childAt(parent, index.row());
  return item >= 0 ? item : -2;
}

QModelIndex TItemTreeModel::indexOf(int item) const {
  if (item < -1 || item >= document_.itemCount()) return {};
  if (item == -1) return createIndex(0, 0, kNoParent);
  const int parent = document_.parentOf(item);
  const quintptr parentId = parent < 0 ? kSliderId : quintptr(document_.ids_[size_t(parent)]);
  return createIndex(document_.rowOf(item), 0, parentId);
}

QModelIndex TItemTreeModel::index(int row, int column, const QModelIndex& parent) const {
  if (column != 0 || row < 0) return {};
  if (!parent.isValid()) return row == 0 ? createIndex(0, 0, kNoParent) : QModelIndex();
  const int node = itemAt(parent);
  if (node < -1 || row >= document_.childCount(node)) return {};
  return createIndex(row, 0, node < 0 ? kSliderId : quintptr(document_.ids_[size_t(node)]));
}

QModelIndex TItemTreeModel::parent(const QModelIndex& child) const {
  if (!child.isValid() || child.internalId() == kNoParent) return {};
  if (child.internalId() == kSliderId) return indexOf(-1);
  return indexOf(document_.positionOf(child.internalId()));
}

int TItemTreeModel::rowCount(const QModelIndex& parent) const {
  if (!parent.isValid()) return 1;
  const int node = itemAt(parent);
  return node < -1 ? 0 : document_.childCount(node);
}

int TItemTreeModel::columnCount(const QModelIndex&) const { return 1; }

// The captions the design gives its nodes, shown in the window's language.
[[maybe_unused]] constexpr const char* kCaptions[] = {
    QT_TRANSLATE_NOOP("TItemTreeModel", "Image"), QT_TRANSLATE_NOOP("TItemTreeModel", "Item"),
    QT_TRANSLATE_NOOP("TItemTreeModel", "Warning: Original image not found.")};

QVariant TItemTreeModel::data(const QModelIndex& index, int role) const {
  const int item = itemAt(index);
  if (item < -1) return {};
  if (role == Qt::DisplayRole)
    return QCoreApplication::translate("TItemTreeModel", document_.caption(item).c_str());
  if (role == Qt::DecorationRole) return item < 0 ? sliderIcon_ : itemIcon_;
  if ((role == Qt::AccessibleTextRole || role == Qt::AccessibleDescriptionRole) && accessibleText_)
    return accessibleText_(index, role);
  return {};
}

Qt::ItemFlags TItemTreeModel::flags(const QModelIndex& index) const {
  const int item = itemAt(index);
  if (item < -1) return Qt::ItemIsDropEnabled;
  Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDropEnabled;
  if (item >= 0) flags |= Qt::ItemIsDragEnabled;
  return flags;
}

Qt::DropActions TItemTreeModel::supportedDragActions() const { return Qt::MoveAction; }
Qt::DropActions TItemTreeModel::supportedDropActions() const {
  return Qt::MoveAction | Qt::CopyAction | Qt::LinkAction;
}

QStringList TItemTreeModel::mimeTypes() const {
  return {kItemsMime, QStringLiteral("text/uri-list")};
}

// Dragged items travel as their positions, tagged with this model's address so that a drag from
// another window is not taken for one of ours.
QMimeData* TItemTreeModel::mimeData(const QModelIndexList& indexes) const {
  QByteArray bytes;
  QDataStream out(&bytes, QIODevice::WriteOnly);
  out << quint64(quintptr(this));
  for (const QModelIndex& index : indexes)
    if (const int item = itemAt(index); item >= 0) out << qint32(item);
  auto* data = new QMimeData;
  data->setData(kItemsMime, bytes);
  return data;
}

std::vector<int> TItemTreeModel::draggedItems(const QMimeData* data) const {
  std::vector<int> items;
  if (!data || !data->hasFormat(kItemsMime)) return items;
  QDataStream in(data->data(kItemsMime));
  quint64 from = 0;
  in >> from;
  if (from != quint64(quintptr(this))) return items;
  while (!in.atEnd()) {
    qint32 item = -1;
    in >> item;
    if (in.status() != QDataStream::Ok) break;
    if (item >= 0 && item < document_.itemCount()) items.push_back(item);
  }
  return items;
}

bool TItemTreeModel::canDropMimeData(const QMimeData* data, Qt::DropAction, int, int,
                                     const QModelIndex& parent) const {
  if (data && data->hasUrls()) return true;
  const int node = std::max(itemAt(parent), -1);  // below the last row: the slider's end
  const std::vector<int> dragged = draggedItems(data);
  for (int top : document_.topBlocks(dragged))
    if (node >= top && node < document_.blockEnd(top)) return false;  // into itself
  return !dragged.empty();
}

bool TItemTreeModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int,
                                  const QModelIndex& parent) {
  if (action == Qt::IgnoreAction || !data) return false;
  if (data->hasUrls()) {
    QStringList paths;
    for (const QUrl& url : data->urls())
      if (url.isLocalFile()) paths << url.toLocalFile();
    // Between two rows: there. On an item's row: before it. On the slider's row or below the
    // last row: after the last item.
    int parentNode = -1, before = -1;
    if (const int on = itemAt(parent); on >= 0 && row < 0) {
      parentNode = document_.parentOf(on);
      before = document_.rowOf(on);
    } else if (parent.isValid() && on >= -1) {
      parentNode = on;
      before = row;
    }
    const int first = document_.insertPosition(parentNode, before);
    const int count = document_.itemCount();
    const QStringList refused = document_.addPictures(paths, parentNode, before);
    emit picturesDropped(first, document_.itemCount() - count, refused);
    return false;  // nothing for the view to remove at the source
  }
  const int node = std::max(itemAt(parent), -1);  // below the last row: the slider's end
  // Dropped on an item (no row): it becomes the item's last child.
  if (row < 0) row = document_.childCount(node);
  document_.moveItems(draggedItems(data), node, row);
  return false;  // the document has moved them: the view must not remove anything
}
