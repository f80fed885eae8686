#pragma once
// One message between the program and its plug-in helper: a type and a flat payload
// of little fields written and read in the same order. Reading past the end raises
// EPluginHelper: a message is never trusted to be complete.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class TPluginMessage {
public:
    TPluginMessage() = default;
    explicit TPluginMessage(uint32_t type) : Type(type) {}

    uint32_t Type = 0;
    std::vector<uint8_t> Bytes;

    TPluginMessage& PutInt32(int32_t value);
    TPluginMessage& PutUInt64(uint64_t value);
    TPluginMessage& PutText(const std::string& text);
    TPluginMessage& PutBytes(const void* data, size_t size);

    int32_t TakeInt32();
    uint64_t TakeUInt64();
    std::string TakeText();
    // Points at the next size bytes inside the message.
    const uint8_t* TakeBytes(size_t size);

private:
    const uint8_t* Next(size_t size);
    size_t FRead = 0;
};
