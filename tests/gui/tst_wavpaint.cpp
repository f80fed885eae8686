// The waveform pane: exact pixels of its picture, its selection setters, its exclusive-or
// overlays and its status texts.
#include <QFontMetrics>
#include <QLocale>
#include <QVBoxLayout>
#include <QtTest>
#include <cstring>
#include <memory>
#include <vector>

#include "view/PanelStatusBar.h"
#include "view/wavpaint.h"
#include "tests/support/TestWaves.h"

namespace {

const QRgb Navy = qRgb(0, 0, 128);
const QRgb Aqua = qRgb(0, 255, 255);
const QRgb Green = qRgb(0, 128, 0);
const QRgb Yellow = qRgb(255, 255, 0);
const QRgb Blue = qRgb(0, 0, 255);
const QRgb Red = qRgb(255, 0, 0);
const QRgb Lime = qRgb(0, 255, 0);
const QRgb Black = qRgb(0, 0, 0);

// A pane of exactly w x h pixels in a parent of the same size.
struct Pane {
    QWidget parent;
    TWavPaintBox* box;
    Pane(int w, int h, const QString& name = QString())
    {
        parent.resize(w, h);
        box = new TWavPaintBox(&parent, name, &parent);
        box->resize(w, h);
    }
    QRgb At(int x, int y) const { return box->Picture().pixel(x, y); }
    int Count(QRgb colour) const
    {
        const QImage& image = box->Picture();
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += image.pixel(x, y) == colour;
        return n;
    }
};

QString Hex(QRgb c)
{
    return QString::number(c & 0xFFFFFFu, 16).rightJustified(6, QLatin1Char('0'));
}

#define PIXEL(pane, x, y, colour)                                                              \
    QVERIFY2((pane).At((x), (y)) == (colour),                                                  \
             qPrintable(QStringLiteral("(%1, %2) is %3, expected %4")                           \
                            .arg(x).arg(y).arg(Hex((pane).At((x), (y)))).arg(Hex(colour))))

int DifferingPixels(const QImage& a, const QImage& b)
{
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            n += a.pixel(x, y) != b.pixel(x, y);
    return n;
}

} // namespace

