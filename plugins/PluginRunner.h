#pragma once
// Runs one filter: loads its library again, initialises it, describes both panes and
// both lists in the plug-in records, calls the procedure once, lists a returned wave as
// a new waves-list entry, and finalises and unloads the library on every path.

#include "plugins/PluginHostParts.h"

class QObject;

namespace PluginRunText {
inline constexpr const char* CannotLoad = "Error loding plugin library!";
inline constexpr const char* MissingInit = "Error in plugin library (InitLib/FreeLib)!";
inline constexpr const char* MissingProc = "Error in Plugin-Library (ProcAddr)!";
inline constexpr const char* VersionMismatch = "Plugin Version Missmatch!";
} // namespace PluginRunText

class TPluginRunner {
public:
    explicit TPluginRunner(const TPluginHostParts& parts);

    // sender: the filter's action (category: the library's file name, hint: the
    // procedure's name); anything else does nothing. Failures of the library are shown
    // as messages; a returned record the program refuses is shown and not listed; a
    // failure of the program's own passes on to the caller after FreeLib and unloading.
    void RunPluginFilter(QObject* sender);

private:
    const TPluginHostParts& FParts;
};
