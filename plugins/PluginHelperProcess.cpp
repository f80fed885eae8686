#include "plugins/PluginHelperProcess.h"

#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include "plugins/PluginHelperError.h"
#include "plugins/PluginHelperProtocol.h"

extern char** environ;

std::string TPluginHelperEnd::Description() const
{
    if (!Signalled)
        return "exit status " + std::to_string(Code);
    const char* name = strsignal(Code);
    std::string text = name ? name : "signal " + std::to_string(Code);
    if (!text.empty())
        text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    return text;
}

namespace {

// Above the numbers the helper's files are given, so handing one over never closes
// another first.
int HighDuplicate(int fd)
{
    return fcntl(fd, F_DUPFD_CLOEXEC, 10);
}

[[noreturn]] void CannotStart(const std::string& program, int error)
{
    throw EPluginHelper("The plug-in helper \"" + program + "\" cannot be started: " + std::strerror(error) + ".");
}

} // namespace

TPluginHelperProcess::~TPluginHelperProcess()
{
    Finish();
}

void TPluginHelperProcess::Start(const std::string& program, const char* mode, int blockFd)
{
    Finish();
    int pair[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0)
        CannotStart(program, errno);
    TPluginChannel ours(pair[0]);
    const int theirs = HighDuplicate(pair[1]);
    close(pair[1]);
    const int block = blockFd >= 0 ? HighDuplicate(blockFd) : -1;
    if (theirs < 0 || (blockFd >= 0 && block < 0)) {
        const int error = errno;
        if (theirs >= 0)
            close(theirs);
        CannotStart(program, error);
    }

    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_adddup2(&files, theirs, PluginHelperProtocol::SocketFd);
    if (block >= 0)
        posix_spawn_file_actions_adddup2(&files, block, PluginHelperProtocol::BlockFd);
    posix_spawn_file_actions_addclosefrom_np(&files, PluginHelperProtocol::BlockFd + 1);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // Its own process group, the default handling of every signal, none blocked.
    sigset_t all, none;
    sigfillset(&all);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    std::string name = program;
    std::string modeText = mode;
    char* argv[] = {name.data(), modeText.data(), nullptr};
    pid_t pid = -1;
    const int error = posix_spawn(&pid, program.c_str(), &files, &attributes, argv, environ);
    posix_spawn_file_actions_destroy(&files);
    posix_spawnattr_destroy(&attributes);
    close(theirs);
    if (block >= 0)
        close(block);
    if (error != 0)
        CannotStart(program, error);
    FPid = pid;
    FChannel = std::move(ours);
}

void TPluginHelperProcess::Kill()
{
    if (FPid <= 0)
        return;
    kill(-FPid, SIGKILL);
    kill(FPid, SIGKILL);
}

TPluginHelperEnd TPluginHelperProcess::Wait()
{
    TPluginHelperEnd end;
    if (FPid <= 0)
        return end;
    int status = 0;
    pid_t got;
    do
        got = waitpid(FPid, &status, 0);
    while (got < 0 && errno == EINTR);
    FPid = -1;
    FChannel.Close();
    if (got > 0 && WIFSIGNALED(status)) {
        end.Signalled = true;
        end.Code = WTERMSIG(status);
    } else if (got > 0 && WIFEXITED(status)) {
        end.Code = WEXITSTATUS(status);
    }
    return end;
}

void TPluginHelperProcess::Finish()
{
    if (FPid <= 0) {
        FChannel.Close();
        return;
    }
    FChannel.Close();
    // An idle helper, or one that has answered, ends at once when its socket closes.
    for (int i = 0; i < 1000; ++i) {
        int status = 0;
        const pid_t got = waitpid(FPid, &status, WNOHANG);
        if (got == FPid || (got < 0 && errno != EINTR)) {
            FPid = -1;
            return;
        }
        const timespec pause{0, 100'000};
        nanosleep(&pause, nullptr);
    }
    Kill();
    Wait();
}

bool TPluginHelperProcess::Reap()
{
    if (FPid <= 0)
        return true;
    int status = 0;
    const pid_t got = waitpid(FPid, &status, WNOHANG);
    if (got == 0)
        return false;
    FPid = -1;
    FChannel.Close();
    return true;
}
