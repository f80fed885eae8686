#pragma once
// TForm1: the main window. It hosts and connects: the panes, the lists, the tool bars,
// the menus and the actions are made here, and each command is handed to the small
// class that does the work (the panes, the Waves list, the file opener, the player).

#include <QMainWindow>
#include <QString>
#include <cstdint>
#include <exception>
#include <memory>

#include "app/FolderSettings.h"
#include "conversion/ACMConvertor.h"
#include "document/ComposerDocument.h"

class QActionGroup;
class QLabel;
class QMenu;
class TLevelBar;
class QSplitter;
class QToolBar;
class QToolButton;
class QTreeWidget;
class TAboutBox;
class TEditCommands;
class TEffectCommands;
class TUndoCommands;
class TAction;
class TActionList;
class TPaneMouse;
class TPaneScrollBar;
class TPlaybackKeys;
class TPanelStatusBar;
class TRangePlayer;
class TSessionRecovery;
class TTxWavStream;
class TWavPaintBox;
class TWaveOpener;
class TWaveSaver;
class TMixCommand;
class TWavesList;
class TSelectionsList;
class TPluginHost;
class TDragSession;
class TDragSources;
class TPaneDropTarget;
class TWavesListDropTarget;
class TSelectListDropTarget;
class TTrashCan;
class QTreeWidgetItem;

// The private message that starts the plug-in scan once the message loop runs.
inline constexpr int WM_USER = 1024;
inline constexpr int WM_PLUGINSCAN = WM_USER + 100;  // 1124

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // aboutBox is the splash and later the About box; it outlives the window.
    explicit TForm1(TAboutBox* aboutBox, QWidget* parent = nullptr);
    ~TForm1() override;  // FormDestroy

    // What the start-up hands in: "-nodelay" (the plug-in scan skips its pauses), the
    // folder the scan looks in, and files to open as "Open Wave" opens them.
    void SetNoDelay(bool noDelay);
    // Reads the installed LADSPA and LV2 effects into the Effects menu (after the plug-in
    // scan; from the cache, or by a helper while the program goes on).
    void DiscoverEffects();
    void SetPluginFolder(const QString& folder);
    void OpenFiles(const QStringList& fileNames);

    // The GUI tests' one way to the members below (tests/gui/support).
    friend class TForm1TestAccess;

