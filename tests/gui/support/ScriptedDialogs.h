#pragma once
// A dialog hook for GUI tests: installed for its lifetime, it records every message,
// question and file dialog in order and answers them from scripts, so no test ever
// waits on a modal window.
//
//   TScriptedDialogs dialogs;                 // installed now, removed at scope end
//   dialogs.ConfirmAnswers = {true, false};   // first question Yes, second No
//   dialogs.OpenAnswers = {{"/tmp/a.wav", "/tmp/b.wav"}};
//   ...run the command...
//   QCOMPARE(dialogs.Messages, QStringList{"Error: ..."});
//   QCOMPARE(dialogs.Log, QStringList{"Confirm: Are you sure ...", "Message: ..."});

#include "platform/dialogs.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class TScriptedDialogs : public TDialogHook {
public:
    TScriptedDialogs();   // installs itself as the hook
    ~TScriptedDialogs() override;  // puts the previous hook back
    TScriptedDialogs(const TScriptedDialogs&) = delete;
    TScriptedDialogs& operator=(const TScriptedDialogs&) = delete;

    // --- what was asked, in order -----------------------------------------------
    QStringList Messages;                       // texts of ShowMessage
    QStringList Questions;                      // texts of Confirm
    QList<TFileDialogOptions> OpenRequests;     // options of each open dialog
    QList<TFileDialogOptions> SaveRequests;     // options of each save dialog
    // Everything together: "Message: <text>", "Confirm: <text>", "Open: <title>",
    // "Save: <title>".
    QStringList Log;

    // --- scripted answers, consumed front first ----------------------------------
    QList<bool> ConfirmAnswers;                 // when used up: DefaultConfirm
    bool DefaultConfirm = false;
    QList<QStringList> OpenAnswers;             // when used up: cancelled (empty list)
    QStringList SaveAnswers;                    // when used up: cancelled (empty text)
    // Files the simulated user points at in the next open dialog before answering;
    // each one is reported through the dialog's pointed-at-file notification.
    QList<QStringList> OpenBrowsing;

    // Optional callbacks, run after recording (e.g. to act while a "dialog is up").
    std::function<void(const QString&)> OnMessage;
    std::function<void(const QString&)> OnConfirm;

    // Forgets what was recorded; the scripts stay.
    void ClearRecord();
    QString LastMessage() const { return Messages.isEmpty() ? QString() : Messages.last(); }

    // TDialogHook
    void Message(const QString& text) override;
    bool Confirm(const QString& text) override;
    QStringList OpenFiles(const TFileDialogOptions& options) override;
    QString SaveFile(const TFileDialogOptions& options) override;
    QStringList OpenFilesBrowsing(const TFileDialogOptions& options,
                                  const std::function<void(const QString&)>& onCurrentChanged) override;

private:
    TDialogHook* FPrevious = nullptr;
};
