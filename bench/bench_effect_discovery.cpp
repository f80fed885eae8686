// What the desktop's LADSPA and LV2 effects add to a start: the window reading its
// Effects menu from a current cache and filling it (the only part the start waits for),
// beside the same with no effects folders at all, in the same run. The cold figure, a
// full read of every library into a new cache, runs in the effect helper while the
// program goes on; it is timed here in this process for the record.

#include <QApplication>
#include <QMenu>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include "bench/support/QtBenchmarkMain.h"
#include "app/EffectCommands.h"
#include "effects/EffectCatalog.h"
#include "platform/actions.h"

namespace {

QTemporaryDir& Folder()
{
    static QTemporaryDir folder;
    return folder;
}

void SetFolders(bool installed)
{
    qputenv("LADSPA_PATH", installed ? "/usr/lib/ladspa" : "/nonexistent");
    qputenv("LV2_PATH", installed ? "/usr/lib/lv2" : "/nonexistent");
}

// The window's part: the fingerprint, the cache read and the menu.
void BM_WindowDiscovery(benchmark::State& state)
{
    const bool installed = state.range(0) != 0;
    SetFolders(installed);
    const QString cache = Folder().filePath(installed ? "with.cache" : "without.cache");
    EffectCatalog::Discover(QFile::encodeName(cache).toStdString());  // warm
    TActionList list(nullptr);
    auto* apply = new TAction(&list, QStringLiteral("ApplyEffect"));
    QMenu menu;
    size_t count = 0;
    for (auto _ : state) {
        TEffectCommands::TParts parts;
        parts.Menu = &menu;
        parts.ApplyAction = apply;
        parts.CacheFile = cache;
        TEffectCommands effects(std::move(parts));
        effects.Discover();
        count = effects.Effects().size();
    }
    state.SetLabel(std::to_string(count) + " effects");
}

// Reading every library and bundle and writing the cache: what the helper does once
// after an effect package was installed or removed.
void BM_ColdScan(benchmark::State& state)
{
    SetFolders(true);
    const std::string cache = QFile::encodeName(Folder().filePath("cold.cache")).toStdString();
    size_t count = 0;
    for (auto _ : state) {
        std::remove(cache.c_str());
        count = EffectCatalog::Discover(cache).size();
    }
    state.SetLabel(std::to_string(count) + " effects");
}

BENCHMARK(BM_WindowDiscovery)->ArgName("installed")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ColdScan)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    return RunQtBenchmarks(argc, argv);
}
