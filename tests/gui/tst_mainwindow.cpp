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
        QCOMPARE(bar, (QStringList{"&File", "&Edit", "&Modify", "&Plugins", "&Options", "&About!"}));
        QCOMPARE(MenuTexts(Fx.Form().FileMenu), (QStringList{"Open Wave", "Save Wave", "-", "Exit"}));
        QCOMPARE(MenuTexts(Fx.Form().EditMenu),
                 (QStringList{"Undo", "-", "Select all", "-", "Delete selection", "Trim selection",
                              "-", "Clear Undo Buffer"}));
        QCOMPARE(MenuTexts(Fx.Form().ModifyMenu),
                 (QStringList{"Normalize", "Normalize to", "Increase amplification",
                              "Reduce amplification", "Speed up selection", "Slow down selection",
                              "Fade in selection", "Fade out selection", "Reverse selection"}));
        QCOMPARE(MenuTexts(Fx.Form().NormalizeToMenu),
                 (QStringList{"100%", "90%", "80%", "75%", "50%", "Silence"}));
        QVERIFY(!Fx.Form().NormalizeToMenu->icon().isNull());
        QVERIFY(Fx.Form().PlugInMenu->isEmpty());
        QCOMPARE(MenuTexts(Fx.Form().OptionsMenu),
                 (QStringList{"Waveform display precision", "Maximal undo steps"}));
        QCOMPARE(MenuTexts(Fx.Form().PrecisionMenu),
                 (QStringList{"Use MMX/SSE", "Highest", "Higher", "Medium", "Lower", "Lowest (fast)"}));
        QCOMPARE(MenuTexts(Fx.Form().UndoStepsMenu), (QStringList{"1", "5", "10", "Disable undo"}));
        QCOMPARE(Fx.Form().PrecisionGroup->checkedAction()->text(), QStringLiteral("Highest"));
        QCOMPARE(Fx.Form().UndoStepsGroup->checkedAction()->text(), QStringLiteral("10"));
        QVERIFY(Fx.Form().PrecisionGroup->isExclusive());
        QVERIFY(Fx.Form().UndoStepsGroup->isExclusive());

        // Menu items are the actions themselves: one enabled state for all of them.
        QVERIFY(Fx.Form().EditMenu->actions().contains(Fx.Form().BtnUndo));
        QVERIFY(!Fx.Form().EditMenu->actions().at(0)->isEnabled());
        QWidget* saveButton = Fx.Form().LowerToolBar->widgetForAction(Fx.Form().SaveWaveFile);
        QVERIFY(saveButton && saveButton->isEnabled());
        Fx.Form().SaveWaveFile->setEnabled(false);
        QVERIFY(!saveButton->isEnabled());
        Fx.Form().SaveWaveFile->setEnabled(true);
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
        QTest::newRow("BtnUndo") << l1 << "Undo" << "" << "" << none << 14 << false;
        QTest::newRow("ClearUndo") << l1 << "Clear Undo Buffer" << "Clear undo buffer" << "" << none << -1 << false;
        QTest::newRow("OpenWaveFile") << l1 << "Open Wave" << "Open file" << ""
                                      << QKeySequence(Qt::CTRL | Qt::Key_O) << 0 << true;
        QTest::newRow("SaveWaveFile") << l1 << "Save Wave" << "Save final wave" << ""
                                      << QKeySequence(Qt::CTRL | Qt::Key_S) << 12 << true;
        QTest::newRow("ExitProg") << l1 << "Exit" << "Exit" << "" << none << 28 << true;
        QTest::newRow("SelAll1") << l1 << "Select all" << "" << "" << none << 25 << true;
        QTest::newRow("StopSound") << l1 << "Stop Sound" << "Stop Sound" << ""
                                   << QKeySequence(Qt::Key_Escape) << 15 << true;
        QTest::newRow("PlayWave1") << l1 << "Play Wave 1" << "Play Wave 1" << "" << none << 1 << true;
        QTest::newRow("DragDropAction") << l1 << "Drag and Drop" << "" << mod << none << -1 << true;
        QTest::newRow("TrimSel2") << "ActionList2" << "Trim selection" << "Trim selection" << mod
                                  << none << 10 << true;
        QTest::newRow("VersionMiss") << "PluginActions" << "Version missmatch" << "" << "" << none << -1 << true;
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
        // 25 in the main group, the final pane's TrimSel2 and DelSel2 apart, VersionMiss
        // with the plug-ins.
        QCOMPARE(Fx.Form().ActionList1->Actions().size(), 25);
        QCOMPARE(Fx.Form().ActionList2->Actions().size(), 2);
        QCOMPARE(Fx.Form().PluginActions->Actions().size(), 1);
    }

    void toolBars()
    {
        QCOMPARE(ToolBarEntries(Fx.Form().UpperToolBar),
                 (QStringList{"BtnPlay1", "-", "BtnAddWave1", "BtnDragSel1", "-", "SelAll1",
                              "DelSelect", "TrimSel", "-", "BtnNormalize", "IncAmp", "DecAmp",
                              "SpeedUp", "SlowDown", "-", "FadeIn", "FadeOut", "Reverse", "-",
                              "BtnUndo", "-", "StopSound", "-", "BtnZeroCross", "-", "BtnQuickPlug"}));
        QCOMPARE(ToolBarEntries(Fx.Form().LowerToolBar),
                 (QStringList{"BtnPlay2", "-", "BtnAddWave2", "BtnDragSel2", "-", "BtnSelAll2",
                              "BtnDelSel2", "TrimSel2", "-", "BtnMix", "-", "SaveWaveFile"}));
        QCOMPARE(ToolBarEntries(Fx.Form().ListToolBar), (QStringList{"OpenWaveFile", "-", "WavesLabel"}));
        QCOMPARE(Fx.Form().WavesLabel->text(), QStringLiteral("Waves"));
        QVERIFY(Fx.Form().WavesLabel->font().bold());

        // The drop-down buttons and their menus.
        for (QToolButton* b : {Fx.Form().BtnPlay1, Fx.Form().BtnPlay2, Fx.Form().BtnNormalize, Fx.Form().BtnQuickPlug})
            QCOMPARE(b->popupMode(), QToolButton::MenuButtonPopup);
        QCOMPARE(Fx.Form().BtnPlay1->text(), QStringLiteral("Play"));
        // Captions show beside the icons: a grey Play icon alone reads as disabled.
        for (QToolButton* b : {Fx.Form().BtnPlay1, Fx.Form().BtnPlay2, Fx.Form().BtnNormalize})
            QCOMPARE(b->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
        QCOMPARE(Fx.Form().BtnNormalize->text(), QStringLiteral("Normalize"));
        QCOMPARE(MenuTexts(Fx.Form().BtnPlay1->menu()), QStringList{"Looped"});
        QCOMPARE(MenuTexts(Fx.Form().BtnPlay2->menu()), QStringList{"Looped"});
        QVERIFY(Fx.Form().Looped1 != Fx.Form().Looped2);
        QVERIFY(Fx.Form().Looped1->isCheckable() && !Fx.Form().Looped1->isChecked());
        QVERIFY(Fx.Form().Looped2->isCheckable() && !Fx.Form().Looped2->isChecked());
        QCOMPARE(Fx.Form().BtnNormalize->defaultAction(), Fx.Form().Normal);
        QCOMPARE(MenuTexts(Fx.Form().BtnNormalize->menu()),
                 (QStringList{"100%", "90%", "80%", "75%", "50%", "Silence"}));
        QCOMPARE(Fx.Form().BtnQuickPlug->text(), QStringLiteral("&Plugins"));
        // Alt+P belongs to the menu bar's Plugins menu, not to the quick button.
        QVERIFY(Fx.Form().BtnQuickPlug->shortcut().isEmpty());
        QCOMPARE(Fx.Form().BtnQuickPlug->menu(), Fx.Form().PlugInMenu);

        QVERIFY(Fx.Form().BtnZeroCross->isCheckable());
        QVERIFY(Fx.Form().BtnZeroCross->isChecked());
        QCOMPARE(Fx.Form().BtnZeroCross->toolTip(), QStringLiteral("Automatic adjust zero cross"));
        QCOMPARE(Fx.Form().BtnAddWave1->toolTip(), QStringLiteral("Add whole wave to list"));
        QCOMPARE(Fx.Form().BtnDragSel2->toolTip(), QStringLiteral("Drag&Drop selection"));
        QCOMPARE(Fx.Form().BtnSelAll2->toolTip(), QStringLiteral("Select all"));
        QCOMPARE(Fx.Form().BtnDelSel2->toolTip(), QStringLiteral("Delete selection"));
        QCOMPARE(Fx.Form().BtnMix->toolTip(), QStringLiteral("Mix working wave to final wave"));
        QVERIFY(Fx.Form().UpperToolBar->minimumWidth() >= 520);
        for (QToolBar* bar : {Fx.Form().UpperToolBar, Fx.Form().LowerToolBar}) {
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
        QCOMPARE(Fx.Form().LeftPanel->width(), 170);
        QCOMPARE(Fx.Form().LeftPanel->minimumWidth(), 130);
        QCOMPARE(Fx.Form().MainSplitter->handleWidth(), 5);

        QStringList waveColumns, selColumns;
        for (int c = 0; c < Fx.Form().WavesList->columnCount(); ++c)
            waveColumns << Fx.Form().WavesList->headerItem()->text(c);
        for (int c = 0; c < Fx.Form().SelectList->columnCount(); ++c)
            selColumns << Fx.Form().SelectList->headerItem()->text(c);
        QCOMPARE(waveColumns, (QStringList{"Name", "Length"}));
        QCOMPARE(selColumns, (QStringList{"From", "To", "Length"}));
        QCOMPARE(Fx.Form().SelectList->height(), 136);
        QCOMPARE(Fx.Form().SelectList->editTriggers(), QAbstractItemView::NoEditTriggers);

        QCOMPARE(Fx.Form().TrashCan->text(), QStringLiteral("Trash can"));
        QCOMPARE(Fx.Form().TrashCan->height(), 21);
        QCOMPARE(Fx.Form().TrashCan->toolTip(), QStringLiteral("Drop to delete selected"));
        QCOMPARE(Fx.Form().TrashCan->palette().color(QPalette::Window),
                 Fx.Form().palette().color(QPalette::ToolTipBase));

        for (TPanelStatusBar* bar : {Fx.Form().UpperStatusBar, Fx.Form().LowerStatusBar}) {
            QCOMPARE(bar->PanelCount(), 4);
            QCOMPARE((QList<int>{bar->PanelWidth(0), bar->PanelWidth(1), bar->PanelWidth(2),
                                 bar->PanelWidth(3)}),
                     (QList<int>{75, 150, 200, 50}));
            QCOMPARE(bar->palette().color(QPalette::Window), QColor(201, 182, 203));
        }
        for (QProgressBar* level : {Fx.Form().UpperLevelBar, Fx.Form().LowerLevelBar}) {
            QCOMPARE(level->orientation(), Qt::Vertical);
            QCOMPARE(level->minimum(), 0);
            QCOMPARE(level->maximum(), 100);
            QCOMPARE(level->width(), 10);
        }
        // Empty means empty: at 0 not one row of the bar is filled, at 100 every row.
        TLevelBar* level = Fx.Form().UpperLevelBar;
        const QColor fill = level->palette().color(QPalette::Highlight);
        for (int value : {0, 1, 50, 100}) {
            level->setValue(value);
            const QImage shot = level->grab().toImage();
            int filled = 0;
            for (int y = 0; y < shot.height(); ++y)
                filled += QColor(shot.pixel(shot.width() / 2, y)) == fill ? 1 : 0;
            QCOMPARE(filled, level->height() * value / 100);
        }
        QCOMPARE(Fx.Form().UpperNarrowPanel->width(), 9);
        QCOMPARE(Fx.Form().LowerNarrowPanel->width(), 9);
        QCOMPARE(Fx.Form().UpperViewArea->palette().color(QPalette::Window), QColor(0, 0, 128));
        // The pane fills its view area and is linked to its half's bars.
        QCOMPARE(Fx.Form().WorkingPane->parentWidget(), Fx.Form().UpperViewArea);
        QCOMPARE(Fx.Form().FinalPane->parentWidget(), Fx.Form().LowerViewArea);
        QCOMPARE(Fx.Form().WorkingPane->size(), Fx.Form().UpperViewArea->size());
        QCOMPARE(Fx.Form().WorkingPane->StatusBar, Fx.Form().UpperStatusBar);
        QCOMPARE(Fx.Form().FinalPane->LevelBar, Fx.Form().LowerLevelBar);
        QCOMPARE(Fx.Form().WorkingPane->WaveName, QStringLiteral("Working Wave"));
        QCOMPARE(Fx.Form().FinalPane->WaveName, QStringLiteral("Final Wave"));
        QVERIFY(Fx.Form().statusBar()->isVisible());
    }

    void halvesSplitRoundingDown()
    {
        // Grow the window until the wave area is 479 high: 239 above, 240 below.
        for (int wanted : {479, 480, 381}) {
            const int delta = wanted - Fx.Form().WaveArea->height();
            Fx.Form().resize(Fx.Form().width(), Fx.Form().height() + delta);
            QTRY_COMPARE(Fx.Form().WaveArea->height(), wanted);
            QCOMPARE(Fx.Form().UpperHalf->geometry(), QRect(0, 0, Fx.Form().WaveArea->width(), wanted / 2));
            QCOMPARE(Fx.Form().LowerHalf->geometry(),
                     QRect(0, wanted / 2, Fx.Form().WaveArea->width(), wanted - wanted / 2));
        }
        // Moving the splitter changes only the width; the halves follow it.
        Fx.Form().MainSplitter->setSizes({200, Fx.Form().MainSplitter->width() - 205});
        QTRY_COMPARE(Fx.Form().UpperHalf->width(), Fx.Form().WaveArea->width());
        QCOMPARE(Fx.Form().LowerHalf->width(), Fx.Form().WaveArea->width());
    }

    void precisionMenuSetsBothPanes()
    {
        const QList<QAction*> items = Fx.Form().PrecisionMenu->actions();
        const int expected[] = {-1, 0, 1, 2, 3, 4};
        for (int i = items.size() - 1; i >= 0; --i) {
            items[i]->trigger();
            QCOMPARE(Fx.Form().WorkingPane->Precision, expected[i]);
            QCOMPARE(Fx.Form().FinalPane->Precision, expected[i]);
            QCOMPARE(Fx.Form().PrecisionGroup->checkedAction(), items[i]);
        }
        // Not an action of the window: the last-action text stays as it was.
        QCOMPARE(Fx.Form().LastActionText, QString());
    }

    void selectAllForBothPanes()
    {
        FillWave(*Fx.Form().WorkingPane->Wave(), 1000);
        FillWave(*Fx.Form().FinalPane->Wave(), 500);
        Fx.Form().WorkingPane->SetSelection(10, 20);
        Fx.Form().FinalPane->SetSelection(30, 40);
        Fx.Form().SelAll1->trigger();
        QCOMPARE(Fx.Form().WorkingPane->SelStart(), 0);
        QCOMPARE(Fx.Form().WorkingPane->SelEnd(), 999);
        QCOMPARE(Fx.Form().FinalPane->SelEnd(), 40);
        QCOMPARE(Fx.Form().LastActionText, QStringLiteral("Select all"));
        QTest::mouseClick(Fx.Form().BtnSelAll2, Qt::LeftButton);
        QCOMPARE(Fx.Form().FinalPane->SelStart(), 0);
        QCOMPARE(Fx.Form().FinalPane->SelEnd(), 499);
    }

    void spaceShiftSpaceEscAndCtrl()
    {
        FillWave(*Fx.Form().WorkingPane->Wave(), 22050);
        Fx.Form().WorkingPane->SetSelection(100, 11124);  // 11025 samples
        TRangePlayer& player = *Fx.Form().Player;

        Fx.Form().Looped1->setChecked(true);
        SendKey(&Fx.Form(), QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier);
        QVERIFY(!Fx.Form().Looped1->isChecked());
        QCOMPARE(Fx.Form().LastActionText, QStringLiteral("Play Wave 1"));
        QCOMPARE(player.PlayBuffer().Size(), 11025 + 44);
        QVERIFY(!player.WPlayer().Loop());
        QCOMPARE(player.WPlayer().SourceType, frRAM);

        SendKey(&Fx.Form(), QEvent::KeyPress, Qt::Key_Space, Qt::ShiftModifier);
        QVERIFY(Fx.Form().Looped1->isChecked());
        QVERIFY(player.WPlayer().Loop());
        QCOMPARE(player.PlayBuffer().Size(), 11025 + 44);

        // Esc is Stop Sound's shortcut.
        QTest::keyClick(&Fx.Form(), Qt::Key_Escape);
        QCOMPARE(player.PlayBuffer().Size(), 0);
        QCOMPARE(Fx.Form().LastActionText, QStringLiteral("Stop Sound"));

        // Ctrl+Space plays once; releasing Ctrl stops.
        SendKey(&Fx.Form(), QEvent::KeyPress, Qt::Key_Space, Qt::ControlModifier);
        QVERIFY(!Fx.Form().Looped1->isChecked());
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
        Fx.Form().WavesList->setFocus();
        QCOMPARE(QApplication::focusWidget(), Fx.Form().WavesList);
        Fx.Form().WavesList->installEventFilter(&listSaw);
        int plays = 0;
        auto after = player.WPlayer().AfterPlaying;
        player.WPlayer().AfterPlaying = [&](TJvWavePlayer* p) { ++plays; after(p); };
        SendKey(&Fx.Form(), QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier);
        QCOMPARE(player.PlayBuffer().Size(), 11025 + 44);
        QCOMPARE(plays, 1);
        QCOMPARE(listSaw.Count, 1);
        Fx.Form().WavesList->removeEventFilter(&listSaw);
        QVERIFY(Fx.Dialogs().Messages.isEmpty());
    }

    void playButtonsAndHighlight()
    {
        FillWave(*Fx.Form().WorkingPane->Wave(), 3000);
        FillWave(*Fx.Form().FinalPane->Wave(), 2000);
        Fx.Form().FinalPane->SetSelection(500, 999);
        TRangePlayer& player = *Fx.Form().Player;

        // The upper button is marked exactly while the player's call runs.
        QList<bool> markedDuringCall;
        auto after = player.WPlayer().AfterPlaying;
        player.WPlayer().AfterPlaying = [&](TJvWavePlayer* p) {
            markedDuringCall << (Fx.Form().PlayButtonMarked() && Fx.Form().BtnPlay1->isDown());
            after(p);
        };
        Fx.Form().LastActionText = QStringLiteral("before");
        QTest::mouseClick(Fx.Form().BtnPlay1, Qt::LeftButton);
        QCOMPARE(markedDuringCall, QList<bool>{true});
        QVERIFY(!Fx.Form().PlayButtonMarked());
        QVERIFY(!Fx.Form().BtnPlay1->isDown());
        QCOMPARE(player.PlayBuffer().Size(), 3000 + 44);
        // The button is not an action: the last-action text is left alone.
        QCOMPARE(Fx.Form().LastActionText, QStringLiteral("before"));

        Fx.Form().Looped2->trigger();
        QVERIFY(Fx.Form().Looped2->isChecked());
        QVERIFY(!Fx.Form().Looped1->isChecked());
        QTest::mouseClick(Fx.Form().BtnPlay2, Qt::LeftButton);
        QCOMPARE(player.PlayBuffer().Size(), 500 + 44);
        QVERIFY(player.WPlayer().Loop());
        QCOMPARE(player.PlayBuffer().Memory()[44], uint8_t(500 % 256));

        // An empty pane plays nothing and the sound goes on.
        Fx.Form().WorkingPane->Wave()->Clear();
        Fx.Form().PlayWave1->trigger();
        QCOMPARE(player.PlayBuffer().Size(), 500 + 44);
        QVERIFY(Fx.Dialogs().Messages.isEmpty());
    }

    void aboutPlaysTheSampleThenShowsTheBox()
    {
        const int32_t sampleSize = Fx.Form().Sample->Size();
        QVERIFY(sampleSize > 0);
        bool shownWhilePlaying = false;
        OnNextModal([&](QWidget* w) {
            shownWhilePlaying = w == &Fx.About() && Fx.Form().Player->PlayBuffer().Size() == sampleSize + 44;
            Fx.About().Panel1Click();
        });
        Fx.Form().About1->trigger();
        QVERIFY(shownWhilePlaying);
        QVERIFY(!Fx.About().isVisible());
        // The sample keeps playing after the box is closed.
        QCOMPARE(Fx.Form().Player->PlayBuffer().Size(), sampleSize + 44);
        QVERIFY(!Fx.Form().Player->WPlayer().Loop());
    }

    void emptyPluginsMenuSaysSo()
    {
        QVERIFY(Fx.Form().PlugInMenu->isEmpty());
        Fx.Form().PlugInMenuItem->trigger();
        QCOMPARE(Fx.Dialogs().Messages, QStringList{"No plugins installed!"});
        // Once the menu has an entry the bar item opens it instead.
        Fx.Form().PlugInMenu->addAction(QStringLiteral("Echo"));
        QCOMPARE(Fx.Form().PlugInMenuItem->menu(), Fx.Form().PlugInMenu);
        Fx.Form().PlugInMenuItem->trigger();
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

        Fx.Form().Folders.OpenInitialDir = QStringLiteral("/start/here");
        int previews = 0;
        QStringList previewed;
        auto before = Fx.Form().Player->WPlayer().BeforePlaying;
        Fx.Form().Player->WPlayer().BeforePlaying = [&](TJvWavePlayer* p) {
            ++previews;
            previewed << QString::fromStdString(p->FileName);
            before(p);
        };
        Fx.Dialogs().OpenBrowsing = {{a, a, text, dir.filePath("missing.wav"), b, a}};
        Fx.Dialogs().OpenAnswers = {{a, b}};
        Fx.Form().OpenWaveFile->trigger();

        QCOMPARE(Fx.Dialogs().OpenRequests.size(), 1);
        const TFileDialogOptions& o = Fx.Dialogs().OpenRequests.first();
        QCOMPARE(o.Title, QStringLiteral("Open WAV"));
        QVERIFY2(o.Filter.startsWith(QStringLiteral("WAV Files (*.wav)|*.wav|Sound files (*.")), qPrintable(o.Filter));
        QCOMPARE(o.InitialDir, QStringLiteral("/start/here"));
        QVERIFY(o.MultiSelect);
        // Pointing at the same file again does not restart it; back after another does.
        QCOMPARE(previewed, (QStringList{a, b, a}));
        QCOMPARE(Fx.Form().Player->WPlayer().SourceType, frFile);
        QVERIFY(Fx.Form().Opener->PreviewName().isEmpty());
        QCOMPARE(Fx.Form().Folders.OpenInitialDir, QFileInfo(a).absolutePath());
        QCOMPARE(Fx.Form().WavesList->topLevelItemCount(), 2);
        QCOMPARE(Fx.Form().WavesList->topLevelItem(0)->text(0), QStringLiteral("door.open"));
        QCOMPARE(Fx.Form().WavesList->topLevelItem(1)->text(0), QStringLiteral("bell"));
        QCOMPARE(Fx.Form().LastActionText, QStringLiteral("Open Wave"));

        // Cancelled: nothing added, the folder kept, and the same file previews again.
        Fx.Dialogs().OpenBrowsing = {{a}};
        Fx.Form().OpenWaveFile->trigger();
        QCOMPARE(previewed.size(), 4);
        QVERIFY(Fx.Form().Opener->PreviewName().isEmpty());
        QCOMPARE(Fx.Form().WavesList->topLevelItemCount(), 2);
        QCOMPARE(Fx.Form().Folders.OpenInitialDir, QFileInfo(a).absolutePath());
        QCOMPARE(previews, 4);
    }

    void exitClosesAndRemovesTheTemporaryFile()
    {
        FillWave(*Fx.Form().WorkingPane->Wave(), 5000);
        Fx.Form().Looped1->setChecked(true);
        Fx.Form().PlayWave1->trigger();
        QVERIFY(Fx.Form().Player->PlayBuffer().Size() > 0);
        const QString temp = Fx.Form().ProgramDir + QStringLiteral("txtnt.~wav");
        {
            QFile f(temp);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        Fx.Form().ExitProg->trigger();
        QVERIFY(!Fx.Form().isVisible());
        QVERIFY(!QFile::exists(temp));
        QCOMPARE(Fx.Form().Player->PlayBuffer().Size(), 0);
        QCOMPARE(Fx.Form().LastActionText, QStringLiteral("Exit"));
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
