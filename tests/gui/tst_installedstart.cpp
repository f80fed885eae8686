// Started the way a desktop starts an installed program: files on the command line open
// into the Waves list beside the two switches, and the plug-ins are looked for in the
// installed plug-in folder when none lie beside the program.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include "about/Unit2.h"
#include "app/CommandLine.h"
#include "app/PluginFolder.h"
#include "app/Startup.h"
#include "app/WavesList.h"
#include "app/main.h"
#include "platform/dynlib.h"
#include "support/Form1TestAccess.h"
#include "support/ScriptedDialogs.h"
#include "wave/Wavs_ex.h"

namespace {

// A working-format file of n samples.
void WriteWave(const QString& fileName, int n)
{
    TTxWavStream wave;
    wave.SetFormat(WorkingFormat());
    const std::vector<uint8_t> bytes(size_t(n), uint8_t(140));
    wave.Write(bytes.data(), n);
    wave.SaveToFile(QFile::encodeName(fileName).toStdString());
}

QStringList Captions(const TWavesList& list)
{
    QStringList captions;
    for (int i = 0; i < list.topLevelItemCount(); ++i)
        captions << list.topLevelItem(i)->text(0) + QLatin1Char(' ') +
                        QString::number(TWavesList::EntryWave(list.topLevelItem(i))->Size());
    return captions;
}

void Touch(const QString& fileName)
{
    QDir().mkpath(QFileInfo(fileName).absolutePath());
    QFile(fileName).open(QIODevice::WriteOnly);
}

} // namespace

class TestInstalledStart : public QObject {
    Q_OBJECT

private:
    QTemporaryDir FDir;
    TScriptedDialogs* FDialogs = nullptr;

    QString File(const char* name) const { return FDir.filePath(QString::fromLatin1(name)); }

private slots:
    void initTestCase()
    {
        QVERIFY(FDir.isValid());
        qputenv("XDG_CONFIG_HOME", FDir.filePath(QStringLiteral("config")).toLocal8Bit());
        WriteWave(File("door.wav"), 300);
        WriteWave(File("bell.wav"), 500);
    }

    void init() { FDialogs = new TScriptedDialogs; }
    void cleanup()
    {
        delete FDialogs;
        FDialogs = nullptr;
    }

    void filesOfTheCommandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("files");
        const QString cwd = QDir::currentPath() + QLatin1Char('/');
        QTest::newRow("none") << QStringList{} << QStringList{};
        QTest::newRow("switch alone") << QStringList{"-noplugin"} << QStringList{};
        QTest::newRow("switch, file") << QStringList{"-nodelay", "/a.wav"} << QStringList{"/a.wav"};
        QTest::newRow("files only") << QStringList{"/b.wav", "/a.wav"} << QStringList{"/b.wav", "/a.wav"};
        QTest::newRow("second switch is a file") << QStringList{"-nodelay", "-noplugin"} << QStringList{cwd + "-noplugin"};
        QTest::newRow("capitals are a file") << QStringList{"-NODELAY"} << QStringList{cwd + "-NODELAY"};
        QTest::newRow("relative made absolute") << QStringList{"snd/x.wav"} << QStringList{cwd + "snd/x.wav"};
        QTest::newRow("empty names nothing") << QStringList{"", "/a.wav", ""} << QStringList{"/a.wav"};
    }

    void filesOfTheCommandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, files);
        QCOMPARE(CommandLineFiles(arguments), files);
    }

    void twoFilesOpenInOrder()
    {
        TStartup s = RunStartup({File("door.wav"), File("bell.wav")});
        QVERIFY(s.PluginScanPosted);
        QVERIFY(!TForm1TestAccess(*s.Form1).NoDelay());
        TForm1TestAccess(*s.Form1).NoDelay() = true;  // the scan's pauses are not what is tested here
        QTRY_COMPARE(Captions(*TForm1TestAccess(*s.Form1).WavesList()), (QStringList{"door 300", "bell 500"}));
        QVERIFY(FDialogs->Messages.isEmpty());
        // Opened as "Open Wave" opens, which leaves the dialog's folder to the dialog.
        QVERIFY(TForm1TestAccess(*s.Form1).Folders().OpenInitialDir.isEmpty());
    }

    void switchesStillHoldBeforeFiles()
    {
        {
            TStartup s = RunStartup({QStringLiteral("-noplugin"), File("bell.wav")});
            QVERIFY(!s.PluginScanPosted);
            // No scan comes to close the splash: the file opens all the same.
            QTRY_COMPARE(Captions(*TForm1TestAccess(*s.Form1).WavesList()), QStringList{"bell 500"});
            QVERIFY(s.AboutBox->isVisible());
        }
        TStartup s = RunStartup({QStringLiteral("-nodelay"), File("missing.wav"), File("door.wav")});
        QVERIFY(s.PluginScanPosted);
        QVERIFY(TForm1TestAccess(*s.Form1).NoDelay());
        bool splashUp = true;
        FDialogs->OnMessage = [&](const QString&) { splashUp = s.AboutBox->isVisible(); };
        QTRY_COMPARE(Captions(*TForm1TestAccess(*s.Form1).WavesList()), QStringList{"door 300"});
        // The failing file is named in full, in front of the window once the scan has
        // closed the splash; the file after it opens all the same.
        QCOMPARE(FDialogs->Messages.size(), 1);
        QVERIFY2(FDialogs->Messages[0].startsWith("Error opening file \"" + File("missing.wav") + "\": "),
                 qPrintable(FDialogs->Messages[0]));
        QVERIFY(!splashUp);
    }

    void pluginFolder_data()
    {
        QTest::addColumn<QStringList>("files");   // below the prefix
        QTest::addColumn<QString>("expected");    // below the prefix
        const QString installed = QDir::cleanPath("bin/" + InstalledPluginSubfolder()) + "/";
        QTest::newRow("kit beside") << QStringList{"bin/sonovane", "bin/a.txf"} << "bin/";
        QTest::newRow("capital extension beside") << QStringList{"bin/A.TXF"} << "bin/";
        QTest::newRow("installed") << QStringList{"bin/sonovane", installed + "a.txf"} << installed;
        QTest::newRow("installed, empty") << QStringList{"bin/sonovane", installed} << installed;
        QTest::newRow("both: beside wins") << QStringList{"bin/b.txf", installed + "a.txf"} << "bin/";
        QTest::newRow("no plug-ins anywhere") << QStringList{"bin/sonovane", "bin/readme.txt"} << "bin/";
    }

    void pluginFolder()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, expected);
        QTemporaryDir prefix;
        for (const QString& f : files) {
            if (f.endsWith('/'))
                QDir().mkpath(prefix.filePath(f));
            else
                Touch(prefix.filePath(f));
        }
        const QString bin = prefix.filePath("bin") + "/";
        QCOMPARE(PluginFolder(bin), prefix.filePath(expected.chopped(1)) + "/");

        // The loader follows only where the folder moved; beside the program it keeps
        // whatever folder it had (tests point it elsewhere).
        SetLibraryFolder("/elsewhere/");
        QCOMPARE(UsePluginFolder(bin), PluginFolder(bin));
        QCOMPARE(QString::fromStdString(LibraryFolder()),
                 expected == "bin/" ? QStringLiteral("/elsewhere/") : PluginFolder(bin));
        SetLibraryFolder(std::string());
    }
};

QTEST_MAIN(TestInstalledStart)
#include "tst_installedstart.moc"
