// The link label: which address a click opens, its look, and what a failed open does.

#include "about/UrlLabel.h"
#include "platform/shell.h"
#include "support/FakeXdgOpen.h"
#include "wave/Exception.h"

#include <QApplication>
#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QColor kLinkBlue(0, 0, 255);

// A parent that counts the mouse events reaching it.
class TMouseCounter : public QWidget {
public:
    int Count = 0;

protected:
    void mousePressEvent(QMouseEvent*) override { ++Count; }
    void mouseReleaseEvent(QMouseEvent*) override { ++Count; }
};

bool LooksPlain(const TUrlLabel& label, const QWidget& parent)
{
    return label.palette().color(label.foregroundRole()) == parent.palette().color(QPalette::WindowText) &&
           !label.font().underline() && !label.testAttribute(Qt::WA_SetCursor) &&
           label.cursor().shape() == Qt::ArrowCursor;
}

bool LooksLikeLink(const TUrlLabel& label)
{
    return label.palette().color(label.foregroundRole()) == kLinkBlue && label.font().underline() &&
           label.cursor().shape() == Qt::PointingHandCursor;
}

QByteArray Opened(const QString& address)
{
    return QDir::currentPath().toUtf8() + "\n[" + address.toUtf8() + "]\n";
}

} // namespace

class TestUrlLabel : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The look is compared with the parent's text colour, so it must not be blue.
        QVERIFY(QApplication::palette().color(QPalette::WindowText) != kLinkBlue);
    }

    void createdEmptyAndPlain()
    {
        TMouseCounter parent;
        TUrlLabel label(&parent);
        QCOMPARE(label.URL(), QString());
        QCOMPARE(label.Param(), QString());
        QCOMPARE(label.Caption(), QString());
        QVERIFY(LooksPlain(label, parent));
        QVERIFY(!label.OnExecFail);
    }

    // A caption without URL is the address, though the label looks plain.
    void captionBecomesAddressUntilUrlIsSet()
    {
        TFakeXdgOpen opener;
        TMouseCounter parent;
        TUrlLabel label(&parent);
        label.SetCaption("mailto:first@example.org");
        QCOMPARE(label.Caption(), QString("mailto:first@example.org"));
        QCOMPARE(label.URL(), QString("mailto:first@example.org"));
        QVERIFY(LooksPlain(label, parent));
        label.Click();
        QCOMPARE(opener.Log(), Opened("mailto:first@example.org"));

        label.SetCaption("mailto:second@example.org");
        QCOMPARE(label.URL(), QString("mailto:second@example.org"));

        label.SetURL("https://example.org/sonovane");
        QVERIFY(LooksLikeLink(label));
        label.SetCaption("Home page");
        QCOMPARE(label.Caption(), QString("Home page"));
        QCOMPARE(label.URL(), QString("https://example.org/sonovane"));
        QVERIFY(LooksLikeLink(label));  // a caption leaves the look alone

        opener.ClearLog();
        label.Click();
        QCOMPARE(opener.Log(), Opened("https://example.org/sonovane"));
    }

    // Emptying the URL gives the plain look back, clicks do nothing, and a later
    // caption no longer becomes the address.
    void emptyUrlAfterAddress()
    {
        TFakeXdgOpen opener;
        TMouseCounter parent;
        TUrlLabel label(&parent);
        label.SetURL("mailto:a@example.org");
        QVERIFY(LooksLikeLink(label));
        label.SetURL("");
        QVERIFY(LooksPlain(label, parent));
        label.SetCaption("mailto:b@example.org");
        QCOMPARE(label.URL(), QString());
        label.Click();
        QVERIFY(!opener.Ran());

        // Setting the same empty value first, on a fresh label, also fixes the address.
        TUrlLabel other(&parent);
        other.SetURL("");
        other.SetCaption("mailto:c@example.org");
        QCOMPARE(other.URL(), QString());
        QVERIFY(LooksPlain(other, parent));
    }

    void labelSizesToCaption()
    {
        TMouseCounter parent;
        TUrlLabel label(&parent);
        label.SetCaption("a");
        const int narrow = label.width();
        label.SetCaption("a much longer caption than before");
        QVERIFY(label.width() > narrow);
        QCOMPARE(label.size(), label.sizeHint());
    }

    void failedOpenGoesToHandler()
    {
        TFakeXdgOpen opener("2");
        TMouseCounter parent;
        TUrlLabel label(&parent);
        label.SetURL("mailto:missing@example.org");
        QList<int> codes;
        label.OnExecFail = [&](int code) { codes << code; };
        label.Click();                                // raises nothing
        opener.SetExitStatus("3");
        label.Click();
        opener.Remove();
        label.Click();
        QCOMPARE(codes, QList<int>({2, 31, 31}));

        // Success calls nothing.
        TFakeXdgOpen working("0");
        label.Click();
        QCOMPARE(codes.size(), 3);
    }

    void failedOpenWithoutHandlerRaises()
    {
        TFakeXdgOpen opener("2");
        TUrlLabel label;  // no owner: opened on behalf of no window
        label.SetURL("mailto:missing@example.org");
        try {
            label.Click();
            QFAIL("no error raised");
        } catch (const Exception& e) {
            QCOMPARE(QString::fromStdString(e.Message()), QString("Action failed! Win32 error code: 2"));
        }
        opener.Remove();
        try {
            label.Click();
            QFAIL("no error raised");
        } catch (const Exception& e) {
            QCOMPARE(QString::fromStdString(e.Message()), QString("Action failed! Win32 error code: 31"));
        }
    }

    // Param reaches a program that is opened directly.
    void paramHandedToProgram()
    {
        QTemporaryDir dir;
        const QString log = dir.filePath("args");
        WriteArgumentLogger(dir.filePath("tool.sh"), log);

        TUrlLabel label;
        label.SetURL(dir.filePath("tool.sh"));
        label.SetParam("--to \"Sonovane team\"");
        QCOMPARE(label.Param(), QString("--to \"Sonovane team\""));
        label.Click();
        QTRY_VERIFY(QFile::exists(log));
        QFile result(log);
        QVERIFY(result.open(QIODevice::ReadOnly));
        QCOMPARE(result.readAll(), QByteArray("[--to]\n[Sonovane team]\n"));
    }

    // Only a left click that starts and ends on the label opens; the parent never sees
    // the label's clicks, with or without an address.
    void mouseClicks()
    {
        TFakeXdgOpen opener;
        TMouseCounter parent;
        parent.resize(300, 100);
        auto* label = new TUrlLabel(&parent);
        label->SetCaption("sonovane@example.org");
        label->SetURL("mailto:sonovane@example.org");
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));

        QTest::mouseClick(label, Qt::RightButton);
        QVERIFY(!opener.Ran());
        QTest::mousePress(label, Qt::LeftButton, {}, QPoint(2, 2));
        QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(label->width() + 20, 2));
        QVERIFY(!opener.Ran());
        QTest::mouseClick(label, Qt::LeftButton);
        QCOMPARE(opener.Log(), Opened("mailto:sonovane@example.org"));

        label->SetURL("");
        opener.ClearLog();
        QTest::mouseClick(label, Qt::LeftButton);
        QVERIFY(!opener.Ran());
        QCOMPARE(parent.Count, 0);
    }
};

QTEST_MAIN(TestUrlLabel)
#include "tst_urllabel.moc"
