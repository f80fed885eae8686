#pragma once
// A recovery file or folder the system would not read, write or remove; the message
// names the path and the system's reason.

#include "wave/Exception.h"

class ERecoveryIoError : public Exception {
public:
    using Exception::Exception;
};
