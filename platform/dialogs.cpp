#include "platform/dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QTimer>

namespace {

const QString kCaption = QStringLiteral("Sonovane");

TDialogHook* gHook = nullptr;

QWidget* DefaultParent()
{
    return QApplication::activeWindow();
}

// The toolkit's save dialog accepts a name in a folder that does not exist and leaves
// the failure to whoever writes the file; the program wants the dialog itself to refuse
// it, with the toolkit's own (translated) wording.
class TSaveFileDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void accept() override
    {
        const QStringList files = selectedFiles();
        if (!files.isEmpty()) {
            const QFileInfo info(files.first());
            if (!info.isDir() && !info.absoluteDir().exists()) {
                QMessageBox::warning(this, windowTitle(),
                    QFileDialog::tr("%1\nDirectory not found.\nPlease verify the correct directory name was given.")
                        .arg(info.absolutePath()));
                return;
            }
        }
        QFileDialog::accept();
    }
};

// The toolkit's file dialog keeps a history of its own (last folder, recent folders,
// view settings) in "QtProject.conf" among the user's settings: it reads it when it is
// made and writes it when it is destroyed, with no switch to stop either. The program
// remembers only its own two folders, so while one of its dialogs lives, the toolkit's
// store points at a place that can neither be read nor created (a folder inside a
// device file, which not even the superuser can make).
class TToolkitHistoryBlock {
public:
    TToolkitHistoryBlock()
        : FPrevious(QFileInfo(QSettings(QSettings::UserScope, QStringLiteral("QtProject")).fileName()).absolutePath())
    {
        QSettings::setPath(QSettings::defaultFormat(), QSettings::UserScope, QStringLiteral("/dev/null"));
    }
    ~TToolkitHistoryBlock() { QSettings::setPath(QSettings::defaultFormat(), QSettings::UserScope, FPrevious); }
    TToolkitHistoryBlock(const TToolkitHistoryBlock&) = delete;
    TToolkitHistoryBlock& operator=(const TToolkitHistoryBlock&) = delete;

private:
    QString FPrevious;
};

void PrepareCommon(QFileDialog& dialog, const TFileDialogOptions& options)
{
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setSizeGripEnabled(true);
    const QString filter = Dialogs::ToQtFilter(options.Filter);
    if (!filter.isEmpty())
        dialog.setNameFilters(filter.split(QStringLiteral(";;")));
    // Without a folder of the program's the dialog would start where an earlier dialog
    // of this run was left, its own memory again; the working folder is the default.
    dialog.setDirectory(options.InitialDir.isEmpty() ? QDir::currentPath() : options.InitialDir);
    if (!options.FileName.isEmpty())
        dialog.selectFile(options.FileName);
}

QString QuotedNames(const QStringList& files)
{
    QStringList quoted;
    for (const QString& file : files)
        quoted << QLatin1Char('"') + QFileInfo(file).fileName() + QLatin1Char('"');
    return quoted.join(QLatin1Char(' '));
}

} // namespace

namespace Dialogs {

TDialogHook* SetHook(TDialogHook* hook)
{
    TDialogHook* previous = gHook;
    gHook = hook;
    return previous;
}

TDialogHook* Hook()
{
    return gHook;
}

void ShowMessage(const QString& text)
{
    if (gHook) {
        gHook->Message(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, kCaption, text, QMessageBox::Ok, DefaultParent());
    box.exec();
}

bool Confirm(const QString& text)
{
    if (gHook)
        return gHook->Confirm(text);
    QMessageBox box(QMessageBox::Question, kCaption, text, QMessageBox::Yes | QMessageBox::No,
                    DefaultParent());
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QStringList GetOpenFileNames(QWidget* parent, const TFileDialogOptions& options,
                             const std::function<void(const QString&)>& onCurrentChanged)
{
    if (gHook)
        return gHook->OpenFilesBrowsing(options, onCurrentChanged);

    const TToolkitHistoryBlock noHistory;
    QFileDialog dialog(parent, options.Title);
    PrepareCommon(dialog, options);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(options.MultiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);

    if (onCurrentChanged) {
        QPointer<QFileDialog> guard(&dialog);
        QObject::connect(&dialog, &QFileDialog::currentChanged, &dialog,
                         [guard, onCurrentChanged](const QString& path) {
            // The view moves its current item before it updates the selection, so the
            // selection is only known once this event has been handled.
            QTimer::singleShot(0, guard.data(), [guard, onCurrentChanged, path] {
                if (!guard)
                    return;
                const QStringList selected = guard->selectedFiles();
                onCurrentChanged(selected.size() > 1 ? QuotedNames(selected) : path);
            });
        });
    }

    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

QString GetSaveFileName(QWidget* parent, const TFileDialogOptions& options)
{
    if (gHook)
        return gHook->SaveFile(options);

    const TToolkitHistoryBlock noHistory;
    TSaveFileDialog dialog(parent, options.Title);
    PrepareCommon(dialog, options);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(options.DefaultExt);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !options.OverwritePrompt);

    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

QString ToQtFilter(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList result;
    // Pairs of description and patterns; a trailing description without patterns is dropped.
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& pattern : patterns)
            pattern = pattern.trimmed();
        patterns.removeAll(QString());
        if (patterns.isEmpty())
            continue;
        const QString list = patterns.join(QLatin1Char(' '));
        const QString suffix = QLatin1Char('(') + list + QLatin1Char(')');
        if (description.isEmpty())
            result << suffix;
        else if (description.endsWith(suffix))
            result << description;
        else
            result << description + QLatin1Char(' ') + suffix;
    }
    return result.join(QStringLiteral(";;"));
}

} // namespace Dialogs
