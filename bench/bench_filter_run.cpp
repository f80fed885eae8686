// A filter run through the plug-in helper process against the same filter called in
// the program's own process, on a 10-second working wave, in the same run: the kit's
// Echo over the whole wave, its result listed as a new entry (and removed again).
//
//   BM_FilterInProcess     the reference: load the library here, records pointing at
//                          the live waves, InitLib, the call, the copy, FreeLib, unload
//   BM_FilterOverBlock     the same call here, but over the records laid out in a shared
//                          block (what the helper does, without the process)
//   BM_FilterThroughHelper the program's run: block, helper process, answer, take-over
//
// The difference between the last and the first is what a run in its own process costs.

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <sys/resource.h>

#include "bench/support/QtBenchmarkMain.h"
#include "bench/support/SilentDialogs.h"
#include "document/ComposerDocument.h"
#include "platform/actions.h"
#include "plugins/FilterCall.h"
#include "plugins/PluginHelperProtocol.h"
#include "plugins/PluginRecords.h"
#include "plugins/PluginResult.h"
#include "plugins/PluginRunner.h"
#include "plugins/SharedPluginRecords.h"
#include "tests/support/TestWaves.h"

namespace {

constexpr size_t TenSeconds = 10 * 22050;

std::string KitPath()
{
    return (QCoreApplication::applicationDirPath() + QStringLiteral("/kit_effects.txf")).toStdString();
}

// A document whose working wave is ten seconds of a ramp, all selected.
std::shared_ptr<TComposerDocument> TenSecondDocument()
{
    auto document = std::make_shared<TComposerDocument>();
    TTxWavStream wave;
    wave.SetFormat(WorkingFormat());
    testwaves::Fill(wave, testwaves::Iota(TenSeconds, 0));
    wave.SetSelStart(0);
    wave.SetSelEnd(static_cast<int32_t>(TenSeconds) - 1);
    document->ReplacePaneWave(TPaneId::Working, wave);
    return document;
}

std::vector<TPluginWaveSource> NoEntries()
{
    return {};
}

void BM_FilterInProcess(benchmark::State& state)
{
    auto document = TenSecondDocument();
    int32_t listed = 0;
    for (auto _ : state) {
        void* module = dlopen(KitPath().c_str(), RTLD_NOW | RTLD_LOCAL);
        const auto initLib = reinterpret_cast<TInitLib>(dlsym(module, "InitLib"));
        const auto freeLib = reinterpret_cast<TFreeLib>(dlsym(module, "FreeLib"));
        const auto version = reinterpret_cast<TGetPluginVersion>(dlsym(module, "GetPluginVersion"));
        const auto echo = reinterpret_cast<TFilterProcV2>(dlsym(module, "KitEcho"));
        initLib(0);
        TPluginRecords records({&document->PaneWave(TPaneId::Working), "Working Wave", true},
                               {&document->PaneWave(TPaneId::Final), "Final Wave", true}, NoEntries(), {});
        benchmark::DoNotOptimize(version());
        TPluginWave* result = echo(records.Working(), records.Final(), records.Lists());
        document->AppendEntry(ReturnedName(*result), MakeReturnedWave(*result));
        freeLib();
        dlclose(module);
        listed = document->EntryWave(0)->Size();
        document->DeleteEntry(0);
    }
    state.counters["result samples"] = listed;
}

void BM_FilterOverBlock(benchmark::State& state)
{
    auto document = TenSecondDocument();
    TFilterCallRequest request{KitPath(), "KitEcho", 0};
    for (auto _ : state) {
        TSharedPluginRecords records({&document->PaneWave(TPaneId::Working), "Working Wave", true},
                                     {&document->PaneWave(TPaneId::Final), "Final Wave", true}, NoEntries(), {});
        TPluginMessage answer = CallFilter(request, records.Data(), records.Size());
        benchmark::DoNotOptimize(answer.Bytes.data());
        records.TakeOverSamples({&document->PaneWave(TPaneId::Working)});
    }
}

void BM_FilterThroughHelper(benchmark::State& state)
{
    TSilentDialogs dialogs;
    TDialogHook* previous = Dialogs::SetHook(&dialogs);
    TPluginHostParts parts;
    parts.Document = TenSecondDocument();
    parts.PaneName = [](TPaneId pane) { return pane == TPaneId::Working ? QStringLiteral("Working Wave") : QStringLiteral("Final Wave"); };
    const QString helper = QCoreApplication::applicationDirPath() + QLatin1Char('/') +
                           QString::fromLatin1(PluginHelperProtocol::ProgramName);
    TPluginRunner runner(parts, helper);
    TActionList actions(nullptr);
    TAction echo(&actions);
    echo.SetCategory(QString::fromStdString(KitPath()));
    echo.SetHint(QStringLiteral("KitEcho"));
    echo.SetCaption(QStringLiteral("Echo"));
    int32_t listed = 0;
    // The helpers' own processor time, which the CPU column (this process) leaves out.
    const auto childCpu = [] {
        rusage usage{};
        getrusage(RUSAGE_CHILDREN, &usage);
        return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
               double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    };
    const double cpuBefore = childCpu();
    for (auto _ : state) {
        runner.RunPluginFilter(&echo);
        listed = parts.Document->EntryCount() ? parts.Document->EntryWave(0)->Size() : -1;
        parts.Document->DeleteEntry(0);
    }
    Dialogs::SetHook(previous);
    state.counters["result samples"] = listed;
    state.counters["messages"] = static_cast<double>(dialogs.Messages.size());
    state.counters["helper CPU ms"] = (childCpu() - cpuBefore) / double(state.iterations());
}

BENCHMARK(BM_FilterInProcess)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilterOverBlock)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilterThroughHelper)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return RunQtBenchmarks(argc, argv);
}
