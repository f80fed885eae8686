#pragma once
// The error every check of the wave streams raises, and its exact texts.

#include "wave/Exception.h"

class EWavStreamError : public Exception {
public:
    using Exception::Exception;
};

namespace WavText {
inline constexpr const char* IndexOutOfRange = "Index out of range!";
inline constexpr const char* NotAValidWav = "Not a valid WAV file.";
inline constexpr const char* CannotChangeFormat = "Cannot change the format of an existing file";
inline constexpr const char* CannotCopyToItself = "Cannot copy to itself!";
inline constexpr const char* OutOfMemory = OutOfMemoryText;
} // namespace WavText
