#pragma once
// TUndoList: complete copies of the working wave, taken before each change and named
// after the command, restored newest first. It keeps the window's Undo command showing
// the step it would undo, and enabled only while there is one.

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
    // full. Nothing happens while undo is disabled or for a null or empty wave. Running out
    // of memory raises EStreamError with no half-made step left behind (the dropped oldest
    // step stays dropped); the caller shows the error and still runs its command.
    void AddStep(const std::string& name, TTxWavStream* wave);
    // Puts step index (-1: the newest) into target, when given, and drops the step. The
    // step's own copy is handed over rather than copied again, so undoing needs no memory
    // and cannot leave target half-replaced. An index out of range changes no step.
    void RestoreStep(TTxWavStream* target, int32_t index);
    // Drops every step, oldest first.
    void ClearSteps();
    int32_t StepCount() const { return static_cast<int32_t>(FSteps.size()); }
    // The limit: 0 disables recording; a negative n is ignored. Drops the steps beyond it.
    void SetMaxSteps(int32_t n);
    // Drops the oldest steps while there are more than MaxSteps + allowance, then sets the
    // action's enabled state.
    void DropOldest(int32_t allowance);

    // The Undo command that shows the list, shown its state at once; null for none.
    void SetUndoAction(TUndoActionView* action);
    void SetWaveFactory(TWaveFactory factory) { FFactory = std::move(factory); }

    const std::vector<TUndoStep>& Steps() const { return FSteps; } // oldest first
    int32_t MaxSteps() const { return FMaxSteps; }
    TUndoActionView* UndoAction() const { return FUndoAction; }
    const std::string& BaseCaption() const { return FBaseCaption; }

private:
    // BaseCaption, a blank and the step's name in straight double quotes.
    std::string CaptionOf(const TUndoStep& step) const;
    void ShowCaption(const std::string& caption);
    void ShowEnabled();

    std::vector<TUndoStep> FSteps;
    int32_t FMaxSteps = 0;
    TUndoActionView* FUndoAction = nullptr;
    std::string FBaseCaption = "Undo";
    TWaveFactory FFactory;
};
