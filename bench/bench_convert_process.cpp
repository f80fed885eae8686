// Opening a ten-minute file as a whole process: this program's conversion path (read the
// WAV file, convert it to the working format, write the working wave) against
// `sox in.wav -r 22050 -c 1 -b 8 -D out.wav` on the same file, in alternating pairs.
// Prints every pair, the median wall-time ratio, both peaks of resident memory and how
// many samples of the two outputs differ. Reports only; nothing here fails.
//
//   bench_convert_process                  the comparison (5 pairs)
//   bench_convert_process --pairs N        another number of pairs
//   bench_convert_process --keep FILE.wav  compare on a file of one's own
//   bench_convert_process --convert IN OUT the program's path alone (what each pair runs)

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
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
#include "format/WavHeader.h"
#include "format/WaveFormat.h"
#include "wave/Wavs_ex.h"

namespace {

constexpr int SourceRate = 44100;
constexpr int TenMinutes = 10 * 60 * SourceRate;

// Ten minutes of two tones with a little noise, 16-bit stereo at 44100 Hz.
void WriteTenMinutes(const std::string& path)
{
    std::ofstream out(path, std::ios::binary);
    const uint32_t bytes = uint32_t(TenMinutes) * 4;
    const TWaveFormatEx pcm{1, 2, SourceRate, SourceRate * 4, 4, 16, 0};
    const std::vector<uint8_t> header = WavHeader(&pcm, 16, bytes);
    out.write(reinterpret_cast<const char*>(header.data()), std::streamsize(header.size()));
    uint32_t seed = 1;
    std::vector<int16_t> piece;
    for (int start = 0; start < TenMinutes; start += 65536) {
        const int n = std::min(65536, TenMinutes - start);
        piece.resize(size_t(n) * 2);
        for (int i = 0; i < n; ++i)
            for (int c = 0; c < 2; ++c) {
                seed = seed * 1664525u + 1013904223u;
                const double noise = (int32_t(seed) / 2147483648.0) * 0.05;
                const double x = 0.6 * std::sin(2 * M_PI * (c ? 440 : 1000) * (start + i) / SourceRate) + noise;
                piece[size_t(i) * 2 + c] = int16_t(std::lrint(x * 32767.0));
            }
        out.write(reinterpret_cast<const char*>(piece.data()), std::streamsize(piece.size() * 2));
    }
}

// The program's path, as opening a file takes it, then the working wave written out.
int ConvertOnly(const char* in, const char* out)
{
    try {
        TACMConvertor convertor;
        TTxWavStream loading, working;
        loading.LoadFromFile(in);
        ConvertToWorkingFormat(convertor, loading, working);
        working.SaveToFile(out);
        return 0;
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", e.Message().c_str());
        return 1;
    }
}

struct TRun {
    double Seconds = 0;
    double PeakMB = 0;
    bool Ok = false;
};

// Runs a command as a child process; its wall time and its own peak of resident memory.
TRun Run(const std::vector<std::string>& args)
{
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    TRun run;
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[0], argv.data());
        _exit(127);
    }
    if (pid < 0) return run;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) return run;
    run.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.PeakMB = usage.ru_maxrss / 1024.0;
    run.Ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n == 0 ? 0 : (n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2);
}

std::string SelfPath()
{
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string("bench_convert_process") : self.string();
}

// How many samples of the two working waves differ; -1 when they cannot be compared.
int64_t DifferingSamples(const std::string& a, const std::string& b)
{
    try {
        TTxWavStream x, y;
        x.LoadFromFile(a);
        y.LoadFromFile(b);
        if (x.Size() != y.Size()) return -1;
        int64_t differing = 0;
        for (int32_t i = 0; i < x.Size(); ++i) differing += x.Memory()[i] != y.Memory()[i];
        return differing;
    } catch (const Exception&) {
        return -1;
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--convert") == 0) return ConvertOnly(argv[2], argv[3]);

    int pairs = 5;
    std::string input;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--pairs") == 0) pairs = std::max(1, std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--keep") == 0) input = argv[i + 1];
    }
    if (std::system("command -v sox >/dev/null 2>&1") != 0) {
        std::printf("sox is not installed: no reference to compare with\n");
        return 0;
    }

    const auto folder = std::filesystem::temp_directory_path() / ("sonovane-process-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const bool generated = input.empty();
    if (generated) {
        input = (folder / "ten-minutes.wav").string();
        WriteTenMinutes(input);
    }
    const double fileMB = std::filesystem::file_size(input) / (1024.0 * 1024.0);
    const std::string ours = (folder / "ours.wav").string(), sox = (folder / "sox.wav").string();
    const std::vector<std::string> oursCommand = {SelfPath(), "--convert", input, ours};
    const std::vector<std::string> soxCommand = {"sox", input, "-r", "22050", "-c", "1", "-b", "8", "-D", sox};

    std::printf("%s: %.1f MiB; %d pairs, alternating which runs first\n", input.c_str(), fileMB, pairs);
    // Once each untimed, so both find the file in the page cache.
    Run(oursCommand);
    Run(soxCommand);
    std::vector<double> ratios, oursSeconds, soxSeconds;
    double oursPeak = 0, soxPeak = 0;
    for (int pair = 0; pair < pairs; ++pair) {
        TRun a, b;
        if (pair % 2 == 0) {
            a = Run(oursCommand);
            b = Run(soxCommand);
        } else {
            b = Run(soxCommand);
            a = Run(oursCommand);
        }
        if (!a.Ok || !b.Ok) {
            std::printf("pair %d: %s failed\n", pair + 1, a.Ok ? "sox" : "the program's conversion");
            continue;
        }
        ratios.push_back(a.Seconds / b.Seconds);
        oursSeconds.push_back(a.Seconds);
        soxSeconds.push_back(b.Seconds);
        oursPeak = std::max(oursPeak, a.PeakMB);
        soxPeak = std::max(soxPeak, b.PeakMB);
        std::printf("pair %d: ours %.3f s  sox %.3f s  ratio %.2f\n", pair + 1, a.Seconds, b.Seconds, ratios.back());
    }
    if (!ratios.empty()) {
        std::printf("\nmedian wall time: ours %.3f s, sox %.3f s; median ratio ours / sox = %.2f (aim <= 0.50)\n",
                    Median(oursSeconds), Median(soxSeconds), Median(ratios));
        std::printf("peak resident memory: ours %.0f MiB (%.2f x the file; aim <= 1.30), sox %.0f MiB\n", oursPeak,
                    oursPeak / fileMB, soxPeak);
        const int64_t differing = DifferingSamples(ours, sox);
        if (differing < 0) std::printf("the two outputs differ in length or cannot be read\n");
        else std::printf("samples that differ from sox's: %lld\n", static_cast<long long>(differing));
    }
    std::filesystem::remove(ours);
    std::filesystem::remove(sox);
    if (generated) std::filesystem::remove(input);
    std::filesystem::remove(folder);
    return 0;
}
