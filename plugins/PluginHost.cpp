#include "plugins/PluginHost.h"

#include <QCoreApplication>
#include <QFile>
#include <QToolButton>

#include "platform/actions.h"
#include "platform/dialogs.h"
#include "platform/dynlib.h"
#include "plugins/PluginHelperError.h"
#include "plugins/PluginHelperProtocol.h"
#include "plugins/PluginIcons.h"
#include "plugins/PluginScanHelper.h"
#include "plugins/PluginScan.h"

std::string PluginLibraryPath(const QString& fileName)
{
    // As the library loader resolves a bare name: in the plug-in folder.
    const std::string name = QFile::encodeName(fileName).toStdString();
    return name.find('/') == std::string::npos ? LibraryFolder() + name : name;
}

TPluginHost::TPluginHost(TPluginHostParts parts)
    : Pause([](uint32_t ms) { Sleep(ms); }),
      HelperProgram(QCoreApplication::applicationDirPath() + QLatin1Char('/') +
                    QString::fromLatin1(PluginHelperProtocol::ProgramName)),
      FParts(std::move(parts)), FLoader(FParts), FRunner(FParts, HelperProgram)
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
    // One helper reads the libraries one after another; one that a library ended is
    // followed by a new one. A helper that cannot be started at all is told once.
    TPluginScanHelper helper(QFile::encodeName(HelperProgram).toStdString());
    bool told = false;
    FLoader.ReadLibrary = [&](const QString& fileName) {
        const std::string path = PluginLibraryPath(fileName);
        if (ReadLibrary)
            return ReadLibrary(path);
        try {
            return helper.Read(path);
        } catch (const EPluginHelper& cannotStart) {
            if (!told)
                Dialogs::ShowMessage(QString::fromLocal8Bit(cannotStart.what()));
            told = true;
            return TScannedLibrary::NotLoaded();
        }
    };
    scan.LoadLibrary = [this](const QString& fileName) { FLoader.Load(fileName); };
    const int found = scan.Run();
    FLoader.ReadLibrary = nullptr;
    return found;
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
