#pragma once
// Integer pixel drawing on a pane's off-screen picture (a QImage of Format_RGB32), with
// the geometry the pane's picture relies on:
//  - a rectangle (left, top)-(right, bottom) covers left <= x < right, top <= y < bottom;
//  - a 1-pixel line covers the points of its Bresenham walk from the start point towards
//    the end point, the end point itself excluded (a line to its own start draws nothing);
//  - a pen w > 1 pixels wide is a w x w square whose top-left pixel lies at
//    (x - w div 2, y - w div 2), stamped at every point of the walk, both ends included.
//    So a 2-pixel horizontal line at y covers the rows y - 1 and y, a 4-pixel one the rows
//    y - 2 to y + 1, and both reach one pixel (two for 4 pixels) past either end.
// In exclusive-or mode each covered pixel is XORed exactly once with the pen colour, so
// drawing the same line twice restores the picture. Everything is clipped to the image.
#include <QImage>
#include <QRect>
#include <QRgb>
#include <cstddef>

enum class TPenMode { Copy, Xor };

class TPaneCanvas {
public:
    explicit TPaneCanvas(QImage& image);

    void FillRect(int left, int top, int right, int bottom, QRgb colour,
                  TPenMode mode = TPenMode::Copy);
    void Line(int x0, int y0, int x1, int y1, QRgb colour, int width = 1,
              TPenMode mode = TPenMode::Copy);

    // One vertical run per column, as 1-pixel lines would draw them: column x gets the
    // rows tops[x] <= y < bottoms[x] (an empty run where tops[x] >= bottoms[x]). Written
    // a scanline at a time, which is what keeps a full-width graph cheap.
    void Columns(const int* tops, const int* bottoms, QRgb colour);

    // The pixels a line may touch (before clipping), for the region to show again.
    static QRect LineBounds(int x0, int y0, int x1, int y1, int width);

private:
    void Span(int y, int left, int right, QRgb colour, TPenMode mode);
    void Plot(int x, int y, QRgb colour, TPenMode mode);

    QRgb* Row(int y) const { return FBits + static_cast<ptrdiff_t>(y) * FStride; }

    QImage& FImage;
    int FWidth;
    int FHeight;
    QRgb* FBits;       // detached once, here, rather than on every scanline
    ptrdiff_t FStride; // in pixels
};
