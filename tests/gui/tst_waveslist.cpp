// The Waves list on its own: entries and the waves they own, the popup menu, F2
// renaming, Clear list / Delete, auto play and auto show into a Working Wave pane.

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

#include "app/WavesList.h"
#include "support/ScriptedDialogs.h"
#include "view/wavpaint.h"
#include "tests/support/TestWaves.h"

namespace {

int gReleased = 0;

// A wave that counts its own release, to see when an entry lets go of it.
class TCountedWave : public TTxWavStream {
public:
    ~TCountedWave() override { ++gReleased; }
};

std::unique_ptr<TTxWavStream> MakeWave(int32_t size, uint8_t first = 128, bool counted = false)
{
    std::unique_ptr<TTxWavStream> wave = counted ? std::make_unique<TCountedWave>()
                                                 : std::make_unique<TTxWavStream>();
    wave->SetFormat(WorkingFormat());
    wave->SetSize(size);
    for (int32_t i = 0; i < size; ++i)
        wave->Memory()[i] = static_cast<uint8_t>(first + i * 7);
    return wave;
}

using testwaves::Bytes;


} // namespace

class TestWavesList : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TScriptedDialogs> FDialogs;

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void init()
    {
        FDialogs = std::make_unique<TScriptedDialogs>();
        gReleased = 0;
    }
    void cleanup() { FDialogs.reset(); }

    void entriesKeepOrderAndOwnTheirWaves()
    {
        TWavesList list(nullptr);
        QCOMPARE(list.columnCount(), 2);
        QCOMPARE(list.headerItem()->text(0), QStringLiteral("Name"));
        QCOMPARE(list.headerItem()->text(1), QStringLiteral("Length"));
        QCOMPARE(list.selectionMode(), QAbstractItemView::SingleSelection);
        QCOMPARE(list.selectionBehavior(), QAbstractItemView::SelectRows);

        auto first = MakeWave(22050);
        TTxWavStream* firstWave = first.get();
        QTreeWidgetItem* a = list.AppendEntry("door", std::move(first));
        QTreeWidgetItem* b = list.AppendEntry("door", MakeWave(1323000));
        QTreeWidgetItem* c = list.AppendEntry("empty", MakeWave(0));
        QCOMPARE(list.topLevelItemCount(), 3);
        QCOMPARE(list.topLevelItem(0), a);
        QCOMPARE(list.topLevelItem(2), c);
        QCOMPARE(a->text(0), QStringLiteral("door"));
        QCOMPARE(b->text(0), QStringLiteral("door"));
        QCOMPARE(a->text(1), QStringLiteral("0' 1.000\""));
        QCOMPARE(b->text(1), QStringLiteral("1' 0.000\""));
        QCOMPARE(c->text(1), QStringLiteral("0' 0.000\""));
        QCOMPARE(TWavesList::EntryWave(a), firstWave);
        QVERIFY(TWavesList::EntryWave(b) != firstWave);
        QCOMPARE(TWavesList::EntryWave(nullptr), nullptr);
        QCOMPARE(list.SelectedEntry(), nullptr);

        // The separator follows the user's locale.
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(TWavesList::LengthText(33075), QStringLiteral("0' 1,500\""));
        QLocale::setDefault(QLocale::c());

        // A new wave for an existing entry replaces the old one and its Length text.
        list.SetEntryWave(c, MakeWave(11025, 1, true));
        QCOMPARE(c->text(1), QStringLiteral("0' 0.500\""));
        QCOMPARE(TWavesList::EntryWave(c)->Size(), 11025);
        list.SetEntryWave(c, MakeWave(5));
        QCOMPARE(gReleased, 1);
    }

    // Each row shows its whole text, down to the underscore below the baseline, at any
    // size the desktop may give the font: "_" does not look like an empty caption, and
    // no glyph reaches the row's bottom edge, where the row would cut it.
    void rowsShowTheirWholeText()
    {
        const auto row = [](const char* caption, int points) {
            TWavesList list(nullptr);
            QFont font = list.font();
            font.setPointSize(points);
            list.setFont(font);
            list.resize(400, 200);
            QTreeWidgetItem* entry = list.AppendEntry(QString::fromLatin1(caption), MakeWave(100));
            list.show();
            // The name column without the grid lines under and right of it.
            const QRect cell = list.visualRect(list.model()->index(0, 0)).adjusted(0, 0, -1, -1);
            Q_UNUSED(entry);
            return list.viewport()->grab().toImage().copy(cell);
        };
        for (int points : {6, 8, 9, 10, 12, 16, 24}) {
            const QString at = QStringLiteral(" at %1 points").arg(points);
            QVERIFY2(row("_", points) != row("", points), qPrintable("the underscore is hidden" + at));
            const QImage text = row("gjpqy_", points);
            bool ink = false;
            for (int x = 0; x < text.width(); ++x)
                ink = ink || qGray(text.pixel(x, text.height() - 1)) < 128;
            QVERIFY2(!ink, qPrintable("the descenders reach the row's edge" + at));
        }
    }

    void everyWayOutReleasesTheWave()
    {
        auto list = std::make_unique<TWavesList>(nullptr);
        QTreeWidgetItem* a = list->AppendEntry("a", MakeWave(100, 1, true));
        QTreeWidgetItem* b = list->AppendEntry("b", MakeWave(100, 2, true));
        QTreeWidgetItem* c = list->AppendEntry("c", MakeWave(100, 3, true));
        list->AppendEntry("d", MakeWave(100, 4, true));
        list->AppendEntry("e", MakeWave(100, 5, true));

        list->RemoveEntry(b);  // trash can
        QCOMPARE(gReleased, 1);
        QCOMPARE(list->topLevelItemCount(), 4);
        QCOMPARE(list->topLevelItem(1), c);

        list->setCurrentItem(c);
        QCOMPARE(list->SelectedEntry(), c);
        list->Delete1Click();
        QCOMPARE(gReleased, 2);
        QCOMPARE(list->topLevelItemCount(), 3);

        delete a;  // other code deleting a row directly
        QCOMPARE(gReleased, 3);
        QCOMPARE(list->topLevelItemCount(), 2);
        QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("d"));

        list.reset();  // the end of the program
        QCOMPARE(gReleased, 5);

        TWavesList cleared(nullptr);
        cleared.AppendEntry("x", MakeWave(10, 1, true));
        cleared.AppendEntry("y", MakeWave(10, 1, true));
        FDialogs->DefaultConfirm = true;
        cleared.Clear1Click();
        QCOMPARE(gReleased, 7);
    }

    void deleteAndClearList()
    {
        TWavesList list(nullptr);
        // Clearing an empty list asks nothing.
        list.Clear1Click();
        QVERIFY(FDialogs->Questions.isEmpty());

        QTreeWidgetItem* a = list.AppendEntry("a", MakeWave(100));
        list.AppendEntry("b", MakeWave(100));
        list.AppendEntry("c", MakeWave(100));

        // Delete with nothing selected does nothing.
        list.Delete1Click();
        QCOMPARE(list.topLevelItemCount(), 3);

        FDialogs->DefaultConfirm = false;
        list.Clear1Click();
        QCOMPARE(FDialogs->Questions, QStringList{"Are you sure you want to clear the list?"});
        QCOMPARE(list.topLevelItemCount(), 3);
        QCOMPARE(list.topLevelItem(0), a);
        QCOMPARE(TWavesList::EntryWave(a)->Size(), 100);

        list.setCurrentItem(a);
        list.Delete1Click();  // without asking
        QCOMPARE(FDialogs->Questions.size(), 1);
        QCOMPARE(list.topLevelItemCount(), 2);
        QCOMPARE(list.topLevelItem(0)->text(0), QStringLiteral("b"));

        FDialogs->DefaultConfirm = true;
        list.Clear1Click();
        QCOMPARE(FDialogs->Questions.size(), 2);
        QCOMPARE(list.topLevelItemCount(), 0);
        QCOMPARE(list.SelectedEntry(), nullptr);
        QVERIFY(FDialogs->Messages.isEmpty());
    }

    void popupMenuItemsAndStates()
    {
        TWavesList list(nullptr);
        list.resize(300, 200);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));

        const QList<QAction*> items = list.PopupMenu1->actions();
        QCOMPARE(items.size(), 7);
        QCOMPARE(items[0], list.Play1);
        QVERIFY(items[1]->isSeparator());
        QCOMPARE(items[2], list.Delete1);
        QCOMPARE(items[3], list.Clear1);
        QVERIFY(items[4]->isSeparator());
        QCOMPARE(items[5], list.AutoShow1);
        QCOMPARE(items[6], list.Autoplay1);
        QCOMPARE(list.Clear1->text(), QStringLiteral("Clear list"));
        QCOMPARE(list.AutoShow1->text(), QStringLiteral("Auto show waveform"));
        QCOMPARE(list.Autoplay1->text(), QStringLiteral("Auto play"));
        QVERIFY(list.AutoShow1->isCheckable() && !list.AutoShow());
        QVERIFY(list.Autoplay1->isCheckable() && !list.AutoPlay());

        // The popup opened by the toolkit's context-menu request updates itself first.
        auto openPopup = [&] {
            QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), list.mapToGlobal(QPoint(5, 5)));
            QApplication::sendEvent(list.viewport(), &event);
            QTRY_VERIFY(list.PopupMenu1->isVisible());
            list.PopupMenu1->hide();
        };
        openPopup();
        QCOMPARE(list.Delete1->text(), QStringLiteral("Delete"));
        QCOMPARE(list.Play1->text(), QStringLiteral("Play"));
        QVERIFY(!list.Delete1->isEnabled());
        QVERIFY(!list.Play1->isEnabled());
        QVERIFY(!list.Clear1->isEnabled());

        QTreeWidgetItem* a = list.AppendEntry("take.1", MakeWave(100));
        list.AppendEntry("b", MakeWave(100));
        openPopup();
        QCOMPARE(list.Delete1->text(), QStringLiteral("Delete"));
        QVERIFY(!list.Delete1->isEnabled());
        QVERIFY(list.Clear1->isEnabled());

        list.setCurrentItem(a);
        openPopup();
        QCOMPARE(list.Delete1->text(), QStringLiteral("Delete take.1"));
        QCOMPARE(list.Play1->text(), QStringLiteral("Play take.1"));
        QVERIFY(list.Delete1->isEnabled());
        QVERIFY(list.Play1->isEnabled());

        // F2 opens the caption for editing; what is confirmed becomes the caption.
        QTest::keyClick(&list, Qt::Key_F2);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor);
        QVERIFY(list.isAncestorOf(editor));
        QCOMPARE(editor->text(), QStringLiteral("take.1"));
        editor->selectAll();
        QTest::keyClicks(editor, "slam \"hard\"");
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(a->text(0), QStringLiteral("slam \"hard\""));
        QCOMPARE(a->text(1), QStringLiteral("0' 0.005\""));
        openPopup();
        QCOMPARE(list.Delete1->text(), QStringLiteral("Delete slam \"hard\""));
        QCOMPARE(list.Play1->text(), QStringLiteral("Play slam \"hard\""));

        // No entry selected: F2 opens nothing.
        list.clearSelection();
        list.setFocus();
        QTest::keyClick(&list, Qt::Key_F2);
        QVERIFY(!qobject_cast<QLineEdit*>(QApplication::focusWidget()));
        openPopup();
        QCOMPARE(list.Play1->text(), QStringLiteral("Play"));
        QVERIFY(!list.Play1->isEnabled());

        // The check items flip their own mark.
        list.AutoShow1->trigger();
        QVERIFY(list.AutoShow() && !list.AutoPlay());
        list.Autoplay1Click();
        QVERIFY(list.AutoShow() && list.AutoPlay());
        list.AutoShowClick();
        QVERIFY(!list.AutoShow() && list.AutoPlay());
    }

    void playAndAutoPlay()
    {
        TWavesList list(nullptr);
        QList<TTxWavStream*> played;
        list.OnPlay = [&](TTxWavStream& wave) { played << &wave; };
        QTreeWidgetItem* a = list.AppendEntry("a", MakeWave(100));
        QTreeWidgetItem* b = list.AppendEntry("b", MakeWave(200));

        list.Play1->trigger();  // nothing selected
        QVERIFY(played.isEmpty());

        list.setCurrentItem(a);  // auto play off
        QVERIFY(played.isEmpty());
        list.Play1->trigger();
        QCOMPARE(played, QList<TTxWavStream*>{TWavesList::EntryWave(a)});

        played.clear();
        list.Autoplay1->trigger();
        list.setCurrentItem(b);
        QCOMPARE(played, QList<TTxWavStream*>{TWavesList::EntryWave(b)});
        list.clearSelection();  // unselecting plays nothing
        QCOMPARE(played.size(), 1);
        // Deleting the selected entry leaves nothing selected and plays nothing.
        list.setCurrentItem(a);
        QCOMPARE(played.size(), 2);
        list.Delete1Click();
        QCOMPARE(played.size(), 2);
        QCOMPARE(list.SelectedEntry(), nullptr);
    }

    void autoShowCopiesIntoAnEmptyPane()
    {
        QWidget host;
        host.resize(400, 150);
        TWavPaintBox pane(&host, "Working Wave", &host);
        pane.Wave()->SetFormat(WorkingFormat());
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));

        TWavesList list(nullptr);
        list.WorkingPane = &pane;
        int plays = 0;
        list.OnPlay = [&](TTxWavStream&) { ++plays; };
        QTreeWidgetItem* a = list.AppendEntry("a", MakeWave(3000, 10));
        TWavesList::EntryWave(a)->SetSelStart(100);
        TWavesList::EntryWave(a)->SetSelEnd(199);

        list.setCurrentItem(a);  // auto show off: the pane stays empty
        QCOMPARE(pane.Wave()->Size(), 0);
        list.clearSelection();

        list.AutoShowClick();
        list.setCurrentItem(a);
        QCOMPARE(plays, 0);
        QVERIFY(pane.Wave() != TWavesList::EntryWave(a));
        QCOMPARE(Bytes(*pane.Wave()), Bytes(*TWavesList::EntryWave(a)));
        QCOMPARE(pane.SelStart(), 100);
        QCOMPARE(pane.SelEnd(), 199);
        QCOMPARE(pane.WaveName, QStringLiteral("Working Wave"));
        QVERIFY(pane.Wave()->IsSameFormat(WorkingFormat()));
        // Shown at once: the picture is that of the copied wave.
        QImage expected(pane.Picture().size(), pane.Picture().format());
        TWavPaintBox::Render(expected, *pane.Wave(), pane.WaveName, pane.Precision, pane.MarkStart,
                             pane.MarkEnd, pane.MarkColour, pane.font());
        QCOMPARE(pane.Picture(), expected);

        const auto copy = Bytes(*pane.Wave());
        list.Delete1Click();
        QCOMPARE(list.topLevelItemCount(), 0);
        QCOMPARE(Bytes(*pane.Wave()), copy);
        QCOMPARE(pane.SelStart(), 100);
    }

    void autoShowOnAFullPaneOnlyPaintsUntilTheButtonIsReleased()
    {
        QWidget host;
        host.resize(700, 300);
        TWavPaintBox pane(&host, "Working Wave", &host);
        pane.setGeometry(0, 0, 400, 300);
        pane.Wave()->SetFormat(WorkingFormat());
        TWavesList list(&host);
        list.setGeometry(400, 0, 300, 300);
        list.WorkingPane = &pane;
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));

        // The pane's own wave: quiet; the entry: loud, so the two pictures differ.
        TTxWavStream own;
        own.SetFormat(WorkingFormat());
        own.SetSize(5000);
        std::fill(own.Memory(), own.Memory() + own.Size(), uint8_t(130));
        own.SetSelStart(10);
        own.SetSelEnd(20);
        pane.Wave()->Assign(own);
        pane.Repaint();
        const QImage ownPicture = pane.Picture();
        const auto ownBytes = Bytes(*pane.Wave());

        auto loud = MakeWave(800, 0);
        for (int32_t i = 0; i < loud->Size(); ++i)
            loud->Memory()[i] = (i & 1) ? 250 : 5;
        QTreeWidgetItem* entry = list.AppendEntry("loud", std::move(loud));
        list.AutoShowClick();

        const QPoint at = list.visualItemRect(entry).center();
        QTest::mousePress(list.viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(list.SelectedEntry(), entry);
        QVERIFY(pane.Picture() != ownPicture);  // the entry is shown while the button is down
        QCOMPARE(Bytes(*pane.Wave()), ownBytes);
        QCOMPARE(pane.SelStart(), 10);
        QCOMPARE(pane.SelEnd(), 20);

        QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(pane.Picture(), ownPicture);
        QCOMPARE(Bytes(*pane.Wave()), ownBytes);
        QCOMPARE(pane.WaveName, QStringLiteral("Working Wave"));

        // Any release repaints, also the right button's.
        pane.PaintOnce(*TWavesList::EntryWave(entry));
        QVERIFY(pane.Picture() != ownPicture);
        QTest::mouseRelease(list.viewport(), Qt::RightButton, {}, QPoint(5, 250));
        QCOMPARE(pane.Picture(), ownPicture);
        QVERIFY(FDialogs->Messages.isEmpty());
    }
};

QTEST_MAIN(TestWavesList)
#include "tst_waveslist.moc"
