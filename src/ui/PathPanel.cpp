#include "PathPanel.h"

#include "Document.h"
#include "ui_PathPanel.h"

TPathPanel::TPathPanel(QWidget* parent)
    : TSliderFieldsPanel(parent), ui_(std::make_unique<Ui::TPathPanel>()) {
  ui_->setupUi(this);
  for (const auto& [edit, field, step] :
       {std::tuple{ui_->edtpInternalUse_RootDir_Local, &TSliderData::localRoot,
                   QT_TR_NOOP("Edit Local Folder")},
        std::tuple{ui_->edtpInternalUse_RootDir_Remote, &TSliderData::remoteRoot,
                   QT_TR_NOOP("Edit Remote Folder")}})
    connect(edit, &QLineEdit::textChanged, this, [this, edit = edit, field = field, step = step] {
      if (!refuseText(edit)) storeField(field, TrimmedText(edit), tr(step), true);
    });
  connect(ui_->rdbtnpInternalUse_RootDir_Local_Checked, &QRadioButton::toggled, this,
          [this](bool local) {
            storeField(&TSliderData::localRootChecked, local ? "1" : "0",
                       tr("Choose Link Replacement"), false);
          });
  bindHelpButtons({ui_->SpeedButton28});
}

TPathPanel::~TPathPanel() = default;

void TPathPanel::showSlider() {
  const TQuiet quiet(quiet_);
  const TSliderData& d = document_->slider();
  ShowText(ui_->edtpInternalUse_RootDir_Local, d.localRoot);
  ShowText(ui_->edtpInternalUse_RootDir_Remote, d.remoteRoot);
  QRadioButton* local = ui_->rdbtnpInternalUse_RootDir_Local_Checked;
  QRadioButton* remote = ui_->rdbtnpInternalUse_RootDir_Local_Checked2;
  // Any other value than "1" or "0" leaves both off, which takes the exclusive rule away a moment.
  local->setAutoExclusive(false);
  remote->setAutoExclusive(false);
  local->setChecked(d.localRootChecked == "1");
  remote->setChecked(d.localRootChecked == "0");
  local->setAutoExclusive(true);
  remote->setAutoExclusive(true);
}

void TPathPanel::writeShown(TSliderData& d) const {
  d.localRoot = TrimmedText(ui_->edtpInternalUse_RootDir_Local);
  d.remoteRoot = TrimmedText(ui_->edtpInternalUse_RootDir_Remote);
  d.localRootChecked = ui_->rdbtnpInternalUse_RootDir_Local_Checked->isChecked() ? "1" : "0";
}
