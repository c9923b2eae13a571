#include "Document.h"

#include <QDir>
#include <QFileInfo>
#include <QUndoStack>
#include <algorithm>
#include <map>
#include <numeric>
#include <unordered_map>

#include "DocumentCommands.h"
#include "Errors.h"
#include "FileUtil.h"
#include "ItemTreeModel.h"
#include "images/PictureDecoder.h"

namespace {
const std::string kNewItemCaption = "Item";
const std::string kSliderCaption = "Torvane";

}  // namespace

// --- levels as a tree ---
// --- structure: parents and children, made again after every change of the item list ---
struct TDocument::TStructure {
  std::vector<int> parent;      // per item, -1 for a child of the slider
  std::vector<int> row;         // per item, among its parent's children
  std::vector<int> childStart;  // per node (node = item + 1), into `children`; one extra at the end
  std::vector<int> children;
  mutable std::unordered_map<quint64, int> positionOfId;  // made on first use
};

void TDocument::structureChanged() { structure_.reset(); }

const TDocument::TStructure& TDocument::structure() const {
  if (structure_) return *structure_;
  auto s = std::make_unique<TStructure>();
  const size_t n = design_.levels.size();
  s->parent.resize(n);
  s->row.resize(n);
  s->childStart.assign(n + 2, 0);
  std::vector<int> path;  // the latest item at each level
  for (size_t i = 0; i < n; ++i) {
    const size_t level = size_t(design_.levels[i]);
    path.resize(level);
    s->parent[i] = level == 0 ? -1 : path[level - 1];
    path.push_back(int(i));
    s->row[i] = s->childStart[size_t(s->parent[i] + 1)]++;  // counts for now
  }
  // Counts into starts: node k's children begin after those of the nodes before it.
  int sum = 0;
  for (int& start : s->childStart) {
    const int count = start;
    start = sum;
    sum += count;
  }
  s->children.resize(n);
  for (size_t i = 0; i < n; ++i)
    s->children[size_t(s->childStart[size_t(s->parent[i] + 1)] + s->row[i])] = int(i);
  structure_ = std::move(s);
  return *structure_;
}

int TDocument::positionOf(quint64 id) const {
  if (id < 2) return -1;
  auto& map = structure().positionOfId;
  if (map.empty() && !ids_.empty()) {
    map.reserve(ids_.size());
    for (size_t i = 0; i < ids_.size(); ++i) map.emplace(ids_[i], int(i));
  }
  const auto found = map.find(id);
  return found == map.end() ? -1 : found->second;
}

int TDocument::findId(quint64 id) const {
  const auto found = std::find(ids_.begin(), ids_.end(), id);
  return found == ids_.end() ? -1 : int(found - ids_.begin());
}

int TDocument::parentOf(int index) const {
  return index < 0 ? -1 : structure().parent.at(size_t(index));
}
int TDocument::rowOf(int index) const { return index < 0 ? 0 : structure().row.at(size_t(index)); }
int TDocument::childCount(int parent) const {
  const TStructure& s = structure();
  return s.childStart.at(size_t(parent) + 2) - s.childStart.at(size_t(parent) + 1);
}
int TDocument::childAt(int parent, int row) const {
  if (row < 0 || row >= childCount(parent)) return -1;
  return structure().children[size_t(structure().childStart[size_t(parent) + 1] + row)];
}
int TDocument::blockEnd(int index) const {
  if (index < 0) return itemCount();
  // The block ends at the next sibling of the item or of its nearest ancestor that has one.
  for (int up = index; up >= 0; up = parentOf(up))
    if (const int next = nextSibling(up); next >= 0) return next;
  return itemCount();
}
int TDocument::previousSibling(int index) const {
  return index < 0 || rowOf(index) == 0 ? -1 : childAt(parentOf(index), rowOf(index) - 1);
}
int TDocument::nextSibling(int index) const {
  return index < 0 ? -1 : childAt(parentOf(index), rowOf(index) + 1);
}
const std::string& TDocument::caption(int index) const {
  return index < 0 ? kSliderCaption : captions_.at(size_t(index));
}

