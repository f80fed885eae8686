#include "plugins/PluginResult.h"

#include "wave/Wavs_ex.h"

std::string ReturnedName(const TPluginWave& record)
{
    return record.Name ? std::string(record.Name) : std::string();
}

namespace {

// The fields that decide how the bytes read; the extra size says nothing about them.
bool IsWorkingFormat(const TWaveFormatEx& f)
{
    const TWaveFormatEx w = WorkingFormat();
    return f.wFormatTag == w.wFormatTag && f.nChannels == w.nChannels && f.nSamplesPerSec == w.nSamplesPerSec &&
           f.nAvgBytesPerSec == w.nAvgBytesPerSec && f.nBlockAlign == w.nBlockAlign &&
           f.wBitsPerSample == w.wBitsPerSample;
}

} // namespace

std::unique_ptr<TTxWavStream> MakeReturnedWave(const TPluginWave& record)
{
    if (record.Size < 0)
        throw EPluginResult(PluginResultText::NegativeSize);
    if (record.Size == 0)
        return nullptr;
    if (record.Data == nullptr)
        throw EPluginResult(PluginResultText::NoData);
    if (record.Format == nullptr)
        throw EPluginResult(PluginResultText::NoFormat);
    if (!IsWorkingFormat(*record.Format))
        throw EPluginResult(PluginResultText::WrongFormat);
    auto wave = TranslateOutOfMemory([] { return std::make_unique<TTxWavStream>(); });
    TranslateOutOfMemory([&] {
        wave->LoadFromPluginWave(record.Data, record.Format, record.SelStart, record.SelEnd, record.Size);
    });
    return wave;
}
