// The property tabs. Values travel in batches: the model into the controls when a design is
// loaded or an item selected, the controls back into the model when the selection leaves an item
// and before every save, build, preview and publish.
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QUrl>
#include <limits>

#include "ColorPanel.h"
#include "Icons.h"
#include "MainForm.h"
#include "Prompts.h"
#include "WYSIWYG_Utility.h"
#include "ui_MainForm.h"

namespace {
QColor ToQColor(TColor c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }
TColor ToTColor(const QColor& c) {
  return TColor(c.red()) | (TColor(c.green()) << 8) | (TColor(c.blue()) << 16);
}
std::string Text(const QLineEdit* edit) { return Trim(edit->text().toStdString()); }
std::string Text(const QComboBox* list) { return Trim(list->currentText().toStdString()); }
QString Q(const std::string& text) { return QString::fromStdString(text); }

// A name the generated script can use: letters, digits, "_" and "$", not starting with a digit.
const QRegularExpression kScriptName(QStringLiteral("^[A-Za-z_$][A-Za-z0-9_$]*$"));
const char* const kNameRule =
    "The name must begin with a letter, \"_\" or \"$\" and hold only letters, digits, \"_\" and "
    "\"$\", because the page's script uses it.";

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

void TMainForm::SetUpPanels() {
  auto changed = [this](QWidget* control) {
    spnedtApWidthChange();
    if (control) CheckSeparatorText(control);
  };
  for (QSpinBox* spin : {ui->spnedt_pWidth, ui->spedt_pHeight, ui->spnedt_pStep, ui->spnedt_pDelay,
                         ui->spnedt_pGap, ui->spnedt_pTrailerSpace,
                         ui->spnedt_pContainerBorderWidth, ui->spnedt_pImageBorderWidth})
    connect(spin, &QSpinBox::valueChanged, this, &TMainForm::spnedtApWidthChange);
  for (QLineEdit* edit : {ui->edt_pSliderName, ui->edt_IToolTip, ui->edtpInternalUse_RootDir_Local,
                          ui->edtpInternalUse_RootDir_Remote})
    connect(edit, &QLineEdit::textChanged, this, [edit, changed] { changed(edit); });
  for (QComboBox* list : {ui->cmbx_ILink, ui->cmbx_ITarget}) {
    connect(list, &QComboBox::editTextChanged, this, [list, changed] { changed(list); });
    // Every value a project file holds comes back whole (the boxes' own limit is 32,767).
    list->lineEdit()->setMaxLength(std::numeric_limits<int>::max());
  }
  // Changes the design too, so they mark it modified (and Exit asks before they are lost).
  connect(ui->edtOriginalImagePath, &QLineEdit::textChanged, this, [this, changed] {
    changed(ui->edtOriginalImagePath);
  });
  for (QComboBox* list : {ui->cmbx_pContainerBorderStyle, ui->cmbx_pImageBorderStyle})
    connect(list, &QComboBox::currentIndexChanged, this, &TMainForm::MarkModified);
  for (QRadioButton* radio :
       {ui->rdbtnpInternalUse_RootDir_Local_Checked, ui->rdbtnpInternalUse_RootDir_Local_Checked2})
    connect(radio, &QRadioButton::toggled, this, &TMainForm::MarkModified);

  for (TColorPanel* panel : {ui->pnl_pBgColor, ui->pnl_pContainerBorderColor, ui->pnl_pImageBorderColor})
    connect(panel, &TColorPanel::clicked, this, &TMainForm::pnlApBgClrClick);
  connect(ui->spdbtnItURL, &QToolButton::clicked, this, &TMainForm::spdbtnItURLClick);
  connect(ui->spdbtnOriginalImagePath, &QToolButton::clicked, this,
          &TMainForm::spdbtnItemImageNormalClick);
  for (QToolButton* help :
       {ui->SpeedButton1, ui->SpeedButton12, ui->SpeedButton11, ui->SpeedButton10, ui->SpeedButton5,
        ui->SpeedButton6, ui->SpeedButton28, ui->SpeedButton13, ui->SpeedButton24, ui->SpeedButton19}) {
    help->setIcon(icons::HelpBook());
    connect(help, &QToolButton::clicked, this, &TMainForm::SpeedButton1Click);
  }

  // The slider name becomes a name in the page's script: only what the script can use is typed.
  ui->edt_pSliderName->setValidator(new QRegularExpressionValidator(
      QRegularExpression(QStringLiteral("^\\s*([A-Za-z_$][A-Za-z0-9_$]*)?\\s*$")),
      ui->edt_pSliderName));
  connect(ui->edt_pSliderName, &QLineEdit::textChanged, this, &TMainForm::CheckSliderName);
  connect(ui->edt_pSliderName, &QLineEdit::editingFinished, this, [this] {
    // An emptied name would leave the page without a script name: the last one comes back.
    if (ui->edt_pSliderName->text().trimmed().isEmpty() && !lastSliderName_.isEmpty())
      ui->edt_pSliderName->setText(lastSliderName_);
  });
}

void TMainForm::CheckSliderName() {
  const QString name = ui->edt_pSliderName->text().trimmed();
  sliderNameValid_ = kScriptName.match(name).hasMatch();
  if (sliderNameValid_) lastSliderName_ = name;
  ui->edt_pSliderName->setStyleSheet(sliderNameValid_ || name.isEmpty() ? QString()
                                                                        : QStringLiteral("color: red;"));
  ui->edt_pSliderName->setToolTip(sliderNameValid_ ? QString() : QString::fromUtf8(kNameRule));
}

void TMainForm::ShowSliderParameters() {
  const TAppletData d = model_->GetAppletData();
  ui->edt_pSliderName->setText(Q(d.pSliderName));
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
  ui->edtpInternalUse_RootDir_Local->setText(Q(d.pInternalUse_RootDir_Local));
  ui->edtpInternalUse_RootDir_Remote->setText(Q(d.pInternalUse_RootDir_Remote));
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

void TMainForm::StoreSliderParameters() {
  TAppletData d;
  const std::string name = Text(ui->edt_pSliderName);
  d.pSliderName = name;
  d.pCfgName = name + "cfg";
  d.pDivId = name + "_div";
  d.pWidth = std::to_string(ui->spnedt_pWidth->value());
  d.pHeight = std::to_string(ui->spedt_pHeight->value());
  d.pStep = std::to_string(ui->spnedt_pStep->value());
  d.pDelay = std::to_string(ui->spnedt_pDelay->value());
  d.pGap = std::to_string(ui->spnedt_pGap->value());
  d.pTrailerSpace = std::to_string(ui->spnedt_pTrailerSpace->value());
  d.pBgColor = ColorToHex(ToTColor(ui->pnl_pBgColor->Color()));
  d.pSpareCfgName = name + "cfg";
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
  model_->SetAppletData(d);
}

void TMainForm::ShowItemParameters(int index) {
  const TItemData item = model_->GetItemData(index);
  ui->edtOriginalImagePath->setText(Q(Trim(item.OriginalImagePath)));
  ui->cmbx_ILink->setEditText(Q(Trim(item.ILink)));
  ui->cmbx_ITarget->setEditText(Q(Trim(item.ITarget)));
  ui->edt_IToolTip->setText(Q(Trim(item.IToolTip)));
  // Show where long paths and addresses begin, not where they end.
  for (QLineEdit* edit : {ui->edtOriginalImagePath, ui->cmbx_ILink->lineEdit(),
                          ui->cmbx_ITarget->lineEdit(), ui->edt_IToolTip})
    edit->setCursorPosition(0);
}

void TMainForm::StoreItemParameters(int index) {
  if (index < 0 || index >= int(model_->Items.size())) return;
  TItemData item = model_->GetItemData(index);
  item.OriginalImagePath = Text(ui->edtOriginalImagePath);
  item.ILink = Text(ui->cmbx_ILink);
  item.ITarget = Text(ui->cmbx_ITarget);
  item.IToolTip = Text(ui->edt_IToolTip);
  model_->SetItemData(item, index);
}

void TMainForm::StorePanels() {
  StoreSliderParameters();
  if (EditedItemNode) StoreItemParameters(treeAdapter_->AbsoluteIndex(EditedItemNode) - 1);
}

void TMainForm::CheckSeparatorText(QWidget* control) {
  const QString separator = QString::fromStdString(model_->Separator);
  auto* edit = qobject_cast<QLineEdit*>(control);
  auto* list = qobject_cast<QComboBox*>(control);
  const QString text = edit ? edit->text() : list && list->isEditable() ? list->currentText() : QString();
  if (!text.contains(separator)) return;
  prompt::Message(this, TMessageKind::Warning,
                  QStringLiteral("The text can't include \"%1\", it is used by system!").arg(separator),
                  {TButton::Yes});
  if (edit) edit->clear();
  if (list) list->setEditText(QString());
}

QString TMainForm::PathToFileUrl(const QString& path) {
  // A path from the root of this system's file tree is already an address's path.
  if (path.startsWith('/')) return QStringLiteral("file://") + path;
  QString url = path;
  url.replace('\\', '/').replace(':', '|');
  return QStringLiteral("file:///") + url;
}

void TMainForm::ChooseColor(TColorPanel* panel) {
  if (const auto color = prompt::Color(this, panel->Color())) panel->SetColor(*color);
}

void TMainForm::pnlApBgClrClick() {
  if (auto* panel = qobject_cast<TColorPanel*>(sender())) ChooseColor(panel);
  MarkModified();
}

void TMainForm::spdbtnItURLClick() {
  RunCommand(this, [this] {
    ShowLinkTipIfWanted();
    const auto chosen = prompt::OpenFile(
        this, QStringLiteral("HTML files(*.htm;*.html)|*.htm;*.html|Any file (*.*)|*.*"), lastOpenFile_);
    if (!chosen) return;
    lastOpenFile_ = *chosen;
    ui->cmbx_ILink->setEditText(PathToFileUrl(QDir::toNativeSeparators(*chosen)));
    MarkModified();
  });
}

void TMainForm::spdbtnItemImageNormalClick() {
  RunCommand(this, [this] {
    const QString current = ui->edtOriginalImagePath->text().trimmed();
    const auto chosen = prompt::OpenPicture(
        this, QStringLiteral("All Image Files(*.jpg;*.jpeg)|*.jpg;*.jpeg"),
        current.isEmpty() ? QString() : QFileInfo(current).absolutePath());
    // Cancelling keeps the picture the item has.
    if (chosen && sender() == ui->spdbtnOriginalImagePath)
      ui->edtOriginalImagePath->setText(QDir::toNativeSeparators(*chosen));
  });
}

void TMainForm::SpeedButton1Click() {
  const int tag = sender() ? sender()->property("Tag").toInt() : 0;
  QString page = QStringLiteral("getting_started.htm");
  for (const THelpPage& p : kHelpPages)
    if (p.tag == tag) page = QString::fromLatin1(p.page);
  const QString path = programFolder_ + "help/" + page;
#ifdef Q_OS_WIN
  ShowHelpPage(QUrl::fromLocalFile(path));
#else
  ShowHelpPage(QUrl(PathToFileUrl(path)));
#endif
}
