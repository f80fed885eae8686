#include "recovery/DurableFile.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "recovery/RecoveryIoError.h"

namespace DurableFile {

namespace {

[[noreturn]] void Fail(const std::string& path, int error)
{
    throw ERecoveryIoError(Reason(path, error));
}

// Closes on every way out; close errors of a written file are checked by the caller.
class TFd {
public:
    explicit TFd(int fd) : FFd(fd) {}
    ~TFd()
    {
        if (FFd >= 0)
            ::close(FFd);
    }
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    int Get() const { return FFd; }
    int Release()
    {
        const int fd = FFd;
        FFd = -1;
        return fd;
    }

private:
    int FFd;
};

} // namespace

std::string Reason(const std::string& path, int error)
{
    return path + ": " + std::strerror(error);
}

void Write(const std::string& folder, const std::string& name, const uint8_t* data, size_t size)
{
    const std::string path = folder + "/" + name;
    const std::string temp = folder + "/." + name + ".tmp";
    TFd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    if (fd.Get() < 0)
        Fail(temp, errno);
    try {
        size_t done = 0;
        while (done < size) {
            const ssize_t n = ::write(fd.Get(), data + done, size - done);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                Fail(temp, errno);
            }
            done += static_cast<size_t>(n);
        }
        if (::fsync(fd.Get()) != 0)
            Fail(temp, errno);
        if (::close(fd.Release()) != 0)
            Fail(temp, errno);
        if (::rename(temp.c_str(), path.c_str()) != 0)
            Fail(path, errno);
    } catch (...) {
        ::unlink(temp.c_str());
        throw;
    }
}

void SyncFolder(const std::string& folder)
{
    TFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Get() < 0 || ::fsync(fd.Get()) != 0)
        Fail(folder, errno);
}

std::vector<uint8_t> Read(const std::string& path)
{
    TFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.Get() < 0)
        Fail(path, errno);
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0)
        Fail(path, errno);
    std::vector<uint8_t> bytes;
    bytes.reserve(static_cast<size_t>(st.st_size));
    uint8_t buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd.Get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Fail(path, errno);
        }
        if (n == 0)
            break;
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    return bytes;
}

std::vector<std::string> List(const std::string& folder)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        Fail(folder, errno);
    std::vector<std::string> names;
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    ::closedir(dir);
    return names;
}

void Remove(const std::string& path)
{
    if (::unlink(path.c_str()) != 0 && errno != ENOENT)
        Fail(path, errno);
}

void RemoveFolder(const std::string& folder)
{
    for (const std::string& name : List(folder))
        Remove(folder + "/" + name);
    if (::rmdir(folder.c_str()) != 0 && errno != ENOENT)
        Fail(folder, errno);
}

void MakeFolders(const std::string& folder)
{
    for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            Fail(part, errno);
        if (slash == std::string::npos)
            break;
    }
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0)
        Fail(folder, errno);
    if (!S_ISDIR(st.st_mode))
        Fail(folder, ENOTDIR);
}

} // namespace DurableFile
