// The window as the user sees it: panels, lists, splitters, tool bars, status bars,
// menus and the action table. Sizes are pixels at 96 dots per inch.
#include "app/main.h"

#include <QActionGroup>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/PaneZoom.h"
#include "app/SelectionsList.h"
#include "app/WavesList.h"
#include "platform/actions.h"
#include "view/LevelBar.h"
#include "view/PaneScrollBar.h"
#include "view/PanelStatusBar.h"
#include "view/wavpaint.h"

namespace {

const QColor ToolBarColour(207, 206, 188);
const QColor StatusBarColour(201, 182, 203);
const QColor ViewAreaColour(0, 0, 128);  // navy

QIcon ImageListIcon(int index)
{
    return QIcon(QStringLiteral(":/icons/%1.svg").arg(index, 2, 10, QLatin1Char('0')));
}

void SetBackground(QWidget* w, const QColor& colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, colour);
    p.setColor(QPalette::Button, colour);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

QToolBar* MakeToolBar(QWidget* parent, const QString& name)
{
    auto* bar = new QToolBar(parent);
    bar->setObjectName(name);
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(16, 16));
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    bar->setContentsMargins(0, 0, 0, 0);
    // Tight buttons: with the Play and Normalize captions the upper bar must still show
    // every button at the window's first width.
    bar->layout()->setSpacing(0);
    bar->setStyleSheet(QStringLiteral("QToolButton { padding: 1px; }"));
    return bar;
}

} // namespace

TAction* TForm1::MakeAction(TActionList* list, const char* name, const QString& caption,
                            const QString& hint, const QString& category, int imageIndex)
{
    auto* a = new TAction(list, QString::fromLatin1(name));
    a->SetCaption(caption);
    a->SetHint(hint);
    a->SetCategory(category);
    a->SetImageIndex(imageIndex);
    // Shortcuts of actions that sit on no visible control still reach the window.
    addAction(a);
    return a;
}

