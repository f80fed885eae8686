#pragma once
// Mono rate change with libsoxr, set up as sox's own "rate" effect is at its default
// (high) quality: the 20-bit recipe with sox's pass-band end (1 - 0.05 / (the -3 dB
// factor of 120.4 dB)), no roll-off compensation in the polyphase stage, and double
// precision throughout. With these settings the output equals sox's sample for sample
// for power-of-two rate ratios (44100 -> 22050, 11025 -> 22050, ...) and differs only
// in the last bits otherwise.

#include <cstddef>
#include <functional>

struct soxr;

class TAcmResampler {
public:
    using TSink = std::function<void(const double* samples, size_t count)>;

    TAcmResampler() = default;
    ~TAcmResampler();
    TAcmResampler(const TAcmResampler&) = delete;
    TAcmResampler& operator=(const TAcmResampler&) = delete;

    // False when libsoxr refuses the pair of rates.
    bool Open(double inRate, double outRate);
    // Starts a new sound: the filter's history is silence again.
    bool Restart();
    // Feeds `count` samples; every output block goes to `sink`. False on a soxr error.
    bool Process(const double* in, size_t count, const TSink& sink);
    // Ends the sound: the filter's tail goes to `sink`.
    bool Drain(const TSink& sink);

    // The pass-band end (0 dB point, Nyquist = 1) sox uses at its default quality.
    static double SoxPassbandEnd();

private:
    soxr* FSoxr = nullptr;
    bool FUsed = false;
    double FOut[8192];
};
