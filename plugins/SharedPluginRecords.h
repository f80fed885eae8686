#pragma once
// The plug-in records of one filter run laid out in a shared block for the helper:
// both panes, the waves list's entries with copies of their samples, format records
// and names, the stored selections, the lists record and its two cells (see
// FilterBlock.h). The program's waves stay untouched while the filter runs; only a
// run that ended normally takes the filter's in-place changes over.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "plugins/PluginRecords.h"
#include "plugins/SharedBlock.h"

class TSharedPluginRecords {
public:
    // Raises EPluginHelper when no shared block can be had.
    TSharedPluginRecords(const TPluginWaveSource& working, const TPluginWaveSource& final_,
                         const std::vector<TPluginWaveSource>& waves, const std::vector<TPluginSelection>& selections);

    int Fd() const { return FBlock.Fd(); }
    uint8_t* Data() const { return FBlock.Data(); }
    size_t Size() const { return FBlock.Size(); }

    // Copies the samples the filter changed back into the waves they came from: into
    // every one that is still among alive and still has the size it had, working pane
    // first, then the final pane, then the entries. Returns how many waves changed.
    int TakeOverSamples(const std::vector<const TTxWavStream*>& alive);

private:
    struct TLaidOut {
        TTxWavStream* Wave = nullptr;
        uint64_t Offset = 0;
        int32_t Size = 0;
    };
    std::vector<TLaidOut> FSamples;
    TSharedBlock FBlock;
};
