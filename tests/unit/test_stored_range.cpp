// A stored selection's two texts read together: both offsets or none.
#include <gtest/gtest.h>

#include "document/StoredRange.h"

TEST(StoredRange, BothOffsetsReadOrTheEntryIsUnusable)
{
    const struct {
        const char* start;
        const char* end;
        std::optional<TStoredRange> range;
    } cases[] = {{"1000", "1101", TStoredRange{1000, 1101}}, {"3000", "500", TStoredRange{3000, 500}},
                 {"-3", "+4", TStoredRange{-3, 4}},           {"x", "5", {}},
                 {"7", "", {}},                                {"", "", {}},
                 {"1", "2147483648", {}}};
    for (const auto& c : cases) {
        EXPECT_EQ(ParseStoredRange(c.start, c.end), c.range) << c.start << ' ' << c.end;
        EXPECT_EQ(StoredRangeOrZero(c.start, c.end), c.range.value_or(TStoredRange{0, 0}));
    }
}
