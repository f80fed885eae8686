#include "effects/EffectProcessor.h"

#include <algorithm>
#include <cmath>

#include "effects/EffectInstance.h"
#include "wave/TxWavStream.h"

namespace EffectProcessor {

namespace {

// A reported delay beyond this is taken for nonsense rather than run for.
constexpr int64_t MaxLatency = SampleRate * 2;

} // namespace

void Apply(const TEffectInfo& info, const std::vector<float>& values, uint8_t* bytes, int64_t count)
{
    if (count <= 0)
        return;
    if (info.AudioIn.size() != info.Channels || info.AudioOut.size() != info.Channels)
        throw EEffectError("The effect \"" + info.Name + "\" has no audio ports the program can use.");
    std::unique_ptr<TEffectInstance> effect = TEffectInstance::Make(info, SampleRate);

    std::vector<float> controls(info.Controls.size());
    for (size_t i = 0; i < controls.size(); ++i)
        controls[i] = i < values.size() ? values[i] : info.Controls[i].Default;
    std::vector<float> controlOuts(info.ControlOuts.size(), 0.0f);
    std::vector<float> in(BlockLength), out[2] = {std::vector<float>(BlockLength), std::vector<float>(BlockLength)};
    for (size_t i = 0; i < controls.size(); ++i)
        effect->Connect(info.Controls[i].Index, &controls[i]);
    for (size_t i = 0; i < controlOuts.size(); ++i)
        effect->Connect(info.ControlOuts[i], &controlOuts[i]);
    for (uint32_t c = 0; c < info.Channels; ++c) {
        effect->Connect(info.AudioIn[c], in.data());  // the mono signal on every input
        effect->Connect(info.AudioOut[c], out[c].data());
    }
    auto latency = [&]() -> int64_t {
        for (size_t i = 0; i < info.ControlOuts.size(); ++i)
            if (static_cast<int32_t>(info.ControlOuts[i]) == info.LatencyPort)
                return std::clamp<int64_t>(std::llround(controlOuts[i]), 0, MaxLatency);
        return 0;
    };

    // Results are kept apart until the end, so a failure leaves the bytes as they were.
    std::vector<uint8_t> result(static_cast<size_t>(count));
    effect->Activate();
    int64_t read = 0;     // input samples fed
    int64_t written = 0;  // output samples produced
    int64_t skip = -1;    // output samples to drop: the delay, read after the first block
    while (written < count + std::max<int64_t>(skip, 0)) {
        // Full blocks always: past the end the effect is fed silence.
        for (uint32_t i = 0; i < BlockLength; ++i, ++read)
            in[i] = read < count ? TTxWavStream::ByteToValue(bytes[read]) : 0.0f;
        effect->Run(BlockLength);
        if (skip < 0)
            skip = latency();
        for (uint32_t i = 0; i < BlockLength; ++i, ++written) {
            const int64_t at = written - skip;
            if (at < 0 || at >= count)
                continue;
            const float v = info.Channels == 2 ? (out[0][i] + out[1][i]) * 0.5f : out[0][i];
            result[static_cast<size_t>(at)] = TTxWavStream::ValueToByte(std::isnan(v) ? 0.0f : v);
        }
    }
    effect->Deactivate();
    std::copy(result.begin(), result.end(), bytes);
}

} // namespace EffectProcessor
