// Durations as the lists and panes show them: minutes, "' ", seconds to the millisecond, '"'.
#include <gtest/gtest.h>

#include <clocale>

#include "wave/TimeText.h"

TEST(TimeText, MinutesAndSeconds)
{
    EXPECT_EQ(SamplesToTimeText(0), "0' 0.000\"");
    EXPECT_EQ(SamplesToTimeText(33075), "0' 1.500\"");
    EXPECT_EQ(SamplesToTimeText(1323000), "1' 0.000\"");
    EXPECT_EQ(SamplesToTimeText(22050), "0' 1.000\"");
    EXPECT_EQ(SamplesToTimeText(1), "0' 0.000\""); // 45 microseconds
    EXPECT_EQ(SamplesToTimeText(11), "0' 0.000\""); // 0.499 ms
    EXPECT_EQ(SamplesToTimeText(12), "0' 0.001\""); // 0.544 ms
    EXPECT_EQ(SamplesToTimeText(1323000 * 3 + 22050 * 7 + 2205), "3' 7.100\"");
    // Negative counts read as their absolute value.
    EXPECT_EQ(SamplesToTimeText(-33075), "0' 1.500\"");
    // Ten hours: the single-precision minutes show their rounding, as they always have.
    EXPECT_EQ(SamplesToTimeText(int64_t{22050} * 36000), "600' 0.000\"");
}

TEST(TimeText, SeparatorIsTheCallersNotTheProcessLocale)
{
    EXPECT_EQ(SamplesToTimeText(33075, ','), "0' 1,500\"");
    // The toolkit switches the C locale to the user's; the text must not follow it.
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = old ? old : "C";
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr) {
        EXPECT_EQ(SamplesToTimeText(33075, '.'), "0' 1.500\"");
        EXPECT_EQ(SamplesToTimeText(33075, ','), "0' 1,500\"");
    }
    std::setlocale(LC_NUMERIC, saved.c_str());
}
