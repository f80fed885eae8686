// The edit and undo commands as the window wires them: each command reaches the right
// pane's wave as the core operation does, leaves the pane's picture, selection and status
// as the command promises, records (or does not record) its undo step, and shows the
// hourglass exactly while an amplitude effect or a fade works.
#include <QApplication>
#include <QCursor>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>
#include <dlfcn.h>
#include <functional>

#include "about/Unit2.h"
#include "app/Application.h"
#include "app/UndoCommands.h"
#include "app/main.h"
#include "platform/actions.h"
#include "support/ScriptedDialogs.h"
#include "support/WindowFixture.h"
#include "tests/support/TestWaves.h"
#include "view/PanelStatusBar.h"
#include "view/wavpaint.h"

// Nothing of the program runs while the hourglass is up but the effect itself, so the
// test stands between the program and the toolkit's pointer stack to look at the wave the
// moment the pointer changes. Both forward to the toolkit.
static std::function<void(const char* change)> CursorSpy;
template <class F>
F Toolkit(const char* symbol) { return reinterpret_cast<F>(dlsym(RTLD_NEXT, symbol)); }

void QGuiApplication::setOverrideCursor(const QCursor& cursor)
{
    static const auto real = Toolkit<void (*)(const QCursor&)>("_ZN15QGuiApplication17setOverrideCursorERK7QCursor");
    real(cursor);
    if (CursorSpy)
        CursorSpy(cursor.shape() == Qt::WaitCursor ? "wait" : "other");
}

void QGuiApplication::restoreOverrideCursor()
{
    static const auto real = Toolkit<void (*)()>("_ZN15QGuiApplication21restoreOverrideCursorEv");
    if (CursorSpy)
        CursorSpy("back");
    real();
}

namespace {

using testwaves::Bytes;
using W = TTxWavStream;
const QStringList Stale{"-", "-", "-"};

// Bytes between 64 and 192, no two alike in a short run.
void Load(TWavPaintBox* pane, int32_t n, int32_t s, int32_t e, int salt = 0)
{
    testwaves::ByteVector b(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i)
        b[static_cast<size_t>(i)] = static_cast<uint8_t>(64 + (i * 37 + salt) % 129);
    testwaves::Fill(*pane->Wave(), b);
    pane->Wave()->SetFormat(WorkingFormat());
    pane->SetSelection(s, e);
    pane->Repaint();
}

QStringList Panels(const TWavPaintBox* p)
{
    return {p->StatusBar->PanelText(1), p->StatusBar->PanelText(2), p->StatusBar->PanelText(3)};
}

// kind: 'h' working pane under the hourglass (repaint only), 'w' working pane with status,
// 'f' final pane with status, never recorded. A null action is the button BtnDelSel2.
const struct TRow {
    const char* name;
    TAction*& (TForm1TestAccess::*action)() const;
    char kind;
    int32_t n, s, e;
    void (*op)(W&);
} Rows[] = {
    {"Normal", &TForm1TestAccess::Normal, 'h', 1000, 100, 599, [](W& w) { w.Normalize(0.85f); }},
    {"Norm100", &TForm1TestAccess::Norm100, 'h', 1000, 100, 599, [](W& w) { w.Normalize(0.99f); }},
    {"Norm90", &TForm1TestAccess::Norm90, 'h', 1000, 0, 999, [](W& w) { w.Normalize(0.9f); }},
    {"Norm80", &TForm1TestAccess::Norm80, 'h', 1000, 5, 6, [](W& w) { w.Normalize(0.8f); }},
    {"Norm75", &TForm1TestAccess::Norm75, 'h', 1000, 100, 599, [](W& w) { w.Normalize(0.75f); }},
    {"Norm50", &TForm1TestAccess::Norm50, 'h', 1000, 5, 6, [](W& w) { w.Normalize(0.5f); }},
    {"Norm0", &TForm1TestAccess::Norm0, 'h', 1000, 100, 599, [](W& w) { w.Normalize(0.0f); }},
    {"IncAmp", &TForm1TestAccess::IncAmp, 'h', 1000, 100, 599, [](W& w) { w.Amplify(1.1f); }},
    {"DecAmp", &TForm1TestAccess::DecAmp, 'h', 1000, 100, 599, [](W& w) { w.Amplify(0.9f); }},
    {"FadeIn", &TForm1TestAccess::FadeIn, 'h', 1000, 100, 109, [](W& w) { w.FadeInRange(w.SelStart(), w.SelLength(), 1); }},
    {"FadeOut", &TForm1TestAccess::FadeOut, 'h', 1000, 990, 999, [](W& w) { w.FadeOutRange(w.SelStart(), w.SelLength(), 1); }},
    {"Reverse", &TForm1TestAccess::Reverse, 'w', 1000, 10, 14, [](W& w) { w.ReverseSelection(); }},
    {"DelSelect", &TForm1TestAccess::DelSelect, 'w', 1000, 100, 899, [](W& w) { w.RemoveSelection(); }},
    {"DelSelect to empty", &TForm1TestAccess::DelSelect, 'w', 1000, 50, 999, [](W& w) { w.RemoveSelection(); }},
    {"TrimSel", &TForm1TestAccess::TrimSel, 'w', 1000, 200, 499, [](W& w) { w.TrimToSelection(); }},
    {"SpeedUp", &TForm1TestAccess::SpeedUp, 'w', 5000, 0, 999, [](W& w) { w.SpeedUpSelection(); }},
    {"SlowDown", &TForm1TestAccess::SlowDown, 'w', 1000, 100, 199, [](W& w) { w.SlowDownSelection(); }},
    {"DelSel2", &TForm1TestAccess::DelSel2, 'f', 1000, 100, 899, [](W& w) { w.RemoveSelection(); }},
    {"TrimSel2", &TForm1TestAccess::TrimSel2, 'f', 1000, 200, 499, [](W& w) { w.TrimToSelection(); }},
    {"BtnDelSel2 to empty", nullptr, 'f', 1000, 0, 949, [](W& w) { w.RemoveSelection(); }},
};

} // namespace

