// The Script menu (Build HTML, Preview, Publish), the Option menu, the Help menu and the windows
// they open. Scratch files (the built page, the preview page, the report) are written into a
// private temporary folder (inside this running program's own work folder when it has a private
// one), never into the working or the program's folder, so they can neither
// replace a user's file of the same name nor fail in a folder we may not write.
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QUrl>

#include "About.h"
#include "Errors.h"
#include "FileUtil.h"
#include "HTMLBuild.h"
#include "HelpWindow.h"
#include "Launcher.h"
#include "LivePreview.h"
#include "MainForm.h"
#include "MessageBox_LinkTip.h"
#include "Prompts.h"
#include "PublishReport.h"
#include "ScriptText.h"
#include "Settings.h"
#include "Templet.h"
#include "WebBrowser.h"
#include "images/ImageScaler.h"
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
  connect(codeWindow_, &TformHTML::embedCodeRequested, this, &TMainForm::copyEmbedCode);
  helpWindow_ = new TfrmHelp(this);
}

bool TMainForm::BuildHTMLCode(const PageWork& then) {
  const bool build = document_->itemCount() > 0;
  if (!build) {
    prompt::Message(this, TMessageKind::Error,
                    QStringLiteral("No item to build. Please add item to left pane and try again."),
                    {TButton::Ok});
    if (!then) return true;
  }
  // Without items the work goes on with the page of the previous build.
  auto lines = std::make_shared<std::vector<std::string>>();
  for (const QString& line : codeWindow_->Lines()) lines->push_back(line.toStdString());
  QTemporaryDir scratch(ScratchTemplate());
  const std::string page = ScratchFolder(scratch).toStdString() + "~tmp0001.txt";
  bool finished = false;
  try {
    finished =
        RunInBackground([build, page, lines, then](TqelAppletAgent& model, IDesignTree& tree) {
          if (build) {
            model.MakeHTMLCodes(page, tree);
            *lines = fileutil::ReadTextLines(page);
          }
          if (then) then(model, *lines);
        });
  } catch (...) {
    ShowPictureStatus();  // a failed build still tells which pictures it did not find
    throw;
  }
  ShowPictureStatus();
  if (!finished) return false;
  if (build) {
    QStringList text;
    for (const std::string& line : *lines) text << QString::fromStdString(line);
    codeWindow_->SetLines(text);
  }
  return true;
}

void TMainForm::buildHtml() {
  RunCommand(this, [this] {
    if (BuildHTMLCode()) prompt::Exec(*codeWindow_);
  });
}

void TMainForm::copyEmbedCode() {
  RunCommand(this, [this] {
    QStringList lines;
    for (const std::string& line : document_->agent().EmbedCode())
      lines << QString::fromStdString(line);
    QGuiApplication::clipboard()->setText(lines.join('\n') + '\n');
    SetStatus(
        "Embed code copied: paste it into your page, and put the files Save writes beside it.");
  });
}

void TMainForm::preview() {
  RunCommand(this, [this] {
    QTemporaryDir scratch(ScratchTemplate());
    const std::string page = ScratchFolder(scratch).toStdString() + "~preview.html";
    // The preview folder is filled on the worker too: the script files, then the page.
    if (!BuildHTMLCode([page](TqelAppletAgent& model, const std::vector<std::string>& lines) {
          model.CopyScriptFilesToPreview(model.WorkFolder());
          fileutil::WriteTextLines(page, lines);
          model.AddToPreview(page);
        }))
      return;
    TformWebBrowser browser(this);
    browser.OpenPage(QString::fromStdString(document_->agent().PreviewFolder()),
                     QStringLiteral("~preview.html"));
  });
}

