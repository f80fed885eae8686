#pragma once
// A running copy of a LADSPA or LV2 effect at a sample rate: ports connected to buffers,
// then activated, run block by block and released. Both kinds behind one face.

#include <cstdint>
#include <memory>

#include "effects/EffectInfo.h"

class TEffectInstance {
public:
    virtual ~TEffectInstance() = default;
    virtual void Connect(uint32_t port, float* data) = 0;
    virtual void Activate() = 0;
    virtual void Run(uint32_t samples) = 0;
    virtual void Deactivate() = 0;

    // Loads the effect's library and makes an instance; raises EEffectError (with the
    // effect's name) when that fails.
    static std::unique_ptr<TEffectInstance> Make(const TEffectInfo& info, uint32_t rate);
};
