#pragma once
// How the program talks to sonovane-effect-helper, the process that reads and runs the
// desktop's LADSPA and LV2 effects so that none of them can take the program down. It
// is started by the plug-in helpers' means (the socket on fd 3, the shared block on 4).
//
//   scan:  ScanRequest(cache file)                       -> Done, or Failed(text)
//   apply: ApplyRequest(cache file, effect id, values)   -> Done (the block holds the
//          result), or Failed(text); the block holds the bytes to change.

#include <cstdint>

namespace EffectHelperProtocol {

inline constexpr const char* ProgramName = "sonovane-effect-helper";
inline constexpr const char* ScanMode = "scan";
inline constexpr const char* ApplyMode = "apply";

enum : uint32_t { ScanRequest = 1, ApplyRequest = 2, Done = 3, Failed = 4 };

} // namespace EffectHelperProtocol