void TMainForm::showPublishReport() {
  RunCommand(this, [this] {
    QTemporaryDir scratch(ScratchTemplate());
    const std::string folder = ScratchFolder(scratch).toStdString();
    if (!RunInBackground([folder](TqelAppletAgent& model, IDesignTree&) {
          model.MakePublishReport(folder, "PublishReport.txt");
          model.AddToPreview(folder + "PublishReport.txt");
        }))
      return;
    TfrmPublishReport report(this);
    report.LoadReport(QString::fromStdString(document_->agent().PreviewFolder()) +
                      "PublishReport.txt");
    if (const auto& last = document_->agent().LastPublish; last.published)
      report.ShowChanges(QString::fromStdString(TqelAppletAgent::PublishChangesText(last)));
    // A saved project has its page beside it: the report leads there.
    const QFileInfo project(document_->fileName());
    const QString page =
        project.absolutePath() + '/' +
        QString::fromStdString(scripttext::PublishBaseName(project.fileName().toStdString())) +
        QStringLiteral(".html");
    if (!document_->fileName().isEmpty() && QFileInfo(page).isFile()) {
      report.OfferPublishedPage(page);
      connect(&report, &TfrmPublishReport::viewRequested, this, [this](const QString& shown) {
        RunCommand(this, [this, shown] {
          TformWebBrowser browser(this);
          browser.OpenPage(QFileInfo(shown).absolutePath() + '/', QFileInfo(shown).fileName());
        });
      });
    }
    prompt::Exec(report);
  });
}

void TMainForm::chooseWebBrowser() {
  RunCommand(this, [this] {
    TformWebBrowser browser(this);
    prompt::Exec(browser);
  });
}

// The Option menu's switches kept as settings: read at start-up, written whenever toggled.
void TMainForm::BindSettingSwitches() {
  using TApply = void (*)(TqelAppletAgent&, bool);
  const struct {
    QAction* action;
    const settings::TFlag& setting;
    TApply apply;
    bool changesPublishedFiles;  // the next Save writes other files: it is offered at once
  } switches[] = {{ui->PictureCache1, settings::kUsePictureCache,
                   [](TqelAppletAgent& model, bool on) { model.PictureCacheEnabled = on; }, false},
                  {ui->HiDpiPictures1, settings::kHiDpiPictures,
                   [](TqelAppletAgent& model, bool on) { model.DoubleDensityPictures = on; }, true},
                  {ui->ModernFormats1, settings::kModernFormats,
                   [](TqelAppletAgent& model, bool on) {
                     model.ModernFormats = on ? kWebpFormat | kAvifFormat : 0u;
                   },
                   true}};
  for (const auto& s : switches) {
    const bool on = settings::Read(s.setting);
    s.apply(document_->agent(), on);
    s.action->setChecked(on);
    connect(s.action, &QAction::triggered, this,
            [this, apply = s.apply, &setting = s.setting,
             offerSave = s.changesPublishedFiles](bool checked) {
              apply(document_->agent(), checked);
              if (livePreview_) livePreview_->SetOptions(LivePageOptions());
              if (offerSave) {
                for (QAction* a : {ui->Save1, ui->tlbtnSave}) a->setEnabled(true);
              }
              RunCommand(this, [&] { settings::Write(setting, checked); });
            });
  }
  // Pages get the minified runtime script unless the settings ask for its readable source.
  document_->agent().ReadableRuntime = settings::Read(settings::kReadableRuntime);
}

void TMainForm::chooseTemplate() {
  RunCommand(this, [this] {
    TfrmTemplet chooser(TemplateFolders(), this);
    connect(&chooser, &TfrmTemplet::OpenProjectRequested, this,
            [this](const QString& path) { RunCommand(this, [&] { OpenProjectFile(path); }); });
    connect(&chooser, &TfrmTemplet::NewProjectRequested, this, &TMainForm::newProject);
    prompt::Exec(chooser);
  });
}

QStringList TMainForm::TemplateFolders() const {
  QStringList folders;
  for (const std::string& folder : state_.templateFolders)
    folders << QString::fromStdString(folder);
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

void TMainForm::showHelpTopics() {
  Launcher().OpenDocument(QDir::toNativeSeparators(programFolder_ + "help/index.html"));
}

void TMainForm::viewSample() {
  Launcher().OpenDocument(QDir::toNativeSeparators(programFolder_ + "samples/index.html"));
}

void TMainForm::openHomepage() { Launcher().OpenDocument(TformAbout::HomePage(programFolder_)); }
void TMainForm::contactUs() { Launcher().OpenDocument(TformAbout::SupportPage(programFolder_)); }

void TMainForm::showAbout() {
  TformAbout about(programFolder_, this);
  prompt::Exec(about);
}
