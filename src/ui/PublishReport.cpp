#include "PublishReport.h"

#include <QFileInfo>
#include <QStyle>

#include "DialogFrame.h"
#include "Errors.h"
#include "FileUtil.h"
#include "Launcher.h"
#include "ui_PublishReport.h"

TPublishReportWindow::TPublishReportWindow(QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TPublishReportWindow>()) {
  ui_->setupUi(this);
  // A fixed dialog frame without title-bar buttons.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  ui_->BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
  frame::FixSize(this);
  frame::CentreOnScreen(this);
  connect(ui_->BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
  connect(ui_->btnOpenFolder, &QPushButton::clicked, this,
          [this] { Launcher().OpenDocument(QFileInfo(page_).absolutePath()); });
  connect(ui_->btnViewInBrowser, &QPushButton::clicked, this,
          [this] { emit viewRequested(page_); });
}

TPublishReportWindow::~TPublishReportWindow() = default;

void TPublishReportWindow::loadReport(const QString& path) {
  std::vector<std::string> lines;
  try {
    lines = fileutil::ReadTextLines(path.toStdString());
  } catch (const std::exception&) {
    throw TvFileError(tr("Cannot open file %1").arg(path).toStdString());
  }
  QStringList text;
  for (const std::string& line : lines) text << QString::fromStdString(line);
  ui_->memoPublishReport->setPlainText(text.join('\n'));
}

void TPublishReportWindow::showChanges(const QString& text) {
  ui_->lblChangedFiles->setText(text);
  ui_->lblChangedFiles->setVisible(!text.isEmpty());
  frame::FixSize(this);
}

void TPublishReportWindow::offerPublishedPage(const QString& page) {
  page_ = page;
  ui_->btnOpenFolder->setVisible(true);
  ui_->btnViewInBrowser->setVisible(true);
  frame::FixSize(this);
}
