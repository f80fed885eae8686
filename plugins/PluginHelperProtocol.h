#pragma once
// What the program and its plug-in helper say to each other. The helper is a program
// of its own (sonovane-plugin-helper, beside the program) that loads plug-in libraries
// and calls them, so a library that crashes, aborts, exits or hangs ends only the
// helper. It is started with the socket to the program on SocketFd and, for a filter
// run, the shared block of the records on BlockFd.

#include <cstdint>

namespace PluginHelperProtocol {

inline constexpr const char* ProgramName = "sonovane-plugin-helper";
inline constexpr const char* ScanMode = "scan";
inline constexpr const char* RunMode = "run";
inline constexpr int SocketFd = 3;
inline constexpr int BlockFd = 4;

enum TMessageType : uint32_t {
    // To a scanning helper: the path of one library; answered step by step as the
    // library is read, ending with ScanFinished once FreeLib has run and it is unloaded.
    ScanRequest = 1,
    ScanLoaded,       // int32: 1 when the library loaded, else 0 (and ScanFinished follows)
    ScanExports,      // uint32: the TExport bits of the names the library exports
    ScanModulName,    // text: what GetModulName returned
    ScanFilterCount,  // int32: what one call of GetFilterCount returned
    ScanFilter,       // two texts: GetFilterProcName (i), then GetFilterName (i)
    ScanFinished,
    // To a running helper: library path, procedure name, the window id (uint64).
    RunRequest,
    // From it, once the library is finalised and unloaded: a TRunOutcome, then for
    // Returned the record the filter returned (TReturnedRecord).
    RunOutcome,
};

enum TExport : uint32_t {
    ExportInitLib = 1u << 0,
    ExportFreeLib = 1u << 1,
    ExportGetModulName = 1u << 2,
    ExportGetPluginVersion = 1u << 3,
    ExportGetFilterCount = 1u << 4,
    ExportGetFilterName = 1u << 5,
    ExportGetFilterProcName = 1u << 6,
};

enum TRunOutcome : int32_t {
    CannotLoad = 1,       // the library did not load
    MissingInit,          // GetPluginVersion, FreeLib or InitLib missing
    MissingProc,          // the filter procedure missing (InitLib and FreeLib ran)
    VersionMismatch,      // GetPluginVersion gave neither 1 nor 2
    ReturnedNothing,      // the filter returned 0
    Returned,             // the filter returned a record
};

} // namespace PluginHelperProtocol
