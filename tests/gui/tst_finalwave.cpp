// The final wave's own commands. Mix: the working selection mixed in at the final
// selection's start. Save Wave: the dialog's options and memory, the exact file, the
// pane's new name and the remembered folder. A failure of either reaches the report.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <unistd.h>

#include "about/Unit2.h"
#include "app/Application.h"
#include "app/MixCommand.h"
#include "app/main.h"
#include "platform/actions.h"
#include "support/ScriptedDialogs.h"
#include "support/WindowFixture.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TestWaves.h"
#include "view/wavpaint.h"

using namespace testwaves;

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(unreadable)");
}

QString Report(const QString& className, const QString& message, const QString& lastAction)
{
    return "Unhandled exception in \"" + className + "\": " + message + "\rLast action: " + lastAction +
           "\rPlease report the operation that caused this problem...";
}

QString CreateError(const QString& file)
{
    return Report("TForm1", "Datei " + file + " kann nicht erstellt werden", "Save Wave");
}

} // namespace

class TestFinalWave : public QObject {
    Q_OBJECT

private:
    TWindowFixture Fx;

    TTxWavStream& Working() { return *Fx.Window().WorkingPane()->Wave(); }
    TTxWavStream& Final() { return *Fx.Window().FinalPane()->Wave(); }
    void Mix() { QTest::mouseClick(Fx.Window().BtnMix(), Qt::LeftButton); }
    void Save() { Fx.Window().SaveWaveFile()->trigger(); }
    // A file holding "old content" in the test folder.
    QString OldFile()
    {
        const QString path = Fx.Dir().filePath("keep.wav");
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write("old content") != 11)
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private slots:
    void init()
    {
        QVERIFY(Fx.Open(TWindowFixture::TShow::Shown));
        Fx.Window().Folders().SaveInitialDir = QStringLiteral("/start/folder");
    }

    void cleanup() { Fx.Close(); }

    void mixesTheWorkingSelectionAtTheFinalSelection()
    {
        QCOMPARE(Fx.Window().BtnMix()->statusTip(), QString::fromLatin1(MixButtonStatusText));
        Fill(Final(), ByteVector(2000, 128));
        Mix();  // an empty working wave: nothing
        QCOMPARE(Bytes(Final()), ByteVector(2000, 128));

        ByteVector working(5000, 128);
        for (size_t i = 1000; i < 4000; ++i)
            working[i] = i % 2 ? 255 : 1;
        Fill(Working(), working);
        Fx.Window().WorkingPane()->SetSelection(1000, 3999);
        Fx.Window().FinalPane()->SetSelection(1000, 1500);
        Mix();
        // Grown to 4000 with 127s; peak sum 1 + 1/127, so the factor is 127/128.
        QCOMPARE(Final().Size(), 4000);
        const std::pair<int32_t, uint8_t> bytes[] = {{999, 128}, {1000, 2}, {1001, 254}, {3999, 253}};
        for (auto [i, b] : bytes)
            QCOMPARE(Final().GetByte(i), b);
        QCOMPARE(Final().SelStart(), 1000);
        QCOMPARE(Final().SelEnd(), 1500);
        QCOMPARE(Bytes(Working()), working);
        QVERIFY(Fx.Dialogs().Messages.isEmpty());
        QVERIFY(!QApplication::overrideCursor());

        // One step of loudness cannot be mixed; the final wave stays grown to 500 + 3500.
        Fill(Working(), ByteVector(3500, 129));
        Fx.Window().WorkingPane()->SelectAll();
        Fill(Final(), ByteVector(1000, 128));
        Fx.Window().FinalPane()->SetSelection(500, 600);
        Mix();
        QCOMPARE(Fx.Dialogs().Messages,
                 QStringList{Report("QToolButton", "Channel mixer convergation error!", "")});
        QCOMPARE(Final().Size(), 4000);
        QCOMPARE(Final().GetByte(3999), uint8_t(127));
        QVERIFY(!QApplication::overrideCursor());
    }

