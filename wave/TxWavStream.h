#pragma once
// The wave every sound the program holds is: a working-format wave with its selection,
// sample access, the scans the panes draw from and the edit effects.

#include <cstdint>

#include "wave/WavStream.h"

// Percent of full scale the plain "Normalize" brings the loudest sample to; the panes
// draw their guide lines at the same level.
inline constexpr int32_t NormalizeLevel = 85;
// A wave left shorter than this by a delete, trim or speed change is emptied.
inline constexpr int32_t MinWaveSamples = 100;

class TTxWavStream : public TWavStream {
public:
    TTxWavStream() = default;

    int32_t SelStart() const { return FSelStart; }
    int32_t SelEnd() const { return FSelEnd; }
    int32_t SelLength() const { return Size() == 0 ? 0 : FSelEnd - FSelStart + 1; }
    void SetSelStart(int32_t v);
    void SetSelEnd(int32_t v);

    void Clear() override;
    void Assign(TStream& source) override;
    // Exchanges the whole content with other (bytes, position, format record, extra
    // format bytes, file name, selection) without copying or allocating, so a wave can
    // be replaced by one already made in full and never be left half-replaced.
    void Swap(TTxWavStream& other) noexcept;

    uint8_t GetByte(int32_t i) const;
    void SetByte(int32_t i, uint8_t b);
    int8_t GetSample(int32_t i) const;
    void SetSample(int32_t i, int32_t s);
    // The sample value of a byte, (b - 128) / 127, and the store rule: clamped to -1..1,
    // times 127, rounded with ties to even, plus 128.
    static float ByteToValue(uint8_t b);
    static uint8_t ValueToByte(float x);
    float GetValue(int32_t i) const;
    float GetMagnitude(int32_t i) const;
    void SetValue(int32_t i, float x);
    void ScaleSample(int32_t i, float f);

    float AverageLevel(int32_t pos, int32_t span, int32_t count) const;
    int32_t ColumnPeak(int32_t offset, int32_t count, int32_t precision) const;
    int32_t SnapToCrossing(int32_t pos, int32_t range, bool backward) const;

    // A wave a plug-in returned: its 18-byte format record, size bytes from data and
    // its selection. The caller has checked the record; null data or format with a
    // positive size, or a negative size, raise "Index out of range!" before anything
    // changes.
    void LoadFromPluginWave(const uint8_t* data, const TWaveFormatEx* format, int32_t selStart,
                            int32_t selEnd, int32_t size);

    // Edit effects on the selection (wave/WavEffects.cpp). Each gives exactly the bytes
    // of the sample-by-sample rule stated with it; an empty wave, or a selection too
    // short for the effect, is left alone. A selection reaching beyond the wave raises
    // "Index out of range!" before anything changes.

    // ScaleSample of every selected sample with factor.
    void Amplify(float factor);
    // Scales the selection by level / its largest magnitude; a silent selection stays.
    void Normalize(float level);
    // Scales the samples start .. start + length by r * gain (fade in) or 1 - r * gain
    // (fade out), r = (i - start) / length at extended precision. A negative start
    // counts from 0; nothing happens from the third-last sample on; a ramp reaching
    // beyond the last sample, or a length <= 0, runs to the last sample.
    void FadeInRange(int32_t start, int32_t length, float gain);
    void FadeOutRange(int32_t start, int32_t length, float gain);
    // Mirrors the selected bytes end to end (four samples at least); the selection stays.
    void ReverseSelection();
    // Only the selection remains / the selection is deleted; then all is selected, and a
    // wave shorter than MinWaveSamples is emptied.
    void TrimToSelection();
    void RemoveSelection();
    // Keeps every second selected byte; the selection becomes the shortened part and
    // one sample after it. The MinWaveSamples rule applies.
    void SpeedUpSelection();
    // Doubles the selection, each new sample between two old ones their mean; the
    // selection becomes the stretched part and one sample after it. The MinWaveSamples
    // rule applies.
    void SlowDownSelection();

private:
    int32_t FSelStart = 0;
    int32_t FSelEnd = 0;
};
