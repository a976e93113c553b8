#include <QtTest>

#include <limits>

#include "measure/Measurement.h"
#include "protocol/Frame.h"

using namespace kx;

namespace {

// A scheduler on a clock the test moves, counting the requests it asks for.
struct Clock
{
    DeviceModel model;
    int64_t now = 1000; // hundredths
    MeasurementScheduler scheduler{now};
    SamplingSettings sampling;
    int requests = 0;

    Clock()
    {
        model.GO = true;
        model.TypeCode = 4;
    }
    void step(int64_t hundredths)
    {
        now += hundredths;
        if (scheduler.IdleStep(now, model, sampling))
            ++requests;
    }
    // Steps of one hundredth for a span of clock time.
    void run(int64_t hundredths)
    {
        for (int64_t i = 0; i < hundredths; ++i)
            step(1);
    }
};

std::vector<uint8_t> frame(uint8_t flags, std::initializer_list<float> values)
{
    std::vector<uint8_t> f{0xF4, 0xF4, flags};
    for (float v : values) {
        const Data4 d = encodeReal(v);
        f.insert(f.end(), d.begin(), d.end());
    }
    return f;
}

} // namespace

class TestMeasurement : public QObject
{
    Q_OBJECT

private slots:
    void timedSamplingAskEveryPeriod()
    {
        Clock c;
        c.sampling.periodMs = 100;
        c.step(0); // the countdown starts at 0: the first step asks at once
        QCOMPARE(c.requests, 1);
        c.run(1000); // ten seconds
        QCOMPARE(c.requests, 1 + 100);
        QCOMPARE(c.model.bledna_transmisja, 0);
        QCOMPARE(c.scheduler.MeasureTime(), 10.0);
    }

    void wholeSecondsBetweenStepsAreCounted()
    {
        Clock c;
        c.step(125);
        QCOMPARE(c.scheduler.ClockStep(), 1.25);
        QCOMPARE(c.scheduler.MeasureTime(), 1.25);
    }

    void timeAddsUpWithoutDrift()
    {
        Clock c;
        c.run(360000); // an hour in hundredths
        QCOMPARE(c.scheduler.MeasureTime(), 3600.0);
    }

    void nothingWithoutGoOrType_data()
    {
        QTest::addColumn<bool>("go");
        QTest::addColumn<int>("type");
        QTest::newRow("stopped") << false << 4;
        QTest::newRow("no device type") << true << 0;
    }

    void nothingWithoutGoOrType()
    {
        QFETCH(bool, go);
        QFETCH(int, type);
        Clock c;
        c.model.GO = go;
        c.model.TypeCode = type;
        c.sampling.periodMs = 10;
        c.run(100);
        QCOMPARE(c.requests, 0);
        QCOMPARE(c.scheduler.MeasureTime(), 0.0);
    }

    void periodBelowTenCountsAsTen_data()
    {
        QTest::addColumn<int>("period");
        QTest::newRow("zero") << 0;
        QTest::newRow("negative") << -5;
        QTest::newRow("five") << 5;
    }

    void periodBelowTenCountsAsTen()
    {
        QFETCH(int, period);
        Clock c;
        c.sampling.periodMs = period;
        c.run(100); // one second
        QCOMPARE(c.requests, 100);
        QCOMPARE(QString::fromStdString(rateText(c.sampling)), QString("100,00000"));
    }

    void continuousSamplingAgainstASilentDevice()
    {
        Clock c;
        c.sampling.continuous = true;
        c.step(1);
        QCOMPARE(c.requests, 1);
        QVERIFY(c.model.zapytanie);
        c.run(15); // 0.15 s later the request counts as lost
        QVERIFY(!c.model.zapytanie);
        QCOMPARE(c.model.bledna_transmisja, 1);
        QCOMPARE(c.requests, 1);
        // Between two clock hundredths the idle step runs again without a step: the new
        // request goes out then, so one leaves every 0.15 s of clock.
        QList<int64_t> sentAt;
        for (int i = 0; i < 150; ++i) {
            for (int64_t s : {1, 0}) {
                const int before = c.requests;
                c.step(s);
                if (c.requests > before)
                    sentAt << c.now;
            }
        }
        QCOMPARE(sentAt.size(), 10);
        for (int i = 1; i < sentAt.size(); ++i)
            QCOMPARE(sentAt[i] - sentAt[i - 1], int64_t(15));
        QCOMPARE(c.model.bledna_transmisja, 1);
    }

    void continuousSamplingAsksAgainAfterAnAnswer()
    {
        Clock c;
        c.sampling.continuous = true;
        c.step(1);
        c.model.zapytanie = false; // the frame handler's answer
        c.step(1);
        QCOMPARE(c.requests, 2);
        QCOMPARE(c.model.bledna_transmisja, 0);
    }

    void stopThenStartRestartsTheTime()
    {
        Clock c;
        c.sampling.periodMs = 100;
        c.run(50);
        c.scheduler.stop();
        c.model.GO = false;
        QCOMPARE(c.scheduler.MeasureTime(), 0.0);
        c.scheduler.start();
        c.model.GO = true;
        c.run(20);
        QCOMPARE(c.scheduler.MeasureTime(), 0.2);
    }

    void pauseTwiceContinuesTheTime()
    {
        Clock c;
        c.sampling.periodMs = 100;
        c.run(50);
        c.model.GO = false; // PAUSE
        c.run(30);
        c.model.GO = true; // PAUSE again
        c.run(20);
        QCOMPARE(c.scheduler.MeasureTime(), 0.7);
    }

