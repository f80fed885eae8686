#pragma once
// Which running program a recovery folder belongs to. The folder's "lock" file holds
// the owner's process id and start time, and the owner keeps an flock on it for as
// long as it runs; the system drops that flock however the owner ends (a kill, a
// crash). Another program takes a folder over only when it gets the flock and the
// process written in the file is not running (a process of that id with another start
// time is another program). The lock is held until this object goes.

#include <memory>
#include <string>
#include <sys/types.h>

class TRecoveryLock {
public:
    ~TRecoveryLock();
    TRecoveryLock(const TRecoveryLock&) = delete;
    TRecoveryLock& operator=(const TRecoveryLock&) = delete;

    // The lock of a folder just made, for this process. Raises ERecoveryIoError.
    static std::unique_ptr<TRecoveryLock> Claim(const std::string& folder);
    // The lock of a folder whose owner no longer runs; null while a running program
    // holds it (or when the lock cannot be had at all).
    static std::unique_ptr<TRecoveryLock> TakeOver(const std::string& folder);

    // Whether the process pid, started at startTime (0: unknown), still runs.
    static bool ProcessRuns(pid_t pid, unsigned long long startTime);
    // The start time of a process in clock ticks after boot; 0 when unknown.
    static unsigned long long ProcessStartTime(pid_t pid);

    static constexpr const char* FileName = "lock";

private:
    explicit TRecoveryLock(int fd) : FFd(fd) {}
    int FFd;
};
