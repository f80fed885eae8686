// Start-up from the entry to the main window with the plug-in scan done ("-nodelay"),
// with the plug-in kit in the program folder and with an empty plug-in folder, beside
// "-noplugin" as the reference, all in the same run. The scan loads every library
// once, asks for its names and unloads it; this shows what that costs. The scan runs
// in the plug-in helper; the kit read in the program's own process instead is the
// reference for what the helper adds.

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include "bench/support/SilentDialogs.h"
#include "about/Unit2.h"
#include "app/Startup.h"
#include "app/main.h"
#include "plugins/LibraryScan.h"
#include "plugins/PluginHost.h"
#include "tests/gui/support/Form1TestAccess.h"

namespace {

TScannedLibrary ReadInProcess(const std::string& path)
{
    TScannedLibrary library;
    ScanLibrary(path, [&library](const TPluginMessage& answer) {
        TPluginMessage copy = answer;
        library.Take(copy);
    });
    return library;
}

// Runs start-up to the point where the window is up and the splash is gone.
// pluginFolder: where the scan looks (empty: the program folder, with the kit).
void StartUp(benchmark::State& state, const QStringList& arguments, const QString& pluginFolder,
             bool inProcess = false)
{
    TSilentDialogs dialogs;
    TDialogHook* previous = Dialogs::SetHook(&dialogs);
    int entries = 0;
    for (auto _ : state) {
        TStartup s = RunStartup(arguments);
        if (!pluginFolder.isEmpty())
            s.Form1->SetPluginFolder(pluginFolder);
        if (inProcess)
            TForm1TestAccess(*s.Form1).Plugins()->ReadLibrary = ReadInProcess;
        // The posted scan runs with the first pass of the loop.
        QCoreApplication::sendPostedEvents(s.Form1.get());
        QCoreApplication::processEvents();
        entries = int(s.Form1->findChild<QMenu*>(QStringLiteral("PlugInMenu"))->actions().size());
        benchmark::DoNotOptimize(entries);
    }
    Dialogs::SetHook(previous);
    state.counters["menu entries"] = entries;
    state.counters["messages"] = static_cast<double>(dialogs.Messages.size());
}

void BM_StartupNoPlugin(benchmark::State& state)
{
    StartUp(state, {QStringLiteral("-noplugin")}, QString());
}

void BM_StartupEmptyPluginFolder(benchmark::State& state)
{
    static QTemporaryDir empty;
    StartUp(state, {QStringLiteral("-nodelay")}, empty.path() + QLatin1Char('/'));
}

void BM_StartupWithKit(benchmark::State& state)
{
    StartUp(state, {QStringLiteral("-nodelay")}, QString());
    state.counters["libraries"] =
        double(QDir(QCoreApplication::applicationDirPath()).entryList({QStringLiteral("*.txf")}, QDir::Files).size());
}

// The kit read by the same calls in the program's own process.
void BM_StartupWithKitInProcess(benchmark::State& state)
{
    StartUp(state, {QStringLiteral("-nodelay")}, QString(), true);
}

BENCHMARK(BM_StartupNoPlugin)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartupEmptyPluginFolder)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartupWithKit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartupWithKitInProcess)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER"))
        qputenv("SDL_AUDIODRIVER", "dummy");
    // The window reads and writes its two folders at every start and end: keep them
    // away from the user's own settings.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
