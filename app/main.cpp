// The window's life: creation (FormCreate), the posted plug-in message, the window-wide
// keys, closing (FormClose) and destruction (FormDestroy).
#include "app/main.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QKeyEvent>
#include <QMenu>
#include <QResizeEvent>
#include <QSplitter>
#include <QStatusBar>
#include <QToolButton>

#include "about/Unit2.h"
#include "app/DragSession.h"
#include "app/DragSources.h"
#include "app/EditCommands.h"
#include "app/PaneDropTarget.h"
#include "app/SelectListDropTarget.h"
#include "app/TrashCan.h"
#include "app/WavesListDropTarget.h"
#include "app/PaneMouse.h"
#include "app/PlaybackKeys.h"
#include "app/PluginFolder.h"
#include "app/RangePlayer.h"
#include "app/UndoCommands.h"
#include "app/EffectCommands.h"
#include "effects/EffectHelperProtocol.h"
#include "view/LevelBar.h"
#include "app/WaveOpener.h"
#include "app/WaveSaver.h"
#include "app/MixCommand.h"
#include "app/SelectionsList.h"
#include "app/WavesList.h"
#include "platform/actions.h"
#include "plugins/PluginHost.h"
#include "view/wavpaint.h"
#include "wave/Stream.h"

namespace {

// The embedded resource "piano" of the named type "RT_RCDATA", as a byte stream.
class TResourceStream : public TMemoryStream {
public:
    TResourceStream(const QString& type, const QString& name)
    {
        QFile file(QStringLiteral(":/") + type + QLatin1Char('/') + name);
        if (!file.open(QIODevice::ReadOnly))
            throw EFOpenError("Resource " + name.toStdString() + " not found");
        const QByteArray bytes = file.readAll();
        WriteBuffer(bytes.constData(), bytes.size());
        SetPosition(0);
    }
};

} // namespace

TForm1::TForm1(TAboutBox* aboutBox, QWidget* parent) : QMainWindow(parent), AboutBox(aboutBox)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Sonovane"));
    setAttribute(Qt::WA_AlwaysShowToolTips);

    CreateActions();
    CreateMenus();
    MainSplitter = new QSplitter(Qt::Horizontal, this);
    MainSplitter->setObjectName(QStringLiteral("MainSplitter"));
    MainSplitter->setHandleWidth(5);
    MainSplitter->setChildrenCollapsible(false);
    CreateLeftPanel();
    CreateWaveArea();
    MainSplitter->addWidget(LeftPanel);
    MainSplitter->addWidget(WaveArea);
    MainSplitter->setStretchFactor(0, 0);
    MainSplitter->setStretchFactor(1, 1);
    MainSplitter->setSizes({170, 822 - 170 - 5});
    setCentralWidget(MainSplitter);
    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    statusBar()->setSizeGripEnabled(true);

    resize(822, 544);
    setMinimumHeight(420);

    ApplicationEvents::SetOnActionExecute([this](QObject* a) { ApplicationEvents1ActionExecute(a); });
    ApplicationEvents::SetOnException(
        [this](QObject* sender, const std::exception* e) { ApplicationEvents1Exception(sender, e); });
    // The window sees keys before its controls (Space, Shift+Space, the Ctrl release).
    qApp->installEventFilter(this);

    FormCreate();
}

TForm1::~TForm1()
{
    qApp->removeEventFilter(this);
    FormDestroy();
    ApplicationEvents::SetOnActionExecute(nullptr);
    ApplicationEvents::SetOnException(nullptr);
}

