#include "wave/Stream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <new>
#include <stdexcept>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The toolkit's German texts for short transfers.
constexpr const char* ReadErrorText = "Stream-Lesefehler";
constexpr const char* WriteErrorText = "Stream-Schreibfehler";
std::string TooLargeText()
{
    return "Wave too large: a wave holds at most " + std::to_string(TMemoryStream::MaxSize) + " bytes.";
}

std::string Replace(const char* pattern, const std::string& fileName)
{
    std::string text(pattern);
    const auto at = text.find("%s");
    if (at != std::string::npos)
        text.replace(at, 2, fileName);
    return text;
}

} // namespace

std::string FileOpenErrorText(const std::string& fileName)
{
    return Replace("Datei %s kann nicht ge\xC3\xB6" "ffnet werden", fileName);
}

std::string FileCreateErrorText(const std::string& fileName)
{
    return Replace("Datei %s kann nicht erstellt werden", fileName);
}

std::string FileWriteErrorText(const std::string& fileName, int error)
{
    return "Could not write \"" + fileName + "\": " + std::strerror(error) + ".";
}

// --- TStream ---------------------------------------------------------------------

void TStream::ReadBuffer(void* buffer, int64_t count)
{
    if (count != 0 && Read(buffer, count) != count)
        throw EFileError(ReadErrorText);
}

void TStream::WriteBuffer(const void* buffer, int64_t count)
{
    if (count != 0 && Write(buffer, count) != count)
        throw EFileError(WriteErrorText);
}

int64_t TStream::CopyFrom(TStream& source, int64_t count)
{
    if (count == 0) {
        source.SetPosition(0);
        count = source.GetSize();
    }
    if (count <= 0)
        return 0;
    // Copying in pieces keeps the extra memory small even for a whole wave.
    constexpr int64_t PieceSize = 1 << 20;
    std::vector<uint8_t> piece(static_cast<size_t>(std::min(count, PieceSize)));
    int64_t left = count;
    while (left > 0) {
        const int64_t n = std::min(left, PieceSize);
        source.ReadBuffer(piece.data(), n);
        WriteBuffer(piece.data(), n);
        left -= n;
    }
    return count;
}

// --- wave memory -------------------------------------------------------------------

namespace {

// The size of a huge page on the machines we build for.
constexpr size_t HugePageBytes = size_t{2} << 20;

} // namespace

void* AllocateWaveBytes(size_t bytes)
{
    if (bytes < LargeBufferBytes)
        return ::operator new(bytes);
    void* memory = ::operator new(bytes, std::align_val_t{HugePageBytes});
#ifdef MADV_HUGEPAGE
    // Only advice: before the first touch, and over exactly the bytes asked for (the
    // allocator's own pages beyond them keep their small pages). A system without huge
    // pages simply says no.
    const size_t pageBytes = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
    const size_t advised = bytes / pageBytes * pageBytes;
    if (advised > 0)
        ::madvise(memory, advised, MADV_HUGEPAGE);
#endif
    return memory;
}

void ReleaseWaveBytes(void* memory, size_t bytes) noexcept
{
    if (bytes < LargeBufferBytes)
        ::operator delete(memory);
    else
        ::operator delete(memory, std::align_val_t{HugePageBytes});
}

// --- TMemoryStream -----------------------------------------------------------------

