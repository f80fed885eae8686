// The recovery write after an effect on a 10-minute wave (13,230,000 samples): the part
// the window waits for (compare with what was written, copy what changed) and the whole
// write until it is on disk (the writer's thread: file, fsync, rename, the folder's
// fsync), each beside a plain write of the same bytes (open, write, fsync, close) and the
// same without fsync, all in the same iterations, alternating, so that a busy disk or
// processor weighs on all of them alike. Medians are reported.
//
// Goal: the window's part within one frame (16.7 ms). The whole write syncs three times
// (the wave, the session list, the folder) where the plain write syncs once, so it is
// reported beside it, without a goal. The summary reports; nothing here fails.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "recovery/DurableFile.h"
#include "recovery/RecoveryJournal.h"
#include "recovery/RecoveryWriter.h"

namespace {

constexpr int32_t Samples = 13230000; // 10 minutes at 22050 per second

std::vector<double> effectMs, windowMs, recoveryMs, plainSyncMs, plainMs;

double Ms(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

double Median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// open, write, (fsync,) close: what any program does to put the bytes in a file.
void PlainWrite(const std::string& path, const uint8_t* data, size_t size, bool sync)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        std::abort();
    for (size_t done = 0; done < size;) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n <= 0)
            std::abort();
        done += static_cast<size_t>(n);
    }
    if (sync)
        ::fsync(fd);
    ::close(fd);
}

void RecoveryAfterEffect(benchmark::State& state)
{
    // A folder on the disk (not a memory file system), removed afterwards.
    const char* base = std::getenv("SONOVANE_BENCH_DIR");
    std::string root = std::string(base ? base : "/var/tmp") + "/sonovane-bench-XXXXXX";
    if (!::mkdtemp(root.data()))
        std::abort();
    const std::string folder = root + "/session";
    const std::string plainFile = root + "/plain.raw";
    DurableFile::MakeFolders(folder);

    auto doc = std::make_shared<TComposerDocument>();
    TTxWavStream& wave = doc->PaneWave(TPaneId::Working);
    wave.SetFormat(WorkingFormat());
    wave.SetSize(Samples);
    std::mt19937 rng(7);
    for (int32_t i = 0; i < Samples; ++i)
        wave.Memory()[i] = static_cast<uint8_t>(128 + std::lround(60 * std::sin(i * 0.05)) + rng() % 5);
    wave.SetSelStart(0);
    wave.SetSelEnd(Samples - 1);
    {
        TRecoveryWriter writer(folder, nullptr);
        TRecoveryJournal journal(doc, writer, {[](TPaneId) { return std::string("Working Wave"); }, nullptr});
        journal.Flush();  // the first write of everything, not measured
        writer.WaitIdle();
        float factor = 1.01f;
        for (auto _ : state) {
            const auto t0 = std::chrono::steady_clock::now();
            wave.Amplify(factor);
            factor = 2.0f - factor;  // up, then down: the samples keep changing
            const auto t1 = std::chrono::steady_clock::now();
            journal.PaneMayHaveChanged(TPaneId::Working);
            journal.Flush();
            const auto t2 = std::chrono::steady_clock::now();
            writer.WaitIdle();
            const auto t3 = std::chrono::steady_clock::now();
            PlainWrite(plainFile, wave.Memory(), static_cast<size_t>(Samples), true);
            const auto t4 = std::chrono::steady_clock::now();
            PlainWrite(plainFile, wave.Memory(), static_cast<size_t>(Samples), false);
            const auto t5 = std::chrono::steady_clock::now();
            effectMs.push_back(Ms(t1 - t0));
            windowMs.push_back(Ms(t2 - t1));
            recoveryMs.push_back(Ms(t3 - t1));
            plainSyncMs.push_back(Ms(t4 - t3));
            plainMs.push_back(Ms(t5 - t4));
            state.SetIterationTime(Ms(t3 - t1) / 1e3);
        }
    }
    DurableFile::RemoveFolder(folder);
    DurableFile::RemoveFolder(root);
    state.counters["window_ms"] = Median(windowMs);
    state.counters["plain_fsync_ms"] = Median(plainSyncMs);
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::RegisterBenchmark("RecoveryAfterAmplify10min", RecoveryAfterEffect)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(21);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    const double window = Median(windowMs), recovery = Median(recoveryMs), plainSync = Median(plainSyncMs),
                 plain = Median(plainMs);
    std::printf("\nmedians of %zu runs, 10-minute wave (%d bytes), Amplify %.1f ms before each\n", windowMs.size(),
                Samples, Median(effectMs));
    std::printf("%-38s %9.2f ms  (goal: one frame, 16.7 ms)%s\n", "recovery, the window's part", window,
                window <= 16.7 ? "" : " (over)");
    std::printf("%-38s %9.2f ms  %5.2fx the plain write with fsync\n", "recovery, until on disk", recovery,
                recovery / plainSync);
    std::printf("%-38s %9.2f ms\n", "plain write of the same bytes, fsync", plainSync);
    std::printf("%-38s %9.2f ms\n", "plain write of the same bytes, no fsync", plain);
    return 0;
}
