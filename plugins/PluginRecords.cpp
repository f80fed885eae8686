// The plug-in records are read by code outside the program, so this file includes the
// public header before the program's own format record: the checks in format/WaveFormat.h
// then run against the public definition, and the ones below against both names.
#include "plugins/sonovane_plugin.h"

#include "plugins/PluginRecords.h"

#include <cstddef>

#include "format/WaveFormat.h"
#include "wave/Wavs_ex.h"

static_assert(sizeof(TWaveFormatEx) == 18 && offsetof(TWaveFormatEx, nChannels) == 2 &&
                  offsetof(TWaveFormatEx, nSamplesPerSec) == 4 && offsetof(TWaveFormatEx, nAvgBytesPerSec) == 8 &&
                  offsetof(TWaveFormatEx, nBlockAlign) == 12 && offsetof(TWaveFormatEx, wBitsPerSample) == 14 &&
                  offsetof(TWaveFormatEx, cbSize) == 16,
              "the waves' format record and the plug-ins' one agree byte for byte");
static_assert(sizeof(TTxWavStream::Format) == sizeof(TWaveFormatEx),
              "a wave's format record is handed to plug-ins as it is");

TPluginRecords::TPluginRecords(const TPluginWaveSource& working, const TPluginWaveSource& final_,
                               const std::vector<TPluginWaveSource>& waves,
                               std::vector<TPluginSelection> selections)
    : FSelections(std::move(selections))
{
    FWorking = Describe(working);
    FFinal = Describe(final_);
    FWaves.reserve(waves.size());
    for (const TPluginWaveSource& source : waves)
        FWaves.push_back(Describe(source));
    // The cells hold 0 for an empty list, never the address of an empty array.
    FWavesCell = FWaves.empty() ? nullptr : FWaves.data();
    FSelectionsCell = FSelections.empty() ? nullptr : FSelections.data();
    FLists.Waves = &FWavesCell;
    FLists.WaveCount = static_cast<int32_t>(FWaves.size());
    FLists.Selections = &FSelectionsCell;
    FLists.SelectionCount = static_cast<int32_t>(FSelections.size());
}

TPluginWave TPluginRecords::Describe(const TPluginWaveSource& source)
{
    TPluginWave record{};
    FNames.push_back(source.Name);
    record.Name = FNames.back().c_str();
    if (TTxWavStream* wave = source.Wave) {
        record.Data = wave->Memory();
        record.Stream = wave;
        record.Format = &wave->Format;
        record.Size = static_cast<int32_t>(wave->Size());
        if (source.WithSelection) {
            record.SelStart = wave->SelStart();
            record.SelEnd = wave->SelEnd();
        }
    }
    return record;
}
