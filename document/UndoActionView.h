#pragma once
// What the undo list needs of the window's Undo command: its caption, its hint and its
// enabled state. The window adapts its action onto this; tests record the calls.

#include <string>

class TUndoActionView {
public:
    virtual ~TUndoActionView() = default;
    virtual void SetCaption(const std::string& caption) = 0;
    virtual void SetHint(const std::string& hint) = 0;
    virtual void SetEnabled(bool enabled) = 0;
};
