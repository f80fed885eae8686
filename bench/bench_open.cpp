// Opening 20 five-second 16-bit stereo 44.1 kHz files into the Waves list (read,
// convert to the working format, append), beside two references from the same run:
// reading the same bytes from disk, and sox converting the same files.

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <memory>

#include "bench/support/QtBenchmarkMain.h"
#include "bench/support/SilentDialogs.h"
#include "app/WaveOpener.h"
#include "app/WavesList.h"
#include "conversion/ACMConvertor.h"
#include "format/WavHeader.h"
#include "format/WaveFormat.h"
#include "wave/Stream.h"

namespace {

constexpr int FileCount = 20;
constexpr int Seconds = 5;
constexpr int Rate = 44100;

void PutLE(QByteArray& b, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
}

// The test files: a different chord in each, so no two are alike.
struct TFiles {
    QTemporaryDir Dir;
    QStringList Names;
    int64_t Bytes = 0;

    TFiles()
    {
        const int frames = Seconds * Rate;
        for (int f = 0; f < FileCount; ++f) {
            const TWaveFormatEx pcm{1, 2, Rate, Rate * 4, 4, 16, 0};
            const std::vector<uint8_t> header = WavHeader(&pcm, 16, static_cast<uint32_t>(frames) * 4);
            QByteArray wav(reinterpret_cast<const char*>(header.data()), static_cast<qsizetype>(header.size()));
            wav.reserve(44 + frames * 4);
            const double base = 110.0 * (1 + f);
            for (int i = 0; i < frames; ++i) {
                const double t = double(i) / Rate;
                const double l = 0.4 * std::sin(2 * M_PI * base * t) + 0.2 * std::sin(2 * M_PI * base * 1.5 * t);
                const double r = 0.4 * std::sin(2 * M_PI * base * 1.25 * t);
                PutLE(wav, uint32_t(int32_t(std::lround(l * 32767))) & 0xFFFF, 2);
                PutLE(wav, uint32_t(int32_t(std::lround(r * 32767))) & 0xFFFF, 2);
            }
            const QString name = Dir.filePath(QString("take %1.wav").arg(f));
            QFile file(name);
            if (!file.open(QIODevice::WriteOnly) || file.write(wav) != wav.size())
                qFatal("cannot write %s", qPrintable(name));
            Names << name;
            Bytes += wav.size();
        }
    }
};

TFiles& Files()
{
    static TFiles files;
    return files;
}

void BM_OpenFilesIntoWavesList(benchmark::State& state)
{
    TFiles& files = Files();
    TSilentDialogs dialogs;
    Dialogs::SetHook(&dialogs);
    int64_t samples = 0;
    for (auto _ : state) {
        TACMConvertor convertor;
        TWavesList list(nullptr);
        TWaveOpener opener(convertor, list);
        opener.OpenFiles(files.Names);
        state.PauseTiming();
        if (list.topLevelItemCount() != FileCount || !dialogs.Messages.isEmpty()) {
            state.ResumeTiming();
            state.SkipWithError(qPrintable("opening failed: " + dialogs.Messages.join("; ")));
            break;
        }
        samples = 0;
        for (int i = 0; i < list.topLevelItemCount(); ++i)
            samples += TWavesList::EntryWave(list.topLevelItem(i))->Size();
        state.ResumeTiming();
    }
    Dialogs::SetHook(nullptr);
    state.SetBytesProcessed(state.iterations() * files.Bytes);
    state.counters["working_samples"] = double(samples);
}
BENCHMARK(BM_OpenFilesIntoWavesList)->Unit(benchmark::kMillisecond)->UseRealTime();

// Reference: only reading the same bytes from disk into memory.
void BM_ReadSameBytesFromDisk(benchmark::State& state)
{
    TFiles& files = Files();
    for (auto _ : state) {
        for (const QString& name : files.Names) {
            TMemoryStream stream;
            stream.LoadFromFile(QFile::encodeName(name).toStdString());
            benchmark::DoNotOptimize(stream.Memory());
        }
    }
    state.SetBytesProcessed(state.iterations() * files.Bytes);
}
BENCHMARK(BM_ReadSameBytesFromDisk)->Unit(benchmark::kMillisecond)->UseRealTime();

// Reference: sox doing the same conversion, one process per file (as a user would).
void BM_SoxConvertSameFiles(benchmark::State& state)
{
    const QString sox = QStandardPaths::findExecutable("sox");
    if (sox.isEmpty()) {
        state.SkipWithError("sox not installed");
        return;
    }
    TFiles& files = Files();
    QTemporaryDir out;
    for (auto _ : state) {
        for (int i = 0; i < files.Names.size(); ++i) {
            const int rc = QProcess::execute(sox, {files.Names[i], "-r", "22050", "-c", "1", "-b", "8", "-D",
                                                   out.filePath(QString("%1.wav").arg(i))});
            if (rc != 0) {
                state.SkipWithError("sox failed");
                return;
            }
        }
    }
    state.SetBytesProcessed(state.iterations() * files.Bytes);
}
BENCHMARK(BM_SoxConvertSameFiles)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    // The files are generated once, outside every measurement.
    return RunQtBenchmarks(argc, argv, [] { Files(); });
}
