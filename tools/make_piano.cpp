// Writes the built-in sample: one struck piano-like note (C4) in the working format
// (PCM, mono, 22050 samples per second, 8 bits) with exactly 72586 bytes of sound.
//
//   make_piano <output file>      (the committed copy is resources/RT_RCDATA/piano)
//
// The note is additive: stretched (inharmonic) partials shaped by where the hammer
// strikes the string, each with a quick "prompt" decay and a slow aftersound, a pair
// of slightly detuned strings for the gentle beating of a real unison, a felt thump
// at the attack and a damper release that lands on exact silence (byte 128).
// Everything is deterministic, so running it twice gives the same file.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>
#include <vector>

namespace {

constexpr int Rate = 22050;
constexpr int SampleCount = 72586;

// Small, fixed-seed generator: the output must be reproducible byte for byte.
class TNoise {
public:
    double Next() // uniform in [-0.5, 0.5)
    {
        FState = FState * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(FState >> 11) / 9007199254740992.0 - 0.5;
    }

private:
    uint64_t FState = 0x2545F4914F6CDD1DULL;
};

std::vector<double> SynthesiseNote()
{
    const double pi = std::numbers::pi;
    const double f0 = 261.63;          // C4
    const double stretch = 0.00039;    // string stiffness: f_n = n f0 sqrt(1 + B n^2)
    const double strikePoint = 1.0 / 8.0;
    const double duration = static_cast<double>(SampleCount) / Rate;
    const double releaseLength = 0.55; // damper: raised-cosine fall to silence
    const double tailSilence = 0.025;  // the last moments are exact zero
    const double releaseStart = duration - tailSilence - releaseLength;

    std::vector<double> out(SampleCount, 0.0);

    for (int n = 1;; ++n) {
        const double fn = n * f0 * std::sqrt(1.0 + stretch * n * n);
        if (fn > 9000.0) {
            break;
        }
        // A hammer at 1/8 of the string barely excites every eighth partial; the felt
        // rounds off the top.
        double amp = std::fabs(std::sin(pi * n * strikePoint)) / std::pow(n, 0.8);
        amp /= 1.0 + std::pow(fn / 2200.0, 2.0);
        const double prompt = 0.45 / (1.0 + 0.22 * (n - 1));
        const double after = 3.2 / (1.0 + 0.45 * (n - 1));
        const double detune = 0.12 + 0.05 * n; // Hz between the two strings
        const double phase2 = 0.7 * n;         // strings do not start in step;
                                               // the attack ramp hides the offset
        for (int i = 0; i < SampleCount; ++i) {
            const double t = static_cast<double>(i) / Rate;
            const double env = 0.62 * std::exp(-t / prompt) + 0.38 * std::exp(-t / after);
            const double s1 = std::sin(2.0 * pi * fn * t);
            const double s2 = std::sin(2.0 * pi * (fn + detune) * t + phase2);
            out[i] += amp * env * (s1 + 0.55 * s2);
        }
    }

    // Felt thump: a little low-passed noise and a low knock of the soundboard.
    TNoise noise;
    double lp = 0.0;
    const double lpCoeff = 1.0 - std::exp(-2.0 * pi * 1400.0 / Rate);
    for (int i = 0; i < Rate / 10; ++i) {
        const double t = static_cast<double>(i) / Rate;
        lp += lpCoeff * (noise.Next() - lp);
        const double env = (t / 0.0012) * std::exp(1.0 - t / 0.0012);
        const double board = std::sin(2.0 * pi * 92.0 * t) * std::exp(-t / 0.045);
        out[i] += 0.55 * lp * env + 0.08 * board * (1.0 - std::exp(-t / 0.003));
    }

    for (int i = 0; i < SampleCount; ++i) {
        const double t = static_cast<double>(i) / Rate;
        double gain = 1.0 - std::exp(-t / 0.0015); // no click at the very first sample
        if (t >= releaseStart) {
            const double r = std::min(1.0, (t - releaseStart) / releaseLength);
            gain *= 0.5 * (1.0 + std::cos(pi * r));
        }
        out[i] *= gain;
    }

    double peak = 0.0;
    for (double v : out) {
        peak = std::max(peak, std::fabs(v));
    }
    for (double& v : out) {
        v *= 0.84 / peak;
    }
    return out;
}

// Working-format bytes: value * 127, rounded, plus 128. A triangular dither of one
// step keeps the quiet tail from turning into gritty steps; it follows the damper
// so the sample still ends on exact 128s.
std::vector<uint8_t> Quantise(const std::vector<double>& signal)
{
    TNoise noise;
    std::vector<uint8_t> bytes(signal.size());
    const double fadeFrom = signal.size() - 0.6 * Rate;
    for (size_t i = 0; i < signal.size(); ++i) {
        double ditherGain = 1.0;
        if (static_cast<double>(i) > fadeFrom) {
            ditherGain = std::max(0.0, 1.0 - (i - fadeFrom) / (0.55 * Rate));
        }
        const double dither = (noise.Next() + noise.Next()) * ditherGain;
        const double scaled = std::clamp(signal[i], -1.0, 1.0) * 127.0 + dither;
        const long q = std::lrint(std::clamp(scaled, -127.0, 127.0));
        bytes[i] = static_cast<uint8_t>(q + 128);
    }
    return bytes;
}

void Put32(std::vector<uint8_t>& b, uint32_t v)
{
    for (int i = 0; i < 4; ++i) {
        b.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
}

void Put16(std::vector<uint8_t>& b, uint16_t v)
{
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}

void PutTag(std::vector<uint8_t>& b, const char* tag)
{
    b.insert(b.end(), tag, tag + 4);
}

// The same 44-byte image the program writes for a working-format wave.
std::vector<uint8_t> WavImage(const std::vector<uint8_t>& samples)
{
    std::vector<uint8_t> b;
    PutTag(b, "RIFF");
    Put32(b, static_cast<uint32_t>(36 + samples.size()));
    PutTag(b, "WAVE");
    PutTag(b, "fmt ");
    Put32(b, 16);
    Put16(b, 1);     // PCM
    Put16(b, 1);     // mono
    Put32(b, Rate);
    Put32(b, Rate);  // bytes per second
    Put16(b, 1);     // block alignment
    Put16(b, 8);     // bits
    PutTag(b, "data");
    Put32(b, static_cast<uint32_t>(samples.size()));
    b.insert(b.end(), samples.begin(), samples.end());
    return b;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output file>\n", argv[0]);
        return 2;
    }
    const std::vector<uint8_t> image = WavImage(Quantise(SynthesiseNote()));
    std::FILE* f = std::fopen(argv[1], "wb");
    if (f == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    const bool ok = std::fwrite(image.data(), 1, image.size(), f) == image.size();
    if (std::fclose(f) != 0 || !ok) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
