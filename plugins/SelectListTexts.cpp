#include "plugins/SelectListTexts.h"

#include <QTreeWidget>

std::vector<TStoredSelectionTexts> SelectListTexts(const QTreeWidget* list)
{
    std::vector<TStoredSelectionTexts> texts;
    if (!list)
        return texts;
    const int count = list->topLevelItemCount();
    texts.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const QTreeWidgetItem* entry = list->topLevelItem(i);
        texts.push_back({entry->text(3).toStdString(), entry->text(4).toStdString()});
    }
    return texts;
}
