// sonovane-effect-helper: reads and runs the desktop's LADSPA and LV2 effects on behalf
// of the program, so that whatever an effect does ends at most this process.
//
//   sonovane-effect-helper scan    reads the installed effects into the cache file
//   sonovane-effect-helper apply   runs one effect over the bytes of the shared block
//
// The program hands the socket over as descriptor 3 and the block as descriptor 4.

#include <csignal>
#include <cstring>
#include <sys/prctl.h>
#include <unistd.h>

#include "effects/EffectCatalog.h"
#include "effects/EffectHelperProtocol.h"
#include "effects/EffectProcessor.h"
#include "plugins/PluginChannel.h"
#include "plugins/PluginHelperError.h"
#include "plugins/PluginHelperProtocol.h"
#include "plugins/SharedBlock.h"

using namespace EffectHelperProtocol;

namespace {

int Answer(TPluginChannel& channel, const std::string& failure)
{
    TPluginMessage answer(failure.empty() ? Done : Failed);
    if (!failure.empty())
        answer.PutText(failure);
    return channel.Send(answer) ? 0 : 2;
}

int Scan(TPluginChannel& channel, TPluginMessage& request)
{
    EffectCatalog::Discover(request.TakeText());
    return Answer(channel, {});
}

int Apply(TPluginChannel& channel, TPluginMessage& request)
{
    TSharedBlock block;
    if (!block.Map(PluginHelperProtocol::BlockFd))
        return Answer(channel, "The sound could not be handed to the effect.");
    const std::string cache = request.TakeText();
    const std::string id = request.TakeText();
    std::vector<float> values(static_cast<size_t>(std::max(0, request.TakeInt32())));
    for (float& v : values) {
        const int32_t bits = request.TakeInt32();
        std::memcpy(&v, &bits, sizeof v);
    }
    for (const TEffectInfo& info : EffectCatalog::Discover(cache)) {
        if (info.Id != id)
            continue;
        EffectProcessor::Apply(info, values, block.Data(), static_cast<int64_t>(block.Size()));
        return Answer(channel, {});
    }
    return Answer(channel, "The effect is no longer installed.");
}

} // namespace

int main(int argc, char** argv)
{
    // A helper never outlives the program, not even one stuck in an effect.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() == 1 || argc < 2)
        return 2;
    TPluginChannel channel(PluginHelperProtocol::SocketFd);
    TPluginMessage request;
    if (channel.Receive(request) != TPluginChannel::TReceived::Message)
        return 2;
    try {
        if (std::strcmp(argv[1], ScanMode) == 0 && request.Type == ScanRequest)
            return Scan(channel, request);
        if (std::strcmp(argv[1], ApplyMode) == 0 && request.Type == ApplyRequest)
            return Apply(channel, request);
    } catch (const EEffectError& e) {
        return Answer(channel, e.what());
    } catch (const EPluginHelper&) {
        return Answer(channel, "The program's request could not be read.");
    }
    return 2;
}
