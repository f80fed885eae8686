// Drag and drop in the window: drags started from their real sources, the toolkit's drag
// notifications sent to the real targets (both panes, both lists, the trash can). Zones
// and marks, the content operations and their selections, undo of working-pane drops,
// copies into the Waves list, the trash can, a drag outliving its entry, dropped files.
#include <QAction>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QLocale>
#include <QMimeData>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolButton>
#include <QUrl>
#include <QtTest>

#include <algorithm>

#include "about/Unit2.h"
#include "app/Application.h"
#include "app/DragSession.h"
#include "app/PaneDropTarget.h"
#include "app/PaneMouse.h"
#include "app/SelectionsList.h"
#include "app/WavesList.h"
#include "app/main.h"
#include "platform/actions.h"
#include "support/ScriptedDialogs.h"
#include "support/WindowFixture.h"
#include "tests/support/TestWaves.h"
#include "view/PanelStatusBar.h"
#include "view/wavpaint.h"

using namespace testwaves;

namespace {

const QString W1to15 = QStringLiteral("W 0' 1.000\"-0' 1.500\"");  // samples 22050 to 33075

ByteVector Cat(std::initializer_list<ByteVector> parts)
{
    ByteVector all;
    for (const ByteVector& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

ByteVector Range(const ByteVector& v, size_t from, size_t to)  // from..to inclusive
{
    return {v.begin() + from, v.begin() + to + 1};
}

} // namespace

class TestDragDrop : public QObject {
    Q_OBJECT

private:
    TWindowFixture Fx;

    TWavPaintBox* W() { return Fx.Window().WorkingPane(); }
    TWavPaintBox* F() { return Fx.Window().FinalPane(); }
    TTxWavStream& Working() { return *W()->Wave(); }
    TTxWavStream& Final() { return *F()->Wave(); }
    TWavesList& Waves() { return *Fx.Window().WavesList(); }
    TSelectionsList& Stored() { return *Fx.Window().SelectList(); }
    TWDragObject* Current() { return Fx.Window().DragSession()->Current(); }
    QString Status() { return Fx.Form().statusBar()->currentMessage(); }
    static QString Panel(TWavPaintBox* pane, int i) { return pane->StatusBar->PanelText(i); }
    std::unique_ptr<QMimeData> Ours() { return std::unique_ptr<QMimeData>(Fx.Window().DragSession()->MakeMimeData()); }
    std::pair<int32_t, int32_t> Sel(TTxWavStream& w) { return {w.SelStart(), w.SelEnd()}; }

    // Enter and move at p; whether the target accepts.
    static bool Over(QWidget* target, QPoint p, const QMimeData* mime)
    {
        QDragEnterEvent enter(p, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        QDragMoveEvent move(p, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &move);
        return move.isAccepted();
    }
    static void Leave(QWidget* target)
    {
        QDragLeaveEvent leave;
        QCoreApplication::sendEvent(target, &leave);
    }
    static bool Drop(QWidget* target, QPoint p, const QMimeData* mime)
    {
        QDropEvent drop(QPointF(p), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &drop);
        return drop.isAccepted();
    }
    // Over and drop of the current drag object; whether the drop was taken.
    bool DropOurs(QWidget* target, QPoint p)
    {
        auto mime = Ours();
        const bool over = Over(target, p, mime.get());
        return Drop(target, p, mime.get()) && over;
    }
    static void Move(QWidget* w, QPoint p, Qt::MouseButtons held, Qt::KeyboardModifiers keys = {})
    {
        QMouseEvent move(QEvent::MouseMove, QPointF(p), w->mapToGlobal(QPointF(p)), Qt::NoButton, held, keys);
        QCoreApplication::sendEvent(w, &move);
    }
    // Press on an entry and move on: the list's own drag start.
    static void DragEntry(QTreeWidget& list, QTreeWidgetItem* entry)
    {
        const QPoint at = list.visualItemRect(entry).center();
        QTest::mousePress(list.viewport(), Qt::LeftButton, {}, at);
        Move(list.viewport(), at + QPoint(QApplication::startDragDistance() + 1, 0), Qt::LeftButton);
    }
    std::unique_ptr<TTxWavStream> Wave(const ByteVector& bytes)
    {
        auto wave = std::make_unique<TTxWavStream>();
        wave->SetFormat(Fx.Window().Convertor().ACMFormatOut.Head());
        Fill(*wave, bytes);
        return wave;
    }
    QTreeWidgetItem* Entry(const QString& caption, const ByteVector& bytes)
    {
        return Waves().AppendEntry(caption, Wave(bytes));
    }
    QString WavFile(const QString& name, const ByteVector& bytes)
    {
        const QString path = Fx.Dir().filePath(name);
        Wave(bytes)->SaveToFile(path.toStdString());
        return path;
    }
    bool Renaming(QTreeWidgetItem* entry)
    {
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        return editor && editor->parentWidget() == Waves().viewport() &&
               Waves().itemAt(editor->geometry().center()) == entry && editor->text() == entry->text(0);
    }
    QPoint Middle(TWavPaintBox* p) { return {p->width() / 2, 10}; }
    static QPoint Left(TWavPaintBox*) { return {1, 10}; }
    QPoint Right(TWavPaintBox* p) { return {p->width() - 1, 10}; }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English)); }

