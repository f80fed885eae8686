#include "plugins/PluginRunner.h"

#include <QWidget>
#include <optional>
#include <string>

#include "platform/actions.h"
#include "platform/dialogs.h"
#include "plugins/PluginLibrary.h"
#include "plugins/PluginRecords.h"
#include "plugins/PluginResult.h"
#include "plugins/StoredSelection.h"

namespace {

// Names reach the library in the locale's own encoding, as file names do.
std::string LocalText(const QString& text)
{
    return text.toLocal8Bit().toStdString();
}

TPluginWaveSource PaneSource(const TPluginHostParts& parts, TPaneId pane)
{
    return {&parts.Document->PaneWave(pane), LocalText(parts.PaneName ? parts.PaneName(pane) : QString()), true};
}

std::vector<TPluginWaveSource> ListSources(const TComposerDocument& document)
{
    std::vector<TPluginWaveSource> sources;
    sources.reserve(static_cast<size_t>(document.EntryCount()));
    for (int32_t i = 0; i < document.EntryCount(); ++i)
        sources.push_back({document.EntryWave(i), LocalText(QString::fromStdString(document.Entry(i).Caption)), false});
    return sources;
}

// The stored selections read by the rule their hidden texts are read by.
std::vector<TPluginSelection> Selections(const TComposerDocument& document)
{
    std::vector<TPluginSelection> selections;
    for (const TStoredRange& range : document.StoredSelections())
        selections.push_back(ParseStoredSelection({std::to_string(range.Start), std::to_string(range.End)}));
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

    const TComposerDocument& document = *FParts.Document;
    records.emplace(PaneSource(FParts, TPaneId::Working), PaneSource(FParts, TPaneId::Final), ListSources(document),
                    Selections(document));
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
            FParts.Document->AppendEntry(name.toStdString(), std::move(wave));
    } catch (const EPluginResult& refused) {
        Dialogs::ShowMessage(QString::fromLocal8Bit(refused.Message()));
    } catch (const EStreamError&) {
        Dialogs::ShowMessage(QString::fromLatin1(OutOfMemoryText));
    }
}
