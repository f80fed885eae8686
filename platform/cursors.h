#pragma once
// Pointer shapes held for the length of a scope and restored on every exit path.
#include <Qt>

class TCursorGuard {
public:
    explicit TCursorGuard(Qt::CursorShape shape);  // crHourGlass = Qt::WaitCursor
    ~TCursorGuard();
    TCursorGuard(const TCursorGuard&) = delete;
    TCursorGuard& operator=(const TCursorGuard&) = delete;
};
