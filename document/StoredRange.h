#pragma once
// A stored selection is kept as two decimal texts (the selections list's hidden
// columns). Every use of an entry reads them here: a drop on a pane needs both offsets
// or refuses the entry, a plug-in receives 0 and 0 when they do not read.

#include <cstdint>
#include <optional>
#include <string_view>

struct TStoredRange {
    int32_t Start = 0;
    int32_t End = 0;
    bool operator==(const TStoredRange&) const = default;
};

// A decimal integer of 32 bits: an optional sign and at least one digit, nothing else
// (no blanks, no hex, no decimal point).
std::optional<int32_t> ParseStoredOffset(std::string_view text);

// Both offsets, or nothing when either does not read.
std::optional<TStoredRange> ParseStoredRange(std::string_view start, std::string_view end);

// Both offsets, or 0 and 0 when either does not read.
TStoredRange StoredRangeOrZero(std::string_view start, std::string_view end);