    void init() { QVERIFY(Fx.Open(TWindowFixture::TShow::Active)); }
    void cleanup() { Fx.Close(); }

    void offersTheZoneUnderThePointerWithItsMark()
    {
        F()->setFixedWidth(500);
        F()->parentWidget()->layout()->activate();
        QCOMPARE(F()->width(), 500);
        Fill(Working(), Iota(44100));
        W()->SetSelection(22050, 33075);
        Fx.Window().BtnDragSel1()->click();
        QCOMPARE(Current()->Description, W1to15);
        QCOMPARE(Current()->DropMode, dropNone);
        auto mime = Ours();
        const int h = F()->height();
        const QPoint probes[] = {{5, h / 4}, {250, h / 2}, {494, h / 4}};  // insert, replace, append bars
        const struct {
            int x;
            size_t finalSize;
            TDropMode mode;
            const char* text;
        } cases[] = {{99, 1000, dropInsert, "<- insert"},     {100, 1000, dropReplace, "<- replace ->"},
                     {400, 1000, dropReplace, "<- replace ->"}, {401, 1000, dropAppend, "append ->"},
                     {0, 0, dropReplace, "<- replace ->"},      {499, 0, dropReplace, "<- replace ->"}};
        for (const auto& c : cases) {
            Fill(Final(), Iota(c.finalSize));
            F()->SelectAll();
            const QImage clean = F()->Picture().copy();
            const QString own = Panel(F(), 1);
            QVERIFY(Over(F(), {c.x, 10}, mime.get()));
            QCOMPARE(Current()->DropMode, c.mode);
            QCOMPARE(Panel(F(), 1), QString::fromLatin1(c.text));
            QCOMPARE(Panel(F(), 2), W1to15);
            for (int i = 0; i < 3; ++i)
                QCOMPARE(F()->Picture().pixel(probes[i]) == (clean.pixel(probes[i]) ^ 0xFFFFFFu), i + 1 == c.mode);
            Leave(F());
            QCOMPARE(F()->Picture(), clean);
            QCOMPARE(Panel(F(), 1), own);
        }
    }

