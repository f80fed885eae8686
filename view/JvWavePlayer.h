#pragma once
// TJvWavePlayer: a small non-visual player over PlaySoundA. It plays a file, a
// resource or a WAV image in memory, once or looped, with or without waiting, and
// tells its owner just before and just after the call.

#include <cstdint>
#include <functional>
#include <string>

enum TJvWaveLocation : int { frFile = 0, frResource = 1, frRAM = 2 };

class TJvWavePlayer {
public:
    using TNotifyEvent = std::function<void(TJvWavePlayer*)>;

    TJvWavePlayer() = default;
    // A player that goes away stops its sound.
    ~TJvWavePlayer();
    TJvWavePlayer(const TJvWavePlayer&) = delete;
    TJvWavePlayer& operator=(const TJvWavePlayer&) = delete;

    bool Asynchronous() const { return FAsynchronous; }
    // Playing synchronously cannot loop: writing false also clears Loop.
    void SetAsynchronous(bool value);
    bool Loop() const { return FLoop; }
    // Taken only while Asynchronous is true (a synchronous loop would never return).
    void SetLoop(bool value);

    std::string FileName;             // frFile and frResource
    const void* SoundData = nullptr;  // frRAM: a WAV image, not owned
    TJvWaveLocation SourceType = frFile;
    TNotifyEvent BeforePlaying;
    TNotifyEvent AfterPlaying;

    // True when the player accepted the sound. AfterPlaying runs when the call
    // returns, which for an asynchronous sound is right after it started.
    bool Play();
    // Stops the sound of this player's source kind.
    void Stop();

    // PlaySoundA flags of the source kind alone.
    uint32_t SourceFlag() const;

private:
    bool FAsynchronous = true;
    bool FLoop = false;
};
