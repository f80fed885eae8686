#include "recovery/RecoveredSession.h"

#include <cerrno>
#include <unistd.h>

#include "recovery/DurableFile.h"
#include "recovery/RecoveryError.h"
#include "recovery/RecoveryIoError.h"
#include "recovery/RecoveryWaveFile.h"

namespace {

std::unique_ptr<TTxWavStream> LoadWave(const std::string& folder, const TRecoveryWaveRef& ref)
{
    std::vector<uint8_t> bytes;
    try {
        bytes = DurableFile::Read(folder + "/" + ref.WaveFile);
    } catch (const ERecoveryIoError& e) {
        throw ERecoveryDamaged("The wave of \"" + ref.Name + "\" cannot be read: " + e.Message());
    }
    try {
        return DecodeRecoveryWave(bytes.data(), bytes.size(), ref.SelStart, ref.SelEnd);
    } catch (const ERecoveryDamaged& e) {
        throw ERecoveryDamaged("The wave of \"" + ref.Name + "\" (" + ref.WaveFile + "): " + e.Message());
    }
}

} // namespace

TRecoveredSession TRecoveredSession::Load(const std::string& folder)
{
    TRecoveredSession session;
    const std::string path = folder + "/" + RecoveryManifestFile;
    if (::access(path.c_str(), F_OK) != 0 && errno == ENOENT)
        return session;
    std::vector<uint8_t> list;
    try {
        list = DurableFile::Read(path);
    } catch (const ERecoveryIoError& e) {
        throw ERecoveryDamaged("The session list cannot be read: " + e.Message());
    }
    session.FManifest = TRecoveryManifest::Decode(list.data(), list.size());
    for (size_t i = 0; i < 2; ++i)
        session.FPanes[i] = LoadWave(folder, session.FManifest.Panes[i]);
    for (const TRecoveryWaveRef& entry : session.FManifest.Entries)
        session.FEntries.push_back(entry.WaveFile.empty() ? nullptr : LoadWave(folder, entry));
    return session;
}

bool TRecoveredSession::IsEmpty() const
{
    for (const auto& pane : FPanes)
        if (pane && pane->Size() > 0)
            return false;
    return FManifest.Entries.empty() && FManifest.Stored.empty();
}

void TRecoveredSession::RestoreInto(TComposerDocument& document)
{
    for (TPaneId pane : {TPaneId::Working, TPaneId::Final}) {
        if (std::unique_ptr<TTxWavStream>& wave = FPanes[Index(pane)]) {
            // Swapped, not assigned: an assignment would pass the selection through the
            // setters, which change some values a wave can hold.
            document.PaneWave(pane).Swap(*wave);
            wave.reset();
            document.PaneWaveChanged(pane);
        }
    }
    for (size_t i = 0; i < FEntries.size(); ++i)
        document.AppendEntry(FManifest.Entries[i].Name, std::move(FEntries[i]));
    FEntries.clear();
    for (const TStoredRange& range : FManifest.Stored)
        document.StoreSelection(range);
}
