#pragma once
// PlaySoundA on Linux: the system's simple sound player rebuilt over SDL2 audio.
//
// One sound at a time; a new one replaces the old. The sound's samples are copied
// before the call returns, so the caller may rewrite or free its buffer at once and
// the audio thread never reads memory it does not own. Each sound gets its own SDL
// device, opened with the sound's own format (SDL converts to what the hardware
// wants). The driver is SDL's default choice or the one named by SDL_AUDIODRIVER;
// tests use "dummy", or "disk" with SDL_DISKAUDIOFILE to read back what was played.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

inline constexpr uint32_t SND_SYNC = 0x0000;      // return when the sound has ended
inline constexpr uint32_t SND_ASYNC = 0x0001;     // return at once
inline constexpr uint32_t SND_MEMORY = 0x0004;    // sound points to a WAV image in memory
inline constexpr uint32_t SND_LOOP = 0x0008;      // repeat until stopped (needs SND_ASYNC)
inline constexpr uint32_t SND_PURGE = 0x0040;     // stop
inline constexpr uint32_t SND_FILENAME = 0x20000; // sound is a file name
inline constexpr uint32_t SND_RESOURCE = 0x40004; // sound is a resource name (":/RT_RCDATA/piano")

// Plays, or with a null sound or SND_PURGE stops. Returns non-zero when the sound was
// accepted (or stopping was asked for); zero when it cannot be read or no audio device
// can be opened. module is ignored. PCM (8, 16, 32 bits) and 32-bit float samples in
// 1, 2, 4, 6 or 8 channels, also in the extensible layout, play as they are; a file in
// any other format goes through the decoder (PlaySound::SetDecoder) and is refused
// without one, as are images in memory and resources in such formats. SND_LOOP
// without SND_ASYNC is refused: it would never return. A sound that ends by itself
// closes its device once the thread that owns the application object processes its
// pending events.
int PlaySoundA(const void* sound, void* module, uint32_t flags);

// Turns a sound file the device cannot take as it is (compressed, 24-bit, three
// channels ...) into a complete WAV image it can take; throws any std::exception when
// it cannot. The program hands in the conversion to the working format, so a preview
// sounds like what opening the file gives.
using TSoundDecoder = std::function<std::vector<uint8_t>(const std::string& fileName)>;

namespace PlaySound {

// True while a sound is being played (a looped one until it is stopped).
bool IsPlaying();

// True while a device is open: from the start of a sound until it is stopped, or,
// once it has ended by itself, until the owning thread has processed the end.
bool DeviceOpen();

// The decoder for files the device cannot take as they are; an empty one (the start
// value) refuses them.
void SetDecoder(TSoundDecoder decoder);

// Stops and leaves SDL's audio system, so that the next call starts it afresh with
// the driver then named by SDL_AUDIODRIVER (tests switch drivers this way).
void Shutdown();

} // namespace PlaySound

// One call of PlaySoundA as a recorder saw it.
struct TPlaySoundCall {
    const void* Sound = nullptr;
    uint32_t Flags = 0;
    // SND_MEMORY: the image's length from its RIFF header (0 when it has none) and
    // a copy of it; SND_FILENAME/SND_RESOURCE: the name.
    int64_t Size = 0;
    std::vector<uint8_t> Image;
    std::string Name;
    int Result = 0;
};

// Test seam: while alive, every PlaySoundA call is recorded in Calls. With Answer
// set, calls do not reach the audio system and return *Answer (a stop still stops
// what plays). Recorders nest; the newest one sees the calls.
class TPlaySoundRecorder {
public:
    TPlaySoundRecorder();
    ~TPlaySoundRecorder();
    TPlaySoundRecorder(const TPlaySoundRecorder&) = delete;
    TPlaySoundRecorder& operator=(const TPlaySoundRecorder&) = delete;

    std::vector<TPlaySoundCall> Calls;
    std::optional<int> Answer;

    // The flags of every call, in order.
    std::vector<uint32_t> Flags() const;

private:
    TPlaySoundRecorder* FPrevious;
};
