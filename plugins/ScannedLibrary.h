#pragma once
// What the helper read from one library, in the order it was read. The program builds
// the Plugins menu by asking this object the questions it used to ask the library
// itself; an answer the helper never gave (it crashed, aborted, exited or hung first)
// raises EPluginHelper at exactly the question that had no answer.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "plugins/PluginMessage.h"

class TScannedLibrary {
public:
    // A library that is skipped without a word: not loaded, and done with.
    static TScannedLibrary NotLoaded();

    // One answer of the helper, in the order received.
    void Take(TPluginMessage& message);

    bool Loaded() const;
    // Whether the library exports this name (a PluginHelperProtocol::TExport bit).
    bool Exports(uint32_t exportBit) const;
    std::string ModulName() const;
    // The answers of GetFilterCount, one per call, in the order of the calls.
    int32_t FilterCount();
    std::string FilterProcName(int32_t index) const;
    std::string FilterName(int32_t index) const;
    // FreeLib ran and the library was unloaded.
    bool Finished() const { return FFinished; }
    // Raises EPluginHelper unless Finished.
    void CheckFinished() const;

private:
    std::optional<bool> FLoaded;
    std::optional<uint32_t> FExports;
    std::optional<std::string> FModulName;
    std::vector<int32_t> FCounts;
    size_t FCountsAsked = 0;
    std::vector<std::pair<std::string, std::string>> FFilters;  // procedure, caption
    bool FFinished = false;
};
