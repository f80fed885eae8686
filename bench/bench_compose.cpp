// Composing on a 10-minute wave (13,230,000 samples), each beside a memcpy of the bytes
// it has to move, timed in the same run: the mixer over the whole wave, moving the
// middle third of a wave to its front (one temporary copy of the third) and inserting
// a one-minute selection of another wave in front of it. Reports only.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "rules/waveprocessing.h"
#include "wave/Composing.h"

namespace {

constexpr int32_t Samples = 13230000;
constexpr int32_t Third = Samples / 3;
constexpr int32_t Minute = 60 * 22050;

void Make(TTxWavStream& w, int32_t n, int step)
{
    std::vector<uint8_t> bytes(n);
    for (int32_t i = 0; i < n; ++i)
        bytes[i] = static_cast<uint8_t>(128 + ((i * step) % 181) - 90);
    w.SetSize(0);
    w.Write(bytes.data(), n);
}

void Memcpy(benchmark::State& state)
{
    std::vector<uint8_t> a(state.range(0), 1), b(state.range(0));
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), a.size());
        benchmark::DoNotOptimize(b.data());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

void Mix(benchmark::State& state)
{
    TTxWavStream source, target;
    Make(source, Samples, 7);
    Make(target, Samples, 11);
    for (auto _ : state)
        MixWaves(source, target, 0, Samples, 0);  // the target gets quieter, never silent
    state.SetBytesProcessed(state.iterations() * int64_t{Samples});
}

void MoveToFront(benchmark::State& state)
{
    TTxWavStream wave;
    Make(wave, Samples, 7);
    for (auto _ : state) {
        wave.SetSelStart(Third);
        wave.SetSelEnd(2 * Third - 1);
        Composing::InsertAtBeginning(wave, wave);
    }
    state.SetBytesProcessed(state.iterations() * int64_t{2 * Third});  // the third, and what it passes
}

void InsertFromAnother(benchmark::State& state)
{
    TTxWavStream source, target;
    Make(source, Samples, 7);
    for (auto _ : state) {
        state.PauseTiming();
        Make(target, Samples, 11);
        source.SetSelStart(Minute);
        source.SetSelEnd(2 * Minute - 1);
        state.ResumeTiming();
        Composing::InsertAtBeginning(target, source);
    }
    state.SetBytesProcessed(state.iterations() * int64_t{Samples + Minute});
}

} // namespace

BENCHMARK(Memcpy)->Arg(Samples)->Arg(2 * Third)->Unit(benchmark::kMillisecond);
BENCHMARK(Mix)->Unit(benchmark::kMillisecond);
BENCHMARK(MoveToFront)->Unit(benchmark::kMillisecond);
BENCHMARK(InsertFromAnother)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
