// Plug-ins in the real window: the scan into the Plugins menu, the splash lines and
// pauses, the common handler and the quick button, and filter runs with the records a
// filter receives and returns. The test libraries (tests/plugins) log every call.
#include <QFile>
#include <QLabel>
#include <QElapsedTimer>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include "about/Unit2.h"
#include "app/RangePlayer.h"
#include "app/SelectionsList.h"
#include "app/WavesList.h"
#include "app/main.h"
#include "platform/actions.h"
#include "platform/dynlib.h"
#include "plugins/PluginHost.h"
#include "plugins/PluginIcons.h"
#include "plugins/PluginResult.h"
#include "plugins/PluginRunner.h"
#include "support/ScriptedDialogs.h"
#include "support/WindowFixture.h"
#include "tests/support/TestWaves.h"
#include "view/wavpaint.h"

namespace {

// 22, 23 or 29 when the icon shows that picture of the window's list, else -1.
int IconIndex(const QIcon& icon)
{
    if (icon.isNull())
        return -1;
    const QImage image = icon.pixmap(16, 16).toImage();
    for (int index : {PluginIcons::WrongVersion, PluginIcons::Loaded, PluginIcons::QuickButton})
        if (PluginIcons::Icon(index).pixmap(16, 16).toImage() == image)
            return index;
    return -1;
}

// "Caption@icon{sub,entries,-}" for one menu entry.
QString Describe(QAction* entry)
{
    if (entry->isSeparator())
        return QStringLiteral("-");
    QString text = entry->text();
    if (const int icon = IconIndex(entry->icon()); icon >= 0)
        text += QLatin1Char('@') + QString::number(icon);
    if (QMenu* sub = entry->menu()) {
        QStringList entries;
        for (QAction* a : sub->actions())
            entries << Describe(a);
        text += QLatin1Char('{') + entries.join(QLatin1Char(',')) + QLatin1Char('}');
    }
    return text;
}

// Records the splash line each time the box paints it with a new text.
class TLineRecorder : public QObject {
public:
    QStringList Lines;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* label = static_cast<QLabel*>(watched);
        if (event->type() == QEvent::Paint && (Lines.isEmpty() || Lines.last() != label->text()))
            Lines << label->text();
        return false;
    }
};

} // namespace

class TestPlugins : public QObject {
    Q_OBJECT

private:
    QTemporaryDir FConfig;
    TWindowFixture Fx;  // its folder is the plug-in folder
    QList<uint32_t> FPauses;
    QString FLogPath;

    // Copies test libraries into the plug-in folder: "tp_two" as "tp_two.txf", or
    // "tp_two=a.txf" under another name; "junk.txf" is a file that is no library.
    void Install(const QStringList& libraries)
    {
        for (const QString& entry : libraries) {
            const QString source = entry.section(QLatin1Char('='), 0, 0);
            QString target = entry.section(QLatin1Char('='), 1, 1);
            if (target.isEmpty())
                target = source.endsWith(QLatin1String(".txf")) ? source : source + QStringLiteral(".txf");
            const QString path = Fx.Dir().filePath(target);
            if (source == QLatin1String("junk.txf")) {
                QFile junk(path);
                QVERIFY(junk.open(QIODevice::WriteOnly));
                junk.write("not a library");
            } else {
                QVERIFY(QFile::copy(QStringLiteral(SONOVANE_TEST_PLUGIN_DIR "/") + source + ".txf", path));
            }
        }
    }

    // The log lines since the last call.
    QStringList TakeLog()
    {
        QFile log(FLogPath);
        QStringList lines;
        if (log.open(QIODevice::ReadOnly))
            lines = QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        log.remove();
        return lines;
    }

    // Only the calls, without the records' dump.
    static QString Calls(const QStringList& log)
    {
        static const QRegularExpression call(QStringLiteral("^(load|unload|InitLib|FreeLib|Filter)"));
        return log.filter(call).join(QLatin1Char(' '));
    }

    QString MenuText() const
    {
        QStringList entries;
        for (QAction* a : Fx.Window().PlugInMenu()->actions())
            entries << Describe(a);
        return entries.join(QLatin1Char(' '));
    }

    // "caption|category|hint" of every filter action.
    QStringList FilterActions() const
    {
        QStringList list;
        for (TAction* a : Fx.Window().PluginActions()->Actions())
            if (a != Fx.Window().VersionMiss())
                list << a->Caption() + '|' + a->Category() + '|' + a->Hint();
        return list;
    }

