#pragma once
// The program's side of one plug-in helper process: started from the helper program
// with the socket (and for a filter run the shared block) handed over, in a process
// group of its own so that stopping it stops whatever it started; ended by closing the
// socket, or killed. Whatever the helper does, the program only ever sees the socket
// close and an exit status.

#include <string>
#include <sys/types.h>

#include "plugins/PluginChannel.h"

// How a helper ended.
struct TPluginHelperEnd {
    bool Signalled = false;  // killed by a signal (a crash, an abort, a stop)
    int Code = 0;            // the signal, or the exit status

    // "segmentation fault", "aborted", "exit status 3".
    std::string Description() const;
};

class TPluginHelperProcess {
public:
    TPluginHelperProcess() = default;
    ~TPluginHelperProcess();  // ends a helper still running
    TPluginHelperProcess(const TPluginHelperProcess&) = delete;
    TPluginHelperProcess& operator=(const TPluginHelperProcess&) = delete;

    // Starts program in mode (PluginHelperProtocol::ScanMode or RunMode); blockFd, when
    // not -1, becomes the helper's BlockFd. Raises EPluginHelper when it cannot start.
    void Start(const std::string& program, const char* mode, int blockFd = -1);
    bool Running() const { return FPid > 0; }
    pid_t Pid() const { return FPid; }
    TPluginChannel& Channel() { return FChannel; }

    // Kills the helper and everything in its process group at once.
    void Kill();
    // Waits for the helper to end and tells how it did.
    TPluginHelperEnd Wait();
    // Closes the socket, which a waiting helper takes as the end, and waits a moment
    // for it to go before killing it.
    void Finish();
    // True once the helper has ended (and is reaped); never waits.
    bool Reap();

private:
    pid_t FPid = -1;
    TPluginChannel FChannel;
};
