// The recovery folder without a window: a document written by the journal comes back
// byte for byte, only what changed is written again, a damaged folder says what is
// wrong and can be set aside, and a folder whose program still runs is left alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

#include "recovery/DurableFile.h"
#include "recovery/RecoveredSession.h"
#include "recovery/RecoveryError.h"
#include "recovery/RecoveryJournal.h"
#include "recovery/RecoveryStore.h"
#include "tests/support/TestWaves.h"

using namespace testwaves;

namespace {

class TTempRoot {
public:
    TTempRoot()
    {
        char name[] = "/tmp/sonovane-recovery-XXXXXX";
        Path = ::mkdtemp(name);
    }
    ~TTempRoot() { std::system(("rm -rf '" + Path + "'").c_str()); }
    std::string Path;
};

std::unique_ptr<TTxWavStream> Wave(const ByteVector& bytes, int32_t selStart, int32_t selEnd)
{
    auto wave = std::make_unique<TTxWavStream>();
    wave->SetFormat(WorkingFormat());
    Fill(*wave, bytes);
    wave->SetSelStart(selStart);
    wave->SetSelEnd(selEnd);
    return wave;
}

void ExpectSameWave(const TTxWavStream& a, const TTxWavStream& b, const std::string& what)
{
    EXPECT_EQ(Bytes(a), Bytes(b)) << what;
    EXPECT_EQ(0, std::memcmp(&a.Format, &b.Format, sizeof a.Format)) << what;
    EXPECT_EQ(a.FormatExtra, b.FormatExtra) << what;
    EXPECT_EQ(a.FileName, b.FileName) << what;
    EXPECT_EQ(a.SelStart(), b.SelStart()) << what;
    EXPECT_EQ(a.SelEnd(), b.SelEnd()) << what;
}

std::vector<std::string> WaveFiles(const std::string& folder)
{
    std::vector<std::string> names = DurableFile::List(folder);
    names.erase(std::remove_if(names.begin(), names.end(),
                               [](const std::string& n) { return n.size() < 4 || n.substr(n.size() - 4) != ".snw"; }),
                names.end());
    std::sort(names.begin(), names.end());
    return names;
}

// A document, its folder, the writer and the journal, as the program keeps them.
struct TJournalled {
    TTempRoot Root;
    std::shared_ptr<TComposerDocument> Doc = std::make_shared<TComposerDocument>();
    std::string Folder = Root.Path + "/session-test";
    std::vector<std::string> Failures;
    std::unique_ptr<TRecoveryWriter> Writer;
    std::unique_ptr<TRecoveryJournal> Journal;

    TJournalled()
    {
        DurableFile::MakeFolders(Folder);
        Writer = std::make_unique<TRecoveryWriter>(Folder, [this](const std::string& m) { Failures.push_back(m); });
        TRecoveryJournalHooks hooks;
        hooks.PaneName = [](TPaneId p) { return p == TPaneId::Working ? std::string("Wörking") : std::string("door.wav"); };
        Journal = std::make_unique<TRecoveryJournal>(Doc, *Writer, hooks);
    }
    bool Write()
    {
        const bool wrote = Journal->Flush();
        Writer->WaitIdle();
        return wrote;
    }
};

// Both panes, three entries (one without a wave) and two stored selections, with the
// values the setters reach only by their order (an end of 0 kept from an empty wave).
void FillDocument(TComposerDocument& doc)
{
    TTxWavStream& working = doc.PaneWave(TPaneId::Working);
    working.SetFormat(WorkingFormat());
    working.FormatExtra = {1, 2, 3};
    working.SetSelEnd(0);
    Fill(working, Iota(3000, 7));
    working.SetSelStart(250);
    auto final = Wave(Iota(400, 200), 10, 20);
    final->FileName = "/home/u/door.wav";
    doc.ReplacePaneWave(TPaneId::Final, *final);
    doc.AppendEntry("knock", Wave(Iota(1000, 1), 0, 999));
    doc.AppendEntry("no wave", nullptr);
    doc.AppendEntry("zap \"2\"\n", Wave(ByteVector(5, 128), 4, 4));
    doc.StoreSelection({3, 9});
    doc.StoreSelection({-1, 2147483647});
}

} // namespace

