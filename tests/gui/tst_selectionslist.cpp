// The Selections list in the window: what may be stored and the entry it makes, the
// bracket a click draws on both panes, the popup, Delete and Clear, what plug-ins
// receive, and the hints in the window's status bar.
#include <QAction>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLocale>
#include <QMenu>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

#include "about/Unit2.h"
#include "app/Application.h"
#include "app/GridDelegate.h"
#include "app/SelectionsList.h"
#include "app/main.h"
#include "support/ScriptedDialogs.h"
#include "support/WindowFixture.h"
#include "tests/support/TestWaves.h"
#include "view/PaneCanvas.h"
#include "view/wavpaint.h"

using namespace testwaves;

class TestSelectionsList : public QObject {
    Q_OBJECT

    TWindowFixture Fx;

    TSelectionsList& List() { return *Fx.Window().SelectList(); }
    QString Status() { return Fx.Form().statusBar()->currentMessage(); }
    QTreeWidgetItem* Plain(const QStringList& texts) { return new QTreeWidgetItem(&List(), texts); }
    void Click(QTreeWidgetItem* entry)
    {
        QTest::mouseClick(List().viewport(), Qt::LeftButton, {}, List().visualItemRect(entry).center());
    }
    // The pane freshly painted, with the exclusive-or lines of the bracket of s..e at
    // the mark pixels when bracket is set.
    static QImage Picture(TWavPaintBox& pane, bool bracket = false, int s = 0, int e = 0)
    {
        pane.Repaint();
        QImage image = pane.Picture().copy();
        const int h = pane.height(), x1 = pane.SampleToMarkPixel(s) + 1, x2 = pane.SampleToMarkPixel(e) - 1;
        TPaneCanvas canvas(image);
        for (auto [ax, ay, bx, by] : {std::array{x1, 1, x1, h}, {x2, 1, x2, h}, {x1, h / 2, x2, h / 2}})
            if (bracket)
                canvas.Line(ax, ay, bx, by, 0xFFFFFF, 2, TPenMode::Xor);
        return image;
    }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    void init()
    {
        QVERIFY(Fx.Open());
        Fill(*Fx.Window().WorkingPane()->Wave(), ByteVector(10000, 140));
        Fill(*Fx.Window().FinalPane()->Wave(), ByteVector(5000, 120));
    }
    void cleanup() { Fx.Close(); }

    void storesAPaneSelectionLongerThan101Samples()
    {
        const struct {
            int start, end;
            bool withWave, hasListItem;
            QStringList texts;  // empty: refused
        } cases[] = {{1000, 1100, true, false, {}},
                     {1000, 1101, true, false, {"0' 0,045\"", "0' 0,050\"", "0' 0,005\"", "1000", "1101"}},
                     {0, 9999, true, false, {"0' 0,000\"", "0' 0,453\"", "0' 0,454\"", "0", "9999"}},
                     {1000, 1101, true, true, {}},
                     {0, 0, false, false, {}}};
        for (const auto& c : cases) {
            Fx.Window().WorkingPane()->SetSelection(c.start, c.end);
            const TTxWavStream* wave = c.withWave ? Fx.Window().WorkingPane()->Wave() : nullptr;
            const bool stores = !c.texts.isEmpty();
            Fx.Form().statusBar()->showMessage("before");
            QCOMPARE(TSelectionsList::CanStore(wave, c.hasListItem), stores);
            QCOMPARE(List().SelectListDragOver(wave, c.hasListItem), stores);
            QCOMPARE(Status(), stores ? QStringLiteral("Drop to add this selection") : QStringLiteral("before"));
            List().SelectListDragLeave();
            QCOMPARE(Status(), QString());
            if (!stores)
                continue;
            QTreeWidgetItem* entry = List().Store(*wave);
            QCOMPARE(List().topLevelItem(List().topLevelItemCount() - 1), entry);
            QStringList shown;
            for (int col = 0; col < entry->columnCount(); ++col)
                shown << entry->text(col);
            QCOMPARE(shown, c.texts);
            QCOMPARE(Fx.Window().WorkingPane()->SelEnd(), c.end);
        }
        QCOMPARE(List().topLevelItemCount(), 2);
        QCOMPARE(List().columnCount(), 3);  // the offsets are not shown
        for (int col = 0; col < 3; ++col)
            QCOMPARE(List().header()->sectionResizeMode(col), QHeaderView::ResizeToContents);
        QVERIFY(dynamic_cast<TGridDelegate*>(List().itemDelegate()));
    }