    void refusesWhatAPaneCannotUse()
    {
        Fill(Working(), Iota(1000));
        W()->SetSelection(300, 399);
        W()->UpdateStatus();
        const QString own = Panel(W(), 1);
        Fx.Window().BtnDragSel1()->click();
        // Its own wave in the replace zone: refused and not dropped, no undo step.
        auto itself = Ours();
        // The enter is taken all the same, or the toolkit would send no moves to find
        // the zones that accept.
        QDragEnterEvent enter(Middle(W()), Qt::CopyAction, itself.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(W(), &enter);
        QVERIFY(enter.isAccepted());
        QVERIFY(!Over(W(), Middle(W()), itself.get()));
        QVERIFY(!Fx.Window().PaneDrops()->PaneDragDrop(*W(), Current(), W()->width() / 2, 10));
        QCOMPARE(Panel(W(), 1), own);
        QCOMPARE(Bytes(Working()), Iota(1000));
        QVERIFY(!Fx.Window().BtnUndo()->isEnabled());
        // Anything but our drag object is refused by every target.
        QMimeData text;
        text.setText(QStringLiteral("hello"));
        QMimeData stale;  // our type with the token of an earlier drag
        stale.setData(QString::fromLatin1(TDragSession::MimeType), Ours()->data(TDragSession::MimeType));
        Fx.Window().BtnDragSel1()->click();
        for (QWidget* target : {static_cast<QWidget*>(F()), Waves().viewport(), Stored().viewport(),
                                static_cast<QWidget*>(Fx.Window().TrashCan())})
            for (const QMimeData* mime : {&text, &stale})
                QVERIFY(!Over(target, {5, 5}, mime) && !Drop(target, {5, 5}, mime));
        // An empty source wave is refused.
        Fill(Working(), {});
        QVERIFY(!DropOurs(F(), Middle(F())));
        QCOMPARE(Final().Size(), 0);
        // A start without its condition makes no drag object: an empty pane, a press on
        // an empty part of a list.
        TWDragObject* last = Current();
        Fx.Window().BtnDragSel1()->click();
        QTest::mousePress(Waves().viewport(), Qt::LeftButton, {}, {5, 5});
        Move(Waves().viewport(), {40, 5}, Qt::LeftButton);
        QCOMPARE(Current(), last);
    }

    void movesInsideTheSameWaveKeepEverySample()
    {
        const ByteVector wave = Iota(1000);
        const struct {
            int selStart, selEnd;
            bool toFront;
            ByteVector want;
            std::pair<int32_t, int32_t> sel;
        } cases[] = {
            {300, 399, true, Cat({Range(wave, 300, 399), Range(wave, 0, 299), Range(wave, 400, 999)}), {0, 99}},
            {300, 399, false, Cat({Range(wave, 0, 299), Range(wave, 400, 999), Range(wave, 300, 399)}), {900, 999}},
            {0, 99, true, wave, {0, 99}},
            {900, 999, false, wave, {900, 999}},
        };
        for (const auto& c : cases) {
            Fill(Working(), wave);
            W()->SetSelection(c.selStart, c.selEnd);
            Fx.Window().BtnDragSel1()->click();
            QVERIFY(DropOurs(W(), c.toFront ? Left(W()) : Right(W())));
            QCOMPARE(Bytes(Working()), c.want);
            QCOMPARE(Sel(Working()), c.sel);
        }
        // Each drop was an undo step; undoing the last gives back the wave before it.
        QCOMPARE(Fx.Window().BtnUndo()->Caption(), QStringLiteral("Undo \"Drag and Drop\""));
        Fx.Window().BtnUndo()->trigger();
        QCOMPARE(Bytes(Working()), wave);
    }

    void insertsAppendsAndReplacesWithAnotherWave()
    {
        const ByteVector work = Iota(3000, 7), fin = ByteVector(5000, 128);
        const struct {
            int selStart, selEnd;
            char zone;
            ByteVector want;
            std::pair<int32_t, int32_t> sel;
        } cases[] = {
            {1000, 1999, 'L', Cat({Range(work, 1000, 1999), fin}), {0, 999}},
            {1000, 1999, 'R', Cat({fin, Range(work, 1000, 1999)}), {5000, 5999}},
            {200, 299, 'M', Range(work, 200, 299), {0, 99}},
            {200, 298, 'M', {}, {0, 0}},  // 99 samples: too short to be kept
        };
        for (const auto& c : cases) {
            Fill(Working(), work);
            W()->SetSelection(c.selStart, c.selEnd);
            Fill(Final(), fin);
            Fx.Window().BtnDragSel1()->click();
            QVERIFY(DropOurs(F(), c.zone == 'L' ? Left(F()) : c.zone == 'R' ? Right(F()) : Middle(F())));
            QCOMPARE(Bytes(Final()), c.want);
            QCOMPARE(Sel(Final()), c.sel);
            QCOMPARE(Bytes(Working()), work);
            QCOMPARE(F()->WaveName, QStringLiteral("Final Wave"));
        }
        QVERIFY(!Fx.Window().BtnUndo()->isEnabled());  // the final pane has no undo
    }

    void entryReplacingAPaneNamesItAndAddWholeWaveKeepsTheName()
    {
        QTreeWidgetItem* door = Entry("door", Iota(700));
        TTxWavStream* doorWave = TWavesList::EntryWave(door);
        doorWave->SetSelStart(100);
        doorWave->SetSelEnd(199);
        // With auto show the press paints the entry on the working pane; the drag's end
        // gives the pane its own picture back.
        Fill(Working(), ByteVector(900, 200));
        W()->Repaint();
        const QImage own = W()->Picture().copy();
        Waves().AutoShow1->setChecked(true);
        DragEntry(Waves(), door);
        QCOMPARE(W()->Picture(), own);
        QCOMPARE(Current()->Description, QStringLiteral("door"));
        QCOMPARE(Sel(*doorWave), std::make_pair(0, 699));  // the whole wave goes
        Fill(Final(), ByteVector(300, 128));
        QVERIFY(DropOurs(F(), Middle(F())));
        QCOMPARE(Bytes(Final()), Iota(700));
        QCOMPARE(F()->WaveName, QStringLiteral("door"));

        Fx.Window().BtnAddWave2()->click();
        QCOMPARE(Waves().topLevelItemCount(), 2);
        QTreeWidgetItem* copy = Waves().topLevelItem(1);
        QCOMPARE(copy->text(0), QStringLiteral("door"));
        QCOMPARE(Bytes(*TWavesList::EntryWave(copy)), Iota(700));
        QVERIFY(Renaming(copy));
        Fill(Working(), {});
        Fx.Window().BtnAddWave1()->click();  // an empty pane adds nothing
        QCOMPARE(Waves().topLevelItemCount(), 2);
    }

    void wavesListTakesCopiesAsNewOrReusedEntries()
    {
        Fill(Working(), Iota(44100));
        W()->SetSelection(22050, 33075);
        Fx.Window().BtnDragSel1()->click();
        auto mime = Ours();
        QVERIFY(Over(Waves().viewport(), {5, 5}, mime.get()));
        QCOMPARE(Status(), QStringLiteral("Drop to add this wave"));
        Leave(Waves().viewport());
        QCOMPARE(Status(), QString());
        // On empty space: a new entry holding the selection, named after the drag.
        QVERIFY(DropOurs(Waves().viewport(), {5, 5}));
        QCOMPARE(Waves().topLevelItemCount(), 1);
        QTreeWidgetItem* first = Waves().topLevelItem(0);
        QCOMPARE(QStringList({first->text(0), first->text(1)}), QStringList({W1to15, "0' 0.500\""}));
        QCOMPARE(Bytes(*TWavesList::EntryWave(first)), Range(Iota(44100), 22050, 33075));
        QVERIFY(Renaming(first));

        // An entry dragged to empty space is duplicated; dragged onto another entry it
        // overwrites that one with its wave and name.
        QTreeWidgetItem* bell = Entry("bell", Iota(500, 9));
        DragEntry(Waves(), bell);
        QVERIFY(DropOurs(Waves().viewport(), {5, Waves().viewport()->height() - 2}));
        QCOMPARE(Waves().topLevelItemCount(), 3);
        QCOMPARE(Waves().topLevelItem(2)->text(0), QStringLiteral("bell"));
        QCOMPARE(Sel(*TWavesList::EntryWave(bell)), std::make_pair(0, 499));
        DragEntry(Waves(), bell);
        QVERIFY(DropOurs(Waves().viewport(), Waves().visualItemRect(first).center()));
        QCOMPARE(Waves().topLevelItemCount(), 3);
        QCOMPARE(QStringList({first->text(0), first->text(1)}), QStringList({"bell", "0' 0.023\""}));
        QCOMPARE(Bytes(*TWavesList::EntryWave(first)), Iota(500, 9));
        QVERIFY(Renaming(first));
        // An entry dropped on itself takes a copy of its own wave; its drag ends there.
        DragEntry(Waves(), bell);
        QVERIFY(DropOurs(Waves().viewport(), Waves().visualItemRect(bell).center()));
        QCOMPARE(Bytes(*TWavesList::EntryWave(bell)), Iota(500, 9));
        QVERIFY(!Current());
        // A stored selection is refused.
        QTreeWidgetItem* stored = Stored().AppendEntry(10, 200);
        DragEntry(Stored(), stored);
        QCOMPARE(Current()->Description, QStringLiteral("SelectiGHon info"));
        QVERIFY(!DropOurs(Waves().viewport(), {5, 5}));
        QCOMPARE(Waves().topLevelItemCount(), 3);
    }

    void storedSelectionsSelectOnAPane()
    {
        // Stored by a drop on the list when longer than 101 samples.
        Fill(Working(), Iota(3000));
        for (const int end : {1100, 1101}) {
            W()->SetSelection(1000, end);
            Fx.Window().BtnDragSel1()->click();
            QCOMPARE(DropOurs(Stored().viewport(), {5, 5}), end == 1101);
            QCOMPARE(Status(), QString());
        }
        QCOMPARE(Stored().topLevelItemCount(), 1);
        QCOMPARE(TSelectionsList::EntryRange(Stored().topLevelItem(0)), (std::optional<TStoredRange>{{1000, 1101}}));

        Fill(Final(), Iota(2000));
        QTreeWidgetItem* stored = Stored().AppendEntry(1500, 3000);
        DragEntry(Stored(), stored);
        auto mime = Ours();
        const QString own = Panel(F(), 1);
        QVERIFY(Over(F(), Middle(F()), mime.get()));
        QCOMPARE(Panel(F(), 1), own);  // no offer shown
        QVERIFY(Drop(F(), Middle(F()), mime.get()));
        QCOMPARE(Sel(Final()), std::make_pair(1500, 1999));
        QCOMPARE(Bytes(Final()), Iota(2000));
        // Offsets that stop reading between the drag-over and the drop: nothing happens.
        F()->SetSelection(5, 6);
        QVERIFY(Over(F(), Middle(F()), mime.get()));
        stored->setText(TSelectionsList::EndTextColumn, QStringLiteral("12x"));
        QVERIFY(!Drop(F(), Middle(F()), mime.get()));
        QCOMPARE(Sel(Final()), std::make_pair(5, 6));
        QVERIFY(!Over(F(), Middle(F()), mime.get()));
    }

    void trashCanDeletesWhatIsDroppedWithItsCaptions()
    {
        QCOMPARE(Fx.Window().TrashCan()->text(), QStringLiteral("Trash can"));
        Move(Fx.Window().TrashCan(), {5, 5}, Qt::NoButton);
        QCOMPARE(Status(), QStringLiteral("Trash can. Drag and Drop items to delete."));
        Move(Waves().viewport(), {5, 5}, Qt::NoButton);
        QCOMPARE(Status(), QStringLiteral("Waves list holds your sounds."));

        const ByteVector wave = Iota(44100);
        Fill(Working(), wave);
        W()->SetSelection(22050, 33075);
        Fx.Window().BtnDragSel1()->click();
        auto mime = Ours();
        QVERIFY(Over(Fx.Window().TrashCan(), {5, 5}, mime.get()));
        QCOMPARE(Fx.Window().TrashCan()->text(), "Delete " + W1to15);
        QCOMPARE(Status(), QStringLiteral("Drop to delete"));
        Leave(Fx.Window().TrashCan());
        QCOMPARE(Fx.Window().TrashCan()->text(), QStringLiteral("Trash Can"));
        QCOMPARE(Status(), QString());
        // A pane's selection: the samples go, the rest is selected, no undo step.
        QVERIFY(DropOurs(Fx.Window().TrashCan(), {5, 5}));
        QCOMPARE(Bytes(Working()), Cat({Range(wave, 0, 22049), Range(wave, 33076, 44099)}));
        QCOMPARE(Sel(Working()), std::make_pair(0, 44100 - 11026 - 1));
        QVERIFY(!Fx.Window().BtnUndo()->isEnabled());
        QCOMPARE(Fx.Window().TrashCan()->text(), QStringLiteral("Trash Can"));

        // An entry shown in a pane goes; the pane keeps its copy. A stored selection goes.
        QTreeWidgetItem* bell = Entry("bell", Iota(500));
        Fill(Final(), Iota(500));
        DragEntry(Waves(), bell);
        QVERIFY(Over(Fx.Window().TrashCan(), {5, 5}, Ours().get()));
        QCOMPARE(Fx.Window().TrashCan()->text(), QStringLiteral("Delete bell"));
        QVERIFY(DropOurs(Fx.Window().TrashCan(), {5, 5}));
        QCOMPARE(Waves().topLevelItemCount(), 0);
        QCOMPARE(Bytes(Final()), Iota(500));
        QTreeWidgetItem* stored = Stored().AppendEntry(10, 200);
        DragEntry(Stored(), stored);
        QVERIFY(Over(Fx.Window().TrashCan(), {5, 5}, Ours().get()));
        QCOMPARE(Fx.Window().TrashCan()->text(), QStringLiteral("Delete SelectiGHon info"));
        QVERIFY(DropOurs(Fx.Window().TrashCan(), {5, 5}));
        QCOMPARE(Stored().topLevelItemCount(), 0);
        QVERIFY(!Current());
    }

    void aDragEndsWithItsEntry()
    {
        const std::function<void()> removals[] = {
            [&] { Waves().Delete1Click(); },
            [&] { Fx.Dialogs().ConfirmAnswers = {true}; Waves().Clear1Click(); },
            [&] { Stored().Delete2Click(); },
            [&] { Stored().Clear2Click(); },
        };
        for (size_t i = 0; i < std::size(removals); ++i) {
            Entry("keep", Iota(300));
            QTreeWidgetItem* entry = i < 2 ? Entry("bell", Iota(400)) : Stored().AppendEntry(10, 200);
            Stored().AppendEntry(20, 300);
            DragEntry(i < 2 ? static_cast<QTreeWidget&>(Waves()) : Stored(), entry);
            QVERIFY(Current());
            auto mime = Ours();
            removals[i]();
            QVERIFY(!Current() && !Fx.Window().DragSession()->Dragged(mime.get()));
            Fill(Final(), Iota(1000));
            const int waves = Waves().topLevelItemCount(), stored = Stored().topLevelItemCount();
            for (QWidget* target : {static_cast<QWidget*>(F()), Waves().viewport(), Stored().viewport(),
                                    static_cast<QWidget*>(Fx.Window().TrashCan())})
                QVERIFY(!Over(target, {5, 5}, mime.get()) && !Drop(target, {5, 5}, mime.get()));
            QCOMPARE(Bytes(Final()), Iota(1000));
            QCOMPARE(std::make_pair(Waves().topLevelItemCount(), Stored().topLevelItemCount()),
                     std::make_pair(waves, stored));
            Waves().clear();
            Stored().clear();
        }
    }

    void filesFromTheDesktopOpenInOrder()
    {
        const QString a = WavFile("a.take.wav", Iota(600, 1));
        const QString b = WavFile("b.wav", Iota(800, 2));
        const QString bad = Fx.Dir().filePath("notes.wav");
        {
            QFile f(bad);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write("not a wave") == 10);
        }
        QMimeData files;
        files.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(b)});
        QVERIFY(Over(Waves().viewport(), {5, 5}, &files));
        QVERIFY(Drop(Waves().viewport(), {5, 5}, &files));
        QTRY_COMPARE(Waves().topLevelItemCount(), 2);
        QCOMPARE(QStringList({Waves().topLevelItem(0)->text(0), Waves().topLevelItem(1)->text(0)}),
                 QStringList({"a.take", "b"}));
        QCOMPARE(Bytes(*TWavesList::EntryWave(Waves().topLevelItem(1))), Iota(800, 2));

        // On a pane: opened into the list, the first one opened replaces the pane's
        // content as its entry dropped in the middle would, with an undo step.
        Fill(Working(), Iota(300));
        W()->UpdateStatus();
        QMimeData mixed;
        mixed.setUrls({QUrl::fromLocalFile(bad), QUrl::fromLocalFile(b), QUrl::fromLocalFile(a)});
        const QString own = Panel(W(), 1);
        QVERIFY(Over(W(), Left(W()), &mixed));
        QCOMPARE(Panel(W(), 1), QStringLiteral("<- replace ->"));
        Leave(W());
        QCOMPARE(Panel(W(), 1), own);
        QVERIFY(Over(W(), Left(W()), &mixed));
        QVERIFY(Drop(W(), Left(W()), &mixed));
        QTRY_COMPARE(Waves().topLevelItemCount(), 4);
        QCOMPARE(Fx.Dialogs().Messages.size(), 1);
        QVERIFY(Fx.Dialogs().Messages[0].startsWith("Error opening file \"" + bad + "\": "));
        QCOMPARE(Bytes(Working()), Iota(800, 2));
        QCOMPARE(W()->WaveName, QStringLiteral("b"));
        QCOMPARE(Fx.Window().BtnUndo()->Caption(), QStringLiteral("Undo \"Drag and Drop\""));
        // Remote addresses are not files.
        QMimeData remote;
        remote.setUrls({QUrl(QStringLiteral("https://example.org/a.wav"))});
        QVERIFY(!Over(W(), Left(W()), &remote) && !Over(Waves().viewport(), {5, 5}, &remote));
    }

    void shiftDragOnThePaneStartsAfterTheDragDistance()
    {
        Fill(Working(), Iota(44100));
        W()->SetSelection(22050, 33075);
        const int x = (W()->SelStartPixel() + W()->SelEndPixel()) / 2;
        QTest::mousePress(W(), Qt::LeftButton, Qt::ShiftModifier, {x, 5});
        Move(W(), {x + 1, 5}, Qt::LeftButton, Qt::ShiftModifier);
        QVERIFY(!Current());
        Move(W(), {x + QApplication::startDragDistance() + 1, 5}, Qt::LeftButton, Qt::ShiftModifier);
        QVERIFY(Current());
        QCOMPARE(Current()->Description, W1to15);
        QCOMPARE(Sel(Working()), std::make_pair(22050, 33075));
        // The drag took the release: the next plain move is the pane's again.
        Move(W(), {10, 5}, Qt::NoButton);
        QCOMPARE(Fx.Window().PaneMouse()->DragArmed(), (TWavPaintBox*)nullptr);
        // The final pane's button drags its selection.
        Fill(Final(), Iota(44100));
        F()->SetSelection(22050, 33075);
        Fx.Window().BtnDragSel2()->click();
        QCOMPARE(Current()->Description, "F" + W1to15.mid(1));
    }

    // Pressed on the lower half of a row, the pointer moves straight down over the next
    // row in small steps, then past the drag distance: the entry pressed is dragged, and
    // the list's selection does not follow the pointer on the way (no auto show of the
    // row crossed, no wrong entry deleted or composed).
    void listDragCarriesTheEntryPressed()
    {
        Waves().AutoShow1->setChecked(true);
        Entry(QStringLiteral("ramp"), Iota(300));
        Entry(QStringLiteral("c200"), ByteVector(400, 200));
        Stored().AppendEntry(100, 300);
        Stored().AppendEntry(500, 900);
        for (QTreeWidget* list : {static_cast<QTreeWidget*>(&Waves()), static_cast<QTreeWidget*>(&Stored())}) {
            QTreeWidgetItem* pressed = list->topLevelItem(0);
            const QRect row = list->visualItemRect(pressed);
            const QPoint at(row.center().x(), row.bottom() - 1);
            QTest::mousePress(list->viewport(), Qt::LeftButton, {}, at);
            for (int dy = 1; dy < QApplication::startDragDistance(); ++dy)
                Move(list->viewport(), at + QPoint(0, dy), Qt::LeftButton);
            QVERIFY(list->itemAt(at + QPoint(0, 2)) == list->topLevelItem(1));
            QCOMPARE(list->selectedItems(), QList<QTreeWidgetItem*>{pressed});
            Move(list->viewport(), at + QPoint(0, QApplication::startDragDistance()), Qt::LeftButton);
            QVERIFY(Current());
            QCOMPARE(Current()->ListItem, pressed);
            QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at);
        }
        QCOMPARE(Bytes(Working()), Iota(300));  // auto show showed "ramp" only
        QVERIFY(DropOurs(Fx.Window().TrashCan(), {5, 5}));  // the stored selection pressed goes
        QCOMPARE(TSelectionsList::EntryRange(Stored().topLevelItem(0)), (std::optional<TStoredRange>{{500, 900}}));
        QCOMPARE(Stored().topLevelItemCount(), 1);
        QCOMPARE(Waves().topLevelItemCount(), 2);
    }

    // A drag that ends takes the hint of where it started with it, as a release would.
    void anEndedDragLeavesNoHint()
    {
        Fill(Working(), Iota(44100));
        W()->SetSelection(22050, 33075);
        const int x = (W()->SelStartPixel() + W()->SelEndPixel()) / 2;
        Move(W(), {x, 5}, Qt::NoButton);
        QVERIFY(Status().startsWith(QStringLiteral("Click <Shift> to Drag&Drop selection.")));
        QTest::mousePress(W(), Qt::LeftButton, Qt::ShiftModifier, {x, 5});
        Move(W(), {x + QApplication::startDragDistance() + 1, 5}, Qt::LeftButton, Qt::ShiftModifier);
        QVERIFY(Current());
        QCOMPARE(Status(), QString());

        Stored().AppendEntry(100, 300);
        Move(Stored().viewport(), {5, 5}, Qt::NoButton);
        QCOMPARE(Status(), QStringLiteral("Selections list. Drag often needed selection in here."));
        DragEntry(Stored(), Stored().topLevelItem(0));
        QCOMPARE(Current()->ListItem, Stored().topLevelItem(0));
        QCOMPARE(Status(), QString());
    }
};

int main(int argc, char** argv)
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    TApplication app(argc, argv);
    TestDragDrop test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_dragdrop.moc"
