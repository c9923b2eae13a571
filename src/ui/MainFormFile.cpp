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
#include <QStandardPaths>

#include "Errors.h"
#include "FileUtil.h"
#include "MainForm.h"
#include "Places.h"
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
  const TButton answer =
      prompt::Message(this, TMessageKind::Warning, QStringLiteral("Save changes to files?"),
                      {TButton::Yes, TButton::No, TButton::Cancel});
  if (answer == TButton::Cancel) return false;
  if (answer == TButton::No) return true;
  QString path = SaveTarget();
  if (path.isEmpty()) {
    const auto chosen = AskSavePath();
    if (!chosen) return false;
    path = *chosen;
  }
  return SaveTo(path);
}

std::optional<QString> TMainForm::AskSavePath() {
  for (;;) {
    const QString proposal = !templateProposal_.isEmpty() ? templateProposal_
                             : !lastSaveFile_.isEmpty()   ? lastSaveFile_
                                                          : saveInitialFolder_;
    const auto chosen = prompt::SaveFile(this, kProjectFilter, proposal);
    if (!chosen || chosen->trimmed().isEmpty()) return std::nullopt;
    lastSaveFile_ = *chosen;
    templateProposal_.clear();
    // The project file is named after the chosen name without its extension, plus ".tvn".
    const QFileInfo info(*chosen);
    const QString base = QString::fromStdString(scripttext::PublishBaseName(U8(info.fileName())));
    const QString written = info.absolutePath() + '/' + base + ".tvn";
    if (QFileInfo::exists(written) &&
        prompt::Message(this, TMessageKind::Warning,
                        QStringLiteral("%1 already exists.\nDo you want to replace it?")
                            .arg(QDir::toNativeSeparators(written)),
                        {TButton::Yes, TButton::No}) != TButton::Yes)
      return std::nullopt;
    // The published names are the same for every project: never replace another project's page
    // files without the user's word.
    const QString other = QString::fromStdString(
        document_->agent().OtherPublishedProject(U8(info.absolutePath()), U8(info.fileName())));
    if (other.isEmpty() ||
        prompt::Message(this, TMessageKind::Warning,
                        QStringLiteral("The folder %1 holds the published files of the project "
                                       "\"%2\" (torvanecfg.js, torvane.css, slider0.jpg, ...). "
                                       "Saving \"%3\" there replaces them, and the page of \"%2\" "
                                       "then shows this slider.\n\nReplace them? Choose No to "
                                       "save into another folder.")
                            .arg(QDir::toNativeSeparators(info.absolutePath()), other, base),
                        {TButton::Yes, TButton::No}) == TButton::Yes)
      return *chosen;
  }
}

bool TMainForm::SaveTo(const QString& path) {
  const QFileInfo info(path);
  const std::string folder = U8(QDir::toNativeSeparators(info.absolutePath() + '/'));
  const std::string name = U8(info.fileName());
  const quint64 revision = document_->revision();  // the design the copy was taken of
  bool finished = false;
  const bool saved = RunCommand(this, [&] {
    finished = RunInBackground([folder, name](TqelAppletAgent& model, IDesignTree& tree) {
      model.PublishProject(folder, name, tree);
    });
    if (finished) {
      document_->markSaved(path, revision);
      // Only the files named here need uploading again.
      SetStatus(TqelAppletAgent::PublishChangesText(document_->agent().LastPublish));
      for (QAction* a : {ui->Save1, ui->tlbtnSave}) a->setEnabled(document_->isModified());
    }
  });
  ShowPictureStatus();
  return saved && finished;  // cancelled or failed: the design stays modified
}

void TMainForm::save() {
  if (const QString path = SaveTarget(); !path.isEmpty()) {
    SaveTo(path);
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
    document_->newDesign();
    templateProposal_.clear();
    RenewPreviewFolder({});
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

// The whole file is read and every value checked before the design changes: a file that is
// refused or cannot be read leaves the design, its file name, its undo steps and the recent list
// as they were.
bool TMainForm::LoadDesign(const QString& path) {
  // A template starts an untitled design: Save asks for a name, and the templates stay as they
  // are (Save As Template writes there on purpose).
  const bool isTemplate = places::IsInsideAnyFolder(U8(path), state_.templateFolders);
  if (document_->open(path, isTemplate) != TLoadResult::Loaded) return false;
  // A design begun from a template is saved under the template's name among the user's
  // documents, not beside the previous project.
  templateProposal_.clear();
  if (isTemplate) {
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty() || !QFileInfo(documents).isDir()) documents = QDir::homePath();
    templateProposal_ = QDir(documents).filePath(QFileInfo(path).fileName());
  }
  QString recentError;
  try {
    if (!isTemplate) AddRecentFile(path);
  } catch (const std::exception& error) {
    recentError = QString::fromUtf8(error.what());
  }
  // The previous design's preview goes now that the new one has really arrived.
  RenewPreviewFolder(U8(QDir::toNativeSeparators(QFileInfo(path).absolutePath() + '/')));
  if (!recentError.isEmpty()) ShowError(this, recentError);
  return true;
}

// Removing and copying many pictures takes long on a busy disk: on a worker, the window answering.
void TMainForm::RenewPreviewFolder(const std::string& publishedFolder) {
  const bool done = RunInBackground([publishedFolder](TqelAppletAgent& model, IDesignTree&) {
    model.ClearPreview();
    if (!publishedFolder.empty()) model.CopyResourceFiles(publishedFolder);
  });
  // Stopped by the user, or the program is ending meanwhile: what was copied goes again.
  if (!done || stopping_) document_->agent().ClearPreview();
}

QString TMainForm::SaveTarget() const {
  const QString file = document_->fileName();
  return places::IsInsideAnyFolder(U8(file), state_.templateFolders) ? QString() : file;
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
