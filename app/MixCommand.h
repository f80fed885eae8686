#pragma once
// "Mix working wave to final wave": the working selection mixed into the final wave
// from the start of the final selection. Never recorded for undo.

class TWavPaintBox;

// What the status bar shows while the pointer is over the mix button.
inline constexpr const char* MixButtonStatusText =
    "The selected working wave will be mixed to the beginning of the selection of the final wave.";

class TMixCommand {
public:
    TMixCommand(TWavPaintBox& working, TWavPaintBox& final_) : FWorking(working), FFinal(final_) {}

    // Nothing for an empty working wave. Otherwise MixWaves under the pointing hand;
    // afterwards, also when the mix fails, the default pointer is back and the final
    // pane is repainted with its status. The final selection stays; errors are passed on.
    void Execute();

private:
    TWavPaintBox& FWorking;
    TWavPaintBox& FFinal;
};
