#include "recovery/RecoveryReader.h"

namespace RecoveryBytes {

void PutU32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void PutI32(std::vector<uint8_t>& out, int32_t v)
{
    PutU32(out, static_cast<uint32_t>(v));
}

void PutU64(std::vector<uint8_t>& out, uint64_t v)
{
    for (int i = 0; i < 8; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void PutString(std::vector<uint8_t>& out, std::string_view s)
{
    PutU32(out, static_cast<uint32_t>(s.size()));
    out.insert(out.end(), s.begin(), s.end());
}

} // namespace RecoveryBytes

void TRecoveryReader::Fail(const std::string& why) const
{
    throw ERecoveryDamaged(FWhat + " " + why);
}

const uint8_t* TRecoveryReader::Bytes(size_t count)
{
    if (count > Left())
        Fail("ends too early");
    const uint8_t* p = FData + FPos;
    FPos += count;
    return p;
}

uint32_t TRecoveryReader::U32()
{
    const uint8_t* p = Bytes(4);
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

int32_t TRecoveryReader::I32()
{
    return static_cast<int32_t>(U32());
}

uint64_t TRecoveryReader::U64()
{
    const uint64_t low = U32();
    return low | static_cast<uint64_t>(U32()) << 32;
}

std::string TRecoveryReader::String()
{
    const uint32_t length = U32();
    const uint8_t* p = Bytes(length);
    return std::string(reinterpret_cast<const char*>(p), length);
}
