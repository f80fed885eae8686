#include "app/MixCommand.h"

#include "rules/waveprocessing.h"
#include "platform/cursors.h"
#include "view/wavpaint.h"

void TMixCommand::Execute()
{
    TTxWavStream& source = *FWorking.Wave();
    TTxWavStream& target = *FFinal.Wave();
    if (source.Size() == 0)
        return;
    const auto showResult = [this] { FFinal.Refresh(); };
    try {
        const TCursorGuard hand(Qt::PointingHandCursor);
        MixWaves(source, target, source.SelStart(), source.SelLength(), target.SelStart());
    } catch (...) {
        // A failed mix may already have grown the final wave: show what it holds.
        showResult();
        throw;
    }
    showResult();
}
