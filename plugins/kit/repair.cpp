// "Repair kit": noise gate, DC-offset removal and bit-crush. Each filter works on the
// working selection and returns a new wave.
#include "Dsp.h"
#include "KitFilter.h"

namespace {

const kit::TFilterEntry Filters[] = {
    {"Noise gate", "KitNoiseGate"},
    {"Remove DC offset", "KitRemoveDc"},
    {"Bit-crush", "KitBitCrush"},
    {"About", "KitRepairAbout"},
};

constexpr int GateThreshold = 4;  // steps from the zero line: about -30 dB of full scale
constexpr int32_t GateHold = 220; // 10 ms either side of a loud sample
constexpr int CrushBits = 4;
constexpr int32_t CrushHold = 2;  // half the sample rate

} // namespace

SONOVANE_KIT_LIBRARY("Repair kit", Filters)

SONOVANE_KIT_FILTER(KitNoiseGate)
{
    return kit::Run("Noise gate", working,
                    [](const std::vector<uint8_t>& s) { return kitdsp::NoiseGate(s, GateThreshold, GateHold); });
}

SONOVANE_KIT_FILTER(KitRemoveDc)
{
    return kit::Run("DC offset removed", working, [](const std::vector<uint8_t>& s) { return kitdsp::RemoveDcOffset(s); });
}

SONOVANE_KIT_FILTER(KitBitCrush)
{
    return kit::Run("Bit-crush", working,
                    [](const std::vector<uint8_t>& s) { return kitdsp::BitCrush(s, CrushBits, CrushHold); });
}

SONOVANE_KIT_FILTER(KitRepairAbout)
{
    (void)working;
    return kit::Result().Status("Repair kit 1.0: noise gate, DC-offset removal, bit-crush");
}
