// The pointer on the window's panes, narrow panels and level bars: start and end with and
// without snapping, moving with the clamp and autosnap marks, Ctrl playback, the hints,
// panel 0, the level and the pointer line.
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include "about/Unit2.h"
#include "app/Application.h"
#include "app/PaneMouse.h"
#include "app/main.h"
#include "platform/playsound.h"
#include "support/ScriptedDialogs.h"
#include "support/WindowFixture.h"
#include "tests/support/TestWaves.h"
#include "view/LevelBar.h"
#include "view/LocalTimeText.h"
#include "view/PanelStatusBar.h"
#include "view/wavpaint.h"

namespace {

const Qt::KeyboardModifiers None = Qt::NoModifier, Shift = Qt::ShiftModifier, Ctrl = Qt::ControlModifier;

// size samples of byte fill, then the bytes given; the selection set directly.
void Show(TWavPaintBox* pane, int32_t size, int32_t selStart, int32_t selEnd, uint8_t fill = 128,
          std::initializer_list<std::pair<int32_t, uint8_t>> bytes = {})
{
    testwaves::Fill(*pane->Wave(), testwaves::ByteVector(static_cast<size_t>(size), fill));
    for (auto [i, b] : bytes)
        pane->Wave()->SetByte(i, b);
    pane->Wave()->SetSelStart(selStart);
    pane->Wave()->SetSelEnd(selEnd);
    pane->Repaint();
}

// A move as the system delivers it: the held buttons and keys with it (QTest drops keys).
void Move(QWidget* w, int x, Qt::MouseButtons held, Qt::KeyboardModifiers keys)
{
    const QPointF at(x, w->height() / 2);
    QMouseEvent e(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, held, keys);
    QCoreApplication::sendEvent(w, &e);
}

std::pair<int32_t, int32_t> Sel(TWavPaintBox* p) { return {p->SelStart(), p->SelEnd()}; }

// 120 at 995..1001 and 130 at 1002: the one rising crossing, at 1002.
const std::initializer_list<std::pair<int32_t, uint8_t>> Crossing = {
    {995, 120}, {996, 120}, {997, 120}, {998, 120}, {999, 120}, {1000, 120}, {1001, 120}, {1002, 130}};

} // namespace

class TestPaneMouse : public QObject {
    Q_OBJECT
    TWindowFixture Fx;
    TWavPaintBox* FPane = nullptr;
    int FW = 0;  // pane width; a wave of 5 * FW samples puts sample 5x under pixel x
    QString Hint() const { return Fx.Form().statusBar()->currentMessage(); }
    void Release(Qt::MouseButton b, int x) { QTest::mouseRelease(FPane, b, Qt::NoModifier, QPoint(x, 5)); }

private slots:
    void init()
    {
        QVERIFY(Fx.Open());
        FPane = Fx.Window().WorkingPane();
        FW = FPane->width();
        QVERIFY(FW >= 500);
    }
    void cleanup() { Fx.Close(); }

    void startAndEndSnapTradeRolesAndArmTheDrag()
    {
        // Positions in samples (pixel * 5), R = P(10) = 50; a press at `from`, then a move to `at`.
        // Shift + left alone over the selection only arms the drag, and the move leaves it.
        const Qt::MouseButton L = Qt::LeftButton, R = Qt::RightButton;
        struct Case { bool zeroCross; Qt::MouseButton button; Qt::KeyboardModifiers keys; int selStart, selEnd, from, at, wantStart, wantEnd; bool armed; } cases[] = {
            {true, L, None, 0, 2000, 995, 995, 1002, 2000, false},      {true, R, None, 100, 2000, 995, 995, 100, 1001, false},
            {false, L, None, 0, 2000, 995, 995, 995, 2000, false},      {false, R, None, 100, 2000, 995, 995, 100, 995, false},
            {true, L, None, 0, 900, 995, 995, 900, 1001, false},        {true, R, None, 1500, 2500, 995, 995, 1002, 1500, false},
            {true, L, Shift, 1100, 2000, 1005, 1005, 1002, 2000, false}, {true, L, None, 0, 2000, 500, 995, 1002, 2000, false},
            {true, R, None, 100, 2000, 1500, 995, 100, 1001, false},    {true, L, Shift, 1000, 2000, 1500, 500, 1000, 2000, true},
            {true, L, Shift | Ctrl, 1000, 2000, 1500, 1500, 1500, 2000, false},
        };
        for (const auto& c : cases) {
            Show(FPane, 5 * FW, c.selStart, c.selEnd, 128, Crossing);
            Fx.Window().BtnZeroCross()->setChecked(c.zeroCross);
            QTest::mousePress(FPane, c.button, c.keys, QPoint(c.from / 5, 5));
            if (c.from != c.at)
                Move(FPane, c.at / 5, c.button, c.keys);
            QCOMPARE(Sel(FPane), std::make_pair(c.wantStart, c.wantEnd));
            QCOMPARE(Hint(), c.armed ? "" : c.button == L ? "Drag begin of selection" : "Drag end of selection");
            QCOMPARE(Fx.Window().PaneMouse()->DragArmed(), c.armed ? FPane : nullptr);
            Release(c.button, c.at / 5);
            QCOMPARE(std::make_pair(Hint(), Fx.Window().PaneMouse()->DragArmed()), std::make_pair(QString(), (TWavPaintBox*)nullptr));
        }
    }

