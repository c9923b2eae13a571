#include "ScriptCommands.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

#include "BackgroundWork.h"
#include "BrowserChooser.h"
#include "CodeWindow.h"
#include "Document.h"
#include "Errors.h"
#include "ModelText.h"
#include "Prompts.h"
#include "PublishReport.h"
#include "ScriptText.h"

TScriptCommands::TScriptCommands(TDocument& document, TBackgroundWork& work, TParts parts,
                                 QObject* parent)
    : QObject(parent), document_(document), work_(work), parts_(std::move(parts)) {
  codeWindow_ = new TCodeWindow(parts_.window);
  connect(codeWindow_, &TCodeWindow::embedCodeRequested, this, &TScriptCommands::copyEmbedCode);
}

bool TScriptCommands::runWriter(const TExporter& writer, TExportResult* result) {
  bool finished = false;
  try {
    finished = work_.run(writer, result);
  } catch (...) {
    parts_.showPictureStatus();  // a failed build still tells which pictures it did not find
    throw;
  }
  parts_.showPictureStatus();
  return finished;
}

namespace {
QStringList Lines(const std::vector<std::string>& lines) {
  QStringList text;
  text.reserve(qsizetype(lines.size()));
  for (const std::string& line : lines) text << QString::fromStdString(line);
  return text;
}

bool ItemsToBuild(QWidget* window, const TDocument& document) {
  if (document.itemCount() > 0) return true;
  prompt::Message(window, TMessageKind::Error,
                  QStringLiteral("No item to build. Please add item to left pane and try again."),
                  {TButton::Ok});
  return false;
}
}  // namespace

bool TScriptCommands::buildHtmlCode() {
  if (!ItemsToBuild(parts_.window, document_)) return true;
  TExportResult built;
  if (!runWriter(TPageCodeExporter(), &built)) return false;
  codeWindow_->setLines(Lines(built.lines));
  return true;
}

void TScriptCommands::buildHtml() {
  RunCommand(parts_.window, [this] {
    if (buildHtmlCode()) prompt::Exec(*codeWindow_);
  });
}

void TScriptCommands::copyEmbedCode() {
  RunCommand(parts_.window, [this] {
    TExportResult embed;
    TEmbedCodeExporter().run(document_.design(), document_.runContext(), embed);
    QGuiApplication::clipboard()->setText(Lines(embed.lines).join('\n') + '\n');
    work_.SetStatus(
        tr("Embed code copied: paste it into your page, and put the files Save writes beside it.")
            .toStdString());
  });
}

void TScriptCommands::preview() {
  RunCommand(parts_.window, [this] {
    // Without items the page built last is shown again (none before the first build).
    std::optional<std::vector<std::string>> page;
    if (!ItemsToBuild(parts_.window, document_)) {
      page.emplace();
      for (const QString& line : codeWindow_->lines()) page->push_back(line.toStdString());
    }
    TExportResult previewed;
    if (!runWriter(TPreviewExporter("~preview.html", page), &previewed)) return;
    if (!page) codeWindow_->setLines(Lines(previewed.lines));
    TBrowserChooser browser(parts_.window);
    browser.openPage(QString::fromStdString(document_.previewFolder()),
                     QStringLiteral("~preview.html"));
  });
}

void TScriptCommands::showPublishReport() {
  RunCommand(parts_.window, [this] {
    TExportResult made;
    if (!work_.run(TReportExporter("PublishReport.txt"), &made)) return;
    TPublishReportWindow report(parts_.window);
    report.loadReport(QString::fromStdString(made.files.at(0)));
    if (const auto& last = document_.lastPublish(); last.published)
      report.showChanges(modeltext::Shown(PublishChangesText(last)));
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
