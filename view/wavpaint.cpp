#include "view/wavpaint.h"

#include <QFontMetrics>
#include <QLayout>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
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

// Step 4 of the picture at Fit: one column peak per pixel column, drawn as a green
// 1-pixel line from (x, mid - d) to (x, mid + d); n = PixelToSample(1) samples a column.
void DrawColumns(TPaneCanvas& canvas, const TPixelMapping& map, const TTxWavStream& wave, int32_t precision,
                 int mid, int a)
{
    const int w = map.Width;
    const int32_t size = wave.Size();
    const int32_t n = map.PixelToSample(1);
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

// Zoomed in, but still more than one sample per column: column x shows the peak of the
// samples from its own first sample up to the next column's.
void DrawZoomedColumns(TPaneCanvas& canvas, const TPixelMapping& map, const TTxWavStream& wave,
                       int32_t precision, int mid, int a)
{
    const int w = map.Width;
    const int64_t size = wave.Size();
    const double first = map.First();
    const double scale = map.Scale();
    std::vector<int> tops(static_cast<size_t>(w), 0);
    std::vector<int> bottoms(static_cast<size_t>(w), 0);
    auto start = [&](int x) {
        return std::clamp<int64_t>(static_cast<int64_t>(std::floor(first + x * scale + 0.5)), 0, size);
    };
    int64_t s = start(0);
    for (int x = 0; x < w; ++x) {
        const int64_t next = start(x + 1);
        if (next > s) {
            const int32_t p = wave.ColumnPeak(static_cast<int32_t>(s), static_cast<int32_t>(next - s), precision);
            const int d = p * a / 256;
            VerticalRows(mid - d, mid + d, tops[static_cast<size_t>(x)], bottoms[static_cast<size_t>(x)]);
        }
        s = next;
    }
    canvas.Columns(tops.data(), bottoms.data(), Green);
}

// One sample per column or closer (and a wave too short for a column of its own at Fit):
// the samples joined by green lines, each at the centre of its columns, with a dot on
// each once a sample spans 4 logical columns (dot is the dot's half width, 0 for none).
void DrawSamples(TPaneCanvas& canvas, const TPixelMapping& map, const TTxWavStream& wave, int mid, int a,
                 int dot)
{
    const int64_t size = wave.Size();
    const double first = map.First();
    const double scale = map.Scale();
    if (scale <= 0)
        return;
    // The samples on the picture and one beyond either edge, for the lines leaving it.
    const int64_t from = std::max<int64_t>(0, static_cast<int64_t>(std::floor(first)) - 1);
    const int64_t to = std::min<int64_t>(size - 1, static_cast<int64_t>(std::ceil(first + map.Width * scale)) + 1);
    const uint8_t* bytes = wave.Memory();
    int px = 0;
    int py = 0;
    for (int64_t s = from; s <= to; ++s) {
        const int x = static_cast<int>(std::floor(map.SampleX(static_cast<double>(s)) + 0.5));
        const int y = mid - (static_cast<int>(bytes[s]) - 128) * a / 256;
        if (s > from)
            canvas.Line(px, py, x, y, Green);
        if (dot > 0)
            canvas.FillRect(x - dot, y - dot, x + dot + 1, y + dot + 1, Green);
        px = x;
        py = y;
    }
    if (from <= to)
        canvas.FillRect(px, py, px + 1, py + 1, Green); // the last point, which a line leaves out
}

// A line given in the pane's own pixels, on a picture of k device pixels to each: the
// pixels it covers at k = 1, each grown to a k x k block.
void LogicalLine(TPaneCanvas& canvas, int k, int x0, int y0, int x1, int y1, QRgb colour, int width = 1,
                 TPenMode mode = TPenMode::Copy)
{
    if (k == 1) {
        canvas.Line(x0, y0, x1, y1, colour, width, mode);
        return;
    }
    QRect r;
    if (width <= 1 && (x0 == x1 || y0 == y1)) {
        // A 1-pixel line leaves its end point out.
        if (x0 == x1 && y0 == y1)
            return;
        const int dx = x1 > x0 ? 1 : (x1 < x0 ? -1 : 0);
        const int dy = y1 > y0 ? 1 : (y1 < y0 ? -1 : 0);
        r = QRect(QPoint(std::min(x0, x1 - dx), std::min(y0, y1 - dy)), QPoint(std::max(x0, x1 - dx), std::max(y0, y1 - dy)));
    } else if (x0 == x1 || y0 == y1) {
        r = TPaneCanvas::LineBounds(x0, y0, x1, y1, width);
    } else {
        canvas.Line(x0 * k, y0 * k, x1 * k, y1 * k, colour, width * k, mode);
        return;
    }
    canvas.FillRect(r.left() * k, r.top() * k, (r.right() + 1) * k, (r.bottom() + 1) * k, colour, mode);
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
    FDocument->AddObserver(this);
    Redraw(*Wave());
}

TWavPaintBox::~TWavPaintBox()
{
    FDocument->RemoveObserver(this);
}

TViewRange TWavPaintBox::View() const
{
    return ViewRange::Clamp(FView, width(), Wave()->Size());
}

void TWavPaintBox::SetView(const TViewRange& view)
{
    const TViewRange wanted = ViewRange::Clamp(view, width(), Wave()->Size());
    if (wanted == View())
        return;
    FView = wanted;
    Repaint();
}

void TWavPaintBox::PaneWaveReplaced(TPaneId pane)
{
    // Another wave is shown: it starts whole.
    if (pane == FPane)
        FView = TViewRange{};
}

int TWavPaintBox::PixelRatio() const
{
    return std::max(1, static_cast<int>(std::lround(devicePixelRatioF())));
}

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
    TPaneCanvas canvas(FPicture);
    LogicalLine(canvas, static_cast<int>(FPicture.devicePixelRatio()), x0, y0, x1, y1, colour.rgb(), width,
                TPenMode::Xor);
    update(TPaneCanvas::LineBounds(x0, y0, x1, y1, width));
}

