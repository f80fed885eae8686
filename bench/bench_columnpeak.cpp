// Column peak scan, the waveform view's hot path, beside a plain memory read of the same
// bytes measured in the same run. Every pane repaint calls ColumnPeak once per pixel
// column, so a whole wave drawn into 1920 columns is the realistic case; one call over the
// whole buffer shows the raw scan speed.
//
// The summary at the end gives each scan's speed as a share of the reference read of the
// same buffer. It reports only; nothing here fails.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "wave/Wavs_ex.h"

namespace {

constexpr int Columns = 1920;

enum class Content { Sound, Ramp };

// A sound-like wave: a few decaying partials plus noise around the zero line, never
// reaching 255 (a clipped wave would stop every scan at once).
void MakeSound(uint8_t* p, size_t n)
{
    std::mt19937 rng(2024);
    std::normal_distribution<double> noise(0.0, 3.0);
    for (size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i % 44100) / 22050.0;
        const double envelope = std::exp(-1.5 * t);
        const double v = envelope * (70.0 * std::sin(2 * M_PI * 220.0 * t) + 25.0 * std::sin(2 * M_PI * 663.0 * t)) +
                         noise(rng);
        p[i] = static_cast<uint8_t>(std::lround(std::clamp(128.0 + v, 1.0, 254.0)));
    }
}

// Worst case: a ramp 0..254 rising over each column, so no scan can stop early, the
// running maximum rises with nearly every byte, and no 8-byte block can be passed over.
void MakeRamp(uint8_t* p, size_t n)
{
    const size_t column = n / Columns + 1;
    for (size_t i = 0; i < n; ++i)
        p[i] = static_cast<uint8_t>((i % column) * 254 / column);
}

struct Wave {
    TTxWavStream stream;
};

Wave& WaveFor(size_t size, Content content)
{
    static std::map<std::pair<size_t, int>, std::unique_ptr<Wave>> waves;
    auto& slot = waves[{size, static_cast<int>(content)}];
    if (!slot) {
        slot = std::make_unique<Wave>();
        slot->stream.SetSize(static_cast<int64_t>(size));
        if (content == Content::Sound)
            MakeSound(slot->stream.Memory(), size);
        else
            MakeRamp(slot->stream.Memory(), size);
    }
    return *slot;
}

// Reference: a vectorised OR over the same bytes, with the same loads and the same
// number of independent accumulators as the scan: what the memory can deliver.
uint8_t ReadReference(const uint8_t* data, size_t n)
{
#if defined(__SSE2__)
    const uint8_t* p = data;
    const uint8_t* end = data + n;
    uint8_t rest = 0;
    while ((reinterpret_cast<uintptr_t>(p) & 15) != 0 && p < end)
        rest |= *p++;
    __m128i a0 = _mm_setzero_si128(), a1 = a0, a2 = a0, a3 = a0;
    for (; end - p >= 64; p += 64) {
        a0 = _mm_or_si128(a0, _mm_load_si128(reinterpret_cast<const __m128i*>(p)));
        a1 = _mm_or_si128(a1, _mm_load_si128(reinterpret_cast<const __m128i*>(p + 16)));
        a2 = _mm_or_si128(a2, _mm_load_si128(reinterpret_cast<const __m128i*>(p + 32)));
        a3 = _mm_or_si128(a3, _mm_load_si128(reinterpret_cast<const __m128i*>(p + 48)));
    }
    while (p < end)
        rest |= *p++;
    alignas(16) uint8_t lanes[16];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), _mm_or_si128(_mm_or_si128(a0, a1), _mm_or_si128(a2, a3)));
    for (uint8_t b : lanes)
        rest |= b;
    return rest;
#else
    uint8_t r = 0;
    for (size_t i = 0; i < n; ++i)
        r |= data[i];
    return r;
#endif
}

std::string SizeName(size_t size)
{
    return size % (1 << 20) == 0 ? std::to_string(size >> 20) + "MiB" : std::to_string(size / 1000000) + "MB";
}

