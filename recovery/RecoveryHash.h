#pragma once
// A fast 64-bit hash of bytes: tells whether a wave changed since it was last written,
// and lets the reader of a recovery file see that its bytes are the ones written.
// Not for adversaries; four independent lanes keep it near memory speed.

#include <cstddef>
#include <cstdint>

uint64_t RecoveryHash(const uint8_t* data, size_t size, uint64_t seed = 0);
