#include "TreePictures.h"

#include <QAbstractItemView>
#include <QAction>
#include <QActionGroup>
#include <QItemSelectionModel>

#include "Errors.h"
#include "ItemTreeModel.h"
#include "PicturePane.h"
#include "Settings.h"

TTreePictures::TTreePictures(TParts parts, QObject* parent)
    : QObject(parent),
      parts_(std::move(parts)),
      delegate_(new TPictureDelegate(facts_, parts_.pathOf, parts_.tree)) {
  parts_.tree->setItemDelegate(delegate_);
  // Screen readers hear what the rows show: caption, file name and size, and any problem.
  model_ = qobject_cast<TItemTreeModel*>(parts_.tree->model());
  if (model_) {
    model_->setAccessibleText([this](const QModelIndex& index, int role) {
      if (role == Qt::AccessibleTextRole) return delegate_->text(index);
      const QString path = parts_.pathOf(index);
      if (path.isEmpty()) return index.data(Qt::ToolTipRole).toString();
      const QString problem = facts_.problem(path);
      return problem.isEmpty() ? path : tr("Warning: %1").arg(problem);
    });
  }
  parts_.pane->setFacts(&facts_);
  facts_.watchActivation(parts_.window);
  connect(&facts_, &TPictureFacts::changed, parts_.tree->viewport(), qOverload<>(&QWidget::update));
  auto* sizes = new QActionGroup(this);
  for (QAction* action : {parts_.smallThumbnails, parts_.largeThumbnails}) {
    action->setCheckable(true);
    sizes->addAction(action);
  }
  connect(parts_.largeThumbnails, &QAction::toggled, this, [this](bool large) {
    setLargeThumbnails(large);
    try {
      settings::Write(settings::kLargeThumbnails, large);
    } catch (const TvError&) {
      // The choice holds for this run; a settings store that cannot be written is no reason to
      // interrupt the user.
    }
  });
  const bool large = settings::Read(settings::kLargeThumbnails);
  (large ? parts_.largeThumbnails : parts_.smallThumbnails)->setChecked(true);
  setLargeThumbnails(large);
  if (QItemSelectionModel* selection = parts_.tree->selectionModel()) {
    connect(selection, &QItemSelectionModel::selectionChanged, this, &TTreePictures::showSelection);
    connect(selection, &QItemSelectionModel::currentChanged, this, &TTreePictures::showSelection);
  }
}

TTreePictures::~TTreePictures() {
  if (model_) model_->setAccessibleText({});
}

void TTreePictures::setLargeThumbnails(bool large) {
  const int size = large ? TPictureDelegate::kLargeIcon : TPictureDelegate::kSmallIcon;
  delegate_->setIconSize(size);
  parts_.tree->setIconSize(QSize(size, size));
  parts_.tree->doItemsLayout();
}

void TTreePictures::showSelection() {
  QStringList paths;
  QModelIndexList selected = parts_.tree->selectionModel()->selectedRows();
  if (selected.isEmpty() && parts_.tree->currentIndex().isValid())
    selected << parts_.tree->currentIndex();
  for (const QModelIndex& index : selected) {
    const QString path = parts_.pathOf(index);
    if (!path.isEmpty()) paths << path;
  }
  parts_.pane->showPictures(paths, parts_.sliderHeight());
  parts_.tree->viewport()->update();
}
