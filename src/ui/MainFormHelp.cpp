// The Option menu's switches kept as settings, the Help menu, the help window that the field
// help buttons open, and what the user is told when a browser or opener launch fails.
#include <QDir>
#include <QUrl>

#include "About.h"
#include "Document.h"
#include "HelpWindow.h"
#include "Launcher.h"
#include "LivePreview.h"
#include "MainForm.h"
#include "Prompts.h"
#include "Settings.h"
#include "images/ImageScaler.h"
#include "ui_MainForm.h"

// The Option menu's switches kept as settings: read at start-up, written whenever toggled.
void TMainForm::bindSettingSwitches() {
  using TApply = void (*)(TPublishOptions&, bool);
  const struct {
    QAction* action;
    const settings::TFlag& setting;
    TApply apply;
    bool changesOutput;  // the published files differ: the next Save has something to write
  } switches[] = {{ui_->PictureCache1, settings::kUsePictureCache,
                   [](TPublishOptions& options, bool on) { options.pictureCache = on; }, false},
                  {ui_->HiDpiPictures1, settings::kHiDpiPictures,
                   [](TPublishOptions& options, bool on) { options.doubleDensity = on; }, true},
                  {ui_->ModernFormats1, settings::kModernFormats,
                   [](TPublishOptions& options, bool on) {
                     options.modernFormats = on ? kWebpFormat | kAvifFormat : 0u;
                   },
                   true}};
  for (const auto& s : switches) {
    const bool on = settings::Read(s.setting);
    TPublishOptions initial = document_->publishOptions();
    s.apply(initial, on);
    document_->setPublishOptions(initial);
    s.action->setChecked(on);
    connect(s.action, &QAction::triggered, this,
            [this, apply = s.apply, &setting = s.setting, output = s.changesOutput](bool checked) {
              TPublishOptions options = document_->publishOptions();
              apply(options, checked);
              document_->setPublishOptions(options);
              if (output) document_->markOutputChanged();
              if (livePreview_) livePreview_->setOptions(livePageOptions());
              RunCommand(this, [&] { settings::Write(setting, checked); });
            });
  }
  // Pages get the minified runtime script unless the settings ask for its readable source.
  TPublishOptions options = document_->publishOptions();
  options.readableRuntime = settings::Read(settings::kReadableRuntime);
  document_->setPublishOptions(options);
}

// The Help menu opens the program's pages on the desktop, never in the help window.
void TMainForm::bindHelpMenu() {
  const auto open = [this](QAction* action, std::function<QString()> document) {
    connect(action, &QAction::triggered, this, [document] { Launcher().OpenDocument(document()); });
  };
  for (QAction* topics : {ui_->Topic1, ui_->tlbtnHelp})
    open(topics, [this] { return QDir::toNativeSeparators(programFolder_ + "help/index.html"); });
  open(ui_->ViewSample1,
       [this] { return QDir::toNativeSeparators(programFolder_ + "samples/index.html"); });
  open(ui_->Homepage1, [this] { return TAboutBox::homePage(programFolder_); });
  open(ui_->ContactUs1, [this] { return TAboutBox::supportPage(programFolder_); });
  connect(ui_->About1, &QAction::triggered, this, [this] {
    TAboutBox about(programFolder_, this);
    prompt::Exec(about);
  });
}

void TMainForm::showHelpPage(const QString& page) {
  helpWindow_->showPage(QUrl::fromLocalFile(programFolder_ + "help/" + page));
}

void TMainForm::showLaunchFailure(const TLaunchFailure& failure) {
  const QString program = QDir::toNativeSeparators(failure.program);
  const QString what =
      failure.exitStatus >= 0
          ? tr("\"%1\" ended at once with exit status %2").arg(program).arg(failure.exitStatus)
          : tr("\"%1\" could not be started (%2)").arg(program, failure.problem);
  prompt::Message(this, TMessageKind::Error,
                  tr("%1, so %2 was not opened.\n\nCheck the desktop's default web browser, or "
                     "choose another browser with Option > Web Browser.")
                      .arg(what, QDir::toNativeSeparators(failure.target)),
                  {TButton::Ok});
}
