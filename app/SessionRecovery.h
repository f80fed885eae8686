#pragma once
// Crash recovery for the program: at start, the folders of programs that ended without
// closing are offered back ("Sonovane was not closed properly. ..."), a damaged one is
// reported and set aside; while the program runs, every change of the document and of
// the panes is kept in a folder of this program (the journal compares and copies on
// this thread, a writer thread writes); a clean exit removes that folder. An exit
// because the desktop session ends keeps it, so the waves come back at the next start.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <memory>
#include <vector>

#include "document/ComposerDocument.h"

class TRecoveredSession;
class TRecoveryJournal;
class TRecoveryWriter;
class TWavPaintBox;
struct TRecoveryFolder;

// The question asked at start for a folder of an ended program.
inline constexpr const char* RestoreQuestionText =
    "Sonovane was not closed properly. Restore the waves of the last session?";

class TSessionRecovery : public QObject {
public:
    // root holds the recovery folders of all programs of the user
    // (TRecoveryStore::DefaultRoot() for the program; empty: no recovery at all).
    explicit TSessionRecovery(QString root, QObject* parent = nullptr);
    // Stops writing and lets the folder go without removing it, as an ended program does.
    ~TSessionRecovery() override;

    // Before the window is made: every folder of an ended program is read whole; one
    // that does not read is reported in one message and set aside, one that holds
    // nothing is removed; for the others the question is asked: Yes keeps it for Attach,
    // No removes it.
    void AskAtStart();
    // The window is up: what Yes kept goes into the document and the panes (their
    // names, waves, selections), then this program's own folder is made and kept in step
    // with the document. The folders restored go once their waves are in the new one.
    void Attach(std::shared_ptr<TComposerDocument> document, TWavPaintBox* working, TWavPaintBox* final);
    // The clean end: the writing stops and this program's folder is removed, unless the
    // desktop session is ending.
    void EndSession();

    // Writes what changed now and waits until it is on disk (the session's end, tests).
    void FlushAndWait();
    // This program's folder; empty before Attach or when none could be made.
    QString Folder() const { return FFolder; }

    // How long changes gather before they are written: a drag of the selection becomes
    // one write, not one per pointer move.
    static constexpr int GatherMs = 250;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Flush();
    void WriteFailed(const QString& reason);

    QString FRoot;
    QString FFolder;
    struct TKept;
    std::vector<std::unique_ptr<TKept>> FKept;  // what Yes kept, in the order asked
    std::shared_ptr<TComposerDocument> FDocument;
    QPointer<TWavPaintBox> FWorking;
    QPointer<TWavPaintBox> FFinal;
    std::unique_ptr<TRecoveryFolder> FOwn;
    // The folders restored; each goes once its waves are written again here, or at a
    // proper exit before that.
    std::vector<std::shared_ptr<TRecoveryFolder>> FRestored;
    std::unique_ptr<TRecoveryWriter> FWriter;
    std::unique_ptr<TRecoveryJournal> FJournal;
    QTimer FTimer;
    bool FKeepOnExit = false;
};
