// Plug-ins in a process of their own: the messages to and from the helper, the records
// laid out in the shared block as the filter sees them, taking changes over, the scan's
// answers, and the real helper reading test libraries one of which crashes.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>

#include "plugins/FilterBlock.h"
#include "plugins/PluginHelperError.h"
#include "plugins/PluginHelperProcess.h"
#include "plugins/PluginHelperProtocol.h"
#include "plugins/PluginRecords.h"
#include "plugins/PluginScanHelper.h"
#include "plugins/ScannedLibrary.h"
#include "plugins/SharedPluginRecords.h"
#include "tests/support/TestWaves.h"

using namespace PluginHelperProtocol;

namespace {

std::unique_ptr<TTxWavStream> Wave(size_t size, uint8_t first, int32_t selStart, int32_t selEnd)
{
    auto wave = std::make_unique<TTxWavStream>();
    wave->SetFormat(WorkingFormat());
    testwaves::Fill(*wave, testwaves::Iota(size, first));
    wave->SetSelStart(selStart);
    wave->SetSelEnd(selEnd);
    return wave;
}

// Everything a filter can read through one record, addresses left out.
std::string Seen(const TPluginWave& w)
{
    std::string text = std::string(w.Name ? w.Name : "(null)") + " size=" + std::to_string(w.Size) + " sel=" +
                       std::to_string(w.SelStart) + ".." + std::to_string(w.SelEnd) +
                       " stream=" + std::to_string(reinterpret_cast<uintptr_t>(w.Stream));
    if (w.Format)
        text += " format=" + std::string(reinterpret_cast<const char*>(w.Format), sizeof(TWaveFormatEx));
    if (w.Data)
        text += " data=" + std::string(reinterpret_cast<const char*>(w.Data), static_cast<size_t>(w.Size));
    return text;
}

std::string Seen(TPluginWave* working, TPluginWave* final_, TPluginLists* lists)
{
    std::string text = Seen(*working) + '|' + Seen(*final_) + '|' + std::to_string(lists->WaveCount) + ' ' +
                       std::to_string(lists->SelectionCount) + (*lists->Waves ? " cell" : " 0") +
                       (*lists->Selections ? " cell" : " 0");
    for (int32_t i = 0; i < lists->WaveCount; ++i)
        text += '|' + Seen((*lists->Waves)[i]);
    for (int32_t i = 0; i < lists->SelectionCount; ++i)
        text += '|' + std::to_string((*lists->Selections)[i].SelStart) + ".." +
                std::to_string((*lists->Selections)[i].SelEnd);
    return text;
}

std::string Helper()
{
    return SONOVANE_HELPER;
}

std::string TestPlugin(const std::string& name)
{
    return std::string(SONOVANE_TEST_PLUGIN_DIR "/") + name + ".txf";
}

} // namespace

TEST(PluginHelper, MessagesReadBackWhatWasWrittenAndNeverPastTheirEnd)
{
    TPluginMessage message(ScanFilter);
    message.PutInt32(-7).PutText("Echo").PutUInt64(0x1122334455667788u).PutText("");
    TPluginMessage copy = message;
    EXPECT_EQ(copy.TakeInt32(), -7);
    EXPECT_EQ(copy.TakeText(), "Echo");
    EXPECT_EQ(copy.TakeUInt64(), 0x1122334455667788u);
    EXPECT_EQ(copy.TakeText(), "");
    EXPECT_THROW(copy.TakeInt32(), EPluginHelper);

    // One byte short of a text's stated length.
    TPluginMessage cut(ScanModulName);
    cut.PutText("Name");
    cut.Bytes.pop_back();
    EXPECT_THROW(cut.TakeText(), EPluginHelper);
}

TEST(PluginHelper, TheBlockShowsAFilterWhatTheLiveRecordsShow)
{
    auto working = Wave(300, 7, 10, 20);
    auto final_ = Wave(5, 200, 1, 3);
    auto listed = Wave(100, 9, 5, 9);
    const TPluginWaveSource w{working.get(), "Working Wave", true}, f{final_.get(), "Final Wave", true};
    const struct {
        const char* name;
        std::vector<TPluginWaveSource> waves;
        std::vector<TPluginSelection> selections;
    } cases[] = {
        {"empty lists", {}, {}},
        {"an entry without a wave", {{listed.get(), "one", false}, {nullptr, "empty", false}}, {{10, 200}, {0, 0}}},
        {"an empty name", {{listed.get(), "", false}}, {{-3, 4}}},
    };
    for (const auto& c : cases) {
        TPluginRecords live(w, f, c.waves, c.selections);
        TSharedPluginRecords shared(w, f, c.waves, c.selections);
        TFilterRecords records;
        ASSERT_TRUE(RelocateFilterBlock(shared.Data(), shared.Size(), records)) << c.name;
        EXPECT_EQ(Seen(records.Working, records.Final, records.Lists),
                  Seen(live.Working(), live.Final(), live.Lists()))
            << c.name;
        // Addresses point into the block, never at the program's waves.
        EXPECT_GE(records.Working->Data, shared.Data());
        EXPECT_LT(records.Working->Data, shared.Data() + shared.Size());
    }
}

