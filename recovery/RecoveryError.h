#pragma once
// A recovery folder that cannot be read back as it was written: its message says what
// is wrong, in words the user reads in the start-up report.

#include "wave/Exception.h"

class ERecoveryDamaged : public Exception {
public:
    using Exception::Exception;
};