    TAction* FilterAction(const QString& caption) const
    {
        for (TAction* a : Fx.Window().PluginActions()->Actions())
            if (a->Caption() == caption)
                return a;
        return nullptr;
    }

    // A filter action as the scan would make it, without scanning.
    TAction* MakeFilter(const QString& fileName, const QString& procName)
    {
        auto* a = new TAction(Fx.Window().PluginActions());
        a->SetCaption(QStringLiteral("Test"));
        a->SetCategory(fileName);
        a->SetHint(procName);
        a->OnExecute = [this](TAction* action) { Fx.Form().RunPluginFilter(action); };
        return a;
    }

    static std::unique_ptr<TTxWavStream> Wave(size_t size, int32_t selStart, int32_t selEnd)
    {
        auto wave = std::make_unique<TTxWavStream>();
        wave->SetFormat(WorkingFormat());
        testwaves::Fill(*wave, testwaves::Iota(size, 7));
        wave->SetSelStart(selStart);
        wave->SetSelEnd(selEnd);
        return wave;
    }

    TComposerDocument& Document() const { return *Fx.Window().Plugins()->Parts().Document; }

    // Both panes, two listed waves, two stored selections and one undo step.
    void FillDocument()
    {
        Fx.Window().WorkingPane()->Wave()->Assign(*Wave(300, 0, 0));
        Fx.Window().WorkingPane()->SetSelection(10, 20);
        Fx.Window().FinalPane()->Wave()->Assign(*Wave(50, 1, 3));
        Fx.Window().WavesList()->AppendEntry("one", Wave(100, 5, 9));
        Fx.Window().WavesList()->AppendEntry("two", Wave(7, 0, 6));
        Document().StoreSelection({10, 200});
        Document().StoreSelection({-3, 4});
        Document().RecordStep("Fade in selection");
    }

    // Every byte, selection, caption and stored range the user has, and the undo steps.
    QByteArray UserData() const
    {
        QByteArray all;
        const auto wave = [&all](const TTxWavStream& w) {
            all += QByteArray(reinterpret_cast<const char*>(w.Memory()), w.Size());
            all += QByteArray::number(w.SelStart()) + ".." + QByteArray::number(w.SelEnd()) + ';';
        };
        TComposerDocument& d = Document();
        wave(d.PaneWave(TPaneId::Working));
        wave(d.PaneWave(TPaneId::Final));
        for (int32_t i = 0; i < d.EntryCount(); ++i) {
            all += QByteArray::fromStdString(d.Entry(i).Caption) + ':';
            wave(*d.EntryWave(i));
        }
        for (const TStoredRange& r : d.StoredSelections())
            all += QByteArray::number(r.Start) + ".." + QByteArray::number(r.End) + ';';
        all += "undo " + QByteArray::number(d.Undo().StepCount());
        return all;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(FConfig.isValid());
        qputenv("XDG_CONFIG_HOME", FConfig.path().toLocal8Bit());
        FLogPath = FConfig.filePath(QStringLiteral("plugin.log"));
        qputenv("SONOVANE_TP_LOG", FLogPath.toLocal8Bit());
    }

    void init()
    {
        TWindowFixture::TOptions options;
        options.Show = TWindowFixture::TShow::Hidden;
        options.Splash = true;
        options.BeforeWindow = [](TWindowFixture& fx) { SetLibraryFolder(fx.Dir().path().toStdString()); };
        QVERIFY(Fx.Open(options));
        Fx.Window().Plugins()->Parts().ProgramDir = Fx.Dir().path() + QLatin1Char('/');
        FPauses.clear();
        Fx.Window().Plugins()->Pause = [this](uint32_t ms) { FPauses << ms; };
        qunsetenv("SONOVANE_TP_RETURN");
        TakeLog();
    }

    void cleanup()
    {
        Fx.Close();
        SetLibraryFolder(std::string());
    }

