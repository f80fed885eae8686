#include "plugins/PluginChannel.h"

#include <cerrno>
#include <new>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace {

bool WriteAll(int fd, const void* data, size_t size)
{
    const auto* at = static_cast<const uint8_t*>(data);
    while (size > 0) {
        // MSG_NOSIGNAL: a helper that died must not take the program down with SIGPIPE.
        const ssize_t written = send(fd, at, size, MSG_NOSIGNAL);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        at += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

bool ReadAll(int fd, void* data, size_t size)
{
    auto* at = static_cast<uint8_t*>(data);
    while (size > 0) {
        const ssize_t got = read(fd, at, size);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        at += got;
        size -= static_cast<size_t>(got);
    }
    return true;
}

struct THead {
    uint32_t Type;
    uint32_t Size;
};

} // namespace

TPluginChannel::~TPluginChannel()
{
    Close();
}

TPluginChannel::TPluginChannel(TPluginChannel&& other) noexcept : FFd(std::exchange(other.FFd, -1)) {}

TPluginChannel& TPluginChannel::operator=(TPluginChannel&& other) noexcept
{
    if (this != &other) {
        Close();
        FFd = std::exchange(other.FFd, -1);
    }
    return *this;
}

void TPluginChannel::Close()
{
    if (FFd >= 0)
        close(FFd);
    FFd = -1;
}

bool TPluginChannel::Send(const TPluginMessage& message)
{
    if (FFd < 0 || message.Bytes.size() > MaxMessage)
        return false;
    const THead head{message.Type, static_cast<uint32_t>(message.Bytes.size())};
    return WriteAll(FFd, &head, sizeof head) && WriteAll(FFd, message.Bytes.data(), message.Bytes.size());
}

TPluginChannel::TReceived TPluginChannel::Receive(TPluginMessage& message, int timeoutMs)
{
    if (FFd < 0)
        return TReceived::Closed;
    pollfd p{FFd, POLLIN, 0};
    int ready;
    do
        ready = poll(&p, 1, timeoutMs);
    while (ready < 0 && errno == EINTR);
    if (ready == 0)
        return TReceived::TimedOut;
    THead head{};
    if (ready < 0 || !ReadAll(FFd, &head, sizeof head) || head.Size > MaxMessage)
        return TReceived::Closed;
    message = TPluginMessage(head.Type);
    try {
        message.Bytes.resize(head.Size);
    } catch (const std::bad_alloc&) {
        return TReceived::Closed;
    }
    return ReadAll(FFd, message.Bytes.data(), head.Size) ? TReceived::Message : TReceived::Closed;
}
