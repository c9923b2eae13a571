#include "MessageBox_LinkTip.h"

#include "DialogFrame.h"
#include "Prompts.h"
#include "Settings.h"
#include "ui_MessageBox_LinkTip.h"

TfrmMsgBox_LinkTip::TfrmMsgBox_LinkTip(QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TfrmMsgBox_LinkTip>()) {
  ui_->setupUi(this);
  setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  frame::FixSize(this);
  frame::CentreOnScreen(this);
  connect(ui_->btnOK, &QPushButton::clicked, this, &TfrmMsgBox_LinkTip::btnOKClick);
  connect(ui_->chckbxDontShow, &QCheckBox::clicked, this, &TfrmMsgBox_LinkTip::chckbxDontShowClick);
}

TfrmMsgBox_LinkTip::~TfrmMsgBox_LinkTip() = default;

bool TfrmMsgBox_LinkTip::ShouldShow() { return settings::Read(settings::kShowLinkTip); }

void TfrmMsgBox_LinkTip::btnOKClick() { accept(); }

void TfrmMsgBox_LinkTip::chckbxDontShowClick() {
  const bool show = !ui_->chckbxDontShow->isChecked();
  try {
    settings::Write(settings::kShowLinkTip, show);
  } catch (const std::exception& error) {
    if (show) ShowError(this, QString::fromUtf8(error.what()));
  }
}
