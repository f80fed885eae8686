// Writes the example sounds: short effects of our own synthesis, each in another WAV
// encoding, so that opening them exercises the converter's paths.
//
//   make_examples <output folder>      (the committed copies are in examples/sounds)
//
//   knock.wav   knock-knock on a wooden door   PCM 16-bit, stereo, 44100 Hz
//   zap.wav     falling laser zap              PCM 8-bit unsigned, mono, 22050 Hz
//   coin.wav    two-note pickup chime          IMA ADPCM, mono, 22050 Hz
//   whoosh.wav  swept noise passing by         32-bit float, stereo, 44100 Hz
//   drip.wav    water drop with a small room   MS ADPCM, mono, 22050 Hz
//
// Every sound starts from silence through a short attack and ends on a fade, so none
// of them clicks; peaks sit between -4 and -2 dBFS. The output is deterministic.

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr double Pi = std::numbers::pi;

class TNoise {
public:
    explicit TNoise(uint64_t seed) : FState(seed) {}
    double Next() // uniform in [-1, 1)
    {
        FState = FState * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(FState >> 11) / 4503599627370496.0 - 1.0;
    }

private:
    uint64_t FState;
};

// Frames of interleaved channels.
struct TSound {
    int Rate = 0;
    int Channels = 0;
    std::vector<double> Samples;

    TSound(int rate, int channels, double seconds)
        : Rate(rate), Channels(channels),
          Samples(static_cast<size_t>(std::lrint(seconds * rate)) * channels, 0.0)
    {
    }
    int Frames() const { return static_cast<int>(Samples.size()) / Channels; }
    double& At(int frame, int channel) { return Samples[static_cast<size_t>(frame) * Channels + channel]; }
};

// Scales to the wanted peak and fades the last fadeSeconds out with a half cosine.
void Finish(TSound& s, double peak, double fadeSeconds)
{
    const int frames = s.Frames();
    const int fade = std::max(1, static_cast<int>(fadeSeconds * s.Rate));
    for (int i = std::max(0, frames - fade); i < frames; ++i) {
        const double r = static_cast<double>(i - (frames - fade) + 1) / fade;
        for (int c = 0; c < s.Channels; ++c) {
            s.At(i, c) *= 0.5 * (1.0 + std::cos(Pi * r));
        }
    }
    double max = 0.0;
    for (double v : s.Samples) {
        max = std::max(max, std::fabs(v));
    }
    if (max > 0.0) {
        for (double& v : s.Samples) {
            v *= peak / max;
        }
    }
}

// One knock: a few damped modes of a door panel plus the brief crack of the knuckle.
void AddKnock(std::vector<double>& out, int rate, int at, double gain, double pitch, uint64_t seed)
{
    struct TMode {
        double Freq, Decay, Amp;
    };
    static const TMode modes[] = {
        {96, 0.070, 0.55}, {178, 0.050, 1.00}, {305, 0.034, 0.70},
        {517, 0.022, 0.45}, {866, 0.013, 0.28}, {1460, 0.007, 0.16},
    };
    TNoise noise(seed);
    double lp = 0.0;
    const double lpCoeff = 1.0 - std::exp(-2.0 * Pi * 2600.0 / rate);
    // The modes are left to ring out and faded over the last 60 ms, so cutting them
    // off never clicks.
    const int length = rate * 45 / 100;
    const int fade = rate * 6 / 100;
    for (int i = 0; i < length && at + i < static_cast<int>(out.size()); ++i) {
        const double t = static_cast<double>(i) / rate;
        double attack = 1.0 - std::exp(-t / 0.0004);
        if (i > length - fade) {
            attack *= 0.5 * (1.0 + std::cos(Pi * (i - (length - fade)) / fade));
        }
        double v = 0.0;
        for (const TMode& m : modes) {
            v += m.Amp * std::exp(-t / m.Decay) * std::sin(2.0 * Pi * m.Freq * pitch * t);
        }
        lp += lpCoeff * (noise.Next() - lp);
        v += 0.9 * lp * std::exp(-t / 0.0035);
        out[at + i] += gain * attack * v;
    }
}

