#pragma once
// Brings one loaded wave into the working format: a copy when it is in it already,
// otherwise one conversion of the whole wave through the converter, which is closed
// before and after.

class TACMConvertor;
class TTxWavStream;

// destination: a fresh wave the caller owns. On return it holds the wave in the
// converter's output format (ACMFormatOut). Failures (EACMConvertor, EStreamError)
// pass to the caller; the source is never changed.
void ConvertToWorkingFormat(TACMConvertor& convertor, TTxWavStream& source, TTxWavStream& destination);
