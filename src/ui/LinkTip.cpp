#include "LinkTip.h"

#include "DialogFrame.h"
#include "ModelText.h"
#include "Prompts.h"
#include "Settings.h"
#include "ui_LinkTip.h"

TLinkTip::TLinkTip(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::TLinkTip>()) {
  ui_->setupUi(this);
  setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  frame::FixSize(this);
  frame::CentreOnScreen(this);
  connect(ui_->btnOK, &QPushButton::clicked, this, &TLinkTip::acceptTip);
  connect(ui_->chckbxDontShow, &QCheckBox::clicked, this, &TLinkTip::storeDontShow);
}

TLinkTip::~TLinkTip() = default;

bool TLinkTip::shouldShow() { return settings::Read(settings::kShowLinkTip); }

void TLinkTip::acceptTip() { accept(); }

void TLinkTip::storeDontShow() {
  const bool show = !ui_->chckbxDontShow->isChecked();
  try {
    settings::Write(settings::kShowLinkTip, show);
  } catch (const std::exception& error) {
    if (show) ShowError(this, modeltext::Shown(error));
  }
}
