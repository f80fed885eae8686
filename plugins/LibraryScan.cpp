#include "plugins/LibraryScan.h"

#include <dlfcn.h>

#include "plugins/PluginHelperProtocol.h"
#include "plugins/sonovane_plugin.h"

using namespace PluginHelperProtocol;

namespace {

std::string Text(const char* text)
{
    return text ? std::string(text) : std::string();
}

} // namespace

void ScanLibrary(const std::string& path, const std::function<void(const TPluginMessage&)>& send)
{
    // Symbols are bound at load time and kept local, as the program's loader does.
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    send(TPluginMessage(ScanLoaded).PutInt32(module ? 1 : 0));
    if (!module) {
        send(TPluginMessage(ScanFinished));
        return;
    }
    const auto proc = [module](const char* name) { return dlsym(module, name); };
    const auto initLib = reinterpret_cast<TInitLib>(proc("InitLib"));
    const auto freeLib = reinterpret_cast<TFreeLib>(proc("FreeLib"));
    const auto getModulName = reinterpret_cast<TGetModulName>(proc("GetModulName"));
    const bool hasVersion = proc("GetPluginVersion") != nullptr;
    const auto getFilterCount = reinterpret_cast<TGetFilterCount>(proc("GetFilterCount"));
    const auto getFilterName = reinterpret_cast<TGetFilterName>(proc("GetFilterName"));
    const auto getFilterProcName = reinterpret_cast<TGetFilterProcName>(proc("GetFilterProcName"));
    const uint32_t exports = (initLib ? ExportInitLib : 0u) | (freeLib ? ExportFreeLib : 0u) |
                             (getModulName ? ExportGetModulName : 0u) | (hasVersion ? ExportGetPluginVersion : 0u) |
                             (getFilterCount ? ExportGetFilterCount : 0u) | (getFilterName ? ExportGetFilterName : 0u) |
                             (getFilterProcName ? ExportGetFilterProcName : 0u);
    send(TPluginMessage(ScanExports).PutInt32(static_cast<int32_t>(exports)));

    if (initLib && freeLib && getModulName) {
        send(TPluginMessage(ScanModulName).PutText(Text(getModulName())));
        if (hasVersion && getFilterCount && getFilterName && getFilterProcName) {
            int32_t count = getFilterCount();
            send(TPluginMessage(ScanFilterCount).PutInt32(count));
            if (count != 1) {
                count = getFilterCount();
                send(TPluginMessage(ScanFilterCount).PutInt32(count));
            }
            for (int32_t i = 0; i < count; ++i) {
                // The procedure's name first, then the caption, as the menu is built.
                const std::string procName = Text(getFilterProcName(i));
                send(TPluginMessage(ScanFilter).PutText(procName).PutText(Text(getFilterName(i))));
            }
        }
    }
    if (initLib && freeLib)
        freeLib();
    dlclose(module);
    send(TPluginMessage(ScanFinished));
}
