#include "plugins/PluginMessage.h"

#include <cstring>

#include "plugins/PluginHelperError.h"

TPluginMessage& TPluginMessage::PutInt32(int32_t value)
{
    return PutBytes(&value, sizeof value);
}

TPluginMessage& TPluginMessage::PutUInt64(uint64_t value)
{
    return PutBytes(&value, sizeof value);
}

TPluginMessage& TPluginMessage::PutText(const std::string& text)
{
    PutInt32(static_cast<int32_t>(text.size()));
    return PutBytes(text.data(), text.size());
}

TPluginMessage& TPluginMessage::PutBytes(const void* data, size_t size)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    Bytes.insert(Bytes.end(), bytes, bytes + size);
    return *this;
}

const uint8_t* TPluginMessage::Next(size_t size)
{
    if (size > Bytes.size() - FRead)
        throw EPluginHelper("The plug-in helper sent an incomplete message.");
    const uint8_t* at = Bytes.data() + FRead;
    FRead += size;
    return at;
}

int32_t TPluginMessage::TakeInt32()
{
    int32_t value;
    std::memcpy(&value, Next(sizeof value), sizeof value);
    return value;
}

uint64_t TPluginMessage::TakeUInt64()
{
    uint64_t value;
    std::memcpy(&value, Next(sizeof value), sizeof value);
    return value;
}

std::string TPluginMessage::TakeText()
{
    const int32_t size = TakeInt32();
    if (size < 0)
        throw EPluginHelper("The plug-in helper sent an incomplete message.");
    const uint8_t* at = Next(static_cast<size_t>(size));
    return std::string(reinterpret_cast<const char*>(at), static_cast<size_t>(size));
}

const uint8_t* TPluginMessage::TakeBytes(size_t size)
{
    return Next(size);
}
