#pragma once
// What a view of the document hears. Removals are told while the entry is still there,
// so a view can let go of its row (and whatever refers to it) before the wave goes.

#include <cstdint>

enum class TPaneId { Working, Final };

class TDocumentObserver {
public:
    virtual ~TDocumentObserver() = default;

    virtual void EntryAppended(int32_t /*index*/) {}
    // The caption or the wave of the entry changed.
    virtual void EntryChanged(int32_t /*index*/) {}
    virtual void EntryAboutToBeRemoved(int32_t /*index*/) {}
    virtual void EntriesAboutToBeCleared() {}

    virtual void SelectionStored(int32_t /*index*/) {}
    virtual void StoredSelectionChanged(int32_t /*index*/) {}
    virtual void StoredSelectionAboutToBeRemoved(int32_t /*index*/) {}
    virtual void StoredSelectionsAboutToBeCleared() {}

    // The pane shows another wave (told before PaneWaveChanged).
    virtual void PaneWaveReplaced(TPaneId /*pane*/) {}
    // The pane's wave was replaced or changed in place.
    virtual void PaneWaveChanged(TPaneId /*pane*/) {}
};
