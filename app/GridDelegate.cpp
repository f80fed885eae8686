#include "app/GridDelegate.h"

#include <QPainter>
#include <algorithm>

void TGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const
{
    QStyledItemDelegate::paint(painter, option, index);
    painter->save();
    painter->setPen(LineColour());
    const QRect r = option.rect;
    painter->drawLine(r.bottomLeft(), r.bottomRight());
    painter->drawLine(r.topRight(), r.bottomRight());
    painter->restore();
}

QSize TGridDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    // The style fits the row to the font's line exactly: the lowest pixels of "g" or
    // "_" then fall on the row's last line, where the grid line covers them, and some
    // fonts draw the underscore below their stated descent. Room above and below the
    // line, and one more for the grid line.
    constexpr int Padding = 2;
    const int line = option.fontMetrics.height();
    size.setHeight(std::max(size.height(), line) + 2 * Padding + 1);
    return size;
}
