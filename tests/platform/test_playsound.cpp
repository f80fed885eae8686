// The sound player over SDL: what reaches the device, looping, stopping, replacing,
// refusing, and the recorder seam. SDL's "disk" driver writes every byte it is
// given to a file, in real time, so the sounds here are kept short.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <SDL.h>
#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "conversion/ACMConvertor.h"
#include "conversion/ConvertToWorkingFormat.h"
#include "conversion/WorkingFormatImage.h"
#include "platform/playsound.h"
#include "wave/Wavs_ex.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

// Working-format samples that never sit on the zero line, so silence cannot be
// mistaken for them.
Bytes Pattern(int count, int seed)
{
    Bytes b(count);
    for (int i = 0; i < count; ++i) {
        b[i] = static_cast<uint8_t>(20 + (i * 7 + seed * 13) % 100);
    }
    return b;
}

Bytes WorkingImage(const Bytes& samples)
{
    TTxWavStream wave;
    wave.SetFormat(WorkingFormat());
    wave.Write(samples.data(), static_cast<int64_t>(samples.size()));
    TMemoryStream image;
    wave.SaveToStream(image);
    return Bytes(image.Memory(), image.Memory() + image.Size());
}

Bytes ReadAll(const fs::path& name)
{
    std::ifstream in(name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The source tree from the environment, or else from where this file was compiled.
fs::path SourceRoot()
{
    const char* source = std::getenv("SONOVANE_SOURCE_DIR");
    return source != nullptr ? fs::path(source) : fs::path(__FILE__).parent_path() / "../..";
}

bool WaitUntilSilent(std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (PlaySound::IsPlaying()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

class PlaySoundTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Remember("SDL_AUDIODRIVER", FDriver, FHadDriver);
        Remember("SDL_DISKAUDIOFILE", FFile, FHadFile);
        FDir = fs::temp_directory_path() / ("sonovane-playsound-" + std::to_string(::getpid()));
        fs::create_directories(FDir);
        FDeviceFile = FDir / "device.raw";
        ::setenv("SDL_AUDIODRIVER", "disk", 1);
        ::setenv("SDL_DISKAUDIOFILE", FDeviceFile.c_str(), 1);
        PlaySound::Shutdown();
        PlaySound::SetDecoder(WorkingFormatImage);
    }

    void TearDown() override
    {
        PlaySound::Shutdown();
        PlaySound::SetDecoder({});
        Restore("SDL_AUDIODRIVER", FDriver, FHadDriver);
        Restore("SDL_DISKAUDIOFILE", FFile, FHadFile);
        fs::remove_all(FDir);
    }

    // What the device received since the last sound was opened. The device's file
    // is complete only once the device is closed, so this stops first.
    Bytes Played()
    {
        PlaySoundA(nullptr, nullptr, SND_PURGE);
        return ReadAll(FDeviceFile);
    }

    fs::path FDir;
    fs::path FDeviceFile;

private:
    static void Remember(const char* name, std::string& value, bool& had)
    {
        const char* v = std::getenv(name);
        had = v != nullptr;
        value = had ? v : "";
    }
    static void Restore(const char* name, const std::string& value, bool had)
    {
        if (had) {
            ::setenv(name, value.c_str(), 1);
        } else {
            ::unsetenv(name);
        }
    }

    std::string FDriver, FFile;
    bool FHadDriver = false, FHadFile = false;
};

// The played bytes hold the samples exactly once, surrounded by nothing but silence.
void ExpectSamplesInSilence(const Bytes& played, const Bytes& samples, uint8_t silence)
{
    const auto at = std::search(played.begin(), played.end(), samples.begin(), samples.end());
    ASSERT_NE(at, played.end()) << "the samples did not reach the device unchanged";
    const auto isSilence = [silence](uint8_t b) { return b == silence; };
    EXPECT_TRUE(std::all_of(played.begin(), at, isSilence));
    EXPECT_TRUE(std::all_of(at + static_cast<std::ptrdiff_t>(samples.size()), played.end(), isSilence));
}

TEST_F(PlaySoundTest, MemoryImageSynchronousPlaysEverySampleBeforeReturning)
{
    const Bytes samples = Pattern(2205, 1);
    const Bytes image = WorkingImage(samples);
    ASSERT_EQ(image.size(), 2205u + 44u);

    EXPECT_NE(PlaySoundA(image.data(), nullptr, SND_MEMORY | SND_SYNC), 0);
    // Returned after the end: nothing plays and the device has been closed already,
    // so its file is complete without any further call.
    EXPECT_FALSE(PlaySound::IsPlaying());
    ExpectSamplesInSilence(ReadAll(FDeviceFile), samples, 128);
}

TEST_F(PlaySoundTest, AsynchronousPlayCopiesTheImageAndEndsByItself)
{
    const Bytes samples = Pattern(2205, 2);
    Bytes image = WorkingImage(samples);
    ASSERT_NE(PlaySoundA(image.data(), nullptr, SND_MEMORY | SND_ASYNC), 0);
    EXPECT_TRUE(PlaySound::IsPlaying());
    // The caller may reuse its buffer at once: the player plays its own copy.
    std::fill(image.begin() + 44, image.end(), uint8_t{0});
    image.clear();
    image.shrink_to_fit();
    ASSERT_TRUE(WaitUntilSilent(std::chrono::seconds(5)));
    ExpectSamplesInSilence(Played(), samples, 128);
}

TEST_F(PlaySoundTest, LoopRepeatsWithoutGapUntilStopped)
{
    const Bytes samples = Pattern(300, 3);
    const Bytes image = WorkingImage(samples);
    ASSERT_NE(PlaySoundA(image.data(), nullptr, SND_MEMORY | SND_ASYNC | SND_LOOP), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    EXPECT_TRUE(PlaySound::IsPlaying());
    const Bytes played = Played();
    EXPECT_FALSE(PlaySound::IsPlaying());

    const auto first = std::find_if(played.begin(), played.end(), [](uint8_t b) { return b != 128; });
    const size_t start = static_cast<size_t>(first - played.begin());
    ASSERT_GE(played.size() - start, 3 * samples.size()) << "fewer than three rounds reached the device";
    size_t mismatches = 0;
    for (size_t i = start; i < played.size(); ++i) {
        mismatches += played[i] != samples[(i - start) % samples.size()];
    }
    EXPECT_EQ(mismatches, 0u) << "the loop left a gap or skipped samples";
}

TEST_F(PlaySoundTest, NullSoundAndPurgeStop)
{
    const Bytes image = WorkingImage(Pattern(300, 4));
    for (const uint32_t stopFlags : {SND_PURGE, SND_MEMORY, SND_FILENAME, SND_RESOURCE}) {
        const void* sound = stopFlags == SND_PURGE ? image.data() : nullptr;
        ASSERT_NE(PlaySoundA(image.data(), nullptr, SND_MEMORY | SND_ASYNC | SND_LOOP), 0);
        ASSERT_TRUE(PlaySound::IsPlaying());
        EXPECT_NE(PlaySoundA(sound, nullptr, stopFlags), 0) << stopFlags;
        EXPECT_FALSE(PlaySound::IsPlaying()) << stopFlags;
    }
    // Stopping with nothing playing is fine too.
    EXPECT_NE(PlaySoundA(nullptr, nullptr, SND_PURGE), 0);
}

TEST_F(PlaySoundTest, NewSoundReplacesThePlayingOne)
{
    const Bytes first = WorkingImage(Pattern(300, 5));
    const Bytes secondSamples = Pattern(1000, 6);
    const Bytes second = WorkingImage(secondSamples);
    ASSERT_NE(PlaySoundA(first.data(), nullptr, SND_MEMORY | SND_ASYNC | SND_LOOP), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    ASSERT_NE(PlaySoundA(second.data(), nullptr, SND_MEMORY), 0);
    EXPECT_FALSE(PlaySound::IsPlaying()) << "the looped sound must not survive the new one";
    // The new device started a fresh file: only the second sound is in it.
    ExpectSamplesInSilence(ReadAll(FDeviceFile), secondSamples, 128);
}

TEST_F(PlaySoundTest, RefusalsLeaveNothingPlaying)
{
    const Bytes image = WorkingImage(Pattern(300, 7));
    // A synchronous loop would never return.
    EXPECT_EQ(PlaySoundA(image.data(), nullptr, SND_MEMORY | SND_LOOP), 0);
    const char junk[] = "RIFX\x10\0\0\0WAVEfmt ";
    EXPECT_EQ(PlaySoundA(junk, nullptr, SND_MEMORY | SND_ASYNC), 0);
    EXPECT_EQ(PlaySoundA((FDir / "missing.wav").c_str(), nullptr, SND_FILENAME | SND_ASYNC), 0);
    EXPECT_EQ(PlaySoundA(":/no/such/resource", nullptr, SND_RESOURCE | SND_ASYNC), 0);
    EXPECT_FALSE(PlaySound::IsPlaying());

    // A sound that cannot be read still ends the one that played.
    ASSERT_NE(PlaySoundA(image.data(), nullptr, SND_MEMORY | SND_ASYNC | SND_LOOP), 0);
    EXPECT_EQ(PlaySoundA(junk, nullptr, SND_MEMORY | SND_ASYNC), 0);
    EXPECT_FALSE(PlaySound::IsPlaying());
}

TEST_F(PlaySoundTest, ImpossibleDriverFailsAtOnce)
{
    ::setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    PlaySound::Shutdown();
    const Bytes image = WorkingImage(Pattern(300, 8));
    EXPECT_EQ(PlaySoundA(image.data(), nullptr, SND_MEMORY | SND_ASYNC), 0);
    EXPECT_EQ(PlaySoundA(image.data(), nullptr, SND_MEMORY), 0);
    EXPECT_FALSE(PlaySound::IsPlaying());
    // Back on a usable driver the next call works again.
    ::setenv("SDL_AUDIODRIVER", "disk", 1);
    PlaySound::Shutdown();
    EXPECT_NE(PlaySoundA(image.data(), nullptr, SND_MEMORY), 0);
}

TEST_F(PlaySoundTest, FileOfThePlainFormatPlaysSynchronouslyAsItIs)
{
    const fs::path name = FDir / "tone.wav";
    const Bytes samples = Pattern(1500, 9);
    {
        const Bytes image = WorkingImage(samples);
        std::ofstream(name, std::ios::binary).write(reinterpret_cast<const char*>(image.data()),
                                                    static_cast<std::streamsize>(image.size()));
    }
    EXPECT_NE(PlaySoundA(name.c_str(), nullptr, SND_FILENAME | SND_SYNC), 0);
    EXPECT_FALSE(PlaySound::IsPlaying());
    ExpectSamplesInSilence(ReadAll(FDeviceFile), samples, 128);
}

TEST_F(PlaySoundTest, SixteenBitStereoFileReachesTheDeviceInItsOwnFormat)
{
    const fs::path name = FDir / "stereo.wav";
    std::vector<int16_t> frames(2 * 2000);
    for (size_t i = 0; i < frames.size(); ++i) {
        frames[i] = static_cast<int16_t>(1000 + static_cast<int>(i % 2 ? -1 : 1) * static_cast<int>(i * 37 % 20000));
    }
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(name.c_str(), SFM_WRITE, &info);
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(sf_writef_short(f, frames.data(), 2000), 2000);
    sf_close(f);

    EXPECT_NE(PlaySoundA(name.c_str(), nullptr, SND_FILENAME), 0);
    const Bytes expected(reinterpret_cast<const uint8_t*>(frames.data()),
                         reinterpret_cast<const uint8_t*>(frames.data() + frames.size()));
    ExpectSamplesInSilence(ReadAll(FDeviceFile), expected, 0);
}

TEST_F(PlaySoundTest, CompressedFileIsPlayedInTheWorkingFormat)
{
    const std::string name = (SourceRoot() / "examples/sounds/coin.wav").string();
    if (!fs::exists(name)) {
        GTEST_SKIP() << name << " not found";
    }
    TTxWavStream loaded;
    loaded.LoadFromFile(name);
    ASSERT_EQ(loaded.Format.wFormatTag, 0x11) << "coin.wav is IMA ADPCM";

    TTxWavStream working;
    TACMConvertor convertor;
    ConvertToWorkingFormat(convertor, loaded, working);
    ASSERT_GT(working.Size(), 14000);

    // What reaches the device is exactly what opening the file would give.
    EXPECT_NE(PlaySoundA(name.c_str(), nullptr, SND_FILENAME), 0);
    ExpectSamplesInSilence(ReadAll(FDeviceFile), Bytes(working.Memory(), working.Memory() + working.Size()), 128);
}

TEST_F(PlaySoundTest, OnlyFilesTheDeviceCannotTakeGoThroughTheDecoder)
{
    struct TCase {
        const char* Fixture;
        bool Decoded;
    } cases[] = {
        {"tone_u8_mono_22050.wav", false},
        {"tone_pcm16_stereo_44100.wav", false},
        {"tone_float32_ext_mono_48000.wav", false}, // extensible: its sub-format counts
        {"tone_ulaw_stereo_8000.wav", true},
        {"tone_ima_adpcm_mono_11025.wav", true},
    };
    for (const TCase& c : cases) {
        const std::string name = (SourceRoot() / "tests/fixtures" / c.Fixture).string();
        ASSERT_TRUE(fs::exists(name)) << name;
        std::vector<std::string> asked;
        PlaySound::SetDecoder([&asked](const std::string& file) {
            asked.push_back(file);
            return WorkingFormatImage(file);
        });
        EXPECT_NE(PlaySoundA(name.c_str(), nullptr, SND_FILENAME | SND_ASYNC), 0) << c.Fixture;
        EXPECT_EQ(asked, c.Decoded ? std::vector<std::string>{name} : std::vector<std::string>{}) << c.Fixture;

        // Without a decoder, or with one that fails, only what the device takes plays.
        PlaySound::SetDecoder({});
        EXPECT_EQ(PlaySoundA(name.c_str(), nullptr, SND_FILENAME | SND_ASYNC) != 0, !c.Decoded) << c.Fixture;
        PlaySound::SetDecoder([](const std::string&) -> std::vector<uint8_t> { throw std::runtime_error("no"); });
        EXPECT_EQ(PlaySoundA(name.c_str(), nullptr, SND_FILENAME | SND_ASYNC) != 0, !c.Decoded) << c.Fixture;
        EXPECT_EQ(PlaySound::IsPlaying(), !c.Decoded) << c.Fixture;
        PlaySoundA(nullptr, nullptr, SND_PURGE);
    }
    // Images in memory are never handed to the decoder: it could only open a file.
    int calls = 0;
    PlaySound::SetDecoder([&calls](const std::string& file) { ++calls; return WorkingFormatImage(file); });
    const Bytes ima = ReadAll(SourceRoot() / "tests/fixtures/tone_ima_adpcm_mono_11025.wav");
    EXPECT_EQ(PlaySoundA(ima.data(), nullptr, SND_MEMORY | SND_ASYNC), 0);
    EXPECT_EQ(calls, 0);
}

// An ended sound's device must not go on writing silence until the next call: the
// thread that owns the player closes it as soon as it processes its pending events,
// and only if no newer sound has taken the device meanwhile.
TEST_F(PlaySoundTest, EndedSoundClosesItsDeviceWhenTheOwningThreadProcessesEvents)
{
    int argc = 1;
    char program[] = "platform_tests";
    char* argv[] = {program, nullptr};
    QCoreApplication app(argc, argv);
    const auto processUntilClosed = [] {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (PlaySound::DeviceOpen() && std::chrono::steady_clock::now() < end) {
            QCoreApplication::processEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    };

    const Bytes samples = Pattern(2205, 11);
    const Bytes image = WorkingImage(samples);
    ASSERT_NE(PlaySoundA(image.data(), nullptr, SND_MEMORY | SND_ASYNC), 0);
    ASSERT_TRUE(WaitUntilSilent(std::chrono::seconds(5)));
    // Ended, yet closing is left to the owning thread, which has not looked yet.
    EXPECT_TRUE(PlaySound::DeviceOpen());
    processUntilClosed();
    EXPECT_FALSE(PlaySound::DeviceOpen());
    const auto written = fs::file_size(FDeviceFile);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(fs::file_size(FDeviceFile), written) << "the closed device went on writing";
    ExpectSamplesInSilence(ReadAll(FDeviceFile), samples, 128);

    // The end of a sound replaced before its close was processed leaves the new one alone.
    ASSERT_NE(PlaySoundA(image.data(), nullptr, SND_MEMORY | SND_ASYNC), 0);
    ASSERT_TRUE(WaitUntilSilent(std::chrono::seconds(5)));
    ASSERT_NE(PlaySoundA(image.data(), nullptr, SND_MEMORY | SND_ASYNC | SND_LOOP), 0);
    QCoreApplication::processEvents();
    EXPECT_TRUE(PlaySound::DeviceOpen());
    EXPECT_TRUE(PlaySound::IsPlaying());
}

TEST(PlaySoundRecorder, RecordsEveryCallAndCanAnswerInsteadOfPlaying)
{
    const Bytes image = WorkingImage(Pattern(100, 10));
    TPlaySoundRecorder outer;
    {
        TPlaySoundRecorder recorder;
        recorder.Answer = 0;
        EXPECT_EQ(PlaySoundA(image.data(), nullptr, SND_MEMORY | SND_ASYNC), 0);
        EXPECT_EQ(PlaySoundA("x.wav", nullptr, SND_FILENAME | SND_ASYNC | SND_LOOP), 0);
        recorder.Answer = 1;
        EXPECT_EQ(PlaySoundA(nullptr, nullptr, SND_PURGE), 1);
        EXPECT_FALSE(PlaySound::IsPlaying());

        EXPECT_EQ(recorder.Flags(), (std::vector<uint32_t>{5, 0x20009, 0x40}));
        ASSERT_EQ(recorder.Calls.size(), 3u);
        EXPECT_EQ(recorder.Calls[0].Sound, image.data());
        EXPECT_EQ(recorder.Calls[0].Size, 144);
        EXPECT_EQ(recorder.Calls[0].Image, image);
        EXPECT_EQ(recorder.Calls[0].Result, 0);
        EXPECT_EQ(recorder.Calls[1].Name, "x.wav");
        EXPECT_EQ(recorder.Calls[1].Size, 0);
        EXPECT_EQ(recorder.Calls[2].Sound, nullptr);
        EXPECT_EQ(recorder.Calls[2].Result, 1);
    }
    // The inner recorder saw them all; the outer one takes over again afterwards.
    EXPECT_TRUE(outer.Calls.empty());
    outer.Answer = 1;
    PlaySoundA(nullptr, nullptr, SND_MEMORY);
    EXPECT_EQ(outer.Flags(), std::vector<uint32_t>{SND_MEMORY});
}

} // namespace

// Once sound is up, a termination signal must still end the program: the audio layer
// must not take SIGTERM over (a desktop logout or `kill` would otherwise be ignored).
TEST_F(PlaySoundTest, TerminationSignalStillEndsTheProgramWhileASoundPlays)
{
    const Bytes image = WorkingImage(Pattern(22050, 4));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::setenv("SDL_AUDIODRIVER", "dummy", 1);
        if (!PlaySoundA(image.data(), nullptr, SND_MEMORY | SND_ASYNC | SND_LOOP)) {
            ::_exit(3);
        }
        ::raise(SIGTERM);
        ::_exit(0); // reached only when the signal was swallowed
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_FALSE(WIFEXITED(status) && WEXITSTATUS(status) == 3) << "no sound device in the child";
    EXPECT_TRUE(WIFSIGNALED(status));
    if (WIFSIGNALED(status)) {
        EXPECT_EQ(WTERMSIG(status), SIGTERM);
    }
}
