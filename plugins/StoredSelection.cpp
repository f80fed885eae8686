#include "plugins/StoredSelection.h"

#include <charconv>

std::optional<int32_t> ParseStoredOffset(const std::string& text)
{
    const char* first = text.data();
    const char* last = first + text.size();
    // from_chars takes a minus but no plus.
    if (first != last && *first == '+' && last - first > 1 && first[1] != '-')
        ++first;
    int32_t value = 0;
    const auto [end, error] = std::from_chars(first, last, value, 10);
    if (error != std::errc() || end != last || first == last)
        return std::nullopt;
    return value;
}

TPluginSelection ParseStoredSelection(const TStoredSelectionTexts& texts)
{
    const std::optional<int32_t> start = ParseStoredOffset(texts.Start);
    const std::optional<int32_t> end = ParseStoredOffset(texts.End);
    if (!start || !end)
        return {0, 0};
    return {*start, *end};
}
