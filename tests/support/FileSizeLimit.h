#pragma once
// A real short write for the tests: while it lives, no file of this process may grow
// beyond bytes, and a write past it fails with EFBIG (the signal it would raise is
// ignored), as a full disk fails a write. Everything is put back on the way out.

#include <csignal>
#include <cstdint>

#include <sys/resource.h>

namespace testwaves {

class TFileSizeLimit {
public:
    explicit TFileSizeLimit(uint64_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &FOld);
        FOldHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = FOld;
        small.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~TFileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &FOld);
        std::signal(SIGXFSZ, FOldHandler);
    }
    TFileSizeLimit(const TFileSizeLimit&) = delete;
    TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

private:
    struct rlimit FOld {};
    void (*FOldHandler)(int) = nullptr;
};

} // namespace testwaves
