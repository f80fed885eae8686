#include "plugins/ReturnedRecord.h"

#include <cstring>

void TReturnedRecord::Put(TPluginMessage& message, const TPluginWave& record)
{
    const bool copyData = record.Size > 0 && record.Data && record.Format;
    message.PutInt32((record.Data ? 1 : 0) | (record.Format ? 2 : 0) | (record.Name ? 4 : 0) | (copyData ? 8 : 0));
    TWaveFormatEx format{};
    if (record.Format)
        std::memcpy(&format, record.Format, sizeof format);
    message.PutBytes(&format, sizeof format);
    message.PutInt32(record.SelStart).PutInt32(record.SelEnd).PutInt32(record.Size);
    message.PutText(record.Name ? std::string(record.Name) : std::string());
    if (copyData)
        message.PutBytes(record.Data, static_cast<size_t>(record.Size));
}

TReturnedRecord TReturnedRecord::Take(TPluginMessage& message)
{
    TReturnedRecord r;
    const int32_t flags = message.TakeInt32();
    r.FHasData = flags & 1;
    r.FHasFormat = flags & 2;
    r.FHasName = flags & 4;
    std::memcpy(&r.FFormat, message.TakeBytes(sizeof r.FFormat), sizeof r.FFormat);
    r.FSelStart = message.TakeInt32();
    r.FSelEnd = message.TakeInt32();
    r.FSize = message.TakeInt32();
    r.FName = message.TakeText();
    if (flags & 8) {
        const uint8_t* data = message.TakeBytes(static_cast<size_t>(r.FSize));
        r.FData.assign(data, data + r.FSize);
    }
    return r;
}

TPluginWave TReturnedRecord::Record()
{
    TPluginWave record{};
    // Data that was not copied (nothing to take) still reads as present, so the
    // program's checks see what the library returned; it is never read then.
    static uint8_t none;
    record.Data = FHasData ? (FData.empty() ? &none : FData.data()) : nullptr;
    record.Format = FHasFormat ? &FFormat : nullptr;
    record.SelStart = FSelStart;
    record.SelEnd = FSelEnd;
    record.Size = FSize;
    record.Name = FHasName ? FName.c_str() : nullptr;
    return record;
}
