#pragma once
// The three ways a dropped selection changes a wave: put before its content, put
// after it, or take its place. The source's own selection (SelStart to SelEnd) is what
// is dropped; when the source is the target itself, inserting and appending move the
// selected samples inside the wave, keeping its size and every sample.
//
// The pane handlers call these with the pane's wave and the dragged wave, then repaint
// and refresh the status; the selection they leave in the target is the pane's. It is
// set through the wave's setters, as every drop sets it, so a new selection of the one
// first sample reads as reaching to the last (an end of 0 means the last sample).

#include "wave/Wavs_ex.h"

namespace Composing {

// Another source: its selected samples go before the target's content; the target
// keeps its format record and selects exactly the inserted samples (0 to L - 1).
// The same wave: the selection moves to the front (selection, then what lay before
// it, then what lay after it) and is selected at 0 to L - 1; a selection that starts
// at 0 or covers the whole wave changes nothing.
// Returns whether the target changed. An empty source, or a selection that runs
// backwards, changes nothing; a selection outside the source raises
// "Index out of range!" and lack of memory EStreamError, both before any change.
bool InsertAtBeginning(TTxWavStream& target, TTxWavStream& source);

// Another source: its selected samples go after the target's N samples, which then
// selects exactly them (N to N + L - 1); the format record stays.
// The same wave: the selection moves to the end (what lay before it, what lay after
// it, then the selection) and is selected at N - L to N - 1; a selection that ends at
// the last sample or covers the whole wave changes nothing.
// Returns whether the target changed; failures as for InsertAtBeginning.
bool AppendAtEnd(TTxWavStream& target, TTxWavStream& source);

// Another source: the target becomes a copy of it (samples, format record, selection)
// cut to that selection and fully selected; a selection shorter than MinWaveSamples
// leaves the target empty. The same wave: nothing changes.
// Returns whether the target changed. Lack of memory raises EStreamError with the
// target as it was.
bool ReplaceContent(TTxWavStream& target, TTxWavStream& source);

} // namespace Composing