TSound Knock()
{
    const int rate = 44100;
    TSound s(rate, 2, 0.95);
    std::vector<double> mono(s.Frames(), 0.0);
    AddKnock(mono, rate, static_cast<int>(0.010 * rate), 1.00, 1.00, 11);
    AddKnock(mono, rate, static_cast<int>(0.205 * rate), 0.85, 0.985, 12);
    AddKnock(mono, rate, static_cast<int>(0.560 * rate), 0.95, 1.01, 13);
    // The door sits a little to the right: the left ear hears it 0.3 ms later, softer.
    const int lag = static_cast<int>(0.0003 * rate);
    for (int i = 0; i < s.Frames(); ++i) {
        s.At(i, 0) = 0.82 * (i >= lag ? mono[i - lag] : 0.0);
        s.At(i, 1) = mono[i];
    }
    Finish(s, 0.72, 0.03);
    return s;
}

// Band-limited sawtooth: every harmonic under the ceiling, none above.
double Saw(double phase, double freq, double ceiling)
{
    double v = 0.0;
    for (int k = 1; k * freq < ceiling; ++k) {
        v += std::sin(k * phase) / k;
    }
    return v;
}

TSound Zap()
{
    const int rate = 22050;
    TSound s(rate, 1, 0.42);
    double phase = 0.0;
    for (int i = 0; i < s.Frames(); ++i) {
        const double t = static_cast<double>(i) / rate;
        double f = 140.0 + 2600.0 * std::exp(-t / 0.055);
        f *= 1.0 + 0.06 * std::sin(2.0 * Pi * 38.0 * t);
        phase += 2.0 * Pi * f / rate;
        const double env = (1.0 - std::exp(-t / 0.002)) * std::exp(-t / 0.13);
        // A softened saw: the upper harmonics fall off quicker, so the zap bites without hiss.
        const double tone = 0.7 * Saw(phase, f, 7000.0) + 0.3 * std::sin(phase);
        s.At(i, 0) = env * tone;
    }
    Finish(s, 0.78, 0.04);
    return s;
}

// Band-limited square with softened upper harmonics.
double Square(double phase, double freq, double ceiling)
{
    double v = 0.0;
    for (int k = 1; k * freq < ceiling; k += 2) {
        v += std::sin(k * phase) / (k * (1.0 + k * freq / 6000.0));
    }
    return v;
}

TSound Coin()
{
    const int rate = 22050;
    TSound s(rate, 1, 0.62);
    const double first = 987.77;   // B5
    const double second = 1318.51; // E6
    const double split = 0.075;
    double phase1 = 0.0;
    double phase2 = 0.0;
    for (int i = 0; i < s.Frames(); ++i) {
        const double t = static_cast<double>(i) / rate;
        phase1 += 2.0 * Pi * first / rate;
        phase2 += 2.0 * Pi * second / rate;
        // 4 ms crossfade between the notes.
        const double x = std::clamp((t - split) / 0.004, 0.0, 1.0);
        const double g2 = 0.5 - 0.5 * std::cos(Pi * x);
        const double g1 = 1.0 - g2;
        const double attack = 1.0 - std::exp(-t / 0.0015);
        const double decay = t < split ? 1.0 : std::exp(-(t - split) / 0.17);
        s.At(i, 0) = attack * (g1 * Square(phase1, first, 10000.0) +
                               g2 * decay * Square(phase2, second, 10000.0));
    }
    Finish(s, 0.62, 0.05);
    return s;
}

// State-variable band-pass filter (Chamberlin), stable for the centre frequencies used.
class TBandPass {
public:
    double Step(double in, double centre, double q, int rate)
    {
        const double f = 2.0 * std::sin(Pi * centre / rate);
        FLow += f * FBand;
        const double high = in - FLow - FBand / q;
        FBand += f * high;
        return FBand;
    }

private:
    double FLow = 0.0;
    double FBand = 0.0;
};

