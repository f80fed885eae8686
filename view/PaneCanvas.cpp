#include "view/PaneCanvas.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// A run of one colour; four pixels per store where the vector unit allows it.
void Fill32(QRgb* p, int n, QRgb c)
{
    int i = 0;
#if defined(__SSE2__)
    const __m128i v = _mm_set1_epi32(static_cast<int>(c));
    for (; i + 4 <= n; i += 4)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i), v);
#endif
    for (; i < n; ++i)
        p[i] = c;
}

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
    : FImage(image), FWidth(image.width()), FHeight(image.height()),
      FBits(reinterpret_cast<QRgb*>(image.bits())), FStride(image.bytesPerLine() / 4)
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
    QRgb* row = Row(y);
    if (mode == TPenMode::Copy) {
        Fill32(row + left, right - left, colour | 0xFF000000u);
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

void TPaneCanvas::Columns(const int* tops, const int* bottoms, QRgb colour)
{
    int first = FHeight;
    int last = 0;
    for (int x = 0; x < FWidth; ++x) {
        if (tops[x] < bottoms[x]) {
            first = std::min(first, tops[x]);
            last = std::max(last, bottoms[x]);
        }
    }
    first = std::max(first, 0);
    last = std::min(last, FHeight);
    const QRgb c = colour | 0xFF000000u;
    for (int y = first; y < last; ++y) {
        QRgb* row = Row(y);
        int x = 0;
#if defined(__SSE2__)
        const __m128i yv = _mm_set1_epi32(y);
        const __m128i cv = _mm_set1_epi32(static_cast<int>(c));
        for (; x + 4 <= FWidth; x += 4) {
            const __m128i t = _mm_loadu_si128(reinterpret_cast<const __m128i*>(tops + x));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bottoms + x));
            // Inside where bottom > y and not top > y.
            const __m128i inside = _mm_andnot_si128(_mm_cmpgt_epi32(t, yv), _mm_cmpgt_epi32(b, yv));
            auto* dst = reinterpret_cast<__m128i*>(row + x);
            const __m128i old = _mm_loadu_si128(dst);
            _mm_storeu_si128(dst, _mm_or_si128(_mm_and_si128(inside, cv), _mm_andnot_si128(inside, old)));
        }
#endif
        for (; x < FWidth; ++x)
            if (y >= tops[x] && y < bottoms[x])
                row[x] = c;
    }
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
