#include "recovery/RecoveryLock.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <unistd.h>

#include "recovery/DurableFile.h"
#include "recovery/RecoveryIoError.h"

TRecoveryLock::~TRecoveryLock()
{
    // Closing the last descriptor drops the flock.
    ::close(FFd);
}

unsigned long long TRecoveryLock::ProcessStartTime(pid_t pid)
{
    const std::string path = "/proc/" + std::to_string(pid) + "/stat";
    FILE* f = std::fopen(path.c_str(), "re");
    if (!f)
        return 0;
    char line[1024];
    const size_t n = std::fread(line, 1, sizeof line - 1, f);
    std::fclose(f);
    line[n] = '\0';
    // The command name in parentheses may hold blanks and parentheses: the fields
    // count from the last ')'. The start time is field 22, the 20th after it.
    const std::string text(line);
    const size_t close = text.rfind(')');
    if (close == std::string::npos)
        return 0;
    size_t pos = close + 1;
    for (int field = 3; field < 22; ++field) {
        pos = text.find(' ', pos + 1);
        if (pos == std::string::npos)
            return 0;
    }
    return std::strtoull(text.c_str() + pos + 1, nullptr, 10);
}

bool TRecoveryLock::ProcessRuns(pid_t pid, unsigned long long startTime)
{
    if (pid <= 0)
        return false;
    if (::kill(pid, 0) != 0 && errno != EPERM)
        return false;
    return startTime == 0 || ProcessStartTime(pid) == startTime;
}

std::unique_ptr<TRecoveryLock> TRecoveryLock::Claim(const std::string& folder)
{
    const std::string path = folder + "/" + FileName;
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        throw ERecoveryIoError(DurableFile::Reason(path, errno));
    std::unique_ptr<TRecoveryLock> lock(new TRecoveryLock(fd));
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        throw ERecoveryIoError(DurableFile::Reason(path, errno));
    const pid_t self = ::getpid();
    const std::string text = std::to_string(self) + " " + std::to_string(ProcessStartTime(self)) + "\n";
    if (::ftruncate(fd, 0) != 0 ||
        ::pwrite(fd, text.data(), text.size(), 0) != static_cast<ssize_t>(text.size()) || ::fsync(fd) != 0)
        throw ERecoveryIoError(DurableFile::Reason(path, errno));
    return lock;
}

std::unique_ptr<TRecoveryLock> TRecoveryLock::TakeOver(const std::string& folder)
{
    const std::string path = folder + "/" + FileName;
    // A folder without its lock file lost its owner before the owner could write it.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return nullptr;
    std::unique_ptr<TRecoveryLock> lock(new TRecoveryLock(fd));
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        return nullptr;
    char text[64] = {};
    const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
    long long pid = 0;
    unsigned long long startTime = 0;
    if (n > 0 && std::sscanf(text, "%lld %llu", &pid, &startTime) >= 1 && pid != ::getpid() &&
        ProcessRuns(static_cast<pid_t>(pid), startTime))
        return nullptr;
    return lock;
}
