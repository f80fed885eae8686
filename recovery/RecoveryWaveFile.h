#pragma once
// One wave of a recovery folder as a file: its format record, the extra format bytes,
// the name of the file it came from and its samples, each part checked on reading.
// The selection is not in it: it changes far more often than the samples and is kept
// in the session list instead.
//
// Layout (little-endian): "SNVWAVE1", the 18-byte format record field by field, the
// extra bytes (length, bytes), the file name (length, bytes), the sample count, the
// hash of the samples; then the hash of everything so far, then the samples.

#include <cstdint>
#include <memory>
#include <vector>

#include "wave/Wavs_ex.h"

// Everything before the samples but the hash of itself. Equal headers mean equal waves,
// so it is what tells whether a wave changed since it was written.
std::vector<uint8_t> RecoveryWaveHeader(const TTxWavStream& wave);

// The whole file for wave, whose header is given (as RecoveryWaveHeader made it).
std::vector<uint8_t> EncodeRecoveryWave(const TTxWavStream& wave, const std::vector<uint8_t>& header);

// The wave a file holds, with the selection given (as the session list keeps it, every
// value a wave of this size can hold). Raises ERecoveryDamaged naming what is wrong.
std::unique_ptr<TTxWavStream> DecodeRecoveryWave(const uint8_t* data, size_t size, int32_t selStart,
                                                 int32_t selEnd);
