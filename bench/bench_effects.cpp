// The edit effects on a 10-minute wave (13,230,000 samples, the whole wave selected),
// each beside a memcpy of the same bytes timed in the same iterations, so that the
// ratio holds even while the machine is busy with other work. Delete removes the first
// second instead (deleting everything only releases the buffer) and is set beside a
// memcpy of the bytes it moves.
//
// Goals: Normalize, Amplify and Reverse within 3 times the memcpy, the fades and the
// speed changes within 10 times. The summary reports; nothing here fails.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "wave/Wavs_ex.h"

namespace {

constexpr int32_t Samples = 13230000; // 10 minutes at 22050 per second
constexpr int32_t OneSecond = 22050;
constexpr int32_t Minute = 60 * OneSecond;

// A sound-like wave: decaying partials and noise around the zero line.
const std::vector<uint8_t>& Source()
{
    static const std::vector<uint8_t> bytes = [] {
        std::vector<uint8_t> b(Samples);
        std::mt19937 rng(2024);
        std::normal_distribution<double> noise(0.0, 3.0);
        for (int32_t i = 0; i < Samples; ++i) {
            const double t = static_cast<double>(i % 44100) / 22050.0;
            const double v = std::exp(-1.5 * t) * (70 * std::sin(2 * M_PI * 220 * t) + 25 * std::sin(2 * M_PI * 663 * t)) +
                             noise(rng);
            b[i] = static_cast<uint8_t>(std::lround(std::clamp(128.0 + v, 1.0, 254.0)));
        }
        return b;
    }();
    return bytes;
}

struct Effect {
    const char* name;
    double goal; // times the memcpy
    int32_t selStart;
    int32_t selEnd;
    int32_t referenceBytes; // what the memcpy beside it copies
    std::function<void(TTxWavStream&)> run;
};

struct Result {
    std::string name;
    double goal, effectMs, memcpyMs;
};
std::vector<Result> results;

double Seconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

void Measure(benchmark::State& state, const Effect& effect)
{
    const std::vector<uint8_t>& source = Source();
    const int32_t moved = effect.referenceBytes;
    std::vector<uint8_t> target(source.size());
    TTxWavStream wave;
    double effectTotal = 0, memcpyTotal = 0;
    for (auto _ : state) {
        // Fresh samples every time; the buffer keeps its capacity, as a pane's wave does.
        wave.SetSize(Samples);
        std::memcpy(wave.Memory(), source.data(), source.size());
        wave.SetSelStart(effect.selStart);
        wave.SetSelEnd(effect.selEnd);

        auto t0 = std::chrono::steady_clock::now();
        std::memcpy(target.data(), source.data() + (source.size() - moved), moved);
        benchmark::ClobberMemory();
        auto t1 = std::chrono::steady_clock::now();
        effect.run(wave);
        benchmark::ClobberMemory();
        auto t2 = std::chrono::steady_clock::now();

        memcpyTotal += Seconds(t1 - t0);
        effectTotal += Seconds(t2 - t1);
        state.SetIterationTime(Seconds(t2 - t1));
    }
    const auto n = static_cast<double>(state.iterations());
    state.counters["memcpy_ms"] = 1e3 * memcpyTotal / n;
    state.counters["x_memcpy"] = effectTotal / memcpyTotal;
    // Google Benchmark runs each benchmark more than once; the last run counts.
    std::erase_if(results, [&](const Result& r) { return r.name == effect.name; });
    results.push_back({effect.name, effect.goal, 1e3 * effectTotal / n, 1e3 * memcpyTotal / n});
}

} // namespace

int main(int argc, char** argv)
{
    const int32_t last = Samples - 1;
    const std::vector<Effect> effects = {
        {"Normalize", 3, 0, last, Samples, [](TTxWavStream& w) { w.Normalize(NormalizeLevel / 100.0f); }},
        {"Amplify", 3, 0, last, Samples, [](TTxWavStream& w) { w.Amplify(1.1f); }},
        {"FadeIn", 10, 0, last, Samples, [](TTxWavStream& w) { w.FadeInRange(w.SelStart(), w.SelLength(), 1); }},
        {"FadeOut", 10, 0, last, Samples, [](TTxWavStream& w) { w.FadeOutRange(w.SelStart(), w.SelLength(), 1); }},
        // Ramps under about three minutes are computed sample by sample, in vectors.
        {"FadeIn1min", 10, 0, Minute - 1, Minute, [](TTxWavStream& w) { w.FadeInRange(w.SelStart(), w.SelLength(), 1); }},
        {"Reverse", 3, 0, last, Samples, [](TTxWavStream& w) { w.ReverseSelection(); }},
        {"SpeedUp", 10, 0, last, Samples, [](TTxWavStream& w) { w.SpeedUpSelection(); }},
        {"SlowDown", 10, 0, last, Samples, [](TTxWavStream& w) { w.SlowDownSelection(); }},
        {"Delete", 3, 0, OneSecond - 1, Samples - OneSecond, [](TTxWavStream& w) { w.RemoveSelection(); }},
    };
    Source();
    for (const Effect& e : effects)
        benchmark::RegisterBenchmark(e.name, [&e](benchmark::State& s) { Measure(s, e); })
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->MinTime(0.5);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    std::printf("\n%-10s %10s %12s %10s %6s\n", "effect", "ms", "memcpy ms", "x memcpy", "goal");
    for (const Result& r : results)
        std::printf("%-10s %10.2f %12.2f %10.2f %5.0fx %s\n", r.name.c_str(), r.effectMs, r.memcpyMs,
                    r.effectMs / r.memcpyMs, r.goal, r.effectMs <= r.goal * r.memcpyMs ? "" : "(over)");
    return 0;
}
