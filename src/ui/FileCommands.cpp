#include "FileCommands.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QStandardPaths>

#include "BackgroundWork.h"
#include "Document.h"
#include "Errors.h"
#include "ModelText.h"
#include "Prompts.h"
#include "RecentFiles.h"
#include "ScriptText.h"
#include "TemplateChooser.h"

namespace {
const char* const kProjectFilter =
    QT_TRANSLATE_NOOP("TFileCommands", "Torvane Files (*.tvn)|*.tvn");

std::string U8(const QString& text) { return text.toStdString(); }
}  // namespace

TFileCommands::TFileCommands(TDocument& document, TBackgroundWork& work,
                             const places::TStatePlaces& state, TParts parts, QObject* parent)
    : QObject(parent), document_(document), work_(work), state_(state), parts_(std::move(parts)) {
  RunCommand(parts_.window, [this] { loadRecentFiles(); });
}

QString TFileCommands::templatesFolder() const {
  return QString::fromStdString(state_.templateFolders.front());
}

QStringList TFileCommands::templateFolders() const {
  QStringList folders;
  for (const std::string& folder : state_.templateFolders)
    folders << QString::fromStdString(folder);
  return folders;
}

bool TFileCommands::saveChangesPrompt(const QString& question) {
  if (!document_.isModified()) return true;
  const TButton answer = prompt::Message(parts_.window, TMessageKind::Warning, question,
                                         {TButton::Yes, TButton::No, TButton::Cancel});
  if (answer == TButton::Cancel) return false;
  if (answer == TButton::No) return true;
  QString path = saveTarget();
  if (path.isEmpty()) {
    const auto chosen = askSavePath();
    if (!chosen) return false;
    path = *chosen;
  }
  return saveTo(path);
}

bool TFileCommands::closeQuery() {
  // Cancelled, or the save failed: the design stays, and so does its preview.
  if (!saveChangesPrompt(tr("Save changes to files before Exit?"))) return false;
  document_.clearPreview();
  return true;
}

std::optional<QString> TFileCommands::askSavePath() {
  QWidget* window = parts_.window;
  for (;;) {
    const QString proposal = !templateProposal_.isEmpty() ? templateProposal_
                             : !lastSaveFile_.isEmpty()   ? lastSaveFile_
                                                          : saveInitialFolder_;
    const auto chosen = prompt::SaveFile(window, tr(kProjectFilter), proposal);
    if (!chosen || chosen->trimmed().isEmpty()) return std::nullopt;
    lastSaveFile_ = *chosen;
    templateProposal_.clear();
    // The project file is named after the chosen name without its extension, plus ".tvn".
    const QFileInfo info(*chosen);
    const QString base = QString::fromStdString(scripttext::PublishBaseName(U8(info.fileName())));
    const QString written = info.absolutePath() + '/' + base + ".tvn";
    if (QFileInfo::exists(written) &&
        prompt::Message(window, TMessageKind::Warning,
                        tr("%1 already exists.\nDo you want to replace it?")
                            .arg(QDir::toNativeSeparators(written)),
                        {TButton::Yes, TButton::No}) != TButton::Yes)
      return std::nullopt;
    // The published names are the same for every project: never replace another project's page
    // files without the user's word.
    const QString other =
        QString::fromStdString(OtherPublishedProject(U8(info.absolutePath()), U8(info.fileName())));
    if (other.isEmpty() ||
        prompt::Message(window, TMessageKind::Warning,
                        tr("The folder %1 holds the published files of the project "
                           "\"%2\" (torvanecfg.js, torvane.css, slider0.jpg, ...). "
                           "Saving \"%3\" there replaces them, and the page of \"%2\" "
                           "then shows this slider.\n\nReplace them? Choose No to "
                           "save into another folder.")
                            .arg(QDir::toNativeSeparators(info.absolutePath()), other, base),
                        {TButton::Yes, TButton::No}) == TButton::Yes)
      return *chosen;
  }
}

bool TFileCommands::saveTo(const QString& path) {
  const QFileInfo info(path);
  const std::string folder = U8(QDir::toNativeSeparators(info.absolutePath() + '/'));
  const std::string name = U8(info.fileName());
  const quint64 revision = document_.revision();  // the design the copy was taken of
  bool finished = false;
  const bool saved = RunCommand(parts_.window, [&] {
    finished = work_.run(TPublishExporter(folder, name));
    if (finished) {
      document_.markSaved(path, revision);
      // Only the files named here need uploading again.
      work_.SetStatus(modeltext::Shown(PublishChangesText(document_.lastPublish())).toStdString());
      for (QAction* a : parts_.save) a->setEnabled(document_.isModified());
    }
  });
  parts_.showPictureStatus();
  return saved && finished;  // cancelled or failed: the design stays modified
}

void TFileCommands::save() {
  if (const QString path = saveTarget(); !path.isEmpty()) {
    saveTo(path);
    return;
  }
  if (const auto chosen = askSavePath()) saveTo(*chosen);
}

void TFileCommands::saveAs() {
  if (const auto chosen = askSavePath()) saveTo(*chosen);
}

