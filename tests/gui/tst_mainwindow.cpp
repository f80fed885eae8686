// The main window as built: menus, the action table, tool bars, status bars, the pane
// halves, the window-wide playback keys and the commands the window carries itself.
#include <QActionGroup>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QWidgetAction>
#include <QtTest>

#include "about/Unit2.h"
#include "app/Application.h"
#include "app/RangePlayer.h"
#include "app/SelectionsList.h"
#include "app/WaveOpener.h"
#include "app/WavesList.h"
#include "app/main.h"
#include "platform/actions.h"
#include "support/ModalDriver.h"
#include "support/ScriptedDialogs.h"
#include "support/WindowFixture.h"
#include "view/LevelBar.h"
#include "view/PanelStatusBar.h"
#include "view/wavpaint.h"
#include "wave/Wavs_ex.h"

namespace {

// "-" for a separator, else the item's text.
QStringList MenuTexts(const QMenu* menu)
{
    QStringList texts;
    for (QAction* a : menu->actions())
        texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return texts;
}

// Each tool bar entry: "-", the bound action's object name, or the button's name.
QStringList ToolBarEntries(QToolBar* bar)
{
    QStringList names;
    for (QAction* a : bar->actions()) {
        if (a->isSeparator())
            names << QStringLiteral("-");
        else if (auto* wa = qobject_cast<QWidgetAction*>(a))
            names << wa->defaultWidget()->objectName();
        else if (!a->objectName().isEmpty())
            names << a->objectName();
        else if (QWidget* w = bar->widgetForAction(a))
            names << w->objectName();
    }
    return names;
}

// A working-format wave of n samples: a ramp, so every byte is known.
void FillWave(TTxWavStream& wave, int32_t n)
{
    wave.Clear();
    wave.SetFormat(WorkingFormat());
    std::vector<uint8_t> bytes(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i)
        bytes[static_cast<size_t>(i)] = static_cast<uint8_t>(i % 256);
    wave.SetSize(n);
    std::copy(bytes.begin(), bytes.end(), wave.Memory());
    wave.SetSelStart(0);
    wave.SetSelEnd(n - 1);
}

// Sends a key to where the system would: the focused control, else the window.
void SendKey(TForm1* form, QEvent::Type type, Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QWidget* target = QApplication::focusWidget();
    if (!target || target->window() != form)
        target = form;
    QKeyEvent event(type, key, modifiers, key == Qt::Key_Space ? QStringLiteral(" ") : QString());
    QApplication::sendEvent(target, &event);
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private:
    TWindowFixture Fx;

private slots:
    void init() { QVERIFY(Fx.Open()); }
    void cleanup() { Fx.Close(); }

    void menuStructure()
    {
        QStringList bar;
        for (QAction* a : Fx.Form().menuBar()->actions())
            bar << a->text();
        QCOMPARE(bar, (QStringList{"&File", "&Edit", "&Modify", "&View", "&Plugins", "&Effects", "&Options", "&About!"}));
        QCOMPARE(MenuTexts(Fx.Window().FileMenu()), (QStringList{"Open Wave", "Save Wave", "-", "Exit"}));
        QCOMPARE(MenuTexts(Fx.Window().EditMenu()),
                 (QStringList{"Undo", "Redo", "-", "Select all", "-", "Delete selection", "Trim selection",
                              "-", "Clear Undo Buffer"}));
        QCOMPARE(MenuTexts(Fx.Window().ViewMenu()),
                 (QStringList{"Zoom in", "Zoom out", "Zoom to selection", "Fit whole wave"}));
        QCOMPARE(MenuTexts(Fx.Window().ModifyMenu()),
                 (QStringList{"Normalize", "Normalize to", "Increase amplification",
                              "Reduce amplification", "Speed up selection", "Slow down selection",
                              "Fade in selection", "Fade out selection", "Reverse selection"}));
        QCOMPARE(MenuTexts(Fx.Window().NormalizeToMenu()),
                 (QStringList{"100%", "90%", "80%", "75%", "50%", "Silence"}));
        QVERIFY(!Fx.Window().NormalizeToMenu()->icon().isNull());
        QVERIFY(Fx.Window().PlugInMenu()->isEmpty());
        QCOMPARE(MenuTexts(Fx.Window().OptionsMenu()),
                 (QStringList{"Waveform display precision", "Maximal undo steps"}));
        QCOMPARE(MenuTexts(Fx.Window().PrecisionMenu()),
                 (QStringList{"Use MMX/SSE", "Highest", "Higher", "Medium", "Lower", "Lowest (fast)"}));
        QCOMPARE(MenuTexts(Fx.Window().UndoStepsMenu()), (QStringList{"1", "5", "10", "Disable undo"}));
        QCOMPARE(Fx.Window().PrecisionGroup()->checkedAction()->text(), QStringLiteral("Highest"));
        QCOMPARE(Fx.Window().UndoStepsGroup()->checkedAction()->text(), QStringLiteral("10"));
        QVERIFY(Fx.Window().PrecisionGroup()->isExclusive());
        QVERIFY(Fx.Window().UndoStepsGroup()->isExclusive());

        // Menu items are the actions themselves: one enabled state for all of them.
        QVERIFY(Fx.Window().EditMenu()->actions().contains(Fx.Window().BtnUndo()));
        QVERIFY(!Fx.Window().EditMenu()->actions().at(0)->isEnabled());
        QWidget* saveButton = Fx.Window().LowerToolBar()->widgetForAction(Fx.Window().SaveWaveFile());
        QVERIFY(saveButton && saveButton->isEnabled());
        Fx.Window().SaveWaveFile()->setEnabled(false);
        QVERIFY(!saveButton->isEnabled());
        Fx.Window().SaveWaveFile()->setEnabled(true);
    }

    void actionTable_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("hint");
        QTest::addColumn<QString>("category");
        QTest::addColumn<QKeySequence>("shortcut");
        QTest::addColumn<int>("icon");
        QTest::addColumn<bool>("enabled");
        const QString l1 = "ActionList1", mod = "ModWave";
        const QKeySequence none;
        QTest::newRow("Normal") << l1 << "Normalize" << "Normalize selection" << mod << none << 3 << true;
        QTest::newRow("IncAmp") << l1 << "Increase amplification" << "Increase amplification" << mod << none << 6 << true;
        QTest::newRow("DecAmp") << l1 << "Reduce amplification" << "Reduce amplification" << mod << none << 7 << true;
        QTest::newRow("FadeIn") << l1 << "Fade in selection" << "Fade in selection" << mod << none << 9 << true;
        QTest::newRow("FadeOut") << l1 << "Fade out selection" << "Fade out selection" << mod << none << 8 << true;
        QTest::newRow("Reverse") << l1 << "Reverse selection" << "Reverse selection" << mod << none << 13 << true;
        QTest::newRow("DelSelect") << l1 << "Delete selection" << "Delete selection" << mod
                                   << QKeySequence(Qt::SHIFT | Qt::Key_Delete) << 11 << true;
        QTest::newRow("TrimSel") << l1 << "Trim selection" << "Trim selection" << mod
                                 << QKeySequence(Qt::CTRL | Qt::Key_Delete) << 10 << true;
        QTest::newRow("SpeedUp") << l1 << "Speed up selection" << "Speed up selection" << mod << none << 26 << true;
        QTest::newRow("SlowDown") << l1 << "Slow down selection" << "Slow down selection" << mod << none << 27 << true;
        QTest::newRow("Norm100") << l1 << "100%" << "Normalize 100%" << mod << none << -1 << true;
        QTest::newRow("Norm90") << l1 << "90%" << "Normalize 90%" << mod << none << -1 << true;
        QTest::newRow("Norm80") << l1 << "80%" << "Normalize 80%" << mod << none << -1 << true;
        QTest::newRow("Norm75") << l1 << "75%" << "Normalize 75%" << mod << none << -1 << true;
        QTest::newRow("Norm50") << l1 << "50%" << "Normalize 50%" << mod << none << -1 << true;
        QTest::newRow("Norm0") << l1 << "Silence" << "Silence out" << mod << none << -1 << true;
        QTest::newRow("BtnUndo") << l1 << "Undo" << "" << "" << QKeySequence(Qt::CTRL | Qt::Key_Z) << 14 << false;
        QTest::newRow("BtnRedo") << l1 << "Redo" << "Redo" << "" << QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z) << -1 << false;
        QTest::newRow("ClearUndo") << l1 << "Clear Undo Buffer" << "Clear undo buffer" << "" << none << -1 << false;
        QTest::newRow("OpenWaveFile") << l1 << "Open Wave" << "Open file" << ""
                                      << QKeySequence(Qt::CTRL | Qt::Key_O) << 0 << true;
        QTest::newRow("SaveWaveFile") << l1 << "Save Wave" << "Save final wave" << ""
                                      << QKeySequence(Qt::CTRL | Qt::Key_S) << 12 << true;
        QTest::newRow("ExitProg") << l1 << "Exit" << "Exit" << "" << none << 28 << true;
        QTest::newRow("SelAll1") << l1 << "Select all" << "" << "" << QKeySequence(Qt::CTRL | Qt::Key_A) << 25 << true;
        QTest::newRow("StopSound") << l1 << "Stop Sound" << "Stop Sound" << ""
                                   << QKeySequence(Qt::Key_Escape) << 15 << true;
        QTest::newRow("PlayWave1") << l1 << "Play Wave 1" << "Play Wave 1" << "" << none << 1 << true;
        QTest::newRow("DragDropAction") << l1 << "Drag and Drop" << "" << mod << none << -1 << true;
        QTest::newRow("ApplyEffect") << l1 << "Apply effect" << "" << mod << none << -1 << true;
        QTest::newRow("TrimSel2") << "ActionList2" << "Trim selection" << "Trim selection" << mod
                                  << none << 10 << true;
        QTest::newRow("VersionMiss") << "PluginActions" << "Version missmatch" << "" << "" << none << -1 << true;
        const QString view = "ViewActions";
        QTest::newRow("ZoomIn1") << view << "Zoom in" << "Zoom in" << "" << QKeySequence(Qt::CTRL | Qt::Key_Plus) << 30 << true;
        QTest::newRow("ZoomOut1") << view << "Zoom out" << "Zoom out" << "" << QKeySequence(Qt::CTRL | Qt::Key_Minus) << 31 << true;
        QTest::newRow("ZoomSel1") << view << "Zoom to selection" << "Zoom to selection" << ""
                                  << QKeySequence(Qt::CTRL | Qt::Key_E) << 32 << true;
        QTest::newRow("ZoomFit1") << view << "Fit whole wave" << "Fit whole wave" << ""
                                  << QKeySequence(Qt::CTRL | Qt::Key_0) << 33 << true;
    }

    void actionTable()
    {
        QFETCH(QString, list);
        QFETCH(QString, caption);
        QFETCH(QString, hint);
        QFETCH(QString, category);
        QFETCH(QKeySequence, shortcut);
        QFETCH(int, icon);
        QFETCH(bool, enabled);
        auto* actionList = Fx.Form().findChild<TActionList*>(list);
        QVERIFY(actionList);
        TAction* a = actionList->FindAction(QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY2(a, QTest::currentDataTag());
        QCOMPARE(a->Caption(), caption);
        QCOMPARE(a->Hint(), hint);
        QCOMPARE(a->statusTip(), hint);
        QCOMPARE(a->Category(), category);
        QCOMPARE(a->shortcut(), shortcut);
        QCOMPARE(a->ImageIndex(), icon);
        QCOMPARE(a->icon().isNull(), icon < 0);
        if (icon >= 0)
            QVERIFY2(!a->icon().pixmap(16, 16).isNull(), "the icon's picture is embedded");
        QCOMPARE(a->isEnabled(), enabled);
    }

    void everyActionIsListed()
    {
        // 27 in the main group, the final pane's TrimSel2 and DelSel2 apart, VersionMiss
        // with the plug-ins, the four zoom commands in the View menu's own group.
        QCOMPARE(Fx.Window().ActionList1()->Actions().size(), 27);
        QCOMPARE(Fx.Window().ActionList2()->Actions().size(), 2);
        QCOMPARE(Fx.Window().PluginActions()->Actions().size(), 1);
        QCOMPARE(Fx.Window().ViewActions()->Actions().size(), 4);
    }

    void toolBars()
    {
        QCOMPARE(ToolBarEntries(Fx.Window().UpperToolBar()),
                 (QStringList{"BtnPlay1", "-", "BtnAddWave1", "BtnDragSel1", "-", "SelAll1",
                              "DelSelect", "TrimSel", "-", "BtnNormalize", "IncAmp", "DecAmp",
                              "SpeedUp", "SlowDown", "-", "FadeIn", "FadeOut", "Reverse", "-",
                              "BtnUndo", "-", "StopSound", "-", "BtnZeroCross", "-", "BtnQuickPlug", "-",
                              "BtnZoomIn1", "BtnZoomOut1", "BtnZoomSel1", "BtnZoomFit1"}));
        QCOMPARE(ToolBarEntries(Fx.Window().LowerToolBar()),
                 (QStringList{"BtnPlay2", "-", "BtnAddWave2", "BtnDragSel2", "-", "BtnSelAll2",
                              "BtnDelSel2", "TrimSel2", "-", "BtnMix", "-", "SaveWaveFile", "-",
                              "BtnZoomIn2", "BtnZoomOut2", "BtnZoomSel2", "BtnZoomFit2"}));
        QCOMPARE(ToolBarEntries(Fx.Window().ListToolBar()), (QStringList{"OpenWaveFile", "-", "WavesLabel"}));
        QCOMPARE(Fx.Window().WavesLabel()->text(), QStringLiteral("Waves"));
        QVERIFY(Fx.Window().WavesLabel()->font().bold());

        // The drop-down buttons and their menus.
        for (QToolButton* b : {Fx.Window().BtnPlay1(), Fx.Window().BtnPlay2(), Fx.Window().BtnNormalize(), Fx.Window().BtnQuickPlug()})
            QCOMPARE(b->popupMode(), QToolButton::MenuButtonPopup);
        QCOMPARE(Fx.Window().BtnPlay1()->text(), QStringLiteral("Play"));
        // Captions show beside the icons: a grey Play icon alone reads as disabled.
        for (QToolButton* b : {Fx.Window().BtnPlay1(), Fx.Window().BtnPlay2(), Fx.Window().BtnNormalize()})
            QCOMPARE(b->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
        QCOMPARE(Fx.Window().BtnNormalize()->text(), QStringLiteral("Normalize"));
        QCOMPARE(MenuTexts(Fx.Window().BtnPlay1()->menu()), QStringList{"Looped"});
        QCOMPARE(MenuTexts(Fx.Window().BtnPlay2()->menu()), QStringList{"Looped"});
        QVERIFY(Fx.Window().Looped1() != Fx.Window().Looped2());
        QVERIFY(Fx.Window().Looped1()->isCheckable() && !Fx.Window().Looped1()->isChecked());
        QVERIFY(Fx.Window().Looped2()->isCheckable() && !Fx.Window().Looped2()->isChecked());
        QCOMPARE(Fx.Window().BtnNormalize()->defaultAction(), Fx.Window().Normal());
        QCOMPARE(MenuTexts(Fx.Window().BtnNormalize()->menu()),
                 (QStringList{"100%", "90%", "80%", "75%", "50%", "Silence"}));
        QCOMPARE(Fx.Window().BtnQuickPlug()->text(), QStringLiteral("&Plugins"));
        // Alt+P belongs to the menu bar's Plugins menu, not to the quick button.
        QVERIFY(Fx.Window().BtnQuickPlug()->shortcut().isEmpty());
        QCOMPARE(Fx.Window().BtnQuickPlug()->menu(), Fx.Window().PlugInMenu());

        QVERIFY(Fx.Window().BtnZeroCross()->isCheckable());
        QVERIFY(Fx.Window().BtnZeroCross()->isChecked());
        QCOMPARE(Fx.Window().BtnZeroCross()->toolTip(), QStringLiteral("Automatic adjust zero cross"));
        QCOMPARE(Fx.Window().BtnAddWave1()->toolTip(), QStringLiteral("Add whole wave to list"));
        QCOMPARE(Fx.Window().BtnDragSel2()->toolTip(), QStringLiteral("Drag&Drop selection"));
        QCOMPARE(Fx.Window().BtnSelAll2()->toolTip(), QStringLiteral("Select all"));
        QCOMPARE(Fx.Window().BtnDelSel2()->toolTip(), QStringLiteral("Delete selection"));
        QCOMPARE(Fx.Window().BtnMix()->toolTip(), QStringLiteral("Mix working wave to final wave"));
        QVERIFY(Fx.Window().UpperToolBar()->minimumWidth() >= 520);
        for (QToolBar* bar : {Fx.Window().UpperToolBar(), Fx.Window().LowerToolBar()}) {
            QCOMPARE(bar->height(), 29);
            QCOMPARE(bar->palette().color(QPalette::Window), QColor(207, 206, 188));
            QVERIFY(!bar->isMovable());
        }
    }

    void panelsAndBars()
    {
        QCOMPARE(Fx.Form().size(), QSize(822, 544));
        QCOMPARE(Fx.Form().minimumHeight(), 420);
        QCOMPARE(Fx.Form().windowTitle(), QStringLiteral("Sonovane"));
        QCOMPARE(Fx.Window().LeftPanel()->width(), 170);
        QCOMPARE(Fx.Window().LeftPanel()->minimumWidth(), 130);
        QCOMPARE(Fx.Window().MainSplitter()->handleWidth(), 5);

        QStringList waveColumns, selColumns;
        for (int c = 0; c < Fx.Window().WavesList()->columnCount(); ++c)
            waveColumns << Fx.Window().WavesList()->headerItem()->text(c);
        for (int c = 0; c < Fx.Window().SelectList()->columnCount(); ++c)
            selColumns << Fx.Window().SelectList()->headerItem()->text(c);
        QCOMPARE(waveColumns, (QStringList{"Name", "Length"}));
        QCOMPARE(selColumns, (QStringList{"From", "To", "Length"}));
        QCOMPARE(Fx.Window().SelectList()->height(), 136);
        QCOMPARE(Fx.Window().SelectList()->editTriggers(), QAbstractItemView::NoEditTriggers);

        QCOMPARE(Fx.Window().TrashCan()->text(), QStringLiteral("Trash can"));
        QCOMPARE(Fx.Window().TrashCan()->height(), 21);
        QCOMPARE(Fx.Window().TrashCan()->toolTip(), QStringLiteral("Drop to delete selected"));
        QCOMPARE(Fx.Window().TrashCan()->palette().color(QPalette::Window),
                 Fx.Form().palette().color(QPalette::ToolTipBase));

        for (TPanelStatusBar* bar : {Fx.Window().UpperStatusBar(), Fx.Window().LowerStatusBar()}) {
            QCOMPARE(bar->PanelCount(), 4);
            QCOMPARE((QList<int>{bar->PanelWidth(0), bar->PanelWidth(1), bar->PanelWidth(2),
                                 bar->PanelWidth(3)}),
                     (QList<int>{75, 150, 200, 50}));
            QCOMPARE(bar->palette().color(QPalette::Window), QColor(201, 182, 203));
        }
        for (QProgressBar* level : {Fx.Window().UpperLevelBar(), Fx.Window().LowerLevelBar()}) {
            QCOMPARE(level->orientation(), Qt::Vertical);
            QCOMPARE(level->minimum(), 0);
            QCOMPARE(level->maximum(), 100);
            QCOMPARE(level->width(), 10);
        }
        // Empty means empty: at 0 not one row of the bar is filled, at 100 every row.
        TLevelBar* level = Fx.Window().UpperLevelBar();
        const QColor fill = level->palette().color(QPalette::Highlight);
        for (int value : {0, 1, 50, 100}) {
            level->setValue(value);
            const QImage shot = level->grab().toImage();
            int filled = 0;
            for (int y = 0; y < shot.height(); ++y)
                filled += QColor(shot.pixel(shot.width() / 2, y)) == fill ? 1 : 0;
            QCOMPARE(filled, level->height() * value / 100);
        }
        QCOMPARE(Fx.Window().UpperNarrowPanel()->width(), 9);
        QCOMPARE(Fx.Window().LowerNarrowPanel()->width(), 9);
        QCOMPARE(Fx.Window().UpperViewArea()->palette().color(QPalette::Window), QColor(0, 0, 128));
        // The pane fills its view area and is linked to its half's bars.
        QCOMPARE(Fx.Window().WorkingPane()->parentWidget(), Fx.Window().UpperViewArea());
        QCOMPARE(Fx.Window().FinalPane()->parentWidget(), Fx.Window().LowerViewArea());
        QCOMPARE(Fx.Window().WorkingPane()->size(), Fx.Window().UpperViewArea()->size());
        QCOMPARE(Fx.Window().WorkingPane()->StatusBar, Fx.Window().UpperStatusBar());
        QCOMPARE(Fx.Window().FinalPane()->LevelBar, Fx.Window().LowerLevelBar());
        QCOMPARE(Fx.Window().WorkingPane()->WaveName, QStringLiteral("Working Wave"));
        QCOMPARE(Fx.Window().FinalPane()->WaveName, QStringLiteral("Final Wave"));
        QVERIFY(Fx.Form().statusBar()->isVisible());
    }

    void halvesSplitRoundingDown()
    {
        // Grow the window until the wave area is 479 high: 239 above, 240 below.
        for (int wanted : {479, 480, 381}) {
            const int delta = wanted - Fx.Window().WaveArea()->height();
            Fx.Form().resize(Fx.Form().width(), Fx.Form().height() + delta);
            QTRY_COMPARE(Fx.Window().WaveArea()->height(), wanted);
            QCOMPARE(Fx.Window().UpperHalf()->geometry(), QRect(0, 0, Fx.Window().WaveArea()->width(), wanted / 2));
            QCOMPARE(Fx.Window().LowerHalf()->geometry(),
                     QRect(0, wanted / 2, Fx.Window().WaveArea()->width(), wanted - wanted / 2));
        }
        // Moving the splitter changes only the width; the halves follow it.
        Fx.Window().MainSplitter()->setSizes({200, Fx.Window().MainSplitter()->width() - 205});
        QTRY_COMPARE(Fx.Window().UpperHalf()->width(), Fx.Window().WaveArea()->width());
        QCOMPARE(Fx.Window().LowerHalf()->width(), Fx.Window().WaveArea()->width());
    }

    void precisionMenuSetsBothPanes()
    {
        const QList<QAction*> items = Fx.Window().PrecisionMenu()->actions();
        const int expected[] = {-1, 0, 1, 2, 3, 4};
        for (int i = items.size() - 1; i >= 0; --i) {
            items[i]->trigger();
            QCOMPARE(Fx.Window().WorkingPane()->Precision, expected[i]);
            QCOMPARE(Fx.Window().FinalPane()->Precision, expected[i]);
            QCOMPARE(Fx.Window().PrecisionGroup()->checkedAction(), items[i]);
        }
        // Not an action of the window: the last-action text stays as it was.
        QCOMPARE(Fx.Window().LastActionText(), QString());
    }

    void selectAllForBothPanes()
    {
        FillWave(*Fx.Window().WorkingPane()->Wave(), 1000);
        FillWave(*Fx.Window().FinalPane()->Wave(), 500);
        Fx.Window().WorkingPane()->SetSelection(10, 20);
        Fx.Window().FinalPane()->SetSelection(30, 40);
        Fx.Window().SelAll1()->trigger();
        QCOMPARE(Fx.Window().WorkingPane()->SelStart(), 0);
        QCOMPARE(Fx.Window().WorkingPane()->SelEnd(), 999);
        QCOMPARE(Fx.Window().FinalPane()->SelEnd(), 40);
        QCOMPARE(Fx.Window().LastActionText(), QStringLiteral("Select all"));
        QTest::mouseClick(Fx.Window().BtnSelAll2(), Qt::LeftButton);
        QCOMPARE(Fx.Window().FinalPane()->SelStart(), 0);
        QCOMPARE(Fx.Window().FinalPane()->SelEnd(), 499);
    }

    void spaceShiftSpaceEscAndCtrl()
    {
        FillWave(*Fx.Window().WorkingPane()->Wave(), 22050);
        Fx.Window().WorkingPane()->SetSelection(100, 11124);  // 11025 samples
        TRangePlayer& player = *Fx.Window().Player();

        Fx.Window().Looped1()->setChecked(true);
        SendKey(&Fx.Form(), QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier);
        QVERIFY(!Fx.Window().Looped1()->isChecked());
        QCOMPARE(Fx.Window().LastActionText(), QStringLiteral("Play Wave 1"));
        QCOMPARE(player.PlayBuffer().Size(), 11025 + 44);
        QVERIFY(!player.WPlayer().Loop());
        QCOMPARE(player.WPlayer().SourceType, frRAM);

        SendKey(&Fx.Form(), QEvent::KeyPress, Qt::Key_Space, Qt::ShiftModifier);
        QVERIFY(Fx.Window().Looped1()->isChecked());
        QVERIFY(player.WPlayer().Loop());
        QCOMPARE(player.PlayBuffer().Size(), 11025 + 44);

        // Esc is Stop Sound's shortcut.
        QTest::keyClick(&Fx.Form(), Qt::Key_Escape);
        QCOMPARE(player.PlayBuffer().Size(), 0);
        QCOMPARE(Fx.Window().LastActionText(), QStringLiteral("Stop Sound"));

        // Ctrl+Space plays once; releasing Ctrl stops.
        SendKey(&Fx.Form(), QEvent::KeyPress, Qt::Key_Space, Qt::ControlModifier);
        QVERIFY(!Fx.Window().Looped1()->isChecked());
        QCOMPARE(player.PlayBuffer().Size(), 11025 + 44);
        SendKey(&Fx.Form(), QEvent::KeyRelease, Qt::Key_Control, Qt::NoModifier);
        QCOMPARE(player.PlayBuffer().Size(), 0);

        // Space with the focus in a list: the window plays once, and the list still gets it.
        struct TSpaceCounter : QObject {
            int Count = 0;
            bool eventFilter(QObject*, QEvent* e) override
            {
                if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Space)
                    ++Count;
                return false;
            }
        } listSaw;
        QApplication::setActiveWindow(&Fx.Form());
        Fx.Window().WavesList()->setFocus();
        QCOMPARE(QApplication::focusWidget(), Fx.Window().WavesList());
        Fx.Window().WavesList()->installEventFilter(&listSaw);
        int plays = 0;
        auto after = player.WPlayer().AfterPlaying;
        player.WPlayer().AfterPlaying = [&](TJvWavePlayer* p) { ++plays; after(p); };
        SendKey(&Fx.Form(), QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier);
        QCOMPARE(player.PlayBuffer().Size(), 11025 + 44);
        QCOMPARE(plays, 1);
        QCOMPARE(listSaw.Count, 1);
        Fx.Window().WavesList()->removeEventFilter(&listSaw);
        QVERIFY(Fx.Dialogs().Messages.isEmpty());
    }

    void playButtonsAndHighlight()
    {
        FillWave(*Fx.Window().WorkingPane()->Wave(), 3000);
        FillWave(*Fx.Window().FinalPane()->Wave(), 2000);
        Fx.Window().FinalPane()->SetSelection(500, 999);
        TRangePlayer& player = *Fx.Window().Player();

        // The upper button is marked exactly while the player's call runs.
        QList<bool> markedDuringCall;
        auto after = player.WPlayer().AfterPlaying;
        player.WPlayer().AfterPlaying = [&](TJvWavePlayer* p) {
            markedDuringCall << (Fx.Form().PlayButtonMarked() && Fx.Window().BtnPlay1()->isDown());
            after(p);
        };
        Fx.Window().LastActionText() = QStringLiteral("before");
        QTest::mouseClick(Fx.Window().BtnPlay1(), Qt::LeftButton);
        QCOMPARE(markedDuringCall, QList<bool>{true});
        QVERIFY(!Fx.Form().PlayButtonMarked());
        QVERIFY(!Fx.Window().BtnPlay1()->isDown());
        QCOMPARE(player.PlayBuffer().Size(), 3000 + 44);
        // The button is not an action: the last-action text is left alone.
        QCOMPARE(Fx.Window().LastActionText(), QStringLiteral("before"));

        Fx.Window().Looped2()->trigger();
        QVERIFY(Fx.Window().Looped2()->isChecked());
        QVERIFY(!Fx.Window().Looped1()->isChecked());
        QTest::mouseClick(Fx.Window().BtnPlay2(), Qt::LeftButton);
        QCOMPARE(player.PlayBuffer().Size(), 500 + 44);
        QVERIFY(player.WPlayer().Loop());
        QCOMPARE(player.PlayBuffer().Memory()[44], uint8_t(500 % 256));

        // An empty pane plays nothing and the sound goes on.
        Fx.Window().WorkingPane()->Wave()->Clear();
        Fx.Window().PlayWave1()->trigger();
        QCOMPARE(player.PlayBuffer().Size(), 500 + 44);
        QVERIFY(Fx.Dialogs().Messages.isEmpty());
    }

    void aboutPlaysTheSampleThenShowsTheBox()
    {
        const int32_t sampleSize = Fx.Window().Sample()->Size();
        QVERIFY(sampleSize > 0);
        bool shownWhilePlaying = false;
        OnNextModal([&](QWidget* w) {
            shownWhilePlaying = w == &Fx.About() && Fx.Window().Player()->PlayBuffer().Size() == sampleSize + 44;
            Fx.About().Panel1Click();
        });
        Fx.Window().About1()->trigger();
        QVERIFY(shownWhilePlaying);
        QVERIFY(!Fx.About().isVisible());
        // The sample keeps playing after the box is closed.
        QCOMPARE(Fx.Window().Player()->PlayBuffer().Size(), sampleSize + 44);
        QVERIFY(!Fx.Window().Player()->WPlayer().Loop());
    }

    void emptyPluginsMenuSaysSo()
    {
        QVERIFY(Fx.Window().PlugInMenu()->isEmpty());
        Fx.Window().PlugInMenuItem()->trigger();
        QCOMPARE(Fx.Dialogs().Messages, QStringList{"No plugins installed!"});
        // Once the menu has an entry the bar item opens it instead.
        Fx.Window().PlugInMenu()->addAction(QStringLiteral("Echo"));
        QCOMPARE(Fx.Window().PlugInMenuItem()->menu(), Fx.Window().PlugInMenu());
        Fx.Window().PlugInMenuItem()->trigger();
        QCOMPARE(Fx.Dialogs().Messages.size(), 1);
    }

    void openWaveFiles()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        TTxWavStream wave;
        FillWave(wave, 22050);
        const QString a = dir.filePath("door.open.wav");
        const QString b = dir.filePath("bell.WAV");
        const QString text = dir.filePath("notes.txt");
        wave.SaveToFile(a.toStdString());
        wave.SaveToFile(b.toStdString());
        QFile(text).open(QIODevice::WriteOnly);

        Fx.Window().Folders().OpenInitialDir = QStringLiteral("/start/here");
        int previews = 0;
        QStringList previewed;
        auto before = Fx.Window().Player()->WPlayer().BeforePlaying;
        Fx.Window().Player()->WPlayer().BeforePlaying = [&](TJvWavePlayer* p) {
            ++previews;
            previewed << QString::fromStdString(p->FileName);
            before(p);
        };
        Fx.Dialogs().OpenBrowsing = {{a, a, text, dir.filePath("missing.wav"), b, a}};
        Fx.Dialogs().OpenAnswers = {{a, b}};
        Fx.Window().OpenWaveFile()->trigger();

        QCOMPARE(Fx.Dialogs().OpenRequests.size(), 1);
        const TFileDialogOptions& o = Fx.Dialogs().OpenRequests.first();
        QCOMPARE(o.Title, QStringLiteral("Open WAV"));
        QVERIFY2(o.Filter.startsWith(QStringLiteral("WAV Files (*.wav)|*.wav|Sound files (*.")), qPrintable(o.Filter));
        QCOMPARE(o.InitialDir, QStringLiteral("/start/here"));
        QVERIFY(o.MultiSelect);
        // Pointing at the same file again does not restart it; back after another does.
        QCOMPARE(previewed, (QStringList{a, b, a}));
        QCOMPARE(Fx.Window().Player()->WPlayer().SourceType, frFile);
        QVERIFY(Fx.Window().Opener()->PreviewName().isEmpty());
        QCOMPARE(Fx.Window().Folders().OpenInitialDir, QFileInfo(a).absolutePath());
        QCOMPARE(Fx.Window().WavesList()->topLevelItemCount(), 2);
        QCOMPARE(Fx.Window().WavesList()->topLevelItem(0)->text(0), QStringLiteral("door.open"));
        QCOMPARE(Fx.Window().WavesList()->topLevelItem(1)->text(0), QStringLiteral("bell"));
        QCOMPARE(Fx.Window().LastActionText(), QStringLiteral("Open Wave"));

        // Cancelled: nothing added, the folder kept, and the same file previews again.
        Fx.Dialogs().OpenBrowsing = {{a}};
        Fx.Window().OpenWaveFile()->trigger();
        QCOMPARE(previewed.size(), 4);
        QVERIFY(Fx.Window().Opener()->PreviewName().isEmpty());
        QCOMPARE(Fx.Window().WavesList()->topLevelItemCount(), 2);
        QCOMPARE(Fx.Window().Folders().OpenInitialDir, QFileInfo(a).absolutePath());
        QCOMPARE(previews, 4);
    }

    void exitClosesAndRemovesTheTemporaryFile()
    {
        FillWave(*Fx.Window().WorkingPane()->Wave(), 5000);
        Fx.Window().Looped1()->setChecked(true);
        Fx.Window().PlayWave1()->trigger();
        QVERIFY(Fx.Window().Player()->PlayBuffer().Size() > 0);
        const QString temp = Fx.Window().ProgramDir() + QStringLiteral("txtnt.~wav");
        {
            QFile f(temp);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        Fx.Window().ExitProg()->trigger();
        QVERIFY(!Fx.Form().isVisible());
        QVERIFY(!QFile::exists(temp));
        QCOMPARE(Fx.Window().Player()->PlayBuffer().Size(), 0);
        QCOMPARE(Fx.Window().LastActionText(), QStringLiteral("Exit"));
    }
};

int main(int argc, char** argv)
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    TApplication app(argc, argv);
    TestMainWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainwindow.moc"