std::vector<int> TDocument::topBlocks(std::vector<int> indexes) const {
  std::sort(indexes.begin(), indexes.end());
  indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
  std::vector<int> tops;
  int end = -1;
  for (int i : indexes) {
    if (i < 0 || i >= itemCount() || i < end) continue;
    tops.push_back(i);
    end = blockEnd(i);
  }
  return tops;
}

QString TDocument::picturePath(int index) const {
  return QString::fromStdString(design_.picturePath(size_t(index)));
}

// --- the document ---
TDocument::TDocument(const std::string& programFolder, IProgress* progress, IMessages* messages,
                     QObject* parent)
    : QObject(parent),
      design_(DefaultDesign()),
      progress_(progress),
      messages_(messages),
      folders_{fileutil::WithSeparator(programFolder), {}},
      undoStack_(std::make_unique<QUndoStack>()) {
  itemModel_ = std::make_unique<TItemTreeModel>(*this);
  connect(undoStack_.get(), &QUndoStack::cleanChanged, this,
          [this](bool clean) { emit modifiedChanged(!clean || outputChanged_); });
}

void TDocument::setWorkFolder(const std::string& folder) {
  folders_.work = fileutil::WithSeparator(folder);
}

TRunContext TDocument::runContext() const {
  return {publishOptions_, folders_, preview_, progress_, messages_};
}

void TDocument::clearPreview() { ClearPreview(previewFolder(), preview_); }

TDocument::~TDocument() {
  // The commands go before the design they point into.
  undoStack_->clear();
}

bool TDocument::isModified() const { return !undoStack_->isClean() || outputChanged_; }

void TDocument::setOutputChanged(bool changed) {
  const bool was = isModified();
  outputChanged_ = changed;
  if (isModified() != was) emit modifiedChanged(isModified());
}

void TDocument::markOutputChanged() { setOutputChanged(true); }

void TDocument::setFileName(const QString& path) {
  // Relative picture paths are read from the project file's folder from now on.
  design_.projectFolder =
      path.isEmpty() ? std::string()
                     : QDir::toNativeSeparators(QFileInfo(path).absolutePath() + '/').toStdString();
  if (path == fileName_) return;
  fileName_ = path;
  emit fileNameChanged(path);
}

void TDocument::resetDesign(const TSliderData& slider, TItemArray items, std::vector<int> levels,
                            std::vector<std::string> captions) {
  itemModel_->beginResetModel();
  design_.slider = slider;
  design_.items = std::move(items);
  design_.levels = std::move(levels);
  captions_ = std::move(captions);
  ids_.resize(design_.levels.size());
  std::iota(ids_.begin(), ids_.end(), nextId_);
  nextId_ += ids_.size();
  structureChanged();
  ++revision_;
  itemModel_->endResetModel();
  setOutputChanged(false);
  undoStack_->clear();  // clean again: modifiedChanged(false) when it was not
  emit designReset();
}

void TDocument::newDesign() {
  setFileName({});  // first: the views that follow the reset read pictures by it
  resetDesign(DefaultDesign().slider, {}, {}, {});
}

TLoadResult TDocument::open(const QString& path, bool untitled) {
  TOpenedDesign opened = OpenDesign(path.toStdString(), messages_);
  if (opened.result != TLoadResult::Loaded) return opened.result;
  setFileName(untitled ? QString() : path);  // first: the views that follow the reset read by it
  resetDesign(opened.design.slider, std::move(opened.design.items), std::move(opened.design.levels),
              std::move(opened.captions));
  return opened.result;
}

void TDocument::save(const QString& path) {
  const QFileInfo info(path);
  const TPublishExporter publish(QDir::toNativeSeparators(info.absolutePath() + '/').toStdString(),
                                 info.fileName().toStdString());
  TExportResult result;
  try {
    publish.run(design_, runContext(), result);
  } catch (...) {
    applyRun(result);
    throw;
  }
  applyRun(result);
  undoStack_->setClean();
  setOutputChanged(false);
  setFileName(path);
}

