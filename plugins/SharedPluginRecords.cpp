#include "plugins/SharedPluginRecords.h"

#include <algorithm>
#include <cstring>

#include "plugins/FilterBlock.h"
#include "wave/Wavs_ex.h"

namespace {

uint64_t Aligned(uint64_t offset)
{
    return (offset + 7) & ~uint64_t{7};
}

// Bytes a wave's format record, name and samples need in the block.
uint64_t Extra(const TPluginWaveSource& source)
{
    uint64_t size = source.Name.size() + 1;
    if (source.Wave)
        size += sizeof(TWaveFormatEx) + static_cast<uint64_t>(source.Wave->Size());
    return size;
}

} // namespace

TSharedPluginRecords::TSharedPluginRecords(const TPluginWaveSource& working, const TPluginWaveSource& final_,
                                           const std::vector<TPluginWaveSource>& waves,
                                           const std::vector<TPluginSelection>& selections)
{
    TFilterBlockHeader header;
    uint64_t at = Aligned(sizeof header);
    header.Working = at;
    header.Final = at += sizeof(TPluginWave);
    header.Lists = at += sizeof(TPluginWave);
    header.WavesCell = at = Aligned(at + sizeof(TPluginLists));
    header.SelectionsCell = at += sizeof(TPluginWave*);
    const uint64_t wavesArray = at = Aligned(at + sizeof(TPluginSelection*));
    const uint64_t selectionsArray = at = Aligned(at + waves.size() * sizeof(TPluginWave));
    uint64_t free = at + selections.size() * sizeof(TPluginSelection);
    uint64_t total = free + Extra(working) + Extra(final_);
    for (const TPluginWaveSource& source : waves)
        total += Extra(source);
    TSharedBlock::Create(FBlock, static_cast<size_t>(total));
    uint8_t* base = FBlock.Data();

    // One record and what it points to; offsets where the interface has addresses.
    const auto describe = [&](const TPluginWaveSource& source, uint64_t recordAt) {
        TPluginWave record{};
        std::memcpy(base + free, source.Name.c_str(), source.Name.size() + 1);
        record.Name = OffsetAsAddress<const char>(free);
        free += source.Name.size() + 1;
        if (TTxWavStream* wave = source.Wave) {
            std::memcpy(base + free, &wave->Format, sizeof(TWaveFormatEx));
            record.Format = OffsetAsAddress<TWaveFormatEx>(free);
            free += sizeof(TWaveFormatEx);
            record.Size = wave->Size();
            if (record.Size > 0)
                std::memcpy(base + free, wave->Memory(), static_cast<size_t>(record.Size));
            record.Data = OffsetAsAddress<uint8_t>(free);
            FSamples.push_back({wave, free, record.Size});
            free += static_cast<uint64_t>(record.Size);
            record.Stream = wave;  // the program's own reference, opaque to the plug-in
            if (source.WithSelection) {
                record.SelStart = wave->SelStart();
                record.SelEnd = wave->SelEnd();
            }
        }
        std::memcpy(base + recordAt, &record, sizeof record);
    };
    describe(working, header.Working);
    describe(final_, header.Final);
    for (size_t i = 0; i < waves.size(); ++i)
        describe(waves[i], wavesArray + i * sizeof(TPluginWave));
    if (!selections.empty())
        std::memcpy(base + selectionsArray, selections.data(), selections.size() * sizeof(TPluginSelection));

    // The cells hold 0 for an empty list, never the address of an empty array.
    TPluginWave* wavesCell = waves.empty() ? nullptr : OffsetAsAddress<TPluginWave>(wavesArray);
    TPluginSelection* selectionsCell = selections.empty() ? nullptr : OffsetAsAddress<TPluginSelection>(selectionsArray);
    std::memcpy(base + header.WavesCell, &wavesCell, sizeof wavesCell);
    std::memcpy(base + header.SelectionsCell, &selectionsCell, sizeof selectionsCell);
    TPluginLists lists{};
    lists.Waves = OffsetAsAddress<TPluginWave*>(header.WavesCell);
    lists.WaveCount = static_cast<int32_t>(waves.size());
    lists.Selections = OffsetAsAddress<TPluginSelection*>(header.SelectionsCell);
    lists.SelectionCount = static_cast<int32_t>(selections.size());
    std::memcpy(base + header.Lists, &lists, sizeof lists);
    std::memcpy(base, &header, sizeof header);
}

int TSharedPluginRecords::TakeOverSamples(const std::vector<const TTxWavStream*>& alive)
{
    int changed = 0;
    for (const TLaidOut& laid : FSamples) {
        // A wave that went while the filter ran is not touched, nor one that changed size.
        if (laid.Size <= 0 || std::find(alive.begin(), alive.end(), laid.Wave) == alive.end() ||
            laid.Wave->Size() != laid.Size)
            continue;
        const uint8_t* block = FBlock.Data() + laid.Offset;
        if (std::memcmp(laid.Wave->Memory(), block, static_cast<size_t>(laid.Size)) == 0)
            continue;
        std::memcpy(laid.Wave->Memory(), block, static_cast<size_t>(laid.Size));
        ++changed;
    }
    return changed;
}
