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
#include "tests/support/TestWaves.h"
#include "view/PaneCanvas.h"
#include "view/wavpaint.h"

using namespace testwaves;

class TestSelectionsList : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TAboutBox> FAbout;
    std::unique_ptr<TForm1> FForm;
    std::unique_ptr<TScriptedDialogs> FDialogs;

    TSelectionsList& List() { return *FForm->SelectList; }
    QString Status() { return FForm->statusBar()->currentMessage(); }
    QTreeWidgetItem* Plain(const QString& start, const QString& end)
    {
        return new QTreeWidgetItem(&List(), {"a", "b", "c", start, end});
    }
    void Click(QTreeWidgetItem* entry)
    {
        QTest::mouseClick(List().viewport(), Qt::LeftButton, {}, List().visualItemRect(entry).center());
    }
    // The pane's picture freshly painted, with the bracket of s..e drawn on it as
    // exclusive-or lines at the mark pixels.
    static QImage Bracketed(TWavPaintBox& pane, int32_t s, int32_t e)
    {
        pane.Repaint();
        QImage image = pane.Picture().copy();
        const int h = pane.height();
        const int x1 = pane.SampleToMarkPixel(s) + 1, x2 = pane.SampleToMarkPixel(e) - 1;
        TPaneCanvas canvas(image);
        canvas.Line(x1, 1, x1, h, 0xFFFFFF, 2, TPenMode::Xor);
        canvas.Line(x2, 1, x2, h, 0xFFFFFF, 2, TPenMode::Xor);
        canvas.Line(x1, h / 2, x2, h / 2, 0xFFFFFF, 2, TPenMode::Xor);
        return image;
    }
    static QImage Fresh(TWavPaintBox& pane)
    {
        pane.Repaint();
        return pane.Picture().copy();
    }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    void init()
    {
        FDialogs = std::make_unique<TScriptedDialogs>();
        FAbout = std::make_unique<TAboutBox>();
        FForm = std::make_unique<TForm1>(FAbout.get());
        FForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(FForm.get()));
        Fill(*FForm->WorkingPane->Wave(), ByteVector(10000, 140));
        Fill(*FForm->FinalPane->Wave(), ByteVector(5000, 120));
    }
    void cleanup()
    {
        FForm.reset();
        FAbout.reset();
        FDialogs.reset();
    }

    void storesAPaneSelectionLongerThan101Samples_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::addColumn<bool>("withWave");
        QTest::addColumn<bool>("hasListItem");
        QTest::addColumn<QStringList>("texts");  // empty: refused
        QTest::newRow("span 100") << 1000 << 1100 << true << false << QStringList{};
        QTest::newRow("span 101") << 1000 << 1101 << true << false
                                  << QStringList{"0' 0,045\"", "0' 0,050\"", "0' 0,005\"", "1000", "1101"};
        QTest::newRow("whole wave") << 0 << 9999 << true << false
                                    << QStringList{"0' 0,000\"", "0' 0,453\"", "0' 0,454\"", "0", "9999"};
        QTest::newRow("a list entry") << 1000 << 1101 << true << true << QStringList{};
        QTest::newRow("no wave") << 0 << 0 << false << false << QStringList{};
    }
    void storesAPaneSelectionLongerThan101Samples()
    {
        QFETCH(int, start);
        QFETCH(int, end);
        QFETCH(bool, withWave);
        QFETCH(bool, hasListItem);
        QFETCH(QStringList, texts);
        FForm->WorkingPane->SetSelection(start, end);
        const TTxWavStream* wave = withWave ? FForm->WorkingPane->Wave() : nullptr;
        FForm->statusBar()->showMessage("before");
        QCOMPARE(TSelectionsList::CanStore(wave, hasListItem), !texts.isEmpty());
        QCOMPARE(List().SelectListDragOver(wave, hasListItem), !texts.isEmpty());
        QCOMPARE(Status(), texts.isEmpty() ? QStringLiteral("before") : QStringLiteral("Drop to add this selection"));
        List().SelectListDragLeave();
        QCOMPARE(Status(), QString());
        if (texts.isEmpty())
            return;
        List().AppendEntry(7, 300);  // the new entry goes last
        QTreeWidgetItem* entry = List().Store(*wave);
        QCOMPARE(List().topLevelItemCount(), 2);
        QCOMPARE(List().topLevelItem(1), entry);
        QStringList shown;
        for (int c = 0; c < entry->columnCount(); ++c)
            shown << entry->text(c);
        QCOMPARE(shown, texts);
        QCOMPARE(List().columnCount(), 3);  // the offsets are not shown
        for (int c = 0; c < 3; ++c)
            QCOMPARE(List().header()->sectionResizeMode(c), QHeaderView::ResizeToContents);
        QVERIFY(dynamic_cast<TGridDelegate*>(List().itemDelegate()));
        QCOMPARE(FForm->WorkingPane->SelStart(), start);
        QCOMPARE(FForm->WorkingPane->SelEnd(), end);
    }

    void clickBracketsTheEntryOnBothPanes()
    {
        TWavPaintBox& working = *FForm->WorkingPane;
        TWavPaintBox& final = *FForm->FinalPane;
        working.SetSelection(10, 20);
        QTreeWidgetItem* stored = List().AppendEntry(1000, 4000);
        QTreeWidgetItem* reversed = List().AppendEntry(3000, 500);
        QTreeWidgetItem* unreadable = Plain("1000", "40x");
        QTreeWidgetItem* noOffsets = new QTreeWidgetItem(&List(), {"a", "b", "c", "1000"});
        const QImage freshWorking = Fresh(working), freshFinal = Fresh(final);
        for (auto [entry, s, e] : {std::tuple{stored, 1000, 4000}, std::tuple{reversed, 3000, 500}}) {
            Click(entry);
            QCOMPARE(List().SelectedEntry(), entry);
            const QImage shownWorking = working.Picture().copy(), shownFinal = final.Picture().copy();
            QVERIFY(shownWorking != freshWorking);
            QCOMPARE(shownWorking, Bracketed(working, s, e));
            QCOMPARE(shownFinal, Bracketed(final, s, e));
            // The 2-pixel line at x1 inverts the columns x1 - 1 and x1, no more.
            const int x1 = working.SampleToMarkPixel(s) + 1;
            QCOMPARE(shownWorking.pixel(x1, 3), freshWorking.pixel(x1, 3) ^ 0x00FFFFFFu);
            QCOMPARE(shownWorking.pixel(x1 + 1, 3), freshWorking.pixel(x1 + 1, 3));
        }
        QCOMPARE(working.SelStart(), 10);
        QCOMPARE(working.SelEnd(), 20);
        // The next click repaints first, and an entry that does not read draws nothing.
        for (QTreeWidgetItem* entry : {unreadable, noOffsets}) {
            Click(stored);
            Click(entry);
            QCOMPARE(working.Picture(), freshWorking);
            QCOMPARE(final.Picture(), freshFinal);
        }
    }

    void popupEnablesByEntriesAndSelection_data()
    {
        QTest::addColumn<int>("entries");
        QTest::addColumn<int>("selected");  // -1 none
        QTest::addColumn<bool>("deleteOn");
        QTest::addColumn<bool>("clearOn");
        QTest::newRow("empty") << 0 << -1 << false << false;
        QTest::newRow("entries, none selected") << 2 << -1 << false << true;
        QTest::newRow("one selected") << 2 << 1 << true << true;
    }
    void popupEnablesByEntriesAndSelection()
    {
        QFETCH(int, entries);
        QFETCH(int, selected);
        for (int i = 0; i < entries; ++i)
            List().AppendEntry(i * 1000, i * 1000 + 500);
        if (selected >= 0)
            List().topLevelItem(selected)->setSelected(true);
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), List().mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(List().viewport(), &event);
        QTRY_VERIFY(List().PopupMenu2->isVisible());
        QCOMPARE(List().Delete2->text(), QStringLiteral("Delete"));
        QCOMPARE(List().Clear2->text(), QStringLiteral("Clear"));
        QTEST(List().Delete2->isEnabled(), "deleteOn");
        QTEST(List().Clear2->isEnabled(), "clearOn");
        List().PopupMenu2->close();
    }

    void deleteAndClearAnnounceEachEntry()
    {
        QSignalSpy removed(&List(), &TSelectionsList::EntryRemoved);
        QTreeWidgetItem* a = List().AppendEntry(100, 300);
        QTreeWidgetItem* b = List().AppendEntry(200, 400);
        QTreeWidgetItem* c = List().AppendEntry(300, 500);
        QTreeWidgetItem* d = List().AppendEntry(400, 600);
        QTreeWidget other;
        auto* foreign = new QTreeWidgetItem(&other);
        List().RemoveEntry(foreign);
        List().RemoveEntry(nullptr);
        QCOMPARE(removed.count(), 0);
        QCOMPARE(other.topLevelItemCount(), 1);

        List().setCurrentItem(b);
        List().Delete2->trigger();
        QCOMPARE(List().SelectedEntry(), nullptr);  // no neighbour chosen for the user
        List().RemoveEntry(d);  // the trash can's way
        QCOMPARE(List().topLevelItemCount(), 2);
        QCOMPARE(List().topLevelItem(0), a);
        QCOMPARE(List().topLevelItem(1), c);
        List().Clear2->trigger();
        QCOMPARE(List().topLevelItemCount(), 0);
        QList<const void*> order;
        for (const QList<QVariant>& call : removed)
            order << call[0].value<const QTreeWidgetItem*>();
        QCOMPARE(order, (QList<const void*>{b, d, a, c}));
        QVERIFY(FDialogs->Log.isEmpty());
    }

    void pluginsReceiveZerosForEntriesThatDoNotRead()
    {
        List().AppendEntry(10, 200);
        Plain("x", "5");
        Plain("7", "");
        Plain("-3", "+4");
        new QTreeWidgetItem(&List(), {"a", "b", "c"});
        List().AppendEntry(-5, 2147483647);
        QCOMPARE(List().StoredRanges(),
                 (std::vector<TStoredRange>{{10, 200}, {0, 0}, {0, 0}, {-3, 4}, {0, 0}, {-5, 2147483647}}));
        for (const QTreeWidgetItem* entry : {List().topLevelItem(1), List().topLevelItem(4), static_cast<QTreeWidgetItem*>(nullptr)})
            QVERIFY(!TSelectionsList::EntryRange(entry));
    }

    void pointerMovementShowsTheListsHint()
    {
        FForm->statusBar()->showMessage("before");
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
