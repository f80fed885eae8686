#include "platform/playsound.h"

#include <SDL.h>

#include <QByteArray>
#include <QFile>
#include <QString>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>

#include "conversion/ACMConvertor.h"
#include "conversion/ConvertToWorkingFormat.h"
#include "wave/Wavs_ex.h"

namespace {

constexpr uint16_t TagPcm = 1;
constexpr uint16_t TagFloat = 3;
constexpr uint16_t TagExtensible = 0xFFFE;

// A sound ready for the device: its own copy of the samples in the device's format.
// Only the audio thread touches Position and Tail; the window thread reads Ended.
struct TSound {
    std::vector<uint8_t> Data;
    SDL_AudioSpec DeviceFormat{};
    bool Loop = false;
    size_t Position = 0;
    int Tail = 0;
    std::atomic<bool> Ended{false};
};

// Fills the device buffer; loops inside the callback so a looped sound has no gap.
// A sound that is not looped counts as ended once two whole buffers of silence have
// been asked for after its last sample, so its end has reached the device.
void SDLCALL Feed(void* user, Uint8* out, int len)
{
    auto* sound = static_cast<TSound*>(user);
    const size_t wanted = static_cast<size_t>(len);
    size_t done = 0;
    const size_t size = sound->Data.size();
    while (done < wanted && size > 0) {
        if (sound->Position >= size) {
            if (!sound->Loop) {
                break;
            }
            sound->Position = 0;
        }
        const size_t n = std::min(size - sound->Position, wanted - done);
        std::memcpy(out + done, sound->Data.data() + sound->Position, n);
        sound->Position += n;
        done += n;
    }
    if (done < wanted) {
        std::memset(out + done, sound->DeviceFormat.silence, wanted - done);
    }
    if (done == 0 && !sound->Loop && ++sound->Tail >= 2) {
        sound->Ended.store(true);
    }
}

// The one device of the one sound that plays.
class TPlayer {
public:
    ~TPlayer() { Shutdown(); }

    void Stop()
    {
        if (FDevice != 0) {
            // Joins the audio thread: after this nobody reads FSound any more.
            SDL_CloseAudioDevice(FDevice);
            FDevice = 0;
        }
        FSound.reset();
    }

    void Shutdown()
    {
        Stop();
        if (FAudioUp) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            FAudioUp = false;
        }
    }

    bool IsPlaying() const { return FDevice != 0 && FSound && !FSound->Ended.load(); }

    bool Start(std::unique_ptr<TSound> sound, bool wait)
    {
        Stop();
        if (!FAudioUp) {
            SDL_SetHintWithPriority(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Sonovane", SDL_HINT_DEFAULT);
            // SDL would otherwise take over SIGINT/SIGTERM and turn them into events nobody
            // reads: the program could then no longer be ended by a signal (logout, kill).
            SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
            if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
                return false; // no driver: nothing to play on (tried again next time)
            }
            FAudioUp = true;
        }
        SDL_AudioSpec desired = sound->DeviceFormat;
        desired.callback = Feed;
        desired.userdata = sound.get();
        SDL_AudioSpec obtained{};
        // No changes allowed: SDL converts our format to whatever the hardware takes,
        // so the callback always receives the sound's own format.
        const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &desired, &obtained, 0);
        if (device == 0) {
            return false;
        }
        sound->DeviceFormat.silence = obtained.silence;
        FSound = std::move(sound);
        FDevice = device;
        SDL_PauseAudioDevice(FDevice, 0);
        if (wait) {
            while (!FSound->Ended.load()) {
                SDL_Delay(5);
            }
            Stop();
        }
        return true;
    }

private:
    SDL_AudioDeviceID FDevice = 0;
    std::unique_ptr<TSound> FSound;
    bool FAudioUp = false;
};

TPlayer& Player()
{
    static TPlayer player;
    return player;
}

TPlaySoundRecorder*& CurrentRecorder()
{
    static TPlaySoundRecorder* recorder = nullptr;
    return recorder;
}

uint32_t ReadLE32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// Length of a RIFF image from its header; 0 when it is none or too large to hold.
int64_t ImageLength(const void* image)
{
    const auto* p = static_cast<const uint8_t*>(image);
    if (std::memcmp(p, "RIFF", 4) != 0) {
        return 0;
    }
    const int64_t length = static_cast<int64_t>(ReadLE32(p + 4)) + 8;
    return length > TMemoryStream::MaxSize ? 0 : length;
}

// Brings a wave SDL cannot take (compressed, 24-bit, odd channel counts) into the
// working format with the program's own converter, so a preview sounds like what
// opening the file gives.
bool ToWorkingFormat(TTxWavStream& wave, TTxWavStream& converted)
{
    TACMConvertor convertor;
    ConvertToWorkingFormat(convertor, wave, converted);
    return converted.Size() > 0;
}

// The SDL sample format for a wave SDL can play as it is; 0 for any other.
SDL_AudioFormat NativeFormat(const TCustomWavStream& wave)
{
    const TWaveFormatEx& f = wave.Format;
    uint16_t tag = f.wFormatTag;
    if (tag == TagExtensible) {
        // The sub-format GUID starts 6 bytes into the extra bytes; its first two
        // bytes are the plain format tag.
        if (wave.FormatExtra.size() < 8) {
            return 0;
        }
        tag = static_cast<uint16_t>(wave.FormatExtra[6] | wave.FormatExtra[7] << 8);
    }
    const bool channelsOk = f.nChannels == 1 || f.nChannels == 2 || f.nChannels == 4 ||
                            f.nChannels == 6 || f.nChannels == 8;
    if (!channelsOk || f.nSamplesPerSec == 0 || f.nSamplesPerSec > 384000 ||
        f.nBlockAlign != f.nChannels * (f.wBitsPerSample / 8) || f.wBitsPerSample % 8 != 0) {
        return 0;
    }
    if (tag == TagPcm) {
        switch (f.wBitsPerSample) {
        case 8: return AUDIO_U8;
        case 16: return AUDIO_S16LSB;
        case 32: return AUDIO_S32LSB;
        default: return 0;
        }
    }
    if (tag == TagFloat && f.wBitsPerSample == 32) {
        return AUDIO_F32LSB;
    }
    return 0;
}

