#include "plugins/PluginRunner.h"

#include <QFile>
#include <QWidget>
#include <optional>
#include <string>

#include "platform/actions.h"
#include "platform/dialogs.h"
#include "plugins/FilterCall.h"
#include "plugins/FilterRunWait.h"
#include "plugins/PluginHelperError.h"
#include "plugins/PluginHelperProcess.h"
#include "plugins/PluginHelperProtocol.h"
#include "plugins/PluginResult.h"
#include "plugins/ReturnedRecord.h"
#include "plugins/SharedPluginRecords.h"
#include "plugins/StoredSelection.h"

using namespace PluginHelperProtocol;

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

void Show(const char* text)
{
    Dialogs::ShowMessage(QString::fromLatin1(text));
}

// What the user reads when the helper ended before it answered.
QString EndText(const QString& fileName, const QString& filterName, const TPluginHelperEnd& end, bool stopped)
{
    if (stopped)
        return QString::fromLatin1(PluginRunText::Stopped).arg(fileName, filterName);
    return QString::fromLatin1(end.Signalled ? PluginRunText::Crashed : PluginRunText::Quit)
        .arg(fileName, filterName, QString::fromStdString(end.Description()));
}

} // namespace

TPluginRunner::TPluginRunner(const TPluginHostParts& parts, const QString& helperProgram)
    : FParts(parts), FHelperProgram(helperProgram)
{
}

void TPluginRunner::RunPluginFilter(QObject* sender)
{
    auto* action = qobject_cast<TAction*>(sender);
    if (!action)
        return;
    const QString fileName = action->Category();
    const QString filterName = action->Caption();

    // The records are copies: nothing of the program's changes until the run is over.
    const TComposerDocument& document = *FParts.Document;
    std::optional<TSharedPluginRecords> records;
    std::erase_if(FEnding, [](const std::unique_ptr<TPluginHelperProcess>& ending) { return ending->Reap(); });
    auto owned = std::make_unique<TPluginHelperProcess>();
    TPluginHelperProcess& helper = *owned;
    try {
        records.emplace(PaneSource(FParts, TPaneId::Working), PaneSource(FParts, TPaneId::Final),
                        ListSources(document), Selections(document));
        helper.Start(QFile::encodeName(FHelperProgram).toStdString(), RunMode, records->Fd());
    } catch (const EPluginHelper& cannot) {
        Dialogs::ShowMessage(QString::fromLocal8Bit(cannot.what()));
        return;
    }
    TFilterCallRequest call;
    call.LibraryPath = PluginLibraryPath(fileName);
    call.ProcName = LocalText(action->Hint());
    call.WindowId = FParts.MainWindow ? static_cast<uint64_t>(FParts.MainWindow->window()->winId()) : 0;
    TPluginMessage request(RunRequest);
    call.Put(request);
    helper.Channel().Send(request);  // a helper gone already shows below

    TFilterRunWait wait(FParts.MainWindow, fileName, filterName);
    const bool answered = wait.Wait(helper.Channel().Fd(), [&helper] { helper.Kill(); });
    TPluginMessage answer;
    if (!answered || helper.Channel().Receive(answer) != TPluginChannel::TReceived::Message ||
        answer.Type != RunOutcome) {
        const TPluginHelperEnd end = helper.Wait();
        Dialogs::ShowMessage(EndText(fileName, filterName, end, !answered));
        return;
    }
    // It unloaded the library and sent all it had; its exit costs the user no time.
    helper.Channel().Close();
    FEnding.push_back(std::move(owned));

    std::optional<TReturnedRecord> returned;
    int32_t outcome = 0;
    try {
        outcome = answer.TakeInt32();
        if (outcome == Returned)
            returned = TReturnedRecord::Take(answer);
    } catch (const EPluginHelper& nonsense) {
        Dialogs::ShowMessage(QString::fromLocal8Bit(nonsense.what()));
        return;
    }
    switch (outcome) {
    case CannotLoad:
        return Show(PluginRunText::CannotLoad);
    case MissingInit:
        return Show(PluginRunText::MissingInit);
    case MissingProc:
        return Show(PluginRunText::MissingProc);
    case VersionMismatch:
        return Show(PluginRunText::VersionMismatch);
    default:
        break;
    }

    // The filter returned: what it changed in place is the program's now. As before,
    // the panes show it at their next repaint and no undo step is recorded.
    std::vector<const TTxWavStream*> alive{&FParts.Document->PaneWave(TPaneId::Working),
                                           &FParts.Document->PaneWave(TPaneId::Final)};
    for (int32_t i = 0; i < FParts.Document->EntryCount(); ++i)
        alive.push_back(FParts.Document->EntryWave(i));
    records->TakeOverSamples(alive);
    if (!returned)
        return;
    TPluginWave result = returned->Record();
    const QString name = QString::fromLocal8Bit(ReturnedName(result));
    if (FParts.ShowStatus)
        FParts.ShowStatus(name);
    try {
        if (std::unique_ptr<TTxWavStream> wave = MakeReturnedWave(result))
            FParts.Document->AppendEntry(name.toStdString(), std::move(wave));
    } catch (const EPluginResult& refused) {
        Dialogs::ShowMessage(QString::fromLocal8Bit(refused.Message()));
    } catch (const EStreamError&) {
        Dialogs::ShowMessage(QString::fromLatin1(OutOfMemoryText));
    }
}