    void clickBracketsTheEntryOnBothPanes()
    {
        TWavPaintBox& working = *Fx.Window().WorkingPane();
        TWavPaintBox& final = *Fx.Window().FinalPane();
        working.SetSelection(10, 20);
        QTreeWidgetItem* stored = List().AppendEntry(1000, 4000);
        QTreeWidgetItem* reversed = List().AppendEntry(3000, 500);
        const QImage fresh = Picture(working);
        for (auto [entry, s, e] : {std::tuple{stored, 1000, 4000}, {reversed, 3000, 500}}) {
            Click(entry);
            const QImage shown = working.Picture().copy(), shownFinal = final.Picture().copy();
            QCOMPARE(shownFinal, Picture(final, true, s, e));
            QCOMPARE(shown, Picture(working, true, s, e));
            // The 2-pixel line at x1 inverts the columns x1 - 1 and x1, no more.
            const int x1 = working.SampleToMarkPixel(s) + 1;
            QCOMPARE(shown.pixel(x1, 3), fresh.pixel(x1, 3) ^ 0x00FFFFFFu);
            QCOMPARE(shown.pixel(x1 + 1, 3), fresh.pixel(x1 + 1, 3));
        }
        QCOMPARE(working.SelStart(), 10);
        QCOMPARE(working.SelEnd(), 20);
        // The next click repaints first; an entry that does not read draws nothing.
        for (QTreeWidgetItem* entry : {Plain({"a", "b", "c", "1000", "40x"}), Plain({"a", "b", "c", "1000"})}) {
            Click(stored);
            Click(entry);
            const QImage shownFinal = final.Picture().copy();
            QCOMPARE(working.Picture(), fresh);
            QCOMPARE(shownFinal, Picture(final));
        }
    }

    void popupEnablesByEntriesAndSelection()
    {
        const struct {
            int entries, selected;  // -1: none selected
            bool deleteOn, clearOn;
        } cases[] = {{0, -1, false, false}, {2, -1, false, true}, {2, 1, true, true}};
        for (const auto& c : cases) {
            List().clear();
            for (int i = 0; i < c.entries; ++i)
                List().AppendEntry(i * 1000, i * 1000 + 500);
            if (c.selected >= 0)
                List().topLevelItem(c.selected)->setSelected(true);
            QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), List().mapToGlobal(QPoint(5, 5)));
            QApplication::sendEvent(List().viewport(), &event);
            QTRY_VERIFY(List().PopupMenu2->isVisible());
            QCOMPARE(List().Delete2->text() + List().Clear2->text(), QStringLiteral("DeleteClear"));
            QCOMPARE(List().Delete2->isEnabled(), c.deleteOn);
            QCOMPARE(List().Clear2->isEnabled(), c.clearOn);
            List().PopupMenu2->close();
        }
    }

    void deleteAndClearAnnounceEachEntry()
    {
        QSignalSpy removed(&List(), &TSelectionsList::EntryRemoved);
        QTreeWidgetItem* a = List().AppendEntry(100, 300);
        QTreeWidgetItem* b = List().AppendEntry(200, 400);
        QTreeWidgetItem* c = List().AppendEntry(300, 500);
        QTreeWidgetItem* d = List().AppendEntry(400, 600);
        QTreeWidget other;
        List().RemoveEntry(new QTreeWidgetItem(&other));
        List().RemoveEntry(nullptr);
        QCOMPARE(other.topLevelItemCount(), 1);

        List().setCurrentItem(b);
        List().Delete2->trigger();
        QCOMPARE(List().SelectedEntry(), nullptr);  // no neighbour chosen for the user
        List().RemoveEntry(d);  // the trash can's way
        QCOMPARE(List().topLevelItem(0), a);
        QCOMPARE(List().topLevelItem(1), c);
        List().Clear2->trigger();
        QCOMPARE(List().topLevelItemCount(), 0);
        QList<const void*> order;
        for (const QList<QVariant>& call : removed)
            order << call[0].value<const QTreeWidgetItem*>();
        QCOMPARE(order, (QList<const void*>{b, d, a, c}));
        QVERIFY(Fx.Dialogs().Log.isEmpty());  // not asked
    }

    void pluginsReceiveZerosForEntriesThatDoNotRead()
    {
        List().AppendEntry(10, 200);
        for (const QStringList& texts : QList<QStringList>{{"a", "b", "c", "x", "5"}, {"a", "b", "c", "7", ""},
                                                           {"a", "b", "c", "-3", "+4"}, {"a", "b", "c"}})
            Plain(texts);
        List().AppendEntry(-5, 2147483647);
        QCOMPARE(List().StoredRanges(),
                 (std::vector<TStoredRange>{{10, 200}, {0, 0}, {0, 0}, {-3, 4}, {0, 0}, {-5, 2147483647}}));
        for (const QTreeWidgetItem* entry : {List().topLevelItem(1), List().topLevelItem(4), (QTreeWidgetItem*)nullptr})
            QVERIFY(!TSelectionsList::EntryRange(entry));
    }

    void pointerMovementShowsTheListsHint()
    {
        Fx.Form().statusBar()->showMessage("before");
        QTest::mouseMove(List().viewport(), QPoint(20, 20));
        QCOMPARE(Status(), QStringLiteral("Selections list. Drag often needed selection in here."));
    }
};

int main(int argc, char** argv)
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    TApplication app(argc, argv);
    TestSelectionsList test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_selectionslist.moc"
