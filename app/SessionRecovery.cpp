#include "app/SessionRecovery.h"

#include <QEvent>
#include <QFile>
#include <QGuiApplication>
#include <QSessionManager>

#include "platform/dialogs.h"
#include "platform/translations.h"
#include "recovery/DurableFile.h"
#include "recovery/RecoveredSession.h"
#include "recovery/RecoveryError.h"
#include "recovery/RecoveryIoError.h"
#include "recovery/RecoveryJournal.h"
#include "recovery/RecoveryStore.h"
#include "recovery/RecoveryWriter.h"
#include "view/wavpaint.h"

namespace {

QString Local(const std::string& text)
{
    return QString::fromLocal8Bit(text.c_str());
}

// A folder whose waves are in the document again goes; its lock with it.
void RemoveRestored(TRecoveryFolder& folder)
{
    if (!folder.Lock)
        return;
    try {
        DurableFile::RemoveFolder(folder.Path);
    } catch (const ERecoveryIoError&) {
        // Left as it is, it is offered again at the next start: nothing is lost.
    }
    folder.Lock.reset();
}

} // namespace

struct TSessionRecovery::TKept {
    TRecoveryFolder Folder;
    std::unique_ptr<TRecoveredSession> Session;
};

TSessionRecovery::TSessionRecovery(QString root, QObject* parent) : QObject(parent), FRoot(std::move(root))
{
    FTimer.setSingleShot(true);
    FTimer.setInterval(GatherMs);
    connect(&FTimer, &QTimer::timeout, this, [this] { Flush(); });
    // A desktop session that ends may close the window as a user would; the waves are
    // to come back all the same.
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) {
            FKeepOnExit = true;
            FlushAndWait();
        });
    }
}

TSessionRecovery::~TSessionRecovery()
{
    FJournal.reset();
    FWriter.reset();
}

void TSessionRecovery::AskAtStart()
{
    if (FRoot.isEmpty())
        return;
    // The question has the toolkit's German buttons, as every box of the program.
    Translations::InstallToolkitTexts();
    TRecoveryStore store(QFile::encodeName(FRoot).toStdString());
    for (TRecoveryFolder& folder : store.TakeOrphans()) {
        const QString path = Local(folder.Path);
        std::unique_ptr<TRecoveredSession> session;
        try {
            session = std::make_unique<TRecoveredSession>(TRecoveredSession::Load(folder.Path));
        } catch (const ERecoveryDamaged& e) {
            QString text = QStringLiteral("The recovery folder %1 cannot be read (%2).").arg(path, Local(e.Message()));
            try {
                const std::string aside = store.SetAside(folder.Path);
                text += QStringLiteral(" It was set aside as %1.").arg(Local(aside));
            } catch (const ERecoveryIoError& io) {
                text += QStringLiteral(" It could not be set aside: %1.").arg(Local(io.Message()));
            }
            Dialogs::ShowMessage(text);
            continue;
        } catch (const Exception& e) {
            // Not damaged, only too big for now: it stays for a later start.
            Dialogs::ShowMessage(QStringLiteral("The recovery folder %1 cannot be read now: %2").arg(path, Local(e.Message())));
            continue;
        }
        if (!session->IsEmpty() && Dialogs::Confirm(QString::fromLatin1(RestoreQuestionText))) {
            FKept.push_back(std::make_unique<TKept>(TKept{std::move(folder), std::move(session)}));
            continue;
        }
        try {
            DurableFile::RemoveFolder(folder.Path);
        } catch (const ERecoveryIoError& e) {
            Dialogs::ShowMessage(QStringLiteral("The recovery folder %1 cannot be removed: %2").arg(path, Local(e.Message())));
        }
    }
}

