#pragma once
// The record a filter returned, copied out of the library inside the helper (before
// FreeLib, which may release it) and carried to the program, where it reads as the
// library's own record did: the same fields, null where the library gave null.

#include <cstdint>
#include <string>
#include <vector>

#include "plugins/PluginMessage.h"
#include "plugins/sonovane_plugin.h"

class TReturnedRecord {
public:
    // Copies what record points to. Samples are copied only when there is something
    // the program could take (a positive size, data and a format record).
    static void Put(TPluginMessage& message, const TPluginWave& record);
    // Reads what Put wrote.
    static TReturnedRecord Take(TPluginMessage& message);

    // The record as the library gave it, pointing into this object.
    TPluginWave Record();

private:
    bool FHasData = false;
    bool FHasFormat = false;
    bool FHasName = false;
    TWaveFormatEx FFormat{};
    int32_t FSelStart = 0;
    int32_t FSelEnd = 0;
    int32_t FSize = 0;
    std::string FName;
    std::vector<uint8_t> FData;
};
