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
}

TEST(PluginRecords, EntriesWithoutWavesAndEmptyListsAreZeros)
{
    TTxWavStream listed;
    testwaves::Fill(listed, testwaves::Iota(20));
    listed.SetSelStart(3);
    TPluginRecords records({&listed, "Working Wave", true}, {nullptr, "Final Wave", true},
                           {{&listed, "one", false}, {nullptr, "empty", false}}, {{1, 2}});
    // An entry without a wave: all four fields 0, the name still there.
    const TPluginWave& f = *records.Final();
    EXPECT_TRUE(f.Data == nullptr && f.Stream == nullptr && f.Format == nullptr && f.Size == 0);
    EXPECT_STREQ(f.Name, "Final Wave");
    const TPluginLists& lists = *records.Lists();
    ASSERT_EQ(lists.WaveCount, 2);
    EXPECT_EQ((*lists.Waves)[0].Data, listed.Memory());
    EXPECT_EQ((*lists.Waves)[0].SelStart, 0);  // the panes' selection only
    EXPECT_EQ(records.Working()->SelStart, 3);
    EXPECT_EQ((*lists.Waves)[1].Size, 0);
    EXPECT_STREQ((*lists.Waves)[1].Name, "empty");

    TPluginRecords none({&listed, "", true}, {&listed, "", true}, {}, {});
    EXPECT_EQ(*none.Lists()->Waves, nullptr);
    EXPECT_EQ(*none.Lists()->Selections, nullptr);
}
