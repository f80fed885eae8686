// The unhandled-error report: exact text, the reporting object, the last action, the
// order of an action's dispatch, and that the program goes on afterwards.
#include <QMenu>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QtTest>

#include "about/Unit2.h"
#include "app/Application.h"
#include "app/main.h"
#include "platform/actions.h"
#include "support/ScriptedDialogs.h"
#include "support/WindowFixture.h"
#include "view/wavpaint.h"
#include "wave/Wavs_ex.h"

namespace {

// A control whose mouse handler fails, as a command that is not an action would.
class TFailingControl : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    int Presses = 0;

protected:
    void mousePressEvent(QMouseEvent*) override
    {
        ++Presses;
        throw EWavStreamError(WavText::IndexOutOfRange);
    }
};

class TForeignFailure {};

QString Report(const QString& className, const QString& message, const QString& lastAction)
{
    return "Unhandled exception in \"" + className + "\": " + message + "\rLast action: " +
           lastAction + "\rPlease report the operation that caused this problem...";
}

} // namespace

class TestErrorReport : public QObject {
    Q_OBJECT

private:
    TWindowFixture Fx;

private slots:
    void init() { QVERIFY(Fx.Open(TWindowFixture::TShow::Shown)); }
    void cleanup() { Fx.Close(); }

    void textIsExact()
    {
        const QString text = UnhandledErrorText("TForm1", "Index out of range!", "Normalize");
        QCOMPARE(text, QString("Unhandled exception in \"TForm1\": Index out of range!\r"
                               "Last action: Normalize\r"
                               "Please report the operation that caused this problem..."));
        QVERIFY(!text.contains('\n'));
        QCOMPARE(text.count('\r'), 2);
    }

    void failingActionNamesItself()
    {
        auto* failing = new TAction(Fx.Window().ActionList1(), "Failing");
        failing->SetCaption("Fade in selection (test)");
        failing->OnExecute = [](TAction*) { throw EWavStreamError(WavText::IndexOutOfRange); };
        failing->trigger();
        QCOMPARE(Fx.Dialogs().Messages,
                 QStringList{Report("TForm1", "Index out of range!", "Fade in selection (test)")});

        // The program goes on: the next action runs and is remembered.
        Fx.Window().SelAll1()->trigger();
        QCOMPARE(Fx.Window().LastActionText(), QStringLiteral("Select all"));
        QCOMPARE(Fx.Dialogs().Messages.size(), 1);
    }

    void failureOutsideAnActionNamesThePreviousAction()
    {
        auto* control = new TFailingControl(Fx.Form().centralWidget());
        control->setGeometry(0, 0, 20, 20);
        control->show();

        // Before any action ran the last action reads empty.
        QTest::mouseClick(control, Qt::LeftButton);
        QCOMPARE(control->Presses, 1);
        QCOMPARE(Fx.Dialogs().Messages, QStringList{Report("TFailingControl", "Index out of range!", "")});

        Fx.Window().StopSound()->trigger();
        QTest::mouseClick(control, Qt::LeftButton);
        QCOMPARE(Fx.Dialogs().Messages.last(), Report("TFailingControl", "Index out of range!", "Stop Sound"));

        // A plain (non-action) command failing in the window's own event.
        Fx.Dialogs().ClearRecord();
        QMetaObject::invokeMethod(
            &Fx.Form(), [] { throw TForeignFailure(); }, Qt::QueuedConnection);
        QTRY_COMPARE(Fx.Dialogs().Messages.size(), 1);
        QCOMPARE(Fx.Dialogs().Messages.first(), Report("TForm1", "Unknown exception", "Stop Sound"));
    }

    void dispatchOrderAndUncertain()
    {
        QStringList order;
        auto* list = new TActionList(&Fx.Form(), "TestList");
        list->OnExecute = [&](TAction* a) { order << "list " + a->Caption() + " / " + Fx.Window().LastActionText(); };
        auto* action = new TAction(list, "Ordered");
        action->SetCaption("Ordered");
        action->OnExecute = [&](TAction*) { order << "command / " + Fx.Window().LastActionText(); };
        Fx.Window().LastActionText() = "Before";
        action->trigger();
        QCOMPARE(order, (QStringList{"list Ordered / Before", "command / Ordered"}));

        // A failing list handler is reported too, and the command does not run then.
        order.clear();
        list->OnExecute = [](TAction*) { throw EStreamError(WavText::OutOfMemory); };
        action->trigger();
        QVERIFY(order.isEmpty());
        QCOMPARE(Fx.Dialogs().Messages.last(),
                 Report("TForm1", WavText::OutOfMemory, "Ordered"));

        // An executed object that is not one of our actions.
        QAction plain;
        ApplicationEvents::ActionExecuted(&plain);
        QCOMPARE(Fx.Window().LastActionText(), QStringLiteral("Uncertain"));

        // Menu items and buttons without an action leave the text alone.
        Fx.Window().LastActionText() = "Kept";
        Fx.Window().Looped1()->trigger();
        Fx.Window().PrecisionMenu()->actions().at(2)->trigger();
        QCOMPARE(Fx.Window().LastActionText(), QStringLiteral("Kept"));
    }

    void actionPropertiesReachBoundControls()
    {
        auto* a = new TAction(Fx.Window().ActionList1(), "Shared");
        a->SetCaption("Shared");
        a->SetHint("A hint");
        a->SetImageIndex(5);
        QCOMPARE(a->toolTip(), QStringLiteral("A hint"));
        QCOMPARE(a->statusTip(), QStringLiteral("A hint"));
        QVERIFY(!a->icon().pixmap(16, 16).isNull());
        a->SetImageIndex(-1);
        QVERIFY(a->icon().isNull());
        QCOMPARE(Fx.Window().ActionList1()->FindAction("Shared"), a);
        delete a;
        QCOMPARE(Fx.Window().ActionList1()->FindAction("Shared"), nullptr);
    }
};

int main(int argc, char** argv)
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    TApplication app(argc, argv);
    TestErrorReport test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_errorreport.moc"
