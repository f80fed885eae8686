#pragma once
// The records a filter procedure receives: one per pane, one per waves-list entry, one
// per stored selection and the lists record with its two cells. Built from plain values
// so the window's lists need not be known here; the records point into the program's
// live waves and into this object, so it lives exactly as long as the call.

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "plugins/sonovane_plugin.h"

class TTxWavStream;

// What one record describes.
struct TPluginWaveSource {
    TTxWavStream* Wave = nullptr;  // null: an entry without a wave (all four fields 0)
    std::string Name;              // the pane's WaveName or the entry's caption (8-bit)
    bool WithSelection = false;    // the panes hand their selection; list entries 0 and 0
};

class TPluginRecords {
public:
    TPluginRecords(const TPluginWaveSource& working, const TPluginWaveSource& final_,
                   const std::vector<TPluginWaveSource>& waves, std::vector<TPluginSelection> selections);
    TPluginRecords(const TPluginRecords&) = delete;
    TPluginRecords& operator=(const TPluginRecords&) = delete;

    TPluginWave* Working() { return &FWorking; }
    TPluginWave* Final() { return &FFinal; }
    TPluginLists* Lists() { return &FLists; }

private:
    TPluginWave Describe(const TPluginWaveSource& source);

    std::deque<std::string> FNames;  // a deque keeps the texts in place as it grows
    TPluginWave FWorking{};
    TPluginWave FFinal{};
    std::vector<TPluginWave> FWaves;
    std::vector<TPluginSelection> FSelections;
    TPluginWave* FWavesCell = nullptr;
    TPluginSelection* FSelectionsCell = nullptr;
    TPluginLists FLists{};
};
