#pragma once
// Grid lines of a report list: a light line under every row and right of every column,
// drawn over the standard item. Rows are tall enough for the whole text of the list's
// font, descenders and underscores included, with the line below it.

#include <QStyledItemDelegate>

class TGridDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    static QColor LineColour() { return QColor(0xD8, 0xD8, 0xD8); }
};