void Reference(benchmark::State& state, size_t size, Content content, bool columns)
{
    Wave& wave = WaveFor(size, content);
    const uint8_t* p = wave.stream.Memory();
    for (auto _ : state) {
        if (columns) {
            for (int c = 0; c < Columns; ++c) {
                const size_t from = size * c / Columns, to = size * (c + 1) / Columns;
                benchmark::DoNotOptimize(ReadReference(p + from, to - from));
            }
        } else {
            benchmark::DoNotOptimize(ReadReference(p, size));
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(size));
}

void Peak(benchmark::State& state, size_t size, Content content, bool columns, int precision)
{
    const TTxWavStream& wave = WaveFor(size, content).stream;
    for (auto _ : state) {
        if (columns) {
            for (int c = 0; c < Columns; ++c) {
                const auto from = static_cast<int32_t>(size * c / Columns);
                const auto to = static_cast<int32_t>(size * (c + 1) / Columns);
                benchmark::DoNotOptimize(wave.ColumnPeak(from, to - from, precision));
            }
        } else {
            benchmark::DoNotOptimize(wave.ColumnPeak(0, static_cast<int32_t>(size), precision));
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(size));
}

// The plain byte loop, as a scan without vectors would run.
void Plain(benchmark::State& state, size_t size, Content content)
{
    const uint8_t* p = WaveFor(size, content).stream.Memory();
    for (auto _ : state)
        benchmark::DoNotOptimize(MaxBytePlain(p, static_cast<int32_t>(size)));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(size));
}

// Collects each run's bytes/s so the summary can set it beside its reference.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& reports) override
    {
        ConsoleReporter::ReportRuns(reports);
        for (const Run& run : reports) {
            const auto it = run.counters.find("bytes_per_second");
            if (run.run_type == Run::RT_Iteration && it != run.counters.end())
                FSpeeds.emplace_back(run.benchmark_name(), it->second.value);
        }
    }

    void PrintSummary() const
    {
        std::map<std::string, double> references;
        for (const auto& [name, speed] : FSpeeds)
            if (name.rfind("Reference/", 0) == 0)
                references[name.substr(10)] = speed;
        std::printf("\n%-44s %10s %12s\n", "scan (group: size/content/calls)", "GB/s", "of reference");
        for (const auto& [name, speed] : FSpeeds) {
            const auto ref = references.find(name.substr(name.find('/') + 1));
            if (ref == references.end() || ref->second <= 0)
                std::printf("%-44s %10.2f %12s\n", name.c_str(), speed / 1e9, "-");
            else
                std::printf("%-44s %10.2f %11.0f%%\n", name.c_str(), speed / 1e9, 100.0 * speed / ref->second);
        }
    }

private:
    std::vector<std::pair<std::string, double>> FSpeeds;
};

} // namespace

int main(int argc, char** argv)
{
    const std::vector<size_t> sizes = {size_t{13000000}, size_t{80} << 20};
    for (size_t size : sizes) {
        for (Content content : {Content::Sound, Content::Ramp}) {
            const std::string contentName = content == Content::Sound ? "sound" : "worst";
            for (bool columns : {true, false}) {
                // Worst case only for the realistic call pattern; the sound covers the rest.
                if (content == Content::Ramp && !columns)
                    continue;
                const std::string group = SizeName(size) + "/" + contentName + "/" + (columns ? "1920cols" : "whole");
                benchmark::RegisterBenchmark(("Reference/" + group).c_str(),
                                             [=](benchmark::State& s) { Reference(s, size, content, columns); })
                    ->Unit(benchmark::kMillisecond);
                for (int precision = -1; precision <= 4; ++precision)
                    benchmark::RegisterBenchmark(
                        ("ColumnPeak(" + std::to_string(precision) + ")/" + group).c_str(),
                        [=](benchmark::State& s) { Peak(s, size, content, columns, precision); })
                        ->Unit(benchmark::kMillisecond);
                if (!columns)
                    benchmark::RegisterBenchmark(("PlainLoop/" + group).c_str(),
                                                 [=](benchmark::State& s) { Plain(s, size, content); })
                        ->Unit(benchmark::kMillisecond);
            }
        }
    }
    benchmark::Initialize(&argc, argv);
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintSummary();
    benchmark::Shutdown();
    return 0;
}
