#pragma once
// A stored selection as the selections list keeps it: two hidden decimal texts. Parsed
// for the plug-in records; an entry whose texts do not both read as integers counts as
// 0 and 0, which is not an error.

#include <optional>
#include <string>

#include "plugins/sonovane_plugin.h"

struct TStoredSelectionTexts {
    std::string Start;
    std::string End;
};

// A decimal integer of 32 bits: an optional sign and digits, nothing else.
std::optional<int32_t> ParseStoredOffset(const std::string& text);

// Both offsets, or 0 and 0 when either does not read.
TPluginSelection ParseStoredSelection(const TStoredSelectionTexts& texts);
