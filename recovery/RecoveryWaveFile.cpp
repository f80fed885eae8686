#include "recovery/RecoveryWaveFile.h"

#include <cstring>
#include <string_view>

#include "recovery/RecoveryHash.h"
#include "recovery/RecoveryReader.h"

namespace {

constexpr std::string_view Magic = "SNVWAVE1";
constexpr const char* What = "the file";

void PutFormat(std::vector<uint8_t>& out, const TWaveFormatEx& f)
{
    uint8_t record[18];
    WriteLE16(record, f.wFormatTag);
    WriteLE16(record + 2, f.nChannels);
    WriteLE32(record + 4, f.nSamplesPerSec);
    WriteLE32(record + 8, f.nAvgBytesPerSec);
    WriteLE16(record + 12, f.nBlockAlign);
    WriteLE16(record + 14, f.wBitsPerSample);
    WriteLE16(record + 16, f.cbSize);
    out.insert(out.end(), record, record + sizeof record);
}

TWaveFormatEx ReadFormat(const uint8_t* p)
{
    TWaveFormatEx f{};
    f.wFormatTag = ReadLE16(p);
    f.nChannels = ReadLE16(p + 2);
    f.nSamplesPerSec = ReadLE32(p + 4);
    f.nAvgBytesPerSec = ReadLE32(p + 8);
    f.nBlockAlign = ReadLE16(p + 12);
    f.wBitsPerSample = ReadLE16(p + 14);
    f.cbSize = ReadLE16(p + 16);
    return f;
}

} // namespace

std::vector<uint8_t> RecoveryWaveHeader(const TTxWavStream& wave)
{
    using namespace RecoveryBytes;
    std::vector<uint8_t> out;
    out.reserve(256);
    out.insert(out.end(), Magic.begin(), Magic.end());
    PutFormat(out, wave.Format);
    PutU32(out, static_cast<uint32_t>(wave.FormatExtra.size()));
    out.insert(out.end(), wave.FormatExtra.begin(), wave.FormatExtra.end());
    PutString(out, wave.FileName);
    const int32_t size = wave.Size();
    PutU32(out, static_cast<uint32_t>(size));
    PutU64(out, RecoveryHash(wave.Memory(), static_cast<size_t>(size)));
    return out;
}

std::vector<uint8_t> EncodeRecoveryWave(const TTxWavStream& wave, const std::vector<uint8_t>& header)
{
    const size_t size = static_cast<size_t>(wave.Size());
    std::vector<uint8_t> out;
    out.reserve(header.size() + 8 + size);
    out = header;
    RecoveryBytes::PutU64(out, RecoveryHash(header.data(), header.size()));
    out.insert(out.end(), wave.Memory(), wave.Memory() + size);
    return out;
}

std::unique_ptr<TTxWavStream> DecodeRecoveryWave(const uint8_t* data, size_t size, int32_t selStart, int32_t selEnd)
{
    TRecoveryReader in(data, size, What);
    if (std::memcmp(in.Bytes(Magic.size()), Magic.data(), Magic.size()) != 0)
        in.Fail("is not a wave file of this program");
    const TWaveFormatEx format = ReadFormat(in.Bytes(18));
    const uint32_t extraSize = in.U32();
    if (extraSize > MaxFormatExtra)
        in.Fail("has too many format bytes");
    const uint8_t* extra = in.Bytes(extraSize);
    std::string fileName = in.String();
    const uint32_t count = in.U32();
    const uint64_t samplesHash = in.U64();
    const size_t headerSize = in.Position();
    if (in.U64() != RecoveryHash(data, headerSize))
        in.Fail("has a damaged header");
    if (count > static_cast<uint32_t>(TMemoryStream::MaxSize) || in.Left() != count)
        in.Fail("does not hold the samples it announces");
    const uint8_t* samples = in.Bytes(count);
    if (RecoveryHash(samples, count) != samplesHash)
        in.Fail("holds damaged samples");
    const int32_t n = static_cast<int32_t>(count);
    const bool selectionFits = n == 0 ? selStart == 0 && selEnd == 0
                                      : selStart >= 0 && selStart < n && selEnd >= 0 && selEnd < n;
    if (!selectionFits)
        in.Fail("does not fit its selection");

    auto wave = std::make_unique<TTxWavStream>();
    wave->SetFormat(format);
    wave->FormatExtra.assign(extra, extra + extraSize);
    // The setters keep an end of 0 only while the wave is empty (a wave that grew after
    // its selection was set holds that), so such an end is set before the samples come.
    if (selEnd == 0)
        wave->SetSelEnd(0);
    wave->SetSize(n);
    if (n > 0)
        std::memcpy(wave->Memory(), samples, count);
    wave->SetSelStart(selStart);
    if (selEnd != 0)
        wave->SetSelEnd(selEnd);
    wave->FileName = std::move(fileName);
    return wave;
}