class TestEditUndo : public QObject {
    Q_OBJECT

    TWindowFixture Fx;
    QStringList FCursorLog;

    W& Work() { return *Fx.Window().WorkingPane()->Wave(); }
    QAction* Item(const QString& name) { return Fx.Form().findChild<QAction*>(name); }
    QStringList StepNames()
    {
        QStringList names;
        for (const TUndoStep& s : Fx.Window().Undo()->List().Steps())
            names << QString::fromStdString(s.Name);
        return names;
    }
    void CheckUndo(const QString& caption, bool undo, bool clear)
    {
        QCOMPARE(Fx.Window().BtnUndo()->Caption(), caption);
        if (undo)  // the hint starts empty and follows the caption from the first step on
            QCOMPARE(Fx.Window().BtnUndo()->Hint(), caption);
        QCOMPARE(Fx.Window().BtnUndo()->isEnabled(), undo);
        QCOMPARE(Fx.Window().ClearUndo()->isEnabled(), clear);
    }
    // Logs "wait"/"other" when a pointer goes up, "back" when it comes down, each with
    // whether wave still holds before; and "message" for each message shown.
    void WatchCursor(W& wave, const testwaves::ByteVector& before)
    {
        FCursorLog.clear();
        CursorSpy = [this, &wave, before](const char* change) {
            FCursorLog << QString::fromLatin1(change) + (Bytes(wave) == before ? " before" : " after");
        };
    }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void init()
    {
        TWindowFixture::TOptions options;
        options.BeforeWindow = [this](TWindowFixture& fx) {
            fx.Dialogs().OnMessage = [this](const QString&) { FCursorLog << QStringLiteral("message"); };
        };
        QVERIFY(Fx.Open(options));
    }
    void cleanup() { CursorSpy = nullptr, Fx.Close(); }

