#include "ScriptCommands.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

#include "BackgroundWork.h"
#include "BrowserChooser.h"
#include "CodeWindow.h"
#include "Document.h"
#include "Errors.h"
#include "FileUtil.h"
#include "ModelText.h"
#include "Prompts.h"
#include "PublishReport.h"
#include "ScriptText.h"

namespace {
// A private folder for one command's scratch files, removed when the command ends.
QString ScratchFolder(QTemporaryDir& dir) {
  if (!dir.isValid())
    throw TvFileError(TScriptCommands::tr("Cannot create a temporary folder: %1")
                          .arg(dir.errorString())
                          .toStdString());
  return QDir::toNativeSeparators(dir.path() + '/');
}
}  // namespace

TScriptCommands::TScriptCommands(TDocument& document, TBackgroundWork& work, TParts parts,
                                 QObject* parent)
    : QObject(parent), document_(document), work_(work), parts_(std::move(parts)) {
  codeWindow_ = new TCodeWindow(parts_.window);
  connect(codeWindow_, &TCodeWindow::embedCodeRequested, this, &TScriptCommands::copyEmbedCode);
}

QString TScriptCommands::scratchTemplate() const {
  return parts_.scratchFolder + QStringLiteral("scratch-XXXXXX");
}

bool TScriptCommands::buildHtmlCode(const PageWork& then) {
  const bool build = document_.itemCount() > 0;
  if (!build) {
    prompt::Message(parts_.window, TMessageKind::Error,
                    QStringLiteral("No item to build. Please add item to left pane and try again."),
                    {TButton::Ok});
    if (!then) return true;
  }
  // Without items the work goes on with the page of the previous build.
  auto lines = std::make_shared<std::vector<std::string>>();
  for (const QString& line : codeWindow_->lines()) lines->push_back(line.toStdString());
  QTemporaryDir scratch(scratchTemplate());
  const std::string page = ScratchFolder(scratch).toStdString() + "~tmp0001.txt";
  bool finished = false;
  try {
    finished = work_.run([build, page, lines, then](TProjectModel& model, IDesignTree& tree) {
      if (build) {
        model.MakeHTMLCodes(page, tree);
        *lines = fileutil::ReadTextLines(page);
      }
      if (then) then(model, *lines);
    });
  } catch (...) {
    parts_.showPictureStatus();  // a failed build still tells which pictures it did not find
    throw;
  }
  parts_.showPictureStatus();
  if (!finished) return false;
  if (build) {
    QStringList text;
    for (const std::string& line : *lines) text << QString::fromStdString(line);
    codeWindow_->setLines(text);
  }
  return true;
}

void TScriptCommands::buildHtml() {
  RunCommand(parts_.window, [this] {
    if (buildHtmlCode()) prompt::Exec(*codeWindow_);
  });
}

void TScriptCommands::copyEmbedCode() {
  RunCommand(parts_.window, [this] {
    QStringList lines;
    for (const std::string& line : document_.agent().EmbedCode())
      lines << QString::fromStdString(line);
    QGuiApplication::clipboard()->setText(lines.join('\n') + '\n');
    work_.SetStatus(
        tr("Embed code copied: paste it into your page, and put the files Save writes beside it.")
            .toStdString());
  });
}

void TScriptCommands::preview() {
  RunCommand(parts_.window, [this] {
    QTemporaryDir scratch(scratchTemplate());
    const std::string page = ScratchFolder(scratch).toStdString() + "~preview.html";
    // The preview folder is filled on the worker too: the script files, then the page.
    if (!buildHtmlCode([page](TProjectModel& model, const std::vector<std::string>& lines) {
          model.CopyScriptFilesToPreview(model.WorkFolder());
          fileutil::WriteTextLines(page, lines);
          model.AddToPreview(page);
        }))
      return;
    TBrowserChooser browser(parts_.window);
    browser.openPage(QString::fromStdString(document_.agent().PreviewFolder()),
                     QStringLiteral("~preview.html"));
  });
}

void TScriptCommands::showPublishReport() {
  RunCommand(parts_.window, [this] {
    QTemporaryDir scratch(scratchTemplate());
    const std::string folder = ScratchFolder(scratch).toStdString();
    if (!work_.run([folder](TProjectModel& model, IDesignTree&) {
          model.MakePublishReport(folder, "PublishReport.txt");
          model.AddToPreview(folder + "PublishReport.txt");
        }))
      return;
    TPublishReportWindow report(parts_.window);
    report.loadReport(QString::fromStdString(document_.agent().PreviewFolder()) +
                      "PublishReport.txt");
    if (const auto& last = document_.agent().LastPublish; last.published)
      report.showChanges(modeltext::Shown(TProjectModel::PublishChangesText(last)));
    // A saved project has its page beside it: the report leads there.
    const QFileInfo project(document_.fileName());
    const QString page =
        project.absolutePath() + '/' +
        QString::fromStdString(scripttext::PublishBaseName(project.fileName().toStdString())) +
        QStringLiteral(".html");
    if (!document_.fileName().isEmpty() && QFileInfo(page).isFile()) {
      report.offerPublishedPage(page);
      connect(&report, &TPublishReportWindow::viewRequested, this, [this](const QString& shown) {
        RunCommand(parts_.window, [this, shown] {
          TBrowserChooser browser(parts_.window);
          browser.openPage(QFileInfo(shown).absolutePath() + '/', QFileInfo(shown).fileName());
        });
      });
    }
    prompt::Exec(report);
  });
}

void TScriptCommands::chooseWebBrowser() {
  RunCommand(parts_.window, [this] {
    TBrowserChooser browser(parts_.window);
    prompt::Exec(browser);
  });
}
