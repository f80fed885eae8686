// Conversion to the working format: quality (SNR of a full-scale sine, rejection of a
// tone above the new Nyquist frequency) and speed of a ten-minute file, measured beside
// `sox in.wav -r 22050 -c 1 -b 8 -D out.wav` on the same file in the same run.
// Reports only; nothing here fails.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "conversion/ACMConvertor.h"
#include "conversion/ConvertToWorkingFormat.h"
#include "wave/Wavs_ex.h"

namespace {

constexpr int SourceRate = 44100;
constexpr int TenMinutes = 10 * 60 * SourceRate;

std::string TempFile(const std::string& name)
{
    return (std::filesystem::temp_directory_path() / ("sonovane-bench-" + std::to_string(getpid()) + "-" + name))
        .string();
}

void Put32(std::ofstream& out, uint32_t x)
{
    const uint8_t b[4] = {uint8_t(x), uint8_t(x >> 8), uint8_t(x >> 16), uint8_t(x >> 24)};
    out.write(reinterpret_cast<const char*>(b), 4);
}

void Put16(std::ofstream& out, uint16_t x)
{
    const uint8_t b[2] = {uint8_t(x), uint8_t(x >> 8)};
    out.write(reinterpret_cast<const char*>(b), 2);
}

// A 16-bit stereo file at 44100 Hz, written piece by piece; `sample(i, channel)` in [-1, 1].
template <typename F>
void WriteStereo16(const std::string& path, int frames, F sample)
{
    std::ofstream out(path, std::ios::binary);
    out.write("RIFF", 4);
    Put32(out, 36 + uint32_t(frames) * 4);
    out.write("WAVEfmt ", 8);
    Put32(out, 16);
    Put16(out, 1);
    Put16(out, 2);
    Put32(out, SourceRate);
    Put32(out, SourceRate * 4);
    Put16(out, 4);
    Put16(out, 16);
    out.write("data", 4);
    Put32(out, uint32_t(frames) * 4);
    std::vector<int16_t> piece;
    for (int start = 0; start < frames; start += 65536) {
        const int n = std::min(65536, frames - start);
        piece.resize(size_t(n) * 2);
        for (int i = 0; i < n; ++i)
            for (int c = 0; c < 2; ++c)
                piece[size_t(i) * 2 + c] = int16_t(std::lrint(sample(start + i, c) * 32767.0));
        out.write(reinterpret_cast<const char*>(piece.data()), std::streamsize(piece.size() * 2));
    }
}

std::vector<uint8_t> ConvertFile(const std::string& path)
{
    TACMConvertor convertor;
    TTxWavStream source, destination;
    source.LoadFromFile(path);
    ConvertToWorkingFormat(convertor, source, destination);
    return {destination.Memory(), destination.Memory() + destination.Size()};
}

// SNR of a converted sine against the best-fitting sine of that frequency (middle half).
double SineSnr(const std::vector<uint8_t>& wave, double freq)
{
    const size_t from = wave.size() / 4, to = wave.size() * 3 / 4;
    double sc = 0, ss = 0, cc = 0, xs = 0, xc = 0;
    for (size_t i = from; i < to; ++i) {
        const double w = 2 * M_PI * freq * double(i) / 22050, s = std::sin(w), c = std::cos(w);
        const double x = (wave[i] - 128) / 128.0;
        ss += s * s, cc += c * c, sc += s * c, xs += x * s, xc += x * c;
    }
    const double det = ss * cc - sc * sc;
    const double a = (xs * cc - xc * sc) / det, b = (xc * ss - xs * sc) / det;
    double signal = 0, noise = 0;
    for (size_t i = from; i < to; ++i) {
        const double w = 2 * M_PI * freq * double(i) / 22050;
        const double fit = a * std::sin(w) + b * std::cos(w);
        const double x = (wave[i] - 128) / 128.0;
        signal += fit * fit;
        noise += (x - fit) * (x - fit);
    }
    return 10 * std::log10(signal / noise);
}

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

struct TRun {
    double Best = 1e9;
};
TRun Ours, Sox;
std::string BigFile;
bool HaveSox = false;

void BM_ConvertTenMinutes_Ours(benchmark::State& state)
{
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const std::vector<uint8_t> out = ConvertFile(BigFile);
        Ours.Best = std::min(Ours.Best, Seconds(start));
        benchmark::DoNotOptimize(out.data());
    }
}

