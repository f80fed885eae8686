#include "app/DocumentRows.h"

#include <QAbstractItemModel>
#include <QTreeWidget>
#include <utility>

void FollowRowRemovals(QTreeWidget& list, const bool& applying, std::function<void(int row)> removeItem,
                       std::function<void()> clearItems)
{
    QObject::connect(list.model(), &QAbstractItemModel::rowsRemoved, &list,
                     [&applying, removeItem = std::move(removeItem)](const QModelIndex& parent, int first, int last) {
                         if (applying || parent.isValid())
                             return;
                         for (int row = last; row >= first; --row)
                             removeItem(row);
                     });
    QObject::connect(list.model(), &QAbstractItemModel::modelReset, &list,
                     [&applying, clearItems = std::move(clearItems)] {
                         if (!applying)
                             clearItems();
                     });
}
