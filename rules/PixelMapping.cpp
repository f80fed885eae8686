#include "rules/PixelMapping.h"

#include <cmath>
#include <limits>

namespace {

// A rounded or truncated double back to 32 bits; pixel values of absurd inputs saturate
// rather than invoke an undefined conversion.
int32_t Saturate(double v)
{
    if (std::isnan(v))
        return 0;
    if (v <= static_cast<double>(std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    if (v >= static_cast<double>(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(v);
}

// Zoomed, a sample owns a half-open run of columns, so halves round up: every sample of
// a view at 8 columns per sample gets exactly 8 columns.
double RoundHalfUp(double v)
{
    return std::floor(v + 0.5);
}

} // namespace

int32_t TPixelMapping::PixelToSample(int32_t x) const
{
    if (Width < 2)
        return 0;
    double s;
    if (View.IsFit()) {
        // The quotient first, then the product: the order decides which values land on a tie.
        s = std::nearbyint(static_cast<double>(Size) *
                           (static_cast<double>(x) / static_cast<double>(Width)));
    } else {
        s = RoundHalfUp(View.First + static_cast<double>(x) * View.Scale);
    }
    if (s < 0)
        s = 0;
    if (s >= static_cast<double>(Size))
        s = static_cast<double>(Size) - 1; // an empty wave ends up at -1 on purpose
    return Saturate(s);
}

int32_t TPixelMapping::Span(int32_t n) const
{
    if (View.IsFit())
        return PixelToSample(n);
    return Saturate(RoundHalfUp(static_cast<double>(n) * View.Scale));
}

int32_t TPixelMapping::SelStartPixel(int32_t selStart) const
{
    if (Size < 2)
        return -1;
    if (!View.IsFit())
        return Saturate(std::ceil((static_cast<double>(selStart) - 0.5 - View.First) / View.Scale));
    // The start divides by Size - 1 and the end by Size: a whole-wave selection then
    // starts on pixel 0 and ends on the last pixel.
    return Saturate(std::trunc(static_cast<double>(selStart) / static_cast<double>(Size - 1) *
                               static_cast<double>(Width)));
}

int32_t TPixelMapping::SelEndPixel(int32_t selEnd) const
{
    if (Size < 2)
        return -1;
    if (!View.IsFit())
        return Saturate(std::ceil((static_cast<double>(selEnd) + 0.5 - View.First) / View.Scale) - 1);
    return Saturate(std::trunc(static_cast<double>(selEnd) / static_cast<double>(Size) *
                               static_cast<double>(Width)));
}

int32_t TPixelMapping::SampleToMarkPixel(int32_t s) const
{
    if (!View.IsFit())
        return Saturate(RoundHalfUp(SampleX(s)));
    if (Size <= 100)
        return 0;
    return Saturate(std::nearbyint(static_cast<double>(s) / static_cast<double>(Size) *
                                   static_cast<double>(Width)));
}

double TPixelMapping::SampleX(double s) const
{
    const double scale = Scale();
    if (scale <= 0)
        return 0;
    return (s - First()) / scale;
}

double TPixelMapping::Scale() const
{
    return ViewRange::EffectiveScale(View, Width, Size);
}