void TDocument::markSaved(const QString& path, quint64 copyRevision) {
  if (copyRevision == revision_ || (copyRevision == adoptedFrom_ && revision_ == adoptedTo_)) {
    undoStack_->setClean();
    setOutputChanged(false);
  }
  setFileName(path);
}

void TDocument::applyRun(const TExportResult& run) {
  preview_.files = run.preview.files;
  if (run.pictureStatus) pictureStatus_ = *run.pictureStatus;
  if (!run.written) return;
  preview_ = run.preview;
  if (run.changes.published) lastPublish_ = run.changes;
  const TSliderData slider = design_.slider;
  const TItemArray items = design_.items;
  // The run wrote the design as it was when it started; the items it wrote are the document's
  // until the next edit (the window allows none meanwhile).
  design_.slider = run.written->slider;
  for (size_t i = 0; i < std::min(design_.items.size(), run.written->items.size()); ++i)
    design_.items[i] = run.written->items[i];
  announceSaved(slider, items);
}

void TDocument::announceSaved(const TSliderData& slider, const TItemArray& items) {
  std::map<TItemField, std::vector<int>> changed;
  for (size_t i = 0; i < std::min(items.size(), design_.items.size()); ++i) {
    for (int f = 0; f < kItemFieldCount; ++f) {
      const auto field = static_cast<TItemField>(f);
      if (FieldOf(items[i], field) != FieldOf(design_.items[i], field))
        changed[field].push_back(int(i));
    }
  }
  const bool sliderDiffers = !(slider == design_.slider);
  if (changed.empty() && !sliderDiffers) return;
  adoptedFrom_ = revision_;
  adoptedTo_ = ++revision_;
  if (sliderDiffers) emit sliderChanged();
  for (const auto& [field, indexes] : changed) {
    for (int i : indexes) emit itemChanged(i, field);
    emit itemsChanged(indexes, field);
  }
}

void TDocument::push(QUndoCommand* command) { undoStack_->push(command); }

// --- edits ---
int TDocument::insertItem(int parent, const TItemData& data) {
  return insertChild(parent, data, kNewItemCaption);
}

int TDocument::insertChild(int parent, const TItemData& data, const std::string& caption) {
  if (parent < -1 || parent >= itemCount()) return -1;
  TBlock block;
  block.items = {data};
  block.levels = {level(parent) + 1};
  block.items[0].level = std::to_string(block.levels[0]);
  block.captions = {caption};
  const int at = blockEnd(parent);
  push(new TInsertCommand(*this, tr("Insert Item"), at, std::move(block)));
  return at;
}

int TDocument::insertPosition(int parent, int row) const {
  const int child = childAt(parent, row);
  return child >= 0 ? child : blockEnd(parent);
}

QStringList TDocument::addPictures(const QStringList& paths, int parent, int row) {
  if (parent < -1 || parent >= itemCount()) parent = -1;
  const int level = this->level(parent) + 1;
  QStringList refused;
  TBlock block;
  for (const QString& path : paths) {
    const QFileInfo info(path);
    const auto& known = images::PictureExtensions();
    const bool picture =
        info.isFile() &&
        std::find(known.begin(), known.end(), info.suffix().toLower().toStdString()) != known.end();
    if (!picture || path.contains(QString::fromStdString(kSeparator))) {
      refused << info.fileName();
      continue;
    }
    TItemData record = DefaultItem();
    record.originalPath = QDir::toNativeSeparators(info.absoluteFilePath()).toStdString();
    record.level = std::to_string(level);
    block.items.push_back(record);
    block.levels.push_back(level);
    block.captions.push_back(kNewItemCaption);
  }
  if (!block.items.empty()) {
    const QString text = block.items.size() == 1 ? tr("Add Picture") : tr("Add Pictures");
    push(new TInsertCommand(*this, text, insertPosition(parent, row), std::move(block)));
  }
  return refused;
}

