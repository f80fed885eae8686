#pragma once
// The stored selections of the selections list as their two hidden texts, in list order.

#include <vector>

#include "plugins/StoredSelection.h"

class QTreeWidget;

std::vector<TStoredSelectionTexts> SelectListTexts(const QTreeWidget* list);
