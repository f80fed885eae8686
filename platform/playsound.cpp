#include "platform/playsound.h"

#include <SDL.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QMetaObject>
#include <QString>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <fstream>
#include <memory>
#include <utility>

#include "format/RiffChunkReader.h"
#include "format/WaveFormat.h"

namespace {

// Largest image taken: no wave of the program exceeds 2^31 - 1 bytes.
constexpr int64_t MaxImageSize = 0x7FFFFFFF;

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

void SDLCALL Feed(void* user, Uint8* out, int len);

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

    // Closes the device of a sound that has ended by itself; one that still plays (a
    // newer sound started since the end was reported) is left alone.
    void CloseEnded()
    {
        if (FSound && FSound->Ended.load()) {
            Stop();
        }
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
    bool DeviceOpen() const { return FDevice != 0; }

    // Files the device cannot take go through it (see PlaySound::SetDecoder).
    TSoundDecoder Decoder;

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

// An ended sound's device would go on writing silence, and on a bare sound card keep
// it from every other program, until the next call. The callback cannot close it (closing
// waits for the callback's own thread), so the thread that owns the player, the window's,
// is asked to close it once it gets to its pending events. Without an application
// object nobody would run the request; the device then closes with the next call.
void RequestCloseOfEnded()
{
    if (QCoreApplication* app = QCoreApplication::instance()) {
        QMetaObject::invokeMethod(app, [] { Player().CloseEnded(); }, Qt::QueuedConnection);
    }
}

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
    if (done == 0 && !sound->Loop && ++sound->Tail >= 2 && !sound->Ended.exchange(true)) {
        RequestCloseOfEnded();
    }
}

TPlaySoundRecorder*& CurrentRecorder()
{
    static TPlaySoundRecorder* recorder = nullptr;
    return recorder;
}

// Length of a RIFF image from its header; 0 when it is none or too large to hold.
int64_t ImageLength(const void* image)
{
    const auto* p = static_cast<const uint8_t*>(image);
    if (std::memcmp(p, "RIFF", 4) != 0) {
        return 0;
    }
    const int64_t length = static_cast<int64_t>(ReadLE32(p + 4)) + 8;
    return length > MaxImageSize ? 0 : length;
}

// What the device needs of a WAV image: the format and where the samples lie.
struct TImageSamples {
    TWaveFormatEx Format{};
    uint16_t SampleTag = 0; // how the samples are coded (an extensible record's sub-format)
    const uint8_t* Data = nullptr;
    size_t Size = 0;
};

// Finds the fmt and data chunks of a RIFF WAVE image; false when it is none, the data
// chunk comes first or reaches beyond the bytes held. Reading the image fully, with the
// wave streams' checks and texts, is the decoder's business; this only finds what SDL
// may take as it is.
bool FindSamples(const uint8_t* p, size_t size, TImageSamples& found)
{
    TRiffChunkReader chunks(p, size);
    if (!chunks.IsWave()) {
        return false;
    }
    bool haveFormat = false;
    while (chunks.Next()) {
        const size_t chunkSize = chunks.Size();
        if (chunkSize > chunks.Held()) {
            return false;
        }
        const uint8_t* body = chunks.Body();
        if (chunks.Is("fmt ")) {
            if (chunkSize < 16) {
                return false;
            }
            found.Format = TWaveFormatEx{};
            std::memcpy(&found.Format, body, std::min(chunkSize, sizeof(TWaveFormatEx)));
            const size_t extra = chunkSize > sizeof(TWaveFormatEx) ? chunkSize - sizeof(TWaveFormatEx) : 0;
            found.SampleTag = SampleFormatTag(found.Format.wFormatTag, body + sizeof(TWaveFormatEx), extra);
            haveFormat = true;
        } else if (chunks.Is("data")) {
            found.Data = body;
            found.Size = chunkSize;
            return haveFormat;
        }
    }
    return false;
}

// The SDL sample format for samples SDL can play as they are; 0 for any other.
SDL_AudioFormat NativeFormat(const TImageSamples& image)
{
    const TWaveFormatEx& f = image.Format;
    const bool channelsOk = f.nChannels == 1 || f.nChannels == 2 || f.nChannels == 4 ||
                            f.nChannels == 6 || f.nChannels == 8;
    if (!channelsOk || f.nSamplesPerSec == 0 || f.nSamplesPerSec > 384000 ||
        f.nBlockAlign != f.nChannels * (f.wBitsPerSample / 8) || f.wBitsPerSample % 8 != 0) {
        return 0;
    }
    if (image.SampleTag == WAVE_FORMAT_PCM) {
        switch (f.wBitsPerSample) {
        case 8: return AUDIO_U8;
        case 16: return AUDIO_S16LSB;
        case 32: return AUDIO_S32LSB;
        default: return 0;
        }
    }
    if (image.SampleTag == WAVE_FORMAT_IEEE_FLOAT && f.wBitsPerSample == 32) {
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

// The image's samples as a sound for the device; null when SDL cannot take them as
// they are.
std::unique_ptr<TSound> MakeSound(const TImageSamples& image)
{
    const SDL_AudioFormat format = NativeFormat(image);
    if (format == 0) {
        return nullptr;
    }
    auto sound = std::make_unique<TSound>();
    const TWaveFormatEx& f = image.Format;
    sound->DeviceFormat.freq = static_cast<int>(f.nSamplesPerSec);
    sound->DeviceFormat.format = format;
    sound->DeviceFormat.channels = static_cast<Uint8>(f.nChannels);
    sound->DeviceFormat.samples = BufferFrames(sound->DeviceFormat.freq);
    // Whole frames only, so a loop never shifts the channels.
    const size_t size = image.Size / f.nBlockAlign * f.nBlockAlign;
    sound->Data.assign(image.Data, image.Data + size);
    return sound;
}

// The whole of a file, or false when it cannot be read or is too large to hold.
bool ReadFileBytes(const char* name, std::vector<uint8_t>& bytes)
{
    std::ifstream in(name, std::ios::binary | std::ios::ate);
    if (!in) {
        return false;
    }
    const std::streamoff size = in.tellg();
    if (size < 0 || size > MaxImageSize) {
        return false;
    }
    bytes.resize(static_cast<size_t>(size));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), size);
    return static_cast<bool>(in);
}

// A Qt resource (":/RT_RCDATA/piano", or the same without ":/").
bool ReadResourceBytes(const char* resource, std::vector<uint8_t>& bytes)
{
    QString name = QString::fromLocal8Bit(resource);
    if (!name.startsWith(QLatin1Char(':'))) {
        name.prepend(QStringLiteral(":/"));
    }
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxImageSize) {
        return false;
    }
    const QByteArray all = file.readAll();
    bytes.assign(all.begin(), all.end());
    return true;
}

