#pragma once
// The window's side of the undo list: recording before every "ModWave" command, "Undo",
// "Redo", "Clear Undo Buffer" and the step limit, with the Undo and Redo actions showing
// what they would act on.

#include <cstdint>
#include <memory>

#include "document/UndoList.h"

class TComposerDocument;

class TAction;
class TWavPaintBox;

class TUndoCommands {
public:
    // undoAction is BtnUndo, redoAction BtnRedo, clearAction ClearUndo; none is owned.
    // The steps are the working pane's document's; factory (when given) makes the waves
    // they are copied into.
    TUndoCommands(TAction& undoAction, TAction& redoAction, TAction& clearAction, TWavPaintBox& working,
                  TUndoList::TWaveFactory factory = nullptr);
    ~TUndoCommands();

    // The common handler of the main action list: before a "ModWave" command, a step of
    // the working wave named after the command's caption. Lacking memory for the copy,
    // the message is shown and the command still runs without a step. "Clear Undo
    // Buffer" then follows whether there are steps.
    void BeforeCommand(TAction& action);
    // "Undo": the newest step back into the working pane.
    void Undo();
    // "Redo": the last undone step back into the working pane.
    void Redo();
    // "Clear Undo Buffer": every step goes and the command disables itself.
    void Clear();
    // "Maximal undo steps" 1, 5, 10, or 0 for "Disable undo".
    void SetMaxSteps(int32_t n);

    TUndoList& List() { return FList; }

private:
    class TActionView;
    // "Clear Undo Buffer" enabled while there is a step to undo.
    void ShowClearEnabled();

    std::unique_ptr<TActionView> FView;
    std::unique_ptr<TActionView> FRedoView;
    TUndoList& FList;
    TAction& FClearAction;
    TWavPaintBox& FWorking;
};
