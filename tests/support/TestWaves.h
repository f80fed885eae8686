#pragma once
// Helpers every test of waves shares: filling a stream with known bytes, reading its
// bytes back, counting sequences, and catching the message of a stream error. Qt-free,
// so the core's tests and the window's tests both use them.

#include <cstdint>
#include <functional>
#include <numeric>
#include <string>
#include <vector>

#include "wave/Stream.h"
#include "wave/Wavs_ex.h"

namespace testwaves {

using ByteVector = std::vector<uint8_t>;

// The whole content of a stream.
inline ByteVector Bytes(const TMemoryStream& s)
{
    return {s.Memory(), s.Memory() + s.GetSize()};
}

// first, first + 1, ... (wrapping at 256), n bytes.
inline ByteVector Iota(size_t n, uint8_t first = 0)
{
    ByteVector v(n);
    std::iota(v.begin(), v.end(), first);
    return v;
}

// The stream holds exactly these bytes afterwards, positioned at 0.
inline void Fill(TMemoryStream& s, const ByteVector& bytes)
{
    s.SetSize(0);
    s.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
    s.SetPosition(0);
}

// The message of the exception of type E that f raises, or a marker text when it raises none.
template <typename E = EWavStreamError>
std::string ErrorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const E& e) {
        return e.Message();
    }
    return "(no exception)";
}

} // namespace testwaves
