// The property tabs. They show the document: the slider on the Script and Path pages, the
// selected items on the Item General page (several selected: the values they share, the others
// blank). Every change in a control is an edit of the document at once; typing into one field
// makes one undoable step until the field is left.
#include <QComboBox>
#include <QLineEdit>
#include <limits>

#include "ColorPanel.h"
#include "Icons.h"
#include "MainForm.h"
#include "Prompts.h"
#include "ScriptText.h"
#include "WYSIWYG_Utility.h"
#include "ui_MainForm.h"

namespace {
QColor ToQColor(TColor c) {
  return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}
TColor ToTColor(const QColor& c) {
  return TColor(c.red()) | (TColor(c.green()) << 8) | (TColor(c.blue()) << 16);
}
std::string Text(const QLineEdit* edit) { return Trim(edit->text().toStdString()); }
QString Q(const std::string& text) { return QString::fromStdString(text); }

// A value shown in a text box: replaced only when it differs from what the box holds, so that
// the cursor of someone typing stays where it is.
void ShowText(QLineEdit* edit, const std::string& value) {
  if (Trim(edit->text().toStdString()) == value) return;
  edit->setText(Q(value));
  edit->setCursorPosition(0);  // where long paths and addresses begin, not where they end
}

// Holds the panels' change handlers back while the panels are filled.
class TQuiet {
 public:
  explicit TQuiet(int& depth) : depth_(++depth) {}
  ~TQuiet() { --depth_; }

 private:
  int& depth_;
};
}  // namespace

void TMainForm::SetUpPanels() {
  auto typed = [this](QLineEdit* edit, const char* step) {
    connect(edit, &QLineEdit::textChanged, this, [this, edit, step] {
      if (!CheckSeparatorText(edit)) StoreSlider(tr(step), true);
    });
  };
  typed(ui->edt_pSliderName, "Edit Slider Name");
  typed(ui->edtpInternalUse_RootDir_Local, "Edit Local Folder");
  typed(ui->edtpInternalUse_RootDir_Remote, "Edit Remote Folder");
  const std::pair<QSpinBox*, const char*> spins[] = {
      {ui->spnedt_pWidth, "Change Width"},
      {ui->spedt_pHeight, "Change Height"},
      {ui->spnedt_pStep, "Change Step"},
      {ui->spnedt_pDelay, "Change Delay"},
      {ui->spnedt_pGap, "Change Gap"},
      {ui->spnedt_pTrailerSpace, "Change Trailer Space"},
      {ui->spnedt_pContainerBorderWidth, "Change Slider Border Width"},
      {ui->spnedt_pImageBorderWidth, "Change Image Border Width"}};
  for (const auto& [spin, step] : spins)
    connect(spin, &QSpinBox::valueChanged, this,
            [this, step = step] { StoreSlider(tr(step), true); });
  for (QComboBox* list : {ui->cmbx_pContainerBorderStyle, ui->cmbx_pImageBorderStyle})
    connect(list, &QComboBox::currentIndexChanged, this,
            [this] { StoreSlider(tr("Change Border Style"), false); });
  connect(ui->rdbtnpInternalUse_RootDir_Local_Checked, &QRadioButton::toggled, this,
          [this] { StoreSlider(tr("Choose Link Replacement"), false); });
  for (TColorPanel* panel :
       {ui->pnl_pBgColor, ui->pnl_pContainerBorderColor, ui->pnl_pImageBorderColor})
    connect(panel, &TColorPanel::clicked, this, [this, panel] { chooseColour(panel); });

  auto itemField = [this](QLineEdit* edit, TItemField field, const char* step) {
    connect(edit, &QLineEdit::textChanged, this, [this, edit, field, step](const QString& text) {
      if (!CheckSeparatorText(edit)) StoreItemField(field, text, tr(step), true);
    });
  };
  itemField(ui->edtOriginalImagePath, TItemField::OriginalImagePath, "Edit Picture Path");
  itemField(ui->edt_IToolTip, TItemField::ToolTip, "Edit Tooltip");
  itemField(ui->cmbx_ILink->lineEdit(), TItemField::Link, "Edit Link");
  itemField(ui->cmbx_ITarget->lineEdit(), TItemField::Target, "Edit Target");
  // Every value a project file holds comes back whole (the boxes' own limit is 32,767).
  for (QComboBox* list : {ui->cmbx_ILink, ui->cmbx_ITarget})
    list->lineEdit()->setMaxLength(std::numeric_limits<int>::max());
  // Leaving a text box closes its step: typing there again is a step of its own.
  for (QLineEdit* edit : ui->pgcntrl1->findChildren<QLineEdit*>())
    connect(edit, &QLineEdit::editingFinished, document_.get(), &TDocument::endTyping);

  connect(ui->spdbtnItURL, &QToolButton::clicked, this, &TMainForm::chooseLinkFile);
  connect(ui->spdbtnOriginalImagePath, &QToolButton::clicked, this, &TMainForm::choosePicture);
  for (QToolButton* help :
       {ui->SpeedButton1, ui->SpeedButton12, ui->SpeedButton11, ui->SpeedButton10, ui->SpeedButton5,
        ui->SpeedButton6, ui->SpeedButton28, ui->SpeedButton13, ui->SpeedButton24,
        ui->SpeedButton19}) {
    help->setIcon(icons::HelpBook());
    connect(help, &QToolButton::clicked, this, &TMainForm::showFieldHelp);
  }

  SetUpSliderName();
}