void BM_ConvertTenMinutes_Sox(benchmark::State& state)
{
    if (!HaveSox) {
        state.SkipWithError("sox is not installed");
        return;
    }
    const std::string out = TempFile("sox-out.wav");
    const std::string command = "sox " + BigFile + " -r 22050 -c 1 -b 8 -D " + out;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (std::system(command.c_str()) != 0) state.SkipWithError("sox failed");
        Sox.Best = std::min(Sox.Best, Seconds(start));
    }
    std::filesystem::remove(out);
}

BENCHMARK(BM_ConvertTenMinutes_Ours)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_ConvertTenMinutes_Sox)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

double PeakMegabytes(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return usage.ru_maxrss / 1024.0;
}

} // namespace

int main(int argc, char** argv)
{
    HaveSox = std::system("command -v sox >/dev/null 2>&1") == 0;

    // Quality: a full-scale 1 kHz sine, and a 15 kHz tone that lies above 11025 Hz.
    const std::string sinePath = TempFile("sine.wav");
    WriteStereo16(sinePath, SourceRate * 2, [](int i, int) { return std::sin(2 * M_PI * 1000 * i / SourceRate); });
    const std::vector<uint8_t> sine = ConvertFile(sinePath);
    std::printf("Full-scale 1 kHz sine, 44.1 kHz 16-bit stereo: SNR %.2f dB after conversion "
                "(ideal 8-bit quantisation of a full-scale sine: 49.9 dB; expected >= 49.1 dB)\n",
                SineSnr(sine, 1000));
    WriteStereo16(sinePath, SourceRate * 2, [](int i, int) { return 0.9 * std::sin(2 * M_PI * 15000 * i / SourceRate); });
    const std::vector<uint8_t> high = ConvertFile(sinePath);
    size_t loud = 0, middle = 0;
    for (size_t i = 1000; i + 1000 < high.size(); ++i, ++middle) loud += high[i] != 128;
    std::printf("15 kHz tone at 90%%: %zu of %zu samples away from the edges differ from 128 (silence expected)\n",
                loud, middle);
    std::filesystem::remove(sinePath);

    // Speed: ten minutes of a tone with a little noise.
    BigFile = TempFile("ten-minutes.wav");
    uint32_t seed = 1;
    WriteStereo16(BigFile, TenMinutes, [&seed](int i, int c) {
        seed = seed * 1664525u + 1013904223u;
        const double noise = (int32_t(seed) / 2147483648.0) * 0.05;
        return 0.6 * std::sin(2 * M_PI * (c ? 440 : 1000) * i / SourceRate) + noise;
    });
    std::printf("Ten-minute file: %s (%.1f MB)\n", BigFile.c_str(), std::filesystem::file_size(BigFile) / 1e6);

    // sox's peak memory, read while this process is still small: a child's peak
    // includes what it inherited before starting sox.
    double soxPeak = 0;
    if (HaveSox) {
        const std::string out = TempFile("sox-probe.wav");
        if (std::system(("sox " + BigFile + " -r 22050 -c 1 -b 8 -D " + out).c_str()) == 0)
            soxPeak = PeakMegabytes(RUSAGE_CHILDREN);
        std::filesystem::remove(out);
    }

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    std::printf("\nTen minutes, 44.1 kHz 16-bit stereo, file to working-format wave (best of 3):\n");
    std::printf("  ours  %.3f s   peak memory of this process %.0f MB\n", Ours.Best, PeakMegabytes(RUSAGE_SELF));
    if (HaveSox)
        std::printf("  sox   %.3f s   peak memory of sox %.0f MB\n  ratio ours / sox = %.2f (target <= 0.60)\n",
                    Sox.Best, soxPeak, Ours.Best / Sox.Best);
    std::filesystem::remove(BigFile);
    return 0;
}