TEST(PluginHelper, ABlockWithAnOffsetOutsideIsRefused)
{
    auto working = Wave(10, 0, 0, 0);
    const TPluginWaveSource w{working.get(), "W", true};
    const struct {
        const char* name;
        std::function<void(TPluginWave&, size_t)> damage;
        bool valid;
    } cases[] = {
        {"untouched", [](TPluginWave&, size_t) {}, true},
        {"data ends at the block's end", [](TPluginWave& r, size_t size) {
             r.Data = OffsetAsAddress<uint8_t>(size - 10); }, true},
        {"data one past it", [](TPluginWave& r, size_t size) { r.Data = OffsetAsAddress<uint8_t>(size - 9); }, false},
        {"negative size", [](TPluginWave& r, size_t) { r.Size = -1; }, false},
        {"format beyond", [](TPluginWave& r, size_t size) { r.Format = OffsetAsAddress<TWaveFormatEx>(size); }, false},
        {"name without its end", [](TPluginWave& r, size_t size) { r.Name = OffsetAsAddress<const char>(size - 1); },
         false},
    };
    for (const auto& c : cases) {
        TSharedPluginRecords shared(w, w, {}, {});
        TFilterBlockHeader header;
        std::memcpy(&header, shared.Data(), sizeof header);
        auto* record = reinterpret_cast<TPluginWave*>(shared.Data() + header.Working);
        // The last byte of the block is the end of a name or a sample; make it neither.
        shared.Data()[shared.Size() - 1] = 'x';
        c.damage(*record, shared.Size());
        TFilterRecords records;
        EXPECT_EQ(RelocateFilterBlock(shared.Data(), shared.Size(), records), c.valid) << c.name;
    }
    TFilterRecords records;
    uint8_t tooSmall[8] = {};
    EXPECT_FALSE(RelocateFilterBlock(tooSmall, sizeof tooSmall, records));
}

TEST(PluginHelper, ChangedSamplesAreTakenOverOnlyIntoWavesOfTheSameSize)
{
    auto working = Wave(4, 10, 0, 3);
    auto final_ = Wave(3, 50, 0, 2);
    auto listed = Wave(2, 90, 0, 1);
    TSharedPluginRecords shared({working.get(), "W", true}, {final_.get(), "F", true},
                                {{listed.get(), "L", false}}, {});
    TFilterRecords records;
    ASSERT_TRUE(RelocateFilterBlock(shared.Data(), shared.Size(), records));
    records.Working->Data[0] = 1;
    records.Working->SelStart = 3;  // the records' fields are the filter's own
    (*records.Lists->Waves)[0].Data[1] = 2;
    final_->SetSize(2);  // no longer the wave that was laid out
    records.Final->Data[0] = 3;
    auto gone = Wave(2, 90, 0, 1);  // stands for an entry that went during the run
    TSharedPluginRecords withGone({working.get(), "W", true}, {final_.get(), "F", true},
                                  {{gone.get(), "G", false}}, {});
    TFilterRecords goneRecords;
    ASSERT_TRUE(RelocateFilterBlock(withGone.Data(), withGone.Size(), goneRecords));
    (*goneRecords.Lists->Waves)[0].Data[0] = 7;
    EXPECT_EQ(withGone.TakeOverSamples({working.get(), final_.get()}), 0);
    EXPECT_EQ(testwaves::Bytes(*gone), (testwaves::ByteVector{90, 91}));

    const std::vector<const TTxWavStream*> alive{working.get(), final_.get(), listed.get()};
    EXPECT_EQ(shared.TakeOverSamples(alive), 2);
    EXPECT_EQ(testwaves::Bytes(*working), (testwaves::ByteVector{1, 11, 12, 13}));
    EXPECT_EQ(working->SelStart(), 0);
    EXPECT_EQ(testwaves::Bytes(*listed), (testwaves::ByteVector{90, 2}));
    EXPECT_EQ(testwaves::Bytes(*final_), (testwaves::ByteVector{50, 51}));
    EXPECT_EQ(shared.TakeOverSamples(alive), 0);  // nothing changed since
}

