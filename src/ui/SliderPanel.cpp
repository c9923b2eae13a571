#include "SliderPanel.h"

#include <QValidator>

#include "ColorPanel.h"
#include "Conversions.h"
#include "Document.h"
#include "Prompts.h"
#include "ScriptText.h"
#include "ui_SliderPanel.h"

namespace {
bool IsScriptName(const QString& name) {
  return scripttext::IsScriptIdentifier(name.toStdString());
}

const char* const kNameRule = QT_TRANSLATE_NOOP(
    "TSliderPanel",
    "The name must begin with a letter, \"_\" or \"$\" and hold only letters, digits, \"_\" and "
    "\"$\", because the page's script uses it.");

// Why a name cannot be typed: the characters no script name holds, or a first one that cannot
// begin it. Empty when the name is fine.
QString NameRefusal(const QString& name) {
  const QList<uint> codes = name.toUcs4();
  QStringList offending;
  for (const uint code : codes) {
    if (scripttext::IsScriptNamePart(code)) continue;
    const QString shown =
        code == ' ' ? TSliderPanel::tr("a blank")
                    : '"' + QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1) + '"';
    if (!offending.contains(shown)) offending << shown;
  }
  if (!offending.isEmpty())
    return TSliderPanel::tr("%1 can't be part of the name. ").arg(offending.join(", ")) +
           TSliderPanel::tr(kNameRule);
  if (!codes.isEmpty() && !scripttext::IsScriptNameStart(codes.first()))
    return TSliderPanel::tr("The name can't begin with \"%1\". ").arg(name.left(1)) +
           TSliderPanel::tr(kNameRule);
  return QString();
}

// Lets through only what leaves a usable name (or an empty box, refilled when left), and says why
// anything else was refused.
class TScriptNameValidator : public QValidator {
 public:
  TScriptNameValidator(QObject* parent, std::function<void(const QString&)> refused)
      : QValidator(parent), refused_(std::move(refused)) {}
  State validate(QString& text, int&) const override {
    const QString name = text.trimmed();
    if (name.isEmpty() || IsScriptName(name)) return Acceptable;
    refused_(NameRefusal(name));
    return Invalid;
  }

 private:
  std::function<void(const QString&)> refused_;
};

void ShowStyle(QComboBox* list, const std::string& text) {
  const int index = StrToInt(text);
  list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
}
}  // namespace

TSliderPanel::TSliderPanel(QWidget* parent)
    : TSliderFieldsPanel(parent), ui_(std::make_unique<Ui::TSliderPanel>()) {
  ui_->setupUi(this);
  const std::pair<QSpinBox*, std::pair<std::string TSliderData::*, const char*>> spins[] = {
      {ui_->spnedt_pWidth, {&TSliderData::width, QT_TR_NOOP("Change Width")}},
      {ui_->spedt_pHeight, {&TSliderData::height, QT_TR_NOOP("Change Height")}},
      {ui_->spnedt_pStep, {&TSliderData::step, QT_TR_NOOP("Change Step")}},
      {ui_->spnedt_pDelay, {&TSliderData::delay, QT_TR_NOOP("Change Delay")}},
      {ui_->spnedt_pGap, {&TSliderData::gap, QT_TR_NOOP("Change Gap")}},
      {ui_->spnedt_pTrailerSpace, {&TSliderData::trailerSpace, QT_TR_NOOP("Change Trailer Space")}},
      {ui_->spnedt_pContainerBorderWidth,
       {&TSliderData::containerBorderWidth, QT_TR_NOOP("Change Slider Border Width")}},
      {ui_->spnedt_pImageBorderWidth,
       {&TSliderData::imageBorderWidth, QT_TR_NOOP("Change Image Border Width")}}};
  for (const auto& [spin, what] : spins)
    connect(spin, &QSpinBox::valueChanged, this,
            [this, field = what.first, step = what.second](int value) {
              storeField(field, std::to_string(value), tr(step), true);
            });
  for (const auto& [list, field] :
       {std::pair{ui_->cmbx_pContainerBorderStyle, &TSliderData::containerBorderStyle},
        std::pair{ui_->cmbx_pImageBorderStyle, &TSliderData::imageBorderStyle}})
    connect(list, &QComboBox::currentIndexChanged, this, [this, field = field](int index) {
      storeField(field, std::to_string(index), tr("Change Border Style"), false);
    });
  const struct {
    TColorPanel* panel;
    std::string TSliderData::*field;
    const char* step;
  } colours[] = {
      {ui_->pnl_pBgColor, &TSliderData::backgroundColour, QT_TR_NOOP("Change Background Colour")},
      {ui_->pnl_pImageBorderColor, &TSliderData::imageBorderColour,
       QT_TR_NOOP("Change Image Border Colour")},
      {ui_->pnl_pContainerBorderColor, &TSliderData::containerBorderColour,
       QT_TR_NOOP("Change Slider Border Colour")}};
  for (const auto& c : colours)
    connect(c.panel, &TColorPanel::clicked, this,
            [this, c] { chooseColour(c.panel, c.field, tr(c.step)); });
  bindHelpButtons({ui_->SpeedButton1, ui_->SpeedButton12, ui_->SpeedButton11, ui_->SpeedButton10,
                   ui_->SpeedButton5, ui_->SpeedButton6});
  setUpName();
}

TSliderPanel::~TSliderPanel() = default;

