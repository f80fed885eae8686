// The mix button: the working selection mixed into the final wave at the final
// selection's start; a failure reaches the report with the final wave left grown.
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include "about/Unit2.h"
#include "app/Application.h"
#include "app/MixCommand.h"
#include "app/main.h"
#include "support/ScriptedDialogs.h"
#include "tests/support/TestWaves.h"
#include "view/wavpaint.h"

using namespace testwaves;

class TestMix : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TAboutBox> FAbout;
    std::unique_ptr<TForm1> FForm;
    std::unique_ptr<TScriptedDialogs> FDialogs;

    TTxWavStream& Working() { return *FForm->WorkingPane->Wave(); }
    TTxWavStream& Final() { return *FForm->FinalPane->Wave(); }
    void Click() { QTest::mouseClick(FForm->BtnMix, Qt::LeftButton); }

private slots:
    void init()
    {
        FDialogs = std::make_unique<TScriptedDialogs>();
        FAbout = std::make_unique<TAboutBox>();
        FForm = std::make_unique<TForm1>(FAbout.get());
        FForm->show();
    }

    void cleanup()
    {
        FForm.reset();
        FAbout.reset();
        FDialogs.reset();
    }

    void mixesTheWorkingSelectionAtTheFinalSelection()
    {
        QCOMPARE(FForm->BtnMix->statusTip(), QString::fromLatin1(MixButtonStatusText));
        Fill(Final(), ByteVector(2000, 128));
        Click();  // an empty working wave: nothing
        QCOMPARE(Bytes(Final()), ByteVector(2000, 128));

        ByteVector working(5000, 128);
        for (size_t i = 1000; i < 4000; ++i)
            working[i] = i % 2 ? 255 : 1;
        Fill(Working(), working);
        FForm->WorkingPane->SetSelection(1000, 3999);
        FForm->FinalPane->SetSelection(1000, 1500);
        Click();
        // Grown to 4000 with 127s; peak sum 1 + 1/127, so the factor is 127/128.
        QCOMPARE(Final().Size(), 4000);
        QCOMPARE(Final().GetByte(999), uint8_t(128));
        QCOMPARE(Final().GetByte(1000), uint8_t(2));
        QCOMPARE(Final().GetByte(1001), uint8_t(254));
        QCOMPARE(Final().GetByte(3999), uint8_t(253));
        QCOMPARE(Final().SelStart(), 1000);
        QCOMPARE(Final().SelEnd(), 1500);
        QCOMPARE(Bytes(Working()), working);
        QVERIFY(FDialogs->Messages.isEmpty());
        QVERIFY(!QApplication::overrideCursor());
    }

    void failureIsReportedWithTheWaveGrown()
    {
        Fill(Working(), ByteVector(300, 129));
        FForm->WorkingPane->SelectAll();
        Fill(Final(), ByteVector(100, 127));
        FForm->FinalPane->SetSelection(50, 60);
        Click();
        // No action ran before: the last action reads empty.
        QCOMPARE(FDialogs->Messages,
                 QStringList{"Unhandled exception in \"QToolButton\": Channel mixer convergation error!\r"
                             "Last action: \rPlease report the operation that caused this problem..."});
        QCOMPARE(Final().Size(), 350);
        QCOMPARE(Final().GetByte(349), uint8_t(127));
        QVERIFY(!QApplication::overrideCursor());
    }
};

int main(int argc, char** argv)
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    TApplication app(argc, argv);
    TestMix test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mix.moc"
