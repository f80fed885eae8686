#include "plugins/ScannedLibrary.h"

#include "plugins/PluginHelperError.h"
#include "plugins/PluginHelperProtocol.h"

using namespace PluginHelperProtocol;

namespace {

[[noreturn]] void Unanswered()
{
    throw EPluginHelper("The plug-in library ended the helper while it was read.");
}

} // namespace

TScannedLibrary TScannedLibrary::NotLoaded()
{
    TScannedLibrary library;
    library.FLoaded = false;
    library.FFinished = true;
    return library;
}

void TScannedLibrary::Take(TPluginMessage& message)
{
    switch (message.Type) {
    case ScanLoaded:
        FLoaded = message.TakeInt32() != 0;
        break;
    case ScanExports:
        FExports = static_cast<uint32_t>(message.TakeInt32());
        break;
    case ScanModulName:
        FModulName = message.TakeText();
        break;
    case ScanFilterCount:
        FCounts.push_back(message.TakeInt32());
        break;
    case ScanFilter: {
        std::string procName = message.TakeText();
        FFilters.emplace_back(std::move(procName), message.TakeText());
        break;
    }
    case ScanFinished:
        FFinished = true;
        break;
    default:
        throw EPluginHelper("The plug-in helper sent an unknown answer.");
    }
}

bool TScannedLibrary::Loaded() const
{
    if (!FLoaded)
        Unanswered();
    return *FLoaded;
}

bool TScannedLibrary::Exports(uint32_t exportBit) const
{
    if (!FExports)
        Unanswered();
    return (*FExports & exportBit) != 0;
}

std::string TScannedLibrary::ModulName() const
{
    if (!FModulName)
        Unanswered();
    return *FModulName;
}

int32_t TScannedLibrary::FilterCount()
{
    if (FCountsAsked >= FCounts.size())
        Unanswered();
    return FCounts[FCountsAsked++];
}

std::string TScannedLibrary::FilterProcName(int32_t index) const
{
    if (index < 0 || static_cast<size_t>(index) >= FFilters.size())
        Unanswered();
    return FFilters[static_cast<size_t>(index)].first;
}

std::string TScannedLibrary::FilterName(int32_t index) const
{
    if (index < 0 || static_cast<size_t>(index) >= FFilters.size())
        Unanswered();
    return FFilters[static_cast<size_t>(index)].second;
}

void TScannedLibrary::CheckFinished() const
{
    if (!FFinished)
        Unanswered();
}
