// What the property pages share. Each page is a widget of its own (its controls in its own .ui
// file) that shows the open document and writes every change of a control into it as an edit of
// its own, one field at a time; typing into one field makes one undoable step until the field is
// left. The Script and Path pages show the slider (TSliderPanel, TPathPanel), the Item General
// page the selected items (TItemPanel).
#pragma once

#include <QWidget>
#include <functional>
#include <initializer_list>
#include <string>

#include "ProjectModel.h"

class QLineEdit;
class QToolButton;
class TDocument;

class TDesignPanel : public QWidget {
  Q_OBJECT

 public:
  using QWidget::QWidget;
  // The field help buttons: each carries its page's number in its "Tag" property (none or an
  // unknown one: the getting-started page).
  void bindHelpButtons(std::initializer_list<QToolButton*> buttons);

 signals:
  // A field's help button was clicked: the help file's name (inside the program's help folder).
  void helpRequested(const QString& page);

 protected:
  TDocument* document_ = nullptr;
  int quiet_ = 0;  // > 0 while the page is being filled: its controls' changes are no edits

  // Holds the page's change handlers back while it is filled.
  class TQuiet {
   public:
    explicit TQuiet(int& depth) : depth_(++depth) {}
    ~TQuiet() { --depth_; }
    TQuiet(const TQuiet&) = delete;
    TQuiet& operator=(const TQuiet&) = delete;

   private:
    int& depth_;
  };

  // True when the box held the value separator or line breaks: the user is told, and the
  // separator is cleared or the lines are joined (which stores the joined line).
  bool refuseText(QLineEdit* edit);
  // Leaving a text box of this page closes its step: typing there again is a step of its own.
  void endTypingWhenLeft();
};

// A page that shows the slider's fields (the Script and the Path page).
class TSliderFieldsPanel : public TDesignPanel {
  Q_OBJECT

 public:
  using TDesignPanel::TDesignPanel;
  // Shows `document`'s slider and follows its changes.
  void attach(TDocument& document);
  // Writes the slider's fields this page shows into `slider` as the page holds them (numbers and
  // colours written out, the names derived from the slider name).
  virtual void writeShown(TSliderData& slider) const = 0;
  // The document takes the slider as `pages` show it, without an undoable step: right after New
  // and open, so that what is saved is what the pages show. The pages stay as they are (a path
  // option of an older file keeps neither button selected).
  static void adoptShown(TDocument& document, std::initializer_list<TSliderFieldsPanel*> pages);

 protected:
  virtual void showSlider() = 0;
  // One undoable step that changes the fields `change` sets on the slider; nothing while the
  // page is filled or when nothing changes.
  void store(const std::function<void(TSliderData&)>& change, const QString& step, bool typing);
  // The same for one text field.
  void storeField(std::string TSliderData::*field, std::string value, const QString& step,
                  bool typing);

 private:
  bool adopting_ = false;  // the document takes this page's values as they stand
};

// Colours as the model keeps them (0x00BBGGRR) and as Qt shows them.
QColor ToQColor(std::uint32_t color);
std::uint32_t ToModelColor(const QColor& color);
// A value shown in a text box: replaced only when it differs from what the box holds, so that
// the cursor of someone typing stays where it is.
void ShowText(QLineEdit* edit, const std::string& value);
// The box's text without the blanks around it.
std::string TrimmedText(const QLineEdit* edit);
