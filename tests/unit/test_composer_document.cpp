// The document alone, with no window: what each operation changes, what its observers
// hear and in which order, and that a wave leaves only when its entry does.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/ComposerDocument.h"
#include "tests/support/TestWaves.h"

using namespace testwaves;

namespace {

// Records every notification; on a removal it also records whether the entry is still
// there, which a view relies on to let go of its row first.
class TLog : public TDocumentObserver {
public:
    explicit TLog(TComposerDocument& doc) : FDoc(doc) { doc.AddObserver(this); }
    ~TLog() override { FDoc.RemoveObserver(this); }
    std::vector<std::string> Calls;

    void EntryAppended(int32_t i) override { Add("append", i); }
    void EntryChanged(int32_t i) override { Add("change", i); }
    void EntryAboutToBeRemoved(int32_t i) override { Add("remove " + FDoc.Entry(i).Caption, i); }
    void EntriesAboutToBeCleared() override { Add("clear", FDoc.EntryCount()); }
    void SelectionStored(int32_t i) override { Add("store", i); }
    void StoredSelectionChanged(int32_t i) override { Add("restore", i); }
    void StoredSelectionAboutToBeRemoved(int32_t i) override { Add("unstore", i); }
    void StoredSelectionsAboutToBeCleared() override { Add("unstore all", int32_t(FDoc.StoredSelections().size())); }
    void PaneWaveChanged(TPaneId p) override { Add(p == TPaneId::Working ? "working" : "final", 0); }

private:
    void Add(const std::string& what, int32_t i) { Calls.push_back(what + " " + std::to_string(i)); }
    TComposerDocument& FDoc;
};

std::unique_ptr<TTxWavStream> Wave(const ByteVector& bytes)
{
    auto wave = std::make_unique<TTxWavStream>();
    wave->SetFormat(WorkingFormat());
    Fill(*wave, bytes);
    return wave;
}

} // namespace

TEST(ComposerDocument, EntriesKeepOrderIdsAndTheirOwnWaves)
{
    TComposerDocument doc;
    TLog log(doc);
    EXPECT_EQ(doc.AppendEntry("a", Wave(Iota(10))), 0);
    EXPECT_EQ(doc.AppendEntry("b", Wave(Iota(20))), 1);
    EXPECT_EQ(doc.AppendEntry("c", nullptr), 2);
    const uint64_t idB = doc.Entry(1).Id;
    doc.RenameEntry(1, "b");  // unchanged: nobody is told
    doc.RenameEntry(1, "bee");
    doc.SetEntryWave(2, Wave(Iota(5)));
    doc.DeleteEntry(0);
    doc.DeleteEntry(7);
    EXPECT_EQ(doc.IndexOfEntry(idB), 0);
    EXPECT_EQ(doc.Entry(0).Caption, "bee");
    EXPECT_EQ(Bytes(*doc.EntryWave(1)), Iota(5));
    EXPECT_EQ(doc.EntryWave(2), nullptr);
    EXPECT_EQ(doc.EntryWave(-1), nullptr);
    doc.ClearEntries();
    doc.ClearEntries();  // nothing left: nobody is told
    EXPECT_EQ(doc.EntryCount(), 0);
    EXPECT_EQ(doc.IndexOfEntry(idB), -1);
    EXPECT_EQ(log.Calls, (std::vector<std::string>{"append 0", "append 1", "append 2", "change 1", "change 2",
                                                   "remove a 0", "clear 2"}));
}

TEST(ComposerDocument, PanesTakeCopiesAndUndoRestoresTheWorkingWave)
{
    TComposerDocument doc;
    TLog log(doc);
    TTxWavStream& working = doc.PaneWave(TPaneId::Working);
    doc.AppendEntry("a", Wave(Iota(300)));
    doc.EntryWave(0)->SetSelStart(10);
    doc.ReplacePaneWave(TPaneId::Working, *doc.EntryWave(0));
    EXPECT_EQ(Bytes(working), Iota(300));
    EXPECT_EQ(working.SelStart(), 10);
    EXPECT_NE(working.Memory(), doc.EntryWave(0)->Memory());

    doc.RecordStep("Reverse");
    working.ReverseSelection();
    EXPECT_EQ(doc.Undo().StepCount(), 1);
    doc.UndoStep();
    EXPECT_EQ(Bytes(working), Iota(300));
    EXPECT_EQ(&working, &doc.PaneWave(TPaneId::Working));  // the same object, for the pane
    EXPECT_EQ(doc.Undo().StepCount(), 0);
    EXPECT_EQ(log.Calls, (std::vector<std::string>{"append 0", "working 0", "working 0"}));
}

TEST(ComposerDocument, StoredSelectionsInOrder)
{
    TComposerDocument doc;
    TLog log(doc);
    doc.StoreSelection({1, 200});
    doc.StoreSelection({5, 500});
    doc.StoreSelection({9, 900}, 1);
    doc.StoreSelection({7, 700}, 99);  // beyond the end: appended
    doc.ChangeStoredSelection(0, {1, 200});
    doc.ChangeStoredSelection(0, {0, 0});
    doc.DeleteStoredSelection(2);
    doc.DeleteStoredSelection(3);
    EXPECT_EQ(doc.StoredSelections(), (std::vector<TStoredRange>{{0, 0}, {9, 900}, {7, 700}}));
    doc.ClearStoredSelections();
    EXPECT_TRUE(doc.StoredSelections().empty());
    EXPECT_EQ(log.Calls, (std::vector<std::string>{"store 0", "store 1", "store 1", "store 3", "restore 0",
                                                   "unstore 2", "unstore all 3"}));
}