    void loadingRules_data()
    {
        QTest::addColumn<QStringList>("libraries");
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<QString>("calls");
        const QString loaded = QStringLiteral("load FreeLib unload");
        QTest::newRow("About last") << QStringList{"tp_two"} << "Two filters@23{Echo,About (tp_two.txf),-}"
                                    << QStringList{"Echo|tp_two.txf|Filter0", "About (tp_two.txf)|tp_two.txf|Filter1"}
                                    << loaded;
        QTest::newRow("About first")
            << QStringList{"tp_aboutfirst"} << "About first@23{About (tp_aboutfirst.txf),-,Echo}"
            << QStringList{"About (tp_aboutfirst.txf)|tp_aboutfirst.txf|Filter0", "Echo|tp_aboutfirst.txf|Filter1"}
            << loaded;
        QTest::newRow("single About") << QStringList{"tp_single_about"} << "About@23"
                                      << QStringList{"About|tp_single_about.txf|Filter0"} << loaded;
        QTest::newRow("zero filters") << QStringList{"tp_zero"} << "Zero@23{}" << QStringList{} << loaded;
        QTest::newRow("no GetPluginVersion") << QStringList{"tp_noversion"} << "No version@22" << QStringList{} << loaded;
        QTest::newRow("no GetFilterName") << QStringList{"tp_nofiltername"} << "Names only" << QStringList{} << loaded;
        QTest::newRow("no GetModulName") << QStringList{"tp_nomodname"} << "" << QStringList{} << loaded;
        QTest::newRow("no InitLib") << QStringList{"tp_noinit"} << "" << QStringList{} << "load unload";
        QTest::newRow("no FreeLib") << QStringList{"tp_nofree"} << "" << QStringList{} << "load unload";
        QTest::newRow("not a library") << QStringList{"junk.txf"} << "" << QStringList{} << "";
        QTest::newRow("none") << QStringList{} << "" << QStringList{} << "";
    }

    void loadingRules()
    {
        QFETCH(QStringList, libraries);
        QFETCH(QString, menu);
        QFETCH(QStringList, actions);
        QFETCH(QString, calls);
        Install(libraries);
        QCOMPARE(Fx.Window().Plugins()->PluginScanMessage(true), libraries.size());
        QCOMPARE(MenuText(), menu);
        QCOMPARE(FilterActions(), actions);
        QCOMPARE(Calls(TakeLog()), calls);
        // Icon 29 as soon as a library has named itself.
        QCOMPARE(IconIndex(Fx.Window().BtnQuickPlug()->icon()), menu.isEmpty() ? -1 : 29);
        QVERIFY(Fx.Dialogs().Messages.isEmpty());
        QVERIFY(FPauses.isEmpty());
        // An empty menu says so when chosen; a filled one opens instead.
        Fx.Window().PlugInMenuItem()->trigger();
        QCOMPARE(Fx.Dialogs().Messages, menu.isEmpty() ? QStringList{"No plugins installed!"} : QStringList{});
    }

    void splashLinesAndPauses()
    {
        Install({"tp_two=a.txf", "tp_two=b.txf", "tp_two=c.txf"});
        QStringList order;  // the folder's own order
        WIN32_FIND_DATAA data;
        HANDLE search = FindFirstFileA((Fx.Dir().path() + "/*.txf").toLocal8Bit().constData(), &data);
        do
            order << QString::fromLocal8Bit(data.cFileName);
        while (FindNextFileA(search, &data));
        FindClose(search);

        TLineRecorder lines;
        Fx.About().lbPlugins->installEventFilter(&lines);
        QStringList paused;
        Fx.Window().Plugins()->Pause = [&](uint32_t ms) { paused << QString::number(ms) + ' ' + Fx.About().lbPlugins->text(); };
        QCOMPARE(Fx.Window().Plugins()->PluginScanMessage(false), 3);

        QStringList expectedLines, expectedPauses;
        for (const QString& name : order) {
            const QString line = "Plugins: " + name;
            expectedLines << line << line + "/Filter0" << line + "/Filter1";
            expectedPauses << "100 " + line + "/Filter0" << "100 " + line + "/Filter1" << "250 " + line + "/Filter1";
        }
        expectedPauses << "500 Plugins: " + order.last() + "/Filter1";
        QCOMPARE(lines.Lines, expectedLines << QString());
        QCOMPARE(paused, expectedPauses);
        int total = 0;
        for (const QString& p : paused)
            total += p.section(' ', 0, 0).toInt();
        QCOMPARE(total, 3 * 250 + 6 * 100 + 500);
        // The end: the line emptied but still shown, the splash gone, the default pointer.
        QCOMPARE(Fx.About().lbPlugins->text(), QString());
        QVERIFY(Fx.About().lbPlugins->isVisibleTo(&Fx.About()));
        QVERIFY(!Fx.About().isVisible());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QStringList menu;
        for (const QString& name : order)
            menu << "Two filters@23{Echo,About (" + name + "),-}";
        QCOMPARE(MenuText(), menu.join(' '));
        QCOMPARE(Fx.Window().PluginActions()->Actions().size(), 1 + 6);

        // "-nodelay": the same scan without a single pause.
        Fx.About().ShowSplash();
        paused.clear();
        QCOMPARE(Fx.Window().Plugins()->PluginScanMessage(true), 3);
        QVERIFY(paused.isEmpty());
    }