void TDocument::deleteItems(const std::vector<int>& indexes) {
  const std::vector<int> blocks = topBlocks(indexes);
  if (blocks.empty()) return;
  push(new TDeleteCommand(*this, blocks.size() == 1 ? tr("Delete Item") : tr("Delete Items"),
                          blocks));
}

namespace {
// The stable ids of items, and their positions again after the items moved.
std::vector<quint64> IdsOf(const std::vector<quint64>& ids, const std::vector<int>& items) {
  std::vector<quint64> out;
  for (int i : items) out.push_back(ids.at(size_t(i)));
  return out;
}
}  // namespace

void TDocument::moveUp(const std::vector<int>& indexes) {
  const std::vector<quint64> blocks = IdsOf(ids_, topBlocks(indexes));
  if (blocks.empty()) return;
  push(new TMoveCommand(*this, tr("Move Up"), [this, blocks](const TMoveCommand::TMover& move) {
    std::vector<int> stuck;  // selected blocks that could not move: those below stay behind them
    for (quint64 id : blocks) {
      const int at = findId(id);
      const int previous = previousSibling(at);
      if (previous < 0 || std::count(stuck.begin(), stuck.end(), previous)) {
        stuck.push_back(at);
        continue;
      }
      move(at, blockEnd(at) - at, previous, 0);
    }
  }));
}

void TDocument::moveDown(const std::vector<int>& indexes) {
  std::vector<quint64> blocks = IdsOf(ids_, topBlocks(indexes));
  if (blocks.empty()) return;
  std::reverse(blocks.begin(), blocks.end());
  push(new TMoveCommand(*this, tr("Move Down"), [this, blocks](const TMoveCommand::TMover& move) {
    std::vector<quint64> stuck;
    for (quint64 id : blocks) {
      const int at = findId(id);
      const int next = nextSibling(at);
      if (next < 0 || std::count(stuck.begin(), stuck.end(), ids_[size_t(next)])) {
        stuck.push_back(id);
        continue;
      }
      // The next sibling's block is carried up past this one.
      move(next, blockEnd(next) - next, at, 0);
    }
  }));
}

bool TDocument::moveItems(const std::vector<int>& indexes, int parent, int row) {
  const std::vector<int> tops = topBlocks(indexes);
  if (tops.empty() || parent < -1 || parent >= itemCount()) return false;
  for (int top : tops)
    if (parent >= top && parent < blockEnd(top)) return false;  // into itself
  // The items go before this child of the parent (none: at the end), skipping moved ones.
  int anchor = childAt(parent, std::clamp(row, 0, childCount(parent)));
  while (anchor >= 0 && std::binary_search(tops.begin(), tops.end(), anchor))
    anchor = nextSibling(anchor);
  const quint64 anchorId = anchor >= 0 ? ids_[size_t(anchor)] : 0;
  const quint64 parentId = parent >= 0 ? ids_[size_t(parent)] : 0;
  const std::vector<quint64> blocks = IdsOf(ids_, tops);
  const int count = undoStack_->index();
  push(new TMoveCommand(*this, tr("Move Item"), [=, this](const TMoveCommand::TMover& move) {
    for (quint64 id : blocks) {
      const int at = findId(id);
      const int size = blockEnd(at) - at;
      const int newParent = findId(parentId);
      const int target = anchorId ? findId(anchorId) : blockEnd(newParent);
      const int to = target <= at ? target : target - size;
      const int delta = level(newParent) + 1 - design_.levels[size_t(at)];
      if (to != at || delta != 0) move(at, size, to, delta);
    }
  }));
  return undoStack_->index() != count;
}

