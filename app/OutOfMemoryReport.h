#pragma once
// The one way a command reports that a wave could not grow: the message that points the
// user to "Clear Undo Buffer".

#include <functional>

// Shows "Error: Out of memory. Please try to clear undo buffer.".
void ShowOutOfMemory();

// Runs work. A stream error (a wave that could not grow) or a std::bad_alloc that
// escaped it ends the work with the out-of-memory message; any other error passes on
// to the caller. Returns whether the work ran to its end.
bool RunReportingOutOfMemory(const std::function<void()>& work);
