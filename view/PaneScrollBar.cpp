#include "view/PaneScrollBar.h"

#include <algorithm>
#include <cmath>

#include "rules/ViewRange.h"
#include "view/wavpaint.h"

namespace {

// The bar's range stays well inside an int.
constexpr double MaxUnits = 1e9;

} // namespace

TPaneScrollBar::TPaneScrollBar(TWavPaintBox& pane, QWidget* parent) : QScrollBar(Qt::Horizontal, parent), FPane(pane)
{
    setObjectName(pane.objectName() + QStringLiteral("ScrollBar"));
    // Told from inside a repaint too: the bar shows or hides itself once that is over.
    connect(&pane, &TWavPaintBox::ViewChanged, this, &TPaneScrollBar::Follow, Qt::QueuedConnection);
    connect(this, &QScrollBar::valueChanged, this, &TPaneScrollBar::Scrolled);
    Follow();
}

double TPaneScrollBar::UnitsPerSample() const
{
    const TViewRange view = FPane.View();
    const double size = std::max(1, FPane.Wave()->Size());
    return std::min(1.0 / view.Scale, MaxUnits / size);
}

void TPaneScrollBar::Follow()
{
    const TViewRange view = FPane.View();
    if (view.IsFit()) {
        setVisible(false);
        return;
    }
    FFollowing = true;
    const double units = UnitsPerSample();
    const int32_t width = FPane.width();
    const int32_t size = FPane.Wave()->Size();
    const int page = std::max(1, static_cast<int>(std::lround(width * view.Scale * units)));
    setRange(0, static_cast<int>(std::lround(ViewRange::MaxFirst(view.Scale, width, size) * units)));
    setPageStep(page);
    setSingleStep(std::max(1, page / 16));
    setValue(static_cast<int>(std::lround(view.First * units)));
    FFollowing = false;
    setVisible(true);
}

void TPaneScrollBar::Scrolled(int value)
{
    if (FFollowing)
        return;
    const TViewRange view = FPane.View();
    if (view.IsFit())
        return;
    FPane.SetView(ViewRange::ScrollTo(view, FPane.width(), FPane.Wave()->Size(), value / UnitsPerSample()));
}
