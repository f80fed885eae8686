#include "plugins/StoredSelection.h"

TPluginSelection ParseStoredSelection(const TStoredSelectionTexts& texts)
{
    const TStoredRange range = StoredRangeOrZero(texts.Start, texts.End);
    return {range.Start, range.End};
}