void TWavPaintBox::Redraw(TTxWavStream& wave)
{
    if (width() <= 0 || height() <= 0) {
        FPicture = QImage();
    } else {
        const int k = PixelRatio();
        if (FPicture.size() != size() * k || FPicture.format() != QImage::Format_RGB32)
            FPicture = QImage(size() * k, QImage::Format_RGB32);
        Render(FPicture, wave, WaveName, Precision, MarkStart, MarkEnd, MarkColour, font(), View(), k);
    }
    FPictureValid = true;
    // The fresh picture holds no pointer line.
    CursorX = -1;
    // The view may also have changed by a change of the wave's size or the pane's width.
    const TViewRange shown = View();
    if (shown != FShownView) {
        FShownView = shown;
        emit ViewChanged();
    }
}

void TWavPaintBox::paintEvent(QPaintEvent* event)
{
    const int k = PixelRatio();
    if (!FPictureValid || FPicture.size() != size() * k)
        Redraw(*Wave());
    QPainter painter(this);
    const QRect r = event->rect();
    painter.drawImage(r.topLeft(), FPicture, QRect(r.topLeft() * k, r.size() * k));
}

void TWavPaintBox::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // Redrawn at once, so an exclusive-or line drawn before the next paint always lands
    // on a picture of the pane's current size. A resize to the size already drawn (Qt
    // delivers a pending one when a hidden pane is first shown or grabbed) keeps the
    // picture and its overlays.
    if (!FPictureValid || FPicture.size() != event->size() * PixelRatio())
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
    Render(image, wave, waveName, precision, markStart, markEnd, markColour, font, TViewRange{}, 1);
}

void TWavPaintBox::Render(QImage& image, TTxWavStream& wave, const QString& waveName,
                          int32_t precision, int32_t markStart, int32_t markEnd,
                          const QColor& markColour, const QFont& font, const TViewRange& view,
                          int pixelRatio)
{
    if (image.isNull())
        return;
    if (image.format() != QImage::Format_RGB32)
        image = QImage(image.size(), QImage::Format_RGB32);
    // The geometry is in the pane's own pixels (w x h); the picture has k x k device
    // pixels to each, and the waveform is drawn at the device's resolution.
    const int k = std::max(1, pixelRatio);
    image.setDevicePixelRatio(k);
    const int w = image.width() / k;
    const int h = image.height() / k;
    const int mid = h / 2;
    const int a = h - 20;
    const int32_t size = wave.Size();
    const TPixelMapping map{w, size, ViewRange::Clamp(view, w, size)};
    TPaneCanvas canvas(image);
    auto line = [&](int x0, int y0, int x1, int y1, QRgb colour, int width = 1) {
        LogicalLine(canvas, k, x0, y0, x1, y1, colour, width);
    };

    // Background and border.
    canvas.FillRect(0, 0, (w - 1) * k, (h - 1) * k, Navy);
    line(0, 0, w - 1, 0, Black);
    line(w - 1, 0, w - 1, h - 1, Black);
    line(w - 1, h - 1, 0, h - 1, Black);
    line(0, h - 1, 0, 0, Black);

    // Selection area (nothing for a wave of fewer than two samples: both pixels are -1).
    const int32_t selStartX = map.SelStartPixel(wave.SelStart());
    const int32_t selEndX = map.SelEndPixel(wave.SelEnd());
    canvas.FillRect(selStartX * k, 3 * k, selEndX * k, (h - 4) * k, Aqua);

    // The waveform, in device pixels.
    if (size > 0) {
        const TViewRange deviceView = map.View.IsFit() ? TViewRange{} : TViewRange{map.View.First, map.View.Scale / k};
        const TPixelMapping device{image.width(), size, deviceView};
        const int deviceMid = mid * k + k / 2;
        const int deviceA = a * k;
        if (deviceView.IsFit() && device.PixelToSample(1) > 0)
            DrawColumns(canvas, device, wave, precision, deviceMid, deviceA);
        else if (!deviceView.IsFit() && deviceView.Scale > 1)
            DrawZoomedColumns(canvas, device, wave, precision, deviceMid, deviceA);
        else
            DrawSamples(canvas, device, wave, deviceMid, deviceA, map.Scale() <= 0.25 ? k : 0);
    }

    // Selection edges.
    line(selStartX, 3, selStartX, h - 3, Aqua);
    line(selEndX, 3, selEndX, h - 3, Aqua);

    // Centre, guide and full-scale lines.
    line(0, mid, w - 1, mid, Yellow);
    const int g = ((a / 2) * NormalizeLevel) / 100;
    line(0, mid - g, w - 1, mid - g, Blue);
    line(0, mid + g, w - 1, mid + g, Blue);
    line(0, 10, w - 1, 10, Red, 2);
    line(0, h - 11, w - 1, h - 11, Red, 2);

    // Marks of the position a moved selection started from.
    if (markStart >= 0 && markStart < size && markEnd >= 0 && markEnd < size) {
        const int x0 = map.SampleToMarkPixel(markStart);
        const int x1 = map.SampleToMarkPixel(markEnd);
        line(x0, 3, x1, 3, markColour.rgb(), 4);
        line(x0, h - 4, x1, h - 4, markColour.rgb(), 4);
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
