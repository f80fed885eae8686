#pragma once
// The session list of a recovery folder: what the document holds besides the samples
// (the panes' names and selections, the Waves list's captions and selections in order,
// the stored selections in order) and which wave file holds each wave. Written last,
// replacing the old one at once, it is the moment a new state of the folder counts.
//
// Layout (little-endian): "SNVSESS1"; per pane (working, final) its name, its wave file,
// the selection start and end; the number of entries, each with its caption, its wave
// file (empty: an entry without a wave), the selection start and end; the number of
// stored selections, each start and end; the hash of everything before it.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "document/StoredRange.h"

struct TRecoveryWaveRef {
    std::string Name;      // the pane's name or the entry's caption
    std::string WaveFile;  // a file of the folder; empty for an entry without a wave
    int32_t SelStart = 0;
    int32_t SelEnd = 0;
    bool operator==(const TRecoveryWaveRef&) const = default;
};

struct TRecoveryManifest {
    std::array<TRecoveryWaveRef, 2> Panes;  // working, final
    std::vector<TRecoveryWaveRef> Entries;
    std::vector<TStoredRange> Stored;
    bool operator==(const TRecoveryManifest&) const = default;

    std::vector<uint8_t> Encode() const;
    // Raises ERecoveryDamaged naming what is wrong.
    static TRecoveryManifest Decode(const uint8_t* data, size_t size);
};

// The session list's name in the folder.
inline constexpr const char* RecoveryManifestFile = "session";
