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
  const std::pair<QSpinBox*, std::pair<std::string TAppletData::*, const char*>> spins[] = {
      {ui_->spnedt_pWidth, {&TAppletData::pWidth, QT_TR_NOOP("Change Width")}},
      {ui_->spedt_pHeight, {&TAppletData::pHeight, QT_TR_NOOP("Change Height")}},
      {ui_->spnedt_pStep, {&TAppletData::pStep, QT_TR_NOOP("Change Step")}},
      {ui_->spnedt_pDelay, {&TAppletData::pDelay, QT_TR_NOOP("Change Delay")}},
      {ui_->spnedt_pGap, {&TAppletData::pGap, QT_TR_NOOP("Change Gap")}},
      {ui_->spnedt_pTrailerSpace,
       {&TAppletData::pTrailerSpace, QT_TR_NOOP("Change Trailer Space")}},
      {ui_->spnedt_pContainerBorderWidth,
       {&TAppletData::pContainerBorderWidth, QT_TR_NOOP("Change Slider Border Width")}},
      {ui_->spnedt_pImageBorderWidth,
       {&TAppletData::pImageBorderWidth, QT_TR_NOOP("Change Image Border Width")}}};
  for (const auto& [spin, what] : spins)
    connect(spin, &QSpinBox::valueChanged, this,
            [this, field = what.first, step = what.second](int value) {
              storeField(field, std::to_string(value), tr(step), true);
            });
  for (const auto& [list, field] :
       {std::pair{ui_->cmbx_pContainerBorderStyle, &TAppletData::pContainerBorderStyle},
        std::pair{ui_->cmbx_pImageBorderStyle, &TAppletData::pImageBorderStyle}})
    connect(list, &QComboBox::currentIndexChanged, this, [this, field = field](int index) {
      storeField(field, std::to_string(index), tr("Change Border Style"), false);
    });
  const struct {
    TColorPanel* panel;
    std::string TAppletData::*field;
    const char* step;
  } colours[] = {
      {ui_->pnl_pBgColor, &TAppletData::pBgColor, QT_TR_NOOP("Change Background Colour")},
      {ui_->pnl_pImageBorderColor, &TAppletData::pImageBorderColor,
       QT_TR_NOOP("Change Image Border Colour")},
      {ui_->pnl_pContainerBorderColor, &TAppletData::pContainerBorderColor,
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
  const TAppletData& d = document_->slider();
  // A name from elsewhere (a file, Undo) takes the tip about a refused character away and is
  // the one an emptied box gets back; the name being typed changes neither.
  if (TrimmedText(ui_->edt_pSliderName) != d.pSliderName) {
    ui_->lbl_pSliderNameTip->hide();
    if (scripttext::IsScriptIdentifier(d.pSliderName))
      lastName_ = QString::fromStdString(d.pSliderName);
  }
  ShowText(ui_->edt_pSliderName, d.pSliderName);
  ui_->spnedt_pWidth->setValue(StrToInt(d.pWidth));
  ui_->spedt_pHeight->setValue(StrToInt(d.pHeight));
  ui_->spnedt_pStep->setValue(StrToInt(d.pStep));
  ui_->spnedt_pDelay->setValue(StrToInt(d.pDelay));
  ui_->spnedt_pGap->setValue(StrToInt(d.pGap));
  ui_->spnedt_pTrailerSpace->setValue(StrToInt(d.pTrailerSpace));
  ui_->pnl_pBgColor->setColor(ToQColor(HexToColor(d.pBgColor)));
  ui_->spnedt_pImageBorderWidth->setValue(StrToInt(d.pImageBorderWidth));
  ShowStyle(ui_->cmbx_pImageBorderStyle, d.pImageBorderStyle);
  ui_->pnl_pImageBorderColor->setColor(ToQColor(HexToColor(d.pImageBorderColor)));
  ui_->spnedt_pContainerBorderWidth->setValue(StrToInt(d.pContainerBorderWidth));
  ShowStyle(ui_->cmbx_pContainerBorderStyle, d.pContainerBorderStyle);
  ui_->pnl_pContainerBorderColor->setColor(ToQColor(HexToColor(d.pContainerBorderColor)));
}

void TSliderPanel::writeShown(TAppletData& d) const {
  d.pSliderName = TrimmedText(ui_->edt_pSliderName);
  FollowSliderName(d);
  d.pWidth = std::to_string(ui_->spnedt_pWidth->value());
  d.pHeight = std::to_string(ui_->spedt_pHeight->value());
  d.pStep = std::to_string(ui_->spnedt_pStep->value());
  d.pDelay = std::to_string(ui_->spnedt_pDelay->value());
  d.pGap = std::to_string(ui_->spnedt_pGap->value());
  d.pTrailerSpace = std::to_string(ui_->spnedt_pTrailerSpace->value());
  d.pBgColor = ColorToHex(ToModelColor(ui_->pnl_pBgColor->color()));
  d.pImageBorderWidth = std::to_string(ui_->spnedt_pImageBorderWidth->value());
  d.pImageBorderStyle = std::to_string(ui_->cmbx_pImageBorderStyle->currentIndex());
  d.pImageBorderColor = ColorToHex(ToModelColor(ui_->pnl_pImageBorderColor->color()));
  d.pContainerBorderWidth = std::to_string(ui_->spnedt_pContainerBorderWidth->value());
  d.pContainerBorderStyle = std::to_string(ui_->cmbx_pContainerBorderStyle->currentIndex());
  d.pContainerBorderColor = ColorToHex(ToModelColor(ui_->pnl_pContainerBorderColor->color()));
}

void TSliderPanel::chooseColour(TColorPanel* panel, std::string TAppletData::*field,
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
        [&](TAppletData& slider) {
          slider.pSliderName = TrimmedText(name);
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
