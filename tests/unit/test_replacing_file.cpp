// Saving replaces a file only once the new one is complete: exact bytes on success;
// after a failure at any point the old file is byte for byte as it was and no
// temporary file is left in the folder.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/FileSizeLimit.h"
#include "tests/support/TestWaves.h"
#include "wave/ReplacingFileStream.h"

using namespace testwaves;
namespace fs = std::filesystem;

namespace {

class ReplacingFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/sonovane-replace-XXXXXX";
        FDir = mkdtemp(pattern);
        FOld = FDir / "song.wav";
        WriteFile(FOld, Iota(300, 9));
        FWave.SetFormat(WorkingFormat());
        Fill(FWave, Iota(5000, 1));
    }
    void TearDown() override
    {
        fs::permissions(FDir, fs::perms::owner_all);
        fs::remove_all(FDir);
    }

    static void WriteFile(const fs::path& p, const ByteVector& bytes)
    {
        std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    static ByteVector ReadFile(const fs::path& p)
    {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    // The folder holds exactly these names.
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(FDir))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    // The old file unchanged, nothing beside it.
    void ExpectOldFileAlone() const
    {
        EXPECT_EQ(ReadFile(FOld), Iota(300, 9));
        EXPECT_EQ(Names(), std::vector<std::string>{"song.wav"});
    }

    fs::path FDir, FOld;
    TTxWavStream FWave;
};

// What the WAV writer makes of the wave (its bytes are checked with the writer's tests).
ByteVector Image(TTxWavStream& wave)
{
    TMemoryStream image;
    wave.SaveToStream(image);
    return Bytes(image);
}

} // namespace

TEST_F(ReplacingFile, SaveReplacesWithTheExactImageAndKeepsTheMode)
{
    fs::permissions(FOld, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    FWave.SaveToFile(FOld.string());
    EXPECT_EQ(ReadFile(FOld), Image(FWave));
    EXPECT_EQ(ReadFile(FOld).size(), 5044u);
    EXPECT_EQ(Names(), std::vector<std::string>{"song.wav"});
    EXPECT_EQ(fs::status(FOld).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    // Through a link: the file it names is replaced, the link stays a link.
    fs::create_symlink("song.wav", FDir / "link.wav");
    Fill(FWave, Iota(7, 50));
    FWave.SaveToFile((FDir / "link.wav").string());
    EXPECT_TRUE(fs::is_symlink(FDir / "link.wav"));
    EXPECT_EQ(ReadFile(FOld), Image(FWave));

    // A device is written in place and stays a device.
    FWave.SaveToFile("/dev/null");
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

// The writer fails half-way (a write that stops after 2000 of 5044 bytes, then the
// stream is abandoned): the old file is untouched and no partial file remains.
TEST_F(ReplacingFile, FailureHalfWayLeavesTheOldFile)
{
    {
        TReplacingFileStream file(FOld.string());
        file.WriteBuffer(Image(FWave).data(), 2000);
        EXPECT_TRUE(fs::exists(file.TemporaryName()));
        EXPECT_EQ(fs::path(file.TemporaryName()).parent_path(), FDir);
    }
    ExpectOldFileAlone();

    // A real short write: the file size limit stops the writer at 4096 bytes.
    const std::string error = ErrorOf<EFileError>([&] {
        const TFileSizeLimit limit(4096);
        FWave.SaveToFile(FOld.string());
    });
    // The file and the system's reason, and still the old file.
    EXPECT_EQ(error, "Could not write \"" + FOld.string() + "\": File too large.");
    ExpectOldFileAlone();
}

TEST_F(ReplacingFile, NowhereToCreateTheFile)
{
    // A folder, a path below a regular file, a folder that does not exist: root cannot
    // create any of them either.
    for (const fs::path& p : {FDir, FOld / "x.wav", FDir / "missing" / "x.wav"}) {
        EXPECT_EQ(ErrorOf<EFCreateError>([&] { FWave.SaveToFile(p.string()); }),
                  "Datei " + p.string() + " kann nicht erstellt werden");
        ExpectOldFileAlone();
    }
}

// A folder the user may not write to, or a file the user may not write (which renaming
// alone could replace). A writable file in a closed folder is written in place, since no
// temporary file can be made beside it. Root may write anywhere, so as root each save
// runs in a child process that has given up its rights.
TEST_F(ReplacingFile, NoWritePermission)
{
    using fs::perms;
    const perms readOnly = perms::owner_read | perms::group_read | perms::others_read;
    const perms openFolder = perms::all;
    const perms closedFolder = readOnly | perms::owner_exec | perms::group_exec | perms::others_exec;
    struct TCase {
        perms Folder, File;
        const char* Target;
        bool Saved;  // in place; otherwise refused with the toolkit's text
    };
    for (const TCase& c : {TCase{closedFolder, perms::all, "song.wav", true},
                           TCase{openFolder, readOnly, "song.wav", false},
                           TCase{closedFolder, perms::all, "new.wav", false}}) {
        const fs::path target = FDir / c.Target;
        const std::string expected = "Datei " + target.string() + " kann nicht erstellt werden";
        const auto attempt = [&] {
            return c.Saved ? ErrorOf<EFileError>([&] { FWave.SaveToFile(target.string()); }) == "(no exception)"
                           : ErrorOf<EFCreateError>([&] { FWave.SaveToFile(target.string()); }) == expected;
        };
        fs::permissions(FOld, c.File);
        fs::permissions(FDir, c.Folder);
        if (geteuid() != 0) {
            EXPECT_TRUE(attempt()) << c.Target;
        } else {
            const pid_t child = fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                if (setgid(65534) != 0 || setuid(65534) != 0)
                    _exit(77);
                _exit(attempt() ? 0 : 1);
            }
            int status = 0;
            waitpid(child, &status, 0);
            ASSERT_TRUE(WIFEXITED(status));
            if (WEXITSTATUS(status) == 77)
                GTEST_SKIP() << "cannot give up root rights here";
            EXPECT_EQ(WEXITSTATUS(status), 0) << c.Target << ": the save reported something else";
        }
        fs::permissions(FDir, perms::owner_all);
        if (c.Saved) {
            EXPECT_EQ(ReadFile(FOld), Image(FWave));
            EXPECT_EQ(Names(), std::vector<std::string>{"song.wav"});
            WriteFile(FOld, Iota(300, 9));
        }
        ExpectOldFileAlone();
    }
}
