#include "view/wavpaint.h"

#include <QFontMetrics>
#include <QLayout>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>
#include <vector>

#include "view/LocalTimeText.h"
#include "view/PaneCanvas.h"
#include "view/PanelStatusBar.h"

namespace {

constexpr QRgb Navy = qRgb(0, 0, 128);
constexpr QRgb Aqua = qRgb(0, 255, 255);
constexpr QRgb Green = qRgb(0, 128, 0);
constexpr QRgb Yellow = qRgb(255, 255, 0);
constexpr QRgb Blue = qRgb(0, 0, 255);
constexpr QRgb Red = qRgb(255, 0, 0);
constexpr QRgb Black = qRgb(0, 0, 0);

// The rows [top, bottom) that a 1-pixel vertical line from y0 to y1 covers (its end
// point left out), so the columns can be filled a scanline at a time.
void VerticalRows(int y0, int y1, int& top, int& bottom)
{
    if (y1 >= y0) {
        top = y0;
        bottom = y1;
    } else {
        top = y1 + 1;
        bottom = y0 + 1;
    }
}

// Step 4 of the picture: one column peak per pixel column, drawn as a green 1-pixel line
// from (x, mid - d) to (x, mid + d).
void DrawColumns(TPaneCanvas& canvas, int w, const TTxWavStream& wave, int32_t precision, int mid, int a)
{
    const int32_t size = wave.Size();
    const TPixelMapping map{w, size};
    const int32_t n = map.PixelToSample(1);
    if (size <= 0 || n <= 0)
        return;

    std::vector<int> tops(static_cast<size_t>(w));
    std::vector<int> bottoms(static_cast<size_t>(w));
    for (int x = 0; x < w; ++x) {
        const int32_t s = map.PixelToSample(x);
        // The rightmost column can map one sample short of the end; its scan stops there.
        const int32_t count = static_cast<int64_t>(s) + n > size ? size - s : n;
        const int32_t p = wave.ColumnPeak(s, count, precision);
        const int d = p * a / 256;
        VerticalRows(mid - d, mid + d, tops[static_cast<size_t>(x)], bottoms[static_cast<size_t>(x)]);
    }
    canvas.Columns(tops.data(), bottoms.data(), Green);
}

} // namespace

TWavPaintBox::TWavPaintBox(QObject* owner, const QString& name, QWidget* parent)
    : TWavPaintBox(std::make_shared<TComposerDocument>(), TPaneId::Working, owner, name, parent)
{
}

TWavPaintBox::TWavPaintBox(std::shared_ptr<TComposerDocument> document, TPaneId pane, QObject* owner,
                           const QString& name, QWidget* parent)
    : QWidget(parent), FDocument(std::move(document)), FPane(pane)
{
    // The parent widget already owns the pane; owner stays for the callers that pass the
    // window, as every component of the window is made.
    Q_UNUSED(owner);
    Wave()->SetSelStart(0);
    Wave()->SetSelEnd(0);
    CursorX = -1;
    MarkStart = -1;
    MarkEnd = -1;
    MarkColour = QColor(255, 0, 0);
    WaveName = name;
    Precision = 0;

    // Every pixel comes from the buffered picture.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    if (parent) {
        if (QLayout* layout = parent->layout()) {
            layout->addWidget(this);
        } else {
            auto* fill = new QVBoxLayout(parent);
            fill->setContentsMargins(0, 0, 0, 0);
            fill->setSpacing(0);
            fill->addWidget(this);
        }
        resize(parent->contentsRect().size());
    }
    Redraw(*Wave());
}

TWavPaintBox::~TWavPaintBox() = default;

void TWavPaintBox::SetSelection(int32_t a, int32_t b)
{
    Wave()->SetSelStart(std::min(a, b));
    Wave()->SetSelEnd(std::max(a, b));
    if (Wave()->SelEnd() >= Wave()->Size())
        Wave()->SetSelEnd(Wave()->Size() - 1);
}

void TWavPaintBox::SetSelectionStart(int32_t a)
{
    SetSelection(a, SelEnd());
}

void TWavPaintBox::SetSelectionEnd(int32_t b)
{
    SetSelection(SelStart(), b);
}

void TWavPaintBox::SelectAll()
{
    SetSelection(0, Wave()->Size() - 1);
    Refresh();
}

void TWavPaintBox::Refresh()
{
    Repaint();
    UpdateStatus();
}

void TWavPaintBox::TrimSelection()
{
    Wave()->TrimToSelection();
    SelectAll();
}

void TWavPaintBox::DeleteSelection()
{
    Wave()->RemoveSelection();
    SelectAll();
}

void TWavPaintBox::ReverseSelection()
{
    Wave()->ReverseSelection();
    Refresh();
}

void TWavPaintBox::UpdateStatus()
{
    if (!StatusBar)
        return;
    const auto time = LocalTimeText;
    const int32_t length = SelLength();
    const int32_t size = Wave()->Size();
    StatusBar->SetPanelText(1, time(SelStart()) + QStringLiteral(">") + time(SelEnd()));
    StatusBar->SetPanelText(2, QStringLiteral("Selection: ") + time(length) + QStringLiteral(" (") +
                                   QString::number(length) + QStringLiteral(" Bytes)"));
    StatusBar->SetPanelText(3, QStringLiteral("Total: ") + time(size) + QStringLiteral(" (") +
                                   QString::number(size) + QStringLiteral(" Bytes)"));
}

