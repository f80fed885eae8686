#include "app/EditCommands.h"

#include "platform/cursors.h"
#include "view/wavpaint.h"

template <class Effect>
void TEditCommands::WithHourglass(Effect&& effect)
{
    {
        TCursorGuard hourglass(Qt::WaitCursor);
        effect(*FWorking.Wave());
    }
    FWorking.Repaint();
}

void TEditCommands::Normalize(float level)
{
    WithHourglass([level](TTxWavStream& wave) { wave.Normalize(level); });
}

void TEditCommands::Amplify(float factor)
{
    WithHourglass([factor](TTxWavStream& wave) { wave.Amplify(factor); });
}

void TEditCommands::FadeIn()
{
    WithHourglass([](TTxWavStream& wave) { wave.FadeInRange(wave.SelStart(), wave.SelLength(), 1.0f); });
}

void TEditCommands::FadeOut()
{
    WithHourglass([](TTxWavStream& wave) { wave.FadeOutRange(wave.SelStart(), wave.SelLength(), 1.0f); });
}

void TEditCommands::Reverse()
{
    FWorking.ReverseSelection();
}

void TEditCommands::DeleteSelection()
{
    FWorking.DeleteSelection();
}

void TEditCommands::TrimSelection()
{
    FWorking.TrimSelection();
}

void TEditCommands::SpeedUp()
{
    FWorking.Wave()->SpeedUpSelection();
    FWorking.Refresh();
}

void TEditCommands::SlowDown()
{
    FWorking.Wave()->SlowDownSelection();
    FWorking.Refresh();
}

void TEditCommands::DelSel2()
{
    FFinal.DeleteSelection();
}

void TEditCommands::TrimSel2()
{
    FFinal.TrimSelection();
}

void TEditCommands::BtnDelSel2Click()
{
    DelSel2();
    FFinal.Refresh();
}
