#include "wave/TimeText.h"

#include <charconv>
#include <cmath>

std::string SamplesToTimeText(int64_t n, char decimalSeparator)
{
    // The minutes are held in single precision on purpose: the texts show its rounding.
    const float minutes = std::fabs(static_cast<float>(static_cast<long double>(n) / 22050 / 60));
    const double whole = std::trunc(static_cast<double>(minutes));
    // Exact in double: a single's fraction times 60 needs at most 30 significant bits.
    const double seconds = (static_cast<double>(minutes) - whole) * 60.0;

    // std::to_chars ignores the process locale (the toolkit sets it), so the separator
    // is exactly the one the caller asks for.
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, whole, std::chars_format::fixed, 0);
    std::string text(buffer, result.ptr);
    text += "' ";
    result = std::to_chars(buffer, buffer + sizeof buffer, seconds, std::chars_format::fixed, 3);
    std::string secondsText(buffer, result.ptr);
    const auto dot = secondsText.find('.');
    if (dot != std::string::npos)
        secondsText[dot] = decimalSeparator;
    text += secondsText;
    text += '"';
    return text;
}
