#include "document/UndoList.h"

#include <new>
#include <utility>

TUndoList::TUndoList(TUndoActionView* action, TWaveFactory factory)
    : FUndoAction(action), FFactory(std::move(factory))
{
    SetMaxSteps(10);
}

void TUndoList::SetUndoAction(TUndoActionView* action)
{
    FUndoAction = action;
    if (!FUndoAction)
        return;
    if (!FSteps.empty())
        ShowCaption(CaptionOf(FSteps.back()));
    ShowEnabled();
}

void TUndoList::SetRedoAction(TUndoActionView* action)
{
    FRedoAction = action;
    ShowRedo();
}

void TUndoList::AddStep(const std::string& name, TTxWavStream* wave)
{
    // A new change starts a new future: what was undone before it can no longer be redone.
    ClearRedo();
    if (FMaxSteps <= 0 || wave == nullptr || wave->GetSize() < 1)
        return;
    DropOldest(-1);
    // Copying reads the wave from its beginning; the recorded wave is left where it was.
    const int64_t position = wave->GetPosition();
    try {
        TUndoStep step{name, FFactory ? FFactory() : std::make_unique<TTxWavStream>()};
        if (!step.Wave)
            throw std::bad_alloc();
        step.Wave->Assign(*wave);
        // Should the list itself not grow, step and its copy are freed on the way out.
        FSteps.push_back(std::move(step));
    } catch (const std::bad_alloc&) {
        wave->SetPosition(position);
        throw EStreamError(WavText::OutOfMemory);
    } catch (...) {
        wave->SetPosition(position);
        throw;
    }
    wave->SetPosition(position);
    if (FUndoAction) {
        ShowCaption(CaptionOf(FSteps.back()));
        FUndoAction->SetEnabled(true);
    }
}

void TUndoList::RestoreStep(TTxWavStream* target, int32_t index)
{
    if (FUndoAction)
        ShowCaption(FBaseCaption);
    const int64_t i = index < 0 ? int64_t{StepCount()} - 1 : int64_t{index};
    if (i < 0 || i >= StepCount())
        return;
    // The step is dropped right after, so its copy becomes the target's content and the
    // target's old content is freed with the step: no second copy, no failure halfway.
    // The result is what copying would give: the step was made by a copy, so its file
    // name is empty, its position 0 and its selection already held inside its size.
    if (target)
        target->Swap(*FSteps[static_cast<size_t>(i)].Wave);
    FSteps.erase(FSteps.begin() + i);
    if (FUndoAction) {
        if (!FSteps.empty())
            ShowCaption(CaptionOf(FSteps.back()));
        ShowEnabled();
    }
}

bool TUndoList::UndoInto(TTxWavStream& target)
{
    // The Undo command reads as RestoreStep leaves it.
    if (FUndoAction)
        ShowCaption(FBaseCaption);
    if (FSteps.empty())
        return false;
    // Room first: once the contents have traded places nothing may fail.
    FRedoSteps.reserve(FRedoSteps.size() + 1);
    TUndoStep& step = FSteps.back();
    target.Swap(*step.Wave);
    FRedoSteps.push_back(std::move(step));
    FSteps.pop_back();
    if (FUndoAction) {
        if (!FSteps.empty())
            ShowCaption(CaptionOf(FSteps.back()));
        ShowEnabled();
    }
    ShowRedo();
    return true;
}

bool TUndoList::RedoInto(TTxWavStream& target)
{
    if (FRedoSteps.empty())
        return false;
    FSteps.reserve(FSteps.size() + 1);
    TUndoStep& step = FRedoSteps.back();
    target.Swap(*step.Wave);
    FSteps.push_back(std::move(step));
    FRedoSteps.pop_back();
    if (FUndoAction)
        ShowCaption(CaptionOf(FSteps.back()));
    // A lower limit chosen since the step was undone still holds.
    DropOldest(0);
    ShowRedo();
    return true;
}

void TUndoList::ClearSteps()
{
    while (StepCount() > 0)
        RestoreStep(nullptr, 0);
    ClearRedo();
}

void TUndoList::ClearRedo()
{
    if (FRedoSteps.empty())
        return;
    FRedoSteps.clear();
    ShowRedo();
}

void TUndoList::SetMaxSteps(int32_t n)
{
    if (n < 0)
        return;
    FMaxSteps = n;
    DropOldest(0);
    // The redo steps farthest from now go first.
    if (RedoCount() > FMaxSteps) {
        FRedoSteps.erase(FRedoSteps.begin(), FRedoSteps.end() - FMaxSteps);
        ShowRedo();
    }
}

void TUndoList::DropOldest(int32_t allowance)
{
    while (StepCount() > 0 && int64_t{StepCount()} > int64_t{FMaxSteps} + allowance)
        RestoreStep(nullptr, 0);
    if (FUndoAction)
        ShowEnabled();
}

std::string TUndoList::CaptionOf(const TUndoStep& step) const
{
    return FBaseCaption + " \"" + step.Name + "\"";
}

void TUndoList::ShowCaption(const std::string& caption)
{
    FUndoAction->SetCaption(caption);
    FUndoAction->SetHint(caption);
}

void TUndoList::ShowEnabled()
{
    FUndoAction->SetEnabled(StepCount() > 0 && FMaxSteps > 0);
}

void TUndoList::ShowRedo()
{
    if (!FRedoAction)
        return;
    const std::string caption = FRedoSteps.empty() ? std::string("Redo") : "Redo \"" + FRedoSteps.back().Name + "\"";
    FRedoAction->SetCaption(caption);
    FRedoAction->SetHint(caption);
    FRedoAction->SetEnabled(!FRedoSteps.empty());
}
