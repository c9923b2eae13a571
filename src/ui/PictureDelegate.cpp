#include "PictureDelegate.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFileInfo>
#include <QHelpEvent>
#include <QPixmap>
#include <QTextDocument>
#include <QToolTip>

#include "PictureFacts.h"

TPictureDelegate::TPictureDelegate(TPictureFacts& facts,
                                   std::function<QString(const QModelIndex&)> pathOf,
                                   QObject* parent)
    : QStyledItemDelegate(parent), facts_(facts), pathOf_(std::move(pathOf)) {}

bool TPictureDelegate::flagged(const QModelIndex& index) const {
  const QString path = pathOf_(index);
  return !path.isEmpty() && !facts_.problem(path).isEmpty();
}

QIcon TPictureDelegate::icon(const QModelIndex& index) const {
  const QString path = pathOf_(index);
  if (path.isEmpty()) return {};
  if (!facts_.problem(path).isEmpty()) return facts_.warningIcon();
  const QImage thumbnail = facts_.thumbnail(path, iconSize_);
  return thumbnail.isNull() ? QIcon() : QIcon(QPixmap::fromImage(thumbnail));
}

QString TPictureDelegate::text(const QModelIndex& index) const {
  const QString caption = index.data(Qt::DisplayRole).toString();
  const QString path = pathOf_(index);
  return path.isEmpty() ? caption : caption + QStringLiteral("   ") + facts_.detail(path);
}

QString TPictureDelegate::toolTip(const QModelIndex& index) const {
  const QString path = index.isValid() ? pathOf_(index) : QString();
  if (path.isEmpty()) {
    // The slider's row and items without a picture: the model's tooltip, else the tree's hint.
    const QString own = index.data(Qt::ToolTipRole).toString();
    const auto* view = qobject_cast<const QWidget*>(parent());
    return own.isEmpty() && view ? view->toolTip() : own;
  }
  const QString problem = facts_.problem(path);
  return problem.isEmpty() ? path : problem;
}

void TPictureDelegate::initStyleOption(QStyleOptionViewItem* option,
                                       const QModelIndex& index) const {
  QStyledItemDelegate::initStyleOption(option, index);
  option->text = text(index);
  option->decorationSize = QSize(iconSize_, iconSize_);
  if (const QIcon shown = icon(index); !shown.isNull()) {
    option->icon = shown;
    option->features |= QStyleOptionViewItem::HasDecoration;
  }
}

// Asked for every row the tree lays out, not only for those it shows: nothing is read or made
// here. The row holds the icon's room and the caption with what is known of its picture.
QSize TPictureDelegate::sizeHint(const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
  QStyleOptionViewItem row = option;
  QStyledItemDelegate::initStyleOption(&row, index);
  row.decorationSize = QSize(iconSize_, iconSize_);
  row.features |= QStyleOptionViewItem::HasDecoration;
  if (const QString path = pathOf_(index); !path.isEmpty()) {
    const TPictureState* known = facts_.known(path);
    row.text += QStringLiteral("   ") + (known ? facts_.detail(path) : QFileInfo(path).fileName());
  }
  const QWidget* view = option.widget;
  QStyle* style = view ? view->style() : QApplication::style();
  QSize size = style->sizeFromContents(QStyle::CT_ItemViewItem, &row, QSize(), view);
  size.setHeight(std::max(size.height(), iconSize_ + 4));
  return size;
}

bool TPictureDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                 const QStyleOptionViewItem& option, const QModelIndex& index) {
  if (event->type() == QEvent::ToolTip) {
    // Nothing to say shows no bubble at all (not an empty one).
    if (const QString text = toolTip(index); text.isEmpty())
      QToolTip::hideText();
    else
      QToolTip::showText(event->globalPos(), Qt::convertFromPlainText(text), view);
    return true;
  }
  return QStyledItemDelegate::helpEvent(event, view, option, index);
}