class TstWavPaint : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void construction()
    {
        QWidget parent;
        parent.resize(320, 140);
        auto* pane = new TWavPaintBox(&parent, QStringLiteral("Working Wave"), &parent);
        QCOMPARE(pane->Wave()->Size(), 0);
        QCOMPARE(pane->SelStart(), 0);
        QCOMPARE(pane->SelEnd(), 0);
        QCOMPARE(pane->SelLength(), 0);
        QCOMPARE(pane->CursorX, -1);
        QCOMPARE(pane->MarkStart, -1);
        QCOMPARE(pane->MarkEnd, -1);
        QCOMPARE(pane->MarkColour, QColor(255, 0, 0));
        QCOMPARE(pane->WaveName, QStringLiteral("Working Wave"));
        QCOMPARE(pane->Precision, 0);
        QVERIFY(pane->StatusBar == nullptr);
        QVERIFY(pane->LevelBar == nullptr);

        // It fills its parent, and keeps filling it.
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));
        QCOMPARE(pane->size(), parent.size());
        QCOMPARE(pane->Picture().size(), parent.size());
        parent.resize(400, 200);
        QTRY_COMPARE(pane->size(), QSize(400, 200));
        QCOMPARE(pane->Picture().size(), QSize(400, 200));

        // A parent that already has a layout gets the pane added to it.
        QWidget withLayout;
        auto* layout = new QVBoxLayout(&withLayout);
        layout->setContentsMargins(0, 0, 0, 0);
        auto* second = new TWavPaintBox(nullptr, QStringLiteral("Final Wave"), &withLayout);
        QCOMPARE(layout->indexOf(second), 0);
    }

    void selectionSetters()
    {
        Pane p(200, 100);
        testwaves::Fill(*p.box->Wave(), std::vector<uint8_t>(500, 128));
        p.box->SetSelection(300, 100);
        QCOMPARE(p.box->SelStart(), 100);
        QCOMPARE(p.box->SelEnd(), 300);
        QCOMPARE(p.box->SelLength(), 201);
        p.box->SetSelectionStart(400);
        QCOMPARE(p.box->SelStart(), 300);
        QCOMPARE(p.box->SelEnd(), 400);
        p.box->SetSelectionEnd(100);
        QCOMPARE(p.box->SelStart(), 100);
        QCOMPARE(p.box->SelEnd(), 300);
        // An end of 0 stands for the last sample; offsets outside the wave clamp.
        p.box->SetSelection(0, 0);
        QCOMPARE(p.box->SelStart(), 0);
        QCOMPARE(p.box->SelEnd(), 499);
        p.box->SetSelection(-5, 800);
        QCOMPARE(p.box->SelStart(), 0);
        QCOMPARE(p.box->SelEnd(), 499);
        p.box->SetSelection(600, 700);
        QCOMPARE(p.box->SelStart(), 0);
        QCOMPARE(p.box->SelEnd(), 499);

        p.box->SetSelection(10, 20);
        p.box->CursorX = 17;
        p.box->SelectAll();
        QCOMPARE(p.box->SelStart(), 0);
        QCOMPARE(p.box->SelEnd(), 499);
        QCOMPARE(p.box->CursorX, -1); // the repaint removed the pointer line

        // An empty wave keeps 0, 0 and length 0 whatever is asked.
        p.box->Wave()->Clear();
        p.box->SetSelection(5, 9);
        QCOMPARE(p.box->SelStart(), 0);
        QCOMPARE(p.box->SelEnd(), 0);
        QCOMPARE(p.box->SelLength(), 0);
        p.box->SelectAll();
        QCOMPARE(p.box->SelEnd(), 0);
    }

    void emptyWaveGeometry()
    {
        // W 200, H 100: mid 50, A 80, guide distance (40 * 85) div 100 = 34.
        Pane p(200, 100);
        p.box->Repaint();
        PIXEL(p, 100, 30, Navy);
        // The border, with its right and bottom edges.
        PIXEL(p, 100, 0, Black);
        PIXEL(p, 100, 99, Black);
        PIXEL(p, 0, 30, Black);
        PIXEL(p, 199, 30, Black);
        PIXEL(p, 199, 0, Black);
        PIXEL(p, 199, 99, Black);
        PIXEL(p, 0, 99, Black);
        // The selection lines stand at x = -1: nothing aqua at all, and no waveform.
        QCOMPARE(p.Count(Aqua), 0);
        QCOMPARE(p.Count(Green), 0);
        // Centre line: from x 0 over the border, its end point (x = W - 1) left out.
        PIXEL(p, 0, 50, Yellow);
        PIXEL(p, 198, 50, Yellow);
        PIXEL(p, 199, 50, Black);
        PIXEL(p, 100, 49, Navy);
        PIXEL(p, 100, 51, Navy);
        // Guide lines at mid -/+ 34.
        PIXEL(p, 100, 16, Blue);
        PIXEL(p, 100, 84, Blue);
        PIXEL(p, 198, 84, Blue);
        PIXEL(p, 199, 84, Black);
        PIXEL(p, 100, 15, Navy);
        PIXEL(p, 100, 17, Navy);
        PIXEL(p, 100, 83, Navy);
        PIXEL(p, 100, 85, Navy);
        QCOMPARE(p.Count(Blue), 2 * 199);
        // Full-scale lines, 2 pixels: rows 9-10 and H - 12 to H - 11, up to the last column.
        for (const int y : {9, 10, 88, 89}) {
            PIXEL(p, 100, y, Red);
            PIXEL(p, 199, y, Red);
        }
        for (const int y : {8, 11, 87, 90})
            PIXEL(p, 100, y, Navy);
        // The name box is drawn last, over the border's corner.
        PIXEL(p, 0, 0, Navy);
    }

    void selectionAreaAndEdges()
    {
        Pane p(200, 100);
        testwaves::Fill(*p.box->Wave(), std::vector<uint8_t>(1000, 127)); // peak 0: no columns
        // Start pixel trunc(250 / 999 * 200) = 50, end pixel trunc(749 / 1000 * 200) = 149.
        p.box->SetSelection(749, 250);
        p.box->Repaint();
        QCOMPARE(p.box->SelStartPixel(), 50);
        QCOMPARE(p.box->SelEndPixel(), 149);
        // Area: x 50 to 148, rows 3 to H - 5.
        PIXEL(p, 50, 3, Aqua);
        PIXEL(p, 100, 30, Aqua);
        PIXEL(p, 148, 95, Aqua);
        PIXEL(p, 100, 96, Navy);
        PIXEL(p, 100, 2, Navy);
        PIXEL(p, 49, 30, Navy);
        PIXEL(p, 150, 30, Navy);
        // Edges: rows 3 to H - 4 at both selection pixels.
        PIXEL(p, 149, 30, Aqua);
        PIXEL(p, 149, 3, Aqua);
        PIXEL(p, 149, 96, Aqua);
        PIXEL(p, 50, 96, Aqua);
        PIXEL(p, 149, 97, Navy);
        PIXEL(p, 50, 97, Navy);
        PIXEL(p, 149, 2, Navy);
        // The lines lie over the area.
        PIXEL(p, 100, 50, Yellow);
        PIXEL(p, 100, 16, Blue);
        PIXEL(p, 100, 10, Red);
        QCOMPARE(p.Count(Green), 0);

        // The whole wave: from the left border to the right border.
        p.box->SelectAll();
        QCOMPARE(p.box->SelEndPixel(), 199);
        PIXEL(p, 0, 30, Aqua);
        PIXEL(p, 198, 30, Aqua);
        PIXEL(p, 199, 30, Aqua);
        PIXEL(p, 199, 97, Black);
    }

    void columnPeaks()
    {
        // W 40 over 4000 samples: 100 samples per column. H 300: mid 150, A 280.
        std::vector<uint8_t> bytes(4000, 127);
        // Columns 15 to 17, clear of the name box at the top left.
        for (int i = 1500; i < 1600; ++i)
            bytes[i] = 128; // peak 1: d = 280 div 256 = 1
        for (int i = 1600; i < 1700; ++i)
            bytes[i] = 90;
        bytes[1650] = 100; // peak 27: d = 27 * 280 div 256 = 29
        for (int i = 1700; i < 1800; ++i)
            bytes[i] = 128;
        bytes[1750] = 255; // peak 128: d = 140
        Pane p(40, 300);
        testwaves::Fill(*p.box->Wave(), bytes);
        p.box->SetSelection(3999, 3999); // edges off these columns
        p.box->Repaint();

        PIXEL(p, 15, 149, Green);
        PIXEL(p, 15, 148, Navy);
        PIXEL(p, 15, 150, Yellow);
        PIXEL(p, 15, 151, Navy);

        PIXEL(p, 16, 120, Navy);
        PIXEL(p, 16, 121, Green);
        PIXEL(p, 16, 178, Green);
        PIXEL(p, 16, 179, Navy);

        // From one full-scale line to the other: rows 10 to H - 11, under the red rows.
        PIXEL(p, 17, 8, Navy);
        PIXEL(p, 17, 9, Red);
        PIXEL(p, 17, 10, Red);
        PIXEL(p, 17, 11, Green);
        PIXEL(p, 17, 100, Green);
        PIXEL(p, 17, 31, Blue); // guide (140 * 85) div 100 = 119 over the column
        PIXEL(p, 17, 287, Green);
        PIXEL(p, 17, 289, Red);
        PIXEL(p, 17, 290, Navy);

        for (const int x : {14, 18, 30})
            PIXEL(p, x, 149, Navy);
        // Every column is one pixel wide.
        int greenIn149 = 0;
        for (int x = 0; x < 40; ++x)
            greenIn149 += p.At(x, 149) == Green;
        QCOMPARE(greenIn149, 3);

        // On an odd height the loud column still runs from mid - d to mid + d - 1.
        Pane odd(40, 301); // mid 150, A 281, d = 140
        testwaves::Fill(*odd.box->Wave(), bytes);
        odd.box->SetSelection(3999, 3999);
        odd.box->Repaint();
        PIXEL(odd, 17, 11, Green);
        PIXEL(odd, 17, 288, Green);
        PIXEL(odd, 17, 289, Red);
        PIXEL(odd, 17, 290, Red);
        PIXEL(odd, 17, 291, Navy);
    }

    void sevenSamplesInTwoPixels()
    {
        // n = round(7 / 2) = 4 (ties to even); the column at x = 1 starts at sample 4
        // and its scan stops at the wave's end, after 3 samples.
        for (int loud = 0; loud < 7; ++loud) {
            std::vector<uint8_t> bytes(7, 127);
            bytes[loud] = 255;
            Pane p(2, 100);
            testwaves::Fill(*p.box->Wave(), bytes);
            p.box->SetSelection(0, 3); // both selection pixels at 0
            p.box->Repaint();
            QCOMPARE(p.box->PixelToSample(1), 4);
            PIXEL(p, 0, 40, Aqua);
            PIXEL(p, 1, 40, loud >= 4 ? Green : Black);
        }
    }

    void precisionStrides()
    {
        // W 10 over 100 samples: columns of 10; the column at x = 3 holds samples 30 to 39.
        for (const int precision : {-1, 0, 1, 2, 3, 4}) {
            for (int offset = 0; offset < 10; ++offset) {
                std::vector<uint8_t> bytes(100, 127);
                bytes[30 + offset] = 255;
                Pane p(10, 100);
                testwaves::Fill(*p.box->Wave(), bytes);
                p.box->SetSelection(99, 99);
                p.box->Precision = precision;
                p.box->Repaint();
                const bool read = precision <= 0 || offset % (1 << precision) == 0;
                QVERIFY2((p.At(3, 40) == Green) == read,
                         qPrintable(QStringLiteral("precision %1 offset %2").arg(precision).arg(offset)));
                PIXEL(p, 2, 40, Navy);
                PIXEL(p, 4, 40, Navy);
            }
        }
    }

    void marks()
    {
        Pane p(400, 100, QStringLiteral("N"));
        testwaves::Fill(*p.box->Wave(), std::vector<uint8_t>(1000, 127));
        p.box->SetSelection(999, 999);
        p.box->MarkStart = 500; // pixel 200
        p.box->MarkEnd = 750;   // pixel 300
        p.box->MarkColour = QColor(Lime);
        p.box->Repaint();
        // 4-pixel pen: rows y - 2 to y + 1, from 2 pixels before the start to 1 past the end.
        for (const int y : {1, 4, 94, 97}) {
            PIXEL(p, 198, y, Lime);
            PIXEL(p, 250, y, Lime);
            PIXEL(p, 301, y, Lime);
            PIXEL(p, 197, y, Navy);
            PIXEL(p, 302, y, Navy);
        }
        PIXEL(p, 250, 0, Black);
        PIXEL(p, 250, 5, Navy);
        PIXEL(p, 250, 93, Navy);
        PIXEL(p, 250, 98, Navy);
        QCOMPARE(p.Count(Lime), 2 * 4 * 104);

        // A mark outside the wave hides both.
        p.box->MarkEnd = 1000;
        p.box->Repaint();
        QCOMPARE(p.Count(Lime), 0);
        p.box->MarkEnd = 750;
        p.box->MarkStart = -1;
        p.box->Repaint();
        QCOMPARE(p.Count(Lime), 0);

        // 100 samples or fewer: every mark at x = 0 (the top one lies under the name).
        Pane small(400, 100, QStringLiteral("N"));
        testwaves::Fill(*small.box->Wave(), std::vector<uint8_t>(100, 127));
        small.box->SetSelection(99, 99);
        small.box->MarkStart = 10;
        small.box->MarkEnd = 90;
        small.box->MarkColour = QColor(Blue);
        small.box->Repaint();
        PIXEL(small, 0, 94, Blue);
        PIXEL(small, 1, 97, Blue);
        PIXEL(small, 2, 95, Navy);
        PIXEL(small, 0, 93, Black);
    }

    void name()
    {
        Pane p(300, 100, QStringLiteral("Working Wave"));
        p.box->Repaint();
        const QFontMetrics metrics(p.box->font(), &p.box->Picture());
        const QString text = QStringLiteral(" Working Wave ");
        const int w = metrics.horizontalAdvance(text);
        const int h = metrics.height();
        QVERIFY(w > 20 && w < 300 && h > 10 && h < 50);
        // The box hides the border's corner and the red line under it; the border resumes
        // right after it.
        PIXEL(p, 0, 0, Navy);
        PIXEL(p, w, 0, Black);
        PIXEL(p, 0, h, Black);
        PIXEL(p, w - 1, 10, Navy);
        PIXEL(p, w, 10, Red);
        int yellowish = 0;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const QRgb c = p.At(x, y);
                // Only navy, yellow and the blends between them.
                QVERIFY2(std::abs(qRed(c) - qGreen(c)) <= 8 && qBlue(c) <= 128,
                         qPrintable(QStringLiteral("(%1, %2) is %3").arg(x).arg(y).arg(Hex(c))));
                yellowish += qRed(c) > 200;
            }
        }
        QVERIFY(yellowish > 10);

        p.box->WaveName = QStringLiteral("A");
        p.box->Repaint();
        const int shorter = metrics.horizontalAdvance(QStringLiteral(" A "));
        PIXEL(p, shorter, 0, Black);
        PIXEL(p, shorter - 1, 0, Navy);
    }

    void exclusiveOrOverlays()
    {
        std::vector<uint8_t> bytes(2000);
        for (size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<uint8_t>(128 + (i % 50) - 25);
        Pane p(200, 100, QStringLiteral("Working Wave"));
        testwaves::Fill(*p.box->Wave(), bytes);
        p.box->SetSelection(300, 900);
        p.box->Repaint();
        const QImage original = p.box->Picture().copy();

        // The pointer line: x 10, rows 0 to H - 1 (the end point (10, H) left out).
        p.box->XorLine(10, 0, 10, 100, Qt::white, 1);
        QCOMPARE(DifferingPixels(original, p.box->Picture()), 100);
        for (int y = 0; y < 100; ++y)
            QCOMPARE(p.At(10, y), original.pixel(10, y) ^ 0x00FFFFFFu);
        // What the widget shows is the picture with its overlay.
        const QImage shown = p.box->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shown.pixel(10, 50), p.At(10, 50));
        QCOMPARE(shown.pixel(11, 50), p.At(11, 50));
        // Drawn again, it is gone, exactly.
        p.box->XorLine(10, 0, 10, 100, Qt::white, 1);
        QCOMPARE(p.box->Picture(), original);

        // A 10-pixel drop bar: x 0 to 9, rows 0 to 98.
        p.box->XorLine(5, 5, 5, 94, Qt::white, 10);
        QCOMPARE(DifferingPixels(original, p.box->Picture()), 10 * 99);
        p.box->XorLine(5, 5, 5, 94, Qt::white, 10);
        QCOMPARE(p.box->Picture(), original);

        // Slanted and coloured lines come off just as exactly.
        p.box->XorLine(20, 3, 150, 77, QColor(Red), 2);
        QVERIFY(DifferingPixels(original, p.box->Picture()) > 130);
        p.box->XorLine(20, 3, 150, 77, QColor(Red), 2);
        QCOMPARE(p.box->Picture(), original);

        // Lines off the pane (the pointer line at CursorX -1) change nothing.
        p.box->XorLine(-1, 0, -1, 100, Qt::white, 1);
        QCOMPARE(p.box->Picture(), original);

        // A repaint removes every overlay and forgets the pointer line.
        p.box->XorLine(40, 0, 40, 100, Qt::white, 1);
        p.box->XorLine(2, 50, 197, 50, Qt::white, 10);
        p.box->CursorX = 40;
        p.box->Repaint();
        QCOMPARE(p.box->Picture(), original);
        QCOMPARE(p.box->CursorX, -1);
    }

    void paintOnceAndRender()
    {
        Pane p(200, 100, QStringLiteral("Working Wave"));
        testwaves::Fill(*p.box->Wave(), std::vector<uint8_t>(1000, 128));
        p.box->SetSelection(100, 200);
        p.box->Repaint();
        const QImage own = p.box->Picture().copy();

        TTxWavStream other;
        std::vector<uint8_t> loud(3000, 127);
        loud[1500] = 255;
        testwaves::Fill(other, loud);
        other.SetSelStart(0);
        other.SetSelEnd(2999);

        p.box->CursorX = 12;
        p.box->PaintOnce(other);
        QCOMPARE(p.box->CursorX, -1);
        QImage expected(200, 100, QImage::Format_RGB32);
        TWavPaintBox::Render(expected, other, QStringLiteral("Working Wave"), 0, -1, -1, Qt::red,
                             p.box->font());
        QCOMPARE(p.box->Picture(), expected);
        PIXEL(p, 100, 40, Green); // the loud sample of the other wave, in its middle column
        // The pane's own wave is untouched.
        QCOMPARE(p.box->Wave()->Size(), 1000);
        QCOMPARE(p.box->SelStart(), 100);
        QCOMPARE(p.box->SelEnd(), 200);
        QCOMPARE(p.box->Wave()->GetByte(500), uint8_t(128));
        p.box->Repaint();
        QCOMPARE(p.box->Picture(), own);

        // Render turns any image into the pane's format.
        QImage argb(50, 60, QImage::Format_ARGB32);
        TWavPaintBox::Render(argb, other, QString(), 0, -1, -1, Qt::red);
        QCOMPARE(argb.format(), QImage::Format_RGB32);
        QCOMPARE(argb.size(), QSize(50, 60));
        QCOMPARE(argb.pixel(49, 59), Black);
    }

    void statusTexts()
    {
        QWidget parent;
        TPanelStatusBar bar({75, 150, 200, 50}, &parent);
        QCOMPARE(bar.PanelCount(), 4);
        QCOMPARE(bar.PanelWidth(0), 75);
        QCOMPARE(bar.PanelWidth(1), 150);
        QCOMPARE(bar.PanelWidth(2), 200);
        QCOMPARE(bar.PanelWidth(3), 50);
        QCOMPARE(bar.PanelText(7), QString());
        bar.SetPanelText(7, QStringLiteral("ignored"));

        Pane p(200, 100);
        // Without a status bar nothing happens.
        p.box->UpdateStatus();

        p.box->StatusBar = &bar;
        bar.SetPanelText(0, QStringLiteral("@ kept"));
        p.box->UpdateStatus();
        QCOMPARE(bar.PanelText(0), QStringLiteral("@ kept"));
        QCOMPARE(bar.PanelText(1), QStringLiteral("0' 0.000\">0' 0.000\""));
        QCOMPARE(bar.PanelText(2), QStringLiteral("Selection: 0' 0.000\" (0 Bytes)"));
        QCOMPARE(bar.PanelText(3), QStringLiteral("Total: 0' 0.000\" (0 Bytes)"));

        testwaves::Fill(*p.box->Wave(), std::vector<uint8_t>(1323000, 128));
        p.box->SetSelection(11026, 33075);
        p.box->UpdateStatus();
        QCOMPARE(bar.PanelText(1), QStringLiteral("0' 0.500\">0' 1.500\""));
        QCOMPARE(bar.PanelText(2), QStringLiteral("Selection: 0' 1.000\" (22050 Bytes)"));
        QCOMPARE(bar.PanelText(3), QStringLiteral("Total: 1' 0.000\" (1323000 Bytes)"));
        QCOMPARE(bar.PanelText(0), QStringLiteral("@ kept"));

        // The decimal separator is the user's.
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        p.box->UpdateStatus();
        QLocale::setDefault(QLocale::c());
        QCOMPARE(bar.PanelText(1), QStringLiteral("0' 0,500\">0' 1,500\""));
        QCOMPARE(bar.PanelText(2), QStringLiteral("Selection: 0' 1,000\" (22050 Bytes)"));
        QCOMPARE(bar.PanelText(3), QStringLiteral("Total: 1' 0,000\" (1323000 Bytes)"));

        // SelectAll rewrites the status too.
        p.box->SelectAll();
        QCOMPARE(bar.PanelText(2), QStringLiteral("Selection: 1' 0.000\" (1323000 Bytes)"));
    }
};

QTEST_MAIN(TstWavPaint)
#include "tst_wavpaint.moc"