    void middleButtonMovesWithClampAndAutosnap()
    {
        // 1000 samples, 100..199 (from pixel m): the move stops at 899..998; pressed beside
        // the selection, nothing moves. 5 * FW samples, 1000..1499 marked by Shift + middle
        // at 250 (marks' middle 1249, pixels 200..300, S = P(5) = 25): the candidate start
        // is 5 * (x - 50), snapped by the first rule in reach.
        const int m = TPixelMapping{FW, 1000}.SelStartPixel(100);
        const QColor blue(0, 0, 255), lime(0, 255, 0), red(255, 0, 0);
        struct Case { int size; bool zeroCross; Qt::KeyboardModifiers pressKeys; int press; Qt::KeyboardModifiers keys; int x, wantStart, wantEnd; QColor colour; } cases[] = {
            {1000, false, None, m + 5, None, FW - 1, 899, 998, red},    {1000, false, None, m + 5, None, FW + 300, 899, 998, red},
            {1000, false, None, m + 5, None, -300, 0, 99, red},         {1000, false, None, m - 5, None, FW - 1, 100, 199, red},
            {5 * FW, true, Shift, 250, Shift, 300, 1249, 1747, blue},   {5 * FW, false, Shift, 250, Shift, 300, 1249, 1748, lime},
            {5 * FW, true, Shift, 250, Shift, 350, 1499, 1997, blue},   {5 * FW, true, Shift, 250, Shift, 254, 1000, 1498, blue},
            {5 * FW, true, Shift, 250, Shift, 200, 750, 1248, blue},    {5 * FW, false, Shift, 250, Shift, 150, 500, 999, lime},
            {5 * FW, true, Shift, 250, Shift, 270, 1100, 1598, red},    {5 * FW, false, Shift, 250, None, 300, 1250, 1749, red},
        };
        for (const auto& c : cases) {
            Show(FPane, c.size, c.size == 1000 ? 100 : 1000, c.size == 1000 ? 199 : 1499);
            Fx.Window().BtnZeroCross()->setChecked(c.zeroCross);
            TPlaySoundRecorder recorder;
            recorder.Answer = 1;
            QTest::mousePress(FPane, Qt::MiddleButton, c.pressKeys, QPoint(c.press, 5));
            Move(FPane, c.x, Qt::MiddleButton, c.keys);
            QCOMPARE(Sel(FPane), std::make_pair(c.wantStart, c.wantEnd));
            QCOMPARE(FPane->MarkColour, c.colour);
            if (c.pressKeys == Shift)
                QCOMPARE(FPane->grab().toImage().pixelColor(205, 3), c.colour);
            QCOMPARE(Hint(), c.press == m - 5 ? "" : "Move selection. Use <Shift> for autosnap.");
            QVERIFY(recorder.Calls.empty());
            Release(Qt::MiddleButton, c.x);
            QVERIFY(!Fx.Window().PaneMouse()->MovingSelection);
            QCOMPARE(recorder.Calls.back().Image.size(), size_t(FPane->SelLength() + 44));
        }
    }

