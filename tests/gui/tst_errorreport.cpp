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
    std::unique_ptr<TAboutBox> FAbout;
    std::unique_ptr<TForm1> FForm;
    TScriptedDialogs* FDialogs = nullptr;

private slots:
    void init()
    {
        FDialogs = new TScriptedDialogs;
        FAbout = std::make_unique<TAboutBox>();
        FForm = std::make_unique<TForm1>(FAbout.get());
        FForm->show();
    }

    void cleanup()
    {
        FForm.reset();
        FAbout.reset();
        delete FDialogs;
    }

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
        auto* failing = new TAction(FForm->ActionList1, "Failing");
        failing->SetCaption("Fade in selection (test)");
        failing->OnExecute = [](TAction*) { throw EWavStreamError(WavText::IndexOutOfRange); };
        failing->trigger();
        QCOMPARE(FDialogs->Messages,
                 QStringList{Report("TForm1", "Index out of range!", "Fade in selection (test)")});

        // The program goes on: the next action runs and is remembered.
        FForm->SelAll1->trigger();
        QCOMPARE(FForm->LastActionText, QStringLiteral("Select all"));
        QCOMPARE(FDialogs->Messages.size(), 1);
    }

    void failureOutsideAnActionNamesThePreviousAction()
    {
        auto* control = new TFailingControl(FForm->centralWidget());
        control->setGeometry(0, 0, 20, 20);
        control->show();

        // Before any action ran the last action reads empty.
        QTest::mouseClick(control, Qt::LeftButton);
        QCOMPARE(control->Presses, 1);
        QCOMPARE(FDialogs->Messages, QStringList{Report("TFailingControl", "Index out of range!", "")});

        FForm->StopSound->trigger();
        QTest::mouseClick(control, Qt::LeftButton);
        QCOMPARE(FDialogs->Messages.last(), Report("TFailingControl", "Index out of range!", "Stop Sound"));

        // A plain (non-action) command failing in the window's own event.
        FDialogs->ClearRecord();
        QMetaObject::invokeMethod(
            FForm.get(), [] { throw TForeignFailure(); }, Qt::QueuedConnection);
        QTRY_COMPARE(FDialogs->Messages.size(), 1);
        QCOMPARE(FDialogs->Messages.first(), Report("TForm1", "Unknown exception", "Stop Sound"));
    }

    void dispatchOrderAndUncertain()
    {
        QStringList order;
        auto* list = new TActionList(FForm.get(), "TestList");
        list->OnExecute = [&](TAction* a) { order << "list " + a->Caption() + " / " + FForm->LastActionText; };
        auto* action = new TAction(list, "Ordered");
        action->SetCaption("Ordered");
        action->OnExecute = [&](TAction*) { order << "command / " + FForm->LastActionText; };
        FForm->LastActionText = "Before";
        action->trigger();
        QCOMPARE(order, (QStringList{"list Ordered / Before", "command / Ordered"}));

        // A failing list handler is reported too, and the command does not run then.
        order.clear();
        list->OnExecute = [](TAction*) { throw EStreamError(WavText::OutOfMemory); };
        action->trigger();
        QVERIFY(order.isEmpty());
        QCOMPARE(FDialogs->Messages.last(),
                 Report("TForm1", WavText::OutOfMemory, "Ordered"));

        // An executed object that is not one of our actions.
        QAction plain;
        ApplicationEvents::ActionExecuted(&plain);
        QCOMPARE(FForm->LastActionText, QStringLiteral("Uncertain"));

        // Menu items and buttons without an action leave the text alone.
        FForm->LastActionText = "Kept";
        FForm->Looped1->trigger();
        FForm->PrecisionMenu->actions().at(2)->trigger();
        QCOMPARE(FForm->LastActionText, QStringLiteral("Kept"));
    }

    void actionPropertiesReachBoundControls()
    {
        auto* a = new TAction(FForm->ActionList1, "Shared");
        a->SetCaption("Shared");
        a->SetHint("A hint");
        a->SetImageIndex(5);
        QCOMPARE(a->toolTip(), QStringLiteral("A hint"));
        QCOMPARE(a->statusTip(), QStringLiteral("A hint"));
        QVERIFY(!a->icon().pixmap(16, 16).isNull());
        a->SetImageIndex(-1);
        QVERIFY(a->icon().isNull());
        QCOMPARE(FForm->ActionList1->FindAction("Shared"), a);
        delete a;
        QCOMPARE(FForm->ActionList1->FindAction("Shared"), nullptr);
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
