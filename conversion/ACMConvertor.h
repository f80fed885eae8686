#pragma once
// TACMConvertor: converts one block of audio from one format to another through the
// audio compression manager's seven stream calls (platform/acm), strictly: every
// failing call becomes an EACMConvertor naming the step.
//
// (Contract header: the converter's implementation fills in the rest.)

#include <cstdint>
#include <array>

#include "plugins/sonovane_plugin.h"
#include "wave/Exception.h"

class EACMConvertor : public Exception {
public:
    using Exception::Exception;
};

// 129-byte format record: the 18-byte WAVEFORMATEX head and 111 extra bytes.
struct TACMFormat {
    std::array<uint8_t, 129> Bytes{};
    TWaveFormatEx Head() const;
    void SetHead(const TWaveFormatEx& head);
};
