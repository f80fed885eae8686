#pragma once
// Message boxes, confirmations and the file dialogs. Every one of them can be answered
// by a test hook, so no test ever blocks on a modal window.

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

struct TFileDialogOptions {
    QString Title;            // "Open WAV", "Save WAV"
    QString Filter;           // in the program's own form: "WAV Files (*.wav)|*.wav"
    QString InitialDir;       // may be empty: the working folder
    QString FileName;         // proposed name (save dialog)
    QString DefaultExt;       // "wav": appended when the typed name has none
    bool MultiSelect = false;
    bool OverwritePrompt = false;
};

// Answers every dialog while installed (tests). Methods record and return scripted answers.
class TDialogHook {
public:
    virtual ~TDialogHook() = default;
    virtual void Message(const QString& text) = 0;
    virtual bool Confirm(const QString& text) = 0;                         // true = Yes
    virtual QStringList OpenFiles(const TFileDialogOptions& options) = 0;  // empty = cancelled
    virtual QString SaveFile(const TFileDialogOptions& options) = 0;       // empty = cancelled

    // The open dialog with its "pointed-at file" notifications. A hook that wants to
    // simulate the user browsing calls onCurrentChanged (which may be empty) for each
    // file it points at before answering; the default just answers.
    virtual QStringList OpenFilesBrowsing(const TFileDialogOptions& options,
                                          const std::function<void(const QString&)>& onCurrentChanged)
    {
        (void)onCurrentChanged;
        return OpenFiles(options);
    }
};

namespace Dialogs {
// Installs (or, with nullptr, removes) the hook; returns the previous one.
TDialogHook* SetHook(TDialogHook* hook);
TDialogHook* Hook();

// Modal box with caption "Sonovane", the text and one OK button.
void ShowMessage(const QString& text);
// Confirmation with a question icon and the buttons Yes and No; true for Yes.
bool Confirm(const QString& text);
// The file dialogs neither read nor write the toolkit's own history of folders: the
// program remembers its folders itself.
// The toolkit's own open dialog (so it can report the pointed-at file): several files
// when MultiSelect; empty list when cancelled. onCurrentChanged sees each pointed-at file.
// With several files selected it sees their names quoted and joined by blanks, which
// names no single file, just as the name box shows them.
QStringList GetOpenFileNames(QWidget* parent, const TFileDialogOptions& options,
                             const std::function<void(const QString&)>& onCurrentChanged = {});
// Save dialog; empty when cancelled. Appends DefaultExt, asks before overwriting.
QString GetSaveFileName(QWidget* parent, const TFileDialogOptions& options);

// "WAV Files (*.wav)|*.wav|All (*.*)|*.*" -> "WAV Files (*.wav);;All (*.*)".
// A description that does not already end in its patterns gets them appended in
// parentheses, which is where the toolkit's dialog reads its patterns from.
QString ToQtFilter(const QString& filter);
} // namespace Dialogs