void TDocument::setItemField(const std::vector<int>& indexes, TItemField field,
                             const std::string& value, const QString& text, bool typing) {
  std::vector<int> changed;
  std::vector<std::string> old;
  for (int i : indexes) {
    if (i < 0 || i >= itemCount() || FieldOf(item(i), field) == value) continue;
    if (std::count(changed.begin(), changed.end(), i)) continue;
    changed.push_back(i);
    old.push_back(FieldOf(item(i), field));
  }
  if (changed.empty()) return;
  push(new TItemEditCommand(*this, text, std::move(changed), field, std::move(old), value, typing));
}

void TDocument::setSlider(const TSliderData& data, const QString& text, bool typing) {
  if (data == slider()) return;
  push(new TSliderEditCommand(*this, text, slider(), data, typing));
}

void TDocument::endTyping() { ++typingSession_; }

void TDocument::adoptSlider(const TSliderData& data) {
  if (data != slider()) writeSlider(data);
}

// --- the changes the commands make ---
void TDocument::insertBlock(int first, TBlock block) {
  const int count = int(block.items.size());
  if (count == 0) return;
  const int rootLevel = block.levels.front();
  // The parent: the nearest item before `first` one level up.
  int parent = first - 1;
  while (parent >= 0 && design_.levels[size_t(parent)] >= rootLevel) parent = parentOf(parent);
  const int row =
      first < itemCount() && parentOf(first) == parent ? rowOf(first) : childCount(parent);
  const int roots = int(std::count(block.levels.begin(), block.levels.end(), rootLevel));
  itemModel_->beginInsertRows(itemModel_->indexOf(parent), row, row + roots - 1);
  auto& items = design_.items;
  items.insert(items.begin() + first, std::make_move_iterator(block.items.begin()),
               std::make_move_iterator(block.items.end()));
  design_.levels.insert(design_.levels.begin() + first, block.levels.begin(), block.levels.end());
  captions_.insert(captions_.begin() + first, std::make_move_iterator(block.captions.begin()),
                   std::make_move_iterator(block.captions.end()));
  std::vector<quint64> ids(static_cast<size_t>(count));
  std::iota(ids.begin(), ids.end(), nextId_);
  nextId_ += ids.size();
  ids_.insert(ids_.begin() + first, ids.begin(), ids.end());
  structureChanged();
  ++revision_;
  itemModel_->endInsertRows();
  emit itemsInserted(first, count);
}

TDocument::TBlock TDocument::removeBlock(int first, int count) {
  TBlock taken;
  if (count <= 0) return taken;
  const int parent = parentOf(first);
  const int row = rowOf(first);
  const int rootLevel = design_.levels[size_t(first)];
  const int roots = int(std::count(design_.levels.begin() + first,
                                   design_.levels.begin() + first + count, rootLevel));
  itemModel_->beginRemoveRows(itemModel_->indexOf(parent), row, row + roots - 1);
  auto take = [first, count](auto& list, auto& into) {
    into.assign(std::make_move_iterator(list.begin() + first),
                std::make_move_iterator(list.begin() + first + count));
    list.erase(list.begin() + first, list.begin() + first + count);
  };
  take(design_.items, taken.items);
  take(design_.levels, taken.levels);
  take(captions_, taken.captions);
  ids_.erase(ids_.begin() + first, ids_.begin() + first + count);
  structureChanged();
  ++revision_;
  itemModel_->endRemoveRows();
  emit itemsRemoved(first, count);
  return taken;
}

