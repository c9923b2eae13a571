#include "TemplateChooser.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QSet>
#include <QStyle>
#include <algorithm>

#include "DialogFrame.h"
#include "ModelText.h"
#include "Prompts.h"
#include "Settings.h"
#include "ui_TemplateChooser.h"

namespace {
constexpr int kPathRole = Qt::UserRole;

struct TEntry {
  QString name;
  QString path;
};
}  // namespace

TTemplateChooser::TTemplateChooser(const QStringList& templateFolders, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TTemplateChooser>()) {
  ui_->setupUi(this);
  // A fixed dialog without caption-bar buttons.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  ui_->BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
  ui_->BitBtn2->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
  frame::FixSize(this);
  frame::CentreOnScreen(this);
  connect(ui_->BitBtn1, &QPushButton::clicked, this, &TTemplateChooser::openSelected);
  connect(ui_->BitBtn2, &QPushButton::clicked, this, &TTemplateChooser::askForNewProject);
  connect(ui_->TempletList, &QListWidget::itemDoubleClicked, this,
          &TTemplateChooser::openDoubleClicked);
  connect(ui_->chckbxDontShow, &QCheckBox::clicked, this, &TTemplateChooser::storeDontShow);
  listTemplates(templateFolders);
}

TTemplateChooser::~TTemplateChooser() = default;

void TTemplateChooser::listTemplates(const QStringList& templateFolders) {
  QList<TEntry> entries;
  QSet<QString> names;
  for (int i = 0; i < templateFolders.size(); ++i) {
    const QString& folder = templateFolders[i];
    QDir dir(folder);
    if (!dir.exists()) {
      if (i > 0) continue;  // only the first folder is made
      // One level: its parent (the program's folder, or the user's data folder) exists.
      if (!QDir().mkdir(folder)) {
        ShowError(parentWidget(), tr("Cannot create %1").arg(QDir::toNativeSeparators(folder)));
        continue;
      }
    }
    // Name filters match regardless of letter case, so "Blue.TVN" is listed too.
    for (const QFileInfo& file : dir.entryInfoList({QStringLiteral("*.tvn")}, QDir::Files)) {
      if (names.contains(file.fileName())) continue;
      names.insert(file.fileName());
      entries << TEntry{file.fileName(), file.absoluteFilePath()};
    }
  }
  std::sort(entries.begin(), entries.end(), [](const TEntry& a, const TEntry& b) {
    const int folded = a.name.compare(b.name, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a.name < b.name;
  });
  for (const TEntry& entry : entries) {
    auto* item = new QListWidgetItem(entry.name, ui_->TempletList);
    item->setData(kPathRole, entry.path);
    item->setToolTip(prompt::PlainToolTip(QDir::toNativeSeparators(entry.path)));
  }
}

QString TTemplateChooser::selectedPath() const {
  const QList<QListWidgetItem*> selected = ui_->TempletList->selectedItems();
  return selected.isEmpty() ? QString() : selected.first()->data(kPathRole).toString();
}

void TTemplateChooser::openSelected() {
  const QString path = selectedPath();
  if (!path.isEmpty()) emit openRequested(path);
  accept();
}

void TTemplateChooser::askForNewProject() {
  emit newProjectRequested();
  reject();
}

void TTemplateChooser::openDoubleClicked() {
  const QString path = selectedPath();
  if (!path.isEmpty()) emit openRequested(path);
  accept();
}

void TTemplateChooser::storeDontShow() {
  const bool show = !ui_->chckbxDontShow->isChecked();
  try {
    settings::Write(settings::kShowTemplets, show);
  } catch (const std::exception& error) {
    if (show) ShowError(this, modeltext::Shown(error));
  }
}

void TTemplateChooser::showStoredChoice() {
  // Missing counts as "show" (box cleared); a store that cannot be read as "do not show".
  const bool show = settings::Read(settings::kShowTemplets);
  ui_->chckbxDontShow->setChecked(!show);
  // Ticking the box here counts as the user's click: the value is written back.
  if (!show) storeDontShow();
}

void TTemplateChooser::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) showStoredChoice();
}

void TTemplateChooser::keyPressEvent(QKeyEvent* event) {
  // Esc is the Cancel button: it starts a new project.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    ui_->BitBtn2->click();
    return;
  }
  QDialog::keyPressEvent(event);
}
