#include "app/RangePlayer.h"

#include <QString>

#include "app/OutOfMemoryReport.h"
#include "platform/dialogs.h"
#include "platform/playsound.h"

namespace {
const char* const CannotPlayText = "Cannot play sound! The device may be in use.";
}

TRangePlayer::TRangePlayer()
{
    FWPlayer.SetAsynchronous(true);
    FWPlayer.SetLoop(false);
    FWPlayer.SourceType = frRAM;
}

TRangePlayer::~TRangePlayer()
{
    StopAll();
}

void TRangePlayer::StopAll()
{
    PlaySoundA(nullptr, nullptr, SND_PURGE);
    FWPlayer.Stop();
}

void TRangePlayer::LoadSample(TStream& stream)
{
    FSample.LoadFromStream(stream);
}

void TRangePlayer::PlayRange(TTxWavStream& wave, int32_t start, int32_t length, bool looped)
{
    if (length < 0) {
        StopAll();
        FPlayBuffer.Clear();
        // The image it pointed at is gone.
        FWPlayer.SoundData = nullptr;
        return;
    }
    if (length == 0) {
        length = wave.Size() - start;
    }
    if (wave.Size() == 0) {
        return;
    }
    StopAll();
    FWPlayer.SetLoop(looped);
    if (!RunReportingOutOfMemory([&] { wave.SaveRangeToStream(FPlayBuffer, start, length); })) {
        // Whatever was half written is of no use; give the memory back.
        FPlayBuffer.Clear();
        FWPlayer.SoundData = nullptr;
        return;
    }
    FWPlayer.SourceType = frRAM;
    // Taken only now: writing the image may have moved the buffer.
    FWPlayer.SoundData = FPlayBuffer.Memory();
    if (!FWPlayer.Play()) {
        Dialogs::ShowMessage(QString::fromLatin1(CannotPlayText));
    }
}
