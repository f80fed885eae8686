#pragma once
// TUndoList: complete copies of the working wave, taken before each change and named
// after the command, restored newest first. Undoing a step keeps the state it replaces as
// a redo step of the same name, and redoing it moves that state back. It keeps the
// window's Undo and Redo commands showing the step they would act on, and enabled only
// while there is one.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "document/UndoActionView.h"
#include "wave/Wavs_ex.h"

// One recorded state of the working wave: samples, format record and selection.
struct TUndoStep {
    std::string Name;
    std::unique_ptr<TTxWavStream> Wave; // a private copy, freed with the step
};

class TUndoList {
public:
    // Makes the wave a new step is copied into. The default makes a plain TTxWavStream;
    // tests hand in one that runs out of memory.
    using TWaveFactory = std::function<std::unique_ptr<TTxWavStream>()>;

    // No steps, the caption base "Undo", then the limit 10 (which disables the action).
    // action is not owned and may be null; it must outlive every call that changes steps.
    explicit TUndoList(TUndoActionView* action, TWaveFactory factory = nullptr);
    // Frees the steps without touching the action, which the window may already have gone.
    ~TUndoList() = default;
    TUndoList(const TUndoList&) = delete;
    TUndoList& operator=(const TUndoList&) = delete;

    // Records a copy of wave named name, dropping the oldest step first when the list is
    // full. A command about to change the wave makes every redo step go first, whether a
    // step is recorded or not. Nothing is recorded while undo is disabled or for a null or
    // empty wave. Running out
    // of memory raises EStreamError with no half-made step left behind (the dropped oldest
    // step stays dropped); the caller shows the error and still runs its command.
    void AddStep(const std::string& name, TTxWavStream* wave);
    // Puts step index (-1: the newest) into target, when given, and drops the step. The
    // step's own copy is handed over rather than copied again, so undoing needs no memory
    // and cannot leave target half-replaced. An index out of range changes no step.
    void RestoreStep(TTxWavStream* target, int32_t index);
    // Undo: the newest step and target trade contents, and the step, now holding what
    // target was, becomes the newest redo step. Redo: the same the other way. Neither
    // copies or allocates a wave, so both restore byte for byte and cannot fail halfway.
    // False when there is no step to take.
    bool UndoInto(TTxWavStream& target);
    bool RedoInto(TTxWavStream& target);
    // Drops every step and every redo step, oldest first.
    void ClearSteps();
    int32_t StepCount() const { return static_cast<int32_t>(FSteps.size()); }
    int32_t RedoCount() const { return static_cast<int32_t>(FRedoSteps.size()); }
    // The limit, for each list: 0 disables recording; a negative n is ignored. Drops the
    // steps beyond it, and the redo steps farthest from now beyond it.
    void SetMaxSteps(int32_t n);
    // Drops the oldest steps while there are more than MaxSteps + allowance, then sets the
    // action's enabled state.
    void DropOldest(int32_t allowance);

    // The Undo command that shows the list, shown its state at once; null for none.
    void SetUndoAction(TUndoActionView* action);
    // The same for the Redo command.
    void SetRedoAction(TUndoActionView* action);
    void SetWaveFactory(TWaveFactory factory) { FFactory = std::move(factory); }

    const std::vector<TUndoStep>& Steps() const { return FSteps; } // oldest first
    const std::vector<TUndoStep>& RedoSteps() const { return FRedoSteps; } // the next to redo last
    int32_t MaxSteps() const { return FMaxSteps; }
    TUndoActionView* UndoAction() const { return FUndoAction; }
    TUndoActionView* RedoAction() const { return FRedoAction; }
    const std::string& BaseCaption() const { return FBaseCaption; }

private:
    // BaseCaption, a blank and the step's name in straight double quotes.
    std::string CaptionOf(const TUndoStep& step) const;
    void ShowCaption(const std::string& caption);
    void ShowEnabled();
    // The Redo command's caption (Redo and the next step's name) and enabled state.
    void ShowRedo();
    void ClearRedo();

    std::vector<TUndoStep> FSteps;
    std::vector<TUndoStep> FRedoSteps;
    TUndoActionView* FRedoAction = nullptr;
    int32_t FMaxSteps = 0;
    TUndoActionView* FUndoAction = nullptr;
    std::string FBaseCaption = "Undo";
    TWaveFactory FFactory;
};
