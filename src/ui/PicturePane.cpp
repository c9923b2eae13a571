#include "PicturePane.h"

#include <QFileInfo>
#include <QLocale>
#include <QPainter>
#include <QPixmap>

#include "ModelText.h"
#include "PictureFacts.h"
#include "images/ImageScaler.h"
#include "ui_PicturePane.h"

TPicturePane::TPicturePane(QWidget* parent)
    : QWidget(parent), ui_(std::make_unique<Ui::TPicturePane>()) {
  ui_->setupUi(this);
  ui_->lstPictures->hide();
  // Thumbnails arrive one by one: redraw once for those that come close together.
  refresh_.setSingleShot(true);
  refresh_.setInterval(30);
  connect(&refresh_, &QTimer::timeout, this, &TPicturePane::refresh);
}

TPicturePane::~TPicturePane() = default;

void TPicturePane::setFacts(TPictureFacts* facts) {
  facts_ = facts;
  connect(facts_, &TPictureFacts::changed, &refresh_, qOverload<>(&QTimer::start));
}

void TPicturePane::showPictures(const QStringList& paths, int sliderHeight) {
  paths_ = paths;
  sliderHeight_ = sliderHeight;
  refresh();
}

void TPicturePane::refresh() {
  if (!facts_) return;
  ui_->lblPicture->clear();
  for (QLabel* label : {ui_->lblPixelSize, ui_->lblFileSize, ui_->lblPublishedSize}) label->clear();
  const bool several = paths_.size() > 1;
  ui_->lblPicture->setVisible(!several);
  ui_->lstPictures->setVisible(several);
  if (several) {
    showSeveral();
  } else {
    ui_->lstPictures->clear();
    if (paths_.size() == 1 && !paths_[0].trimmed().isEmpty()) showOne(paths_[0]);
  }
}

void TPicturePane::showOne(const QString& path) {
  const QString problem = facts_->problem(path);
  if (!problem.isEmpty()) {
    ui_->lblPicture->setText(problem);
    return;
  }
  const QImage picture = facts_->thumbnail(path, kPictureBox);
  if (!picture.isNull()) ui_->lblPicture->setPixmap(QPixmap::fromImage(picture));
  const TPictureState& state = facts_->state(path);
  const QSize size = state.size;
  ui_->lblPixelSize->setText(tr("%1 × %2 pixels").arg(size.width()).arg(size.height()));
  ui_->lblFileSize->setText(QLocale().formattedDataSize(state.bytes, 1, QLocale::DataSizeSIFormat));
  if (sliderHeight_ < 1) {
    ui_->lblPublishedSize->setText(tr("Published size: set the slider's height first"));
    return;
  }
  try {
    const auto [width, height] = ScaledSize(size.width(), size.height(), sliderHeight_);
    ui_->lblPublishedSize->setText(tr("Published at %1 × %2 pixels").arg(width).arg(height));
  } catch (const std::exception& error) {
    ui_->lblPublishedSize->setText(modeltext::Shown(error));
  }
}

void TPicturePane::showSeveral() {
  // While thumbnails arrive the same pictures are shown again: only their icons change.
  QListWidget* list = ui_->lstPictures;
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
    const QString problem = facts_->problem(path);
    entry->setToolTip(problem.isEmpty() ? path : problem);
    if (!problem.isEmpty()) {
      entry->setIcon(facts_->warningIcon());
    } else if (const QImage thumbnail = facts_->thumbnail(path, kSideBySideBox);
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
  ui_->lblPixelSize->setText(count);
}
