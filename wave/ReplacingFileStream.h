#pragma once
// A file written in full under a temporary name beside the file it replaces, and put
// in that file's place in one step only once all of it is on the disk. Until then the
// old file is untouched; a write that fails part-way leaves it as it was and leaves no
// partial file behind. The one exception: a file the user may write in a folder where
// nothing new can be made (no temporary file is possible there) is written in place,
// and a failure then may leave it incomplete.

#include <string>

#include "wave/Stream.h"

class TReplacingFileStream : public THandleStream {
public:
    // Creates the temporary file in fileName's folder. Raises EFCreateError with the
    // toolkit's "Datei %s kann nicht erstellt werden" (fileName) when nothing can be
    // created there (and the file cannot be written in place), or fileName names a
    // folder or a file the user may not write. A link is followed: the file it names is
    // replaced, the link stays. A device or a pipe is written in place.
    explicit TReplacingFileStream(const std::string& fileName);
    // Without a successful Commit the temporary file is removed.
    ~TReplacingFileStream() override;
    TReplacingFileStream(const TReplacingFileStream&) = delete;
    TReplacingFileStream& operator=(const TReplacingFileStream&) = delete;

    // A transfer that falls short raises EFWriteError (FileWriteErrorText: the file
    // and the system's reason).
    int64_t Write(const void* buffer, int64_t count) override;
    void SetSize(int64_t newSize) override;

    // Flushes the bytes to the disk, closes and renames the file over the target.
    // EFWriteError when the bytes could not be written, EFCreateError when the target
    // cannot be replaced; in both cases the temporary file is gone and the target as
    // it was (unless it is written in place).
    void Commit();

    // Where the bytes go until Commit (tests look for leftovers); empty when the file
    // is written in place.
    const std::string& TemporaryName() const { return FTempName; }

private:
    void Discard() noexcept;
    [[noreturn]] void RaiseWriteError(int error);

    std::string FFileName;  // as given, for the messages
    std::string FTarget;    // the file to replace: FFileName, or the file a link names
    std::string FTempName;
};