    void commands_data()
    {
        QTest::addColumn<int>("row");
        for (int i = 0; i < int(std::size(Rows)); ++i)
            QTest::newRow(Rows[i].name) << i;
    }
    void commands()
    {
        QFETCH(int, row);
        const TRow& r = Rows[row];
        const bool final_ = r.kind == 'f';
        TWavPaintBox* pane = final_ ? Fx.Window().FinalPane() : Fx.Window().WorkingPane();
        TWavPaintBox* other = final_ ? Fx.Window().WorkingPane() : Fx.Window().FinalPane();
        Load(pane, r.n, r.s, r.e);
        Load(other, 700, 10, 20, 5);
        const testwaves::ByteVector before = Bytes(*pane->Wave()), otherBefore = Bytes(*other->Wave());
        W expected;  // the core operation called directly on a copy
        expected.Assign(*pane->Wave());
        r.op(expected);
        QVERIFY(Bytes(expected) != before);
        for (int k = 1; k <= 3; ++k)
            pane->StatusBar->SetPanelText(k, "-"), other->StatusBar->SetPanelText(k, "-");
        WatchCursor(*pane->Wave(), before);
        TAction* action = r.action ? (Fx.Window().*r.action)() : nullptr;
        action ? action->trigger() : Fx.Window().BtnDelSel2()->click();
        CursorSpy = nullptr;

        QCOMPARE(Bytes(*pane->Wave()), Bytes(expected));
        QCOMPARE((std::pair{pane->SelStart(), pane->SelEnd()}), (std::pair{expected.SelStart(), expected.SelEnd()}));
        QCOMPARE(Bytes(*other->Wave()), otherBefore);
        QCOMPARE(FCursorLog, (r.kind == 'h' ? QStringList{"wait before", "back after"} : QStringList()));
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QImage picture(pane->size(), QImage::Format_RGB32);
        TWavPaintBox::Render(picture, *pane->Wave(), pane->WaveName, pane->Precision, pane->MarkStart, pane->MarkEnd,
                             pane->MarkColour, pane->font());
        QCOMPARE(pane->Picture(), picture);
        const QStringList shown = Panels(pane);  // current when a fresh refresh shows the same
        pane->UpdateStatus();
        QCOMPARE(shown, r.kind == 'h' ? Stale : Panels(pane));
        QCOMPARE(Panels(other), Stale);
        QVERIFY(Fx.Dialogs().Log.isEmpty());
        if (final_)
            return CheckUndo("Undo", false, false);

        CheckUndo(QStringLiteral("Undo \"%1\"").arg(action->Caption()), true, true);
        Fx.Window().WorkingPane()->StatusBar->SetPanelText(2, "-");
        Fx.Window().BtnUndo()->trigger();
        QCOMPARE(Bytes(Work()), before);
        QCOMPARE((std::pair{Work().SelStart(), Work().SelEnd()}), (std::pair{r.s, r.e}));
        QVERIFY(Fx.Window().WorkingPane()->StatusBar->PanelText(2).endsWith(QStringLiteral("(%1 Bytes)").arg(r.e - r.s + 1)));
        CheckUndo("Undo", false, false);
    }