    void commonHandlerAndQuickButton()
    {
        Install({"tp_noversion", "tp_two"});
        Fx.Window().Plugins()->PluginScanMessage(true);
        QAction* wrongVersion = nullptr;
        for (QAction* a : Fx.Window().PlugInMenu()->actions())
            if (a->text() == "No version")
                wrongVersion = a;
        QVERIFY(wrongVersion);
        TakeLog();

        Fx.Window().Player()->PlayRange(*Fx.Window().Sample(), 0, 0, true);
        QVERIFY(Fx.Window().Player()->PlayBuffer().Size() > 0);
        wrongVersion->trigger();
        QCOMPARE(Fx.Dialogs().Messages, QStringList{TPluginHost::VersionMissText});
        QCOMPARE(Fx.Window().Player()->PlayBuffer().Size(), 0);
        QCOMPARE(Fx.Window().BtnQuickPlug()->defaultAction(), Fx.Window().VersionMiss());
        QCOMPARE(Fx.Window().BtnQuickPlug()->toolTip(), QStringLiteral("Version missmatch"));
        QCOMPARE(IconIndex(Fx.Window().BtnQuickPlug()->icon()), 29);
        QCOMPARE(Fx.Window().LastActionText(), QStringLiteral("Version missmatch"));

        // A filter binds the button; pressing it runs the same filter again.
        TAction* echo = FilterAction("Echo");
        Fx.Window().Player()->PlayRange(*Fx.Window().Sample(), 0, 0, true);
        echo->trigger();
        QCOMPARE(Fx.Window().Player()->PlayBuffer().Size(), 0);
        QCOMPARE(Fx.Window().BtnQuickPlug()->defaultAction(), echo);
        QCOMPARE(Fx.Window().BtnQuickPlug()->toolTip(), QStringLiteral("Echo"));
        QCOMPARE(IconIndex(Fx.Window().BtnQuickPlug()->icon()), 29);
        Fx.Window().BtnQuickPlug()->click();
        QCOMPARE(Calls(TakeLog()), "load InitLib window Filter0 v2 FreeLib unload "
                                   "load InitLib window Filter0 v2 FreeLib unload");
        QCOMPARE(Fx.Dialogs().Messages.size(), 1);
    }

