#pragma once
// One end of the socket between the program and its plug-in helper. A message goes as
// its type, its length and its payload; the other end going away (the helper crashed,
// or the program did) reads as Closed, never as a signal.

#include <cstdint>

#include "plugins/PluginMessage.h"

class TPluginChannel {
public:
    TPluginChannel() = default;
    explicit TPluginChannel(int fd) : FFd(fd) {}
    ~TPluginChannel();
    TPluginChannel(TPluginChannel&& other) noexcept;
    TPluginChannel& operator=(TPluginChannel&& other) noexcept;
    TPluginChannel(const TPluginChannel&) = delete;
    TPluginChannel& operator=(const TPluginChannel&) = delete;

    int Fd() const { return FFd; }
    bool Open() const { return FFd >= 0; }
    void Close();

    // False when the other end is gone.
    bool Send(const TPluginMessage& message);

    enum class TReceived { Message, Closed, TimedOut };
    // Waits at most timeoutMs for the start of a message (-1: for ever); a message once
    // begun is read to its end.
    TReceived Receive(TPluginMessage& message, int timeoutMs = -1);

    // Messages larger than this are refused as nonsense.
    static constexpr uint32_t MaxMessage = 0x7fffffffu;

private:
    int FFd = -1;
};
