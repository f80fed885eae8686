#pragma once
// The helper of one plug-in scan: started with the first library, it reads the
// libraries one after another. When a library ends it (a crash, an abort, an exit) or
// does not answer in time, what was read so far is handed back, the helper is ended,
// and a new one takes over with the next library.

#include <string>

#include "plugins/PluginHelperProcess.h"
#include "plugins/ScannedLibrary.h"

class TPluginScanHelper {
public:
    explicit TPluginScanHelper(std::string program) : FProgram(std::move(program)) {}

    // Reads the library at path. Raises EPluginHelper only when the helper program
    // cannot be started.
    TScannedLibrary Read(const std::string& path);

    // How long one library may take before its helper is ended.
    int TimeoutMs = 5000;

private:
    std::string FProgram;
    TPluginHelperProcess FProcess;
};