void TWavPaintBox::Repaint()
{
    Redraw(*Wave());
    update();
}

void TWavPaintBox::PaintOnce(TTxWavStream& other)
{
    Redraw(other);
    update();
}

void TWavPaintBox::XorLine(int x0, int y0, int x1, int y1, const QColor& colour, int width)
{
    if (FPicture.isNull())
        return;
    TPaneCanvas(FPicture).Line(x0, y0, x1, y1, colour.rgb(), width, TPenMode::Xor);
    update(TPaneCanvas::LineBounds(x0, y0, x1, y1, width));
}

void TWavPaintBox::Redraw(TTxWavStream& wave)
{
    if (width() <= 0 || height() <= 0) {
        FPicture = QImage();
    } else {
        if (FPicture.size() != size() || FPicture.format() != QImage::Format_RGB32)
            FPicture = QImage(size(), QImage::Format_RGB32);
        Render(FPicture, wave, WaveName, Precision, MarkStart, MarkEnd, MarkColour, font());
    }
    FPictureValid = true;
    // The fresh picture holds no pointer line.
    CursorX = -1;
}

void TWavPaintBox::paintEvent(QPaintEvent* event)
{
    if (!FPictureValid || FPicture.size() != size())
        Redraw(*Wave());
    QPainter painter(this);
    painter.drawImage(event->rect(), FPicture, event->rect());
}

void TWavPaintBox::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // Redrawn at once, so an exclusive-or line drawn before the next paint always lands
    // on a picture of the pane's current size. A resize to the size already drawn (Qt
    // delivers a pending one when a hidden pane is first shown or grabbed) keeps the
    // picture and its overlays.
    if (!FPictureValid || FPicture.size() != event->size())
        Redraw(*Wave());
}

void TWavPaintBox::Render(QImage& image, TTxWavStream& wave, const QString& waveName,
                          int32_t precision, int32_t markStart, int32_t markEnd,
                          const QColor& markColour)
{
    Render(image, wave, waveName, precision, markStart, markEnd, markColour, QFont());
}

void TWavPaintBox::Render(QImage& image, TTxWavStream& wave, const QString& waveName,
                          int32_t precision, int32_t markStart, int32_t markEnd,
                          const QColor& markColour, const QFont& font)
{
    if (image.isNull())
        return;
    if (image.format() != QImage::Format_RGB32)
        image = QImage(image.size(), QImage::Format_RGB32);
    const int w = image.width();
    const int h = image.height();
    const int mid = h / 2;
    const int a = h - 20;
    const int32_t size = wave.Size();
    const TPixelMapping map{w, size};
    TPaneCanvas canvas(image);

    // Background and border.
    canvas.FillRect(0, 0, w - 1, h - 1, Navy);
    canvas.Line(0, 0, w - 1, 0, Black);
    canvas.Line(w - 1, 0, w - 1, h - 1, Black);
    canvas.Line(w - 1, h - 1, 0, h - 1, Black);
    canvas.Line(0, h - 1, 0, 0, Black);

    // Selection area (nothing for a wave of fewer than two samples: both pixels are -1).
    const int32_t selStartX = map.SelStartPixel(wave.SelStart());
    const int32_t selEndX = map.SelEndPixel(wave.SelEnd());
    canvas.FillRect(selStartX, 3, selEndX, h - 4, Aqua);

    DrawColumns(canvas, w, wave, precision, mid, a);

    // Selection edges.
    canvas.Line(selStartX, 3, selStartX, h - 3, Aqua);
    canvas.Line(selEndX, 3, selEndX, h - 3, Aqua);

    // Centre, guide and full-scale lines.
    canvas.Line(0, mid, w - 1, mid, Yellow);
    const int g = ((a / 2) * NormalizeLevel) / 100;
    canvas.Line(0, mid - g, w - 1, mid - g, Blue);
    canvas.Line(0, mid + g, w - 1, mid + g, Blue);
    canvas.Line(0, 10, w - 1, 10, Red, 2);
    canvas.Line(0, h - 11, w - 1, h - 11, Red, 2);

    // Marks of the position a moved selection started from.
    if (markStart >= 0 && markStart < size && markEnd >= 0 && markEnd < size) {
        const int x0 = map.SampleToMarkPixel(markStart);
        const int x1 = map.SampleToMarkPixel(markEnd);
        canvas.Line(x0, 3, x1, 3, markColour.rgb(), 4);
        canvas.Line(x0, h - 4, x1, h - 4, markColour.rgb(), 4);
    }

    // The name, yellow on a solid navy box at the top left.
    QPainter painter(&image);
    painter.setFont(font);
    const QFontMetrics metrics = painter.fontMetrics();
    const QString text = QStringLiteral(" ") + waveName + QStringLiteral(" ");
    painter.fillRect(QRect(0, 0, metrics.horizontalAdvance(text), metrics.height()), QColor(Navy));
    painter.setPen(QColor(Yellow));
    painter.drawText(QPoint(0, metrics.ascent()), text);
}
