#pragma once
// The time text of a sample count with the user's decimal separator.

#include <QString>
#include <cstdint>

// SamplesToTimeText with the locale's decimal point, which may be more than one byte
// or not ASCII: the text is made with '.' and its one decimal point replaced.
QString LocalTimeText(int64_t samples);
