#include "plugins/FilterBlock.h"

#include <cstring>

namespace {

bool Inside(size_t size, uint64_t offset, uint64_t length)
{
    return offset <= size && length <= size - offset;
}

template <class T>
bool Relocate(uint8_t* base, size_t size, T*& field, uint64_t length)
{
    const auto offset = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(field));
    if (offset == 0)
        return true;  // none
    if (!Inside(size, offset, length))
        return false;
    field = reinterpret_cast<T*>(base + offset);
    return true;
}

bool RelocateWave(uint8_t* base, size_t size, TPluginWave& wave)
{
    if (wave.Size < 0)
        return false;
    const char* name = wave.Name;
    if (!Relocate(base, size, wave.Data, static_cast<uint64_t>(wave.Size)) ||
        !Relocate(base, size, wave.Format, sizeof(TWaveFormatEx)) || !Relocate(base, size, name, 1))
        return false;
    // A name ends inside the block.
    if (name && !std::memchr(name, 0, size - static_cast<size_t>(reinterpret_cast<const uint8_t*>(name) - base)))
        return false;
    wave.Name = name;
    return true;
}

} // namespace

bool RelocateFilterBlock(uint8_t* base, size_t size, TFilterRecords& records)
{
    if (!base || size < sizeof(TFilterBlockHeader))
        return false;
    TFilterBlockHeader header;
    std::memcpy(&header, base, sizeof header);
    if (header.Magic != TFilterBlockHeader::MagicValue || !Inside(size, header.Working, sizeof(TPluginWave)) ||
        !Inside(size, header.Final, sizeof(TPluginWave)) || !Inside(size, header.Lists, sizeof(TPluginLists)) ||
        !Inside(size, header.WavesCell, sizeof(TPluginWave*)) ||
        !Inside(size, header.SelectionsCell, sizeof(TPluginSelection*)))
        return false;
    records.Working = reinterpret_cast<TPluginWave*>(base + header.Working);
    records.Final = reinterpret_cast<TPluginWave*>(base + header.Final);
    records.Lists = reinterpret_cast<TPluginLists*>(base + header.Lists);
    TPluginLists& lists = *records.Lists;
    if (lists.WaveCount < 0 || lists.SelectionCount < 0)
        return false;
    auto** wavesCell = reinterpret_cast<TPluginWave**>(base + header.WavesCell);
    auto** selectionsCell = reinterpret_cast<TPluginSelection**>(base + header.SelectionsCell);
    if (!Relocate(base, size, *wavesCell, uint64_t(lists.WaveCount) * sizeof(TPluginWave)) ||
        !Relocate(base, size, *selectionsCell, uint64_t(lists.SelectionCount) * sizeof(TPluginSelection)))
        return false;
    lists.Waves = wavesCell;
    lists.Selections = selectionsCell;
    if (!RelocateWave(base, size, *records.Working) || !RelocateWave(base, size, *records.Final))
        return false;
    for (int32_t i = 0; i < lists.WaveCount; ++i)
        if (!RelocateWave(base, size, (*wavesCell)[i]))
            return false;
    return true;
}
