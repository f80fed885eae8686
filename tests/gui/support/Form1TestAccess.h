#pragma once
// The GUI tests' one way into the window: TForm1 keeps its controls, actions and the
// classes it hands its commands to private; each accessor here returns the member itself,
// so a test can read it and, where a test sets up a state, change it.
//
//   TForm1TestAccess w(form);
//   w.WorkingPane()->SelectAll();

#include "app/RangePlayer.h"
#include "app/main.h"

class TForm1TestAccess {
public:
    explicit TForm1TestAccess(TForm1& form) : F(form) {}

    // State held for the whole run and the classes the window hands its commands to.
    auto& Convertor() const { return F.Convertor; }
    auto& Player() const { return F.Player; }
    TTxWavStream* Sample() const { return F.Player->Sample(); }
    auto& ProgramDir() const { return F.ProgramDir; }
    auto& LastActionText() const { return F.LastActionText; }
    auto& NoDelay() const { return F.NoDelay; }
    auto& PaneMouse() const { return F.PaneMouse; }
    auto& Document() const { return F.Document; }
    auto& Folders() const { return F.Folders; }
    auto& Opener() const { return F.Opener; }
    auto& Undo() const { return F.Undo; }
    auto& Plugins() const { return F.Plugins; }
    auto& DragSession() const { return F.DragSession; }
    auto& PaneDrops() const { return F.PaneDrops; }

    // Controls.
    auto& MainSplitter() const { return F.MainSplitter; }
    auto& LeftPanel() const { return F.LeftPanel; }
    auto& ListToolBar() const { return F.ListToolBar; }
    auto& WavesLabel() const { return F.WavesLabel; }
    auto& WavesList() const { return F.WavesList; }
    auto& SelectList() const { return F.SelectList; }
    auto& TrashCan() const { return F.TrashCan; }
    auto& WaveArea() const { return F.WaveArea; }
    auto& UpperHalf() const { return F.UpperHalf; }
    auto& LowerHalf() const { return F.LowerHalf; }
    auto& UpperToolBar() const { return F.UpperToolBar; }
    auto& LowerToolBar() const { return F.LowerToolBar; }
    auto& UpperStatusBar() const { return F.UpperStatusBar; }
    auto& LowerStatusBar() const { return F.LowerStatusBar; }
    auto& UpperLevelBar() const { return F.UpperLevelBar; }
    auto& LowerLevelBar() const { return F.LowerLevelBar; }
    auto& UpperNarrowPanel() const { return F.UpperNarrowPanel; }
    auto& LowerNarrowPanel() const { return F.LowerNarrowPanel; }
    auto& UpperViewArea() const { return F.UpperViewArea; }
    auto& LowerViewArea() const { return F.LowerViewArea; }
    auto& WorkingPane() const { return F.WorkingPane; }
    auto& FinalPane() const { return F.FinalPane; }
    auto& BtnPlay1() const { return F.BtnPlay1; }
    auto& BtnPlay2() const { return F.BtnPlay2; }
    auto& Looped1() const { return F.Looped1; }
    auto& Looped2() const { return F.Looped2; }
    auto& BtnAddWave1() const { return F.BtnAddWave1; }
    auto& BtnDragSel1() const { return F.BtnDragSel1; }
    auto& BtnNormalize() const { return F.BtnNormalize; }
    auto& BtnZeroCross() const { return F.BtnZeroCross; }
    auto& BtnQuickPlug() const { return F.BtnQuickPlug; }
    auto& BtnAddWave2() const { return F.BtnAddWave2; }
    auto& BtnDragSel2() const { return F.BtnDragSel2; }
    auto& BtnSelAll2() const { return F.BtnSelAll2; }
    auto& BtnDelSel2() const { return F.BtnDelSel2; }
    auto& BtnMix() const { return F.BtnMix; }

    // Menus.
    auto& FileMenu() const { return F.FileMenu; }
    auto& EditMenu() const { return F.EditMenu; }
    auto& ModifyMenu() const { return F.ModifyMenu; }
    auto& NormalizeToMenu() const { return F.NormalizeToMenu; }
    auto& PlugInMenu() const { return F.PlugInMenu; }
    auto& PlugInMenuItem() const { return F.PlugInMenuItem; }
    auto& OptionsMenu() const { return F.OptionsMenu; }
    auto& PrecisionMenu() const { return F.PrecisionMenu; }
    auto& UndoStepsMenu() const { return F.UndoStepsMenu; }
    auto& PrecisionGroup() const { return F.PrecisionGroup; }
    auto& UndoStepsGroup() const { return F.UndoStepsGroup; }
    auto& About1() const { return F.About1; }

    // Actions.
    auto& ActionList1() const { return F.ActionList1; }
    auto& ActionList2() const { return F.ActionList2; }
    auto& PluginActions() const { return F.PluginActions; }
    auto& Normal() const { return F.Normal; }
    auto& IncAmp() const { return F.IncAmp; }
    auto& DecAmp() const { return F.DecAmp; }
    auto& FadeIn() const { return F.FadeIn; }
    auto& FadeOut() const { return F.FadeOut; }
    auto& Reverse() const { return F.Reverse; }
    auto& DelSelect() const { return F.DelSelect; }
    auto& TrimSel() const { return F.TrimSel; }
    auto& SpeedUp() const { return F.SpeedUp; }
    auto& SlowDown() const { return F.SlowDown; }
    auto& Norm100() const { return F.Norm100; }
    auto& Norm90() const { return F.Norm90; }
    auto& Norm80() const { return F.Norm80; }
    auto& Norm75() const { return F.Norm75; }
    auto& Norm50() const { return F.Norm50; }
    auto& Norm0() const { return F.Norm0; }
    auto& BtnUndo() const { return F.BtnUndo; }
    auto& BtnRedo() const { return F.BtnRedo; }
    auto& ZoomIn1() const { return F.ZoomIn1; }
    auto& ZoomOut1() const { return F.ZoomOut1; }
    auto& ZoomSel1() const { return F.ZoomSel1; }
    auto& ZoomFit1() const { return F.ZoomFit1; }
    auto& UpperScrollBar() const { return F.UpperScrollBar; }
    auto& LowerScrollBar() const { return F.LowerScrollBar; }
    auto& BtnZoomIn1() const { return F.BtnZoomIn1; }
    auto& BtnZoomFit2() const { return F.BtnZoomFit2; }
    auto& ViewMenu() const { return F.ViewMenu; }
    auto& ViewActions() const { return F.ViewActions; }
    auto& Effects() const { return F.Effects; }
    auto& EffectsMenu() const { return F.EffectsMenu; }
    auto& ApplyEffect() const { return F.ApplyEffect; }
    auto& ClearUndo() const { return F.ClearUndo; }
    auto& OpenWaveFile() const { return F.OpenWaveFile; }
    auto& SaveWaveFile() const { return F.SaveWaveFile; }
    auto& ExitProg() const { return F.ExitProg; }
    auto& SelAll1() const { return F.SelAll1; }
    auto& StopSound() const { return F.StopSound; }
    auto& PlayWave1() const { return F.PlayWave1; }
    auto& DragDropAction() const { return F.DragDropAction; }
    auto& TrimSel2() const { return F.TrimSel2; }
    auto& DelSel2() const { return F.DelSel2; }
    auto& VersionMiss() const { return F.VersionMiss; }

private:
    TForm1& F;
};
