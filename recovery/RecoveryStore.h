#pragma once
// The recovery folders of all running and ended programs of this user, each a folder
// "session-XXXXXX" under one root ($XDG_STATE_HOME/Sonovane, ~/.local/state/Sonovane
// when that is unset). A program makes its own folder at start; folders of programs
// that no longer run are found, locked for this program, and afterwards restored and
// removed, or set aside as "damaged-XXXXXX" when they do not read.

#include <memory>
#include <string>
#include <vector>

#include "recovery/RecoveryLock.h"

struct TRecoveryFolder {
    std::string Path;
    std::unique_ptr<TRecoveryLock> Lock;  // held while this program works on it
};

class TRecoveryStore {
public:
    explicit TRecoveryStore(std::string root) : FRoot(std::move(root)) {}

    // $XDG_STATE_HOME/Sonovane, or $HOME/.local/state/Sonovane when it is unset or
    // not an absolute path; empty when neither is known.
    static std::string DefaultRoot();
    const std::string& Root() const { return FRoot; }

    // A new folder for this program, locked. It is made under another name and renamed
    // once locked, so no other program ever sees it unlocked. Raises ERecoveryIoError.
    TRecoveryFolder CreateSession();
    // The folders of programs that no longer run, locked for this one, oldest first.
    // A root that does not exist holds none.
    std::vector<TRecoveryFolder> TakeOrphans();
    // Renames the folder to "damaged-..." beside it and returns the new path. Raises
    // ERecoveryIoError.
    std::string SetAside(const std::string& folder);

    static constexpr const char* SessionPrefix = "session-";
    static constexpr const char* DamagedPrefix = "damaged-";
    // A folder being made; one left by an ended program is removed.
    static constexpr const char* NewPrefix = "new-";

private:
    std::string FRoot;
};
