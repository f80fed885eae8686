#pragma once
// Byte streams the wave classes are built on: an abstract stream, a growable
// memory stream (the body of every wave) and a file stream for whole-file I/O.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "wave/Exception.h"

enum TSeekOrigin : int { soBeginning = 0, soCurrent = 1, soEnd = 2 };

class TStream {
public:
    virtual ~TStream() = default;

    // Reads at most count bytes from Position; returns the number read.
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    // Writes count bytes at Position, growing as needed; returns the number written.
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    // origin: 0 from the beginning, 1 from the current position, 2 from the end.
    virtual int64_t Seek(int64_t offset, int origin) = 0;
    virtual int64_t GetSize() const = 0;
    virtual void SetSize(int64_t newSize) = 0;

    int64_t GetPosition() { return Seek(0, soCurrent); }
    void SetPosition(int64_t position) { Seek(position, soBeginning); }

    // Like Read/Write but a short transfer raises EFileError.
    void ReadBuffer(void* buffer, int64_t count);
    void WriteBuffer(const void* buffer, int64_t count);

    // Writes count bytes read from source's current position; count 0 means the
    // whole source read from its beginning. Returns the bytes copied.
    int64_t CopyFrom(TStream& source, int64_t count);
};

// Memory for a wave's bytes. A buffer of LargeBufferBytes or more is laid out on
// huge-page boundaries and the system asked to back it with huge pages: fresh memory
// then faults in once per 2 MiB instead of once per 4 KiB page, and walking a long sound
// misses the address cache far less. Both were most of what reading a long file into
// fresh memory and converting it cost.
// Raises std::bad_alloc; ReleaseWaveBytes takes the same byte count back.
inline constexpr size_t LargeBufferBytes = size_t{4} << 20;
void* AllocateWaveBytes(size_t bytes);
void ReleaseWaveBytes(void* memory, size_t bytes) noexcept;

// Leaves elements default-initialised (for bytes: not written at all) where a plain
// vector would zero them, so buffers about to be overwritten are not filled twice.
// Takes its memory from AllocateWaveBytes.
template <class T>
class DefaultInitAllocator : public std::allocator<T> {
public:
    template <class U>
    struct rebind {
        using other = DefaultInitAllocator<U>;
    };
    DefaultInitAllocator() noexcept = default;
    template <class U>
    DefaultInitAllocator(const DefaultInitAllocator<U>&) noexcept
    {
    }
    T* allocate(size_t n)
    {
        if (n > static_cast<size_t>(-1) / sizeof(T))
            throw std::bad_alloc();
        return static_cast<T*>(AllocateWaveBytes(n * sizeof(T)));
    }
    void deallocate(T* p, size_t n) noexcept { ReleaseWaveBytes(p, n * sizeof(T)); }
    template <class U>
    void construct(U* p) noexcept(std::is_nothrow_default_constructible_v<U>)
    {
        ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... Args>
    void construct(U* p, Args&&... args)
    {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

// Growable in-memory byte buffer. Its size never exceeds 2^31 - 1 bytes;
// growing beyond that, or failing to get memory, raises EStreamError.
class TMemoryStream : public TStream {
public:
    static constexpr int64_t MaxSize = 0x7FFFFFFF;

    TMemoryStream() = default;
    TMemoryStream(const TMemoryStream&) = delete;
    TMemoryStream& operator=(const TMemoryStream&) = delete;
    ~TMemoryStream() override = default;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, int origin) override;
    int64_t GetSize() const override { return static_cast<int64_t>(FData.size()) - FOffset; }
    // Bytes added by growing are 0.
    void SetSize(int64_t newSize) override;

    // Signed 32-bit view of the size, as the wave code counts samples.
    int32_t Size() const { return static_cast<int32_t>(GetSize()); }
    // The first byte of the content. Only byte alignment is guaranteed (see CropInPlace).
    uint8_t* Memory() { return FData.data() + FOffset; }
    const uint8_t* Memory() const { return FData.data() + FOffset; }

    // The stream's bytes become the entire content of source, read from its
    // beginning (source is left positioned at its end); Position becomes 0.
    void LoadFromStream(TStream& source);
    void LoadFromFile(const std::string& fileName);
    void SaveToStream(TStream& dest) const;
    // Releases the buffer: Size and Position 0.
    void ReleaseBuffer();

protected:
    using Buffer = std::vector<uint8_t, DefaultInitAllocator<uint8_t>>;

    // Makes the count bytes from start the whole content without moving them: the
    // bytes before start stay in the buffer, unused, until it is next reallocated or
    // released. The range must lie inside the content (callers check it); Position
    // stays as it is unless it lay beyond the new end.
    void CropInPlace(int64_t start, int64_t count);
    // Makes sure the content can grow to total bytes without another allocation;
    // raises EStreamError (nothing changed) when the memory cannot be had.
    void Reserve(int64_t total);

    // The content is FData[FOffset, FData.size()); everything else goes through
    // Memory() and GetSize().
    Buffer FData;
    int64_t FOffset = 0;
    int64_t FPosition = 0;

private:
    // Sets the content size to newSize; bytes added are left unwritten unless zero is
    // set. Raises EStreamError (nothing changed) for sizes beyond MaxSize or no memory.
    void Resize(int64_t newSize, bool zero);
};

// A stream over an open file handle: whole transfers (interrupted calls resumed), seeks
// and the size of a regular file. The file streams open and close the handle.
class THandleStream : public TStream {
public:
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, int origin) override;
    int64_t GetSize() const override;

protected:
    int FHandle = -1;
};

// A file opened for reading (fmOpenRead) or created/truncated for writing (fmCreate).
// Opening failures raise EFOpenError / EFCreateError with the toolkit's German texts.
class TFileStream : public THandleStream {
public:
    enum Mode { fmOpenRead, fmCreate };
    TFileStream(const std::string& fileName, Mode mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    void SetSize(int64_t newSize) override;
    // Flushes and closes; raises EFileError when the data could not be written.
    void Close();

private:
    std::string FFileName;
};

// The toolkit's own (German) file error texts; %s is replaced by the file name.
std::string FileOpenErrorText(const std::string& fileName);   // "Datei %s kann nicht geöffnet werden"
std::string FileCreateErrorText(const std::string& fileName); // "Datei %s kann nicht erstellt werden"
// "Could not write "<fileName>": <the system's text for error>." (error: an errno value).
std::string FileWriteErrorText(const std::string& fileName, int error);
