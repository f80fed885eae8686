#pragma once
// The plumbing every filter of the kit shares, written against the public plug-in
// header only: reading the working selection, the store rule, and the returned record,
// which the library owns until the program has copied it (released in FreeLib).

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "sonovane_plugin.h"

namespace kit {

// The working wave's selection as bytes; false when there is nothing to work on or the
// wave is not 8-bit mono.
inline bool SelectedBytes(const TPluginWave* w, std::vector<uint8_t>& out)
{
    if (!w || !w->Data || w->Size <= 0 || !w->Format || w->Format->wBitsPerSample != 8 || w->Format->nChannels != 1)
        return false;
    int32_t first = w->SelStart < 0 ? 0 : w->SelStart;
    int32_t last = w->SelEnd >= w->Size ? w->Size - 1 : w->SelEnd;
    if (last < first) {  // no usable selection: the whole wave
        first = 0;
        last = w->Size - 1;
    }
    out.assign(w->Data + first, w->Data + last + 1);
    return true;
}

// Signed sample / 127, in single precision, as the program reads a sample.
inline std::vector<float> Values(const std::vector<uint8_t>& bytes)
{
    std::vector<float> v(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i)
        v[i] = static_cast<float>(int(bytes[i]) - 128) / 127.0f;
    return v;
}

// The program's store rule: clamp to -1..1, times 127, nearest (ties to even), + 128.
inline std::vector<uint8_t> Bytes(const std::vector<float>& values)
{
    std::vector<uint8_t> b(values.size());
    for (size_t i = 0; i < values.size(); ++i) {
        const float v = values[i] < -1.0f ? -1.0f : values[i] > 1.0f ? 1.0f : values[i];
        b[i] = static_cast<uint8_t>(std::nearbyint(v * 127.0f) + 128.0f);
    }
    return b;
}

// The one record a filter returns, with what it points to.
class TResult {
public:
    TPluginWave* Wave(std::vector<uint8_t> bytes, const std::string& name)
    {
        FBytes = std::move(bytes);
        FName = name;
        FFormat = TWaveFormatEx{1, 1, 22050, 22050, 1, 8, 0};
        FRecord = TPluginWave{};
        FRecord.Data = FBytes.data();
        FRecord.Format = &FFormat;
        FRecord.Size = static_cast<int32_t>(FBytes.size());
        FRecord.Name = FName.c_str();
        return &FRecord;
    }
    // No wave, only a text for the status bar.
    TPluginWave* Status(const std::string& text) { return Wave({}, text); }
    void Release()
    {
        std::vector<uint8_t>().swap(FBytes);
        FName.clear();
    }

private:
    std::vector<uint8_t> FBytes;
    std::string FName;
    TWaveFormatEx FFormat{};
    TPluginWave FRecord{};
};

inline TResult& Result()
{
    static TResult result;
    return result;
}

// Runs process on the working selection and returns the new wave, named after the
// source and the filter ("piano.wav (Echo)").
template <class Process>
TPluginWave* Run(const char* filter, const TPluginWave* working, Process process)
{
    std::vector<uint8_t> selection;
    if (!SelectedBytes(working, selection))
        return Result().Status(std::string(filter) + ": the working wave is empty");
    const std::string source = working->Name ? working->Name : "";
    return Result().Wave(process(selection), source + " (" + filter + ")");
}

struct TFilterEntry {
    const char* Name;
    const char* Proc;
};

} // namespace kit

// The exports every kit library has; entries is its table of filters.
#define SONOVANE_KIT_LIBRARY(moduleName, entries)                                                     \
    SONOVANE_EXPORT void SONOVANE_CALL InitLib(uintptr_t) {}                                           \
    SONOVANE_EXPORT void SONOVANE_CALL FreeLib(void) { kit::Result().Release(); }                      \
    SONOVANE_EXPORT const char* SONOVANE_CALL GetModulName(void) { return moduleName; }                \
    SONOVANE_EXPORT int32_t SONOVANE_CALL GetPluginVersion(void) { return SONOVANE_PLUGIN_VERSION_2; } \
    SONOVANE_EXPORT int32_t SONOVANE_CALL GetFilterCount(void)                                         \
    {                                                                                                  \
        return static_cast<int32_t>(sizeof(entries) / sizeof(entries[0]));                            \
    }                                                                                                  \
    SONOVANE_EXPORT const char* SONOVANE_CALL GetFilterName(int32_t i)                                 \
    {                                                                                                  \
        return i >= 0 && i < GetFilterCount() ? entries[i].Name : nullptr;                             \
    }                                                                                                  \
    SONOVANE_EXPORT const char* SONOVANE_CALL GetFilterProcName(int32_t i)                             \
    {                                                                                                  \
        return i >= 0 && i < GetFilterCount() ? entries[i].Proc : nullptr;                             \
    }

#define SONOVANE_KIT_FILTER(proc)                                                                  \
    SONOVANE_EXPORT TPluginWave* SONOVANE_CALL proc(TPluginWave* working, TPluginWave* /*final_*/, \
                                                    TPluginLists* /*lists*/)