private:
    // --- state held for the whole run --------------------------------------------
    TACMConvertor Convertor;
    // What the user edits: both pane waves, the lists' entries, the undo steps. The panes
    // and the lists are views of it.
    std::shared_ptr<TComposerDocument> Document = std::make_shared<TComposerDocument>();
    std::unique_ptr<TRangePlayer> Player;     // the play buffer and WPlayer
    QString ProgramDir;                       // ends in "/"
    QString LastActionText;                   // read by the unhandled-error report
    bool NoDelay = false;                     // "-nodelay": the plug-in scan skips its pauses
    std::unique_ptr<TPaneMouse> PaneMouse;    // the pointer on both panes, their panels and bars
    TFolderSettings Folders;                  // the dialogs' initial folders, kept in the registry
    std::unique_ptr<TPlaybackKeys> Keys;      // Space, Shift+Space, the Ctrl release
    TAboutBox* AboutBox;
    std::unique_ptr<TWaveOpener> Opener;
    std::unique_ptr<TWaveSaver> Saver;       // "Save Wave"
    std::unique_ptr<TMixCommand> Mixer;      // the mix button
    std::unique_ptr<TEditCommands> Edits;     // the Modify and Edit commands of both panes
    std::unique_ptr<TUndoCommands> Undo;      // the undo list and its commands
    std::unique_ptr<TPluginHost> Plugins;     // the Plugins menu, its scan and the filter runs
    std::unique_ptr<TEffectCommands> Effects; // the Effects menu: LADSPA and LV2 effects
    // Drag and drop: the one current drag object, where drags start, and the targets.
    std::unique_ptr<TDragSession> DragSession;
    std::unique_ptr<TDragSources> DragSources;
    std::unique_ptr<TPaneDropTarget> PaneDrops;
    std::unique_ptr<TWavesListDropTarget> WavesListDrops;
    std::unique_ptr<TSelectListDropTarget> SelectListDrops;
    std::unique_ptr<TTrashCan> Trash;

    static constexpr const char* TempFileName = "txtnt.~wav";

    // --- controls -------------------------------------------------------------------
    QSplitter* MainSplitter = nullptr;        // left panel | wave area, 5 wide
    QWidget* LeftPanel = nullptr;
    QToolBar* ListToolBar = nullptr;
    QLabel* WavesLabel = nullptr;
    QSplitter* ListSplitter = nullptr;
    TWavesList* WavesList = nullptr;
    TSelectionsList* SelectList = nullptr;
    QLabel* TrashCan = nullptr;
    QWidget* WaveArea = nullptr;
    QWidget* UpperHalf = nullptr;
    QWidget* LowerHalf = nullptr;
    QToolBar* UpperToolBar = nullptr;
    QToolBar* LowerToolBar = nullptr;
    TPanelStatusBar* UpperStatusBar = nullptr;
    TPanelStatusBar* LowerStatusBar = nullptr;
    TLevelBar* UpperLevelBar = nullptr;
    TLevelBar* LowerLevelBar = nullptr;
    QWidget* UpperNarrowPanel = nullptr;
    QWidget* LowerNarrowPanel = nullptr;
    QWidget* UpperViewArea = nullptr;
    QWidget* LowerViewArea = nullptr;
    TWavPaintBox* WorkingPane = nullptr;      // "Working Wave"
    TWavPaintBox* FinalPane = nullptr;        // "Final Wave"

    // Tool buttons that are not bound to an action.
    QToolButton* BtnPlay1 = nullptr;          // upper Play, drop-down "Looped"
    QToolButton* BtnPlay2 = nullptr;          // lower Play, drop-down "Looped"
    QAction* Looped1 = nullptr;
    QAction* Looped2 = nullptr;
    QToolButton* BtnAddWave1 = nullptr;       // icon 19 "Add whole wave to list"
    QToolButton* BtnDragSel1 = nullptr;       // icon 18 "Drag&Drop selection"
    QToolButton* BtnNormalize = nullptr;      // drop-down of the six levels
    QToolButton* BtnZeroCross = nullptr;      // "Automatic adjust zero cross", down at start
    QToolButton* BtnQuickPlug = nullptr;      // "&Plugins", drop-down = PlugInMenu
    QToolButton* BtnAddWave2 = nullptr;
    QToolButton* BtnDragSel2 = nullptr;
    QToolButton* BtnSelAll2 = nullptr;        // icon 25 "Select all" of the final pane
    QToolButton* BtnDelSel2 = nullptr;        // icon 11 "Delete selection" of the final pane
    QToolButton* BtnMix = nullptr;            // icon 16 "Mix working wave to final wave"
    // Zoom buttons at the end of each pane's tool bar (icons 30 to 33), acting on their pane.
    QToolButton* BtnZoomIn1 = nullptr;
    QToolButton* BtnZoomOut1 = nullptr;
    QToolButton* BtnZoomSel1 = nullptr;
    QToolButton* BtnZoomFit1 = nullptr;
    QToolButton* BtnZoomIn2 = nullptr;
    QToolButton* BtnZoomOut2 = nullptr;
    QToolButton* BtnZoomSel2 = nullptr;
    QToolButton* BtnZoomFit2 = nullptr;
    TPaneScrollBar* UpperScrollBar = nullptr; // under the working pane while it is zoomed in
    TPaneScrollBar* LowerScrollBar = nullptr; // under the final pane while it is zoomed in

    // Menus.
    QMenu* FileMenu = nullptr;
    QMenu* EditMenu = nullptr;
    QMenu* ModifyMenu = nullptr;
    QMenu* NormalizeToMenu = nullptr;
    QMenu* ViewMenu = nullptr;
    QMenu* PlugInMenu = nullptr;
    QMenu* EffectsMenu = nullptr;             // "&Effects", after "&Plugins"
    QAction* PlugInMenuItem = nullptr;        // "&Plugins" on the menu bar
    QMenu* OptionsMenu = nullptr;
    QMenu* PrecisionMenu = nullptr;
    QMenu* UndoStepsMenu = nullptr;
    QActionGroup* PrecisionGroup = nullptr;
    QActionGroup* UndoStepsGroup = nullptr;
    QAction* About1 = nullptr;

    // --- actions --------------------------------------------------------------------
    TActionList* ActionList1 = nullptr;       // the main group (undo snapshot before ModWave)
    TActionList* ActionList2 = nullptr;       // the final pane's TrimSel2 and DelSel2: no snapshot
    TActionList* PluginActions = nullptr;     // VersionMiss and the plug-in filters
    TActionList* ViewActions = nullptr;       // the View menu: no undo snapshot
    TAction* Normal = nullptr;
    TAction* IncAmp = nullptr;
    TAction* DecAmp = nullptr;
    TAction* FadeIn = nullptr;
    TAction* FadeOut = nullptr;
    TAction* Reverse = nullptr;
    TAction* DelSelect = nullptr;
    TAction* TrimSel = nullptr;
    TAction* SpeedUp = nullptr;
    TAction* SlowDown = nullptr;
    TAction* Norm100 = nullptr;
    TAction* Norm90 = nullptr;
    TAction* Norm80 = nullptr;
    TAction* Norm75 = nullptr;
    TAction* Norm50 = nullptr;
    TAction* Norm0 = nullptr;
    TAction* BtnUndo = nullptr;
    TAction* BtnRedo = nullptr;
    TAction* ClearUndo = nullptr;
    TAction* ApplyEffect = nullptr;           // "ModWave", captioned with the effect applied
    TAction* ZoomIn1 = nullptr;               // the View menu, on the pane the pointer was last over
    TAction* ZoomOut1 = nullptr;
    TAction* ZoomSel1 = nullptr;
    TAction* ZoomFit1 = nullptr;
    TAction* OpenWaveFile = nullptr;
    TAction* SaveWaveFile = nullptr;
    TAction* ExitProg = nullptr;
    TAction* SelAll1 = nullptr;
    TAction* StopSound = nullptr;
    TAction* PlayWave1 = nullptr;
    TAction* DragDropAction = nullptr;
    TAction* TrimSel2 = nullptr;
    TAction* DelSel2 = nullptr;               // no control of its own
    TAction* VersionMiss = nullptr;

