#pragma once
// Brings one loaded wave into the working format: a copy when it is in it already,
// otherwise one conversion of the whole wave through the converter, which is closed
// before and after. The converter reads the source's bytes where they are and writes
// straight into the destination: no other copy of the sound is made.

class TACMConvertor;
class TTxWavStream;

// destination: a fresh wave the caller owns. On return it holds the wave in the
// converter's output format (ACMFormatOut). Failures (EACMConvertor, EStreamError)
// pass to the caller with the destination left empty; the source is never changed.
void ConvertToWorkingFormat(TACMConvertor& convertor, TTxWavStream& source, TTxWavStream& destination);
