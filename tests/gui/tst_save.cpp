// "Save Wave": the dialog's options and memory, the exact file, the pane's new name and
// the remembered folder; a failure reaches the report and changes nothing.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

#include "about/Unit2.h"
#include "app/Application.h"
#include "app/main.h"
#include "platform/actions.h"
#include "support/ScriptedDialogs.h"
#include "tests/support/TestWaves.h"
#include "view/wavpaint.h"

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(unreadable)");
}

QString Report(const QString& message)
{
    return "Unhandled exception in \"TForm1\": " + message +
           "\rLast action: Save Wave\rPlease report the operation that caused this problem...";
}

} // namespace

class TestSave : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TAboutBox> FAbout;
    std::unique_ptr<TForm1> FForm;
    std::unique_ptr<TScriptedDialogs> FDialogs;
    std::unique_ptr<QTemporaryDir> FDir;

    TTxWavStream& Final() { return *FForm->FinalPane->Wave(); }
    void Save() { FForm->SaveWaveFile->trigger(); }

private slots:
    void init()
    {
        FDialogs = std::make_unique<TScriptedDialogs>();
        FAbout = std::make_unique<TAboutBox>();
        FForm = std::make_unique<TForm1>(FAbout.get());
        FForm->show();
        FDir = std::make_unique<QTemporaryDir>();
        FForm->SaveInitialDir = QStringLiteral("/start/folder");
    }

    void cleanup()
    {
        FForm.reset();
        FAbout.reset();
        FDialogs.reset();
        FDir.reset();
    }

    void emptyFinalWaveAsksNothing()
    {
        Save();
        QVERIFY(FDialogs->Log.isEmpty());
    }

    void savesTheWholeWaveAndRemembers()
    {
        testwaves::Fill(Final(), testwaves::Iota(1001, 3));
        Final().SetSelStart(100);
        Final().SetSelEnd(200);
        const QString first = FDir->filePath("first.wav");
        FDialogs->SaveAnswers = {first};
        Save();

        QCOMPARE(FDialogs->SaveRequests.size(), 1);
        const TFileDialogOptions& o = FDialogs->SaveRequests[0];
        QCOMPARE(o.Title, QStringLiteral("Save WAV"));
        QCOMPARE(o.Filter, QStringLiteral("WAV Files (*.wav)|*.wav"));
        QCOMPARE(o.DefaultExt, QStringLiteral("wav"));
        QVERIFY(o.OverwritePrompt);
        QCOMPARE(o.InitialDir, QStringLiteral("/start/folder"));
        QCOMPARE(o.FileName, QString());

        // 44-byte header (RIFF size 1037, working format, data size 1001), all samples.
        const QByteArray expected =
            QByteArray::fromHex("52494646" "0d040000" "57415645" "666d7420" "10000000" "0100" "0100"
                                "22560000" "22560000" "0100" "0800" "64617461" "e9030000") +
            QByteArray(reinterpret_cast<const char*>(testwaves::Iota(1001, 3).data()), 1001);
        QCOMPARE(ReadAll(first), expected);
        QCOMPARE(FForm->FinalPane->WaveName, first);
        QCOMPARE(FForm->SaveInitialDir, FDir->path());
        QCOMPARE(FDialogs->Messages, QStringList());
        // The wave and its selection stay as they were.
        QCOMPARE(Final().Size(), 1001);
        QCOMPARE(Final().SelStart(), 100);
        QCOMPARE(Final().SelEnd(), 200);

        // The next dialog opens in that folder and proposes the last name; cancelling
        // changes nothing.
        Save();
        QCOMPARE(FDialogs->SaveRequests.size(), 2);
        QCOMPARE(FDialogs->SaveRequests[1].InitialDir, FDir->path());
        QCOMPARE(FDialogs->SaveRequests[1].FileName, first);
        QCOMPARE(FForm->FinalPane->WaveName, first);
        QVERIFY(FDialogs->Messages.isEmpty());
    }

    void failureIsReportedAndChangesNothing()
    {
        testwaves::Fill(Final(), testwaves::Iota(500));
        const QString keep = FDir->filePath("keep.wav");
        QFile f(keep);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("old content");
        f.close();

        // A path below a regular file: no one, not even root, can create it.
        const QString impossible = keep + "/new.wav";
        FDialogs->SaveAnswers = {impossible};
        Save();
        QCOMPARE(FDialogs->Messages, QStringList{Report("Datei " + impossible + " kann nicht erstellt werden")});
        QCOMPARE(FForm->FinalPane->WaveName, QStringLiteral("Final Wave"));
        QCOMPARE(FForm->SaveInitialDir, QStringLiteral("/start/folder"));
        QCOMPARE(ReadAll(keep), QByteArray("old content"));
        QCOMPARE(QDir(FDir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{"keep.wav"});
        // The dialog still proposes the name that was chosen.
        Save();
        QCOMPARE(FDialogs->SaveRequests.last().FileName, impossible);
    }

    // A folder without write permission, over a file that is itself writable.
    void readOnlyFolder()
    {
        if (geteuid() == 0)
            QSKIP("root writes into any folder; the core's tests check this with rights given up");
        testwaves::Fill(Final(), testwaves::Iota(500));
        const QString keep = FDir->filePath("keep.wav");
        QFile f(keep);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("old content");
        f.close();
        QFile::setPermissions(FDir->path(), QFile::ReadOwner | QFile::ExeOwner);
        FDialogs->SaveAnswers = {keep};
        Save();
        QFile::setPermissions(FDir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(FDialogs->Messages, QStringList{Report("Datei " + keep + " kann nicht erstellt werden")});
        QCOMPARE(ReadAll(keep), QByteArray("old content"));
        QCOMPARE(FForm->FinalPane->WaveName, QStringLiteral("Final Wave"));
    }
};

int main(int argc, char** argv)
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    TApplication app(argc, argv);
    TestSave test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_save.moc"