int64_t TMemoryStream::Read(void* buffer, int64_t count)
{
    if (FPosition < 0 || count <= 0)
        return 0;
    const int64_t available = GetSize() - FPosition;
    if (available <= 0)
        return 0;
    const int64_t n = std::min(count, available);
    std::memcpy(buffer, Memory() + FPosition, static_cast<size_t>(n));
    FPosition += n;
    return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count)
{
    if (FPosition < 0 || count <= 0)
        return 0;
    if (count > MaxSize - FPosition)
        throw EStreamError(TooLargeText());
    const int64_t end = FPosition + count;
    const int64_t oldSize = GetSize();
    if (end > oldSize) {
        // Growing may move the buffer; bytes taken from the stream itself are copied first.
        const auto* src = static_cast<const uint8_t*>(buffer);
        const std::less<const uint8_t*> before;
        std::vector<uint8_t> copy;
        if (!FData.empty() && !before(src, FData.data()) && before(src, FData.data() + FData.size())) {
            TranslateOutOfMemory([&] { copy.assign(src, src + count); });
            buffer = copy.data();
        }
        // Only a gap left by a seek beyond the end is exposed; the rest is written below.
        Resize(end, false);
        if (FPosition > oldSize)
            std::memset(Memory() + oldSize, 0, static_cast<size_t>(FPosition - oldSize));
        std::memcpy(Memory() + FPosition, buffer, static_cast<size_t>(count));
        FPosition = end;
        return count;
    }
    std::memmove(Memory() + FPosition, buffer, static_cast<size_t>(count));
    FPosition = end;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, int origin)
{
    switch (origin) {
    case soBeginning: FPosition = offset; break;
    case soCurrent: FPosition += offset; break;
    case soEnd: FPosition = GetSize() + offset; break;
    default: break;
    }
    return FPosition;
}

void TMemoryStream::SetSize(int64_t newSize)
{
    Resize(newSize, true);
}

void TMemoryStream::Resize(int64_t newSize, bool zero)
{
    if (newSize < 0 || newSize > MaxSize)
        throw EStreamError(TooLargeText());
    const int64_t oldSize = GetSize();
    TranslateOutOfMemory([&] {
        if (FOffset == 0 || FOffset + newSize <= static_cast<int64_t>(FData.capacity())) {
            FData.resize(static_cast<size_t>(FOffset + newSize));
        } else {
            // A new buffer is needed anyway: the unused front is left behind, and the
            // content grows geometrically as the vector's own growth would.
            Buffer fresh;
            fresh.reserve(static_cast<size_t>(std::max(newSize, std::min(2 * oldSize, MaxSize))));
            fresh.assign(Memory(), Memory() + std::min(oldSize, newSize));
            fresh.resize(static_cast<size_t>(newSize));
            FData.swap(fresh);
            FOffset = 0;
        }
    });
    // The buffer may hold old bytes there (a shrink, or the tail of a crop): callers
    // must see zeros.
    if (zero && newSize > oldSize)
        std::memset(Memory() + oldSize, 0, static_cast<size_t>(newSize - oldSize));
    if (FPosition > newSize)
        FPosition = newSize;
}

void TMemoryStream::CropInPlace(int64_t start, int64_t count)
{
    FOffset += start;
    FData.resize(static_cast<size_t>(FOffset + count)); // never grows, so never allocates
    if (FPosition > count)
        FPosition = count;
}

void TMemoryStream::Reserve(int64_t total)
{
    if (total < 0 || total > MaxSize)
        throw EStreamError(TooLargeText());
    if (FOffset + total <= static_cast<int64_t>(FData.capacity()))
        return;
    TranslateOutOfMemory([&] {
        Buffer fresh;
        fresh.reserve(static_cast<size_t>(total));
        fresh.assign(Memory(), Memory() + GetSize());
        FData.swap(fresh);
        FOffset = 0;
    });
}

void TMemoryStream::LoadFromStream(TStream& source)
{
    if (&source == this) {
        FPosition = 0;
        return;
    }
    source.SetPosition(0);
    const int64_t n = source.GetSize();
    if (n < 0 || n > MaxSize)
        throw EStreamError(TooLargeText());
    // The old content is about to be overwritten: a buffer too small is replaced
    // rather than grown, so nothing is copied or zeroed on the way. The old content
    // stays until the new buffer is had.
    TranslateOutOfMemory([&] {
        if (n > static_cast<int64_t>(FData.capacity())) {
            Buffer fresh;
            fresh.resize(static_cast<size_t>(n));
            FData.swap(fresh);
        } else {
            FData.resize(static_cast<size_t>(n));
        }
    });
    FOffset = 0;
    if (FPosition > n)
        FPosition = n;
    if (n == 0) {
        FPosition = 0;
        return;
    }
    // Straight into the final buffer. Whatever a failed read left unwritten is zeroed,
    // so no stale memory ever becomes content.
    int64_t got = 0;
    try {
        got = source.Read(FData.data(), n);
    } catch (...) {
        std::memset(FData.data(), 0, static_cast<size_t>(n));
        throw;
    }
    if (got != n) {
        got = std::clamp<int64_t>(got, 0, n);
        std::memset(FData.data() + got, 0, static_cast<size_t>(n - got));
        throw EFileError(ReadErrorText);
    }
    FPosition = 0;
}