    void recordsAFilterReceives()
    {
        Install({"tp_v2"});
        TAction* filter = MakeFilter("tp_v2.txf", "Filter0");
        Fx.Window().WorkingPane()->Wave()->Assign(*Wave(300, 0, 0));
        Fx.Window().WorkingPane()->SetSelection(20, 10);
        Fx.Window().FinalPane()->Wave()->Assign(*Wave(5, 1, 3));
        Fx.Window().FinalPane()->WaveName = QStringLiteral("Final mix");

        // Empty lists: counts 0 and two cells holding 0; the call order around the filter.
        filter->trigger();
        QStringList log = TakeLog();
        QCOMPARE(Calls(log), "load InitLib window Filter0 v2 FreeLib unload");
        QCOMPARE(log.filter(QRegularExpression("^(working|final|lists)")),
                 (QStringList{"working name=Working Wave size=300 sel=10..20 data=set stream=set format=set bytes=7,8,9",
                              "working format=1/1/22050/22050/1/8",
                              "final name=Final mix size=5 sel=1..3 data=set stream=set format=set bytes=7,8,9",
                              "final format=1/1/22050/22050/1/8",
                              "lists waves=0 cell=0 selections=0 cell=0"}));

        // Three waves in list order, their selections passed as 0 and 0.
        Fx.Window().WavesList()->AppendEntry("one", Wave(100, 5, 9));
        Fx.Window().WavesList()->AppendEntry("two", Wave(200, 50, 60));
        Fx.Window().WavesList()->AppendEntry("three", Wave(3, 1, 2));
        // Stored selections as their hidden texts; one that does not read is 0 and 0.
        const QList<QStringList> stored{{"10", "200"}, {"x", "5"}, {"7", ""}, {"-3", "+4"}};
        for (const QStringList& texts : stored) {
            auto* entry = new QTreeWidgetItem(Fx.Window().SelectList());
            entry->setText(3, texts[0]);
            entry->setText(4, texts[1]);
        }
        filter->trigger();
        log = TakeLog();
        QCOMPARE(log.filter(QRegularExpression("^(lists|wave|selection)")),
                 (QStringList{"lists waves=3 cell=set selections=4 cell=set",
                              "wave0 name=one size=100 sel=0..0 data=set stream=set format=set bytes=7,8,9",
                              "wave0 format=1/1/22050/22050/1/8",
                              "wave1 name=two size=200 sel=0..0 data=set stream=set format=set bytes=7,8,9",
                              "wave1 format=1/1/22050/22050/1/8",
                              "wave2 name=three size=3 sel=0..0 data=set stream=set format=set bytes=7,8,9",
                              "wave2 format=1/1/22050/22050/1/8", "selection0 10..200", "selection1 0..0",
                              "selection2 0..0", "selection3 -3..4"}));
        QVERIFY(Fx.Dialogs().Messages.isEmpty());
        QCOMPARE(Fx.Window().WavesList()->topLevelItemCount(), 3);
    }

    void runRules_data()
    {
        QTest::addColumn<QString>("library");
        QTest::addColumn<QString>("proc");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("calls");
        const QString noCall = QStringLiteral("load InitLib window FreeLib unload");
        QTest::newRow("version 1") << "tp_v1" << "Filter0" << "" << "load InitLib window Filter0 v1 FreeLib unload";
        QTest::newRow("version 3") << "tp_v3" << "Filter0" << PluginRunText::VersionMismatch << noCall;
        QTest::newRow("procedure missing") << "tp_noproc" << "NoSuchProc" << PluginRunText::MissingProc << noCall;
        QTest::newRow("library missing") << "missing" << "Filter0" << PluginRunText::CannotLoad << "";
        QTest::newRow("no InitLib") << "tp_noinit" << "Filter0" << PluginRunText::MissingInit << "load unload";
        QTest::newRow("no FreeLib") << "tp_nofree" << "Filter0" << PluginRunText::MissingInit << "load unload";
        QTest::newRow("no GetPluginVersion") << "tp_noversion" << "Filter0" << PluginRunText::MissingInit
                                             << "load unload";
    }

    void runRules()
    {
        QFETCH(QString, library);
        QFETCH(QString, proc);
        QFETCH(QString, message);
        QFETCH(QString, calls);
        if (library != "missing")
            Install({library});
        TAction* filter = MakeFilter(library + ".txf", proc);
        // Every run is self-contained: the second one sees the same.
        for (int run = 0; run < 2; ++run) {
            filter->trigger();
            QCOMPARE(Calls(TakeLog()), calls);
            QCOMPARE(Fx.Dialogs().Messages, message.isEmpty() ? QStringList{} : QStringList{message});
            Fx.Dialogs().ClearRecord();
        }
        QCOMPARE(Fx.Window().WavesList()->topLevelItemCount(), 0);
        // Anything but an action runs nothing.
        QObject notAnAction;
        Fx.Form().RunPluginFilter(&notAnAction);
        QCOMPARE(TakeLog(), QStringList{});
    }