std::vector<std::string> TDocument::moveBlock(int first, int count, int to, int delta,
                                              const std::vector<std::string>* levelTexts) {
  const int parent = parentOf(first);
  const int row = rowOf(first);
  // Where the block lands, counted with the block still in place, and its parent there.
  const int target = to <= first ? to : to + count;
  const int newLevel = design_.levels[size_t(first)] + delta;
  int newParent = target - 1;
  if (newParent >= first && newParent < first + count) newParent = first - 1;
  while (newParent >= 0 && design_.levels[size_t(newParent)] >= newLevel)
    newParent = parentOf(newParent);
  const TStructure& s = structure();
  const auto begin = s.children.begin() + s.childStart[size_t(newParent) + 1];
  const auto end = s.children.begin() + s.childStart[size_t(newParent) + 2];
  const int newRow = int(std::lower_bound(begin, end, target) - begin);
  const bool announced = itemModel_->beginMoveRows(itemModel_->indexOf(parent), row, row,
                                                   itemModel_->indexOf(newParent), newRow);
  if (!announced) itemModel_->beginResetModel();
  auto rotate = [first, count, to](auto& list) {
    auto a = list.begin() + first;
    if (to < first)
      std::rotate(list.begin() + to, a, a + count);
    else
      std::rotate(a, a + count, list.begin() + to + count);
  };
  auto& items = design_.items;
  rotate(items);
  rotate(design_.levels);
  rotate(captions_);
  rotate(ids_);
  std::vector<std::string> oldTexts;
  if (delta != 0 || levelTexts) {
    for (int k = 0; k < count; ++k) {
      const size_t i = size_t(to + k);
      design_.levels[i] += delta;
      oldTexts.push_back(items[i].level);
      items[i].level = levelTexts ? (*levelTexts)[size_t(k)] : std::to_string(design_.levels[i]);
    }
  }
  structureChanged();
  ++revision_;
  if (announced)
    itemModel_->endMoveRows();
  else
    itemModel_->endResetModel();
  emit itemsMoved(first, count, to);
  return oldTexts;
}

void TDocument::writeFields(const std::vector<int>& indexes, TItemField field,
                            const std::vector<std::string>& values) {
  for (size_t k = 0; k < indexes.size(); ++k)
    FieldOf(design_.items.at(size_t(indexes[k])), field) = values[values.size() == 1 ? 0 : k];
  ++revision_;
  for (int i : indexes) emit itemChanged(i, field);
  emit itemsChanged(indexes, field);
}

void TDocument::writeSlider(const TSliderData& data) {
  design_.slider = data;
  ++revision_;
  emit sliderChanged();
}

// --- the design tree ---
int TDocument::Depth(int index) const {
  return index == 0 ? 0 : design_.levels.at(size_t(index) - 1) + 1;
}

std::string TDocument::Caption(int index) const { return caption(index - 1); }

void TDocument::SetCaption(int index, const std::string& text) {
  if (index <= 0 || captions_.at(size_t(index) - 1) == text) return;
  captions_[size_t(index) - 1] = text;
  const QModelIndex changed = itemModel_->indexOf(index - 1);
  emit itemModel_->dataChanged(changed, changed, {Qt::DisplayRole});
}

void TDocument::SetItemCaptions(const std::vector<std::string>& captions) {
  // Many at once: the views lay out again when they next show (a tree view would otherwise ask
  // for the size of every row told of, at once).
  size_t changes = 0;
  for (size_t i = 0; i < std::min(captions.size(), captions_.size()); ++i)
    changes += captions_[i] != captions[i];
  if (changes > 64) {
    emit itemModel_->layoutAboutToBeChanged();
    for (size_t i = 0; i < std::min(captions.size(), captions_.size()); ++i)
      captions_[i] = captions[i];
    emit itemModel_->layoutChanged();
    return;
  }
  QModelIndex first, last;
  const auto tell = [&] {
    if (first.isValid()) emit itemModel_->dataChanged(first, last, {Qt::DisplayRole});
  };
  for (size_t i = 0; i < std::min(captions.size(), captions_.size()); ++i) {
    if (captions_[i] == captions[i]) continue;
    captions_[i] = captions[i];
    const QModelIndex changed = itemModel_->indexOf(int(i));
    if (first.isValid() && changed.parent() == last.parent() && changed.row() == last.row() + 1) {
      last = changed;
      continue;
    }
    tell();
    first = last = changed;
  }
  tell();
}

int TDocument::AppendChild(int parentIndex, const std::string& text) {
  const int at = insertChild(parentIndex - 1, DefaultItem(), text);
  if (at < 0) throw TvError("Tree node " + std::to_string(parentIndex) + " does not exist");
  return at + 1;
}
