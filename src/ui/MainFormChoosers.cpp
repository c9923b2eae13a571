// The choosers of the property tabs: colours, the link file, the picture, and the help buttons.
// A choice is one undoable step; cancelling changes nothing.
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QRegularExpression>
#include <QUrl>

#include "ColorPanel.h"
#include "MainForm.h"
#include "Prompts.h"
#include "images/PictureDecoder.h"
#include "ui_MainForm.h"

namespace {

// "All Image Files(*.jpg;*.jpeg;*.png;...)|*.jpg;*.jpeg;*.png;..." for every format we read.
QString PictureFilter() {
  QStringList patterns;
  for (const std::string& extension : images::PictureExtensions())
    patterns << "*." + QString::fromStdString(extension);
  const QString list = patterns.join(';');
  return "All Image Files(" + list + ")|" + list;
}
struct THelpPage {
  int tag;
  const char* page;
};
constexpr THelpPage kHelpPages[] = {
    {1, "customizing_js_script_script_general.htm"},
    {2, "customizing_js_script_script_size.htm"},
    {3, "customizing_js_script_script_scrolling.htm"},
    {4, "customizing_js_script_script_distance.htm"},
    {5, "customizing_js_script_script_slider_border.htm"},
    {6, "customizing_js_script_script_image_border.htm"},
    {7, "customizing_js_script_path_path.htm"},
    {8, "customizing_js_item_general_original_image_path.htm"},
    {9, "customizing_js_item_general_link.htm"},
    {10, "customizing_js_item_general_tooltip.htm"},
};
}  // namespace

QString TMainForm::PathToFileUrl(const QString& path) {
  // Percent-encoded, so that "#", "?" and "%" in folder names stay part of the path. A Windows
  // path ("C:\\...") is one on every system.
  static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:\\\\"));
  const QString local = drive.match(path).hasMatch() ? QString(path).replace('\\', '/')
                                                     : QDir::fromNativeSeparators(path);
  return QUrl::fromLocalFile(local).toString(QUrl::FullyEncoded);
}

void TMainForm::chooseColour(TColorPanel* panel) {
  const auto color = prompt::Color(this, panel->Color());
  if (!color || *color == panel->Color()) return;
  panel->SetColor(*color);
  const QString step = panel == ui->pnl_pBgColor            ? tr("Change Background Colour")
                       : panel == ui->pnl_pImageBorderColor ? tr("Change Image Border Colour")
                                                            : tr("Change Slider Border Colour");
  StoreSlider(step, false);
}

void TMainForm::chooseLinkFile() {
  RunCommand(this, [this] {
    ShowLinkTipIfWanted();
    const auto chosen = prompt::OpenFile(
        this, QStringLiteral("HTML files(*.htm;*.html)|*.htm;*.html|Any file (*.*)|*.*"),
        lastOpenFile_);
    if (!chosen) return;
    lastOpenFile_ = *chosen;
    document_->endTyping();
    StoreItemField(TItemField::Link, PathToFileUrl(QDir::toNativeSeparators(*chosen)),
                   tr("Choose Link"), false);
  });
}

void TMainForm::choosePicture() {
  RunCommand(this, [this] {
    const QString current = QString::fromStdString(ResolvePicturePath(
        document_->agent().ProjectFolder, ui->edtOriginalImagePath->text().toStdString()));
    const auto chosen = prompt::OpenPicture(
        this, PictureFilter(), current.isEmpty() ? QString() : QFileInfo(current).absolutePath());
    // Cancelling keeps the picture the item has.
    if (!chosen) return;
    document_->endTyping();
    StoreItemField(TItemField::OriginalImagePath, QDir::toNativeSeparators(*chosen),
                   tr("Choose Picture"), false);
  });
}

void TMainForm::showFieldHelp() {
  const int tag = sender() ? sender()->property("Tag").toInt() : 0;
  QString page = QStringLiteral("getting_started.htm");
  for (const THelpPage& p : kHelpPages)
    if (p.tag == tag) page = QString::fromLatin1(p.page);
  ShowHelpPage(QUrl::fromLocalFile(programFolder_ + "help/" + page));
}