    void kitFilterListsItsWave()
    {
        // The kit beside the program, read and run by the window like any plug-in.
        SetLibraryFolder(std::string());
        Fx.Window().Plugins()->Parts().ProgramDir = QCoreApplication::applicationDirPath() + QLatin1Char('/');
        Fx.Window().Plugins()->PluginScanMessage(true);
        TAction* echo = FilterAction("Echo");
        QVERIFY2(echo, "the kit is built beside the program");
        QCOMPARE(echo->Category(), QStringLiteral("kit_effects.txf"));
        QVERIFY(FilterAction("About (kit_effects.txf)"));
        Fx.Window().WorkingPane()->Wave()->Assign(*Wave(1000, 0, 0));
        Fx.Window().WorkingPane()->SetSelection(100, 199);
        echo->trigger();
        QVERIFY(Fx.Dialogs().Messages.isEmpty());
        QCOMPARE(Fx.Window().WavesList()->topLevelItemCount(), 1);
        QTreeWidgetItem* entry = Fx.Window().WavesList()->topLevelItem(0);
        QCOMPARE(entry->text(0), QStringLiteral("Working Wave (Echo)"));
        QCOMPARE(TWavesList::EntryWave(entry)->Size(), 100 + 6 * 4410);
        QCOMPARE(Fx.Form().statusBar()->currentMessage(), QStringLiteral("Working Wave (Echo)"));
    }

    void hostileFilters_data()
    {
        QTest::addColumn<QString>("library");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("calls");
        const QString text = QStringLiteral("The plug-in \"%1.txf\" %2 while running \"Test\" (%3). Nothing was changed.");
        const QString calls = QStringLiteral("load InitLib window Filter0 v2");
        QTest::newRow("null pointer") << "tp_segv" << text.arg("tp_segv", "crashed", "segmentation fault") << calls;
        QTest::newRow("abort") << "tp_abort" << text.arg("tp_abort", "crashed", "aborted") << calls;
        // exit() runs the library's own destructors on the way out.
        QTest::newRow("exit(3)") << "tp_exit" << text.arg("tp_exit", "quit", "exit status 3") << calls + " unload";
    }

    void hostileFilters()
    {
        QFETCH(QString, library);
        QFETCH(QString, message);
        QFETCH(QString, calls);
        Install({library, "tp_v2"});
        FillDocument();
        const QByteArray before = UserData();
        Fx.Form().statusBar()->showMessage(QStringLiteral("before"));
        // The filter overwrites every sample it was given before it fails.
        qputenv("SONOVANE_TP_RETURN", "size=10 name=Never");
        MakeFilter(library + ".txf", "Filter0")->trigger();
        QCOMPARE(Fx.Dialogs().Messages, QStringList{message});
        QStringList log = TakeLog();
        QCOMPARE(Calls(log), calls);
        QVERIFY(log.contains(QStringLiteral("fault %1").arg(library == "tp_segv" ? 1 : library == "tp_abort" ? 2 : 3)));
        QCOMPARE(UserData(), before);
        QCOMPARE(Fx.Form().statusBar()->currentMessage(), QStringLiteral("before"));
        QCOMPARE(Fx.Window().WavesList()->topLevelItemCount(), 2);

        // The program goes on, and the next filter runs as ever.
        Fx.Dialogs().ClearRecord();
        MakeFilter("tp_v2.txf", "Filter0")->trigger();
        QCOMPARE(Calls(TakeLog()), "load InitLib window Filter0 v2 FreeLib unload");
        QVERIFY(Fx.Dialogs().Messages.isEmpty());
        QCOMPARE(Fx.Window().WavesList()->topLevelItemCount(), 3);
    }

    void hangingFilterStops_data()
    {
        QTest::addColumn<bool>("viaNotice");
        QTest::newRow("Esc") << false;
        QTest::newRow("Stop in the notice") << true;
    }