// Buffer of about 40 ms or more: short enough for a quick stop, long enough not to
// starve under load.
Uint16 BufferFrames(int rate)
{
    Uint16 frames = 256;
    while (frames < 8192 && frames < rate / 25) {
        frames = static_cast<Uint16>(frames * 2);
    }
    return frames;
}

// The loaded wave as a sound for the device, converted when SDL cannot take it.
std::unique_ptr<TSound> MakeSound(TTxWavStream& wave)
{
    SDL_AudioFormat format = NativeFormat(wave);
    TTxWavStream converted;
    TTxWavStream* source = &wave;
    if (format == 0) {
        if (!ToWorkingFormat(wave, converted)) {
            return nullptr;
        }
        source = &converted;
        format = NativeFormat(converted);
        if (format == 0) {
            return nullptr;
        }
    }
    auto sound = std::make_unique<TSound>();
    const TWaveFormatEx& f = source->Format;
    sound->DeviceFormat.freq = static_cast<int>(f.nSamplesPerSec);
    sound->DeviceFormat.format = format;
    sound->DeviceFormat.channels = static_cast<Uint8>(f.nChannels);
    sound->DeviceFormat.samples = BufferFrames(sound->DeviceFormat.freq);
    // Whole frames only, so a loop never shifts the channels.
    const size_t size = static_cast<size_t>(source->Size()) / f.nBlockAlign * f.nBlockAlign;
    sound->Data.assign(source->Memory(), source->Memory() + size);
    return sound;
}

// Reads the sound named by the call into wave; false when there is nothing to read.
// A file or image that is not a valid WAV raises the wave streams' errors.
bool LoadSound(const void* sound, uint32_t flags, TTxWavStream& wave)
{
    if ((flags & SND_RESOURCE) == SND_RESOURCE) {
        QString name = QString::fromLocal8Bit(static_cast<const char*>(sound));
        if (!name.startsWith(QLatin1Char(':'))) {
            name.prepend(QStringLiteral(":/"));
        }
        QFile file(name);
        if (!file.open(QIODevice::ReadOnly)) {
            return false;
        }
        const QByteArray bytes = file.readAll();
        TMemoryStream image;
        image.Write(bytes.constData(), bytes.size());
        wave.LoadFromStream(image);
    } else if (flags & SND_MEMORY) {
        const int64_t length = ImageLength(sound);
        if (length == 0) {
            return false;
        }
        TMemoryStream image;
        image.Write(sound, length);
        wave.LoadFromStream(image);
    } else {
        wave.LoadFromFile(static_cast<const char*>(sound));
    }
    return true;
}

int Play(const void* sound, uint32_t flags)
{
    if (sound == nullptr || (flags & SND_PURGE) != 0) {
        Player().Stop();
        return 1;
    }
    if ((flags & SND_LOOP) != 0 && (flags & SND_ASYNC) == 0) {
        return 0;
    }
    std::unique_ptr<TSound> prepared;
    try {
        TTxWavStream wave;
        if (LoadSound(sound, flags, wave)) {
            prepared = MakeSound(wave);
        }
    } catch (const std::exception&) {
        // Unreadable, not a WAV, not convertible, or no memory: the player says no.
    }
    if (!prepared) {
        Player().Stop(); // a new sound always ends the old one, even if it cannot play
        return 0;
    }
    prepared->Loop = (flags & SND_LOOP) != 0;
    return Player().Start(std::move(prepared), (flags & SND_ASYNC) == 0) ? 1 : 0;
}

} // namespace

int PlaySoundA(const void* sound, void* /*module*/, uint32_t flags)
{
    TPlaySoundRecorder* recorder = CurrentRecorder();
    if (recorder == nullptr) {
        return Play(sound, flags);
    }
    TPlaySoundCall call;
    call.Sound = sound;
    call.Flags = flags;
    if (sound != nullptr && (flags & SND_PURGE) == 0) {
        if ((flags & SND_RESOURCE) != SND_RESOURCE && (flags & SND_MEMORY) != 0) {
            call.Size = ImageLength(sound);
            const auto* bytes = static_cast<const uint8_t*>(sound);
            call.Image.assign(bytes, bytes + call.Size);
        } else {
            call.Name = static_cast<const char*>(sound);
        }
    }
    if (recorder->Answer) {
        if (sound == nullptr || (flags & SND_PURGE) != 0) {
            Player().Stop();
        }
        call.Result = *recorder->Answer;
    } else {
        call.Result = Play(sound, flags);
    }
    recorder->Calls.push_back(std::move(call));
    return recorder->Calls.back().Result;
}

namespace PlaySound {

bool IsPlaying()
{
    return Player().IsPlaying();
}

void Shutdown()
{
    Player().Shutdown();
}

} // namespace PlaySound

TPlaySoundRecorder::TPlaySoundRecorder() : FPrevious(CurrentRecorder())
{
    CurrentRecorder() = this;
}

TPlaySoundRecorder::~TPlaySoundRecorder()
{
    CurrentRecorder() = FPrevious;
}

std::vector<uint32_t> TPlaySoundRecorder::Flags() const
{
    std::vector<uint32_t> flags;
    flags.reserve(Calls.size());
    for (const TPlaySoundCall& call : Calls) {
        flags.push_back(call.Flags);
    }
    return flags;
}