void TForm1::CreateActions()
{
    ActionList1 = new TActionList(this, QStringLiteral("ActionList1"));
    ActionList2 = new TActionList(this, QStringLiteral("ActionList2"));
    PluginActions = new TActionList(this, QStringLiteral("PluginActions"));
    ViewActions = new TActionList(this, QStringLiteral("ViewActions"));
    const QString mod = QStringLiteral("ModWave");
    const QString none;

    Normal = MakeAction(ActionList1, "Normal", "Normalize", "Normalize selection", mod, 3);
    IncAmp = MakeAction(ActionList1, "IncAmp", "Increase amplification", "Increase amplification", mod, 6);
    DecAmp = MakeAction(ActionList1, "DecAmp", "Reduce amplification", "Reduce amplification", mod, 7);
    FadeIn = MakeAction(ActionList1, "FadeIn", "Fade in selection", "Fade in selection", mod, 9);
    FadeOut = MakeAction(ActionList1, "FadeOut", "Fade out selection", "Fade out selection", mod, 8);
    Reverse = MakeAction(ActionList1, "Reverse", "Reverse selection", "Reverse selection", mod, 13);
    DelSelect = MakeAction(ActionList1, "DelSelect", "Delete selection", "Delete selection", mod, 11);
    DelSelect->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_Delete));
    TrimSel = MakeAction(ActionList1, "TrimSel", "Trim selection", "Trim selection", mod, 10);
    TrimSel->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Delete));
    SpeedUp = MakeAction(ActionList1, "SpeedUp", "Speed up selection", "Speed up selection", mod, 26);
    SlowDown = MakeAction(ActionList1, "SlowDown", "Slow down selection", "Slow down selection", mod, 27);
    Norm100 = MakeAction(ActionList1, "Norm100", "100%", "Normalize 100%", mod, -1);
    Norm90 = MakeAction(ActionList1, "Norm90", "90%", "Normalize 90%", mod, -1);
    Norm80 = MakeAction(ActionList1, "Norm80", "80%", "Normalize 80%", mod, -1);
    Norm75 = MakeAction(ActionList1, "Norm75", "75%", "Normalize 75%", mod, -1);
    Norm50 = MakeAction(ActionList1, "Norm50", "50%", "Normalize 50%", mod, -1);
    Norm0 = MakeAction(ActionList1, "Norm0", "Silence", "Silence out", mod, -1);
    BtnUndo = MakeAction(ActionList1, "BtnUndo", "Undo", none, none, 14);
    BtnUndo->setEnabled(false);
    BtnUndo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    BtnRedo = MakeAction(ActionList1, "BtnRedo", "Redo", none, none, -1);
    BtnRedo->setEnabled(false);
    BtnRedo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    ClearUndo = MakeAction(ActionList1, "ClearUndo", "Clear Undo Buffer", "Clear undo buffer", none, -1);
    ClearUndo->setEnabled(false);
    OpenWaveFile = MakeAction(ActionList1, "OpenWaveFile", "Open Wave", "Open file", none, 0);
    OpenWaveFile->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    SaveWaveFile = MakeAction(ActionList1, "SaveWaveFile", "Save Wave", "Save final wave", none, 12);
    SaveWaveFile->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    ExitProg = MakeAction(ActionList1, "ExitProg", "Exit", "Exit", none, 28);
    SelAll1 = MakeAction(ActionList1, "SelAll1", "Select all", none, none, 25);
    SelAll1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    StopSound = MakeAction(ActionList1, "StopSound", "Stop Sound", "Stop Sound", none, 15);
    StopSound->setShortcut(QKeySequence(Qt::Key_Escape));
    PlayWave1 = MakeAction(ActionList1, "PlayWave1", "Play Wave 1", "Play Wave 1", none, 1);
    DragDropAction = MakeAction(ActionList1, "DragDropAction", "Drag and Drop", none, mod, -1);
    // Applying a LADSPA or LV2 effect: named after the effect just before it runs.
    ApplyEffect = MakeAction(ActionList1, "ApplyEffect", "Apply effect", none, mod, -1);
    TrimSel2 = MakeAction(ActionList2, "TrimSel2", "Trim selection", "Trim selection", mod, 10);
    DelSel2 = MakeAction(ActionList2, "DelSel2", "Delete selection", "Delete selection", none, 11);
    VersionMiss = MakeAction(PluginActions, "VersionMiss", "Version missmatch", none, none, -1);
    ZoomIn1 = MakeAction(ViewActions, "ZoomIn1", "Zoom in", "Zoom in", none, 30);
    ZoomIn1->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    ZoomOut1 = MakeAction(ViewActions, "ZoomOut1", "Zoom out", "Zoom out", none, 31);
    ZoomOut1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));
    ZoomSel1 = MakeAction(ViewActions, "ZoomSel1", "Zoom to selection", "Zoom to selection", none, 32);
    ZoomSel1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    ZoomFit1 = MakeAction(ViewActions, "ZoomFit1", "Fit whole wave", "Fit whole wave", none, 33);
    ZoomFit1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));

    // Commands of this window; the edit, undo, save, compose and plug-in commands are
    // connected by the classes that carry them and stay inert until then.
    OpenWaveFile->OnExecute = [this](TAction*) { OpenWaveFileExecute(); };
    ExitProg->OnExecute = [this](TAction*) { ExitProgExecute(); };
    SelAll1->OnExecute = [this](TAction*) { SelAll1Execute(); };
    ZoomIn1->OnExecute = [this](TAction*) { ZoomIn1Execute(); };
    ZoomOut1->OnExecute = [this](TAction*) { ZoomOut1Execute(); };
    ZoomSel1->OnExecute = [this](TAction*) { ZoomSel1Execute(); };
    ZoomFit1->OnExecute = [this](TAction*) { ZoomFit1Execute(); };
    StopSound->OnExecute = [this](TAction*) { StopSoundExecute(); };
    PlayWave1->OnExecute = [this](TAction*) { PlayWave1Execute(); };
    // DragDropAction's own command does nothing: a drop executes it so that the undo
    // snapshot and the last-action text see it.
}

