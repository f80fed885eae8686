#include "view/JvWavePlayer.h"

#include "platform/playsound.h"

TJvWavePlayer::~TJvWavePlayer()
{
    Stop();
}

void TJvWavePlayer::SetAsynchronous(bool value)
{
    FAsynchronous = value;
    if (!value) {
        FLoop = false;
    }
}

void TJvWavePlayer::SetLoop(bool value)
{
    if (value != FLoop && FAsynchronous) {
        FLoop = value;
    }
}

uint32_t TJvWavePlayer::SourceFlag() const
{
    switch (SourceType) {
    case frResource: return SND_RESOURCE;
    case frRAM: return SND_MEMORY;
    case frFile: break;
    }
    return SND_FILENAME;
}

bool TJvWavePlayer::Play()
{
    if (BeforePlaying) {
        BeforePlaying(this);
    }
    uint32_t flags = SourceFlag();
    if (FLoop) {
        flags |= SND_LOOP;
    }
    if (FAsynchronous) {
        flags |= SND_ASYNC;
    }
    const void* sound = SourceType == frRAM ? SoundData : static_cast<const void*>(FileName.c_str());
    const bool accepted = PlaySoundA(sound, nullptr, flags) != 0;
    if (AfterPlaying) {
        AfterPlaying(this);
    }
    return accepted;
}

void TJvWavePlayer::Stop()
{
    PlaySoundA(nullptr, nullptr, SourceFlag());
}
