#pragma once
// Reading one plug-in library for the Plugins menu, as the helper does it: the calls
// into the library in the program's order (load, FreeLib only, never InitLib, unload),
// each answer sent on as soon as it is known, so that what was read before a crash
// still arrives. Also usable in the program's own process, for comparison.

#include <functional>
#include <string>

#include "plugins/PluginMessage.h"

void ScanLibrary(const std::string& path, const std::function<void(const TPluginMessage&)>& send);
