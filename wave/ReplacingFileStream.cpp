#include "wave/ReplacingFileStream.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <random>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string FolderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string BaseOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a link names; the path itself when it is no link or names nothing yet.
std::string Resolved(const std::string& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    char real[PATH_MAX];
    return ::realpath(path.c_str(), real) ? std::string(real) : path;
}

// A name of its own in the target's folder, hidden and marked as unfinished.
std::string TemporaryNameFor(const std::string& target, std::mt19937& random)
{
    static constexpr char Digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string suffix(8, '0');
    for (char& c : suffix)
        c = Digits[random() % 36];
    const std::string folder = FolderOf(target);
    // Long names are shortened so that the temporary one still fits a folder entry.
    const std::string base = BaseOf(target).substr(0, 200);
    return (folder == "/" ? folder : folder + "/") + "." + base + ".~" + suffix;
}

} // namespace

TReplacingFileStream::TReplacingFileStream(const std::string& fileName)
    : FFileName(fileName), FTarget(Resolved(fileName))
{
    struct stat existing {};
    const bool exists = ::stat(FTarget.c_str(), &existing) == 0;
    // Renaming needs only the folder's permission: a file the user may not write
    // must still be refused, as opening it for writing would be.
    if (FTarget.empty() || (exists && (S_ISDIR(existing.st_mode) || ::access(FTarget.c_str(), W_OK) != 0)))
        throw EFCreateError(FileCreateErrorText(fileName));

    // A device or a pipe cannot be replaced (and must never be, by a regular file):
    // it is written in place, as it always was.
    if (exists && !S_ISREG(existing.st_mode)) {
        FHandle = ::open(FTarget.c_str(), O_RDWR | O_TRUNC | O_CLOEXEC);
        if (FHandle < 0)
            throw EFCreateError(FileCreateErrorText(fileName));
        return;
    }

    std::mt19937 random(std::random_device{}());
    for (int attempt = 0; attempt < 100 && FHandle < 0; ++attempt) {
        FTempName = TemporaryNameFor(FTarget, random);
        // Exclusive: never a file or a link someone else put there.
        FHandle = ::open(FTempName.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (FHandle < 0 && errno != EEXIST)
            break;
    }
    if (FHandle >= 0) {
        // A replaced file keeps who may read and write it.
        if (exists)
            (void)::fchmod(FHandle, existing.st_mode & 07777);
        return;
    }
    FTempName.clear();
    // A folder that takes no new file may still hold a file the user may write: that
    // one is written in place, as saving always did, only without the safety net.
    if (exists)
        FHandle = ::open(FTarget.c_str(), O_RDWR | O_TRUNC | O_CLOEXEC);
    if (FHandle < 0)
        throw EFCreateError(FileCreateErrorText(fileName));
}

TReplacingFileStream::~TReplacingFileStream()
{
    Discard();
}

void TReplacingFileStream::Discard() noexcept
{
    if (FHandle >= 0) {
        ::close(FHandle);
        FHandle = -1;
    }
    if (!FTempName.empty()) {
        ::unlink(FTempName.c_str());
        FTempName.clear();
    }
}

void TReplacingFileStream::RaiseWriteError(int error)
{
    Discard();
    throw EFWriteError(FileWriteErrorText(FFileName, error ? error : EIO));
}

int64_t TReplacingFileStream::Write(const void* buffer, int64_t count)
{
    errno = 0;
    const int64_t written = THandleStream::Write(buffer, count);
    if (written != std::max<int64_t>(count, 0) && FHandle >= 0)
        RaiseWriteError(errno);
    return written;
}

void TReplacingFileStream::SetSize(int64_t newSize)
{
    struct stat st {};
    if (FHandle < 0 || newSize < 0 || ::fstat(FHandle, &st) != 0)
        RaiseWriteError(FHandle < 0 ? EBADF : newSize < 0 ? EINVAL : errno);
    if (S_ISREG(st.st_mode) && ::ftruncate(FHandle, static_cast<off_t>(newSize)) != 0)
        RaiseWriteError(errno);
    if (Seek(0, soCurrent) > newSize)
        Seek(newSize, soBeginning);
}

void TReplacingFileStream::Commit()
{
    if (FHandle < 0)
        RaiseWriteError(EBADF);
    // A full disk or a failing network file system often only shows here.
    int error = 0;
    if (::fsync(FHandle) != 0 && errno != EINVAL && errno != ENOTSUP && errno != EROFS)
        error = errno;
    if (::close(FHandle) != 0 && errno != EINTR && error == 0)
        error = errno ? errno : EIO;
    FHandle = -1;
    if (error != 0)
        RaiseWriteError(error);
    if (FTempName.empty())
        return;  // written in place
    if (::rename(FTempName.c_str(), FTarget.c_str()) != 0) {
        Discard();
        throw EFCreateError(FileCreateErrorText(FFileName));
    }
    FTempName.clear();
    // The new name itself lives in the folder; without this a crash could still bring
    // back the old file (or none). The file is complete either way, so a folder that
    // cannot be synced is no failure.
    const int folder = ::open(FolderOf(FTarget).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        (void)::fsync(folder);
        ::close(folder);
    }
}
