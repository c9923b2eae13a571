// The File menu: New, Open, Save, Save As, Save As Template, the recent files and the open
// routine shared by the command line, the recent list and the template chooser.
//
// Unsaved work is never dropped without the user's word: when the save that a "Save changes to
// files?" prompt asks for is cancelled or fails, the command stops with the design untouched.
// A file that is refused or cannot be read never takes over: the design, its file name and the
// recent list stay as they were.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QMenu>

#include "Errors.h"
#include "FileUtil.h"
#include "MainForm.h"
#include "Prompts.h"
#include "RecentFiles.h"
#include "ScriptText.h"
#include "ui_MainForm.h"

namespace {
const QString kProjectFilter = QStringLiteral("Torvane Files (*.tvn)|*.tvn");

std::string U8(const QString& text) { return text.toStdString(); }

}  // namespace

QString TMainForm::RecentFilePath() const { return QString::fromStdString(state_.RecentFile()); }
QString TMainForm::TemplatesFolder() const {
  return QString::fromStdString(state_.templateFolders.front());
}

bool TMainForm::SaveChangesPrompt() {
  if (!document_->isModified()) return true;
  const TButton answer = prompt::Message(this, TMessageKind::Warning,
                                         QStringLiteral("Save changes to files?"),
                                         {TButton::Yes, TButton::No, TButton::Cancel});
  if (answer == TButton::Cancel) return false;
  if (answer == TButton::No) return true;
  QString path = document_->fileName();
  if (path.isEmpty()) {
    const auto chosen = AskSavePath();
    if (!chosen) return false;
    path = *chosen;
  }
  return SaveTo(path);
}

std::optional<QString> TMainForm::AskSavePath() {
  const QString proposal = !lastSaveFile_.isEmpty() ? lastSaveFile_ : saveInitialFolder_;
  const auto chosen = prompt::SaveFile(this, kProjectFilter, proposal);
  if (!chosen || chosen->trimmed().isEmpty()) return std::nullopt;
  lastSaveFile_ = *chosen;
  // The project file is named after the chosen name without its extension, plus ".tvn".
  const QFileInfo info(*chosen);
  const QString written =
      info.absolutePath() + '/' +
      QString::fromStdString(scripttext::PublishBaseName(info.fileName().toStdString())) + ".tvn";
  if (QFileInfo::exists(written) &&
      prompt::Message(this, TMessageKind::Warning,
                      QStringLiteral("%1 already exists.\nDo you want to replace it?")
                          .arg(QDir::toNativeSeparators(written)),
                      {TButton::Yes, TButton::No}) != TButton::Yes)
    return std::nullopt;
  return *chosen;
}

bool TMainForm::SaveTo(const QString& path) {
  return RunCommand(this, [&] { document_->save(path); });
}

void TMainForm::save() {
  if (!document_->fileName().isEmpty()) {
    SaveTo(document_->fileName());
    return;
  }
  if (const auto chosen = AskSavePath()) SaveTo(*chosen);
}

void TMainForm::saveAs() {
  if (const auto chosen = AskSavePath()) SaveTo(*chosen);
}

void TMainForm::saveAsTemplate() {
  QDir().mkdir(TemplatesFolder());  // one level; a failure shows in the dialog
  saveInitialFolder_ = TemplatesFolder();
  // The save dialog starts in the templates folder from now on.
  lastSaveFile_ = lastSaveFile_.isEmpty()
                      ? TemplatesFolder() + '/'
                      : TemplatesFolder() + '/' + QFileInfo(lastSaveFile_).fileName();
  saveAs();
}

void TMainForm::newProject() {
  RunCommand(this, [this] {
    if (!SaveChangesPrompt()) return;
    document_->agent().ClearPreview();
    document_->newDesign();
  });
}

void TMainForm::openProject() {
  RunCommand(this, [this] {
    if (!SaveChangesPrompt()) return;
    const auto chosen = prompt::OpenFile(this, kProjectFilter, lastOpenFile_);
    if (!chosen) return;  // the design and its preview stay
    lastOpenFile_ = *chosen;
    LoadDesign(*chosen);
  });
}

bool TMainForm::OpenProjectFile(const QString& path) {
  if (path.isEmpty()) return false;
  if (!SaveChangesPrompt()) return false;
  return LoadDesign(path);
}

// A file that is refused or cannot be read leaves the design, its file name, its undo steps and
// the recent list as they were.
bool TMainForm::LoadDesign(const QString& path) {
  if (document_->open(path) == TLoadResult::Rejected) return false;
  QString recentError;
  try {
    AddRecentFile(path);
  } catch (const std::exception& error) {
    recentError = QString::fromUtf8(error.what());
  }
  TqelAppletAgent& model = document_->agent();
  // The previous design's preview goes now that the new one has really arrived.
  model.ClearPreview();
  model.CopyResourceFiles(U8(QDir::toNativeSeparators(QFileInfo(path).absolutePath() + '/')));
  if (!recentError.isEmpty()) ShowError(this, recentError);
  return true;
}

// --- recent files ---
void TMainForm::LoadRecentFiles() {
  const auto entries = TRecentFiles(RecentFilePath()).entries();
  QMenu* menu = ui->mnitRecentFiles;
  const QList<QAction*> old = menu->actions();
  for (auto it = old.rbegin(); it != old.rend(); ++it) {
    menu->removeAction(*it);
    delete *it;
  }
  for (const TRecentFiles::TEntry& slot : entries) {
    // The path is kept apart from the caption, so an "&" in it is shown and opened as it is.
    auto* entry = menu->addAction(slot.accelerator + QString(slot.path).replace('&', "&&"));
    entry->setData(slot.path);
    connect(entry, &QAction::triggered, this, &TMainForm::openRecentFile);
  }
}

QStringList TMainForm::RecentEntries() const {
  QStringList paths;
  for (QAction* entry : ui->mnitRecentFiles->actions()) paths << entry->data().toString();
  return paths;
}

void TMainForm::AddRecentFile(const QString& path) {
  TRecentFiles(RecentFilePath()).add(path);
  LoadRecentFiles();
}

void TMainForm::openRecentFile() {
  auto* entry = qobject_cast<QAction*>(sender());
  if (!entry) return;
  const QString path = entry->data().toString();
  RunCommand(this, [&] { OpenProjectFile(path); });
}
