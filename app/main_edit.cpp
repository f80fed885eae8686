// The edit and undo commands of the window: each action and button is handed to the
// class that carries it (the edit commands, the undo commands).
#include "app/main.h"

#include "app/EditCommands.h"
#include "app/UndoCommands.h"
#include "platform/actions.h"
#include "wave/Wavs_ex.h"

void TForm1::ConnectEditCommands()
{
    // Before every command of the main list: the undo step of a "ModWave" one.
    ActionList1->OnExecute = [this](TAction* a) { ActionList1Execute(a); };

    const struct {
        TAction* action;
        float level;
    } normalizers[] = {{Normal, NormalizeLevel / 100.0f}, {Norm100, 0.99f}, {Norm90, 0.9f}, {Norm80, 0.8f},
                       {Norm75, 0.75f},  {Norm50, 0.5f},  {Norm0, 0.0f}};
    for (const auto& n : normalizers) {
        const float level = n.level;
        n.action->OnExecute = [this, level](TAction*) { Edits->Normalize(level); };
    }
    IncAmp->OnExecute = [this](TAction*) { Edits->Amplify(1.1f); };
    DecAmp->OnExecute = [this](TAction*) { Edits->Amplify(0.9f); };
    FadeIn->OnExecute = [this](TAction*) { Edits->FadeIn(); };
    FadeOut->OnExecute = [this](TAction*) { Edits->FadeOut(); };
    Reverse->OnExecute = [this](TAction*) { Edits->Reverse(); };
    DelSelect->OnExecute = [this](TAction*) { Edits->DeleteSelection(); };
    TrimSel->OnExecute = [this](TAction*) { Edits->TrimSelection(); };
    SpeedUp->OnExecute = [this](TAction*) { Edits->SpeedUp(); };
    SlowDown->OnExecute = [this](TAction*) { Edits->SlowDown(); };
    DelSel2->OnExecute = [this](TAction*) { Edits->DelSel2(); };
    TrimSel2->OnExecute = [this](TAction*) { Edits->TrimSel2(); };

    BtnUndo->OnExecute = [this](TAction*) { BtnUndoExecute(); };
    BtnRedo->OnExecute = [this](TAction*) { BtnRedoExecute(); };
    ClearUndo->OnExecute = [this](TAction*) { ClearUndoExecute(); };
}

void TForm1::ActionList1Execute(TAction* action)
{
    Undo->BeforeCommand(*action);
}

void TForm1::BtnUndoExecute()
{
    Undo->Undo();
}

void TForm1::BtnRedoExecute()
{
    Undo->Redo();
}

void TForm1::ClearUndoExecute()
{
    Undo->Clear();
}

void TForm1::UndoStepsClick(int32_t maxSteps)
{
    Undo->SetMaxSteps(maxSteps);
}

void TForm1::BtnDelSel2Click()
{
    Edits->BtnDelSel2Click();
}
