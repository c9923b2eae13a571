#include "PicturePane.h"

#include <QFileInfo>
#include <QLocale>
#include <QPainter>
#include <QPixmap>

#include "PictureFacts.h"
#include "images/ImageScaler.h"
#include "ui_PicturePane.h"

TPicturePane::TPicturePane(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::TPicturePane>()) {
  ui->setupUi(this);
  ui->lstPictures->hide();
  // Thumbnails arrive one by one: redraw once for those that come close together.
  refresh_.setSingleShot(true);
  refresh_.setInterval(30);
  connect(&refresh_, &QTimer::timeout, this, &TPicturePane::Refresh);
}

TPicturePane::~TPicturePane() = default;

void TPicturePane::SetFacts(TPictureFacts* facts) {
  facts_ = facts;
  connect(facts_, &TPictureFacts::changed, &refresh_, qOverload<>(&QTimer::start));
}

void TPicturePane::ShowPictures(const QStringList& paths, int sliderHeight) {
  paths_ = paths;
  sliderHeight_ = sliderHeight;
  Refresh();
}

void TPicturePane::Refresh() {
  if (!facts_) return;
  ui->lblPicture->clear();
  for (QLabel* label : {ui->lblPixelSize, ui->lblFileSize, ui->lblPublishedSize}) label->clear();
  const bool several = paths_.size() > 1;
  ui->lblPicture->setVisible(!several);
  ui->lstPictures->setVisible(several);
  if (several) {
    ShowSeveral();
  } else {
    ui->lstPictures->clear();
    if (paths_.size() == 1 && !paths_[0].trimmed().isEmpty()) ShowOne(paths_[0]);
  }
}

void TPicturePane::ShowOne(const QString& path) {
  const QString problem = facts_->Problem(path);
  if (!problem.isEmpty()) {
    ui->lblPicture->setText(problem);
    return;
  }
  const QImage picture = facts_->Thumbnail(path, kPictureBox);
  if (!picture.isNull()) ui->lblPicture->setPixmap(QPixmap::fromImage(picture));
  const TPictureState& state = facts_->State(path);
  const QSize size = state.size;
  ui->lblPixelSize->setText(tr("%1 × %2 pixels").arg(size.width()).arg(size.height()));
  ui->lblFileSize->setText(QLocale().formattedDataSize(state.bytes, 1, QLocale::DataSizeSIFormat));
  if (sliderHeight_ < 1) {
    ui->lblPublishedSize->setText(tr("Published size: set the slider's height first"));
    return;
  }
  try {
    const auto [width, height] = ScaledSize(size.width(), size.height(), sliderHeight_);
    ui->lblPublishedSize->setText(tr("Published at %1 × %2 pixels").arg(width).arg(height));
  } catch (const std::exception& error) {
    ui->lblPublishedSize->setText(QString::fromStdString(error.what()));
  }
}

void TPicturePane::ShowSeveral() {
  // While thumbnails arrive the same pictures are shown again: only their icons change.
  QListWidget* list = ui->lstPictures;
  const QStringList drawn = paths_.mid(0, kMostDrawn);
  bool same = list->count() == drawn.size();
  for (int i = 0; same && i < list->count(); ++i)
    same = list->item(i)->data(Qt::UserRole) == drawn[i];
  if (!same) {
    list->clear();
    for (const QString& path : drawn) {
      auto* entry = new QListWidgetItem(QFileInfo(path).fileName(), list);
      entry->setData(Qt::UserRole, path);
      // Every cell as large as the grid's, with or without its thumbnail yet.
      entry->setSizeHint(list->gridSize());
    }
    list->scrollToTop();
  }
  for (int i = 0; i < list->count(); ++i) {
    QListWidgetItem* entry = list->item(i);
    const QString& path = drawn[i];
    const QString problem = facts_->Problem(path);
    entry->setToolTip(problem.isEmpty() ? path : problem);
    if (!problem.isEmpty()) {
      entry->setIcon(facts_->WarningIcon());
    } else if (const QImage thumbnail = facts_->Thumbnail(path, kSideBySideBox);
               !thumbnail.isNull() && (!same || entry->icon().isNull())) {
      // Centred in a square, so that every caption stands at the same height.
      QPixmap square(kSideBySideBox, kSideBySideBox);
      square.fill(Qt::transparent);
      QPainter painter(&square);
      painter.drawImage((kSideBySideBox - thumbnail.width()) / 2,
                        (kSideBySideBox - thumbnail.height()) / 2, thumbnail);
      painter.end();
      entry->setIcon(square);
    }
  }
  // Several: never one.
  QString count = tr("%Ln picture(s)", "", int(paths_.size()));
  if (paths_.size() > drawn.size()) count += tr(" (the first %L1 shown)").arg(drawn.size());
  ui->lblPixelSize->setText(count);
}
