#include "recovery/RecoveryJournal.h"

#include "recovery/RecoveryManifest.h"
#include "recovery/RecoveryWaveFile.h"

namespace {

size_t Index(TPaneId pane)
{
    return pane == TPaneId::Working ? 0 : 1;
}

} // namespace

TRecoveryJournal::TRecoveryJournal(std::shared_ptr<TComposerDocument> document, TRecoveryWriter& writer,
                                   TRecoveryJournalHooks hooks)
    : FDocument(std::move(document)), FWriter(writer), FHooks(std::move(hooks))
{
    FDocument->AddObserver(this);
    for (int32_t i = 0; i < FDocument->EntryCount(); ++i)
        FDirtyEntries.insert(FDocument->Entry(i).Id);
}

TRecoveryJournal::~TRecoveryJournal()
{
    FDocument->RemoveObserver(this);
}

void TRecoveryJournal::Changed()
{
    if (FHooks.FlushSoon)
        FHooks.FlushSoon();
}

void TRecoveryJournal::MarkEntry(int32_t index)
{
    if (index >= 0 && index < FDocument->EntryCount())
        FDirtyEntries.insert(FDocument->Entry(index).Id);
    Changed();
}

void TRecoveryJournal::PaneMayHaveChanged(TPaneId pane)
{
    FPaneTouched[Index(pane)] = true;
    Changed();
}

void TRecoveryJournal::PaneWaveChanged(TPaneId pane)
{
    PaneMayHaveChanged(pane);
}

void TRecoveryJournal::EntryAppended(int32_t index)
{
    MarkEntry(index);
}

void TRecoveryJournal::EntryChanged(int32_t index)
{
    MarkEntry(index);
}

// Removals need no mark: the next list no longer names the wave, and the writer removes it.
void TRecoveryJournal::EntryAboutToBeRemoved(int32_t)
{
    Changed();
}

void TRecoveryJournal::EntriesAboutToBeCleared()
{
    Changed();
}

void TRecoveryJournal::SelectionStored(int32_t)
{
    Changed();
}

void TRecoveryJournal::StoredSelectionChanged(int32_t)
{
    Changed();
}

void TRecoveryJournal::StoredSelectionAboutToBeRemoved(int32_t)
{
    Changed();
}

void TRecoveryJournal::StoredSelectionsAboutToBeCleared()
{
    Changed();
}

void TRecoveryJournal::ForgetWritten()
{
    FPaneTouched = {true, true};
    FPanes = {};
    FEntries.clear();
    for (int32_t i = 0; i < FDocument->EntryCount(); ++i)
        FDirtyEntries.insert(FDocument->Entry(i).Id);
    FLastManifest.clear();
}

void TRecoveryJournal::AfterNextCommit(std::function<void()> call)
{
    FAfterCommit.push_back(std::move(call));
    Changed();
}

void TRecoveryJournal::Consider(const TTxWavStream& wave, TWritten& written, TRecoveryJob& job)
{
    std::vector<uint8_t> header = RecoveryWaveHeader(wave);
    if (!written.File.empty() && header == written.Header)
        return;
    auto bytes = std::make_shared<const std::vector<uint8_t>>(EncodeRecoveryWave(wave, header));
    written.File = "w" + std::to_string(++FSerial) + ".snw";
    written.Header = std::move(header);
    job.Waves.emplace_back(written.File, std::move(bytes));
}

bool TRecoveryJournal::Flush()
{
    TRecoveryJob job;
    TRecoveryManifest manifest;
    for (TPaneId pane : {TPaneId::Working, TPaneId::Final}) {
        const size_t i = Index(pane);
        const TTxWavStream& wave = FDocument->PaneWave(pane);
        if (FPaneTouched[i])
            Consider(wave, FPanes[i], job);
        FPaneTouched[i] = false;
        TRecoveryWaveRef& ref = manifest.Panes[i];
        ref.Name = FHooks.PaneName ? FHooks.PaneName(pane) : std::string();
        ref.WaveFile = FPanes[i].File;
        ref.SelStart = wave.SelStart();
        ref.SelEnd = wave.SelEnd();
        job.Live.push_back(ref.WaveFile);
    }

    std::map<uint64_t, TWritten> entries;
    for (int32_t i = 0; i < FDocument->EntryCount(); ++i) {
        const TWaveEntry& entry = FDocument->Entry(i);
        TRecoveryWaveRef ref;
        ref.Name = entry.Caption;
        if (const TTxWavStream* wave = entry.Wave.get()) {
            TWritten& written = entries[entry.Id];
            if (auto old = FEntries.find(entry.Id); old != FEntries.end())
                written = std::move(old->second);
            if (written.File.empty() || FDirtyEntries.count(entry.Id))
                Consider(*wave, written, job);
            ref.WaveFile = written.File;
            ref.SelStart = wave->SelStart();
            ref.SelEnd = wave->SelEnd();
            job.Live.push_back(ref.WaveFile);
        }
        manifest.Entries.push_back(std::move(ref));
    }
    FEntries = std::move(entries);
    FDirtyEntries.clear();
    manifest.Stored = FDocument->StoredSelections();

    job.Manifest = manifest.Encode();
    if (job.Waves.empty() && FAfterCommit.empty() && job.Manifest == FLastManifest)
        return false;
    FLastManifest = job.Manifest;
    job.AfterCommit = std::move(FAfterCommit);
    FAfterCommit.clear();
    FWriter.Submit(std::move(job));
    return true;
}
