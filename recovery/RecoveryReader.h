#pragma once
// Little-endian fields of a recovery file, written onto a byte vector and read back
// with every length checked against what is there: a short or garbled file raises
// ERecoveryDamaged naming the file, never reads past its end.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "recovery/RecoveryError.h"

namespace RecoveryBytes {
void PutU32(std::vector<uint8_t>& out, uint32_t v);
void PutI32(std::vector<uint8_t>& out, int32_t v);
void PutU64(std::vector<uint8_t>& out, uint64_t v);
// A length (32 bits) and the bytes.
void PutString(std::vector<uint8_t>& out, std::string_view s);
} // namespace RecoveryBytes

class TRecoveryReader {
public:
    // what names the file in messages ("the session list", "a wave file").
    TRecoveryReader(const uint8_t* data, size_t size, std::string what)
        : FData(data), FSize(size), FWhat(std::move(what))
    {
    }

    uint32_t U32();
    int32_t I32();
    uint64_t U64();
    std::string String();
    // count bytes, returned as a pointer into the data.
    const uint8_t* Bytes(size_t count);
    size_t Position() const { return FPos; }
    size_t Left() const { return FSize - FPos; }
    [[noreturn]] void Fail(const std::string& why) const;

private:
    const uint8_t* FData;
    size_t FSize;
    size_t FPos = 0;
    std::string FWhat;
};
