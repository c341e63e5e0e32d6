#pragma once

#include <QStyledItemDelegate>

class QTreeView;

// Lets a tree view's items wrap: each row is measured at its columns' widths, so a long value
// gets the lines it needs (the view alone measures rows as if they never wrapped), and the rows
// are measured again when a column is resized. Installed by the constructor.
class WrappingDelegate : public QStyledItemDelegate
{
public:
    explicit WrappingDelegate(QTreeView *view);
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    QTreeView *m_view;
};