void TMemoryStream::LoadFromFile(const std::string& fileName)
{
    TFileStream file(fileName, TFileStream::fmOpenRead);
    LoadFromStream(file);
}

void TMemoryStream::SaveToStream(TStream& dest) const
{
    dest.WriteBuffer(Memory(), GetSize());
}

void TMemoryStream::ReleaseBuffer()
{
    Buffer().swap(FData);
    FOffset = 0;
    FPosition = 0;
}

// --- TFileStream -------------------------------------------------------------------

TFileStream::TFileStream(const std::string& fileName, Mode mode) : FFileName(fileName)
{
    if (mode == fmCreate) {
        FHandle = ::open(fileName.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (FHandle < 0)
            throw EFCreateError(FileCreateErrorText(fileName));
    } else {
        FHandle = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
        if (FHandle < 0)
            throw EFOpenError(FileOpenErrorText(fileName));
        // A folder opens fine on Linux but cannot be read as a file.
        struct stat st {};
        if (::fstat(FHandle, &st) != 0 || S_ISDIR(st.st_mode)) {
            ::close(FHandle);
            FHandle = -1;
            throw EFOpenError(FileOpenErrorText(fileName));
        }
    }
}

TFileStream::~TFileStream()
{
    if (FHandle >= 0)
        ::close(FHandle);
}

namespace {

// Moves count bytes with read(2) or write(2), resuming after partial transfers and
// signals; stops at the end of the file or the first error. Returns the bytes moved.
template <class Byte, class Transfer>
int64_t TransferAll(int handle, Byte* p, int64_t count, Transfer transfer)
{
    int64_t done = 0;
    while (done < count) {
        const ssize_t n = transfer(handle, p + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    return done;
}

} // namespace

int64_t THandleStream::Read(void* buffer, int64_t count)
{
    if (FHandle < 0 || count <= 0)
        return 0;
    return TransferAll(FHandle, static_cast<uint8_t*>(buffer), count, ::read);
}

int64_t THandleStream::Write(const void* buffer, int64_t count)
{
    if (FHandle < 0 || count <= 0)
        return 0;
    return TransferAll(FHandle, static_cast<const uint8_t*>(buffer), count, ::write);
}

int64_t THandleStream::Seek(int64_t offset, int origin)
{
    if (FHandle < 0)
        return -1;
    const int whence = origin == soCurrent ? SEEK_CUR : origin == soEnd ? SEEK_END : SEEK_SET;
    return ::lseek(FHandle, static_cast<off_t>(offset), whence);
}

int64_t THandleStream::GetSize() const
{
    struct stat st {};
    if (FHandle < 0 || ::fstat(FHandle, &st) != 0)
        return 0;
    return S_ISREG(st.st_mode) ? static_cast<int64_t>(st.st_size) : 0;
}

void TFileStream::SetSize(int64_t newSize)
{
    if (FHandle < 0)
        throw EFileError(WriteErrorText);
    struct stat st {};
    if (::fstat(FHandle, &st) == 0 && S_ISREG(st.st_mode)) {
        if (::ftruncate(FHandle, static_cast<off_t>(newSize)) != 0)
            throw EFileError(std::string(WriteErrorText) + ": " + FFileName);
    }
    if (Seek(0, soCurrent) > newSize)
        Seek(newSize, soBeginning);
}

void TFileStream::Close()
{
    if (FHandle < 0)
        return;
    const int handle = FHandle;
    FHandle = -1;
    bool ok = true;
    // Data still in the page cache is not yet on disk: a full disk or a failing
    // network file system only shows here. Devices and pipes cannot be synced.
    if (::fsync(handle) != 0 && errno != EINVAL && errno != EROFS && errno != ENOTSUP)
        ok = false;
    if (::close(handle) != 0 && errno != EINTR)
        ok = false;
    if (!ok)
        throw EFileError(std::string(WriteErrorText) + ": " + FFileName);
}
