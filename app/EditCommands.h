#pragma once
// The Modify and Edit commands on the two panes: the effects of the working wave and the
// final pane's own delete and trim. Recording undo steps is not done here: the action
// list's common handler does that before a working-pane command runs.

class TWavPaintBox;

class TEditCommands {
public:
    TEditCommands(TWavPaintBox& working, TWavPaintBox& final_) : FWorking(working), FFinal(final_) {}

    // Working pane. The amplitude effects and the fades show the hourglass while they
    // run, restored on every way out.
    void Normalize(float level);
    void Amplify(float factor);
    void FadeIn();
    void FadeOut();
    void Reverse();
    void DeleteSelection();
    void TrimSelection();
    void SpeedUp();
    void SlowDown();

    // Final pane: never recorded for undo.
    void DelSel2();
    void TrimSel2();
    // The final pane's own "Delete selection" button: DelSel2's work, then once more a
    // repaint and the status.
    void BtnDelSel2Click();

private:
    // Runs an effect on the working wave under the hourglass, then repaints.
    template <class Effect>
    void WithHourglass(Effect&& effect);
    // A speed change: the selection moves with the work, so the status follows too.

    TWavPaintBox& FWorking;
    TWavPaintBox& FFinal;
};
