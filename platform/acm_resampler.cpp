#include "platform/acm_resampler.h"

#include <cmath>
#include <iterator>

#include <soxr.h>

double TAcmResampler::SoxPassbandEnd()
{
    // sox derives its pass band from the stop-band rejection of 20 bits (120.4 dB)
    // through the same -3 dB estimate libsoxr's recipes were built from; this
    // libsoxr's own HQ recipe ends the pass band slightly later (0.91374).
    const double rejection = 20 * 20 * std::log10(2.0);
    const double to3dB = (1.6e-6 * rejection - 7.5e-4) * rejection + .646;
    return 1 - .05 / to3dB;
}

TAcmResampler::~TAcmResampler()
{
    if (FSoxr != nullptr) soxr_delete(FSoxr);
}

bool TAcmResampler::Open(double inRate, double outRate)
{
    soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, SOXR_DOUBLE_PRECISION | SOXR_ROLLOFF_NONE);
    quality.passband_end = SoxPassbandEnd();
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT64_I, SOXR_FLOAT64_I);
    const soxr_runtime_spec_t runtime = soxr_runtime_spec(1); // one thread: the caller's
    soxr_error_t error = nullptr;
    FSoxr = soxr_create(inRate, outRate, 1, &error, &io, &quality, &runtime);
    if (error != nullptr || FSoxr == nullptr) {
        if (FSoxr != nullptr) soxr_delete(FSoxr);
        FSoxr = nullptr;
        return false;
    }
    FUsed = false;
    return true;
}

bool TAcmResampler::Restart()
{
    if (FSoxr == nullptr) return false;
    if (FUsed && soxr_clear(FSoxr) != nullptr) return false;
    FUsed = true;
    return true;
}

bool TAcmResampler::Process(const double* in, size_t count, const TSink& sink)
{
    size_t position = 0;
    int idle = 0;
    while (position < count) {
        size_t used = 0, made = 0;
        if (soxr_process(FSoxr, in + position, count - position, &used, FOut, std::size(FOut), &made) != nullptr)
            return false;
        position += used;
        if (made > 0) sink(FOut, made);
        // soxr always moves input or output; a stall would loop for ever.
        idle = (used == 0 && made == 0) ? idle + 1 : 0;
        if (idle > 2) return false;
    }
    return true;
}

bool TAcmResampler::Drain(const TSink& sink)
{
    for (;;) {
        size_t made = 0;
        if (soxr_process(FSoxr, nullptr, 0, nullptr, FOut, std::size(FOut), &made) != nullptr) return false;
        if (made == 0) return true;
        sink(FOut, made);
    }
}
