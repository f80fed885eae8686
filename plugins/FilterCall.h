#pragma once
// One filter run as the helper does it, over the records of a shared block: load the
// library, look up GetPluginVersion, FreeLib and InitLib, InitLib, look up the
// procedure, call it as its version says, copy what it returned, FreeLib, unload.
// The answer is the run's outcome (and the returned record), ready to send. Also
// usable in the program's own process, for comparison.

#include <cstddef>
#include <cstdint>
#include <string>

#include "plugins/PluginMessage.h"

struct TFilterCallRequest {
    std::string LibraryPath;
    std::string ProcName;
    uint64_t WindowId = 0;

    void Put(TPluginMessage& message) const;
    static TFilterCallRequest Take(TPluginMessage& message);
};

// block: the mapped shared block (see FilterBlock.h), its offsets turned into
// addresses here. Raises EPluginHelper when the block does not hold valid records.
TPluginMessage CallFilter(const TFilterCallRequest& request, uint8_t* block, size_t blockSize);
