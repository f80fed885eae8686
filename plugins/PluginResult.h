#pragma once
// The record a filter returns comes from a library outside the program: it is checked
// before anything is copied, and a wave is made only from a record that describes a
// working-format wave the program can hold.

#include <memory>
#include <string>

#include "plugins/sonovane_plugin.h"
#include "wave/Exception.h"

class TTxWavStream;

// A returned record the program refuses; the message names what is wrong.
class EPluginResult : public Exception {
public:
    using Exception::Exception;
};

namespace PluginResultText {
inline constexpr const char* NoData = "The plugin returned a wave without sample data!";
inline constexpr const char* NoFormat = "The plugin returned a wave without format record!";
inline constexpr const char* NegativeSize = "The plugin returned a wave of negative size!";
inline constexpr const char* WrongFormat =
    "The plugin returned a wave that is not in the working format (PCM, 22050 Hz, 8 bit, mono)!";
} // namespace PluginResultText

// The returned record's name; null reads as empty.
std::string ReturnedName(const TPluginWave& record);

// The new wave the record describes, or null for a Size of 0. Raises EPluginResult for a
// record that cannot be taken (null data or format with a positive size, a negative
// size, a format other than the working one) and EStreamError when memory runs out.
// The size field is 32-bit signed, so a size beyond 2^31 - 1 bytes arrives negative.
std::unique_ptr<TTxWavStream> MakeReturnedWave(const TPluginWave& record);
