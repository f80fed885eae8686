#include "plugins/SelectListTexts.h"

#include "app/SelectionsList.h"

std::vector<TStoredSelectionTexts> SelectListTexts(const QTreeWidget* list)
{
    std::vector<TStoredSelectionTexts> texts;
    if (!list)
        return texts;
    const int count = list->topLevelItemCount();
    texts.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const QTreeWidgetItem* entry = list->topLevelItem(i);
        texts.push_back({entry->text(TSelectionsList::StartTextColumn).toStdString(),
                         entry->text(TSelectionsList::EndTextColumn).toStdString()});
    }
    return texts;
}
