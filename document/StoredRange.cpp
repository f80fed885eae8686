#include "document/StoredRange.h"

#include <charconv>

std::optional<int32_t> ParseStoredOffset(std::string_view text)
{
    const char* first = text.data();
    const char* last = first + text.size();
    // from_chars takes a minus but no plus; "+-1" must stay unreadable.
    if (last - first > 1 && *first == '+' && first[1] != '-')
        ++first;
    int32_t value = 0;
    const auto [end, error] = std::from_chars(first, last, value, 10);
    if (first == last || error != std::errc() || end != last)
        return std::nullopt;
    return value;
}

std::optional<TStoredRange> ParseStoredRange(std::string_view start, std::string_view end)
{
    const std::optional<int32_t> s = ParseStoredOffset(start);
    const std::optional<int32_t> e = ParseStoredOffset(end);
    if (!s || !e)
        return std::nullopt;
    return TStoredRange{*s, *e};
}

TStoredRange StoredRangeOrZero(std::string_view start, std::string_view end)
{
    return ParseStoredRange(start, end).value_or(TStoredRange{});
}
