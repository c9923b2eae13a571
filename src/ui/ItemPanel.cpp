#include "ItemPanel.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>
#include <limits>

#include "Conversions.h"
#include "LinkTip.h"
#include "PicturePane.h"
#include "Prompts.h"
#include "images/PictureDecoder.h"
#include "ui_ItemPanel.h"

namespace {
// "All Image Files(*.jpg;*.jpeg;*.png;...)|*.jpg;*.jpeg;*.png;..." for every format we read.
QString PictureFilter() {
  QStringList patterns;
  for (const std::string& extension : images::PictureExtensions())
    patterns << "*." + QString::fromStdString(extension);
  const QString list = patterns.join(';');
  return TItemPanel::tr("All Image Files(%1)|%1").arg(list);
}
}  // namespace

TItemPanel::TItemPanel(QWidget* parent)
    : TDesignPanel(parent), ui_(std::make_unique<Ui::TItemPanel>()) {
  ui_->setupUi(this);
  const struct {
    QLineEdit* edit;
    TItemField field;
    const char* step;
  } fields[] = {
      {ui_->edtOriginalImagePath, TItemField::OriginalImagePath, QT_TR_NOOP("Edit Picture Path")},
      {ui_->edt_IToolTip, TItemField::ToolTip, QT_TR_NOOP("Edit Tooltip")},
      {ui_->cmbx_ILink->lineEdit(), TItemField::Link, QT_TR_NOOP("Edit Link")},
      {ui_->cmbx_ITarget->lineEdit(), TItemField::Target, QT_TR_NOOP("Edit Target")}};
  for (const auto& f : fields)
    connect(f.edit, &QLineEdit::textChanged, this, [this, f](const QString& text) {
      if (!refuseText(f.edit)) store(f.field, text, tr(f.step), true);
    });
  // Every value a project file holds comes back whole (the boxes' own limit is 32,767).
  for (QComboBox* list : {ui_->cmbx_ILink, ui_->cmbx_ITarget})
    list->lineEdit()->setMaxLength(std::numeric_limits<int>::max());
  connect(ui_->spdbtnItURL, &QToolButton::clicked, this, &TItemPanel::chooseLinkFile);
  connect(ui_->spdbtnOriginalImagePath, &QToolButton::clicked, this, &TItemPanel::choosePicture);
  bindHelpButtons({ui_->SpeedButton13, ui_->SpeedButton24, ui_->SpeedButton19});
}

TItemPanel::~TItemPanel() = default;

void TItemPanel::attach(TDocument& document, std::function<std::vector<int>()> selected,
                        QString& lastOpenFile) {
  document_ = &document;
  selected_ = std::move(selected);
  lastOpenFile_ = &lastOpenFile;
  connect(document_, &TDocument::itemsChanged, this, &TItemPanel::followChange);
  endTypingWhenLeft();
}

TPicturePane* TItemPanel::picturePane() const { return ui_->pnlPicture; }

QList<QWidget*> TItemPanel::hintControls() const {
  return {ui_->GroupBox7, ui_->spdbtnItURL, ui_->edt_IToolTip, ui_->spdbtnOriginalImagePath};
}

std::vector<int> TItemPanel::selectedItems() const {
  std::vector<int> items = selected_ ? selected_() : std::vector<int>{};
  items.erase(std::remove(items.begin(), items.end(), -1), items.end());
  return items;
}

void TItemPanel::showSelection() {
  const std::vector<int> items = selectedItems();
  if (items.empty()) return;
  const TQuiet quiet(quiet_);
  // The value all selected items share, or blank.
  auto shared = [&](TItemField field) {
    const std::string first = Trim(FieldOf(document_->item(items.front()), field));
    for (int i : items)
      if (Trim(FieldOf(document_->item(i), field)) != first) return std::string();
    return first;
  };
  ShowText(ui_->edtOriginalImagePath, shared(TItemField::OriginalImagePath));
  ShowText(ui_->cmbx_ILink->lineEdit(), shared(TItemField::Link));
  ShowText(ui_->cmbx_ITarget->lineEdit(), shared(TItemField::Target));
  ShowText(ui_->edt_IToolTip, shared(TItemField::ToolTip));
}

void TItemPanel::followChange(const std::vector<int>& indexes) {
  const std::vector<int> items = selectedItems();
  for (int i : indexes)
    if (std::binary_search(items.begin(), items.end(), i)) return showSelection();
}

void TItemPanel::store(TItemField field, const QString& text, const QString& step, bool typing) {
  if (quiet_ > 0 || !document_) return;
  const std::vector<int> items = selectedItems();
  const std::string value = Trim(text.toStdString());
  RunCommand(window(), [&] { document_->setItemField(items, field, value, step, typing); });
}

QString TItemPanel::pathToFileUrl(const QString& path) {
  // Percent-encoded, so that "#", "?" and "%" in folder names stay part of the path. A Windows
  // path ("C:\\...") is one on every system.
  static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:\\\\"));
  const QString local = drive.match(path).hasMatch() ? QString(path).replace('\\', '/')
                                                     : QDir::fromNativeSeparators(path);
  return QUrl::fromLocalFile(local).toString(QUrl::FullyEncoded);
}

void TItemPanel::chooseLinkFile() {
  RunCommand(window(), [this] {
    if (TLinkTip::shouldShow()) {
      TLinkTip tip(window());
      prompt::Exec(tip);
    }
    const auto chosen = prompt::OpenFile(
        window(), tr("HTML files(*.htm;*.html)|*.htm;*.html|Any file (*.*)|*.*"), *lastOpenFile_);
    if (!chosen) return;
    *lastOpenFile_ = *chosen;
    document_->endTyping();
    store(TItemField::Link, pathToFileUrl(QDir::toNativeSeparators(*chosen)), tr("Choose Link"),
          false);
  });
}

void TItemPanel::choosePicture() {
  RunCommand(window(), [this] {
    const QString current = QString::fromStdString(ResolvePicturePath(
        document_->projectFolder(), ui_->edtOriginalImagePath->text().toStdString()));
    const auto chosen =
        prompt::OpenPicture(window(), PictureFilter(),
                            current.isEmpty() ? QString() : QFileInfo(current).absolutePath());
    // Cancelling keeps the picture the item has.
    if (!chosen) return;
    document_->endTyping();
    store(TItemField::OriginalImagePath, QDir::toNativeSeparators(*chosen), tr("Choose Picture"),
          false);
  });
}