public:
    // --- handlers -------------------------------------------------------------------
    void FormCreate();
    void FormClose();
    void FormDestroy();
    void FormResize();
    void ExitProgExecute();
    void About1Click();
    void ApplicationEvents1ActionExecute(QObject* action);
    void ApplicationEvents1Exception(QObject* sender, const std::exception* error);
    void OpenWaveFileExecute();
    void SaveWaveFileExecute();
    void BtnMixClick();
    void Open1SelectionChange(const QString& fileName);
    void SelAll1Execute();
    void BtnSelAll2Click();
    void PrecisionClick(int32_t precision);
    void ActionList1Execute(TAction* action); // records the undo step of a "ModWave" command
    void BtnUndoExecute();
    void BtnRedoExecute();
    void ClearUndoExecute();
    // The View menu (main_view.cpp).
    void ZoomIn1Execute();
    void ZoomOut1Execute();
    void ZoomSel1Execute();
    void ZoomFit1Execute();
    void UndoStepsClick(int32_t maxSteps);    // "Maximal undo steps", 0 = "Disable undo"
    void BtnDelSel2Click();
    void PlugInMenuClick();
    void PluginScanMessage();                 // message 1124
    void PluginActionsExecute(TAction* action);
    void RunPluginFilter(QObject* sender);
    void VersionMissExecute();

    // Composing by drag and drop (main_dragdrop.cpp).
    void AddWholeWaveToList(TWavPaintBox* pane);
    void BtnAddWave1Click();
    void BtnAddWave2Click();
    void BtnDragSel1Click();
    void BtnDragSel2Click();

    // Playback.
    void PlayWave1Execute();                  // also the upper Play button
    void BtnPlay2Click();
    void StopSoundExecute();
    void WPlayerBeforePlaying();
    void WPlayerAfterPlaying();
    // The stop operation: nothing plays and the play buffer is empty afterwards.
    void StopPlaying();

    // Whether the upper Play button shows its highlight right now.
    bool PlayButtonMarked() const;

    // Demonstration and screenshot hook (SONOVANE_DEMO_WAVE, app/DemoWaves.h).
    void LoadDemoWaves(const QStringList& fileNames);
    // Crash recovery (app/SessionRecovery.h) gets the document and the panes.
    void KeepForRecovery(TSessionRecovery& recovery);

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Layout (main_layout.cpp).
    void CreateActions();
    void CreateMenus();
    void CreateLeftPanel();
    void CreateWaveArea();
    QWidget* CreateHalf(const QString& name, QToolBar*& toolBar, TPanelStatusBar*& statusBar,
                        TLevelBar*& levelBar, QWidget*& narrowPanel, QWidget*& viewArea);
    void ConnectEditCommands();
    void ConnectDragDrop();
    void CreateUpperToolBar();
    void CreateLowerToolBar();
    // The zoom buttons at the end of a pane's tool bar, acting on the working pane or the
    // final one.
    void AddZoomButtons(QToolBar* bar, bool working, QToolButton*& zoomIn, QToolButton*& zoomOut,
                        QToolButton*& zoomSel, QToolButton*& zoomFit);
    // The scroll bars under both panes, once the panes exist.
    void CreateScrollBars();
    // The pane the View menu acts on: the one the pointer was last over, else the working pane.
    TWavPaintBox& ViewTarget() const;
    TAction* MakeAction(TActionList* list, const char* name, const QString& caption,
                        const QString& hint, const QString& category, int imageIndex);
    QToolButton* MakeToolButton(QToolBar* bar, const char* name, int imageIndex,
                                const QString& hint);
    // A Play button with its drop-down "Looped" item, which goes to looped.
    QToolButton* MakePlayButton(QToolBar* bar, const char* name, const char* loopedName,
                                QAction*& looped);
    void UpdatePlugInMenuBinding();
    // Window-wide keys: Space / Shift+Space play, releasing Ctrl stops.
    bool HandleWindowKey(QObject* receiver, QEvent* event);

    bool FPlayButtonMarked = false;
};
