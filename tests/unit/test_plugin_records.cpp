// The plug-in records built from plain values, and stored selection texts as numbers.
#include <gtest/gtest.h>

#include "plugins/PluginRecords.h"
#include "plugins/StoredSelection.h"
#include "tests/support/TestWaves.h"

TEST(PluginRecords, StoredOffsetsReadAsDecimalIntegers)
{
    const struct {
        const char* text;
        std::optional<int32_t> value;
    } cases[] = {{"0", 0},           {"250", 250},   {"-3", -3},        {"+4", 4},
                 {"2147483647", INT32_MAX}, {"-2147483648", INT32_MIN}, {"2147483648", {}}, {"", {}},
                 {"x", {}},          {"5x", {}},     {" 5", {}},        {"5 ", {}},
                 {"0x10", {}},       {"+", {}},      {"+-1", {}},       {"1.5", {}}};
    for (const auto& c : cases)
        EXPECT_EQ(ParseStoredOffset(c.text), c.value) << '"' << c.text << '"';
    EXPECT_EQ(ParseStoredSelection({"10", "200"}).SelEnd, 200);
    for (const TStoredSelectionTexts& bad : {TStoredSelectionTexts{"x", "5"}, {"7", ""}, {"", ""}}) {
        const TPluginSelection s = ParseStoredSelection(bad);
        EXPECT_EQ(s.SelStart, 0);
        EXPECT_EQ(s.SelEnd, 0);
    }
}

TEST(PluginRecords, PointIntoTheLiveWavesAndHoldCellsForTheLists)
{
    TTxWavStream working, listed;
    testwaves::Fill(working, testwaves::Iota(50));
    working.SetSelStart(5);
    working.SetSelEnd(9);
    testwaves::Fill(listed, testwaves::Iota(20));
    listed.SetSelStart(3);
    TPluginRecords records({&working, "Working Wave", true}, {nullptr, "Final Wave", true},
                           {{&listed, "one", false}, {nullptr, "empty", false}}, {{1, 2}});
    const TPluginWave& w = *records.Working();
    EXPECT_EQ(w.Data, working.Memory());
    EXPECT_EQ(w.Stream, &working);
    EXPECT_EQ(w.Format, &working.Format);
    EXPECT_EQ(w.SelStart, 5);
    EXPECT_EQ(w.SelEnd, 9);
    EXPECT_EQ(w.Size, 50);
    EXPECT_STREQ(w.Name, "Working Wave");
    // An entry without a wave: all four fields 0, the name still there.
    const TPluginWave& f = *records.Final();
    EXPECT_TRUE(f.Data == nullptr && f.Stream == nullptr && f.Format == nullptr && f.Size == 0);
    TPluginLists& lists = *records.Lists();
    ASSERT_EQ(lists.WaveCount, 2);
    EXPECT_EQ((*lists.Waves)[0].Data, listed.Memory());
    EXPECT_EQ((*lists.Waves)[0].SelStart, 0);
    EXPECT_STREQ((*lists.Waves)[1].Name, "empty");
    EXPECT_EQ((*lists.Waves)[1].Size, 0);
    ASSERT_EQ(lists.SelectionCount, 1);
    EXPECT_EQ((*lists.Selections)[0].SelEnd, 2);

    TPluginRecords none({&working, "", true}, {&working, "", true}, {}, {});
    EXPECT_EQ(*none.Lists()->Waves, nullptr);
    EXPECT_EQ(*none.Lists()->Selections, nullptr);
    EXPECT_EQ(none.Lists()->WaveCount + none.Lists()->SelectionCount, 0);
}
