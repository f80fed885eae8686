#pragma once
// A wave stream that reads WAV images: from a file, a stream or another wave.

#include <string>

#include "wave/CustomWavStream.h"

class TWavStream : public TCustomWavStream {
public:
    void LoadFromFile(const std::string& name) override;
    void Assign(TStream& source) override;
    virtual void LoadFromStream(TStream& source);
    virtual void AssignWave(TCustomWavStream& source);

protected:
    // Walks the RIFF chunks of the freshly loaded image (see the .cpp).
    void ParseWave();
};
