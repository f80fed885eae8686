#include "view/LevelBar.h"

#include <QPainter>
#include <algorithm>

TLevelBar::TLevelBar(QWidget* parent) : QProgressBar(parent)
{
    setOrientation(Qt::Vertical);
    setRange(0, 100);
    setValue(0);
    setTextVisible(false);
}

int TLevelBar::FilledHeight() const
{
    const int span = maximum() - minimum();
    if (span <= 0)
        return 0;
    const long long filled = static_cast<long long>(value() - minimum()) * height() / span;
    return static_cast<int>(std::clamp<long long>(filled, 0, height()));
}

void TLevelBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    const int filled = FilledHeight();
    if (filled > 0)
        painter.fillRect(0, height() - filled, width(), filled, palette().color(QPalette::Highlight));
}
