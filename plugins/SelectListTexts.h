#pragma once
// The stored selections of a report list whose entries keep the two offsets as their
// hidden third and fourth sub-texts (columns 3 and 4), in list order.

#include <vector>

#include "plugins/StoredSelection.h"

class QTreeWidget;

std::vector<TStoredSelectionTexts> SelectListTexts(const QTreeWidget* list);
