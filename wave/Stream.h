#pragma once
// Byte streams the wave classes are built on: an abstract stream, a growable
// memory stream (the body of every wave) and a file stream for whole-file I/O.

#include <cstdint>
#include <string>
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
    int64_t GetSize() const override { return static_cast<int64_t>(FData.size()); }
    void SetSize(int64_t newSize) override;

    // Signed 32-bit view of the size, as the wave code counts samples.
    int32_t Size() const { return static_cast<int32_t>(FData.size()); }
    uint8_t* Memory() { return FData.data(); }
    const uint8_t* Memory() const { return FData.data(); }

    // The stream's bytes become the entire content of source, read from its
    // beginning (source is left positioned at its end); Position becomes 0.
    void LoadFromStream(TStream& source);
    void LoadFromFile(const std::string& fileName);
    void SaveToStream(TStream& dest) const;
    // Releases the buffer: Size and Position 0.
    void ReleaseBuffer();

protected:
    std::vector<uint8_t> FData;
    int64_t FPosition = 0;
};

// A file opened for reading (fmOpenRead) or created/truncated for writing (fmCreate).
// Opening failures raise EFOpenError / EFCreateError with the toolkit's German texts.
class TFileStream : public TStream {
public:
    enum Mode { fmOpenRead, fmCreate };
    TFileStream(const std::string& fileName, Mode mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, int origin) override;
    int64_t GetSize() const override;
    void SetSize(int64_t newSize) override;
    // Flushes and closes; raises EFileError when the data could not be written.
    void Close();

private:
    std::string FFileName;
    int FHandle = -1;
};

// The toolkit's own (German) file error texts; %s is replaced by the file name.
std::string FileOpenErrorText(const std::string& fileName);   // "Datei %s kann nicht geöffnet werden"
std::string FileCreateErrorText(const std::string& fileName); // "Datei %s kann nicht erstellt werden"
