#include "plugins/FilterCall.h"

#include <dlfcn.h>

#include "plugins/FilterBlock.h"
#include "plugins/PluginHelperError.h"
#include "plugins/PluginHelperProtocol.h"
#include "plugins/ReturnedRecord.h"

using namespace PluginHelperProtocol;

void TFilterCallRequest::Put(TPluginMessage& message) const
{
    message.PutText(LibraryPath).PutText(ProcName).PutUInt64(WindowId);
}

TFilterCallRequest TFilterCallRequest::Take(TPluginMessage& message)
{
    TFilterCallRequest request;
    request.LibraryPath = message.TakeText();
    request.ProcName = message.TakeText();
    request.WindowId = message.TakeUInt64();
    return request;
}

namespace {

TPluginMessage Outcome(TRunOutcome outcome)
{
    return std::move(TPluginMessage(RunOutcome).PutInt32(outcome));
}

} // namespace

TPluginMessage CallFilter(const TFilterCallRequest& request, uint8_t* block, size_t blockSize)
{
    TFilterRecords records;
    if (!RelocateFilterBlock(block, blockSize, records))
        throw EPluginHelper("The plug-in records are damaged.");

    void* module = dlopen(request.LibraryPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module)
        return Outcome(CannotLoad);
    const auto getPluginVersion = reinterpret_cast<TGetPluginVersion>(dlsym(module, "GetPluginVersion"));
    const auto freeLib = reinterpret_cast<TFreeLib>(dlsym(module, "FreeLib"));
    const auto initLib = reinterpret_cast<TInitLib>(dlsym(module, "InitLib"));
    if (!getPluginVersion || !freeLib || !initLib) {
        dlclose(module);
        return Outcome(MissingInit);
    }

    initLib(static_cast<uintptr_t>(request.WindowId));
    // From here on FreeLib runs and the library is unloaded, whatever the outcome.
    const auto finish = [&](TPluginMessage answer) {
        freeLib();
        dlclose(module);
        return answer;
    };
    void* const proc = dlsym(module, request.ProcName.c_str());
    if (!proc)
        return finish(Outcome(MissingProc));

    TPluginWave* result = nullptr;
    switch (getPluginVersion()) {
    case SONOVANE_PLUGIN_VERSION_1:
        result = reinterpret_cast<TFilterProcV1>(proc)(records.Working, records.Final);
        break;
    case SONOVANE_PLUGIN_VERSION_2:
        result = reinterpret_cast<TFilterProcV2>(proc)(records.Working, records.Final, records.Lists);
        break;
    default:
        return finish(Outcome(VersionMismatch));
    }
    if (!result)
        return finish(Outcome(ReturnedNothing));
    // Copied before FreeLib, which may release what the record points to.
    TPluginMessage answer = Outcome(Returned);
    TReturnedRecord::Put(answer, *result);
    return finish(std::move(answer));
}