TEST(Recovery, ADocumentComesBackByteForByte)
{
    TJournalled j;
    FillDocument(*j.Doc);
    ASSERT_TRUE(j.Write());
    EXPECT_TRUE(j.Failures.empty());

    TRecoveredSession session = TRecoveredSession::Load(j.Folder);
    EXPECT_FALSE(session.IsEmpty());
    EXPECT_EQ(session.PaneName(TPaneId::Working), "Wörking");
    EXPECT_EQ(session.PaneName(TPaneId::Final), "door.wav");
    TComposerDocument back;
    session.RestoreInto(back);
    for (TPaneId pane : {TPaneId::Working, TPaneId::Final})
        ExpectSameWave(back.PaneWave(pane), j.Doc->PaneWave(pane), "pane");
    EXPECT_EQ(back.PaneWave(TPaneId::Working).SelEnd(), 0);
    ASSERT_EQ(back.EntryCount(), 3);
    for (int32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(back.Entry(i).Caption, j.Doc->Entry(i).Caption);
        ASSERT_EQ(!back.EntryWave(i), !j.Doc->EntryWave(i));
        if (back.EntryWave(i))
            ExpectSameWave(*back.EntryWave(i), *j.Doc->EntryWave(i), back.Entry(i).Caption);
    }
    EXPECT_EQ(back.StoredSelections(), j.Doc->StoredSelections());
}

TEST(Recovery, OnlyWhatChangedIsWrittenAgain)
{
    TJournalled j;
    FillDocument(*j.Doc);
    j.Write();
    const std::vector<std::string> first = WaveFiles(j.Folder);
    ASSERT_EQ(first.size(), 4u);  // two panes, two entries with a wave

    // Nothing changed: nothing to write.
    j.Journal->PaneMayHaveChanged(TPaneId::Final);
    EXPECT_FALSE(j.Write());

    // A selection, a caption, a stored selection: a new list, the same wave files.
    j.Doc->PaneWave(TPaneId::Working).SetSelStart(5);
    j.Journal->PaneMayHaveChanged(TPaneId::Working);
    j.Doc->RenameEntry(0, "knock knock");
    j.Doc->DeleteStoredSelection(0);
    EXPECT_TRUE(j.Write());
    EXPECT_EQ(WaveFiles(j.Folder), first);

    // One sample of the final wave: that wave alone gets a new file, the old one goes.
    j.Doc->PaneWave(TPaneId::Final).SetByte(0, 99);
    j.Doc->PaneWaveChanged(TPaneId::Final);
    j.Write();
    std::vector<std::string> now = WaveFiles(j.Folder);
    ASSERT_EQ(now.size(), 4u);
    std::vector<std::string> added, gone;
    std::set_difference(now.begin(), now.end(), first.begin(), first.end(), std::back_inserter(added));
    std::set_difference(first.begin(), first.end(), now.begin(), now.end(), std::back_inserter(gone));
    EXPECT_EQ(added, std::vector<std::string>{"w5.snw"});
    EXPECT_EQ(gone, std::vector<std::string>{"w2.snw"});

    // A removed entry takes its file with it.
    j.Doc->DeleteEntry(0);
    j.Write();
    EXPECT_EQ(WaveFiles(j.Folder).size(), 3u);
    TComposerDocument back;
    TRecoveredSession::Load(j.Folder).RestoreInto(back);
    ASSERT_EQ(back.EntryCount(), 2);
    EXPECT_EQ(back.Entry(0).Caption, "no wave");
    EXPECT_EQ(back.PaneWave(TPaneId::Final).GetByte(0), 99);
    EXPECT_EQ(back.PaneWave(TPaneId::Working).SelStart(), 5);
    EXPECT_EQ(back.StoredSelections(), (std::vector<TStoredRange>{{-1, 2147483647}}));
}

