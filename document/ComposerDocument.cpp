#include "document/ComposerDocument.h"

#include <algorithm>
#include <utility>

TComposerDocument::TComposerDocument() : FUndo(nullptr) {}

TComposerDocument::~TComposerDocument() = default;

void TComposerDocument::AddObserver(TDocumentObserver* observer)
{
    if (observer && std::find(FObservers.begin(), FObservers.end(), observer) == FObservers.end())
        FObservers.push_back(observer);
}

void TComposerDocument::RemoveObserver(TDocumentObserver* observer)
{
    FObservers.erase(std::remove(FObservers.begin(), FObservers.end(), observer), FObservers.end());
}

template <class Call>
void TComposerDocument::Notify(Call call)
{
    // An observer may come or go while it is told (a view closing on a removal).
    const std::vector<TDocumentObserver*> observers = FObservers;
    for (TDocumentObserver* observer : observers)
        if (std::find(FObservers.begin(), FObservers.end(), observer) != FObservers.end())
            call(*observer);
}

TTxWavStream& TComposerDocument::PaneWave(TPaneId pane)
{
    return pane == TPaneId::Working ? FWorking : FFinal;
}

void TComposerDocument::ReplacePaneWave(TPaneId pane, TTxWavStream& source)
{
    PaneWave(pane).Assign(source);
    PaneWaveReplaced(pane);
}

void TComposerDocument::PaneWaveReplaced(TPaneId pane)
{
    Notify([&](TDocumentObserver& o) { o.PaneWaveReplaced(pane); });
    PaneWaveChanged(pane);
}

void TComposerDocument::PaneWaveChanged(TPaneId pane)
{
    Notify([&](TDocumentObserver& o) { o.PaneWaveChanged(pane); });
}

TTxWavStream* TComposerDocument::EntryWave(int32_t index) const
{
    if (index < 0 || index >= EntryCount())
        return nullptr;
    return FEntries[static_cast<size_t>(index)].Wave.get();
}

int32_t TComposerDocument::IndexOfEntry(uint64_t id) const
{
    for (size_t i = 0; i < FEntries.size(); ++i)
        if (FEntries[i].Id == id)
            return static_cast<int32_t>(i);
    return -1;
}

int32_t TComposerDocument::AppendEntry(std::string caption, std::unique_ptr<TTxWavStream> wave)
{
    FEntries.push_back(TWaveEntry{std::move(caption), std::move(wave), FNextId++});
    const int32_t index = EntryCount() - 1;
    Notify([&](TDocumentObserver& o) { o.EntryAppended(index); });
    return index;
}

void TComposerDocument::RenameEntry(int32_t index, std::string caption)
{
    if (index < 0 || index >= EntryCount() || FEntries[static_cast<size_t>(index)].Caption == caption)
        return;
    FEntries[static_cast<size_t>(index)].Caption = std::move(caption);
    Notify([&](TDocumentObserver& o) { o.EntryChanged(index); });
}

void TComposerDocument::SetEntryWave(int32_t index, std::unique_ptr<TTxWavStream> wave)
{
    if (index < 0 || index >= EntryCount())
        return;
    // The old wave is released only once the entry holds the new one.
    std::swap(FEntries[static_cast<size_t>(index)].Wave, wave);
    wave.reset();
    Notify([&](TDocumentObserver& o) { o.EntryChanged(index); });
}

void TComposerDocument::DeleteEntry(int32_t index)
{
    if (index < 0 || index >= EntryCount())
        return;
    const uint64_t id = FEntries[static_cast<size_t>(index)].Id;
    Notify([&](TDocumentObserver& o) { o.EntryAboutToBeRemoved(index); });
    // Looked up again: an observer may have changed the entries while it was told.
    const int32_t now = IndexOfEntry(id);
    if (now >= 0)
        FEntries.erase(FEntries.begin() + now);
}

void TComposerDocument::ClearEntries()
{
    if (FEntries.empty())
        return;
    Notify([](TDocumentObserver& o) { o.EntriesAboutToBeCleared(); });
    // Oldest first, as a list empties.
    std::vector<TWaveEntry> gone;
    gone.swap(FEntries);
    for (TWaveEntry& entry : gone)
        entry.Wave.reset();
}

int32_t TComposerDocument::StoreSelection(const TStoredRange& range, int32_t at)
{
    const int32_t count = static_cast<int32_t>(FStored.size());
    const int32_t index = at < 0 || at > count ? count : at;
    FStored.insert(FStored.begin() + index, range);
    Notify([&](TDocumentObserver& o) { o.SelectionStored(index); });
    return index;
}

void TComposerDocument::ChangeStoredSelection(int32_t index, const TStoredRange& range)
{
    if (index < 0 || index >= static_cast<int32_t>(FStored.size()) || FStored[static_cast<size_t>(index)] == range)
        return;
    FStored[static_cast<size_t>(index)] = range;
    Notify([&](TDocumentObserver& o) { o.StoredSelectionChanged(index); });
}

void TComposerDocument::DeleteStoredSelection(int32_t index)
{
    if (index < 0 || index >= static_cast<int32_t>(FStored.size()))
        return;
    Notify([&](TDocumentObserver& o) { o.StoredSelectionAboutToBeRemoved(index); });
    FStored.erase(FStored.begin() + index);
}

void TComposerDocument::ClearStoredSelections()
{
    if (FStored.empty())
        return;
    Notify([](TDocumentObserver& o) { o.StoredSelectionsAboutToBeCleared(); });
    FStored.clear();
}

void TComposerDocument::RecordStep(const std::string& name)
{
    FUndo.AddStep(name, &FWorking);
}

void TComposerDocument::UndoStep()
{
    FUndo.UndoInto(FWorking);
    PaneWaveChanged(TPaneId::Working);
}

void TComposerDocument::RedoStep()
{
    FUndo.RedoInto(FWorking);
    PaneWaveChanged(TPaneId::Working);
}
