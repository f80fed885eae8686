// Start-up from the entry to the message loop, the command line, the remembered
// folders across two runs, the plug-in scan frame and shutdown.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

#include "about/Unit2.h"
#include "app/Application.h"
#include "app/PaneMouse.h"
#include "app/RangePlayer.h"
#include "app/Startup.h"
#include "app/main.h"
#include "platform/actions.h"
#include "platform/dynlib.h"
#include "platform/registry.h"
#include "plugins/PluginScan.h"
#include "support/Form1TestAccess.h"
#include "support/ScriptedDialogs.h"
#include "view/wavpaint.h"
#include "wave/Wavs_ex.h"

namespace {

// Records the order in which the two windows are first shown.
class TShowOrder : public QObject {
public:
    QStringList Shown;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && (qobject_cast<TAboutBox*>(watched) || qobject_cast<TForm1*>(watched)))
            Shown << QString::fromLatin1(watched->metaObject()->className());
        return false;
    }
};

QString SettingsText()
{
    QFile f(TRegistry::StoreFileName());
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

private:
    QTemporaryDir FConfig;
    TScriptedDialogs* FDialogs = nullptr;

private slots:
    void initTestCase()
    {
        QVERIFY(FConfig.isValid());
        qputenv("XDG_CONFIG_HOME", FConfig.path().toLocal8Bit());
    }

    void init()
    {
        QDir(FConfig.path()).removeRecursively();
        QDir().mkpath(FConfig.path());
        FDialogs = new TScriptedDialogs;
    }

    void cleanup()
    {
        delete FDialogs;
        FDialogs = nullptr;
    }

    void orderOfStartUp()
    {
        TShowOrder order;
        qApp->installEventFilter(&order);
        TStartup s = RunStartup({QStringLiteral("-nodelay")});
        qApp->removeEventFilter(&order);

        QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Sonovane"));
        // The toolkit speaks German: its standard button texts are translated.
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Abbrechen"));
        QCOMPARE(order.Shown, (QStringList{"TAboutBox", "TForm1"}));
        QVERIFY(s.AboutBox->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(s.AboutBox->isVisible());
        QVERIFY(s.Form1->isVisible());
        QVERIFY(s.PluginScanPosted);
        QVERIFY(TForm1TestAccess(*s.Form1).NoDelay());

        // What FormCreate leaves behind.
        TForm1& f = *s.Form1;
        const TForm1TestAccess w(f);
        QCOMPARE(w.ProgramDir(), QCoreApplication::applicationDirPath() + "/");
        QVERIFY(w.Player());
        QCOMPARE(w.Player()->PlayBuffer().Size(), 0);
        QCOMPARE(w.Sample()->Size(), 72586);
        QVERIFY(w.Sample()->IsSameFormat(WorkingFormat()));
        for (TWavPaintBox* pane : {w.WorkingPane(), w.FinalPane()}) {
            QCOMPARE(pane->Wave()->Size(), 0);
            QCOMPARE(pane->Wave()->Format.wFormatTag, uint16_t(1));
            QCOMPARE(pane->Wave()->Format.nChannels, uint16_t(1));
            QCOMPARE(pane->Wave()->Format.nSamplesPerSec, 22050u);
            QCOMPARE(pane->Wave()->Format.wBitsPerSample, uint16_t(8));
        }
        QCOMPARE(w.WorkingPane()->WaveName, QStringLiteral("Working Wave"));
        QCOMPARE(w.FinalPane()->WaveName, QStringLiteral("Final Wave"));
        QCOMPARE(w.PaneMouse()->PressX, 0);
        QCOMPARE(w.PaneMouse()->PressSelStartX, 0);
        QCOMPARE(w.PaneMouse()->PressSelLength, 0);
        QVERIFY(!w.PaneMouse()->MovingSelection);
        QVERIFY(w.LastActionText().isEmpty());
        QVERIFY(!w.BtnUndo()->isEnabled());
        QVERIFY(!w.ClearUndo()->isEnabled());

        // The posted scan runs once the loop does: it ends by hiding the splash.
        QVERIFY(!s.AboutBox->lbPlugins->isVisible());
        QTRY_VERIFY(!s.AboutBox->isVisible());
        QCOMPARE(s.AboutBox->lbPlugins->text(), QString());
        // The program folder holds the plug-in kit: one Plugins entry per library there.
        const QStringList kit = QDir(QCoreApplication::applicationDirPath()).entryList({"*.txf"}, QDir::Files);
        QCOMPARE(w.PlugInMenu()->actions().size(), kit.size());
        QVERIFY(FDialogs->Messages.isEmpty());
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("posted");
        QTest::addColumn<bool>("noDelay");
        QTest::newRow("none") << QStringList{} << true << false;
        QTest::newRow("-noplugin") << QStringList{"-noplugin"} << false << false;
        QTest::newRow("-nodelay") << QStringList{"-nodelay"} << true << true;
        QTest::newRow("capitals") << QStringList{"-NOPLUGIN"} << true << false;
        QTest::newRow("first only") << QStringList{"-nodelay", "-noplugin"} << true << true;
        QTest::newRow("second ignored") << QStringList{"x.wav", "-noplugin"} << true << false;
        QTest::newRow("prefix") << QStringList{"-noplugins"} << true << false;
        QTest::newRow("both") << QStringList{"-noplugin", "-nodelay"} << false << false;
    }

    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, posted);
        QFETCH(bool, noDelay);
        TStartup s = RunStartup(arguments);
        QCOMPARE(s.PluginScanPosted, posted);
        QCOMPARE(TForm1TestAccess(*s.Form1).NoDelay(), noDelay);
        if (posted) {
            QVERIFY(!s.AboutBox->lbPlugins->isVisible());
            // Skip the pauses here; the scan is tested apart below.
            TForm1TestAccess(*s.Form1).NoDelay() = true;
            QTRY_VERIFY(!s.AboutBox->isVisible());
        } else {
            QVERIFY(s.AboutBox->lbPlugins->isVisible());
            QCOMPARE(s.AboutBox->lbPlugins->text(), QStringLiteral("No Plugins loaded!"));
            // Nothing closes the splash: it stays up until clicked.
            QTest::qWait(50);
            QVERIFY(s.AboutBox->isVisible());
            QVERIFY(s.AboutBox->lbPlugins->isVisible());
        }
    }

    void settingsRoundTrip()
    {
        // First run: no key, both folders empty; at exit the key is written, empty values too.
        QVERIFY(!QFile::exists(TRegistry::StoreFileName()));
        {
            TStartup s = RunStartup({QStringLiteral("-noplugin")});
            QVERIFY(TForm1TestAccess(*s.Form1).Folders().OpenInitialDir.isEmpty());
            QVERIFY(TForm1TestAccess(*s.Form1).Folders().SaveInitialDir.isEmpty());
            // Reading does not create the key.
            QVERIFY(!QFile::exists(TRegistry::StoreFileName()));
        }
        {
            TRegistry reg;
            QVERIFY(reg.OpenKey(QStringLiteral("\\Software\\Tarvex Sonovane"), false));
            QVERIFY(reg.ValueExists(QStringLiteral("OpenPath")));
            QVERIFY(reg.ValueExists(QStringLiteral("SavePath")));
            QCOMPARE(reg.ReadString(QStringLiteral("OpenPath")), QString());
            QCOMPARE(reg.ReadString(QStringLiteral("SavePath")), QString());
        }
        // Second run changes them; the third reads what the second wrote.
        {
            TStartup s = RunStartup({QStringLiteral("-noplugin")});
            TForm1TestAccess(*s.Form1).Folders().OpenInitialDir = QStringLiteral("/snd/open dir");
            TForm1TestAccess(*s.Form1).Folders().SaveInitialDir = QStringLiteral("/snd/saved");
        }
        QVERIFY(SettingsText().contains(QStringLiteral("open dir")));
        {
            TStartup s = RunStartup({QStringLiteral("-noplugin")});
            QCOMPARE(TForm1TestAccess(*s.Form1).Folders().OpenInitialDir, QStringLiteral("/snd/open dir"));
            QCOMPARE(TForm1TestAccess(*s.Form1).Folders().SaveInitialDir, QStringLiteral("/snd/saved"));
        }
    }

    void missingSaveValueReadsEmpty()
    {
        {
            TRegistry reg;
            QVERIFY(reg.OpenKey(QStringLiteral("\\Software\\Tarvex Sonovane"), true));
            QVERIFY(reg.WriteString(QStringLiteral("OpenPath"), QStringLiteral("/only/open")));
        }
        TStartup s = RunStartup({QStringLiteral("-noplugin")});
        QCOMPARE(TForm1TestAccess(*s.Form1).Folders().OpenInitialDir, QStringLiteral("/only/open"));
        QCOMPARE(TForm1TestAccess(*s.Form1).Folders().SaveInitialDir, QString());
    }

    void closeStopsPlaybackFirst()
    {
        TStartup s = RunStartup({QStringLiteral("-noplugin")});
        TForm1& f = *s.Form1;
        const TForm1TestAccess w(f);
        w.Player()->PlayRange(*w.Sample(), 0, 0, true);
        QCOMPARE(w.Player()->PlayBuffer().Size(), w.Sample()->Size() + 44);
        f.close();
        QCOMPARE(w.Player()->PlayBuffer().Size(), 0);
        QVERIFY(w.Player()->WPlayer().SoundData == nullptr);
    }

    void scanReportsEachLibraryAndPauses()
    {
        QTemporaryDir folder;
        const QStringList libraries{"echo.txf", "hall.txf", "ZZ.TXF"};
        for (const QString& name : libraries)
            QFile(folder.filePath(name)).open(QIODevice::WriteOnly);
        QFile(folder.filePath("readme.txt")).open(QIODevice::WriteOnly);

        // The order is the folder's own.
        QStringList folderOrder;
        WIN32_FIND_DATAA data;
        HANDLE h = FindFirstFileA((folder.path() + "/*.txf").toLocal8Bit().constData(), &data);
        QVERIFY(h != INVALID_HANDLE_VALUE);
        do
            folderOrder << QString::fromLocal8Bit(data.cFileName);
        while (FindNextFileA(h, &data));
        FindClose(h);
        QCOMPARE(folderOrder.size(), 3);

        TAboutBox splash;
        splash.ShowSplash();
        QWidget window;
        TPluginScan scan(&window, &splash, folder.path() + "/", false);
        QStringList steps;
        scan.Pause = [&](uint32_t ms) {
            steps << QStringLiteral("%1 %2 %3").arg(ms).arg(splash.lbPlugins->text()).arg(splash.lbPlugins->isVisible());
        };
        QStringList loaded;
        scan.LoadLibrary = [&](const QString& name) {
            loaded << name;
            if (name == folderOrder[1])
                throw EWavStreamError("broken");
        };
        QCOMPARE(scan.Run(), 3);

        QStringList expected;
        for (const QString& name : folderOrder)
            expected << QStringLiteral("250 Plugins: %1 1").arg(name);
        expected << QStringLiteral("500 Plugins: %1 1").arg(folderOrder.last());
        QCOMPARE(steps, expected);
        QCOMPARE(loaded, folderOrder);
        QCOMPARE(FDialogs->Messages, QStringList{QStringLiteral("Error loading plugin \"%1\"").arg(folderOrder[1])});
        QCOMPARE(splash.lbPlugins->text(), QString());
        // The line stays visible when a library was found.
        QVERIFY(splash.lbPlugins->isVisibleTo(&splash));
        QVERIFY(!splash.isVisible());
        QCOMPARE(QApplication::overrideCursor(), nullptr);

        // "-nodelay": no pause at all.
        steps.clear();
        TPluginScan quick(&window, &splash, folder.path() + "/", true);
        quick.Pause = scan.Pause;
        QCOMPARE(quick.Run(), 3);
        QVERIFY(steps.isEmpty());
    }

    void scanOfAnEmptyFolder()
    {
        QTemporaryDir folder;
        TAboutBox splash;
        splash.ShowSplash();
        TPluginScan scan(nullptr, &splash, folder.path() + "/", false);
        QList<uint32_t> pauses;
        scan.Pause = [&](uint32_t ms) { pauses << ms; };
        QCOMPARE(scan.Run(), 0);
        QCOMPARE(pauses, QList<uint32_t>{500});
        QVERIFY(!splash.lbPlugins->isVisibleTo(&splash));
        QVERIFY(!splash.isVisible());
    }

    // Exit with the splash still up ("-noplugin", nobody clicked it): the run ends with
    // the window, and the folders are written. Last: it runs the application's loop.
    void exitEndsTheRunWhateverTheSplashDoes()
    {
        {
            TStartup s = RunStartup({QStringLiteral("-noplugin")});
            TForm1TestAccess(*s.Form1).Folders().OpenInitialDir = QStringLiteral("/snd/exit");
            QVERIFY(s.AboutBox->isVisible());
            QTimer::singleShot(0, s.Form1.get(), [&] { TForm1TestAccess(*s.Form1).ExitProg()->trigger(); });
            QTimer watchdog;
            watchdog.setSingleShot(true);
            connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(1); });
            watchdog.start(5000);
            QCOMPARE(QCoreApplication::exec(), 0);
        }
        QVERIFY(SettingsText().contains(QStringLiteral("/snd/exit")));
    }
};

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    TestStartup test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_startup.moc"
