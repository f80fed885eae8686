#include "view/PaneCanvas.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

// Walks from (x0, y0) to (x1, y1) with Bresenham's steps, calling visit for each point;
// includeEnd decides whether the end point is visited.
template <typename Visit>
void Walk(int x0, int y0, int x1, int y1, bool includeEnd, Visit visit)
{
    const int dx = std::abs(x1 - x0);
    const int dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1;
    const int sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    int x = x0;
    int y = y0;
    for (;;) {
        const bool atEnd = x == x1 && y == y1;
        if (atEnd && !includeEnd)
            return;
        visit(x, y);
        if (atEnd)
            return;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

} // namespace

TPaneCanvas::TPaneCanvas(QImage& image)
    : FImage(image), FWidth(image.width()), FHeight(image.height())
{
}

void TPaneCanvas::Span(int y, int left, int right, QRgb colour, TPenMode mode)
{
    if (y < 0 || y >= FHeight)
        return;
    left = std::max(left, 0);
    right = std::min(right, FWidth);
    if (left >= right)
        return;
    auto* row = reinterpret_cast<QRgb*>(FImage.scanLine(y));
    if (mode == TPenMode::Copy) {
        std::fill(row + left, row + right, colour | 0xFF000000u);
    } else {
        const QRgb bits = colour & 0x00FFFFFFu;
        for (int x = left; x < right; ++x)
            row[x] ^= bits;
    }
}

void TPaneCanvas::Plot(int x, int y, QRgb colour, TPenMode mode)
{
    Span(y, x, x + 1, colour, mode);
}

void TPaneCanvas::FillRect(int left, int top, int right, int bottom, QRgb colour, TPenMode mode)
{
    for (int y = std::max(top, 0); y < std::min(bottom, FHeight); ++y)
        Span(y, left, right, colour, mode);
}

QRect TPaneCanvas::LineBounds(int x0, int y0, int x1, int y1, int width)
{
    const int w = std::max(width, 1);
    const int half = w / 2;
    return QRect(QPoint(std::min(x0, x1) - half, std::min(y0, y1) - half),
                 QPoint(std::max(x0, x1) - half + w - 1, std::max(y0, y1) - half + w - 1));
}

void TPaneCanvas::Line(int x0, int y0, int x1, int y1, QRgb colour, int width, TPenMode mode)
{
    if (width <= 1) {
        if (y0 == y1) {
            // Horizontal: the end column is left out.
            if (x1 >= x0)
                Span(y0, x0, x1, colour, mode);
            else
                Span(y0, x1 + 1, x0 + 1, colour, mode);
            return;
        }
        if (x0 == x1) {
            if (x0 < 0 || x0 >= FWidth)
                return;
            const int top = y1 >= y0 ? y0 : y1 + 1;
            const int bottom = y1 >= y0 ? y1 : y0 + 1;
            for (int y = std::max(top, 0); y < std::min(bottom, FHeight); ++y)
                Plot(x0, y, colour, mode);
            return;
        }
        Walk(x0, y0, x1, y1, false, [&](int x, int y) { Plot(x, y, colour, mode); });
        return;
    }

    const int half = width / 2;
    if (x0 == x1 || y0 == y1) {
        // Axis-parallel wide lines sweep their square into one rectangle.
        const QRect r = LineBounds(x0, y0, x1, y1, width);
        FillRect(r.left(), r.top(), r.right() + 1, r.bottom() + 1, colour, mode);
        return;
    }

    // A slanted wide line: mark every covered pixel first so that overlapping squares
    // still XOR each pixel once.
    const QRect bounds = LineBounds(x0, y0, x1, y1, width).intersected(FImage.rect());
    if (bounds.isEmpty())
        return;
    std::vector<uint8_t> mask(static_cast<size_t>(bounds.width()) * bounds.height(), 0);
    Walk(x0, y0, x1, y1, true, [&](int x, int y) {
        const int l = std::max(x - half, bounds.left());
        const int r = std::min(x - half + width - 1, bounds.right());
        const int t = std::max(y - half, bounds.top());
        const int b = std::min(y - half + width - 1, bounds.bottom());
        for (int yy = t; yy <= b; ++yy)
            for (int xx = l; xx <= r; ++xx)
                mask[static_cast<size_t>(yy - bounds.top()) * bounds.width() + (xx - bounds.left())] = 1;
    });
    for (int yy = bounds.top(); yy <= bounds.bottom(); ++yy)
        for (int xx = bounds.left(); xx <= bounds.right(); ++xx)
            if (mask[static_cast<size_t>(yy - bounds.top()) * bounds.width() + (xx - bounds.left())])
                Plot(xx, yy, colour, mode);
}
