// Repainting a 1920 x 400 pane (the whole picture drawn into its off-screen image) for
// waves of 10 s, 10 min and 1 h at every precision level, beside two references from the
// same run: the column-peak scan alone (the 1920 ColumnPeak calls of the same columns)
// and a plain read of the same bytes (memory bandwidth).
// Goal: the 10-minute wave at "Highest" (precision 0) repaints in at most 4 ms.
// The zoomed rows repaint the 10-minute wave at Fit (the same as BM_Repaint/wave:1/
// precision:0, for comparison), showing 1/16 of it, one sample a column and 16 columns a
// sample, from its middle; goal: each at most 1.5 ms.

#include <QImage>
#include <benchmark/benchmark.h>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "bench/support/QtBenchmarkMain.h"
#include "rules/PixelMapping.h"
#include "view/wavpaint.h"

namespace {

constexpr int PaneWidth = 1920;
constexpr int PaneHeight = 400;
constexpr std::array<int32_t, 3> WaveSeconds = {10, 10 * 60, 60 * 60};
constexpr std::array<const char*, 3> WaveLabels = {"10 s", "10 min", "1 h"};

// A decaying tone under noise, never reaching 255 (which would end every scan early).
const TTxWavStream& Wave(int index)
{
    static std::array<std::unique_ptr<TTxWavStream>, 3> waves;
    auto& wave = waves[static_cast<size_t>(index)];
    if (!wave) {
        wave = std::make_unique<TTxWavStream>();
        const int32_t size = WaveSeconds[static_cast<size_t>(index)] * 22050;
        wave->SetSize(size);
        uint8_t* data = wave->Memory();
        uint32_t seed = 12345;
        for (int32_t i = 0; i < size; ++i) {
            seed = seed * 1664525u + 1013904223u;
            const double noise = static_cast<double>(seed >> 24) / 255.0 - 0.5;
            const double envelope = 0.5 + 0.45 * std::sin(i * 1e-5);
            const double v = envelope * (0.8 * std::sin(i * 0.0627) + 0.2 * noise);
            data[i] = static_cast<uint8_t>(std::lround(128 + 110 * v));
        }
        wave->SetSelStart(size / 4);
        wave->SetSelEnd(size / 2);
    }
    return *wave;
}

void SetUp(benchmark::State& state, int index)
{
    state.SetLabel(WaveLabels[static_cast<size_t>(index)]);
    state.SetBytesProcessed(state.iterations() * Wave(index).Size());
}

void BM_Repaint(benchmark::State& state)
{
    const int index = static_cast<int>(state.range(0));
    const auto precision = static_cast<int32_t>(state.range(1));
    auto& wave = const_cast<TTxWavStream&>(Wave(index));
    QImage image(PaneWidth, PaneHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        TWavPaintBox::Render(image, wave, QStringLiteral("Working Wave"), precision, -1, -1,
                             QColor(255, 0, 0));
        benchmark::DoNotOptimize(image.constBits());
    }
    SetUp(state, index);
}

void BM_RepaintZoomed(benchmark::State& state)
{
    auto& wave = const_cast<TTxWavStream&>(Wave(1));
    const double size = wave.Size();
    const double scales[] = {0, size / 16 / PaneWidth, 1.0, 1.0 / 16};
    const char* labels[] = {"10 min, Fit", "10 min, 1/16 of the wave", "10 min, 1 sample a column",
                            "10 min, 16 columns a sample"};
    const auto view = static_cast<size_t>(state.range(0));
    const TViewRange range = scales[view] > 0 ? TViewRange{size / 2, scales[view]} : TViewRange{};
    QImage image(PaneWidth, PaneHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        TWavPaintBox::Render(image, wave, QStringLiteral("Working Wave"), 0, -1, -1, QColor(255, 0, 0), QFont(),
                             range, 1);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetLabel(labels[view]);
}

// The same columns as the repaint, without any drawing.
void BM_ColumnScan(benchmark::State& state)
{
    const int index = static_cast<int>(state.range(0));
    const auto precision = static_cast<int32_t>(state.range(1));
    const TTxWavStream& wave = Wave(index);
    const int32_t size = wave.Size();
    const TPixelMapping map{PaneWidth, size};
    const int32_t n = map.PixelToSample(1);
    for (auto _ : state) {
        int64_t sum = 0;
        for (int x = 0; x < PaneWidth; ++x) {
            const int32_t s = map.PixelToSample(x);
            const int32_t count = static_cast<int64_t>(s) + n > size ? size - s : n;
            sum += wave.ColumnPeak(s, count, precision);
        }
        benchmark::DoNotOptimize(sum);
    }
    SetUp(state, index);
}

// Reading every byte of the wave once, 64 bytes a step: what "all samples" costs at best.
void BM_MemoryRead(benchmark::State& state)
{
    const int index = static_cast<int>(state.range(0));
    const TTxWavStream& wave = Wave(index);
    const uint8_t* data = wave.Memory();
    const size_t blocks = static_cast<size_t>(wave.Size()) / 64;
    for (auto _ : state) {
#if defined(__SSE2__)
        __m128i a0 = _mm_setzero_si128(), a1 = a0, a2 = a0, a3 = a0;
        for (size_t i = 0; i < blocks; ++i) {
            const auto* p = reinterpret_cast<const __m128i*>(data + i * 64);
            a0 = _mm_or_si128(a0, _mm_loadu_si128(p));
            a1 = _mm_or_si128(a1, _mm_loadu_si128(p + 1));
            a2 = _mm_or_si128(a2, _mm_loadu_si128(p + 2));
            a3 = _mm_or_si128(a3, _mm_loadu_si128(p + 3));
        }
        const __m128i acc = _mm_or_si128(_mm_or_si128(a0, a1), _mm_or_si128(a2, a3));
        benchmark::DoNotOptimize(_mm_cvtsi128_si32(acc));
#else
        uint64_t acc = 0;
        for (size_t i = 0; i < blocks * 8; ++i) {
            uint64_t w;
            std::memcpy(&w, data + i * 8, 8);
            acc |= w;
        }
        benchmark::DoNotOptimize(acc);
#endif
    }
    SetUp(state, index);
}

// The fixed part of a repaint: fills, lines and the name, no columns (an empty wave).
void BM_RepaintEmptyWave(benchmark::State& state)
{
    TTxWavStream empty;
    QImage image(PaneWidth, PaneHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        TWavPaintBox::Render(image, empty, QStringLiteral("Working Wave"), 0, -1, -1,
                             QColor(255, 0, 0));
        benchmark::DoNotOptimize(image.constBits());
    }
}

void Precisions(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"wave", "precision"});
    for (int wave = 0; wave < 3; ++wave)
        for (int precision = -1; precision <= 4; ++precision)
            b->Args({wave, precision});
    b->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_RepaintEmptyWave)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Repaint)->Apply(Precisions);
BENCHMARK(BM_RepaintZoomed)->ArgName("view")->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ColumnScan)->Apply(Precisions);
BENCHMARK(BM_MemoryRead)->ArgName("wave")->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    // The name is drawn with a font, which needs a GUI application; no window is shown.
    return RunQtBenchmarks(argc, argv);
}