void TForm1::FormCreate()
{
    Player = std::make_unique<TRangePlayer>();
    Player->WPlayer().BeforePlaying = [this](TJvWavePlayer*) { WPlayerBeforePlaying(); };
    Player->WPlayer().AfterPlaying = [this](TJvWavePlayer*) { WPlayerAfterPlaying(); };
    Keys = std::make_unique<TPlaybackKeys>(*this, *Looped1, *PlayWave1, [this] { StopPlaying(); });

    ProgramDir = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    // Hints of the panes, the lists and the plug-ins go to the window's status bar.
    const auto showHint = [this](const QString& text) { statusBar()->showMessage(text); };

    // Both panes hold the converter's output format from the start, so every wave
    // dropped or shown there is already comparable with it.
    WorkingPane = new TWavPaintBox(Document, TPaneId::Working, this, QStringLiteral("Working Wave"), UpperViewArea);
    WorkingPane->setObjectName(QStringLiteral("WorkingPane"));
    WorkingPane->Wave()->SetFormat(Convertor.ACMFormatOut.Head());
    WorkingPane->LevelBar = UpperLevelBar;
    WorkingPane->StatusBar = UpperStatusBar;
    FinalPane = new TWavPaintBox(Document, TPaneId::Final, this, QStringLiteral("Final Wave"), LowerViewArea);
    FinalPane->setObjectName(QStringLiteral("FinalPane"));
    FinalPane->Wave()->SetFormat(Convertor.ACMFormatOut.Head());
    FinalPane->LevelBar = LowerLevelBar;
    FinalPane->StatusBar = LowerStatusBar;
    // The pointer on both panes, their narrow panels and level bars selects and plays
    // through the window's play operation; the hints go to the window's status bar.
    PaneMouse = std::make_unique<TPaneMouse>(
        [this](TTxWavStream& wave, int32_t start, int32_t length, bool looped) {
            Player->PlayRange(wave, start, length, looped);
        },
        showHint,
        [this] { return BtnZeroCross->isChecked(); });
    PaneMouse->Attach(WorkingPane, UpperNarrowPanel, UpperLevelBar);
    PaneMouse->Attach(FinalPane, LowerNarrowPanel, LowerLevelBar);
    CreateScrollBars();
    // The panes' drag start, drag-over and drop are connected by ConnectDragDrop below.

    // The Waves list plays through the window's play operation and shows in the
    // working pane; the file opener fills it.
    WavesList->WorkingPane = WorkingPane;
    WavesList->OnPlay = [this](TTxWavStream& wave) { Player->PlayRange(wave, 0, 0, false); };
    // The Selections list brackets its entries on both panes; its hints go to panel 0.
    SelectList->WorkingPane = WorkingPane;
    SelectList->FinalPane = FinalPane;
    SelectList->ShowStatus = showHint;
    Opener = std::make_unique<TWaveOpener>(Convertor, *WavesList, *this, Folders.OpenInitialDir, Player->WPlayer());
    Saver = std::make_unique<TWaveSaver>(this, *FinalPane, Folders.SaveInitialDir);
    SaveWaveFile->OnExecute = [this](TAction*) { SaveWaveFileExecute(); };
    Mixer = std::make_unique<TMixCommand>(*WorkingPane, *FinalPane);
    BtnMix->setStatusTip(QString::fromLatin1(MixButtonStatusText));
    connect(BtnMix, &QToolButton::clicked, this, [this] { BtnMixClick(); });

    // The plug-in host works with the menu of this window and the document; the panes
    // give their names. Installed, the kit has a folder of its own instead of the
    // program folder.
    TPluginHostParts plugins{this, AboutBox, UsePluginFolder(ProgramDir), PlugInMenu, PluginActions,
                             VersionMiss, BtnQuickPlug, Document,
                             [this](TPaneId pane) {
                                 return (pane == TPaneId::Working ? WorkingPane : FinalPane)->WaveName;
                             },
                             showHint,
                             [this] { StopPlaying(); }};
    Plugins = std::make_unique<TPluginHost>(std::move(plugins));
    Plugins->OnRunFilter = [this](TAction* a) { RunPluginFilter(a); };
    PluginActions->OnExecute = [this](TAction* a) { PluginActionsExecute(a); };
    VersionMiss->OnExecute = [this](TAction*) { VersionMissExecute(); };

    TResourceStream piano(QStringLiteral("RT_RCDATA"), QStringLiteral("piano"));
    Player->LoadSample(piano);

    Folders.Load();

    Edits = std::make_unique<TEditCommands>(*WorkingPane, *FinalPane);
    Undo = std::make_unique<TUndoCommands>(*BtnUndo, *BtnRedo, *ClearUndo, *WorkingPane);
    ConnectEditCommands();
    TEffectCommands::TParts effects;
    effects.Window = this;
    effects.Menu = EffectsMenu;
    effects.ApplyAction = ApplyEffect;
    effects.Working = WorkingPane;
    effects.Play = [this](TTxWavStream& wave) { Player->PlayRange(wave, 0, 0, false); };
    effects.Stop = [this] { StopPlaying(); };
    effects.HelperProgram = ProgramDir + QString::fromLatin1(EffectHelperProtocol::ProgramName);
    effects.CacheFile = TEffectCommands::DefaultCacheFile();
    Effects = std::make_unique<TEffectCommands>(std::move(effects));
    // Last: a drop on the working pane records its undo step through the handlers above.
    ConnectDragDrop();
}

void TForm1::FormClose()
{
    // Stop before the buffer and the file go: the player may still be reading.
    StopPlaying();
    const QString temp = ProgramDir + QString::fromLatin1(TempFileName);
    if (QFile::exists(temp))
        QFile::remove(temp);
}

void TForm1::FormDestroy()
{
    // The play operation stops what plays before its buffer and the sample go.
    Player.reset();
    ClearUndo->Execute();
    Folders.Save();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    FormClose();
    QMainWindow::closeEvent(event);
}

void TForm1::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    FormResize();
}

bool TForm1::event(QEvent* event)
{
    if (event->type() == static_cast<QEvent::Type>(WM_PLUGINSCAN)) {
        PluginScanMessage();
        return true;
    }
    return QMainWindow::event(event);
}

void TForm1::DiscoverEffects()
{
    Effects->Discover();
}

void TForm1::PluginScanMessage()
{
    Plugins->PluginScanMessage(NoDelay);
    UpdatePlugInMenuBinding();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Resize:
        if (watched == WaveArea)
            FormResize();
        break;
    case QEvent::ActionAdded:
    case QEvent::ActionRemoved:
        if (watched == PlugInMenu)
            UpdatePlugInMenuBinding();
        break;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        HandleWindowKey(watched, event);
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}
