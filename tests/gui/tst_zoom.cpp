// Zoom, scroll and redo in the real window: the wheel and the View commands on the pane
// the pointer was last over, selecting to the sample at 8 columns a sample, the scroll bar
// and the drag past the edge, the drawing of short and zoomed waves, and the redo keys.
#include <QScrollBar>
#include <QToolButton>
#include <QtTest>

#include "app/PaneMouse.h"
#include "app/main.h"
#include "platform/actions.h"
#include "support/WindowFixture.h"
#include "tests/support/TestWaves.h"
#include "view/PaneScrollBar.h"
#include "view/wavpaint.h"

namespace {

void Show(TWavPaintBox* pane, int32_t size, uint8_t fill = 128)
{
    testwaves::Fill(*pane->Wave(), testwaves::ByteVector(static_cast<size_t>(size), fill));
    pane->SelectAll();
}

void Wheel(QWidget* w, int x, int notches, Qt::KeyboardModifiers keys)
{
    const QPointF at(x, w->height() / 2);
    QWheelEvent e(at, w->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton, keys,
                  Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(w, &e);
}

void Move(QWidget* w, int x, Qt::MouseButtons held)
{
    const QPointF at(x, w->height() / 2);
    QMouseEvent e(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, held, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

int GreenPixels(const QImage& image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == qRgb(0, 128, 0);
    return n;
}

} // namespace

class TestZoom : public QObject {
    Q_OBJECT
    TWindowFixture Fx;

private slots:
    void init() { QVERIFY(Fx.Open()); }
    void cleanup() { Fx.Close(); }

    void selectingToTheSampleAtEightColumnsASample()
    {
        TWavPaintBox* pane = Fx.Window().WorkingPane();
        const int w = pane->width();
        Show(pane, 8 * w);  // fit scale 8: six steps in give 8 columns a sample
        Fx.Window().BtnZeroCross()->setChecked(false);
        QVERIFY(!Fx.Window().UpperScrollBar()->isVisible());
        Wheel(pane, 0, 6, Qt::ControlModifier);
        QCOMPARE(pane->View(), (TViewRange{0, 1.0 / 8}));
        QTRY_VERIFY(Fx.Window().UpperScrollBar()->isVisible());

        // Sample s owns the columns 8s - 4 .. 8s + 3: press and drag on their edges.
        QTest::mousePress(pane, Qt::LeftButton, Qt::NoModifier, QPoint(30 * 8 + 3, 5));
        QCOMPARE(pane->SelStart(), 30);
        Move(pane, 31 * 8 - 4, Qt::LeftButton);
        QCOMPARE(pane->SelStart(), 31);
        QTest::mouseRelease(pane, Qt::LeftButton, Qt::NoModifier, QPoint(31 * 8 - 4, 5));
        QTest::mousePress(pane, Qt::RightButton, Qt::NoModifier, QPoint(45 * 8 + 3, 5));
        QTest::mouseRelease(pane, Qt::RightButton, Qt::NoModifier, QPoint(45 * 8 + 3, 5));
        QCOMPARE((std::pair{pane->SelStart(), pane->SelEnd()}), (std::pair{31, 45}));
        // The selection is drawn over exactly its columns.
        QCOMPARE(pane->SelStartPixel(), 31 * 8 - 4);
        QCOMPARE(pane->SelEndPixel(), 45 * 8 + 3);

        // Dragging the end past the right edge scrolls, and the end follows to the last
        // sample shown.
        QTest::mousePress(pane, Qt::RightButton, Qt::NoModifier, QPoint(w - 10, 5));
        Move(pane, w + 40, Qt::RightButton);
        QCOMPARE(pane->View().First, 41.0 / 8);  // 41 columns past the last
        QCOMPARE(pane->SelEnd(), pane->PixelToSample(w - 1));
        QTest::mouseRelease(pane, Qt::RightButton, Qt::NoModifier, QPoint(w + 40, 5));

        // The plain wheel scrolls an eighth of the pane a notch; the scroll bar follows and moves it.
        Wheel(pane, 10, -2, Qt::NoModifier);
        QCOMPARE(pane->View().First, 41.0 / 8 + 2 * (w / 8.0) / 8);
        QTRY_COMPARE(Fx.Window().UpperScrollBar()->value(), qRound(41 + 2 * w / 8.0));
        Fx.Window().UpperScrollBar()->setValue(0);
        QCOMPARE(pane->View().First, 0.0);

        // Fit again: the bar goes and the pane has its old size and picture.
        Fx.Window().ZoomFit1()->trigger();
        QVERIFY(pane->View().IsFit());
        QTRY_VERIFY(!Fx.Window().UpperScrollBar()->isVisible());
    }

    void viewCommandsActOnThePaneLastPointedAt()
    {
        TWavPaintBox* working = Fx.Window().WorkingPane();
        TWavPaintBox* final = Fx.Window().FinalPane();
        Show(working, 10000);
        Show(final, 10000);
        final->SetSelection(1000, 1999);
        Fx.Window().ZoomIn1()->trigger();  // no pane pointed at yet: the working pane
        QCOMPARE(working->View().Scale, 10000.0 / working->width() / 2);
        QVERIFY(final->View().IsFit());
        Move(final, 5, Qt::NoButton);
        Fx.Window().ZoomSel1()->trigger();
        QCOMPARE(final->View(), ViewRange::ZoomTo(1000, 1999, final->width(), 10000));
        Fx.Window().ZoomOut1()->trigger();
        QCOMPARE(final->View().Scale, 2000.0 / final->width());
        // Each pane's own buttons act on that pane, wherever the pointer was.
        Fx.Window().BtnZoomFit2()->click();
        QVERIFY(final->View().IsFit());
        Fx.Window().BtnZoomIn1()->click();
        QCOMPARE(working->View().Scale, 10000.0 / working->width() / 4);
        // Showing a wave of the list anew starts at Fit.
        Fx.Window().Document()->ReplacePaneWave(TPaneId::Working, *final->Wave());
        QVERIFY(working->View().IsFit());
    }

    void shortAndZoomedWavesAreDrawn()
    {
        // 201 samples across the pane: too few for a column each, drawn as a joined line.
        TTxWavStream wave;
        testwaves::Fill(wave, testwaves::Iota(201, 20));
        QImage fit(628, 200, QImage::Format_RGB32);
        TWavPaintBox::Render(fit, wave, "Final Wave", 0, -1, -1, Qt::red, QFont());
        QVERIFY(GreenPixels(fit) > 400);
        // 8 columns a sample: a dot of 3 x 3 on the sample at column 8 * (s - 10).
        QImage zoomed(400, 200, QImage::Format_RGB32);
        TWavPaintBox::Render(zoomed, wave, "", 0, -1, -1, Qt::red, QFont(), {10, 1.0 / 8}, 1);
        const int y = 100 - (30 - 128) * 180 / 256;  // sample 10 holds 30
        // Sample 11 holds 31, on the same row: beyond the dot only the line goes on.
        for (int dx = 0; dx <= 2; ++dx)
            for (int dy = -1; dy <= 1; ++dy)
                QCOMPARE(zoomed.pixel(dx, y + dy) == qRgb(0, 128, 0), dx <= 1 || dy == 0);
        // Twice the device pixels: the same picture, each pixel a 2 x 2 block, but the wave.
        QImage sharp(1256, 400, QImage::Format_RGB32), plain(628, 200, QImage::Format_RGB32);
        testwaves::Fill(wave, testwaves::ByteVector(201, 128));
        TWavPaintBox::Render(sharp, wave, "", 0, -1, -1, Qt::red, QFont(), {}, 2);
        TWavPaintBox::Render(plain, wave, "", 0, -1, -1, Qt::red, QFont(), {}, 1);
        for (const QPoint p : {QPoint(0, 0), QPoint(300, 10), QPoint(300, 9), QPoint(627, 199), QPoint(5, 189)})
            QCOMPARE(sharp.pixel(2 * p + QPoint(1, 1)), plain.pixel(p));
    }

    void redoKeysAndCaptions()
    {
        TWavPaintBox* pane = Fx.Window().WorkingPane();
        Show(pane, 1000, 100);
        const auto before = testwaves::Bytes(*pane->Wave());
        Fx.Window().IncAmp()->trigger();
        const auto after = testwaves::Bytes(*pane->Wave());
        QVERIFY(!Fx.Window().BtnRedo()->isEnabled());
        QTest::keyClick(&Fx.Form(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(testwaves::Bytes(*pane->Wave()), before);
        QCOMPARE(Fx.Window().BtnRedo()->Caption(), "Redo \"Increase amplification\"");
        QVERIFY(Fx.Window().BtnRedo()->isEnabled());
        QTest::keyClick(&Fx.Form(), Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(testwaves::Bytes(*pane->Wave()), after);
        QCOMPARE(Fx.Window().BtnUndo()->Caption(), "Undo \"Increase amplification\"");
        QTest::keyClick(&Fx.Form(), Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(&Fx.Form(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(testwaves::Bytes(*pane->Wave()), after);
        // A new command after an undo: nothing to redo.
        QTest::keyClick(&Fx.Form(), Qt::Key_Z, Qt::ControlModifier);
        Fx.Window().Reverse()->trigger();
        QCOMPARE(Fx.Window().BtnRedo()->Caption(), "Redo");
        QVERIFY(!Fx.Window().BtnRedo()->isEnabled());
    }
};

QTEST_MAIN(TestZoom)
#include "tst_zoom.moc"
