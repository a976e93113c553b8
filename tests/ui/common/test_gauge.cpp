#include <QtTest>

#include <QImage>

#include "ui/common/CGauge.h"

using namespace kx;

namespace {

const QColor kLime{0x00, 0xFF, 0x00};
const QColor kBlack{0x00, 0x00, 0x00};

} // namespace

// The bar gauge on its own: its range, its position and what it paints.
class TestGauge : public QObject
{
    Q_OBJECT

private slots:
    void gaugeClampsProgress_data()
    {
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("expectedMaximum");
        QTest::addColumn<int>("expectedProgress");
        QTest::newRow("inside the range") << 100 << 42 << 100 << 42;
        QTest::newRow("at the maximum") << 100 << 100 << 100 << 100;
        QTest::newRow("beyond the maximum") << 100 << 250 << 100 << 100;
        QTest::newRow("below zero") << 100 << -5 << 100 << 0;
        QTest::newRow("zero maximum holds only zero") << 0 << 10 << 0 << 0;
        QTest::newRow("negative maximum counts as zero") << -20 << 10 << 0 << 0;
        QTest::newRow("range of |D x 100|") << 2000000000 << 1999999999 << 2000000000 << 1999999999;
    }

    void gaugeClampsProgress()
    {
        QFETCH(int, maximum);
        QFETCH(int, value);
        CGauge gauge;
        gauge.setMaxValue(maximum);
        gauge.setProgress(value);
        QTEST(gauge.maxValue(), "expectedMaximum");
        QTEST(gauge.progress(), "expectedProgress");
    }

    void gaugeStartsAtHundred()
    {
        CGauge gauge;
        QCOMPARE(gauge.maxValue(), 100);
        QCOMPARE(gauge.progress(), 0);
    }

    void loweringTheMaximumClampsTheProgressAgain()
    {
        CGauge gauge;
        gauge.setProgress(80);
        gauge.setMaxValue(50);
        QCOMPARE(gauge.progress(), 50);
        // Raising it again does not bring the old position back.
        gauge.setMaxValue(200);
        QCOMPARE(gauge.progress(), 50);
        gauge.setMaxValue(-1);
        QCOMPARE(gauge.maxValue(), 0);
        QCOMPARE(gauge.progress(), 0);
    }

    void gaugePaintsTheFilledFraction_data()
    {
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("progress");
        QTest::addColumn<int>("x");
        QTest::addColumn<bool>("filled");
        // The gauge is 102 pixels wide: a 1-pixel border around 100 pixels of bar.
        QTest::newRow("30 of 100, inside the fill") << 100 << 30 << 15 << true;
        QTest::newRow("30 of 100, beyond the fill") << 100 << 30 << 60 << false;
        QTest::newRow("full, right end") << 100 << 100 << 99 << true;
        QTest::newRow("empty, left end") << 100 << 0 << 2 << false;
        QTest::newRow("zero maximum fills nothing") << 0 << 0 << 50 << false;
        QTest::newRow("large range, first half") << 2000000000 << 1000000000 << 25 << true;
        QTest::newRow("large range, second half") << 2000000000 << 1000000000 << 75 << false;
    }

    void gaugePaintsTheFilledFraction()
    {
        QFETCH(int, maximum);
        QFETCH(int, progress);
        QFETCH(int, x);
        QFETCH(bool, filled);
        CGauge gauge;
        gauge.setForeColor(kLime);
        gauge.setBackColor(kBlack);
        gauge.resize(102, 12);
        gauge.setMaxValue(maximum);
        gauge.setProgress(progress);
        const QImage image = gauge.grab().toImage();
        QCOMPARE(image.pixelColor(x, 6), filled ? kLime : kBlack);
        // The border is neither of the two colours.
        const QColor border = image.pixelColor(0, 6);
        QVERIFY(border != kLime && border != kBlack);
    }
};

QTEST_MAIN(TestGauge)
#include "test_gauge.moc"
