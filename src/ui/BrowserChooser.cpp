#include "BrowserChooser.h"

#include <QButtonGroup>
#include <QDir>
#include <QStyle>

#include "BrowserDetect.h"
#include "DialogFrame.h"
#include "Errors.h"
#include "Launcher.h"
#include "Prompts.h"
#include "Settings.h"
#include "ui_BrowserChooser.h"

namespace {
const QString kUseDefault = QStringLiteral("UseDefaultBrowser");
const QString kUseKnown = QStringLiteral("UseKnownBrowser");
const QString kUseSpecified = QStringLiteral("UseSpecifiedBrowser");
const QString kSelectedNumber = QStringLiteral("SelectedBrowserNumber");
const QString kExePath = QStringLiteral("SpecifiedBrowserExePath");

}  // namespace

TBrowserChooser::TBrowserChooser(QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TBrowserChooser>()) {
  ui_->setupUi(this);
  // A fixed dialog without caption-bar buttons; Esc is Cancel (QDialog's own rule).
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  ui_->bitbtnOk->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
  ui_->bitbtnCancel->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
  choice_ = new QButtonGroup(this);
  choice_->addButton(ui_->RadioButtonBrowserDefault);
  choice_->addButton(ui_->RadioButtonBrowserKnownInSystem);
  choice_->addButton(ui_->RadioButtonBrowserUserSpecify);
  frame::FixSize(this);
  frame::CentreOnScreen(this);

  connect(ui_->bitbtnOk, &QPushButton::clicked, this, &TBrowserChooser::acceptChoice);
  connect(ui_->bitbtnCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(ui_->spdbtnOpenExeFile, &QToolButton::clicked, this, &TBrowserChooser::chooseProgram);
  // Only the user's choice counts, not the entry selected while loading.
  connect(ui_->ComboBoxBrowserList, &QComboBox::activated, this,
          &TBrowserChooser::chooseListedBrowser);
  connect(ui_->RadioButtonBrowserKnownInSystem, &QRadioButton::clicked, this,
          &TBrowserChooser::checkListedBrowsers);
  findBrowsers();
}

TBrowserChooser::~TBrowserChooser() = default;

void TBrowserChooser::findBrowsers() {
  browserList_ = browsers::DetectBrowsers();
  ui_->ComboBoxBrowserList->clear();
  for (const auto& browser : browserList_) ui_->ComboBoxBrowserList->addItem(browser.name);
  ui_->ComboBoxBrowserList->setCurrentIndex(-1);
  loadChoice();
}

// Sets or clears one radio button; clearing the checked one leaves none checked.
void TBrowserChooser::setRadio(QRadioButton* button, bool on) {
  if (on) {
    button->setChecked(true);
    return;
  }
  choice_->setExclusive(false);
  button->setChecked(false);
  choice_->setExclusive(true);
}

void TBrowserChooser::loadChoice() {
  if (!settings::KeyExists(settings::kBrowsersKey)) return;
  // The first value that is missing or not of its type ends the loading; what was set so far
  // stays, the rest keep the form's state. A store that cannot be read ends it too.
  try {
    const auto flag = [](const QString& name) -> std::optional<bool> {
      const auto value = settings::Read(settings::kBrowsersKey, name);
      return value ? settings::ToFlag(*value) : std::nullopt;
    };
    const auto useDefault = flag(kUseDefault);
    if (!useDefault) return;
    setRadio(ui_->RadioButtonBrowserDefault, *useDefault);
    const auto useKnown = flag(kUseKnown);
    if (!useKnown) return;
    setRadio(ui_->RadioButtonBrowserKnownInSystem, *useKnown);
    // Setting it follows the rule of a click: with an empty list the default browser is used.
    if (*useKnown) checkListedBrowsers();
    const auto useSpecified = flag(kUseSpecified);
    if (!useSpecified) return;
    setRadio(ui_->RadioButtonBrowserUserSpecify, *useSpecified);

    const auto numberValue = settings::Read(settings::kBrowsersKey, kSelectedNumber);
    const auto number = numberValue ? settings::ToInt(*numberValue) : std::nullopt;
    if (!number) return;
    // A number beyond a list that has since shrunk selects the first entry.
    const int count = ui_->ComboBoxBrowserList->count();
    if (*number < count)
      ui_->ComboBoxBrowserList->setCurrentIndex(*number < 0 ? -1 : *number);
    else if (count > 0)
      ui_->ComboBoxBrowserList->setCurrentIndex(0);

    const auto path = settings::Read(settings::kBrowsersKey, kExePath);
    if (!path) return;
    ui_->editSpecifiedBrowserFileName->setText(path->toString());
  } catch (const std::exception&) {
    // An unreadable store leaves the defaults.
  }
}

void TBrowserChooser::storeChoice() {
  try {
    settings::WriteFlag(settings::kBrowsersKey, kUseDefault,
                        ui_->RadioButtonBrowserDefault->isChecked());
    settings::WriteFlag(settings::kBrowsersKey, kUseKnown,
                        ui_->RadioButtonBrowserKnownInSystem->isChecked());
    settings::WriteFlag(settings::kBrowsersKey, kUseSpecified,
                        ui_->RadioButtonBrowserUserSpecify->isChecked());
    settings::WriteValue(settings::kBrowsersKey, kSelectedNumber,
                         ui_->ComboBoxBrowserList->currentIndex());
    settings::WriteValue(settings::kBrowsersKey, kExePath,
                         ui_->editSpecifiedBrowserFileName->text());
  } catch (const std::exception&) {
    // The choice then holds for this dialog only.
  }
}

void TBrowserChooser::acceptChoice() {
  storeChoice();
  accept();
}

void TBrowserChooser::chooseProgram() {
  const auto path =
      // Programs here have no extension: any file may be one.
      prompt::OpenFile(this, tr("Programs (*)|*"), ui_->editSpecifiedBrowserFileName->text());
  if (path) ui_->editSpecifiedBrowserFileName->setText(*path);
}

void TBrowserChooser::chooseListedBrowser() {
  ui_->RadioButtonBrowserKnownInSystem->setChecked(true);
}

void TBrowserChooser::checkListedBrowsers() {
  if (ui_->ComboBoxBrowserList->count() == 0) ui_->RadioButtonBrowserDefault->setChecked(true);
}

void TBrowserChooser::openPage(const QString& folder, const QString& fileName) {
  const QString page = folder + fileName;
  // A browser that is gone or cannot be run says so, rather than leaving the preview unseen.
  const auto start = [&page](const QString& program) {
    if (const QString problem = browsers::ProgramProblem(program); !problem.isEmpty())
      throw TvError(tr("The web browser \"%1\" %2, so the preview could not be shown. "
                       "Choose another browser with Option > Web Browser.")
                        .arg(QDir::toNativeSeparators(program), problem)
                        .toStdString());
    Launcher().StartProgram(program, page);
  };
  if (ui_->RadioButtonBrowserDefault->isChecked()) {
    Launcher().OpenDocument(page);
  } else if (ui_->RadioButtonBrowserUserSpecify->isChecked()) {
    start(ui_->editSpecifiedBrowserFileName->text());
  } else if (ui_->RadioButtonBrowserKnownInSystem->isChecked()) {
    const int index = ui_->ComboBoxBrowserList->currentIndex();
    // A known browser with none picked (a stored -1) opens the default browser rather than
    // nothing.
    if (index >= 0 && index < browserList_.size())
      start(browserList_[index].path);
    else
      Launcher().OpenDocument(page);
  }
}
