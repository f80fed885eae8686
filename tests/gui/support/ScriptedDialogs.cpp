#include "ScriptedDialogs.h"

TScriptedDialogs::TScriptedDialogs()
    : FPrevious(Dialogs::SetHook(this))
{
}

TScriptedDialogs::~TScriptedDialogs()
{
    Dialogs::SetHook(FPrevious);
}

void TScriptedDialogs::ClearRecord()
{
    Messages.clear();
    Questions.clear();
    OpenRequests.clear();
    SaveRequests.clear();
    Log.clear();
}

void TScriptedDialogs::Message(const QString& text)
{
    Messages << text;
    Log << QStringLiteral("Message: ") + text;
    if (OnMessage)
        OnMessage(text);
}

bool TScriptedDialogs::Confirm(const QString& text)
{
    Questions << text;
    Log << QStringLiteral("Confirm: ") + text;
    if (OnConfirm)
        OnConfirm(text);
    return ConfirmAnswers.isEmpty() ? DefaultConfirm : ConfirmAnswers.takeFirst();
}

QStringList TScriptedDialogs::OpenFiles(const TFileDialogOptions& options)
{
    return OpenFilesBrowsing(options, {});
}

QStringList TScriptedDialogs::OpenFilesBrowsing(const TFileDialogOptions& options,
                                                const std::function<void(const QString&)>& onCurrentChanged)
{
    OpenRequests << options;
    Log << QStringLiteral("Open: ") + options.Title;
    const QStringList browsed = OpenBrowsing.isEmpty() ? QStringList() : OpenBrowsing.takeFirst();
    if (onCurrentChanged)
        for (const QString& file : browsed)
            onCurrentChanged(file);
    return OpenAnswers.isEmpty() ? QStringList() : OpenAnswers.takeFirst();
}

QString TScriptedDialogs::SaveFile(const TFileDialogOptions& options)
{
    SaveRequests << options;
    Log << QStringLiteral("Save: ") + options.Title;
    return SaveAnswers.isEmpty() ? QString() : SaveAnswers.takeFirst();
}
