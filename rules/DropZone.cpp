#include "rules/DropZone.h"

TDropMode DropModeAt(int32_t width, int32_t x, bool waveEmpty)
{
    // 64 bits: four times a wide pane must not wrap.
    const int64_t f = int64_t{width} / 5;
    const int64_t g = 4 * int64_t{width} / 5;
    if (waveEmpty || (f <= x && x <= g))
        return dropReplace;
    return x < f ? dropInsert : dropAppend;
}
