// The icon list: exactly the numbers 0 to 33 are embedded, each a 16 x 16 drawing that
// fills its square and stays inside it.

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTest>

class TestIcons : public QObject {
    Q_OBJECT

private slots:
    void allThirtyFourEmbeddedAndDrawable()
    {
        for (int i = 0; i < 34; ++i) {
            const QString name = QString(":/icons/%1.svg").arg(i, 2, 10, QChar('0'));
            QVERIFY2(QFile::exists(name), qPrintable(name));
            QSvgRenderer renderer(name);
            QVERIFY2(renderer.isValid(), qPrintable(name));
            QCOMPARE(renderer.viewBox(), QRect(0, 0, 16, 16));
            QCOMPARE(renderer.defaultSize(), QSize(16, 16));

            // Drawn into a 20 x 20 image with a 2-pixel margin: something in the square,
            // nothing outside it.
            QImage image(20, 20, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            {
                QPainter painter(&image);
                renderer.render(&painter, QRectF(2, 2, 16, 16));
            }
            int inside = 0, outside = 0;
            for (int y = 0; y < 20; ++y)
                for (int x = 0; x < 20; ++x) {
                    const bool in = x >= 2 && x < 18 && y >= 2 && y < 18;
                    if (qAlpha(image.pixel(x, y)) > 0)
                        ++(in ? inside : outside);
                }
            QVERIFY2(inside >= 20, qPrintable(name));
            QVERIFY2(outside == 0, qPrintable(name));
        }
        QVERIFY(!QFile::exists(":/icons/34.svg"));
    }
};

QTEST_MAIN(TestIcons)
#include "tst_icons.moc"
