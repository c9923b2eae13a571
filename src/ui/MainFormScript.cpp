// The Script menu (Build HTML, Preview, Publish), the Option menu, the Help menu and the windows
// they open. Scratch files (the built page, the preview page, the report) are written into a
// private temporary folder (inside this running program's own work folder when it has a private
// one), never into the working or the program's folder, so they can neither
// replace a user's file of the same name nor fail in a folder we may not write.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

#include "About.h"
#include "Errors.h"
#include "FileUtil.h"
#include "HTMLBuild.h"
#include "HelpWindow.h"
#include "Launcher.h"
#include "MainForm.h"
#include "MessageBox_LinkTip.h"
#include "Prompts.h"
#include "Settings.h"
#include "PublishReport.h"
#include "Templet.h"
#include "WebBrowser.h"
#include "ui_MainForm.h"

namespace {



// A private folder for one command's scratch files, removed when the command ends.
QString ScratchFolder(QTemporaryDir& dir) {
  if (!dir.isValid())
    throw TvFileError("Cannot create a temporary folder: " + dir.errorString().toStdString());
  return QDir::toNativeSeparators(dir.path() + '/');
}
}  // namespace

void TMainForm::CreateLongLivedWindows() {
  codeWindow_ = new TformHTML(this);
  helpWindow_ = new TfrmHelp(this);
}

void TMainForm::BuildHTMLCode() {
  if (treeAdapter_->NodeCount() < 2) {
    prompt::Message(this, TMessageKind::Error,
                    QStringLiteral("No item to build. Please add item to left pane and try again."),
                    {TButton::Ok});
    return;
  }
  StorePanels();
  QTemporaryDir scratch(ScratchTemplate());
  const std::string page = ScratchFolder(scratch).toStdString() + "~tmp0001.txt";
  model_->MakeHTMLCodes(page, *treeAdapter_);
  QStringList lines;
  for (const std::string& line : fileutil::ReadTextLines(page)) lines << QString::fromStdString(line);
  codeWindow_->SetLines(lines);
}

void TMainForm::BuildHTML1Click() {
  RunCommand(this, [this] {
    BuildHTMLCode();
    prompt::Exec(*codeWindow_);
  });
}

void TMainForm::Preview1Click() {
  RunCommand(this, [this] {
    BuildHTMLCode();
    model_->CopyScriptFilesToPreview(model_->WorkFolder());
    QTemporaryDir scratch(ScratchTemplate());
    const std::string page = ScratchFolder(scratch).toStdString() + "~preview.html";
    std::vector<std::string> lines;
    for (const QString& line : codeWindow_->Lines()) lines.push_back(line.toStdString());
    fileutil::WriteTextLines(page, lines);
    model_->AddToPreview(page);
    TformWebBrowser browser(this);
    browser.OpenPage(QString::fromStdString(model_->PreviewFolder()), QStringLiteral("~preview.html"));
  });
}

void TMainForm::Publish1Click() {
  RunCommand(this, [this] {
    StorePanels();
    QTemporaryDir scratch(ScratchTemplate());
    const QString folder = ScratchFolder(scratch);
    model_->MakePublishReport(folder.toStdString(), "PublishReport.txt");
    model_->AddToPreview(folder.toStdString() + "PublishReport.txt");
    TfrmPublishReport report(this);
    report.LoadReport(QString::fromStdString(model_->PreviewFolder()) + "PublishReport.txt");
    prompt::Exec(report);
  });
}

void TMainForm::WebBrowser1Click() {
  RunCommand(this, [this] {
    TformWebBrowser browser(this);
    prompt::Exec(browser);
  });
}

void TMainForm::PictureCache1Click() {
  const bool keep = ui->PictureCache1->isChecked();
  model_->PictureCacheEnabled = keep;
  RunCommand(this, [&] { settings::Write(settings::kUsePictureCache, keep); });
}

void TMainForm::Templet1Click() {
  RunCommand(this, [this] {
    TfrmTemplet chooser(TemplateFolders(), this);
    connect(&chooser, &TfrmTemplet::OpenProjectRequested, this,
            [this](const QString& path) { RunCommand(this, [&] { OpenProjectFile(path); }); });
    connect(&chooser, &TfrmTemplet::NewProjectRequested, this, &TMainForm::New1Click);
    prompt::Exec(chooser);
  });
}

QStringList TMainForm::TemplateFolders() const {
  QStringList folders;
  for (const std::string& folder : state_.templateFolders) folders << QString::fromStdString(folder);
  return folders;
}

QString TMainForm::ScratchTemplate() const {
  // Inside this program's private work folder when it has one, else the temporary folder.
  const QString base = instance_ && instance_->IsPrivate()
                           ? QString::fromStdString(instance_->Path())
                           : QDir::tempPath() + '/';
  return base + QStringLiteral("scratch-XXXXXX");
}

void TMainForm::ShowLinkTipIfWanted() {
  if (!TfrmMsgBox_LinkTip::ShouldShow()) return;
  TfrmMsgBox_LinkTip tip(this);
  prompt::Exec(tip);
}

void TMainForm::ShowHelpPage(const QUrl& address) { helpWindow_->ShowHelpPage(address); }

void TMainForm::Topic1Click() {
  Launcher().OpenDocument(QDir::toNativeSeparators(programFolder_ + "help/index.html"));
}

void TMainForm::ViewSample1Click() {
  Launcher().OpenDocument(QDir::toNativeSeparators(programFolder_ + "samples/index.html"));
}

void TMainForm::Homepage1Click() { Launcher().OpenDocument(TformAbout::kHomePage); }
void TMainForm::ContactUs1Click() { Launcher().OpenDocument(TformAbout::kSupportPage); }

void TMainForm::About1Click() {
  TformAbout about(this);
  prompt::Exec(about);
}
