// The Effects menu in the real window, with the desktop's effects (swh-plugins, cmt,
// lv2-examples) and a test library whose effect crashes: the menu lists them by category,
// the dialog's controls follow the ports, OK applies one undo step named after the effect
// and Undo restores the bytes; the crash is a message and changes nothing.
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QtTest>

#include "app/EffectCommands.h"
#include "app/EffectDialog.h"
#include "app/main.h"
#include "platform/actions.h"
#include "support/ScriptedDialogs.h"
#include "support/WindowFixture.h"
#include "tests/support/TestWaves.h"
#include "view/wavpaint.h"

namespace {

QAction* Item(QMenu* menu, const QString& category, const QString& name)
{
    for (QAction* a : menu->actions())
        if (a->menu() && a->text() == category)
            for (QAction* e : a->menu()->actions())
                if (e->text() == name)
                    return e;
    return nullptr;
}

// Answers the next effect dialog: sets the first control to value, then OK.
void AnswerDialog(float value)
{
    QTimer::singleShot(0, [value] {
        auto* dialog = qobject_cast<TEffectDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        std::vector<float> values = dialog->Values();
        values[0] = value;
        dialog->SetValues(values);
        dialog->accept();
    });
}

} // namespace

class TestEffects : public QObject {
    Q_OBJECT
    TWindowFixture Fx;

private slots:
    void initTestCase()
    {
        // The installed effects and the crashing one; a cache of the test's own.
        qputenv("LADSPA_PATH", SONOVANE_TEST_LADSPA_DIR ":/usr/lib/ladspa");
        qputenv("LV2_PATH", "/usr/lib/lv2");
        if (!QFile::exists("/usr/lib/ladspa/amp_1181.so"))
            QSKIP("swh-plugins is not installed (scripts/install-deps.sh)");
    }
    void init()
    {
        QVERIFY(Fx.Open());
        QSignalSpy filled(Fx.Window().Effects().get(), &TEffectCommands::MenuFilled);
        Fx.Window().Effects()->Discover();
        QVERIFY(!filled.isEmpty() || filled.wait(30000));
    }
    void cleanup() { Fx.Close(); }

    void menuDialogApplyAndUndo()
    {
        QMenu* menu = Fx.Window().EffectsMenu();
        QVERIFY(Item(menu, "swh-plugins", "Simple amplifier"));
        QVERIFY(Item(menu, "Amplifier", "Simple Amplifier"));  // LV2, by its class
        QVERIFY(Item(menu, "crashing_ladspa", "Crasher"));     // no package: the library's name
        QCOMPARE(menu->actions().first()->text(), QStringLiteral("Search..."));

        // The dialog follows the ports: the amplifier's gain from -70 to 70 dB at 0.
        const auto& effects = Fx.Window().Effects()->Effects();
        const auto amp = std::find_if(effects.begin(), effects.end(), [](const TEffectInfo& e) { return e.Name == "Simple amplifier"; });
        {
            TEffectDialog dialog(*amp, {0}, [](const std::vector<float>&) {}, [] {}, nullptr);
            auto* number = dialog.findChild<QDoubleSpinBox*>();
            QCOMPARE(std::make_tuple(number->minimum(), number->maximum(), number->value()), std::make_tuple(-70.0, 70.0, 0.0));
            QCOMPARE(dialog.findChild<QSlider*>()->value(), 500);
            number->setValue(35);
            QCOMPARE(dialog.findChild<QSlider*>()->value(), 750);
            dialog.ResetButton()->click();
            QCOMPARE(dialog.Values(), std::vector<float>{0});
        }
        // Toggled ports are check boxes, and nothing else is.
        for (const TEffectInfo& e : effects) {
            const auto toggles = std::count_if(e.Controls.begin(), e.Controls.end(), [](const TEffectControl& c) { return c.Toggled; });
            if (toggles == 0)
                continue;
            std::vector<float> defaults;
            for (const TEffectControl& c : e.Controls)
                defaults.push_back(c.Default);
            TEffectDialog dialog(e, defaults, [](const std::vector<float>&) {}, [] {}, nullptr);
            QCOMPARE(dialog.findChildren<QCheckBox*>().size(), toggles);
            break;
        }

        // OK at -6 dB halves the selection, as one undo step named after the effect.
        TWavPaintBox* pane = Fx.Window().WorkingPane();
        testwaves::Fill(*pane->Wave(), testwaves::ByteVector(3000, 228));
        pane->SetSelection(1000, 1999);
        const auto before = testwaves::Bytes(*pane->Wave());
        AnswerDialog(-6);
        Item(menu, "swh-plugins", "Simple amplifier")->trigger();
        const auto after = testwaves::Bytes(*pane->Wave());
        QCOMPARE(after[999], 228);
        QCOMPARE(after[1000], 178);
        QCOMPARE(after[1999], 178);
        QCOMPARE(after[2000], 228);
        QCOMPARE(Fx.Window().BtnUndo()->Caption(), QStringLiteral("Undo \"Simple amplifier\""));
        Fx.Window().BtnUndo()->trigger();
        QCOMPARE(testwaves::Bytes(*pane->Wave()), before);
        // The value used is remembered for the next time.
        QCOMPARE(Fx.Window().Effects()->LastValues(*amp), std::vector<float>{-6});

        // The crashing effect: a message naming it, and nothing changed, undo list included.
        AnswerDialog(1);
        Item(menu, "crashing_ladspa", "Crasher")->trigger();
        QCOMPARE(Fx.Dialogs().Messages.size(), 1);
        QCOMPARE(Fx.Dialogs().Messages.last(),
                 QStringLiteral("The effect \"Crasher\" of \"crashing_ladspa.so\" crashed (segmentation fault). Nothing was changed."));
        QCOMPARE(testwaves::Bytes(*pane->Wave()), before);
        QCOMPARE(Fx.Window().BtnUndo()->Caption(), QStringLiteral("Undo"));
        QVERIFY(!Fx.Window().BtnUndo()->isEnabled());
    }
};

QTEST_MAIN(TestEffects)
#include "tst_effects.moc"
