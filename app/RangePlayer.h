#pragma once
// TRangePlayer: the window's play operation. It writes the wanted range of a wave as
// a complete WAV image into the one play buffer and hands that image to the player;
// with a negative length it stops all playback. The buffer is rewritten only after
// the sound that may read it has been stopped.

#include <cstdint>

#include "view/JvWavePlayer.h"
#include "wave/Wavs_ex.h"

class TRangePlayer {
public:
    // The player plays asynchronously, once, from memory.
    TRangePlayer();
    // Stops what plays before the buffer goes.
    ~TRangePlayer();
    TRangePlayer(const TRangePlayer&) = delete;
    TRangePlayer& operator=(const TRangePlayer&) = delete;

    // Plays the samples start .. start + length - 1 of wave (length 0: to the end),
    // looped or once, replacing whatever plays. An empty wave plays nothing and leaves
    // the current sound alone. A negative length stops all playback and empties the
    // buffer. A refused sound shows "Cannot play sound! The device may be in use.";
    // running out of memory shows the out-of-memory message; a range outside the
    // wave raises "Index out of range!".
    void PlayRange(TTxWavStream& wave, int32_t start, int32_t length, bool looped);

    TJvWavePlayer& WPlayer() { return FWPlayer; }
    TTxWavStream& PlayBuffer() { return FPlayBuffer; }

    // The built-in sample the About box plays, loaded from stream at start.
    void LoadSample(TStream& stream);
    TTxWavStream* Sample() { return &FSample; }

private:
    void StopAll();

    TTxWavStream FSample;

    // Declared first so it is released last, after the player has stopped.
    TTxWavStream FPlayBuffer;
    TJvWavePlayer FWPlayer;
};
