// Commands of the window itself: opening files (with the preview), exit, select all,
// the precision menu, the About command, the Plugins menu and the two application
// hooks (last action, unhandled-error report).
#include "app/main.h"

#include <QFile>
#include <QFileInfo>
#include <QMenu>

#include "about/Unit2.h"
#include "app/Application.h"
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
    TFileDialogOptions options;
    options.Title = QStringLiteral("Open WAV");
    options.Filter = OpenDialogFilter();
    options.InitialDir = OpenInitialDir;
    options.MultiSelect = true;
    const QStringList files = Dialogs::GetOpenFileNames(
        this, options, [this](const QString& current) { Open1SelectionChange(current); });
    // The preview name is forgotten on every way out, so the next dialog previews again.
    struct TPreviewReset {
        QString& Name;
        ~TPreviewReset() { Name.clear(); }
    } previewReset{PreviewName};
    if (files.isEmpty())
        return;
    OpenInitialDir = QFileInfo(files.first()).absolutePath();
    Opener->OpenFiles(files);
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
    if (fileName == PreviewName)
        return;
    const QFileInfo info(fileName);
    if (!info.isFile() || !fileName.toLower().endsWith(QLatin1String(".wav")))
        return;
    TJvWavePlayer& player = Player->WPlayer();
    player.SourceType = frFile;
    player.FileName = QFile::encodeName(fileName).toStdString();
    player.SetLoop(false);
    player.SetAsynchronous(true);
    // A preview that cannot play is not worth a message.
    player.Play();
    PreviewName = fileName;
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
    Player->PlayRange(*Sample, 0, 0, false);
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
    const QString className =
        sender ? QString::fromLatin1(sender->metaObject()->className()) : QString();
    Dialogs::ShowMessage(UnhandledErrorText(className, ErrorMessage(error), LastActionText));
}
