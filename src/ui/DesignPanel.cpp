#include "DesignPanel.h"

#include <QLineEdit>
#include <QToolButton>

#include "Conversions.h"
#include "Document.h"
#include "Icons.h"
#include "Prompts.h"

namespace {
struct THelpPage {
  int tag;
  const char* page;
};
constexpr THelpPage kHelpPages[] = {
    {1, "customizing_js_script_script_general.htm"},
    {2, "customizing_js_script_script_size.htm"},
    {3, "customizing_js_script_script_scrolling.htm"},
    {4, "customizing_js_script_script_distance.htm"},
    {5, "customizing_js_script_script_slider_border.htm"},
    {6, "customizing_js_script_script_image_border.htm"},
    {7, "customizing_js_script_path_path.htm"},
    {8, "customizing_js_item_general_original_image_path.htm"},
    {9, "customizing_js_item_general_link.htm"},
    {10, "customizing_js_item_general_tooltip.htm"},
};
}  // namespace

QColor ToQColor(std::uint32_t c) {
  return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

std::uint32_t ToModelColor(const QColor& c) {
  return TColor(c.red()) | (TColor(c.green()) << 8) | (TColor(c.blue()) << 16);
}

void ShowText(QLineEdit* edit, const std::string& value) {
  if (TrimmedText(edit) == value) return;
  edit->setText(QString::fromStdString(value));
  edit->setCursorPosition(0);  // where long paths and addresses begin, not where they end
}

std::string TrimmedText(const QLineEdit* edit) { return Trim(edit->text().toStdString()); }

bool TDesignPanel::refuseText(QLineEdit* edit) {
  if (quiet_ > 0 || !edit || !document_) return false;  // filled, or not attached yet
  const QString separator = QString::fromLatin1(kSeparator);
  if (edit->text().contains('\r') || edit->text().contains('\n')) {
    // Pasted lines become one: a project file keeps every value on one line. Setting the joined
    // line stores it.
    edit->setText(QString::fromStdString(JoinLines(edit->text().toStdString())));
    prompt::Message(
        window(), TMessageKind::Information,
        tr("This text is kept on one line, so its line breaks were replaced by blanks."),
        {TButton::Ok});
    return true;
  }
  if (!edit->text().contains(separator)) return false;
  prompt::Message(
      window(), TMessageKind::Warning,
      QStringLiteral("The text can't include \"%1\", it is used by system!").arg(separator),
      {TButton::Yes});
  edit->clear();
  return true;
}

void TDesignPanel::endTypingWhenLeft() {
  for (QLineEdit* edit : findChildren<QLineEdit*>())
    connect(edit, &QLineEdit::editingFinished, document_, &TDocument::endTyping);
}

void TDesignPanel::bindHelpButtons(std::initializer_list<QToolButton*> buttons) {
  for (QToolButton* help : buttons) {
    help->setIcon(icons::HelpBook());
    connect(help, &QToolButton::clicked, this, [this, help] {
      const int tag = help->property("Tag").toInt();
      QString page = QStringLiteral("getting_started.htm");
      for (const THelpPage& p : kHelpPages)
        if (p.tag == tag) page = QString::fromLatin1(p.page);
      emit helpRequested(page);
    });
  }
}

void TSliderFieldsPanel::attach(TDocument& document) {
  document_ = &document;
  connect(document_, &TDocument::sliderChanged, this, [this] {
    if (!adopting_) showSlider();  // while adopting, the page is the source
  });
  connect(document_, &TDocument::designReset, this, &TSliderFieldsPanel::showSlider);
  endTypingWhenLeft();
  showSlider();
}

void TSliderFieldsPanel::adoptShown(TDocument& document,
                                    std::initializer_list<TSliderFieldsPanel*> pages) {
  TSliderData slider = document.slider();
  for (TSliderFieldsPanel* page : pages) {
    page->writeShown(slider);
    page->adopting_ = true;
  }
  document.adoptSlider(slider);
  for (TSliderFieldsPanel* page : pages) page->adopting_ = false;
}

void TSliderFieldsPanel::store(const std::function<void(TSliderData&)>& change, const QString& step,
                               bool typing) {
  if (quiet_ > 0 || !document_) return;
  RunCommand(window(), [&] {
    TSliderData slider = document_->slider();
    change(slider);
    document_->setSlider(slider, step, typing);
  });
}

void TSliderFieldsPanel::storeField(std::string TSliderData::*field, std::string value,
                                    const QString& step, bool typing) {
  store([&](TSliderData& slider) { slider.*field = std::move(value); }, step, typing);
}