TEST(PluginHelper, AnUnansweredQuestionRaisesWhereItIsAsked)
{
    TScannedLibrary library;
    EXPECT_THROW(library.Loaded(), EPluginHelper);
    TPluginMessage loaded(ScanLoaded), exports(ScanExports), name(ScanModulName), count(ScanFilterCount);
    loaded.PutInt32(1);
    exports.PutInt32(ExportInitLib | ExportFreeLib | ExportGetModulName);
    name.PutText("Count crash");
    count.PutInt32(2);
    for (TPluginMessage* m : {&loaded, &exports, &name, &count})
        library.Take(*m);
    EXPECT_TRUE(library.Loaded());
    EXPECT_TRUE(library.Exports(ExportGetModulName));
    EXPECT_FALSE(library.Exports(ExportGetPluginVersion));
    EXPECT_EQ(library.ModulName(), "Count crash");
    EXPECT_EQ(library.FilterCount(), 2);
    EXPECT_THROW(library.FilterCount(), EPluginHelper);  // the second call had no answer
    EXPECT_THROW(library.FilterProcName(0), EPluginHelper);
    EXPECT_THROW(library.CheckFinished(), EPluginHelper);
    TPluginMessage unknown(RunRequest);
    EXPECT_THROW(library.Take(unknown), EPluginHelper);
}

TEST(PluginHelper, HowAHelperEndedReads)
{
    const struct {
        bool signalled;
        int code;
        const char* text;
    } cases[] = {{true, SIGSEGV, "segmentation fault"}, {true, SIGABRT, "aborted"}, {true, SIGKILL, "killed"},
                 {false, 3, "exit status 3"},           {false, 0, "exit status 0"}};
    for (const auto& c : cases)
        EXPECT_EQ((TPluginHelperEnd{c.signalled, c.code}.Description()), c.text);
}

TEST(PluginHelper, AfterACrashANewHelperReadsTheNextLibrary)
{
    TPluginScanHelper helper(Helper());
    TScannedLibrary two = helper.Read(TestPlugin("tp_two"));
    EXPECT_TRUE(two.Finished());
    EXPECT_EQ(two.ModulName(), "Two filters");
    EXPECT_EQ(two.FilterCount(), 2);
    EXPECT_EQ(two.FilterCount(), 2);
    EXPECT_EQ(two.FilterProcName(1) + ' ' + two.FilterName(1), "Filter1 About");

    TScannedLibrary crash = helper.Read(TestPlugin("tp_countcrash"));
    EXPECT_FALSE(crash.Finished());
    EXPECT_EQ(crash.ModulName(), "Count crash");
    EXPECT_THROW(crash.FilterCount(), EPluginHelper);

    TScannedLibrary after = helper.Read(TestPlugin("tp_single_about"));
    EXPECT_TRUE(after.Finished());
    EXPECT_EQ(after.FilterCount(), 1);
    EXPECT_EQ(after.FilterName(0), "About");

    TScannedLibrary missing = helper.Read(TestPlugin("no_such_library"));
    EXPECT_TRUE(missing.Finished());
    EXPECT_FALSE(missing.Loaded());

    // One that never answers is ended after the time it is given, and the next library
    // is read again by a new helper.
    helper.TimeoutMs = 300;
    const auto start = std::chrono::steady_clock::now();
    TScannedLibrary hang = helper.Read(TestPlugin("tp_counthang"));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    EXPECT_FALSE(hang.Finished());
    EXPECT_EQ(hang.ModulName(), "Count hang");
    EXPECT_THROW(hang.FilterCount(), EPluginHelper);
    EXPECT_TRUE(helper.Read(TestPlugin("tp_two")).Finished());

    TPluginScanHelper nowhere("/nonexistent/sonovane-plugin-helper");
    try {
        nowhere.Read(TestPlugin("tp_two"));
        FAIL() << "a helper that does not exist started";
    } catch (const EPluginHelper& e) {
        EXPECT_STREQ(e.what(), "The plug-in helper \"/nonexistent/sonovane-plugin-helper\" cannot be started: "
                               "No such file or directory.");
    }
}
