#include "app/UndoCommands.h"

#include "app/OutOfMemoryReport.h"
#include "platform/actions.h"
#include "view/wavpaint.h"

// The undo list sees the Undo action only through its caption, hint and enabled state.
class TUndoCommands::TActionView : public TUndoActionView {
public:
    explicit TActionView(TAction& action) : FAction(action) {}
    void SetCaption(const std::string& caption) override { FAction.SetCaption(QString::fromStdString(caption)); }
    void SetHint(const std::string& hint) override { FAction.SetHint(QString::fromStdString(hint)); }
    void SetEnabled(bool enabled) override { FAction.setEnabled(enabled); }

private:
    TAction& FAction;
};

TUndoCommands::TUndoCommands(TAction& undoAction, TAction& redoAction, TAction& clearAction,
                             TWavPaintBox& working, TUndoList::TWaveFactory factory)
    : FView(std::make_unique<TActionView>(undoAction)),
      FRedoView(std::make_unique<TActionView>(redoAction)),
      FList(working.Document().Undo()),
      FClearAction(clearAction),
      FWorking(working)
{
    FList.SetWaveFactory(std::move(factory));
    FList.SetUndoAction(FView.get());
    FList.SetRedoAction(FRedoView.get());
}

TUndoCommands::~TUndoCommands()
{
    // The document may outlive the window's actions.
    if (FList.UndoAction() == FView.get())
        FList.SetUndoAction(nullptr);
    if (FList.RedoAction() == FRedoView.get())
        FList.SetRedoAction(nullptr);
}

void TUndoCommands::BeforeCommand(TAction& action)
{
    if (action.Category() == QLatin1String("ModWave"))
        RunReportingOutOfMemory([&] { FWorking.Document().RecordStep(action.Caption().toStdString()); });
    ShowClearEnabled();
}

void TUndoCommands::Undo()
{
    FWorking.Document().UndoStep();
    FWorking.Refresh();
    ShowClearEnabled();
}

void TUndoCommands::Redo()
{
    FWorking.Document().RedoStep();
    FWorking.Refresh();
    ShowClearEnabled();
}

void TUndoCommands::ShowClearEnabled()
{
    // As before redo existed: only while there is a step to undo (redo steps alone go
    // with the next recorded command).
    FClearAction.setEnabled(FList.StepCount() > 0);
}

void TUndoCommands::Clear()
{
    FList.ClearSteps();
    FClearAction.setEnabled(false);
}

void TUndoCommands::SetMaxSteps(int32_t n)
{
    FList.SetMaxSteps(n);
}
