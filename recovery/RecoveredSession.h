#pragma once
// What a recovery folder holds, read in full and checked before anything of it is
// offered: the session list and every wave it names.

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "document/ComposerDocument.h"
#include "recovery/RecoveryManifest.h"
#include "wave/Wavs_ex.h"

class TRecoveredSession {
public:
    // Reads the folder. A folder without a session list holds nothing yet (its program
    // ended before its first write): an empty session. Raises ERecoveryDamaged naming
    // what does not read, EStreamError when the waves do not fit into memory.
    static TRecoveredSession Load(const std::string& folder);

    // Whether there is nothing to give back: both panes and both lists empty.
    bool IsEmpty() const;
    const TRecoveryManifest& Manifest() const { return FManifest; }
    const std::string& PaneName(TPaneId pane) const { return FManifest.Panes[Index(pane)].Name; }

    // The waves go into document, as they were: the panes' waves with their selections,
    // the entries appended in order with their captions, the stored selections appended
    // in order. The session gives its waves up: call it once.
    void RestoreInto(TComposerDocument& document);

private:
    static size_t Index(TPaneId pane) { return pane == TPaneId::Working ? 0 : 1; }

    TRecoveryManifest FManifest;
    std::array<std::unique_ptr<TTxWavStream>, 2> FPanes;
    std::vector<std::unique_ptr<TTxWavStream>> FEntries;  // null for an entry without a wave
};
