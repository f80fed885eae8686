// The About box: its layout, the clicks that close it and those that do not, the splash
// and the modal showing, and its link.

#include "about/BevelPanel.h"
#include "about/Unit2.h"
#include "about/UrlLabel.h"
#include "support/FakeXdgOpen.h"
#include "support/ModalDriver.h"
#include "wave/Exception.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QScreen>
#include <QTest>

namespace {

void ClickAt(QWidget* widget, QPoint pos = QPoint())
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, pos.isNull() ? widget->rect().center() : pos);
}

int Luma(QRgb c)
{
    return qGray(c);
}

} // namespace

class TestAbout : public QObject {
    Q_OBJECT

private slots:
    void layout()
    {
        TAboutBox box;
        QCOMPARE(box.windowTitle(), QString("Info"));
        QVERIFY(box.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(box.size(), QSize(245, 125));
        QCOMPARE(box.font().family(), QString("MS Sans Serif"));
        QCOMPARE(box.font().pointSize(), 8);

        QCOMPARE(box.OuterPanel->parentWidget(), &box);
        QCOMPARE(box.OuterPanel->geometry(), QRect(0, 0, 245, 125));
        QCOMPARE(box.InnerPanel->parentWidget(), box.OuterPanel);
        QCOMPARE(box.InnerPanel->geometry(), QRect(12, 12, 221, 93));

        QCOMPARE(box.lbPlugins->parentWidget(), box.OuterPanel);
        QCOMPARE(box.lbPlugins->pos(), QPoint(8, 108));
        QCOMPARE(box.lbPlugins->text(), QString("Plugins"));
        QVERIFY(box.lbPlugins->isHidden());
        QCOMPARE(box.lbPlugins->geometry().right(), box.OuterPanel->width() - 1);

        const QList<QPair<QWidget*, QPoint>> lines = {
            {box.ProductLine, {8, 8}}, {box.VersionLine, {8, 28}},
            {box.ThirdLine, {8, 48}}, {box.UrlLabel1, {8, 68}}};
        for (const auto& [line, pos] : lines) {
            QCOMPARE(line->parentWidget(), box.InnerPanel);
            QCOMPARE(line->pos(), pos);
            QVERIFY(!line->isHidden());
            QVERIFY(line->width() > 0 && line->height() > 0);
        }
        QCOMPARE(box.ProductLine->text(), QString("Tarvex Sonovane"));
        QVERIFY(box.ProductLine->font().bold());
        QVERIFY(!box.VersionLine->font().bold());
        QCOMPARE(box.VersionLine->text(), QString("Version 1.0 Alpha"));
        QVERIFY(!box.ThirdLine->text().isEmpty());
        QCOMPARE(box.UrlLabel1->Caption(), QString("sonovane@example.org"));
        QCOMPARE(box.UrlLabel1->URL(), QString("mailto:sonovane@example.org"));
        QVERIFY(box.UrlLabel1->font().underline());
        QVERIFY(!box.UrlLabel1->OnExecFail);
    }

    // The inner panel: a lowered outer bevel around a raised inner one.
    void bevels()
    {
        TAboutBox box;
        auto* inner = qobject_cast<TBevelPanel*>(box.InnerPanel);
        QVERIFY(inner);
        QCOMPARE(inner->BevelOuter(), TBevelPanel::TBevel::Lowered);
        QCOMPARE(inner->BevelInner(), TBevelPanel::TBevel::Raised);

        const QImage img = box.InnerPanel->grab().toImage();
        const int w = img.width() - 1, h = img.height() - 1;
        const int face = Luma(img.pixel(w / 2, 4));
        QVERIFY(Luma(img.pixel(0, h / 2)) < face);         // outer ring: dark top-left
        QVERIFY(Luma(img.pixel(w, h / 2)) >= face);        //             light bottom-right
        QVERIFY(Luma(img.pixel(1, h / 2)) >= face);        // inner ring: light top-left
        QVERIFY(Luma(img.pixel(w - 1, h / 2)) < face);     //             dark bottom-right
        QVERIFY(Luma(img.pixel(w / 2, 0)) < Luma(img.pixel(w / 2, h)));
    }

    void closingClicks()
    {
        TFakeXdgOpen opener;  // the link's click must not reach a real desktop
        struct Case {
            const char* name;
            std::function<QWidget*(TAboutBox&)> target;
            QPoint pos;
            bool closes;
        };
        const QList<Case> cases = {
            {"inner panel", [](TAboutBox& b) { return static_cast<QWidget*>(b.InnerPanel); }, QPoint(200, 85), true},
            {"product line", [](TAboutBox& b) { return static_cast<QWidget*>(b.ProductLine); }, {}, true},
            {"version line", [](TAboutBox& b) { return static_cast<QWidget*>(b.VersionLine); }, {}, true},
            {"third line", [](TAboutBox& b) { return static_cast<QWidget*>(b.ThirdLine); }, {}, true},
            {"link", [](TAboutBox& b) { return static_cast<QWidget*>(b.UrlLabel1); }, {}, false},
            {"outer panel", [](TAboutBox& b) { return static_cast<QWidget*>(b.OuterPanel); }, QPoint(4, 4), false},
            {"plug-in line", [](TAboutBox& b) { return static_cast<QWidget*>(b.lbPlugins); }, QPoint(2, 2), false},
        };
        for (const Case& c : cases) {
            TAboutBox box;
            box.lbPlugins->setText("No Plugins loaded!");
            box.lbPlugins->show();
            box.show();
            QVERIFY(QTest::qWaitForWindowExposed(&box));
            opener.ClearLog();
            ClickAt(c.target(box), c.pos);
            QVERIFY2(box.isVisible() != c.closes, c.name);
            if (QByteArray(c.name) == "link")
                QVERIFY(opener.Log().contains("[mailto:sonovane@example.org]"));
            else
                QVERIFY2(!opener.Ran(), c.name);
        }

        // Pressing on a line and letting go elsewhere is no click.
        TAboutBox box;
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QTest::mousePress(box.VersionLine, Qt::LeftButton, {}, QPoint(2, 2));
        QTest::mouseRelease(box.VersionLine, Qt::LeftButton, {}, QPoint(-30, 2));
        QVERIFY(box.isVisible());
        QTest::mouseClick(box.VersionLine, Qt::RightButton);
        QVERIFY(box.isVisible());
        QTest::keyClick(&box, Qt::Key_Escape);
        QVERIFY(box.isVisible());
    }

    void splashAndModal()
    {
        TAboutBox box;
        box.ShowSplash();
        QVERIFY(box.isVisible());
        QVERIFY(!box.isModal());
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        QVERIFY(box.windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(box.windowFlags() & Qt::FramelessWindowHint);
        const QRect area = box.screen()->availableGeometry();
        QVERIFY(qAbs(box.frameGeometry().center().x() - area.center().x()) <= 1);
        QVERIFY(qAbs(box.frameGeometry().center().y() - area.center().y()) <= 1);

        // The splash still up when the About box is asked for: it becomes the modal box.
        bool wasModal = false;
        OnNextModal([&](QWidget* w) {
            wasModal = w == &box;
            ClickAt(box.ThirdLine);
        });
        box.ShowModal();
        QVERIFY(wasModal);
        QVERIFY(!box.isVisible());
        QVERIFY(box.windowFlags() & Qt::WindowStaysOnTopHint);  // stays so for the run

        // Shown again from hidden; the plug-in line keeps what it last held.
        box.lbPlugins->setText("No Plugins loaded!");
        box.lbPlugins->show();
        QString line;
        OnNextModal([&](QWidget*) {
            line = box.lbPlugins->isVisible() ? box.lbPlugins->text() : QString();
            ClickAt(box.InnerPanel, QPoint(200, 85));
        });
        box.ShowModal();
        QCOMPARE(line, QString("No Plugins loaded!"));
        QVERIFY(!box.isVisible());
    }

    // Without a mail program the link raises the error for the application's report,
    // and the box stays open.
    void linkFailureRaises()
    {
        TFakeXdgOpen opener;
        opener.Remove();
        TAboutBox box;
        box.show();
        try {
            box.UrlLabel1->Click();
            QFAIL("no error raised");
        } catch (const Exception& e) {
            QCOMPARE(QString::fromStdString(e.Message()), QString("Action failed! Win32 error code: 31"));
        }
        QVERIFY(box.isVisible());
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
