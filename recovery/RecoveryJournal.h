#pragma once
// Keeps a recovery folder in step with the document. It hears every change of the
// document (and, from the views, that a pane may have changed: its samples, selection
// or name), remembers what changed, and on Flush compares each such wave with what it
// last wrote; only waves that differ are copied (on the calling thread: one pass to
// compare, one to copy) and handed with a new session list to the writer's thread.
// Everything the journal reads, it reads on the thread of the document.

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "document/ComposerDocument.h"
#include "recovery/RecoveryWriter.h"

struct TRecoveryJournalHooks {
    // The panes' names (the views keep them).
    std::function<std::string(TPaneId)> PaneName;
    // Asks for Flush to be called soon, on the document's thread; called on every change.
    std::function<void()> FlushSoon;
};

class TRecoveryJournal : private TDocumentObserver {
public:
    TRecoveryJournal(std::shared_ptr<TComposerDocument> document, TRecoveryWriter& writer,
                     TRecoveryJournalHooks hooks);
    ~TRecoveryJournal() override;
    TRecoveryJournal(const TRecoveryJournal&) = delete;
    TRecoveryJournal& operator=(const TRecoveryJournal&) = delete;

    // The pane's samples, selection or name may have changed (it was drawn anew or
    // renamed); the next flush compares.
    void PaneMayHaveChanged(TPaneId pane);
    // Hands what changed since the last flush to the writer; false when nothing had.
    bool Flush();
    // After a failed write: the next flush writes every wave anew.
    void ForgetWritten();
    // call runs on the writer's thread once the next session list is on disk.
    void AfterNextCommit(std::function<void()> call);

private:
    struct TWritten {
        std::vector<uint8_t> Header;  // RecoveryWaveHeader of what was written
        std::string File;
    };

    void EntryAppended(int32_t index) override;
    void EntryChanged(int32_t index) override;
    void EntryAboutToBeRemoved(int32_t index) override;
    void EntriesAboutToBeCleared() override;
    void SelectionStored(int32_t index) override;
    void StoredSelectionChanged(int32_t index) override;
    void StoredSelectionAboutToBeRemoved(int32_t index) override;
    void StoredSelectionsAboutToBeCleared() override;
    void PaneWaveChanged(TPaneId pane) override;

    void Changed();
    void MarkEntry(int32_t index);
    // Adds wave to job unless it is what written holds already.
    void Consider(const TTxWavStream& wave, TWritten& written, TRecoveryJob& job);

    std::shared_ptr<TComposerDocument> FDocument;
    TRecoveryWriter& FWriter;
    TRecoveryJournalHooks FHooks;
    std::array<bool, 2> FPaneTouched{true, true};
    std::array<TWritten, 2> FPanes;
    std::set<uint64_t> FDirtyEntries;
    std::map<uint64_t, TWritten> FEntries;
    std::vector<uint8_t> FLastManifest;
    std::vector<std::function<void()>> FAfterCommit;
    uint64_t FSerial = 0;
};