void TSessionRecovery::Attach(std::shared_ptr<TComposerDocument> document, TWavPaintBox* working, TWavPaintBox* final)
{
    FDocument = std::move(document);
    FWorking = working;
    FFinal = final;
    for (auto& kept : FKept) {
        kept->Session->RestoreInto(*FDocument);
        FWorking->WaveName = QString::fromStdString(kept->Session->PaneName(TPaneId::Working));
        FFinal->WaveName = QString::fromStdString(kept->Session->PaneName(TPaneId::Final));
    }
    if (!FKept.empty()) {
        FWorking->Refresh();
        FFinal->Refresh();
    }
    if (FRoot.isEmpty())
        return;

    TRecoveryStore store(QFile::encodeName(FRoot).toStdString());
    try {
        FOwn = std::make_unique<TRecoveryFolder>(store.CreateSession());
    } catch (const ERecoveryIoError& e) {
        Dialogs::ShowMessage(QStringLiteral("Sonovane cannot keep the waves for recovery: %1. It runs without "
                                            "crash recovery.")
                                 .arg(Local(e.Message())));
        return;
    }
    FFolder = Local(FOwn->Path);
    FWriter = std::make_unique<TRecoveryWriter>(FOwn->Path, [this](const std::string& reason) {
        const QString text = Local(reason);
        QMetaObject::invokeMethod(this, [this, text] { WriteFailed(text); }, Qt::QueuedConnection);
    });
    TRecoveryJournalHooks hooks;
    hooks.PaneName = [this](TPaneId pane) {
        const TWavPaintBox* box = pane == TPaneId::Working ? FWorking.data() : FFinal.data();
        return box ? box->WaveName.toStdString() : std::string();
    };
    hooks.FlushSoon = [this] {
        if (!FTimer.isActive())
            FTimer.start();
    };
    FJournal = std::make_unique<TRecoveryJournal>(FDocument, *FWriter, hooks);
    // The folders restored go once their waves are on disk again, in this one.
    for (auto& kept : FKept) {
        auto folder = std::make_shared<TRecoveryFolder>(std::move(kept->Folder));
        FRestored.push_back(folder);
        FJournal->AfterNextCommit([folder] { RemoveRestored(*folder); });
    }
    FKept.clear();
    // Whatever the panes show from now on is what they hold.
    working->installEventFilter(this);
    final->installEventFilter(this);
    FTimer.start();
}

bool TSessionRecovery::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint && FJournal) {
        if (watched == FWorking)
            FJournal->PaneMayHaveChanged(TPaneId::Working);
        else if (watched == FFinal)
            FJournal->PaneMayHaveChanged(TPaneId::Final);
    }
    return QObject::eventFilter(watched, event);
}

void TSessionRecovery::Flush()
{
    if (!FJournal)
        return;
    try {
        FJournal->Flush();
    } catch (const Exception& e) {
        // Out of memory for the copy: the waves stay as they are; the next change tries again.
        WriteFailed(Local(e.Message()));
    } catch (const std::bad_alloc&) {
        WriteFailed(QString::fromLatin1(OutOfMemoryText));
    }
}

void TSessionRecovery::FlushAndWait()
{
    FTimer.stop();
    Flush();
    if (FWriter)
        FWriter->WaitIdle();
}

void TSessionRecovery::WriteFailed(const QString& reason)
{
    if (FJournal)
        FJournal->ForgetWritten();
    Dialogs::ShowMessage(QStringLiteral("The waves cannot be kept for recovery: %1. Sonovane tries again with the "
                                        "next change.")
                             .arg(reason));
}

void TSessionRecovery::EndSession()
{
    FTimer.stop();
    if (FKeepOnExit)
        FlushAndWait();
    FJournal.reset();
    if (FWriter)
        FWriter->Stop();
    FWriter.reset();
    if (FOwn && !FKeepOnExit) {
        try {
            DurableFile::RemoveFolder(FOwn->Path);
        } catch (const ERecoveryIoError&) {
            // A folder left behind holds this run's waves; the next start offers them.
        }
        // Closed properly before the restored waves were written again: their old
        // folders are not wanted either.
        for (auto& folder : FRestored)
            RemoveRestored(*folder);
    }
    FRestored.clear();
    FOwn.reset();
}
