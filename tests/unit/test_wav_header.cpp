#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "format/WavHeader.h"

// An odd fmt chunk gets a zero pad byte before the data chunk's head, and the RIFF size
// of a header followed by the largest data chunk stops at 2^32 - 1 instead of wrapping.
TEST(WavHeader, OddFmtChunkIsPaddedAndRiffSizeIsClamped)
{
    const uint8_t fmt[3] = {0xA1, 0xB2, 0xC3};
    const std::vector<uint8_t> expected = {'R', 'I', 'F', 'F', 24,   0,    0,    0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                                           3,   0,   0,   0,   0xA1, 0xB2, 0xC3, 0, 'd', 'a', 't', 'a', 0,   0,   0,   0};
    EXPECT_EQ(WavHeader(fmt, 3, 0), expected);

    const std::vector<uint8_t> huge = WavHeader(fmt, 3, 0xFFFFFFF0u);
    ASSERT_EQ(huge.size(), 32u);
    EXPECT_EQ(std::vector<uint8_t>(huge.begin() + 4, huge.begin() + 8), std::vector<uint8_t>({0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(std::vector<uint8_t>(huge.begin() + 28, huge.end()), std::vector<uint8_t>({0xF0, 0xFF, 0xFF, 0xFF}));
}
