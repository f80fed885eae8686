// Commands of the window itself: opening files (with the preview), exit, select all,
// the precision menu, the About command, the Plugins menu, the two application hooks
// (last action, unhandled-error report) and the demonstration hook.
#include "app/main.h"

#include <QMenu>

#include "about/Unit2.h"
#include "app/Application.h"
#include "app/DemoWaves.h"
#include "app/RangePlayer.h"
#include "app/WaveOpener.h"
#include "app/WaveSaver.h"
#include "app/MixCommand.h"
#include "platform/actions.h"
#include "platform/dialogs.h"
#include "plugins/PluginHost.h"
#include "view/wavpaint.h"

void TForm1::OpenWaveFileExecute()
{
    Opener->OpenWithDialog();
}

void TForm1::SetNoDelay(bool noDelay)
{
    NoDelay = noDelay;
}

void TForm1::SetPluginFolder(const QString& folder)
{
    Plugins->Parts().ProgramDir = folder;
}

void TForm1::OpenFiles(const QStringList& fileNames)
{
    Opener->OpenFiles(fileNames);
}

void TForm1::SaveWaveFileExecute()
{
    Saver->SaveWaveFileExecute();
}

void TForm1::BtnMixClick()
{
    Mixer->Execute();
}

void TForm1::Open1SelectionChange(const QString& fileName)
{
    Opener->Preview(fileName);
}

void TForm1::ExitProgExecute()
{
    close();
}

void TForm1::SelAll1Execute()
{
    WorkingPane->SelectAll();
}

void TForm1::BtnSelAll2Click()
{
    FinalPane->SelectAll();
}

void TForm1::PrecisionClick(int32_t precision)
{
    WorkingPane->Precision = precision;
    FinalPane->Precision = precision;
    WorkingPane->Repaint();
    FinalPane->Repaint();
}

void TForm1::About1Click()
{
    // The sample keeps playing while the box is open.
    Player->PlayRange(*Player->Sample(), 0, 0, false);
    AboutBox->ShowModal();
}

void TForm1::PlugInMenuClick()
{
    if (PlugInMenu->isEmpty())
        Dialogs::ShowMessage(QStringLiteral("No plugins installed!"));
}

void TForm1::PluginActionsExecute(TAction* action)
{
    Plugins->PluginActionsExecute(action);
}

void TForm1::RunPluginFilter(QObject* sender)
{
    Plugins->RunPluginFilter(sender);
}

void TForm1::VersionMissExecute()
{
    Plugins->VersionMissExecute();
}

void TForm1::ApplicationEvents1ActionExecute(QObject* action)
{
    if (auto* a = qobject_cast<TAction*>(action))
        LastActionText = a->Caption();
    else
        LastActionText = QStringLiteral("Uncertain");
}

void TForm1::ApplicationEvents1Exception(QObject* sender, const std::exception* error)
{
    TApplication::ShowErrorReport(sender, error, LastActionText);
}

void TForm1::LoadDemoWaves(const QStringList& fileNames)
{
    ::LoadDemoWaves(*Opener, *WavesList, *WorkingPane, *FinalPane, fileNames);
}