    // Under each limit, chosen by its radio item, the newest `kept` of `commands` steps
    // remain and undo walks them back one by one, selection included.
    void limits_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("commands");
        QTest::addColumn<int>("kept");
        QTest::newRow("1") << "Undo_01" << 2 << 1;
        QTest::newRow("5") << "Undo_05" << 6 << 5;
        QTest::newRow("10, eleventh drops the first") << "Undo_10" << 11 << 10;
        QTest::newRow("disabled") << "DisableUndo" << 3 << 0;
    }
    void limits()
    {
        QFETCH(QString, item);
        QFETCH(int, commands);
        QFETCH(int, kept);
        TAction* const order[] = {Fx.Window().Normal(), Fx.Window().IncAmp(),  Fx.Window().Reverse(),  Fx.Window().FadeIn(),
                                  Fx.Window().DecAmp(), Fx.Window().Norm50(),  Fx.Window().FadeOut(),  Fx.Window().Norm90(),
                                  Fx.Window().SlowDown(), Fx.Window().SpeedUp(), Fx.Window().TrimSel()};
        Item(item)->trigger();
        QVERIFY(Item(item)->isChecked());
        Load(Fx.Window().WorkingPane(), 3000, 40, 1500);
        QList<std::tuple<testwaves::ByteVector, int32_t, int32_t>> states;
        QStringList names;
        for (int i = 0; i < commands; ++i) {
            states << std::tuple{Bytes(Work()), Work().SelStart(), Work().SelEnd()};
            names << order[i]->Caption();
            order[i]->trigger();
        }
        QCOMPARE(StepNames(), names.mid(commands - kept));
        for (int j = commands - 1; j >= commands - kept; --j) {
            CheckUndo(QStringLiteral("Undo \"%1\"").arg(names[j]), true, true);
            Fx.Window().BtnUndo()->trigger();
            QVERIFY(std::tuple(Bytes(Work()), Work().SelStart(), Work().SelEnd()) == states[j]);
        }
        CheckUndo("Undo", false, false);
    }

    void limitChangesAndRecordingRules()
    {
        Load(Fx.Window().WorkingPane(), 2000, 0, 999);
        for (int i = 0; i < 8; ++i)
            (i % 2 ? Fx.Window().IncAmp() : Fx.Window().Reverse())->trigger();
        Item("Undo_05")->trigger();
        QCOMPARE(StepNames().size(), 5);
        CheckUndo("Undo \"Increase amplification\"", true, true);
        Item("DisableUndo")->trigger();  // the limit leaves "Clear Undo Buffer" alone
        QCOMPARE(StepNames().size(), 0);
        CheckUndo("Undo", false, true);
        Fx.Window().Reverse()->trigger();  // records nothing; the common handler updates Clear
        CheckUndo("Undo", false, false);
        Item("Undo_10")->trigger();
        Fx.Window().Reverse()->trigger();
        Fx.Window().IncAmp()->trigger();
        Fx.Window().ClearUndo()->trigger();
        QCOMPARE(StepNames().size(), 0);
        CheckUndo("Undo", false, false);

        // Commands on an empty working wave record nothing and leave Undo as it was.
        Fx.Window().FadeIn()->trigger();
        Work().Clear();
        Fx.Window().Normal()->trigger();
        Fx.Window().DelSelect()->trigger();
        QCOMPARE(StepNames(), QStringList{"Fade in selection"});
        CheckUndo("Undo \"Fade in selection\"", true, true);
        // A drop onto the working pane is recorded under its own name; its work is empty.
        Load(Fx.Window().WorkingPane(), 500, 3, 9);
        Fx.Window().DragDropAction()->trigger();
        QCOMPARE(StepNames(), (QStringList{"Fade in selection", "Drag and Drop"}));
        QCOMPARE(Bytes(Work()), Bytes(*Fx.Window().Undo()->List().Steps().back().Wave));
        CheckUndo("Undo \"Drag and Drop\"", true, true);
    }

    // Copying the working wave for its step runs out of memory: the message, then the
    // command all the same; a full list (limit 1) has made room before.
    void recordingOutOfMemory()
    {
        const std::pair<const char*, QStringList> cases[] = {{"Undo_01", {}}, {"Undo_10", {"Increase amplification"}}};
        for (const auto& [item, steps] : cases) {
            bool fail = false;
            auto factory = [&fail] { return fail ? throw std::bad_alloc() : std::make_unique<W>(); };
            Fx.Window().Undo() = std::make_unique<TUndoCommands>(*Fx.Window().BtnUndo(), *Fx.Window().BtnRedo(), *Fx.Window().ClearUndo(), *Fx.Window().WorkingPane(),
                                                          factory);
            Item(item)->trigger();
            Load(Fx.Window().WorkingPane(), 1000, 10, 509);
            Fx.Window().IncAmp()->trigger();
            W expected;
            expected.Assign(Work());
            expected.ReverseSelection();
            fail = true;
            Fx.Dialogs().ClearRecord();
            Fx.Window().Reverse()->trigger();
            QCOMPARE(Fx.Dialogs().Log, QStringList{"Message: Error: Out of memory. Please try to clear undo buffer."});
            QCOMPARE(Bytes(Work()), Bytes(expected));
            QCOMPARE(StepNames(), steps);
            const bool any = !steps.isEmpty();
            CheckUndo(any ? "Undo \"" + steps.last() + "\"" : QStringLiteral("Undo"), any, any);
            fail = false;
        }
    }

    // An effect that fails (a selection left beyond the wave by a size change) reaches the
    // unhandled-error report with the hourglass gone, and changes nothing. The fades clamp
    // their range and cannot fail this way.
    void hourglassOnFailure()
    {
        for (TAction* action : {Fx.Window().Normal(), Fx.Window().IncAmp()}) {
            Load(Fx.Window().WorkingPane(), 1000, 100, 899);
            Work().SetSize(500);
            const testwaves::ByteVector before = Bytes(Work());
            Fx.Dialogs().ClearRecord();
            WatchCursor(Work(), before);
            action->trigger();
            CursorSpy = nullptr;
            QCOMPARE(FCursorLog, (QStringList{"wait before", "back before", "message"}));
            QCOMPARE(Fx.Dialogs().Messages.size(), 1);
            QVERIFY2(Fx.Dialogs().Messages[0].contains("Index out of range!"), qPrintable(Fx.Dialogs().Messages[0]));
            QCOMPARE(QApplication::overrideCursor(), nullptr);
            QCOMPARE(Bytes(Work()), before);
        }
    }
};

int main(int argc, char** argv)
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    TApplication app(argc, argv);
    TestEditUndo test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_editundo.moc"
