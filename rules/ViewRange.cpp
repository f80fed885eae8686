#include "rules/ViewRange.h"

#include <algorithm>
#include <cmath>

namespace ViewRange {

double FitScale(int32_t width, int32_t size)
{
    if (width < 1)
        return 0;
    return static_cast<double>(size) / static_cast<double>(width);
}

double EffectiveScale(const TViewRange& view, int32_t width, int32_t size)
{
    return view.IsFit() ? FitScale(width, size) : view.Scale;
}

double MaxFirst(double scale, int32_t width, int32_t size)
{
    return std::max(0.0, static_cast<double>(size) - static_cast<double>(width) * scale);
}

TViewRange Clamp(const TViewRange& view, int32_t width, int32_t size)
{
    if (view.IsFit() || size <= 0 || width < 2 || !std::isfinite(view.Scale) || !std::isfinite(view.First))
        return {};
    const double scale = std::max(view.Scale, MinScale);
    if (scale >= FitScale(width, size))
        return {};
    return {std::clamp(view.First, 0.0, MaxFirst(scale, width, size)), scale};
}

TViewRange ZoomAt(const TViewRange& view, int32_t width, int32_t size, double x, double newScale)
{
    const double scale = EffectiveScale(view, width, size);
    const double first = view.IsFit() ? 0.0 : view.First;
    // The sample (in fractions) under the column stays under it.
    const double anchor = first + x * scale;
    return Clamp({anchor - x * newScale, newScale}, width, size);
}

TViewRange ZoomIn(const TViewRange& view, int32_t width, int32_t size, double x)
{
    return ZoomAt(view, width, size, x, EffectiveScale(view, width, size) / ZoomStep);
}

TViewRange ZoomOut(const TViewRange& view, int32_t width, int32_t size, double x)
{
    if (view.IsFit())
        return {};
    return ZoomAt(view, width, size, x, view.Scale * ZoomStep);
}

TViewRange ZoomTo(int32_t start, int32_t end, int32_t width, int32_t size)
{
    if (width < 2 || size <= 0)
        return {};
    const int64_t lo = std::clamp<int64_t>(std::min(start, end), 0, size - 1);
    const int64_t hi = std::clamp<int64_t>(std::max(start, end), 0, size - 1);
    // The last sample's column is included: hi + 1 - lo samples over the width.
    const double scale = static_cast<double>(hi + 1 - lo) / static_cast<double>(width);
    return Clamp({static_cast<double>(lo), scale}, width, size);
}

TViewRange ScrollBy(const TViewRange& view, int32_t width, int32_t size, double columns)
{
    if (view.IsFit())
        return view;
    return Clamp({view.First + columns * view.Scale, view.Scale}, width, size);
}

TViewRange ScrollTo(const TViewRange& view, int32_t width, int32_t size, double first)
{
    if (view.IsFit())
        return view;
    return Clamp({first, view.Scale}, width, size);
}

} // namespace ViewRange
