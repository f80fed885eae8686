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
    // A library may give the two ends in either order. Every other selection runs
    // forward (the panes' SetSelection orders it), and the effects, Trim and the status
    // texts count on that.
    if (wave->SelStart() > wave->SelEnd()) {
        const int32_t start = wave->SelEnd();
        const int32_t end = wave->SelStart();
        wave->SetSelStart(start);
        wave->SetSelEnd(end);
    }
    return wave;
}
