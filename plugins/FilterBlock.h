#pragma once
// The layout of a filter run's shared block. The program writes the plug-in records
// into it exactly as the interface gives them, except that every address is an offset
// from the block's start (0 for none); the helper, once it has mapped the block,
// turns the offsets into its own addresses and hands the records to the filter. The
// samples, format records and names the records point to lie in the block too, so a
// filter that changes a pane's samples in place changes the block, and the program
// takes those changes over only when the run has ended normally.

#include <cstddef>
#include <cstdint>

#include "plugins/sonovane_plugin.h"

struct TFilterBlockHeader {
    static constexpr uint32_t MagicValue = 0x53564e42;  // "BNVS"
    uint32_t Magic = MagicValue;
    uint32_t Reserved = 0;
    uint64_t Working = 0;         // TPluginWave
    uint64_t Final = 0;           // TPluginWave
    uint64_t Lists = 0;           // TPluginLists
    uint64_t WavesCell = 0;       // the cell holding the waves array's address
    uint64_t SelectionsCell = 0;  // the cell holding the selections array's address
};

// The records a filter is called with, at the helper's addresses.
struct TFilterRecords {
    TPluginWave* Working = nullptr;
    TPluginWave* Final = nullptr;
    TPluginLists* Lists = nullptr;
};

// Offsets into addresses, in place. False (and nothing to call) when an offset or a
// length points outside the block.
bool RelocateFilterBlock(uint8_t* base, size_t size, TFilterRecords& records);

// An offset stored in an address field of the block, and back.
template <class T>
T* OffsetAsAddress(uint64_t offset)
{
    return reinterpret_cast<T*>(static_cast<uintptr_t>(offset));
}
