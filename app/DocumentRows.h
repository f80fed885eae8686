#pragma once
// A list whose rows show the document's items in order may still lose rows by other
// ways than the document's operations (a row deleted or taken by other code, the list
// cleared). Once such rows are gone, their items leave the document too, so the two
// stay in step. applying is the list's own flag, set while it follows the document
// itself; those removals are not echoed back.

#include <functional>

class QTreeWidget;

void FollowRowRemovals(QTreeWidget& list, const bool& applying, std::function<void(int row)> removeItem,
                       std::function<void()> clearItems);

// The list's flag set while it follows the document, and put back on every way out.
class TFollowingGuard {
public:
    explicit TFollowingGuard(bool& flag) : FFlag(flag), FWas(flag) { FFlag = true; }
    ~TFollowingGuard() { FFlag = FWas; }
    TFollowingGuard(const TFollowingGuard&) = delete;
    TFollowingGuard& operator=(const TFollowingGuard&) = delete;

private:
    bool& FFlag;
    bool FWas;
};
