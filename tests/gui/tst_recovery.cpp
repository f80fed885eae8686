// Crash recovery in the window: the start-up question and what Yes brings into the
// panes and both lists, a damaged or empty folder at start, and the panes' changes
// reaching the folder through their repaints. The folders live in a temporary root.
#include <QTemporaryDir>
#include <QtTest>

#include "app/Application.h"
#include "app/SessionRecovery.h"
#include "app/WavesList.h"
#include "app/SelectionsList.h"
#include "recovery/DurableFile.h"
#include "recovery/RecoveredSession.h"
#include "recovery/RecoveryJournal.h"
#include "support/ScriptedDialogs.h"
#include "support/WindowFixture.h"
#include "view/wavpaint.h"

namespace {

std::unique_ptr<TTxWavStream> Wave(int32_t size, uint8_t first, int32_t selStart, int32_t selEnd)
{
    auto wave = std::make_unique<TTxWavStream>();
    wave->SetFormat(WorkingFormat());
    wave->SetSize(size);
    for (int32_t i = 0; i < size; ++i)
        wave->Memory()[i] = static_cast<uint8_t>(first + i);
    wave->SetSelStart(selStart);
    wave->SetSelEnd(selEnd);
    return wave;
}

// A folder as a killed program leaves it: written by the journal, no lock held.
std::string MakeEndedSession(const QString& root, const std::string& name, bool withWaves = true)
{
    const std::string folder = root.toStdString() + "/session-" + name;
    DurableFile::MakeFolders(folder);
    auto doc = std::make_shared<TComposerDocument>();
    if (withWaves) {
        doc->ReplacePaneWave(TPaneId::Working, *Wave(500, 3, 100, 199));
        doc->ReplacePaneWave(TPaneId::Final, *Wave(300, 9, 0, 299));
        doc->AppendEntry("knock", Wave(200, 1, 0, 199));
        doc->AppendEntry("bell", Wave(100, 2, 0, 99));
        doc->StoreSelection({100, 199});
    }
    TRecoveryWriter writer(folder, nullptr);
    TRecoveryJournal journal(doc, writer, {[](TPaneId p) { return p == TPaneId::Working ? "door" : "mix"; }, nullptr});
    journal.Flush();
    writer.WaitIdle();
    return folder;
}

bool Exists(const std::string& path)
{
    return QFileInfo::exists(QString::fromStdString(path));
}

} // namespace

class TestRecovery : public QObject {
    Q_OBJECT

private:
    TWindowFixture Fx;
    std::unique_ptr<QTemporaryDir> FRoot;

    QString Root() const { return FRoot->path() + QStringLiteral("/Sonovane"); }

private slots:
    void init()
    {
        FRoot = std::make_unique<QTemporaryDir>();
        QVERIFY(Fx.Open());
    }
    void cleanup()
    {
        Fx.Close();
        FRoot.reset();
    }

    void yesBringsTheWavesIntoTheWindowAndTheFolderFollowsThePanes()
    {
        const std::string old = MakeEndedSession(Root(), "old");
        TSessionRecovery recovery(Root());
        Fx.Dialogs().ConfirmAnswers = {true};
        recovery.AskAtStart();
        QCOMPARE(Fx.Dialogs().Log, QStringList{QStringLiteral("Confirm: ") + RestoreQuestionText});
        Fx.Form().KeepForRecovery(recovery);

        auto w = Fx.Window();
        QCOMPARE(w.WorkingPane()->WaveName, QStringLiteral("door"));
        QCOMPARE(w.FinalPane()->WaveName, QStringLiteral("mix"));
        QCOMPARE(w.WorkingPane()->Wave()->Size(), 500);
        QCOMPARE(w.WorkingPane()->SelStart(), 100);
        QCOMPARE(w.WorkingPane()->SelEnd(), 199);
        QCOMPARE(w.WavesList()->topLevelItemCount(), 2);
        QCOMPARE(w.WavesList()->topLevelItem(0)->text(0), QStringLiteral("knock"));
        QCOMPARE(w.WavesList()->topLevelItem(1)->text(0), QStringLiteral("bell"));
        QCOMPARE(w.SelectList()->topLevelItemCount(), 1);

        // The waves are on disk again, in this program's folder: the old one goes.
        recovery.FlushAndWait();
        QVERIFY(!Exists(old));
        const std::string own = recovery.Folder().toStdString();
        QVERIFY(Exists(own));

        // A change in the window reaches the folder by itself, from the pane's repaint:
        // one sample and the selection of the final wave.
        w.FinalPane()->Wave()->SetByte(0, 77);
        w.FinalPane()->SetSelection(10, 20);
        w.FinalPane()->Refresh();
        const auto finalOnDisk = [&own]() -> QString {
            try {
                TComposerDocument doc;
                TRecoveredSession::Load(own).RestoreInto(doc);
                const TTxWavStream& wave = doc.PaneWave(TPaneId::Final);
                return QStringLiteral("%1 %2..%3 %4").arg(wave.GetByte(0)).arg(wave.SelStart()).arg(wave.SelEnd())
                    .arg(doc.EntryCount());
            } catch (const Exception& e) {
                return QString::fromStdString(e.Message());  // caught between two writes
            }
        };
        QTRY_COMPARE_WITH_TIMEOUT(finalOnDisk(), QStringLiteral("77 10..20 2"), 5000);

        recovery.EndSession();
        QVERIFY(!Exists(own));
        QCOMPARE(Fx.Dialogs().Messages, QStringList());
    }

    // What each kind of folder left at start leads to: the dialogs seen, what is left.
    void foldersAtStart_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<QStringList>("left");  // names in the root afterwards
        QTest::addColumn<int>("entries");       // Waves list rows after Attach
        const QString question = QStringLiteral("Confirm: ") + RestoreQuestionText;
        QTest::newRow("No discards it") << "no" << QStringList{question} << QStringList() << 0;
        QTest::newRow("an empty one goes unasked") << "empty" << QStringList() << QStringList() << 0;
        QTest::newRow("a damaged one is reported and set aside")
            << "damaged"
            << QStringList{QStringLiteral("Message: The recovery folder %1/session-x cannot be read (The session list is "
                                          "damaged). It was set aside as %1/damaged-x.")}
            << QStringList{QStringLiteral("damaged-x")} << 0;
    }
    void foldersAtStart()
    {
        QFETCH(QString, kind);
        QFETCH(QStringList, log);
        QFETCH(QStringList, left);
        QFETCH(int, entries);
        const std::string folder = MakeEndedSession(Root(), "x", kind != QLatin1String("empty"));
        if (kind == QLatin1String("damaged")) {
            std::vector<uint8_t> list = DurableFile::Read(folder + "/session");
            list[12] ^= 0xFF;
            DurableFile::Write(folder, "session", list.data(), list.size());
        }
        TSessionRecovery recovery(Root());
        Fx.Dialogs().ConfirmAnswers = {false};
        recovery.AskAtStart();
        for (QString& line : log)
            if (line.contains(QLatin1String("%1")))
                line = line.arg(Root());
        QCOMPARE(Fx.Dialogs().Log, log);
        Fx.Form().KeepForRecovery(recovery);
        QCOMPARE(Fx.Window().WavesList()->topLevelItemCount(), entries);
        recovery.EndSession();
        QCOMPARE(QDir(Root()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), left);
    }
};

int main(int argc, char** argv)
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    qputenv("XDG_STATE_HOME", config.path().toLocal8Bit());
    TApplication app(argc, argv);
    TestRecovery test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_recovery.moc"