    void ctrlMovesRestartPlayback()
    {
        testwaves::Fill(*FPane->Wave(), testwaves::Iota(static_cast<size_t>(5 * FW)));
        FPane->SetSelection(1000, 1099);
        Fx.Window().BtnZeroCross()->setChecked(false);
        TPlaySoundRecorder recorder;
        recorder.Answer = 1;
        // From the pointer to the end; while moving (pressed at 210), the moved selection.
        struct Case { Qt::MouseButtons held; Qt::KeyboardModifiers keys; int x, wantStart, wantLength; } cases[] = {
            {Qt::NoButton, Ctrl, 100, 500, 5 * FW - 500}, {Qt::NoButton, Ctrl, 120, 600, 5 * FW - 600},
            {Qt::NoButton, None, 120, 0, 0},              {Qt::MiddleButton, Ctrl, 220, 1050, 100}};
        const std::vector<uint32_t> restart{SND_PURGE, SND_MEMORY, SND_MEMORY | SND_ASYNC};
        for (const auto& c : cases) {
            if (c.held == Qt::MiddleButton)
                QTest::mousePress(FPane, Qt::MiddleButton, None, QPoint(210, 5));
            recorder.Calls.clear();
            Move(FPane, c.x, c.held, c.keys);
            QCOMPARE(recorder.Flags(), c.wantLength ? restart : std::vector<uint32_t>{});
            if (c.wantLength)  // the played samples, after the 44-byte header
                QCOMPARE(std::vector<uint8_t>(recorder.Calls[2].Image.begin() + 44, recorder.Calls[2].Image.end()),
                         testwaves::Iota(static_cast<size_t>(c.wantLength), uint8_t(c.wantStart)));
        }
    }

    void sidePanelsAndHints()
    {
        // Panel 0: the narrow panel, 1: the level bar; 500 samples, on both panes.
        struct Case { int panel; Qt::MouseButton button; int selStart, selEnd, wantStart, wantEnd; } cases[] = {
            {0, Qt::LeftButton, 100, 300, 0, 300},    {0, Qt::RightButton, 100, 300, 0, 100}, {0, Qt::RightButton, 0, 300, 0, 300},
            {1, Qt::RightButton, 100, 300, 100, 499}, {1, Qt::LeftButton, 100, 300, 300, 499}, {1, Qt::LeftButton, 100, 499, 100, 499},
        };
        const QString hints[] = {"Left-click to set selection to the beginning. Right-click to flip selection to the beginning.",
                                 "Right-click to set selection to the end. Left-click to flip selection to the end."};
        for (auto [pane, narrow, bar, status] : {std::tuple{Fx.Window().WorkingPane(), Fx.Window().UpperNarrowPanel(), Fx.Window().UpperLevelBar(), Fx.Window().UpperStatusBar()},
                                                 std::tuple{Fx.Window().FinalPane(), Fx.Window().LowerNarrowPanel(), Fx.Window().LowerLevelBar(), Fx.Window().LowerStatusBar()}}) {
            for (const auto& c : cases) {
                Show(pane, 500, c.selStart, c.selEnd);
                QWidget* w = c.panel == 0 ? narrow : static_cast<QWidget*>(bar);
                Move(w, 3, Qt::NoButton, None);
                QCOMPARE(Hint(), hints[c.panel]);
                QTest::mousePress(w, c.button, None, QPoint(3, 5));
                QCOMPARE(status->PanelText(1), LocalTimeText(c.wantStart) + ">" + LocalTimeText(c.wantEnd));
                QCOMPARE(Sel(pane), std::make_pair(c.wantStart, c.wantEnd));
            }
            Move(pane, pane->SelStartPixel(), Qt::NoButton, None);
            QCOMPARE(Hint(), "Click <Shift> to Drag&Drop selection. Use middle mouse button to drag selection marking.");
            Move(pane, pane->SelStartPixel() - 1, Qt::NoButton, None);
            QCOMPARE(Hint(), QString());
        }
    }

    void timeLevelAndOnePointerLine()
    {
        struct Case { uint8_t fill; int x, level; } cases[] = {{128, 10, 0}, {160, 100, 50}, {192, FW - 1, 100}, {0, FW + 40, 100}};
        for (const auto& c : cases) {
            Show(FPane, 5 * FW, 0, 99, c.fill);
            Move(FPane, 30, Qt::NoButton, None);
            Move(FPane, c.x, Qt::NoButton, None);
            QCOMPARE(Fx.Window().UpperStatusBar()->PanelText(0), "@ " + LocalTimeText(FPane->PixelToSample(c.x)));
            QCOMPARE(Fx.Window().UpperLevelBar()->value(), c.level);
            // The picture as drawn, with one white exclusive-or line: at the pointer, in the pane.
            const int at = std::min(c.x, FW - 1);
            QCOMPARE(FPane->CursorX, at);
            QImage want(FPane->size(), QImage::Format_RGB32);
            TWavPaintBox::Render(want, *FPane->Wave(), FPane->WaveName, 0, -1, -1, Qt::red, FPane->font());
            for (int y = 0; y < want.height(); ++y)
                want.setPixel(at, y, want.pixel(at, y) ^ 0xFFFFFFu);
            QCOMPARE(FPane->Picture(), want);
        }
    }
};

int main(int argc, char** argv)
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    TApplication app(argc, argv);
    TestPaneMouse test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_panemouse.moc"
