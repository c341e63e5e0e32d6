#include "submit/wrappingdelegate.h"

#include <QHeaderView>
#include <QTreeView>

WrappingDelegate::WrappingDelegate(QTreeView *view) : QStyledItemDelegate(view), m_view(view)
{
    view->setWordWrap(true);
    view->setTextElideMode(Qt::ElideNone);
    view->setItemDelegate(this);
    connect(view->header(), &QHeaderView::sectionResized, view, &QTreeView::doItemsLayout);
}

QSize WrappingDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem wrapped = option;
    wrapped.rect = QRect(0, 0, m_view->columnWidth(index.column()), 1);
    return QStyledItemDelegate::sizeHint(wrapped, index);
}
