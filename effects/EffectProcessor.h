#pragma once
// Runs an effect over working-format bytes in place, at 22050 Hz: each byte becomes the
// value (byte - 128) / 127, the values go through the effect in blocks, and each result
// is stored by the wave's store rule. A stereo effect gets the value on both inputs and
// its two outputs are averaged. The delay the effect reports is made up for, so the
// result lines up with the input.

#include <cstdint>
#include <stdexcept>
#include <vector>

#include "effects/EffectInfo.h"

class EEffectError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

namespace EffectProcessor {

constexpr uint32_t SampleRate = 22050;
constexpr uint32_t BlockLength = 1024;

// values holds one value per control of info, in order (a shorter list is filled with the
// defaults). Raises EEffectError when the effect cannot be loaded or started; bytes are
// then unchanged.
void Apply(const TEffectInfo& info, const std::vector<float>& values, uint8_t* bytes, int64_t count);

} // namespace EffectProcessor