void TForm1::CreateMenus()
{
    QMenuBar* bar = menuBar();

    FileMenu = bar->addMenu(QStringLiteral("&File"));
    FileMenu->setObjectName(QStringLiteral("File1"));
    FileMenu->addAction(OpenWaveFile);
    FileMenu->addAction(SaveWaveFile);
    FileMenu->addSeparator();
    FileMenu->addAction(ExitProg);

    EditMenu = bar->addMenu(QStringLiteral("&Edit"));
    EditMenu->setObjectName(QStringLiteral("Edit1"));
    EditMenu->addAction(BtnUndo);
    EditMenu->addAction(BtnRedo);
    EditMenu->addSeparator();
    EditMenu->addAction(SelAll1);
    EditMenu->addSeparator();
    EditMenu->addAction(DelSelect);
    EditMenu->addAction(TrimSel);
    EditMenu->addSeparator();
    EditMenu->addAction(ClearUndo);

    ModifyMenu = bar->addMenu(QStringLiteral("&Modify"));
    ModifyMenu->setObjectName(QStringLiteral("Modify1"));
    ModifyMenu->addAction(Normal);
    NormalizeToMenu = ModifyMenu->addMenu(ImageListIcon(3), QStringLiteral("Normalize to"));
    NormalizeToMenu->setObjectName(QStringLiteral("Normalizeto1"));
    for (TAction* a : {Norm100, Norm90, Norm80, Norm75, Norm50, Norm0})
        NormalizeToMenu->addAction(a);
    for (TAction* a : {IncAmp, DecAmp, SpeedUp, SlowDown, FadeIn, FadeOut, Reverse})
        ModifyMenu->addAction(a);

    ViewMenu = bar->addMenu(QStringLiteral("&View"));
    ViewMenu->setObjectName(QStringLiteral("View1"));
    for (TAction* a : {ZoomIn1, ZoomOut1, ZoomSel1, ZoomFit1})
        ViewMenu->addAction(a);

    PlugInMenu = new QMenu(QStringLiteral("&Plugins"), this);
    PlugInMenu->setObjectName(QStringLiteral("PlugInMenu"));
    // The bar item is an action of its own, apart from the menu's own menu action which
    // the Plugins tool button shares.
    PlugInMenuItem = new QAction(QStringLiteral("&Plugins"), this);
    PlugInMenuItem->setObjectName(QStringLiteral("PlugInMenuItem"));
    bar->addAction(PlugInMenuItem);
    EffectsMenu = bar->addMenu(QStringLiteral("&Effects"));
    EffectsMenu->setObjectName(QStringLiteral("EffectsMenu"));
    // An empty menu has nothing to open: the bar item then acts as a command.
    PlugInMenu->installEventFilter(this);
    connect(PlugInMenuItem, &QAction::triggered, this, [this] {
        if (PlugInMenu->isEmpty())
            PlugInMenuClick();
    });

    OptionsMenu = bar->addMenu(QStringLiteral("&Options"));
    OptionsMenu->setObjectName(QStringLiteral("Options1"));
    PrecisionMenu = OptionsMenu->addMenu(QStringLiteral("Waveform display precision"));
    PrecisionGroup = new QActionGroup(this);
    const struct {
        const char* caption;
        int32_t precision;
    } levels[] = {{"Use MMX/SSE", -1}, {"Highest", 0}, {"Higher", 1},
                  {"Medium", 2},       {"Lower", 3},   {"Lowest (fast)", 4}};
    for (const auto& level : levels) {
        QAction* item = PrecisionMenu->addAction(QString::fromLatin1(level.caption));
        item->setCheckable(true);
        item->setChecked(level.precision == 0);
        item->setActionGroup(PrecisionGroup);
        const int32_t precision = level.precision;
        connect(item, &QAction::triggered, this, [this, precision] { PrecisionClick(precision); });
    }
    UndoStepsMenu = OptionsMenu->addMenu(QStringLiteral("Maximal undo steps"));
    UndoStepsGroup = new QActionGroup(this);
    const struct {
        const char* name;
        const char* caption;
        int32_t maxSteps;
    } limits[] = {{"Undo_01", "1", 1}, {"Undo_05", "5", 5}, {"Undo_10", "10", 10}, {"DisableUndo", "Disable undo", 0}};
    for (const auto& limit : limits) {
        QAction* item = UndoStepsMenu->addAction(QString::fromLatin1(limit.caption));
        item->setObjectName(QString::fromLatin1(limit.name));
        item->setCheckable(true);
        item->setChecked(limit.maxSteps == 10);
        item->setActionGroup(UndoStepsGroup);
        const int32_t maxSteps = limit.maxSteps;
        connect(item, &QAction::triggered, this, [this, maxSteps] { UndoStepsClick(maxSteps); });
    }

    About1 = bar->addAction(QStringLiteral("&About!"));
    About1->setObjectName(QStringLiteral("About1"));
    connect(About1, &QAction::triggered, this, [this] { About1Click(); });

    UpdatePlugInMenuBinding();
}