    void savesTheWholeWaveAndRemembers()
    {
        Save();  // an empty final wave: no dialog
        QVERIFY(Fx.Dialogs().Log.isEmpty());

        Fill(Final(), Iota(1001, 3));
        Fx.Window().FinalPane()->SetSelection(100, 200);
        const QString first = Fx.Dir().filePath("first.wav");
        Fx.Dialogs().SaveAnswers = {first};
        Save();
        QCOMPARE(Fx.Dialogs().SaveRequests.size(), 1);
        const TFileDialogOptions& o = Fx.Dialogs().SaveRequests[0];
        QCOMPARE(QStringList({o.Title, o.Filter, o.DefaultExt, o.InitialDir, o.FileName}),
                 QStringList({"Save WAV", "WAV Files (*.wav)|*.wav", "wav", "/start/folder", ""}));
        QVERIFY(o.OverwritePrompt);
        // 44-byte header (RIFF size 1037, working format, data size 1001), all samples.
        const QByteArray header = QByteArray::fromHex(
            "52494646 0d040000 57415645 666d7420 10000000 0100 0100 22560000 22560000 0100 0800 64617461 e9030000");
        QCOMPARE(ReadAll(first), header + QByteArray(reinterpret_cast<const char*>(Iota(1001, 3).data()), 1001));
        QCOMPARE(Fx.Window().FinalPane()->WaveName, first);
        QCOMPARE(Fx.Window().Folders().SaveInitialDir, Fx.Dir().path());
        QCOMPARE(Final().SelStart(), 100);
        QCOMPARE(Final().SelEnd(), 200);

        // The next dialog opens in that folder and proposes the last name; cancelling
        // changes nothing.
        Save();
        QCOMPARE(Fx.Dialogs().SaveRequests[1].InitialDir, Fx.Dir().path());
        QCOMPARE(Fx.Dialogs().SaveRequests[1].FileName, first);
        QCOMPARE(Fx.Window().FinalPane()->WaveName, first);
        QVERIFY(Fx.Dialogs().Messages.isEmpty());
    }

    void failedSaveChangesNothing()
    {
        Fill(Final(), Iota(500));
        const QString keep = OldFile();
        // A path below a regular file: no one, not even root, can create it.
        const QString impossible = keep + "/new.wav";
        Fx.Dialogs().SaveAnswers = {impossible};
        Save();
        QCOMPARE(Fx.Dialogs().Messages, QStringList{CreateError(impossible)});
        QCOMPARE(Fx.Window().FinalPane()->WaveName, QStringLiteral("Final Wave"));
        QCOMPARE(Fx.Window().Folders().SaveInitialDir, QStringLiteral("/start/folder"));
        QCOMPARE(ReadAll(keep), QByteArray("old content"));
        QCOMPARE(QDir(Fx.Dir().path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{"keep.wav"});
        Save();  // the dialog still proposes the name chosen
        QCOMPARE(Fx.Dialogs().SaveRequests.last().FileName, impossible);
    }

    // A folder without write permission, over a file that is itself writable: no
    // temporary file can be made beside it, so it is written in place.
    void readOnlyFolder()
    {
        if (geteuid() == 0)
            QSKIP("root writes into any folder; the core's tests check this with rights given up");
        Fill(Final(), Iota(500));
        const QString keep = OldFile();
        QFile::setPermissions(Fx.Dir().path(), QFile::ReadOwner | QFile::ExeOwner);
        Fx.Dialogs().SaveAnswers = {keep};
        Save();
        QFile::setPermissions(Fx.Dir().path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(Fx.Dialogs().Messages.isEmpty());
        QCOMPARE(ReadAll(keep).size(), 44 + 500);
        QCOMPARE(Fx.Window().FinalPane()->WaveName, keep);
    }

    // The disk takes only part of the file (here the size limit of the process, as a
    // full disk would): one message names the file and the reason; the old file, the
    // final wave and the pane's name stay, and the program goes on.
    void writeFailureNamesTheFileAndTheReason()
    {
        Fill(Final(), Iota(5000));
        const QString keep = OldFile();
        Fx.Dialogs().SaveAnswers = {keep};
        {
            const TFileSizeLimit limit(4096);
            Save();
        }
        QCOMPARE(Fx.Dialogs().Messages,
                 QStringList{"Could not write \"" + keep + "\": File too large. The final wave was not saved."});
        QCOMPARE(ReadAll(keep), QByteArray("old content"));
        QCOMPARE(QDir(Fx.Dir().path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{"keep.wav"});
        QCOMPARE(Fx.Window().FinalPane()->WaveName, QStringLiteral("Final Wave"));
        QCOMPARE(Fx.Window().Folders().SaveInitialDir, QStringLiteral("/start/folder"));
        QCOMPARE(Bytes(Final()), Iota(5000));
        // Once there is room again, the same save goes through.
        Fx.Dialogs().ClearRecord();
        Fx.Dialogs().SaveAnswers = {keep};
        Save();
        QVERIFY(Fx.Dialogs().Messages.isEmpty());
        QCOMPARE(ReadAll(keep).size(), 44 + 5000);
    }
};

int main(int argc, char** argv)
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    TApplication app(argc, argv);
    TestFinalWave test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_finalwave.moc"
