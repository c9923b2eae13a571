#include "PathPanel.h"

#include "Document.h"
#include "ui_PathPanel.h"

TPathPanel::TPathPanel(QWidget* parent)
    : TSliderFieldsPanel(parent), ui_(std::make_unique<Ui::TPathPanel>()) {
  ui_->setupUi(this);
  for (const auto& [edit, field, step] :
       {std::tuple{ui_->edtpInternalUse_RootDir_Local, &TAppletData::pInternalUse_RootDir_Local,
                   QT_TR_NOOP("Edit Local Folder")},
        std::tuple{ui_->edtpInternalUse_RootDir_Remote, &TAppletData::pInternalUse_RootDir_Remote,
                   QT_TR_NOOP("Edit Remote Folder")}})
    connect(edit, &QLineEdit::textChanged, this, [this, edit = edit, field = field, step = step] {
      if (!refuseText(edit)) storeField(field, TrimmedText(edit), tr(step), true);
    });
  connect(ui_->rdbtnpInternalUse_RootDir_Local_Checked, &QRadioButton::toggled, this,
          [this](bool local) {
            storeField(&TAppletData::pInternalUse_RootDir_Local_Checked, local ? "1" : "0",
                       tr("Choose Link Replacement"), false);
          });
  bindHelpButtons({ui_->SpeedButton28});
}

TPathPanel::~TPathPanel() = default;

void TPathPanel::showSlider() {
  const TQuiet quiet(quiet_);
  const TAppletData& d = document_->slider();
  ShowText(ui_->edtpInternalUse_RootDir_Local, d.pInternalUse_RootDir_Local);
  ShowText(ui_->edtpInternalUse_RootDir_Remote, d.pInternalUse_RootDir_Remote);
  QRadioButton* local = ui_->rdbtnpInternalUse_RootDir_Local_Checked;
  QRadioButton* remote = ui_->rdbtnpInternalUse_RootDir_Local_Checked2;
  // Any other value than "1" or "0" leaves both off, which takes the exclusive rule away a moment.
  local->setAutoExclusive(false);
  remote->setAutoExclusive(false);
  local->setChecked(d.pInternalUse_RootDir_Local_Checked == "1");
  remote->setChecked(d.pInternalUse_RootDir_Local_Checked == "0");
  local->setAutoExclusive(true);
  remote->setAutoExclusive(true);
}

void TPathPanel::writeShown(TAppletData& d) const {
  d.pInternalUse_RootDir_Local = TrimmedText(ui_->edtpInternalUse_RootDir_Local);
  d.pInternalUse_RootDir_Remote = TrimmedText(ui_->edtpInternalUse_RootDir_Remote);
  d.pInternalUse_RootDir_Local_Checked =
      ui_->rdbtnpInternalUse_RootDir_Local_Checked->isChecked() ? "1" : "0";
}