    void hangingFilterStops()
    {
        QFETCH(bool, viaNotice);
        Install({"tp_hang"});
        FillDocument();
        const QByteArray before = UserData();
        Fx.Form().show();
        QVERIFY(QTest::qWaitForWindowExposed(&Fx.Form()));

        // While the filter hangs the window paints, takes no input, and shows the
        // notice only after two seconds.
        int paints = 0;
        QWidget* pane = Fx.Window().WorkingPane();
        struct TPaintCounter : QObject {
            int* Count;
            bool eventFilter(QObject*, QEvent* e) override
            {
                if (e->type() == QEvent::Paint)
                    ++*Count;
                return false;
            }
        } counter;
        counter.Count = &paints;
        pane->installEventFilter(&counter);
        const auto notice = [] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->objectName() == QLatin1String("PluginRunNotice") && w->isVisible())
                    return w;
            return static_cast<QWidget*>(nullptr);
        };
        bool noticeEarly = true;
        int undoSteps = -1;
        QTimer::singleShot(500, pane, [&] {
            pane->update();
            noticeEarly = notice() != nullptr;
            // Keys that would change the working wave reach nothing.
            QTest::keyClick(&Fx.Form(), Qt::Key_Delete);
            QTest::mouseClick(pane, Qt::LeftButton, {}, QPoint(5, 5));
            undoSteps = Document().Undo().StepCount();
        });
        QElapsedTimer clock;
        clock.start();
        if (viaNotice)
            QTimer::singleShot(2600, pane, [&] {
                QWidget* shown = notice();
                QVERIFY(shown);
                QTest::mouseClick(shown->findChild<QPushButton*>(QStringLiteral("Stop")), Qt::LeftButton);
            });
        else
            QTimer::singleShot(800, pane, [&] { QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &Fx.Form(), Qt::Key_Escape); });
        MakeFilter("tp_hang.txf", "Filter0")->trigger();
        pane->removeEventFilter(&counter);

        QVERIFY(clock.elapsed() < (viaNotice ? 10000 : 2000));
        QVERIFY(!noticeEarly);
        QVERIFY(paints > 0);
        QCOMPARE(undoSteps, 1);
        QCOMPARE(notice(), nullptr);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QCOMPARE(Fx.Dialogs().Messages,
                 QStringList{"The plug-in \"tp_hang.txf\" was stopped while running \"Test\". Nothing was changed."});
        QCOMPARE(Calls(TakeLog()), "load InitLib window Filter0 v2");
        QCOMPARE(UserData(), before);
    }

    void inPlaceChangesAfterANormalReturn()
    {
        // A filter that returns normally may change the panes' samples in place, as
        // ever; the selections in the records it changes stay the program's.
        Install({"tp_v2"});
        FillDocument();
        const TTxWavStream& working = Document().PaneWave(TPaneId::Working);
        testwaves::ByteVector inverted = testwaves::Bytes(working);
        for (uint8_t& b : inverted)
            b = uint8_t(255 - b);
        const QByteArray final_ = QByteArray(reinterpret_cast<const char*>(Document().PaneWave(TPaneId::Final).Memory()), 50);
        qputenv("SONOVANE_TP_SCRIBBLE", "1");
        MakeFilter("tp_v2.txf", "Filter0")->trigger();
        qunsetenv("SONOVANE_TP_SCRIBBLE");
        QCOMPARE(testwaves::Bytes(working), inverted);
        QCOMPARE(working.SelStart(), 10);
        QCOMPARE(working.SelEnd(), 20);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(Document().PaneWave(TPaneId::Final).Memory()), 50), final_);
        QCOMPARE(Document().Undo().StepCount(), 1);
    }

    void scanSurvivesACrashingLibrary()
    {
        Install({"tp_countcrash", "tp_two", "tp_single_about"});
        QStringList order;
        WIN32_FIND_DATAA data;
        HANDLE search = FindFirstFileA((Fx.Dir().path() + "/*.txf").toLocal8Bit().constData(), &data);
        do
            order << QString::fromLocal8Bit(data.cFileName);
        while (FindNextFileA(search, &data));
        FindClose(search);

        QCOMPARE(Fx.Window().Plugins()->PluginScanMessage(true), 3);
        // The crash ends the library's reading where it happened: its name was read, so
        // it is listed without filters, as an error of the library would leave it.
        QCOMPARE(Fx.Dialogs().Messages, QStringList{"Error loading plugin \"tp_countcrash.txf\""});
        QStringList menu;
        for (const QString& name : order)
            menu << (name == "tp_countcrash.txf" ? QStringLiteral("Count crash")
                     : name == "tp_two.txf"      ? QStringLiteral("Two filters@23{Echo,About (tp_two.txf),-}")
                                                 : QStringLiteral("About@23"));
        QCOMPARE(MenuText(), menu.join(' '));
        QCOMPARE(FilterActions().size(), 3);
        QVERIFY(!Fx.About().isVisible());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void withoutTheHelper()
    {
        Install({"tp_two"});
        Fx.Window().Plugins()->HelperProgram = Fx.Dir().filePath(QStringLiteral("no-helper"));
        const QString message = "The plug-in helper \"" + Fx.Dir().filePath("no-helper") +
                                "\" cannot be started: No such file or directory.";
        Install({"tp_two=b.txf"});
        QCOMPARE(Fx.Window().Plugins()->PluginScanMessage(true), 2);
        QCOMPARE(Fx.Dialogs().Messages, QStringList{message});
        QCOMPARE(MenuText(), QString());
        Fx.Dialogs().ClearRecord();
        MakeFilter("tp_two.txf", "Filter0")->trigger();
        QCOMPARE(Fx.Dialogs().Messages, QStringList{message});
        QCOMPARE(TakeLog(), QStringList{});
    }

    void returnedRecords_data()
    {
        QTest::addColumn<QString>("returned");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("entry");  // "caption size from..to", or empty for none
        QTest::addColumn<QString>("message");
        QTest::newRow("SelStart 500, SelEnd 0") << "size=1000 selstart=500 selend=0 name=Result" << "Result"
                                                << "Result 1000 500..999" << "";
        QTest::newRow("SelStart after SelEnd") << "size=1000 selstart=800 selend=200 name=R" << "R"
                                               << "R 1000 200..800" << "";
        QTest::newRow("selection at the size") << "size=100 selstart=100 selend=100 name=R" << "R" << "R 100 0..99" << "";
        QTest::newRow("negative selection") << "size=100 selstart=-1 selend=-5 name=R" << "R" << "R 100 0..99" << "";
        QTest::newRow("Size 0") << "size=0 name=OnlyName" << "OnlyName" << "" << "";
        QTest::newRow("Name null") << "size=0 name=null" << "" << "" << "";
        QTest::newRow("Name null with a wave") << "size=5 name=null" << "" << " 5 0..4" << "";
        QTest::newRow("no record") << "none" << "before" << "" << "";
        QTest::newRow("Data null") << "size=10 data=null name=X" << "X" << "" << PluginResultText::NoData;
        QTest::newRow("Format null") << "size=10 format=null name=X" << "X" << "" << PluginResultText::NoFormat;
        QTest::newRow("Size negative") << "size=-1 name=X" << "X" << "" << PluginResultText::NegativeSize;
        QTest::newRow("Size 2^31") << "size=-2147483648 name=X" << "X" << "" << PluginResultText::NegativeSize;
        QTest::newRow("not the working format") << "size=10 format=stereo name=X" << "X" << ""
                                                << PluginResultText::WrongFormat;
        QTest::newRow("Format null, Size 0") << "size=0 format=null data=null name=Y" << "Y" << "" << "";
    }

    void returnedRecords()
    {
        QFETCH(QString, returned);
        QFETCH(QString, status);
        QFETCH(QString, entry);
        QFETCH(QString, message);
        Install({"tp_v2"});
        TAction* filter = MakeFilter("tp_v2.txf", "Filter0");
        Fx.Form().statusBar()->showMessage(QStringLiteral("before"));
        qputenv("SONOVANE_TP_RETURN", returned.toLocal8Bit());
        filter->trigger();
        QCOMPARE(Calls(TakeLog()), "load InitLib window Filter0 v2 FreeLib unload");
        QCOMPARE(Fx.Form().statusBar()->currentMessage(), status);
        QCOMPARE(Fx.Dialogs().Messages, message.isEmpty() ? QStringList{} : QStringList{message});
        TWavesList* list = Fx.Window().WavesList();
        QCOMPARE(list->topLevelItemCount(), entry.isEmpty() ? 0 : 1);
        if (!entry.isEmpty()) {
            QTreeWidgetItem* item = list->topLevelItem(0);
            TTxWavStream* wave = TWavesList::EntryWave(item);
            QCOMPARE(QStringLiteral("%1 %2 %3..%4").arg(item->text(0)).arg(wave->Size()).arg(wave->SelStart()).arg(wave->SelEnd()),
                     entry);
            QCOMPARE(testwaves::Bytes(*wave), testwaves::Iota(wave->Size()));
            QVERIFY(wave->IsSameFormat(WorkingFormat()));
            QCOMPARE(item->text(1), TWavesList::LengthText(wave->Size()));
        }
        // The program goes on: the next run lists its wave.
        Fx.Dialogs().ClearRecord();
        qputenv("SONOVANE_TP_RETURN", "size=3 name=Next");
        filter->trigger();
        QCOMPARE(list->topLevelItem(list->topLevelItemCount() - 1)->text(0), QStringLiteral("Next"));
        QVERIFY(Fx.Dialogs().Messages.isEmpty());
    }
};

QTEST_MAIN(TestPlugins)
#include "tst_plugins.moc"
