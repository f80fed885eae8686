#pragma once
// Durations as the panes, the lists and the drag descriptions show them.

#include <cstdint>
#include <string>

// Minutes and seconds of n working-format samples: the whole minutes, "' ", the
// seconds with exactly three decimals (decimalSeparator between them), then '"'.
// 33075 samples read 0' 1.500".
std::string SamplesToTimeText(int64_t n, char decimalSeparator = '.');
