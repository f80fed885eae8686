#pragma once
// Runs one filter in the plug-in helper: both panes and both lists are laid out as
// the plug-in records in a shared block, a helper process loads the library again,
// initialises it, calls the procedure once, finalises and unloads it. The filter's
// changes to the samples and a returned wave (listed as a new waves-list entry) are
// taken over only when all that ended normally; a crash, an abort, an exit or a stop
// changes nothing and is told.

#include <QString>
#include <memory>
#include <vector>

#include "plugins/PluginHelperProcess.h"

#include "plugins/PluginHostParts.h"

class QObject;

namespace PluginRunText {
inline constexpr const char* CannotLoad = "Error loding plugin library!";
inline constexpr const char* MissingInit = "Error in plugin library (InitLib/FreeLib)!";
inline constexpr const char* MissingProc = "Error in Plugin-Library (ProcAddr)!";
inline constexpr const char* VersionMismatch = "Plugin Version Missmatch!";
// %1 the library's file name, %2 the filter's caption, %3 what ended it.
inline constexpr const char* Crashed = "The plug-in \"%1\" crashed while running \"%2\" (%3). Nothing was changed.";
inline constexpr const char* Quit = "The plug-in \"%1\" quit while running \"%2\" (%3). Nothing was changed.";
inline constexpr const char* Stopped = "The plug-in \"%1\" was stopped while running \"%2\". Nothing was changed.";
} // namespace PluginRunText

class TPluginRunner {
public:
    // helperProgram: the plug-in helper, read at every run.
    TPluginRunner(const TPluginHostParts& parts, const QString& helperProgram);

    // sender: the filter's action (category: the library's file name, hint: the
    // procedure's name); anything else does nothing. Failures of the library are shown
    // as messages; a returned record the program refuses is shown and not listed; a
    // failure of the program's own passes on to the caller.
    void RunPluginFilter(QObject* sender);

private:
    const TPluginHostParts& FParts;
    const QString& FHelperProgram;
    // Helpers that have answered and are on their way out: nobody waits for them to
    // end; each later run reaps those that have.
    std::vector<std::unique_ptr<TPluginHelperProcess>> FEnding;
};
