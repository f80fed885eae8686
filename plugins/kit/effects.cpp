// "Effects kit": echo, reverse reverb, low-pass, high-pass and pitch shifts for short
// sound effects. Each filter works on the working selection and returns a new wave.
#include <soxr.h>

#include <cmath>

#include "Dsp.h"
#include "KitFilter.h"

namespace {

const kit::TFilterEntry Filters[] = {
    {"Echo", "KitEcho"},
    {"Reverse reverb", "KitReverseReverb"},
    {"Low-pass 2 kHz", "KitLowPass"},
    {"High-pass 300 Hz", "KitHighPass"},
    {"Pitch up (+5 semitones)", "KitPitchUp"},
    {"Pitch down (-5 semitones)", "KitPitchDown"},
    {"About", "KitEffectsAbout"},
};

constexpr int32_t EchoDelay = 4410;  // 200 ms
constexpr float EchoGain = 0.4f;     // -8 dB per repeat
constexpr int EchoRepeats = 6;       // a seventh would be below half a step (0.4^7 * 127 = 0.2)
constexpr int32_t ReverbTail = 17640;  // 800 ms of swell before the sound
constexpr double PitchSemitones = 5.0;

// Pitch by resampling: played back at the same rate, samples resampled from
// 22050 * ratio to 22050 sound ratio times higher and last 1 / ratio as long.
std::vector<float> Resample(const std::vector<float>& x, double ratio)
{
    const size_t outLength = static_cast<size_t>(std::ceil(static_cast<double>(x.size()) / ratio));
    std::vector<float> y(outLength + 1);
    size_t done = 0;
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    const soxr_error_t error =
        soxr_oneshot(ratio, 1.0, 1, x.data(), x.size(), nullptr, y.data(), y.size(), &done, &io, &quality, nullptr);
    if (error)
        return {};
    y.resize(done);
    return y;
}

std::vector<uint8_t> Pitch(const std::vector<uint8_t>& selection, double semitones)
{
    return kit::Bytes(Resample(kit::Values(selection), std::pow(2.0, semitones / 12.0)));
}

} // namespace

SONOVANE_KIT_LIBRARY("Effects kit", Filters)

SONOVANE_KIT_FILTER(KitEcho)
{
    return kit::Run("Echo", working, [](const std::vector<uint8_t>& s) {
        return kit::Bytes(kitdsp::Echo(kit::Values(s), EchoDelay, EchoGain, EchoRepeats));
    });
}

SONOVANE_KIT_FILTER(KitReverseReverb)
{
    return kit::Run("Reverse reverb", working, [](const std::vector<uint8_t>& s) {
        return kit::Bytes(kitdsp::ReverseReverb(kit::Values(s), ReverbTail));
    });
}

SONOVANE_KIT_FILTER(KitLowPass)
{
    return kit::Run("Low-pass", working, [](const std::vector<uint8_t>& s) {
        return kit::Bytes(kitdsp::LowPass4(kit::Values(s), 2000.0));
    });
}

SONOVANE_KIT_FILTER(KitHighPass)
{
    return kit::Run("High-pass", working, [](const std::vector<uint8_t>& s) {
        return kit::Bytes(kitdsp::HighPass4(kit::Values(s), 300.0));
    });
}

SONOVANE_KIT_FILTER(KitPitchUp)
{
    return kit::Run("Pitch up", working, [](const std::vector<uint8_t>& s) { return Pitch(s, PitchSemitones); });
}

SONOVANE_KIT_FILTER(KitPitchDown)
{
    return kit::Run("Pitch down", working, [](const std::vector<uint8_t>& s) { return Pitch(s, -PitchSemitones); });
}

SONOVANE_KIT_FILTER(KitEffectsAbout)
{
    (void)working;
    return kit::Result().Status("Effects kit 1.0: echo, reverse reverb, low-pass, high-pass, pitch up and down");
}
