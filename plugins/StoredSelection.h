#pragma once
// A stored selection as the selections list keeps it: two hidden decimal texts. Read
// for the plug-in records by the list's own rule (ParseStoredRange); an entry whose
// texts do not both read as integers counts as 0 and 0, which is not an error.

#include <string>

#include "document/StoredRange.h"
#include "plugins/sonovane_plugin.h"

struct TStoredSelectionTexts {
    std::string Start;
    std::string End;
};

// Both offsets, or 0 and 0 when either does not read.
TPluginSelection ParseStoredSelection(const TStoredSelectionTexts& texts);