// The sound the call names, made ready for the device: as it is when SDL takes it,
// otherwise, for a file, through the decoder. Null when there is nothing to play; the
// decoder's errors pass to the caller.
std::unique_ptr<TSound> PrepareSound(const void* sound, uint32_t flags)
{
    const char* name = static_cast<const char*>(sound);
    std::vector<uint8_t> held;
    const uint8_t* bytes = held.data();
    size_t size = 0;
    const bool resource = (flags & SND_RESOURCE) == SND_RESOURCE; // carries the SND_MEMORY bit
    if (!resource && (flags & SND_MEMORY) != 0) {
        bytes = static_cast<const uint8_t*>(sound);
        size = static_cast<size_t>(ImageLength(sound));
    } else if (resource ? ReadResourceBytes(name, held) : ReadFileBytes(name, held)) {
        bytes = held.data();
        size = held.size();
    }

    TImageSamples image;
    if (size > 0 && FindSamples(bytes, size, image)) {
        if (std::unique_ptr<TSound> ready = MakeSound(image)) {
            return ready;
        }
    }
    const TSoundDecoder& decoder = Player().Decoder;
    // Only files are decoded: an image in memory or a resource (whose flag carries the
    // memory bit) has no name a decoder could open.
    if ((flags & SND_MEMORY) != 0 || size == 0 || !decoder) {
        return nullptr;
    }
    const std::vector<uint8_t> decoded = decoder(name);
    if (!FindSamples(decoded.data(), decoded.size(), image) || image.Size == 0) {
        return nullptr;
    }
    return MakeSound(image);
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
        prepared = PrepareSound(sound, flags);
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

bool DeviceOpen()
{
    return Player().DeviceOpen();
}

void SetDecoder(TSoundDecoder decoder)
{
    Player().Decoder = std::move(decoder);
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