void TFileCommands::saveAsTemplate() {
  QDir().mkdir(templatesFolder());  // one level; a failure shows in the dialog
  saveInitialFolder_ = templatesFolder();
  // The save dialog starts in the templates folder from now on.
  lastSaveFile_ = lastSaveFile_.isEmpty()
                      ? templatesFolder() + '/'
                      : templatesFolder() + '/' + QFileInfo(lastSaveFile_).fileName();
  saveAs();
}

void TFileCommands::newProject() {
  RunCommand(parts_.window, [this] {
    if (!saveChangesPrompt(tr("Save changes to files?"))) return;
    document_.newDesign();
    templateProposal_.clear();
    renewPreviewFolder({});
  });
}

void TFileCommands::openProject() {
  RunCommand(parts_.window, [this] {
    if (!saveChangesPrompt(tr("Save changes to files?"))) return;
    const auto chosen = prompt::OpenFile(parts_.window, tr(kProjectFilter), lastOpenFile_);
    if (!chosen) return;  // the design and its preview stay
    lastOpenFile_ = *chosen;
    loadDesign(*chosen);
  });
}

void TFileCommands::chooseTemplate() {
  RunCommand(parts_.window, [this] {
    TTemplateChooser chooser(templateFolders(), parts_.window);
    connect(&chooser, &TTemplateChooser::openRequested, this, [this](const QString& path) {
      RunCommand(parts_.window, [&] { openProjectFile(path); });
    });
    connect(&chooser, &TTemplateChooser::newProjectRequested, this, &TFileCommands::newProject);
    prompt::Exec(chooser);
  });
}

bool TFileCommands::openProjectFile(const QString& path) {
  if (path.isEmpty()) return false;
  if (!saveChangesPrompt(tr("Save changes to files?"))) return false;
  return loadDesign(path);
}

void TFileCommands::openCommandLine(const QStringList& arguments) {
  QString joined;
  for (const QString& argument : arguments) joined += argument + ' ';
  joined = joined.trimmed();
  if (joined.isEmpty()) return;
  // Made absolute once, so the recent list and later saves name the same file.
  joined = QFileInfo(joined).absoluteFilePath();
  // Nothing was edited yet, so nothing is asked. A file that is not there (a stale link) opens
  // nothing without a word; a project file that cannot be opened says why. Either way the
  // default design stays.
  if (!QFileInfo(joined).isFile()) return;
  RunCommand(parts_.window, [&] { loadDesign(joined); });
}

// The whole file is read and every value checked before the design changes: a file that is
// refused or cannot be read leaves the design, its file name, its undo steps and the recent list
// as they were.
bool TFileCommands::loadDesign(const QString& path) {
  // A template starts an untitled design: Save asks for a name, and the templates stay as they
  // are (Save As Template writes there on purpose).
  const bool isTemplate = places::IsInsideAnyFolder(U8(path), state_.templateFolders);
  if (document_.open(path, isTemplate) != TLoadResult::Loaded) return false;
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
    if (!isTemplate) addRecentFile(path);
  } catch (const std::exception& error) {
    recentError = modeltext::Shown(error);
  }
  // The previous design's preview goes now that the new one has really arrived.
  renewPreviewFolder(U8(QDir::toNativeSeparators(QFileInfo(path).absolutePath() + '/')));
  if (!recentError.isEmpty()) ShowError(parts_.window, recentError);
  return true;
}

// Removing and copying many pictures takes long on a busy disk: on a worker, the window answering.
void TFileCommands::renewPreviewFolder(const std::string& publishedFolder) {
  const bool done = work_.run(TPreviewRefill(publishedFolder));
  // Stopped by the user, or the program is ending meanwhile: what was copied goes again.
  if (!done || work_.stopping()) document_.clearPreview();
}

QString TFileCommands::saveTarget() const {
  const QString file = document_.fileName();
  return places::IsInsideAnyFolder(U8(file), state_.templateFolders) ? QString() : file;
}

// --- recent files ---
void TFileCommands::loadRecentFiles() {
  const auto entries = TRecentFiles(QString::fromStdString(state_.RecentFile())).entries();
  QMenu* menu = parts_.recentMenu;
  const QList<QAction*> old = menu->actions();
  for (auto it = old.rbegin(); it != old.rend(); ++it) {
    menu->removeAction(*it);
    delete *it;
  }
  for (const TRecentFiles::TEntry& slot : entries) {
    // The path is kept apart from the caption, so an "&" in it is shown and opened as it is.
    auto* entry = menu->addAction(slot.accelerator + QString(slot.path).replace('&', "&&"));
    entry->setData(slot.path);
    connect(entry, &QAction::triggered, this, [this, path = slot.path] {
      const QString file = path;  // the entry goes when the list is made again
      RunCommand(parts_.window, [&] { openProjectFile(file); });
    });
  }
}

QStringList TFileCommands::recentEntries() const {
  QStringList paths;
  for (QAction* entry : parts_.recentMenu->actions()) paths << entry->data().toString();
  return paths;
}

void TFileCommands::addRecentFile(const QString& path) {
  TRecentFiles(QString::fromStdString(state_.RecentFile())).add(path);
  loadRecentFiles();
}