QList<QWidget*> TSliderPanel::hintControls() const {
  return {const_cast<TSliderPanel*>(this),
          ui_->pnl_pBgColor,
          ui_->pnl_pContainerBorderColor,
          ui_->pnl_pImageBorderColor,
          ui_->spnedt_pWidth,
          ui_->spedt_pHeight,
          ui_->spnedt_pStep,
          ui_->spnedt_pDelay,
          ui_->spnedt_pGap,
          ui_->spnedt_pTrailerSpace,
          ui_->spnedt_pContainerBorderWidth,
          ui_->spnedt_pImageBorderWidth};
}

void TSliderPanel::showSlider() {
  const TQuiet quiet(quiet_);
  const TSliderData& d = document_->slider();
  // A name from elsewhere (a file, Undo) takes the tip about a refused character away and is
  // the one an emptied box gets back; the name being typed changes neither.
  if (TrimmedText(ui_->edt_pSliderName) != d.name) {
    ui_->lbl_pSliderNameTip->hide();
    if (scripttext::IsScriptIdentifier(d.name)) lastName_ = QString::fromStdString(d.name);
  }
  ShowText(ui_->edt_pSliderName, d.name);
  ui_->spnedt_pWidth->setValue(StrToInt(d.width));
  ui_->spedt_pHeight->setValue(StrToInt(d.height));
  ui_->spnedt_pStep->setValue(StrToInt(d.step));
  ui_->spnedt_pDelay->setValue(StrToInt(d.delay));
  ui_->spnedt_pGap->setValue(StrToInt(d.gap));
  ui_->spnedt_pTrailerSpace->setValue(StrToInt(d.trailerSpace));
  ui_->pnl_pBgColor->setColor(ToQColor(HexToColor(d.backgroundColour)));
  ui_->spnedt_pImageBorderWidth->setValue(StrToInt(d.imageBorderWidth));
  ShowStyle(ui_->cmbx_pImageBorderStyle, d.imageBorderStyle);
  ui_->pnl_pImageBorderColor->setColor(ToQColor(HexToColor(d.imageBorderColour)));
  ui_->spnedt_pContainerBorderWidth->setValue(StrToInt(d.containerBorderWidth));
  ShowStyle(ui_->cmbx_pContainerBorderStyle, d.containerBorderStyle);
  ui_->pnl_pContainerBorderColor->setColor(ToQColor(HexToColor(d.containerBorderColour)));
}

void TSliderPanel::writeShown(TSliderData& d) const {
  d.name = TrimmedText(ui_->edt_pSliderName);
  FollowSliderName(d);
  d.width = std::to_string(ui_->spnedt_pWidth->value());
  d.height = std::to_string(ui_->spedt_pHeight->value());
  d.step = std::to_string(ui_->spnedt_pStep->value());
  d.delay = std::to_string(ui_->spnedt_pDelay->value());
  d.gap = std::to_string(ui_->spnedt_pGap->value());
  d.trailerSpace = std::to_string(ui_->spnedt_pTrailerSpace->value());
  d.backgroundColour = ColorToHex(ToModelColor(ui_->pnl_pBgColor->color()));
  d.imageBorderWidth = std::to_string(ui_->spnedt_pImageBorderWidth->value());
  d.imageBorderStyle = std::to_string(ui_->cmbx_pImageBorderStyle->currentIndex());
  d.imageBorderColour = ColorToHex(ToModelColor(ui_->pnl_pImageBorderColor->color()));
  d.containerBorderWidth = std::to_string(ui_->spnedt_pContainerBorderWidth->value());
  d.containerBorderStyle = std::to_string(ui_->cmbx_pContainerBorderStyle->currentIndex());
  d.containerBorderColour = ColorToHex(ToModelColor(ui_->pnl_pContainerBorderColor->color()));
}

void TSliderPanel::chooseColour(TColorPanel* panel, std::string TSliderData::*field,
                                const QString& step) {
  const auto color = prompt::Color(window(), panel->color());
  if (!color || *color == panel->color()) return;
  panel->setColor(*color);
  storeField(field, ColorToHex(ToModelColor(*color)), step, false);
}

void TSliderPanel::setUpName() {
  QLineEdit* name = ui_->edt_pSliderName;
  name->setValidator(new TScriptNameValidator(name, [this](const QString& why) {
    ui_->lbl_pSliderNameTip->setText(why);
    ui_->lbl_pSliderNameTip->setVisible(!why.isEmpty());
  }));
  connect(name, &QLineEdit::textChanged, this, &TSliderPanel::markName);
  connect(name, &QLineEdit::textChanged, this, [this, name] {
    if (refuseText(name)) return;
    store(
        [&](TSliderData& slider) {
          slider.name = TrimmedText(name);
          FollowSliderName(slider);
        },
        tr("Edit Slider Name"), true);
  });
  connect(name, &QLineEdit::editingFinished, this, [this, name] {
    // An emptied name would leave the page without a script name: the last whole name comes back.
    // The tip stays until the box is left, so a refusal in the middle of typing is seen.
    const QString text = name->text().trimmed();
    if (text.isEmpty() && !lastName_.isEmpty())
      name->setText(lastName_);
    else if (IsScriptName(text))
      lastName_ = text;
    ui_->lbl_pSliderNameTip->hide();
  });
}

void TSliderPanel::markName() {
  QLineEdit* name = ui_->edt_pSliderName;
  const QString text = name->text().trimmed();
  const bool valid = IsScriptName(text);
  name->setStyleSheet(valid || text.isEmpty() ? QString() : QStringLiteral("color: red;"));
  name->setToolTip(valid ? QString() : QString::fromUtf8(kNameRule));
}