    void rates_data()
    {
        QTest::addColumn<int>("period");
        QTest::addColumn<bool>("continuous");
        QTest::addColumn<QString>("text");
        QTest::newRow("100 ms") << 100 << false << "10,00000";
        QTest::newRow("30 ms") << 30 << false << "33,33333";
        QTest::newRow("10 s") << 10000 << false << "0,10000";
        QTest::newRow("continuous") << 100 << true << "";
    }

    void rates()
    {
        QFETCH(int, period);
        QFETCH(bool, continuous);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(rateText({continuous, period})), text);
    }

    void timeTexts_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole") << 2.0 << "2";
        QTest::newRow("hundredths") << 12.34 << "12,34";
        QTest::newRow("half of a hundredth to even") << 0.125 << "0,12";
        QTest::newRow("zero") << 0.0 << "0";
    }

    void timeTexts()
    {
        QFETCH(double, seconds);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(timeText(seconds)), text);
    }

    void frames()
    {
        DeviceModel m;
        m.Stan.D1 = 20;
        m.Stan.D2 = 10;
        m.CurrentY = 3;
        m.CurrentX1 = 4;
        QVERIFY(applyMeasurementFrame(m, frame(0x18, {})));
        QCOMPARE(m.OutputPK1, uint8_t(1));
        QCOMPARE(m.OutputPK2, uint8_t(1));
        QCOMPARE(m.CurrentY, 3.0f); // absent values keep their last
        QVERIFY(applyMeasurementFrame(m, frame(0x02, {5.0f})));
        QCOMPARE(m.CurrentX1, 10.0f);
        QCOMPARE(m.OutputPK1, uint8_t(0));
        QVERIFY(applyMeasurementFrame(m, frame(0x05, {1.23456f, 2.0f})));
        QCOMPARE(m.CurrentY, 1.23456f); // unrounded, unlike a reply
        QCOMPARE(m.CurrentX2, 2.0f);
        auto shortFrame = frame(0x07, {1, 2, 3});
        shortFrame.pop_back();
        const DeviceModel before = m;
        QVERIFY(!applyMeasurementFrame(m, shortFrame));
        QCOMPARE(m.CurrentY, before.CurrentY);
        QCOMPARE(m.OutputPK1, before.OutputPK1);
    }

    void halfBars_data()
    {
        QTest::addColumn<bool>("x1");
        QTest::addColumn<bool>("x2");
        QTest::addColumn<float>("y");
        QTest::addColumn<float>("cx1");
        QTest::addColumn<float>("cx2");
        QTest::addColumn<int>("right");
        QTest::addColumn<int>("left");
        const int max = 2000;
        QTest::newRow("only X1: d = Y - D0")
            << true << false << 12.34f << 0.0f << 0.0f << 117 << max - 100;
        QTest::newRow("neither: d = Y - D0, negative")
            << false << false << 7.5f << 0.0f << 0.0f << 125 << max - 100;
        QTest::newRow("all three: channels")
            << true << true << 30.0f << 1.234f << -2.5f << 123 << max - 250;
        QTest::newRow("all three: left goes past its maximum")
            << true << true << 30.0f << 0.0f << 25.0f << 0 << 500;
    }

    void halfBars()
    {
        QFETCH(bool, x1);
        QFETCH(bool, x2);
        QFETCH(float, y);
        QFETCH(float, cx1);
        QFETCH(float, cx2);
        QFETCH(int, right);
        QFETCH(int, left);
        DeviceModel m;
        m.Stan.D0 = 10;
        m.CurrentY = y;
        m.CurrentX1 = cx1;
        m.CurrentX2 = cx2;
        const BarPositions b = barPositions(m, {true, x1, x2}, 2000);
        QCOMPARE(b.right, std::optional<int>(right));
        QCOMPARE(b.left, std::optional<int>(left));
        QCOMPARE(b.y, std::optional<int>(int(std::fabs(y))));
    }

    void inactiveBarsAreLeftAlone()
    {
        DeviceModel m;
        m.CurrentX1 = -7.9f;
        const BarPositions b = barPositions(m, {false, true, false}, 100);
        QVERIFY(!b.y && !b.right && !b.left && !b.x2);
        QCOMPARE(b.x1, std::optional<int>(-7)); // signed; the bar clamps it
    }

    void notFiniteValuesKeepTheBars()
    {
        DeviceModel m;
        m.CurrentY = std::numeric_limits<float>::quiet_NaN();
        m.CurrentX1 = std::numeric_limits<float>::infinity();
        m.CurrentX2 = 3;
        const BarPositions b = barPositions(m, {true, true, true}, 100);
        QVERIFY(!b.y && !b.right && !b.x1);
        QCOMPARE(b.left, std::optional<int>(200)); // |100 - 300|
        QCOMPARE(b.x2, std::optional<int>(3));
    }

    void periodMeter()
    {
        PeriodMeter meter;
        QList<QString> shown;
        for (int n = 1; n <= 20; ++n)
            if (auto text = meter.frame(n * 0.03))
                shown << QString::fromStdString(*text);
        QCOMPARE(shown, (QList<QString>{"30", "30"}));
    }
};

QTEST_APPLESS_MAIN(TestMeasurement)
#include "test_measurement.moc"
