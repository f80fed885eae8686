#include "plugins/PluginScanHelper.h"

#include <chrono>

#include "plugins/PluginHelperError.h"
#include "plugins/PluginHelperProtocol.h"

TScannedLibrary TPluginScanHelper::Read(const std::string& path)
{
    TPluginMessage request(PluginHelperProtocol::ScanRequest);
    request.PutText(path);
    if (!FProcess.Running() || !FProcess.Channel().Send(request)) {
        // None yet, or the last one went away after it finished its library.
        if (FProcess.Running())
            FProcess.Wait();
        FProcess.Start(FProgram, PluginHelperProtocol::ScanMode);
        if (!FProcess.Channel().Send(request))
            FProcess.Wait();
    }

    TScannedLibrary library;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeoutMs);
    while (FProcess.Running()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        TPluginMessage answer;
        switch (FProcess.Channel().Receive(answer, static_cast<int>(std::max<int64_t>(0, left.count())))) {
        case TPluginChannel::TReceived::Message:
            try {
                library.Take(answer);
            } catch (const EPluginHelper&) {
                // Nonsense from the helper: this library stays unread, the helper goes.
                FProcess.Kill();
                FProcess.Wait();
                return library;
            }
            if (library.Finished())
                return library;
            break;
        case TPluginChannel::TReceived::TimedOut:
            FProcess.Kill();
            FProcess.Wait();
            return library;
        case TPluginChannel::TReceived::Closed:
            FProcess.Wait();
            return library;
        }
    }
    return library;
}
