// The undoable steps of a document. Each remembers what the window showed before it and what it
// shows after it, and asks for that view again on Undo and Redo.
#pragma once

#include <QUndoCommand>
#include <functional>

#include "Document.h"

class TDocumentCommand : public QUndoCommand {
 public:
  TDocumentCommand(TDocument& document, const QString& text);
  void undo() final;
  void redo() final;

 protected:
  TDocument& document_;
  TViewState before_;
  TViewState after_;
  virtual void apply() = 0;
  virtual void revert() = 0;
  // Access to the document's own changes for the steps below.
  using TBlock = TDocument::TBlock;
  void insertBlock(int first, TBlock block) { document_.insertBlock(first, std::move(block)); }
  TBlock removeBlock(int first, int count) { return document_.removeBlock(first, count); }
  std::vector<std::string> moveBlock(int first, int count, int to, int delta,
                                     const std::vector<std::string>* texts = nullptr) {
    return document_.moveBlock(first, count, to, delta, texts);
  }
  void writeFields(const std::vector<int>& indexes, TItemField field,
                   const std::vector<std::string>& values) {
    document_.writeFields(indexes, field, values);
  }
  void writeSlider(const TSliderData& data) { document_.writeSlider(data); }
  quint64 typingSession() const { return document_.typingSession_; }
  quint64 idOf(int item) const { return item >= 0 ? document_.ids_.at(size_t(item)) : 0; }
  int positionOf(quint64 id) const { return document_.findId(id); }
};

// New items at one place (Insert, dropped pictures).
class TInsertCommand : public TDocumentCommand {
 public:
  TInsertCommand(TDocument& document, const QString& text, int first, TDocument::TBlock block);

 private:
  int first_;
  TBlock block_;
  void apply() override;
  void revert() override;
};

// Items with their blocks taken out (Delete).
class TDeleteCommand : public TDocumentCommand {
 public:
  // blocks: the first item of each block, in list order, none inside another.
  TDeleteCommand(TDocument& document, const QString& text, const std::vector<int>& blocks);

 private:
  struct TRange {
    int first;
    int count;
    TBlock taken;
  };
  std::vector<TRange> ranges_;
  void apply() override;
  void revert() override;
};

// Blocks carried elsewhere (Move Up, Move Down, drag and drop). The plan runs once on the live
// document and the block moves it makes are recorded; Redo replays them, Undo reverses them.
class TMoveCommand : public TDocumentCommand {
 public:
  // The plan moves blocks through the mover it is given (first, count, to, delta).
  using TMover = std::function<void(int first, int count, int to, int delta)>;
  using TPlan = std::function<void(const TMover&)>;
  TMoveCommand(TDocument& document, const QString& text, TPlan plan);

 private:
  struct TMove {
    int first, count, to, delta;
    std::vector<std::string> levelTexts;  // the texts before the move, when levels changed
  };
  TPlan plan_;
  std::vector<TMove> moves_;
  bool planned_ = false;
  void apply() override;
  void revert() override;
};

// One field set on several items (typing, choosing a picture, bulk link/target/tooltip).
class TItemEditCommand : public TDocumentCommand {
 public:
  TItemEditCommand(TDocument& document, const QString& text, std::vector<int> indexes,
                   TItemField field, std::vector<std::string> oldValues, std::string value,
                   bool typing);
  int id() const override { return typing_ ? 1 : -1; }
  bool mergeWith(const QUndoCommand* other) override;

 private:
  std::vector<int> indexes_;
  TItemField field_;
  std::vector<std::string> oldValues_;
  std::string value_;
  bool typing_;
  quint64 session_;
  void apply() override;
  void revert() override;
};

// New slider parameters (typing, spinning, colours, border styles, choices).
class TSliderEditCommand : public TDocumentCommand {
 public:
  TSliderEditCommand(TDocument& document, const QString& text, TSliderData before,
                     TSliderData after, bool typing);
  int id() const override { return typing_ ? 2 : -1; }
  bool mergeWith(const QUndoCommand* other) override;

 private:
  TSliderData old_;
  TSliderData new_;
  bool typing_;
  quint64 session_;
  std::vector<bool> changed_;  // which fields differ
  void apply() override;
  void revert() override;
};