TSound Whoosh()
{
    const int rate = 44100;
    const double length = 1.1;
    TSound s(rate, 2, length);
    TNoise common(21);
    TNoise left(22);
    TNoise right(23);
    TBandPass filterL;
    TBandPass filterR;
    for (int i = 0; i < s.Frames(); ++i) {
        const double t = static_cast<double>(i) / rate;
        const double u = t / length;                     // 0 .. 1
        const double swell = std::exp(-std::pow((u - 0.45) / 0.18, 2.0));
        const double centre = 350.0 + 2900.0 * swell;    // rises as it passes, then falls
        const double c = common.Next();
        const double nl = 0.75 * c + 0.25 * left.Next();
        const double nr = 0.75 * c + 0.25 * right.Next();
        const double yl = filterL.Step(nl, centre, 1.8, rate);
        const double yr = filterR.Step(nr, centre * 1.03, 1.8, rate);
        const double env = swell * (1.0 - std::exp(-t / 0.01));
        // Passes from left to right with an equal-power pan.
        const double pan = std::clamp((u - 0.2) / 0.55, 0.0, 1.0) * Pi / 2.0;
        s.At(i, 0) = env * yl * std::cos(pan);
        s.At(i, 1) = env * yr * std::sin(pan);
    }
    Finish(s, 0.7, 0.05);
    return s;
}

TSound Drip()
{
    const int rate = 22050;
    TSound s(rate, 1, 0.5);
    std::vector<double> dry(s.Frames(), 0.0);
    const auto addDrop = [&](int at, double gain, double from, double to) {
        double phase = 0.0;
        for (int i = 0; at + i < static_cast<int>(dry.size()); ++i) {
            const double t = static_cast<double>(i) / rate;
            // The pitch glides up as the bubble's cavity closes.
            const double f = to - (to - from) * std::exp(-t / 0.012);
            phase += 2.0 * Pi * f / rate;
            const double env = (1.0 - std::exp(-t / 0.0008)) * std::exp(-t / 0.035);
            dry[at + i] += gain * env * std::sin(phase);
        }
    };
    addDrop(static_cast<int>(0.005 * rate), 1.0, 650.0, 1700.0);
    addDrop(static_cast<int>(0.160 * rate), 0.35, 900.0, 2100.0);
    // A small tiled room: a few early reflections.
    const double taps[][2] = {{0.011, 0.32}, {0.019, 0.22}, {0.031, 0.15}, {0.047, 0.09}, {0.069, 0.05}};
    for (int i = 0; i < s.Frames(); ++i) {
        double v = dry[i];
        for (const auto& tap : taps) {
            const int d = static_cast<int>(tap[0] * rate);
            if (i >= d) {
                v += tap[1] * dry[i - d];
            }
        }
        s.At(i, 0) = v;
    }
    Finish(s, 0.7, 0.06);
    return s;
}

bool Write(const std::string& name, const TSound& s, int format)
{
    SF_INFO info{};
    info.samplerate = s.Rate;
    info.channels = s.Channels;
    info.format = format;
    SNDFILE* f = sf_open(name.c_str(), SFM_WRITE, &info);
    if (f == nullptr) {
        std::fprintf(stderr, "%s: %s\n", name.c_str(), sf_strerror(nullptr));
        return false;
    }
    sf_command(f, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    const sf_count_t frames = s.Frames();
    const bool ok = sf_writef_double(f, s.Samples.data(), frames) == frames;
    if (!ok) {
        std::fprintf(stderr, "%s: %s\n", name.c_str(), sf_strerror(f));
    }
    return sf_close(f) == 0 && ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";
    bool ok = true;
    ok &= Write(dir + "knock.wav", Knock(), SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    ok &= Write(dir + "zap.wav", Zap(), SF_FORMAT_WAV | SF_FORMAT_PCM_U8);
    ok &= Write(dir + "coin.wav", Coin(), SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM);
    ok &= Write(dir + "whoosh.wav", Whoosh(), SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    ok &= Write(dir + "drip.wav", Drip(), SF_FORMAT_WAV | SF_FORMAT_MS_ADPCM);
    return ok ? 0 : 1;
}