void TForm1::UpdatePlugInMenuBinding()
{
    // While the Plugins menu is empty the bar item carries no menu, so a click on it is
    // reported as a command ("No plugins installed!"); the scan's first entry binds it.
    if (!PlugInMenuItem)
        return;
    QMenu* wanted = PlugInMenu->isEmpty() ? nullptr : PlugInMenu;
    if (PlugInMenuItem->menu() != wanted)
        PlugInMenuItem->setMenu(wanted);
}

void TForm1::CreateLeftPanel()
{
    LeftPanel = new QWidget(MainSplitter);
    LeftPanel->setObjectName(QStringLiteral("LeftPanel"));
    LeftPanel->setMinimumWidth(130);
    auto* layout = new QVBoxLayout(LeftPanel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    ListToolBar = MakeToolBar(LeftPanel, QStringLiteral("ListToolBar"));
    ListToolBar->addAction(OpenWaveFile);
    ListToolBar->addSeparator();
    WavesLabel = new QLabel(QStringLiteral("Waves"), ListToolBar);
    WavesLabel->setObjectName(QStringLiteral("WavesLabel"));
    QFont bold = WavesLabel->font();
    bold.setBold(true);
    WavesLabel->setFont(bold);
    ListToolBar->addWidget(WavesLabel);
    layout->addWidget(ListToolBar);

    ListSplitter = new QSplitter(Qt::Vertical, LeftPanel);
    ListSplitter->setObjectName(QStringLiteral("ListSplitter"));
    ListSplitter->setChildrenCollapsible(false);
    WavesList = new TWavesList(Document, ListSplitter);
    WavesList->setObjectName(QStringLiteral("WavesList"));
    WavesList->setMinimumHeight(50);
    SelectList = new TSelectionsList(Document, ListSplitter);
    SelectList->setObjectName(QStringLiteral("SelectList"));
    SelectList->setMinimumHeight(30);
    ListSplitter->addWidget(WavesList);
    ListSplitter->addWidget(SelectList);
    ListSplitter->setStretchFactor(0, 1);
    ListSplitter->setStretchFactor(1, 0);
    ListSplitter->setSizes({200, 136});
    layout->addWidget(ListSplitter, 1);

    TrashCan = new QLabel(QStringLiteral("Trash can"), LeftPanel);
    TrashCan->setObjectName(QStringLiteral("TrashCan"));
    TrashCan->setAlignment(Qt::AlignCenter);
    TrashCan->setFixedHeight(21);
    TrashCan->setFrameStyle(QFrame::Panel | QFrame::Raised);
    TrashCan->setToolTip(QStringLiteral("Drop to delete selected"));
    TrashCan->setStatusTip(QStringLiteral("Drop to delete selected"));
    SetBackground(TrashCan, TrashCan->palette().color(QPalette::ToolTipBase));
    layout->addWidget(TrashCan);
}

QWidget* TForm1::CreateHalf(const QString& name, QToolBar*& toolBar, TPanelStatusBar*& statusBar,
                            TLevelBar*& levelBar, QWidget*& narrowPanel, QWidget*& viewArea)
{
    auto* half = new QWidget(WaveArea);
    half->setObjectName(name + QStringLiteral("Half"));
    half->setMinimumHeight(100);
    auto* column = new QVBoxLayout(half);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    toolBar = MakeToolBar(half, name + QStringLiteral("ToolBar"));
    toolBar->setFixedHeight(29);
    SetBackground(toolBar, ToolBarColour);
    column->addWidget(toolBar);

    auto* middle = new QHBoxLayout;
    middle->setContentsMargins(0, 0, 0, 0);
    middle->setSpacing(0);
    narrowPanel = new QWidget(half);
    narrowPanel->setObjectName(name + QStringLiteral("NarrowPanel"));
    narrowPanel->setFixedWidth(9);
    middle->addWidget(narrowPanel);
    viewArea = new QWidget(half);
    viewArea->setObjectName(name + QStringLiteral("ViewArea"));
    SetBackground(viewArea, ViewAreaColour);
    viewArea->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    middle->addWidget(viewArea, 1);
    levelBar = new TLevelBar(half);
    levelBar->setObjectName(name + QStringLiteral("LevelBar"));
    levelBar->setFixedWidth(10);
    middle->addWidget(levelBar);
    column->addLayout(middle, 1);

    statusBar = new TPanelStatusBar({75, 150, 200, 50}, half);
    statusBar->setObjectName(name + QStringLiteral("StatusBar"));
    SetBackground(statusBar, StatusBarColour);
    // The panel widths were chosen for an 8-point face; the status texts keep to it.
    QFont small = statusBar->font();
    small.setPointSize(8);
    statusBar->setFont(small);
    column->addWidget(statusBar);
    return half;
}

void TForm1::CreateWaveArea()
{
    WaveArea = new QWidget(MainSplitter);
    WaveArea->setObjectName(QStringLiteral("WaveArea"));
    // The halves are placed by FormResize, not by a layout: the upper one takes exactly
    // half of the area's height, rounded down.
    UpperHalf = CreateHalf(QStringLiteral("Upper"), UpperToolBar, UpperStatusBar, UpperLevelBar,
                           UpperNarrowPanel, UpperViewArea);
    LowerHalf = CreateHalf(QStringLiteral("Lower"), LowerToolBar, LowerStatusBar, LowerLevelBar,
                           LowerNarrowPanel, LowerViewArea);
    WaveArea->setMinimumHeight(UpperHalf->minimumHeight() + LowerHalf->minimumHeight());
    WaveArea->installEventFilter(this);
    CreateUpperToolBar();
    CreateLowerToolBar();
    WaveArea->setMinimumWidth(UpperToolBar->minimumWidth() + 9 + 10);
}

QToolButton* TForm1::MakeToolButton(QToolBar* bar, const char* name, int imageIndex,
                                    const QString& hint)
{
    auto* button = new QToolButton(bar);
    button->setObjectName(QString::fromLatin1(name));
    if (imageIndex >= 0)
        button->setIcon(ImageListIcon(imageIndex));
    button->setToolTip(hint);
    button->setStatusTip(hint);
    button->setAutoRaise(true);
    bar->addWidget(button);
    return button;
}

QToolButton* TForm1::MakePlayButton(QToolBar* bar, const char* name, const char* loopedName,
                                    QAction*& looped)
{
    QToolButton* button = MakeToolButton(bar, name, 1, QStringLiteral("Play"));
    button->setText(QStringLiteral("Play"));
    // The grey icon alone reads as a disabled button: the caption says what it does.
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setPopupMode(QToolButton::MenuButtonPopup);
    auto* menu = new QMenu(button);
    looped = menu->addAction(QStringLiteral("Looped"));
    looped->setObjectName(QString::fromLatin1(loopedName));
    looped->setCheckable(true);
    button->setMenu(menu);
    return button;
}

void TForm1::CreateUpperToolBar()
{
    QToolBar* bar = UpperToolBar;
    bar->setMinimumWidth(520);

    BtnPlay1 = MakePlayButton(bar, "BtnPlay1", "Looped1", Looped1);
    connect(BtnPlay1, &QToolButton::clicked, this, [this] { PlayWave1Execute(); });
    bar->addSeparator();
    BtnAddWave1 = MakeToolButton(bar, "BtnAddWave1", 19, QStringLiteral("Add whole wave to list"));
    BtnDragSel1 = MakeToolButton(bar, "BtnDragSel1", 18, QStringLiteral("Drag&Drop selection"));
    bar->addSeparator();
    bar->addAction(SelAll1);
    bar->addAction(DelSelect);
    bar->addAction(TrimSel);
    bar->addSeparator();
    BtnNormalize = MakeToolButton(bar, "BtnNormalize", 3, QStringLiteral("Normalize selection"));
    BtnNormalize->setDefaultAction(Normal);
    BtnNormalize->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    BtnNormalize->setPopupMode(QToolButton::MenuButtonPopup);
    auto* normalizeMenu = new QMenu(BtnNormalize);
    for (TAction* a : {Norm100, Norm90, Norm80, Norm75, Norm50, Norm0})
        normalizeMenu->addAction(a);
    BtnNormalize->setMenu(normalizeMenu);
    for (TAction* a : {IncAmp, DecAmp, SpeedUp, SlowDown})
        bar->addAction(a);
    bar->addSeparator();
    for (TAction* a : {FadeIn, FadeOut, Reverse})
        bar->addAction(a);
    bar->addSeparator();
    bar->addAction(BtnUndo);
    bar->addSeparator();
    bar->addAction(StopSound);
    bar->addSeparator();
    BtnZeroCross = MakeToolButton(bar, "BtnZeroCross", 4, QStringLiteral("Automatic adjust zero cross"));
    BtnZeroCross->setCheckable(true);
    BtnZeroCross->setChecked(true);
    bar->addSeparator();
    // No icon until a plug-in library has named itself; the caption stands in meanwhile.
    BtnQuickPlug = MakeToolButton(bar, "BtnQuickPlug", -1, QString());
    BtnQuickPlug->setText(QStringLiteral("&Plugins"));
    // The caption's mnemonic would take Alt+P from the menu bar's Plugins menu, which is
    // what a user opens with it.
    BtnQuickPlug->setShortcut(QKeySequence());
    BtnQuickPlug->setToolButtonStyle(Qt::ToolButtonTextOnly);
    BtnQuickPlug->setPopupMode(QToolButton::MenuButtonPopup);
    BtnQuickPlug->setMenu(PlugInMenu);
    bar->addSeparator();
    AddZoomButtons(bar, true, BtnZoomIn1, BtnZoomOut1, BtnZoomSel1, BtnZoomFit1);
}

void TForm1::AddZoomButtons(QToolBar* bar, bool working, QToolButton*& zoomIn, QToolButton*& zoomOut,
                            QToolButton*& zoomSel, QToolButton*& zoomFit)
{
    const char* const names[2][4] = {{"BtnZoomIn2", "BtnZoomOut2", "BtnZoomSel2", "BtnZoomFit2"},
                                     {"BtnZoomIn1", "BtnZoomOut1", "BtnZoomSel1", "BtnZoomFit1"}};
    const TAction* const commands[] = {ZoomIn1, ZoomOut1, ZoomSel1, ZoomFit1};
    QToolButton** buttons[] = {&zoomIn, &zoomOut, &zoomSel, &zoomFit};
    void (*const zooms[])(TWavPaintBox&) = {PaneZoom::ZoomIn, PaneZoom::ZoomOut, PaneZoom::ZoomToSelection,
                                            PaneZoom::FitWholeWave};
    for (int i = 0; i < 4; ++i) {
        QToolButton* button = MakeToolButton(bar, names[working][i], commands[i]->ImageIndex(), commands[i]->Hint());
        *buttons[i] = button;
        const auto zoom = zooms[i];
        connect(button, &QToolButton::clicked, this, [this, working, zoom] { zoom(*(working ? WorkingPane : FinalPane)); });
    }
}

void TForm1::CreateLowerToolBar()
{
    QToolBar* bar = LowerToolBar;
    BtnPlay2 = MakePlayButton(bar, "BtnPlay2", "Looped2", Looped2);
    connect(BtnPlay2, &QToolButton::clicked, this, [this] { BtnPlay2Click(); });
    bar->addSeparator();
    BtnAddWave2 = MakeToolButton(bar, "BtnAddWave2", 19, QStringLiteral("Add whole wave to list"));
    BtnDragSel2 = MakeToolButton(bar, "BtnDragSel2", 18, QStringLiteral("Drag&Drop selection"));
    bar->addSeparator();
    BtnSelAll2 = MakeToolButton(bar, "BtnSelAll2", 25, QStringLiteral("Select all"));
    connect(BtnSelAll2, &QToolButton::clicked, this, [this] { BtnSelAll2Click(); });
    BtnDelSel2 = MakeToolButton(bar, "BtnDelSel2", 11, QStringLiteral("Delete selection"));
    connect(BtnDelSel2, &QToolButton::clicked, this, [this] { BtnDelSel2Click(); });
    bar->addAction(TrimSel2);
    bar->addSeparator();
    BtnMix = MakeToolButton(bar, "BtnMix", 16, QStringLiteral("Mix working wave to final wave"));
    bar->addSeparator();
    bar->addAction(SaveWaveFile);
    bar->addSeparator();
    AddZoomButtons(bar, false, BtnZoomIn2, BtnZoomOut2, BtnZoomSel2, BtnZoomFit2);
}

void TForm1::CreateScrollBars()
{
    // Under the pane, inside its drawing area: hidden (and taking no room) at Fit.
    UpperScrollBar = new TPaneScrollBar(*WorkingPane, UpperViewArea);
    UpperViewArea->layout()->addWidget(UpperScrollBar);
    LowerScrollBar = new TPaneScrollBar(*FinalPane, LowerViewArea);
    LowerViewArea->layout()->addWidget(LowerScrollBar);
}

void TForm1::FormResize()
{
    if (!WaveArea)
        return;
    const int w = WaveArea->width();
    const int h = WaveArea->height();
    const int upper = h / 2;
    UpperHalf->setGeometry(0, 0, w, upper);
    LowerHalf->setGeometry(0, upper, w, h - upper);
}
