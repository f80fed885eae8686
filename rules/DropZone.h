#pragma once
// Which of the three drops a pointer position over a pane offers: the left fifth
// inserts, the right fifth appends, the three fifths between replace.
#include <cstdint>

enum TDropMode : uint8_t { dropNone = 0, dropInsert = 1, dropReplace = 2, dropAppend = 3 };

// With f = width div 5 and g = (4 * width) div 5: replace when the pane's wave is empty
// or f <= x <= g, insert when x < f, append when x > g. Never dropNone.
TDropMode DropModeAt(int32_t width, int32_t x, bool waveEmpty);
