#include "DocumentCommands.h"

#include <algorithm>

TDocumentCommand::TDocumentCommand(TDocument& document, const QString& text)
    : QUndoCommand(text), document_(document), before_(document.viewState()), after_(before_) {}

void TDocumentCommand::redo() {
  apply();
  emit document_.viewStateRequested(after_);
}

void TDocumentCommand::undo() {
  revert();
  emit document_.viewStateRequested(before_);
}

// --- insert ---
TInsertCommand::TInsertCommand(TDocument& document, const QString& text, int first,
                               TDocument::TBlock block)
    : TDocumentCommand(document, text), first_(first), block_(std::move(block)) {}

void TInsertCommand::apply() {
  const int count = int(block_.items.size());
  insertBlock(first_, block_);
  // The selection stays on the items it was on.
  auto shifted = [&](int i) { return i >= first_ ? i + count : i; };
  after_ = before_;
  for (int& i : after_.selected) i = shifted(i);
  after_.current = shifted(after_.current);
}

void TInsertCommand::revert() { removeBlock(first_, int(block_.items.size())); }

// --- delete ---
TDeleteCommand::TDeleteCommand(TDocument& document, const QString& text,
                               const std::vector<int>& blocks)
    : TDocumentCommand(document, text) {
  int removedBefore = 0;
  for (int first : blocks) ranges_.push_back({first, document.blockEnd(first) - first, {}});
  // Afterwards the selection goes to a neighbour of the first block that stays: its next sibling,
  // else its previous one, else its parent.
  auto taken = [&](int i) {
    for (const TRange& r : ranges_)
      if (i >= r.first && i < r.first + r.count) return true;
    return false;
  };
  const int first = blocks.front();
  int neighbour = document.nextSibling(first);
  while (neighbour >= 0 && taken(neighbour)) neighbour = document.nextSibling(neighbour);
  if (neighbour < 0) {
    neighbour = document.previousSibling(first);
    while (neighbour >= 0 && taken(neighbour)) neighbour = document.previousSibling(neighbour);
  }
  if (neighbour < 0) neighbour = document.parentOf(first);
  for (const TRange& r : ranges_)
    if (r.first < neighbour) removedBefore += r.count;
  const int shown = neighbour < 0 ? -1 : neighbour - removedBefore;
  after_ = {{shown}, shown, before_.page};
  if ((shown < 0) != (before_.current < 0)) after_.page = -1;
}

void TDeleteCommand::apply() {
  for (auto r = ranges_.rbegin(); r != ranges_.rend(); ++r)
    r->taken = removeBlock(r->first, r->count);
}

void TDeleteCommand::revert() {
  for (TRange& r : ranges_) insertBlock(r.first, std::move(r.taken));
}

// --- move ---
TMoveCommand::TMoveCommand(TDocument& document, const QString& text, TPlan plan)
    : TDocumentCommand(document, text), plan_(std::move(plan)) {}

void TMoveCommand::apply() {
  if (planned_) {
    for (const TMove& m : moves_) moveBlock(m.first, m.count, m.to, m.delta);
    return;
  }
  // First run: follow the plan, remember each move, and carry the selection along.
  planned_ = true;
  std::vector<quint64> selected;
  for (int i : before_.selected) selected.push_back(idOf(i));
  const quint64 current = idOf(before_.current);
  plan_([this](int first, int count, int to, int delta) {
    std::vector<std::string> texts = moveBlock(first, count, to, delta);
    moves_.push_back(
        {first, count, to, delta, delta ? std::move(texts) : std::vector<std::string>{}});
  });
  plan_ = nullptr;
  after_.selected.clear();
  for (quint64 id : selected) after_.selected.push_back(positionOf(id));
  after_.current = positionOf(current);
  if (moves_.empty()) setObsolete(true);
}

void TMoveCommand::revert() {
  for (auto m = moves_.rbegin(); m != moves_.rend(); ++m) {
    // Back from where it went to where it was, with the level texts it had.
    moveBlock(m->to, m->count, m->first, -m->delta, m->delta ? &m->levelTexts : nullptr);
  }
}

// --- item fields ---
TItemEditCommand::TItemEditCommand(TDocument& document, const QString& text,
                                   std::vector<int> indexes, TItemField field,
                                   std::vector<std::string> oldValues, std::string value,
                                   bool typing)
    : TDocumentCommand(document, text),
      indexes_(std::move(indexes)),
      field_(field),
      oldValues_(std::move(oldValues)),
      value_(std::move(value)),
      typing_(typing),
      session_(typingSession()) {}

void TItemEditCommand::apply() { writeFields(indexes_, field_, {value_}); }
void TItemEditCommand::revert() { writeFields(indexes_, field_, oldValues_); }

bool TItemEditCommand::mergeWith(const QUndoCommand* other) {
  const auto* next = dynamic_cast<const TItemEditCommand*>(other);
  if (!next || !next->typing_ || next->session_ != session_ || next->field_ != field_ ||
      next->indexes_ != indexes_)
    return false;
  value_ = next->value_;
  after_ = next->after_;
  // Typed back to what it was: the step disappears.
  setObsolete(std::all_of(oldValues_.begin(), oldValues_.end(),
                          [this](const std::string& old) { return old == value_; }));
  return true;
}

// --- slider ---
TSliderEditCommand::TSliderEditCommand(TDocument& document, const QString& text, TSliderData before,
                                       TSliderData after, bool typing)
    : TDocumentCommand(document, text),
      old_(std::move(before)),
      new_(std::move(after)),
      typing_(typing),
      session_(typingSession()) {
  const TStringArray a = SliderStrings(old_);
  const TStringArray b = SliderStrings(new_);
  for (size_t k = 0; k < a.size(); ++k) changed_.push_back(a[k] != b[k]);
}

void TSliderEditCommand::apply() { writeSlider(new_); }
void TSliderEditCommand::revert() { writeSlider(old_); }

bool TSliderEditCommand::mergeWith(const QUndoCommand* other) {
  const auto* next = dynamic_cast<const TSliderEditCommand*>(other);
  if (!next || !next->typing_ || next->session_ != session_ || next->changed_ != changed_)
    return false;
  new_ = next->new_;
  after_ = next->after_;
  setObsolete(new_ == old_);
  return true;
}
