#pragma once
// A dialog hook for benchmarks: every message is kept (a benchmark reports them), every
// question answered No, every file dialog cancelled; nothing waits for a user.

#include <QStringList>

#include "platform/dialogs.h"

class TSilentDialogs : public TDialogHook {
public:
    QStringList Messages;
    void Message(const QString& text) override { Messages << text; }
    bool Confirm(const QString&) override { return false; }
    QStringList OpenFiles(const TFileDialogOptions&) override { return {}; }
    QString SaveFile(const TFileDialogOptions&) override { return {}; }
};
