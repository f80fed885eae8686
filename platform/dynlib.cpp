#include "platform/dynlib.h"

#include <QCoreApplication>
#include <QThread>

#include <cstring>
#include <dirent.h>
#include <dlfcn.h>
#include <filesystem>
#include <fnmatch.h>
#include <memory>
#include <sys/stat.h>

namespace {

struct TFindState {
    DIR* Dir = nullptr;
    std::string Folder;   // with a trailing separator
    std::string Pattern;  // the name part
};

std::string& LibraryFolderOverride()
{
    static std::string folder;
    return folder;
}

// Fills data with the next directory entry matching the pattern; false at the end.
bool NextMatch(TFindState& state, WIN32_FIND_DATAA* data)
{
    while (dirent* entry = readdir(state.Dir)) {
        if (fnmatch(state.Pattern.c_str(), entry->d_name, FNM_CASEFOLD) != 0)
            continue;
        const size_t length = std::strlen(entry->d_name);
        if (length >= static_cast<size_t>(MAX_PATH))
            continue;  // a name the record cannot hold cannot be loaded by it either
        std::memcpy(data->cFileName, entry->d_name, length + 1);
        struct stat st {};
        const std::string full = state.Folder + entry->d_name;
        const bool isDir = stat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        data->dwFileAttributes = isDir ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
        return true;
    }
    return false;
}

} // namespace

HANDLE FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* data)
{
    if (!pattern || !data)
        return INVALID_HANDLE_VALUE;
    const std::string full(pattern);
    const size_t slash = full.rfind('/');
    auto state = std::make_unique<TFindState>();
    state->Folder = slash == std::string::npos ? std::string("./") : full.substr(0, slash + 1);
    state->Pattern = slash == std::string::npos ? full : full.substr(slash + 1);
    state->Dir = opendir(state->Folder.c_str());
    if (!state->Dir)
        return INVALID_HANDLE_VALUE;
    if (!NextMatch(*state, data)) {
        closedir(state->Dir);
        return INVALID_HANDLE_VALUE;
    }
    return state.release();
}

bool FindNextFileA(HANDLE search, WIN32_FIND_DATAA* data)
{
    if (!search || search == INVALID_HANDLE_VALUE || !data)
        return false;
    return NextMatch(*static_cast<TFindState*>(search), data);
}

bool FindClose(HANDLE search)
{
    if (!search || search == INVALID_HANDLE_VALUE)
        return false;
    auto* state = static_cast<TFindState*>(search);
    closedir(state->Dir);
    delete state;
    return true;
}

void SetLibraryFolder(const std::string& folder)
{
    LibraryFolderOverride() = folder;
    if (!folder.empty() && folder.back() != '/')
        LibraryFolderOverride() += '/';
}

std::string LibraryFolder()
{
    if (!LibraryFolderOverride().empty())
        return LibraryFolderOverride();
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath().toStdString() + "/";
    // Without an application object (command-line tools, unit tests) ask the system.
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string("./") : exe.parent_path().string() + "/";
}

HMODULE LoadLibraryA(const char* fileName)
{
    if (!fileName || !*fileName)
        return nullptr;
    std::string path(fileName);
    if (path.find('/') == std::string::npos)
        path = LibraryFolder() + path;
    // Symbols are resolved now, as the Windows loader binds imports at load time,
    // and kept local so two plug-ins exporting the same names never meet.
    return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

FARPROC GetProcAddress(HMODULE module, const char* procName)
{
    if (!module || !procName)
        return nullptr;
    return dlsym(module, procName);
}

bool FreeLibrary(HMODULE module)
{
    return module && dlclose(module) == 0;
}

void Sleep(DWORD milliseconds)
{
    QThread::msleep(milliseconds);
}
