#pragma once
// TComposerDocument: everything the user edits in one run, held apart from the widgets
// that show it: the working and the final wave, the Waves list's entries (a caption and
// a wave each, in order), the stored selections (in order) and the undo list of the
// working wave. The panes and the two lists are views of it: they change it only through
// the operations below, and hear of every change through TDocumentObserver.
//
// Each wave has one owner, the document; what leaves it is copied (bytes, never shared).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "document/DocumentObserver.h"
#include "document/StoredRange.h"
#include "document/UndoList.h"
#include "wave/Wavs_ex.h"

// One entry of the Waves list. Id stays the entry's own for the whole run, whatever
// entries come and go before it.
struct TWaveEntry {
    std::string Caption;
    std::unique_ptr<TTxWavStream> Wave;
    uint64_t Id = 0;
};

class TComposerDocument {
public:
    TComposerDocument();
    ~TComposerDocument();
    TComposerDocument(const TComposerDocument&) = delete;
    TComposerDocument& operator=(const TComposerDocument&) = delete;

    // Observers are not owned; each removes itself before it goes.
    void AddObserver(TDocumentObserver* observer);
    void RemoveObserver(TDocumentObserver* observer);

    // --- the two panes' waves (the same objects for the whole run) ---------------------
    TTxWavStream& PaneWave(TPaneId pane);
    // A copy of source (samples, format, selection) becomes the pane's wave.
    void ReplacePaneWave(TPaneId pane, TTxWavStream& source);
    // Tells the observers that the pane shows another wave now (a drop that replaced
    // its content), then that it changed.
    void PaneWaveReplaced(TPaneId pane);
    // Tells the observers that the pane's wave was changed in place (by an effect, a
    // drop, a mix).
    void PaneWaveChanged(TPaneId pane);

    // --- the Waves list's entries ------------------------------------------------------
    int32_t EntryCount() const { return static_cast<int32_t>(FEntries.size()); }
    const TWaveEntry& Entry(int32_t index) const { return FEntries.at(static_cast<size_t>(index)); }
    // The entry's wave; null for an index out of range or an entry without a wave.
    TTxWavStream* EntryWave(int32_t index) const;
    // The index of the entry with this id, or -1 when it is gone.
    int32_t IndexOfEntry(uint64_t id) const;
    // The entry takes the wave over (it may be null); returns the new entry's index.
    int32_t AppendEntry(std::string caption, std::unique_ptr<TTxWavStream> wave);
    void RenameEntry(int32_t index, std::string caption);
    // The entry's wave is replaced; the old one is released.
    void SetEntryWave(int32_t index, std::unique_ptr<TTxWavStream> wave);
    // The entry goes, and its wave with it. An index out of range changes nothing.
    void DeleteEntry(int32_t index);
    void ClearEntries();

    // --- the stored selections ------------------------------------------------------------
    const std::vector<TStoredRange>& StoredSelections() const { return FStored; }
    // Stores range before the selection at (at the end for -1 or beyond); returns its index.
    int32_t StoreSelection(const TStoredRange& range, int32_t at = -1);
    void ChangeStoredSelection(int32_t index, const TStoredRange& range);
    void DeleteStoredSelection(int32_t index);
    void ClearStoredSelections();

    // --- undo of the working wave ------------------------------------------------------------
    TUndoList& Undo() { return FUndo; }
    // A copy of the working wave as the step name (see TUndoList::AddStep for failures).
    void RecordStep(const std::string& name);
    // The newest step back into the working wave; what it held becomes a redo step.
    void UndoStep();
    // The newest redo step back into the working wave; what it held becomes a step again.
    void RedoStep();

private:
    template <class Call>
    void Notify(Call call);

    TTxWavStream FWorking;
    TTxWavStream FFinal;
    std::vector<TWaveEntry> FEntries;
    uint64_t FNextId = 1;
    std::vector<TStoredRange> FStored;
    TUndoList FUndo;
    std::vector<TDocumentObserver*> FObservers;
};
