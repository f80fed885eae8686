#pragma once
// Largest byte of a buffer, the scan behind the panes' column peaks.

#include <cstdint>

// Largest byte of a buffer (0 for an empty one), stopping at the first 255. The
// vectorised and plain forms are exposed so tests and benchmarks can compare them.
uint8_t MaxBytePlain(const uint8_t* data, int32_t count);
uint8_t MaxByteBlock(const uint8_t* data, int32_t count);
// Largest of the bytes at 0, step, 2 * step, ... below count; the same stop at 255.
uint8_t MaxByteStridedPlain(const uint8_t* data, int32_t count, int32_t step);
uint8_t MaxByteStrided(const uint8_t* data, int32_t count, int32_t step);
