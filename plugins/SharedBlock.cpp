#include "plugins/SharedBlock.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "plugins/PluginHelperError.h"

TSharedBlock::~TSharedBlock()
{
    Release();
}

void TSharedBlock::Release()
{
    if (FData)
        munmap(FData, FSize);
    if (FFd >= 0)
        close(FFd);
    FData = nullptr;
    FSize = 0;
    FFd = -1;
}

void TSharedBlock::Create(TSharedBlock& block, size_t size)
{
    block.Release();
    const int fd = memfd_create("sonovane-plugin-records", MFD_CLOEXEC);
    if (fd < 0)
        throw EPluginHelper(std::string("No shared memory for the plug-in: ") + std::strerror(errno) + ".");
    block.FFd = fd;
    if (ftruncate(fd, static_cast<off_t>(size)) != 0) {
        const int error = errno;
        block.Release();
        throw EPluginHelper(std::string("No shared memory for the plug-in: ") + std::strerror(error) + ".");
    }
    void* data = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (data == MAP_FAILED) {
        const int error = errno;
        block.Release();
        throw EPluginHelper(std::string("No shared memory for the plug-in: ") + std::strerror(error) + ".");
    }
    block.FData = static_cast<uint8_t*>(data);
    block.FSize = size;
}

bool TSharedBlock::Map(int fd)
{
    Release();
    struct stat st {};
    if (fstat(fd, &st) != 0 || st.st_size <= 0)
        return false;
    const auto size = static_cast<size_t>(st.st_size);
    void* data = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (data == MAP_FAILED)
        return false;
    FFd = fd;
    FData = static_cast<uint8_t*>(data);
    FSize = size;
    return true;
}