void TMainForm::ShowSliderParameters() {
  if (adoptingPanels_) return;  // the panels are the source
  const TQuiet quiet(panelsQuiet_);
  const TAppletData& d = document_->slider();
  // A name from elsewhere (a file, Undo) takes the tip about a refused character away and is
  // the one an emptied box gets back; the name being typed changes neither.
  if (Text(ui->edt_pSliderName) != d.pSliderName) {
    ui->lbl_pSliderNameTip->hide();
    if (scripttext::IsScriptIdentifier(d.pSliderName)) lastSliderName_ = Q(d.pSliderName);
  }
  ShowText(ui->edt_pSliderName, d.pSliderName);
  ui->spnedt_pWidth->setValue(StrToInt(d.pWidth));
  ui->spedt_pHeight->setValue(StrToInt(d.pHeight));
  ui->spnedt_pStep->setValue(StrToInt(d.pStep));
  ui->spnedt_pDelay->setValue(StrToInt(d.pDelay));
  ui->spnedt_pGap->setValue(StrToInt(d.pGap));
  ui->spnedt_pTrailerSpace->setValue(StrToInt(d.pTrailerSpace));
  ui->pnl_pBgColor->SetColor(ToQColor(HexToColor(d.pBgColor)));
  auto style = [](QComboBox* list, const std::string& text) {
    const int index = StrToInt(text);
    list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
  };
  ui->spnedt_pImageBorderWidth->setValue(StrToInt(d.pImageBorderWidth));
  style(ui->cmbx_pImageBorderStyle, d.pImageBorderStyle);
  ui->pnl_pImageBorderColor->SetColor(ToQColor(HexToColor(d.pImageBorderColor)));
  ui->spnedt_pContainerBorderWidth->setValue(StrToInt(d.pContainerBorderWidth));
  style(ui->cmbx_pContainerBorderStyle, d.pContainerBorderStyle);
  ui->pnl_pContainerBorderColor->SetColor(ToQColor(HexToColor(d.pContainerBorderColor)));
  ShowText(ui->edtpInternalUse_RootDir_Local, d.pInternalUse_RootDir_Local);
  ShowText(ui->edtpInternalUse_RootDir_Remote, d.pInternalUse_RootDir_Remote);
  QRadioButton* local = ui->rdbtnpInternalUse_RootDir_Local_Checked;
  QRadioButton* remote = ui->rdbtnpInternalUse_RootDir_Local_Checked2;
  // Any other value than "1" or "0" leaves both off, which takes the exclusive rule away a moment.
  local->setAutoExclusive(false);
  remote->setAutoExclusive(false);
  local->setChecked(d.pInternalUse_RootDir_Local_Checked == "1");
  remote->setChecked(d.pInternalUse_RootDir_Local_Checked == "0");
  local->setAutoExclusive(true);
  remote->setAutoExclusive(true);
}

