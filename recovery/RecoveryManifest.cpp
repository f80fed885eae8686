#include "recovery/RecoveryManifest.h"

#include <cstring>
#include <string_view>

#include "recovery/RecoveryHash.h"
#include "recovery/RecoveryReader.h"

namespace {

constexpr std::string_view Magic = "SNVSESS1";

void PutRef(std::vector<uint8_t>& out, const TRecoveryWaveRef& ref)
{
    using namespace RecoveryBytes;
    PutString(out, ref.Name);
    PutString(out, ref.WaveFile);
    PutI32(out, ref.SelStart);
    PutI32(out, ref.SelEnd);
}

TRecoveryWaveRef ReadRef(TRecoveryReader& in)
{
    TRecoveryWaveRef ref;
    ref.Name = in.String();
    ref.WaveFile = in.String();
    // A wave file is a bare name inside the folder.
    if (ref.WaveFile.find('/') != std::string::npos || ref.WaveFile == "." || ref.WaveFile == "..")
        in.Fail("names a wave file outside its folder");
    ref.SelStart = in.I32();
    ref.SelEnd = in.I32();
    return ref;
}

} // namespace

std::vector<uint8_t> TRecoveryManifest::Encode() const
{
    using namespace RecoveryBytes;
    std::vector<uint8_t> out;
    out.reserve(256);
    out.insert(out.end(), Magic.begin(), Magic.end());
    for (const TRecoveryWaveRef& pane : Panes)
        PutRef(out, pane);
    PutU32(out, static_cast<uint32_t>(Entries.size()));
    for (const TRecoveryWaveRef& entry : Entries)
        PutRef(out, entry);
    PutU32(out, static_cast<uint32_t>(Stored.size()));
    for (const TStoredRange& range : Stored) {
        PutI32(out, range.Start);
        PutI32(out, range.End);
    }
    PutU64(out, RecoveryHash(out.data(), out.size()));
    return out;
}

TRecoveryManifest TRecoveryManifest::Decode(const uint8_t* data, size_t size)
{
    TRecoveryReader in(data, size, "The session list");
    if (size < Magic.size() + 8)
        in.Fail("ends too early");
    if (std::memcmp(data, Magic.data(), Magic.size()) != 0)
        in.Fail("is not a session list of this program");
    // Checked first: a damaged count must not make the reader allocate for it.
    TRecoveryReader tail(data + size - 8, 8, "The session list");
    if (tail.U64() != RecoveryHash(data, size - 8))
        in.Fail("is damaged");
    in.Bytes(Magic.size());

    TRecoveryManifest m;
    for (TRecoveryWaveRef& pane : m.Panes) {
        pane = ReadRef(in);
        if (pane.WaveFile.empty())
            in.Fail("lacks a pane's wave");
    }
    const uint32_t entries = in.U32();
    for (uint32_t i = 0; i < entries; ++i)
        m.Entries.push_back(ReadRef(in));
    const uint32_t stored = in.U32();
    for (uint32_t i = 0; i < stored; ++i) {
        const int32_t start = in.I32();
        m.Stored.push_back(TStoredRange{start, in.I32()});
    }
    if (in.Left() != 8)
        in.Fail("holds more than it announces");
    return m;
}