TEST(Recovery, ADamagedFolderSaysWhatIsWrongAndIsSetAside)
{
    const auto rewrite = [](const std::string& path, const std::function<void(std::vector<uint8_t>&)>& change) {
        std::vector<uint8_t> bytes = DurableFile::Read(path);
        change(bytes);
        DurableFile::Write(path.substr(0, path.rfind('/')), path.substr(path.rfind('/') + 1), bytes.data(), bytes.size());
    };
    const struct {
        const char* file;
        std::function<void(std::vector<uint8_t>&)> change;  // null: the file is removed
        const char* message;                                 // after the folder's path for a missing file
    } cases[] = {
        {"session", [](auto& b) { b.resize(4); }, "The session list ends too early"},
        {"session", [](auto& b) { b[20] ^= 1; }, "The session list is damaged"},
        {"session", [](auto& b) { b[0] = 'X'; }, "The session list is not a session list of this program"},
        {"w1.snw", [](auto& b) { b.back() ^= 0x80; }, "The wave of \"Wörking\" (w1.snw): the file holds damaged samples"},
        {"w1.snw", [](auto& b) { b[10] ^= 1; }, "The wave of \"Wörking\" (w1.snw): the file has a damaged header"},
        {"w3.snw", [](auto& b) { b.pop_back(); }, "The wave of \"knock\" (w3.snw): the file does not hold the samples it announces"},
        {"w3.snw", nullptr, "The wave of \"knock\" cannot be read: "},
    };
    for (const auto& c : cases) {
        TJournalled j;
        FillDocument(*j.Doc);
        j.Write();
        const std::string path = j.Folder + "/" + c.file;
        if (c.change)
            rewrite(path, c.change);
        else
            DurableFile::Remove(path);
        const std::string message = ErrorOf<ERecoveryDamaged>([&] { TRecoveredSession::Load(j.Folder); });
        if (c.change)
            EXPECT_EQ(message, c.message);
        else
            EXPECT_EQ(message, c.message + path + ": No such file or directory");

        TRecoveryStore store(j.Root.Path);
        const std::string aside = store.SetAside(j.Folder);
        EXPECT_EQ(aside, j.Root.Path + "/damaged-test");
        EXPECT_NE(::access(aside.c_str(), F_OK), -1);
        EXPECT_EQ(::access(j.Folder.c_str(), F_OK), -1);
        EXPECT_TRUE(store.TakeOrphans().empty()) << "a folder set aside is no longer offered";
    }
}

TEST(Recovery, AFolderWithoutASessionListHoldsNothing)
{
    TTempRoot root;
    TRecoveryStore store(root.Path);
    TRecoveryFolder folder = store.CreateSession();
    EXPECT_EQ(folder.Path.rfind(root.Path + "/session-", 0), 0u);
    EXPECT_TRUE(TRecoveredSession::Load(folder.Path).IsEmpty());
}

