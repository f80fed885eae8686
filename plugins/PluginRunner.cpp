#include "plugins/PluginRunner.h"

#include <QTreeWidgetItem>
#include <optional>

#include "app/WavesList.h"
#include "platform/actions.h"
#include "platform/dialogs.h"
#include "plugins/PluginLibrary.h"
#include "plugins/PluginRecords.h"
#include "plugins/PluginResult.h"
#include "view/wavpaint.h"

namespace {

TPluginWaveSource PaneSource(TWavPaintBox* pane)
{
    return {pane->Wave(), pane->WaveName.toLocal8Bit().toStdString(), true};
}

std::vector<TPluginWaveSource> ListSources(const TWavesList* list)
{
    std::vector<TPluginWaveSource> sources;
    const int count = list->topLevelItemCount();
    sources.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        QTreeWidgetItem* entry = list->topLevelItem(i);
        sources.push_back({TWavesList::EntryWave(entry), entry->text(0).toLocal8Bit().toStdString(), false});
    }
    return sources;
}

std::vector<TPluginSelection> Selections(const TPluginHostParts& parts)
{
    std::vector<TPluginSelection> selections;
    if (!parts.StoredSelections)
        return selections;
    for (const TStoredSelectionTexts& texts : parts.StoredSelections())
        selections.push_back(ParseStoredSelection(texts));
    return selections;
}

} // namespace

TPluginRunner::TPluginRunner(const TPluginHostParts& parts) : FParts(parts) {}

void TPluginRunner::RunPluginFilter(QObject* sender)
{
    auto* action = qobject_cast<TAction*>(sender);
    if (!action)
        return;

    TPluginLibrary library(action->Category());
    if (!library.Loaded()) {
        Dialogs::ShowMessage(QString::fromLatin1(PluginRunText::CannotLoad));
        return;
    }
    const auto getPluginVersion = library.Proc<TGetPluginVersion>("GetPluginVersion");
    const auto freeLib = library.Proc<TFreeLib>("FreeLib");
    const auto initLib = library.Proc<TInitLib>("InitLib");
    if (!getPluginVersion || !freeLib || !initLib) {
        Dialogs::ShowMessage(QString::fromLatin1(PluginRunText::MissingInit));
        return;
    }

    // Declared before the guard: on every way out FreeLib runs first, then the records
    // go, then the library is unloaded.
    std::optional<TPluginRecords> records;
    initLib(FParts.MainWindow ? static_cast<uintptr_t>(FParts.MainWindow->window()->winId()) : 0);
    TFreeLibGuard finish(freeLib);

    const QByteArray procName = action->Hint().toLocal8Bit();
    void* const proc = library.Proc<void*>(procName.constData());
    if (!proc) {
        Dialogs::ShowMessage(QString::fromLatin1(PluginRunText::MissingProc));
        return;
    }

    records.emplace(PaneSource(FParts.WorkingPane), PaneSource(FParts.FinalPane), ListSources(FParts.WavesList),
                    Selections(FParts));
    TPluginWave* result = nullptr;
    switch (getPluginVersion()) {
    case SONOVANE_PLUGIN_VERSION_1:
        result = reinterpret_cast<TFilterProcV1>(proc)(records->Working(), records->Final());
        break;
    case SONOVANE_PLUGIN_VERSION_2:
        result = reinterpret_cast<TFilterProcV2>(proc)(records->Working(), records->Final(), records->Lists());
        break;
    default:
        Dialogs::ShowMessage(QString::fromLatin1(PluginRunText::VersionMismatch));
        return;
    }
    if (!result)
        return;

    // Everything is copied out of the library's record before FreeLib runs.
    const QString name = QString::fromLocal8Bit(ReturnedName(*result));
    if (FParts.ShowStatus)
        FParts.ShowStatus(name);
    try {
        if (std::unique_ptr<TTxWavStream> wave = MakeReturnedWave(*result))
            FParts.WavesList->AppendEntry(name, std::move(wave));
    } catch (const EPluginResult& refused) {
        Dialogs::ShowMessage(QString::fromLocal8Bit(refused.Message()));
    } catch (const EStreamError&) {
        Dialogs::ShowMessage(QString::fromLatin1(OutOfMemoryText));
    }
}
