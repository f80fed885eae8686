#pragma once
// A block of memory two processes see alike: an anonymous memory file mapped shared.
// The program makes one per filter run and hands its file to the helper, which maps it
// and lays the plug-in records over it.

#include <cstddef>
#include <cstdint>

class TSharedBlock {
public:
    TSharedBlock() = default;
    ~TSharedBlock();
    TSharedBlock(const TSharedBlock&) = delete;
    TSharedBlock& operator=(const TSharedBlock&) = delete;

    // A new zeroed block of size bytes; raises EPluginHelper when the system refuses.
    static void Create(TSharedBlock& block, size_t size);
    // Maps the whole file fd (the helper's side); false when it cannot.
    bool Map(int fd);

    uint8_t* Data() const { return FData; }
    size_t Size() const { return FSize; }
    int Fd() const { return FFd; }

private:
    void Release();
    int FFd = -1;
    uint8_t* FData = nullptr;
    size_t FSize = 0;
};
