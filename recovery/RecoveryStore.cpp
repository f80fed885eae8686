#include "recovery/RecoveryStore.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

#include "recovery/DurableFile.h"
#include "recovery/RecoveryIoError.h"

namespace {

bool StartsWith(const std::string& s, const char* prefix)
{
    return s.rfind(prefix, 0) == 0;
}

// When the folder last changed, for the order of the orphans.
struct timespec ChangedAt(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return {};
    return st.st_mtim;
}

} // namespace

std::string TRecoveryStore::DefaultRoot()
{
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && state[0] == '/')
        return std::string(state) + "/Sonovane";
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/')
        return std::string(home) + "/.local/state/Sonovane";
    return {};
}

TRecoveryFolder TRecoveryStore::CreateSession()
{
    DurableFile::MakeFolders(FRoot);
    std::string name = FRoot + "/" + NewPrefix + "XXXXXX";
    if (!::mkdtemp(name.data()))
        throw ERecoveryIoError(DurableFile::Reason(FRoot, errno));
    TRecoveryFolder folder;
    try {
        folder.Lock = TRecoveryLock::Claim(name);
    } catch (...) {
        DurableFile::RemoveFolder(name);
        throw;
    }
    folder.Path = FRoot + "/" + SessionPrefix + name.substr(name.size() - 6);
    if (::rename(name.c_str(), folder.Path.c_str()) != 0) {
        const int error = errno;
        folder.Lock.reset();
        DurableFile::RemoveFolder(name);
        throw ERecoveryIoError(DurableFile::Reason(folder.Path, error));
    }
    DurableFile::SyncFolder(FRoot);
    return folder;
}

std::vector<TRecoveryFolder> TRecoveryStore::TakeOrphans()
{
    std::vector<TRecoveryFolder> found;
    std::vector<std::string> names;
    try {
        names = DurableFile::List(FRoot);
    } catch (const ERecoveryIoError&) {
        return found;
    }
    for (const std::string& name : names) {
        const bool session = StartsWith(name, SessionPrefix);
        if (!session && !StartsWith(name, NewPrefix))
            continue;
        const std::string path = FRoot + "/" + name;
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            continue;
        auto lock = TRecoveryLock::TakeOver(path);
        if (!lock)
            continue;
        if (session) {
            found.push_back(TRecoveryFolder{path, std::move(lock)});
        } else {
            // A folder still being made when its program ended: it never held a wave.
            try {
                DurableFile::RemoveFolder(path);
            } catch (const ERecoveryIoError&) {
            }
        }
    }
    std::sort(found.begin(), found.end(), [](const TRecoveryFolder& a, const TRecoveryFolder& b) {
        const timespec ta = ChangedAt(a.Path), tb = ChangedAt(b.Path);
        return ta.tv_sec != tb.tv_sec ? ta.tv_sec < tb.tv_sec : ta.tv_nsec < tb.tv_nsec;
    });
    return found;
}

std::string TRecoveryStore::SetAside(const std::string& folder)
{
    const std::string base = folder.substr(folder.rfind('/') + 1);
    const std::string tail = StartsWith(base, SessionPrefix) ? base.substr(std::string(SessionPrefix).size()) : base;
    std::string target = FRoot + "/" + DamagedPrefix + tail;
    for (int n = 2; ::access(target.c_str(), F_OK) == 0; ++n)
        target = FRoot + "/" + DamagedPrefix + tail + "-" + std::to_string(n);
    if (::rename(folder.c_str(), target.c_str()) != 0)
        throw ERecoveryIoError(DurableFile::Reason(folder, errno));
    return target;
}
