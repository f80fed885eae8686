#pragma once
// Grid lines of a report list: a light line under every row and right of every column,
// drawn over the standard item.

#include <QStyledItemDelegate>

class TGridDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    static QColor LineColour() { return QColor(0xD8, 0xD8, 0xD8); }
};
