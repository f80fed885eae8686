#include "plugins/PluginHost.h"

#include <QToolButton>

#include "platform/actions.h"
#include "platform/dialogs.h"
#include "platform/dynlib.h"
#include "plugins/PluginIcons.h"
#include "plugins/PluginScan.h"

TPluginHost::TPluginHost(TPluginHostParts parts)
    : Pause([](uint32_t ms) { Sleep(ms); }), FParts(std::move(parts)), FLoader(FParts), FRunner(FParts)
{
    FLoader.OnRunFilter = [this](TAction* action) {
        if (OnRunFilter)
            OnRunFilter(action);
        else
            RunPluginFilter(action);
    };
}

int TPluginHost::PluginScanMessage(bool noDelay)
{
    TPluginScan scan(FParts.MainWindow, FParts.Splash, FParts.ProgramDir, noDelay);
    const auto pause = [this](uint32_t ms) {
        if (Pause)
            Pause(ms);
    };
    scan.Pause = pause;
    FLoader.Pause = pause;
    FLoader.NoDelay = noDelay;
    scan.LoadLibrary = [this](const QString& fileName) { FLoader.Load(fileName); };
    return scan.Run();
}

void TPluginHost::PluginActionsExecute(TAction* action)
{
    if (FParts.StopPlaying)
        FParts.StopPlaying();
    if (!action || !FParts.BtnQuickPlug)
        return;
    QToolButton* button = FParts.BtnQuickPlug;
    button->setDefaultAction(action);
    button->setToolTip(action->Caption());
    button->setStatusTip(action->Caption());
    button->setIcon(PluginIcons::Icon(PluginIcons::QuickButton));
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
}

void TPluginHost::RunPluginFilter(QObject* sender)
{
    FRunner.RunPluginFilter(sender);
}

void TPluginHost::VersionMissExecute()
{
    Dialogs::ShowMessage(QString::fromLatin1(VersionMissText));
}
