// Playback from the window: the two Play buttons and their "Looped" items, Stop Sound,
// Space / Shift+Space anywhere in the window, the Ctrl release, and the highlight of
// the upper Play button while the player's call runs.
#include "app/main.h"

#include <QAction>
#include <QToolButton>

#include "app/PlaybackKeys.h"
#include "app/RangePlayer.h"
#include "platform/actions.h"
#include "view/wavpaint.h"

void TForm1::PlayWave1Execute()
{
    TTxWavStream& wave = *WorkingPane->Wave();
    Player->PlayRange(wave, wave.SelStart(), wave.SelLength(), Looped1->isChecked());
}

void TForm1::BtnPlay2Click()
{
    TTxWavStream& wave = *FinalPane->Wave();
    Player->PlayRange(wave, wave.SelStart(), wave.SelLength(), Looped2->isChecked());
}

void TForm1::StopSoundExecute()
{
    StopPlaying();
}

void TForm1::StopPlaying()
{
    if (Player)
        Player->PlayRange(Player->PlayBuffer(), 0, -1, false);
}

void TForm1::WPlayerBeforePlaying()
{
    FPlayButtonMarked = true;
    BtnPlay1->setDown(true);
}

void TForm1::WPlayerAfterPlaying()
{
    FPlayButtonMarked = false;
    BtnPlay1->setDown(false);
}

bool TForm1::PlayButtonMarked() const
{
    return FPlayButtonMarked;
}

bool TForm1::HandleWindowKey(QObject* receiver, QEvent* event)
{
    return Keys->Handle(receiver, event);
}
