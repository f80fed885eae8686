#include "about/BevelPanel.h"

#include <QPainter>
#include <qdrawutil.h>

TBevelPanel::TBevelPanel(QWidget* parent, TBevel outer, TBevel inner)
    : QFrame(parent), FOuter(outer), FInner(inner)
{
    setAutoFillBackground(true);
    const int width = (outer != TBevel::None) + (inner != TBevel::None);
    setContentsMargins(width, width, width, width);
}

void TBevelPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QRect r = rect();
    for (const TBevel bevel : {FOuter, FInner}) {
        if (bevel == TBevel::None)
            continue;
        qDrawShadePanel(&painter, r, palette(), bevel == TBevel::Lowered, 1, nullptr);
        r.adjust(1, 1, -1, -1);
    }
}