TAppletData TMainForm::SliderFromPanels() const {
  TAppletData d;
  const std::string name = Text(ui->edt_pSliderName);
  d.pSliderName = name;
  FollowSliderName(d);
  d.pWidth = std::to_string(ui->spnedt_pWidth->value());
  d.pHeight = std::to_string(ui->spedt_pHeight->value());
  d.pStep = std::to_string(ui->spnedt_pStep->value());
  d.pDelay = std::to_string(ui->spnedt_pDelay->value());
  d.pGap = std::to_string(ui->spnedt_pGap->value());
  d.pTrailerSpace = std::to_string(ui->spnedt_pTrailerSpace->value());
  d.pBgColor = ColorToHex(ToTColor(ui->pnl_pBgColor->Color()));
  d.pImageBorderWidth = std::to_string(ui->spnedt_pImageBorderWidth->value());
  d.pImageBorderStyle = std::to_string(ui->cmbx_pImageBorderStyle->currentIndex());
  d.pImageBorderColor = ColorToHex(ToTColor(ui->pnl_pImageBorderColor->Color()));
  d.pContainerBorderWidth = std::to_string(ui->spnedt_pContainerBorderWidth->value());
  d.pContainerBorderStyle = std::to_string(ui->cmbx_pContainerBorderStyle->currentIndex());
  d.pContainerBorderColor = ColorToHex(ToTColor(ui->pnl_pContainerBorderColor->Color()));
  d.pInternalUse_RootDir_Local = Text(ui->edtpInternalUse_RootDir_Local);
  d.pInternalUse_RootDir_Remote = Text(ui->edtpInternalUse_RootDir_Remote);
  d.pInternalUse_RootDir_Local_Checked =
      ui->rdbtnpInternalUse_RootDir_Local_Checked->isChecked() ? "1" : "0";
  return d;
}

void TMainForm::StoreSlider(const QString& step, bool typing) {
  if (panelsQuiet_ == 0)
    RunCommand(this, [&] { document_->setSlider(SliderFromPanels(), step, typing); });
}

void TMainForm::StoreItemField(TItemField field, const QString& text, const QString& step,
                               bool typing) {
  if (panelsQuiet_ > 0) return;
  std::vector<int> items = SelectedItems();
  items.erase(std::remove(items.begin(), items.end(), -1), items.end());
  const std::string value = Trim(text.toStdString());
  RunCommand(this, [&] { document_->setItemField(items, field, value, step, typing); });
}

void TMainForm::ShowItemParameters() {
  std::vector<int> items = SelectedItems();
  items.erase(std::remove(items.begin(), items.end(), -1), items.end());
  if (items.empty()) return;
  const TQuiet quiet(panelsQuiet_);
  // The value all selected items share, or blank.
  auto shared = [&](TItemField field) {
    const std::string first = Trim(FieldOf(document_->item(items.front()), field));
    for (int i : items)
      if (Trim(FieldOf(document_->item(i), field)) != first) return std::string();
    return first;
  };
  ShowText(ui->edtOriginalImagePath, shared(TItemField::OriginalImagePath));
  ShowText(ui->cmbx_ILink->lineEdit(), shared(TItemField::Link));
  ShowText(ui->cmbx_ITarget->lineEdit(), shared(TItemField::Target));
  ShowText(ui->edt_IToolTip, shared(TItemField::ToolTip));
}

void TMainForm::FollowItemChange(const std::vector<int>& indexes) {
  const std::vector<int> items = SelectedItems();
  for (int i : indexes)
    if (std::binary_search(items.begin(), items.end(), i)) return ShowItemParameters();
}

// True when the control held the value separator: the user is told, and the text is cleared.
bool TMainForm::CheckSeparatorText(QWidget* control) {
  if (panelsQuiet_ > 0) return false;
  const QString separator = QString::fromStdString(document_->agent().Separator);
  auto* edit = qobject_cast<QLineEdit*>(control);
  if (!edit) return false;
  if (edit->text().contains('\r') || edit->text().contains('\n')) {
    // Pasted lines become one: a project file keeps every value on one line. Setting the joined
    // line stores it.
    edit->setText(Q(JoinLines(edit->text().toStdString())));
    prompt::Message(
        this, TMessageKind::Information,
        QStringLiteral("This text is kept on one line, so its line breaks were replaced by "
                       "blanks."),
        {TButton::Ok});
    return true;
  }
  if (!edit->text().contains(separator)) return false;
  prompt::Message(
      this, TMessageKind::Warning,
      QStringLiteral("The text can't include \"%1\", it is used by system!").arg(separator),
      {TButton::Yes});
  edit->clear();
  return true;
}
