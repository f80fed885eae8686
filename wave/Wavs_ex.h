#pragma once
// The wave streams: every sound the program holds is a TTxWavStream, an in-memory
// PCM data chunk with its format record, the file it came from and its selection.
// Each class has its own header; this one gathers them with the error they raise and
// the largest-byte scans.

#include "wave/CustomWavStream.h"
#include "wave/MaxByte.h"
#include "wave/TxWavStream.h"
#include "wave/WavStream.h"
#include "wave/WavStreamError.h"