// Whether a folder is taken over, by what its lock file says and who holds its flock.
TEST(Recovery, AFolderIsTakenOverOnlyWhenItsProgramNoLongerRuns)
{
    // A running program of its own: it sleeps, holding the flock of the folder "held".
    TTempRoot root;
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    DurableFile::MakeFolders(root.Path + "/session-held");
    const pid_t holder = ::fork();
    if (holder == 0) {
        auto lock = TRecoveryLock::Claim(root.Path + "/session-held");
        (void)!::write(ready[1], "x", 1);
        ::pause();
        ::_exit(0);
    }
    char x;
    ASSERT_EQ(::read(ready[0], &x, 1), 1);
    const pid_t gone = ::fork();
    if (gone == 0)
        ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    const unsigned long long start = TRecoveryLock::ProcessStartTime(holder);
    ASSERT_NE(start, 0u);

    const struct {
        const char* folder;
        std::string lockText;  // "-": no lock file at all
        bool takenOver;
    } cases[] = {
        {"same-start", std::to_string(holder) + " " + std::to_string(start) + "\n", false},
        {"start-unknown", std::to_string(holder) + " 0\n", false},
        {"other-start", std::to_string(holder) + " " + std::to_string(start + 1) + "\n", true},
        {"ended", std::to_string(gone) + " 0\n", true},
        {"empty", "", true},
        {"no-lock", "-", true},
    };
    for (const auto& c : cases) {
        const std::string folder = root.Path + "/session-" + c.folder;
        DurableFile::MakeFolders(folder);
        if (c.lockText != "-")
            std::ofstream(folder + "/lock") << c.lockText;
    }
    // One being made when its program ended holds nothing: it goes.
    DurableFile::MakeFolders(root.Path + "/new-abc123");
    std::ofstream(root.Path + "/new-abc123/lock") << gone << " 0\n";
    TRecoveryStore store(root.Path);
    std::vector<TRecoveryFolder> taken = store.TakeOrphans();
    EXPECT_EQ(::access((root.Path + "/new-abc123").c_str(), F_OK), -1);
    for (const auto& c : cases) {
        const std::string folder = root.Path + "/session-" + c.folder;
        const bool found = std::any_of(taken.begin(), taken.end(), [&](const auto& f) { return f.Path == folder; });
        EXPECT_EQ(found, c.takenOver) << c.folder;
    }
    EXPECT_EQ(taken.size(), 4u) << "the folder whose flock is held is left alone";
    // Taken folders stay ours until let go: a second look finds none of them.
    EXPECT_TRUE(store.TakeOrphans().empty());

    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    taken.clear();
    std::vector<TRecoveryFolder> after = store.TakeOrphans();
    EXPECT_EQ(after.size(), 7u) << "a killed program's flock is gone with it";
}

TEST(Recovery, AFailedWriteIsReportedOnceAndCommitsNothingHalf)
{
    TJournalled j;
    FillDocument(*j.Doc);
    DurableFile::RemoveFolder(j.Folder);
    j.Write();
    j.Doc->RenameEntry(0, "other");
    j.Write();
    ASSERT_EQ(j.Failures.size(), 1u);
    EXPECT_EQ(j.Failures[0], j.Folder + "/.w1.snw.tmp: No such file or directory");

    // Back again: after ForgetWritten every wave is written anew and the folder reads.
    DurableFile::MakeFolders(j.Folder);
    j.Journal->ForgetWritten();
    EXPECT_TRUE(j.Write());
    TComposerDocument back;
    TRecoveredSession::Load(j.Folder).RestoreInto(back);
    EXPECT_EQ(back.Entry(0).Caption, "other");
    EXPECT_EQ(j.Failures.size(), 1u);
}

TEST(Recovery, TheRootFollowsXdgStateHome)
{
    const char* savedState = std::getenv("XDG_STATE_HOME");
    const std::string keep = savedState ? savedState : "";
    const char* home = std::getenv("HOME");
    const struct {
        const char* state;  // null: unset
        std::string root;
    } cases[] = {
        {"/var/x", "/var/x/Sonovane"},
        {"relative/x", home ? std::string(home) + "/.local/state/Sonovane" : ""},
        {nullptr, home ? std::string(home) + "/.local/state/Sonovane" : ""},
    };
    for (const auto& c : cases) {
        if (c.state)
            ::setenv("XDG_STATE_HOME", c.state, 1);
        else
            ::unsetenv("XDG_STATE_HOME");
        EXPECT_EQ(TRecoveryStore::DefaultRoot(), c.root);
    }
    if (savedState)
        ::setenv("XDG_STATE_HOME", keep.c_str(), 1);
    else
        ::unsetenv("XDG_STATE_HOME");
}
