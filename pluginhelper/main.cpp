// sonovane-plugin-helper: loads plug-in libraries and calls them on behalf of the
// program, so that whatever a library does ends at most this process.
//
//   sonovane-plugin-helper scan   reads one library per request on the socket until the
//                                 program closes it
//   sonovane-plugin-helper run    runs one filter over the shared block, answers, ends
//
// The program hands the socket over as descriptor 3 and the block as descriptor 4.

#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include "plugins/FilterCall.h"
#include "plugins/LibraryScan.h"
#include "plugins/PluginChannel.h"
#include "plugins/PluginHelperError.h"
#include "plugins/PluginHelperProtocol.h"
#include "plugins/SharedBlock.h"

using namespace PluginHelperProtocol;

namespace {

int Scan(TPluginChannel& channel)
{
    TPluginMessage request;
    while (channel.Receive(request) == TPluginChannel::TReceived::Message) {
        if (request.Type != ScanRequest)
            return 2;
        const std::string path = request.TakeText();
        ScanLibrary(path, [&channel](const TPluginMessage& answer) { channel.Send(answer); });
    }
    return 0;  // the program closed the socket: done
}

int Run(TPluginChannel& channel)
{
    TSharedBlock block;
    if (!block.Map(BlockFd)) {
        std::fprintf(stderr, "sonovane-plugin-helper: the shared block cannot be mapped\n");
        return 2;
    }
    TPluginMessage request;
    if (channel.Receive(request) != TPluginChannel::TReceived::Message || request.Type != RunRequest)
        return 2;
    const TFilterCallRequest call = TFilterCallRequest::Take(request);
    return channel.Send(CallFilter(call, block.Data(), block.Size())) ? 0 : 2;
}

} // namespace

int main(int argc, char** argv)
{
    // A helper never outlives the program, not even one stuck in a plug-in.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() == 1)
        return 2;
    // A library that crashes is told to the user; it leaves no core file behind.
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s scan|run (started by the program)\n", argv[0]);
        return 2;
    }
    TPluginChannel channel(SocketFd);
    int status = 2;
    try {
        if (std::strcmp(argv[1], ScanMode) == 0)
            status = Scan(channel);
        else if (std::strcmp(argv[1], RunMode) == 0)
            status = Run(channel);
    } catch (const EPluginHelper& error) {
        std::fprintf(stderr, "sonovane-plugin-helper: %s\n", error.what());
    }
    // Everything is said and every library unloaded: nothing a library may have left
    // behind (exit handlers, threads) keeps the program waiting for this process.
    std::fflush(stderr);
    _exit(status);
}
