// The play operation and the wave player: the image written into the play buffer,
// the player calls in their order, what reaches the device (SDL's "disk" driver
// writes it to a file in real time, so the sounds are short), stopping, the refusal
// message, and the built-in sample played as a resource.

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "app/RangePlayer.h"
#include "platform/playsound.h"
#include "support/ScriptedDialogs.h"
#include "view/JvWavePlayer.h"
#include "wave/Wavs_ex.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Samples that never sit on the zero line, so silence cannot pass for them.
Bytes Pattern(int count)
{
    Bytes b(count);
    for (int i = 0; i < count; ++i) {
        b[i] = static_cast<uint8_t>(30 + (i * 11) % 90);
    }
    return b;
}

void Fill(TTxWavStream& wave, const Bytes& samples)
{
    wave.SetFormat(WorkingFormat());
    wave.Write(samples.data(), static_cast<int64_t>(samples.size()));
}

Bytes Contents(const TMemoryStream& s)
{
    return Bytes(s.Memory(), s.Memory() + s.Size());
}

uint32_t LE32(const Bytes& b, size_t at)
{
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

bool WaitUntilSilent(int limitMs = 5000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (PlaySound::IsPlaying()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// Offset of samples in what the device received, or -1; everything around them must
// be silence.
qsizetype FindAmidSilence(const Bytes& played, const Bytes& samples)
{
    const auto at = std::search(played.begin(), played.end(), samples.begin(), samples.end());
    if (at == played.end()) {
        return -1;
    }
    const auto silent = [](uint8_t b) { return b == 128; };
    if (!std::all_of(played.begin(), at, silent) ||
        !std::all_of(at + static_cast<std::ptrdiff_t>(samples.size()), played.end(), silent)) {
        return -1;
    }
    return at - played.begin();
}

} // namespace

class TstRangePlayer : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void playsTheSelectionFromItsOwnImage();
    void loopRepeatsUntilTheStopEmptiesTheBuffer();
    void emptyWaveLeavesTheSoundPlaying();
    void lengthZeroPlaysToTheEnd();
    void rangeOutsideTheWaveIsPassedOn();
    void noDeviceShowsTheMessageAndChangesNothingElse();
    void notificationsSurroundThePlayerCall();
    void goingAwayStopsTheSound();

    void playerFlagsFollowSourceLoopAndWaiting();
    void playerWriteRules();
    void playerStopsWithItsSourceFlagAndOnDestruction();
    void builtInSamplePlaysAsResource();

private:
    Bytes Played();

    QTemporaryDir FDir;
    QByteArray FDeviceFile;
};

void TstRangePlayer::initTestCase()
{
    QVERIFY(FDir.isValid());
    FDeviceFile = FDir.filePath(QStringLiteral("device.raw")).toLocal8Bit();
    qputenv("SDL_DISKAUDIOFILE", FDeviceFile);
}

void TstRangePlayer::cleanupTestCase()
{
    PlaySound::Shutdown();
}

void TstRangePlayer::init()
{
    qputenv("SDL_AUDIODRIVER", "disk");
    PlaySound::Shutdown();
    QFile::remove(QString::fromLocal8Bit(FDeviceFile));
}

// What the device received; its file is complete once the device has been closed.
Bytes TstRangePlayer::Played()
{
    PlaySoundA(nullptr, nullptr, SND_PURGE);
    QFile f(QString::fromLocal8Bit(FDeviceFile));
    if (!f.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray all = f.readAll();
    return Bytes(all.begin(), all.end());
}

void TstRangePlayer::playsTheSelectionFromItsOwnImage()
{
    TScriptedDialogs dialogs;
    const Bytes samples = Pattern(22050);
    TTxWavStream wave;
    Fill(wave, samples);
    wave.SetSelEnd(12024);
    wave.SetSelStart(1000);
    QCOMPARE(wave.SelLength(), 11025);

    TRangePlayer player;
    TPlaySoundRecorder recorder;
    player.PlayRange(wave, wave.SelStart(), wave.SelLength(), false);

    // Stop first (everything, then the player's own kind), then play from memory at once.
    QCOMPARE(recorder.Flags(), (std::vector<uint32_t>{SND_PURGE, SND_MEMORY, SND_MEMORY | SND_ASYNC}));
    QVERIFY(recorder.Calls[0].Sound == nullptr);
    QVERIFY(recorder.Calls[1].Sound == nullptr);

    const Bytes image = Contents(player.PlayBuffer());
    QCOMPARE(image.size(), size_t{11025 + 44});
    QCOMPARE(std::memcmp(image.data(), "RIFF", 4), 0);
    QCOMPARE(LE32(image, 4), 11025u + 36u);
    QCOMPARE(std::memcmp(image.data() + 8, "WAVEfmt ", 8), 0);
    QCOMPARE(LE32(image, 16), 16u);
    const uint8_t workingHead[16] = {1, 0, 1, 0, 0x22, 0x56, 0, 0, 0x22, 0x56, 0, 0, 1, 0, 8, 0};
    QCOMPARE(std::memcmp(image.data() + 20, workingHead, 16), 0);
    QCOMPARE(std::memcmp(image.data() + 36, "data", 4), 0);
    QCOMPARE(LE32(image, 40), 11025u);
    const Bytes selected(samples.begin() + 1000, samples.begin() + 12025);
    QVERIFY(std::equal(selected.begin(), selected.end(), image.begin() + 44));

    // The player was handed the buffer's first byte, taken after it was written.
    QCOMPARE(recorder.Calls[2].Sound, static_cast<const void*>(player.PlayBuffer().Memory()));
    QCOMPARE(player.WPlayer().SoundData, static_cast<const void*>(player.PlayBuffer().Memory()));
    QCOMPARE(recorder.Calls[2].Image, image);
    QCOMPARE(recorder.Calls[2].Result, 1);

    QVERIFY(PlaySound::IsPlaying());
    QVERIFY(WaitUntilSilent());
    QVERIFY(FindAmidSilence(Played(), selected) >= 0);
    QVERIFY(dialogs.Messages.isEmpty());
    // The wave itself is untouched.
    QCOMPARE(Contents(wave), samples);
    QCOMPARE(wave.SelStart(), 1000);
}

void TstRangePlayer::loopRepeatsUntilTheStopEmptiesTheBuffer()
{
    TScriptedDialogs dialogs;
    const Bytes samples = Pattern(1000);
    TTxWavStream wave;
    Fill(wave, samples);
    TRangePlayer player;
    TPlaySoundRecorder recorder;

    player.PlayRange(wave, 200, 300, true);
    QCOMPARE(recorder.Flags().back(), SND_MEMORY | SND_ASYNC | SND_LOOP);
    QVERIFY(player.WPlayer().Loop());
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    QVERIFY(PlaySound::IsPlaying());

    recorder.Calls.clear();
    player.PlayRange(wave, 0, -1, false);
    QCOMPARE(recorder.Flags(), (std::vector<uint32_t>{SND_PURGE, SND_MEMORY}));
    QVERIFY(!PlaySound::IsPlaying());
    QCOMPARE(player.PlayBuffer().Size(), 0);

    // Every byte after the device's first silence is the range, round after round.
    const Bytes played = Played();
    const auto first = std::find_if(played.begin(), played.end(), [](uint8_t b) { return b != 128; });
    const size_t start = static_cast<size_t>(first - played.begin());
    QVERIFY2(played.size() - start >= 3 * 300, "fewer than three rounds reached the device");
    for (size_t i = start; i < played.size(); ++i) {
        QCOMPARE(played[i], samples[200 + (i - start) % 300]);
    }

    // The next play is once again unless asked otherwise.
    recorder.Calls.clear();
    recorder.Answer = 1;
    player.PlayRange(wave, 0, 10, false);
    QCOMPARE(recorder.Flags().back(), SND_MEMORY | SND_ASYNC);
    QVERIFY(!player.WPlayer().Loop());
    QVERIFY(dialogs.Messages.isEmpty());
}

void TstRangePlayer::emptyWaveLeavesTheSoundPlaying()
{
    TTxWavStream wave;
    Fill(wave, Pattern(500));
    TTxWavStream empty;
    empty.SetFormat(WorkingFormat());
    TRangePlayer player;
    player.PlayRange(wave, 0, 0, true);
    QVERIFY(PlaySound::IsPlaying());
    const Bytes before = Contents(player.PlayBuffer());
    const void* data = player.WPlayer().SoundData;

    TPlaySoundRecorder recorder;
    for (const int32_t length : {0, 5}) {
        player.PlayRange(empty, 0, length, false);
    }
    QVERIFY(recorder.Calls.empty());
    QVERIFY(PlaySound::IsPlaying());
    QVERIFY(player.WPlayer().Loop());
    QCOMPARE(Contents(player.PlayBuffer()), before);
    QCOMPARE(player.WPlayer().SoundData, data);
    player.PlayRange(wave, 0, -1, false);
}

void TstRangePlayer::lengthZeroPlaysToTheEnd()
{
    const Bytes samples = Pattern(1000);
    TTxWavStream wave;
    Fill(wave, samples);
    TRangePlayer player;
    player.PlayRange(wave, 100, 0, false);

    const Bytes tail(samples.begin() + 100, samples.end());
    const Bytes image = Contents(player.PlayBuffer());
    QCOMPARE(image.size(), size_t{900 + 44});
    QCOMPARE(LE32(image, 40), 900u);
    QVERIFY(std::equal(tail.begin(), tail.end(), image.begin() + 44));
    QVERIFY(WaitUntilSilent());
    QVERIFY(FindAmidSilence(Played(), tail) >= 0);
}

void TstRangePlayer::rangeOutsideTheWaveIsPassedOn()
{
    TScriptedDialogs dialogs;
    TTxWavStream wave;
    Fill(wave, Pattern(1000));
    TRangePlayer player;
    TPlaySoundRecorder recorder;
    recorder.Answer = 1;
    player.PlayRange(wave, 0, 50, false);
    const Bytes before = Contents(player.PlayBuffer());

    try {
        player.PlayRange(wave, 900, 200, false);
        QFAIL("no error raised");
    } catch (const EWavStreamError& e) {
        QCOMPARE(QString::fromStdString(e.Message()), QStringLiteral("Index out of range!"));
    }
    QVERIFY(dialogs.Messages.isEmpty());
    QCOMPARE(Contents(player.PlayBuffer()), before);
    // What played was stopped before the image was attempted, and nothing new began.
    QCOMPARE(recorder.Flags(), (std::vector<uint32_t>{SND_PURGE, SND_MEMORY, SND_MEMORY | SND_ASYNC,
                                                      SND_PURGE, SND_MEMORY}));
}

void TstRangePlayer::noDeviceShowsTheMessageAndChangesNothingElse()
{
    TScriptedDialogs dialogs;
    const Bytes samples = Pattern(400);
    TTxWavStream wave;
    Fill(wave, samples);
    wave.SetSelEnd(299);
    wave.SetSelStart(100);
    TRangePlayer player;

    qputenv("SDL_AUDIODRIVER", "no-such-driver");
    PlaySound::Shutdown();
    TPlaySoundRecorder recorder;
    const auto started = std::chrono::steady_clock::now();
    player.PlayRange(wave, wave.SelStart(), wave.SelLength(), false);
    const auto took = std::chrono::steady_clock::now() - started;

    QCOMPARE(dialogs.Messages, QStringList{QStringLiteral("Cannot play sound! The device may be in use.")});
    QCOMPARE(recorder.Flags(), (std::vector<uint32_t>{SND_PURGE, SND_MEMORY, SND_MEMORY | SND_ASYNC}));
    QCOMPARE(recorder.Calls.back().Result, 0);
    QVERIFY(!PlaySound::IsPlaying());
    // Not a hang: the refusal comes back at once (a generous bound, not a speed goal).
    QVERIFY(took < std::chrono::seconds(5));
    QCOMPARE(Contents(wave), samples);
    QCOMPARE(wave.SelStart(), 100);
    QCOMPARE(wave.SelEnd(), 299);
    QVERIFY(!player.WPlayer().Loop());
    QVERIFY(player.WPlayer().Asynchronous());
    QCOMPARE(player.WPlayer().SourceType, frRAM);
}

void TstRangePlayer::notificationsSurroundThePlayerCall()
{
    TScriptedDialogs dialogs;
    TTxWavStream wave;
    Fill(wave, Pattern(100));
    TRangePlayer player;
    TPlaySoundRecorder recorder;
    QStringList log;
    player.WPlayer().BeforePlaying = [&](TJvWavePlayer* sender) {
        QCOMPARE(sender, &player.WPlayer());
        log << QStringLiteral("before %1 calls, %2 messages").arg(recorder.Calls.size()).arg(dialogs.Messages.size());
    };
    player.WPlayer().AfterPlaying = [&](TJvWavePlayer* sender) {
        QCOMPARE(sender, &player.WPlayer());
        log << QStringLiteral("after %1 calls, %2 messages").arg(recorder.Calls.size()).arg(dialogs.Messages.size());
    };

    recorder.Answer = 1;
    player.PlayRange(wave, 0, 0, false);
    // Refused: the message comes after the player has told its owner.
    recorder.Answer = 0;
    player.PlayRange(wave, 0, 0, false);
    // The stop operation plays nothing, so tells nothing.
    player.PlayRange(wave, 0, -1, false);

    QCOMPARE(log, (QStringList{QStringLiteral("before 2 calls, 0 messages"),
                               QStringLiteral("after 3 calls, 0 messages"),
                               QStringLiteral("before 5 calls, 0 messages"),
                               QStringLiteral("after 6 calls, 0 messages")}));
    QCOMPARE(dialogs.Messages.size(), 1);
}

void TstRangePlayer::goingAwayStopsTheSound()
{
    TTxWavStream wave;
    Fill(wave, Pattern(300));
    {
        TRangePlayer player;
        player.PlayRange(wave, 0, 0, true);
        QVERIFY(PlaySound::IsPlaying());
    }
    QVERIFY(!PlaySound::IsPlaying());
}

void TstRangePlayer::playerFlagsFollowSourceLoopAndWaiting()
{
    TPlaySoundRecorder recorder;
    recorder.Answer = 1;
    TTxWavStream wave;
    Fill(wave, Pattern(10));
    TMemoryStream imageStream;
    wave.SaveToStream(imageStream);
    const uint8_t* image = imageStream.Memory();
    struct TCase {
        TJvWaveLocation Source;
        bool Asynchronous, Loop;
        uint32_t Flags;
    };
    const TCase cases[] = {
        {frFile, true, false, 0x20001},     {frFile, true, true, 0x20009},     {frFile, false, false, 0x20000},
        {frResource, true, false, 0x40005}, {frResource, true, true, 0x4000D}, {frResource, false, false, 0x40004},
        {frRAM, true, false, 5},            {frRAM, true, true, 13},           {frRAM, false, false, 4},
    };
    for (const TCase& c : cases) {
        TJvWavePlayer player;
        player.SourceType = c.Source;
        player.FileName = "sound.wav";
        player.SoundData = image;
        player.SetAsynchronous(c.Asynchronous);
        player.SetLoop(c.Loop);
        recorder.Calls.clear();
        QVERIFY(player.Play());
        QCOMPARE(recorder.Calls.size(), size_t{1});
        QCOMPARE(recorder.Calls[0].Flags, c.Flags);
        if (c.Source == frRAM) {
            QCOMPARE(recorder.Calls[0].Sound, static_cast<const void*>(image));
        } else {
            QCOMPARE(recorder.Calls[0].Sound, static_cast<const void*>(player.FileName.c_str()));
            QCOMPARE(recorder.Calls[0].Name, std::string("sound.wav"));
        }
    }
    TJvWavePlayer refused;
    recorder.Answer = 0;
    QVERIFY(!refused.Play());
}

void TstRangePlayer::playerWriteRules()
{
    TJvWavePlayer player;
    QVERIFY(player.Asynchronous());
    QVERIFY(!player.Loop());
    QCOMPARE(player.SourceType, frFile);

    player.SetAsynchronous(false);
    player.SetLoop(true);
    QVERIFY(!player.Loop());            // no loop without asynchronous play
    player.SetAsynchronous(true);
    QVERIFY(!player.Loop());
    player.SetLoop(true);
    QVERIFY(player.Loop());
    player.SetLoop(true);
    QVERIFY(player.Loop());
    player.SetAsynchronous(false);      // clears the loop with it
    QVERIFY(!player.Loop());
    QVERIFY(!player.Asynchronous());
    player.SetAsynchronous(true);
    QVERIFY(!player.Loop());
    player.SetLoop(true);
    player.SetLoop(false);
    QVERIFY(!player.Loop());
}

void TstRangePlayer::playerStopsWithItsSourceFlagAndOnDestruction()
{
    TPlaySoundRecorder recorder;
    recorder.Answer = 1;
    {
        TJvWavePlayer player;
        player.SetLoop(true);
        for (const TJvWaveLocation source : {frFile, frResource, frRAM}) {
            player.SourceType = source;
            player.Stop();
        }
        player.SourceType = frResource;
    }
    QCOMPARE(recorder.Flags(), (std::vector<uint32_t>{SND_FILENAME, SND_RESOURCE, SND_MEMORY, SND_RESOURCE}));
    for (const TPlaySoundCall& call : recorder.Calls) {
        QVERIFY(call.Sound == nullptr);
    }
}

void TstRangePlayer::builtInSamplePlaysAsResource()
{
    QFile resource(QStringLiteral(":/RT_RCDATA/piano"));
    QVERIFY(resource.open(QIODevice::ReadOnly));
    const QByteArray bytes = resource.readAll();
    QCOMPARE(bytes.size(), qsizetype{44 + 72586});
    TMemoryStream image;
    image.Write(bytes.constData(), bytes.size());
    TTxWavStream piano;
    piano.LoadFromStream(image);
    QCOMPARE(piano.Size(), 72586);
    QVERIFY(piano.IsSameFormat(WorkingFormat()));
    QCOMPARE(piano.Format.wFormatTag, uint16_t{1});
    // Ends on the zero line, never touches the extremes.
    const Bytes samples = Contents(piano);
    QVERIFY(std::all_of(samples.end() - 200, samples.end(), [](uint8_t b) { return b == 128; }));
    QVERIFY(*std::max_element(samples.begin(), samples.end()) < 255);
    QVERIFY(*std::min_element(samples.begin(), samples.end()) > 1);

    TJvWavePlayer player;
    player.SourceType = frResource;
    player.FileName = ":/RT_RCDATA/piano";
    QVERIFY(player.Play());
    QVERIFY(PlaySound::IsPlaying());
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const Bytes played = Played();
    // The first 0.15 s of the note reached the device unchanged.
    const Bytes opening(samples.begin(), samples.begin() + 3300);
    QVERIFY(std::search(played.begin(), played.end(), opening.begin(), opening.end()) != played.end());
}

QTEST_MAIN(TstRangePlayer)
#include "tst_rangeplayer.moc"
