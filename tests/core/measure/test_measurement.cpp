#include <QtTest>

#include <limits>

#include "core/measure/Measurement.h"
#include "core/protocol/Frame.h"

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

    void startCountsFromItsOwnMoment()
    {
        Clock c;
        c.model.GO = false;
        c.now += 220; // the UI thread was busy: no idle step for 2.2 s
        c.scheduler.start(c.now);
        c.model.GO = true;
        c.step(5);
        QCOMPARE(c.scheduler.MeasureTime(), 0.05);
    }

    // What a saved register reports as the measurement's duration.
    void durationOfTheLastMeasurement()
    {
        Clock c;
        c.sampling.periodMs = 100;
        QCOMPARE(c.scheduler.duration(), 0.0); // nothing measured yet
        c.scheduler.start();
        c.run(150);
        QCOMPARE(c.scheduler.duration(), 1.5); // running
        c.model.GO = false;                    // paused: the time stands
        c.run(100);
        QCOMPARE(c.scheduler.duration(), 1.5);
        c.model.GO = true;
        c.run(50);
        c.scheduler.stop();
        c.model.GO = false;
        QCOMPARE(c.scheduler.MeasureTime(), 0.0);
        QCOMPARE(c.scheduler.duration(), 2.0); // measure, STOP: the real length
        c.run(300);
        QCOMPARE(c.scheduler.duration(), 2.0);
    }

    // The duration through the buttons in turn: "start", "stop", "pause" (toggles), "reset"
    // (the chart tab's) and "run N" (N hundredths of clock time), as the indicator tab drives
    // the scheduler.
    void durationThroughTheButtons_data()
    {
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<double>("duration");
        QTest::newRow("PAUSE from stopped begins a measurement")
            << QStringList{"pause", "run 300", "pause"} << 3.0;
        QTest::newRow("PAUSE from stopped after an earlier run")
            << QStringList{"start", "run 500", "stop", "pause", "run 300", "pause", "run 100"}
            << 3.0;
        QTest::newRow("PAUSE from stopped, then STOP")
            << QStringList{"pause", "run 250", "stop"} << 2.5;
        QTest::newRow("STOP, then the chart's reset")
            << QStringList{"start", "run 400", "stop", "reset"} << 4.0;
        QTest::newRow("STOP, then the chart's reset twice")
            << QStringList{"start", "run 400", "stop", "run 100", "reset", "reset"} << 4.0;
        QTest::newRow("the chart's reset while running counts from the reset")
            << QStringList{"start", "run 400", "reset", "run 100"} << 1.0;
    }

    void durationThroughTheButtons()
    {
        QFETCH(QStringList, actions);
        Clock c;
        c.model.GO = false;
        c.sampling.periodMs = 100;
        for (const QString& action : actions) {
            if (action == "start") {
                c.scheduler.start(c.now);
                c.model.GO = true;
            } else if (action == "stop") {
                c.model.GO = false;
                c.scheduler.stop();
            } else if (action == "pause") {
                c.model.GO = !c.model.GO;
                c.scheduler.pause(c.model.GO);
            } else if (action == "reset") {
                c.scheduler.resetTime();
            } else {
                c.run(action.section(' ', 1).toLongLong());
            }
        }
        QTEST(c.scheduler.duration(), "duration");
    }

    void resettingTheTimeKeepsTheRequestCountdown()
    {
        Clock c;
        c.sampling.periodMs = 100;
        c.step(0);
        QCOMPARE(c.requests, 1);
        c.run(7);
        c.scheduler.resetTime();
        QCOMPARE(c.scheduler.MeasureTime(), 0.0);
        c.run(2); // 9 hundredths since the last request: not yet due
        QCOMPARE(c.requests, 1);
        c.run(1);
        QCOMPARE(c.requests, 2);
        QCOMPARE(c.scheduler.MeasureTime(), 0.03);
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

    void nextRequestDue_data()
    {
        QTest::addColumn<int>("period");   // ms
        QTest::addColumn<int>("progress"); // hundredths stepped since the last request
        QTest::addColumn<int>("later");    // hundredths from that step to the question
        QTest::addColumn<int>("due");      // hundredths from the question
        QTest::newRow("100 ms, just asked") << 100 << 0 << 0 << 10;
        QTest::newRow("100 ms, 3 hundredths on") << 100 << 3 << 0 << 7;
        QTest::newRow("100 ms, one hundredth to go") << 100 << 9 << 0 << 1;
        QTest::newRow("100 ms, asked 4 hundredths after the step") << 100 << 0 << 4 << 6;
        QTest::newRow("30 ms: the last 5 ms are early enough") << 30 << 0 << 0 << 3;
        QTest::newRow("25 ms") << 25 << 0 << 0 << 2;
        QTest::newRow("15 ms") << 15 << 0 << 0 << 1;
        QTest::newRow("10 ms") << 10 << 0 << 0 << 1;
        QTest::newRow("period 0 counts as 10 ms") << 0 << 0 << 0 << 1;
        QTest::newRow("2 s") << 2000 << 150 << 0 << 50;
        QTest::newRow("overdue: due now") << 30 << 0 << 5 << 0;
    }

    // The moment given is the one at which IdleStep sends: not a hundredth earlier.
    void nextRequestDue()
    {
        QFETCH(int, period);
        QFETCH(int, progress);
        QFETCH(int, later);
        QFETCH(int, due);
        Clock c;
        c.sampling.periodMs = period;
        c.step(0);
        QCOMPARE(c.requests, 1);
        if (progress > 0)
            c.step(progress);
        QCOMPARE(c.requests, 1);
        const auto got = c.scheduler.hundredthsUntilNextRequest(c.now + later, c.model, c.sampling);
        QCOMPARE(got, std::optional<int64_t>(due));

        if (due > 0) {
            Clock early = c;
            early.step(later + due - 1);
            QCOMPARE(early.requests, 1);
        }
        Clock onTime = c;
        onTime.step(later + due);
        QCOMPARE(onTime.requests, 2);
    }

    void noRequestDue_data()
    {
        QTest::addColumn<bool>("go");
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("continuous");
        QTest::newRow("stopped or paused") << false << 4 << false;
        QTest::newRow("no device type") << true << 0 << false;
        QTest::newRow("continuous sampling") << true << 4 << true;
    }

    void noRequestDue()
    {
        QFETCH(bool, go);
        QFETCH(int, type);
        QFETCH(bool, continuous);
        Clock c;
        c.sampling.periodMs = 100;
        c.step(0);
        c.step(3);
        c.model.GO = go;
        c.model.TypeCode = type;
        c.sampling.continuous = continuous;
        QCOMPARE(c.scheduler.hundredthsUntilNextRequest(c.now, c.model, c.sampling),
                 std::optional<int64_t>());
    }

    void startMakesTheFirstRequestDueAtOnce()
    {
        Clock c;
        c.sampling.periodMs = 100;
        c.step(0);
        c.step(4);
        c.scheduler.start();
        QCOMPARE(c.scheduler.hundredthsUntilNextRequest(c.now, c.model, c.sampling),
                 std::optional<int64_t>(0));
        c.step(0);
        QCOMPARE(c.requests, 2);
    }

    void transmissionFaultClearsWhenTheDeviceAnswers_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("fault"); // bledna_transmisja after it
        QTest::newRow("measurement frame") << "frame" << 0;
        QTest::newRow("frame carrying only the outputs") << "outputs" << 0;
        QTest::newRow("reply") << "reply" << 0;
        QTest::newRow("frame shorter than its flags") << "short" << 1;
        QTest::newRow("no answer") << "none" << 1;
    }

    void transmissionFaultClearsWhenTheDeviceAnswers()
    {
        QFETCH(QString, answer);
        QFETCH(int, fault);
        Clock c;
        c.sampling.continuous = true;
        c.step(1);
        c.run(15); // the request counts as lost
        QCOMPARE(c.model.bledna_transmisja, 1);
        c.step(0); // the next request goes out
        QCOMPARE(c.requests, 2);
        if (answer == "frame") {
            QVERIFY(applyMeasurementFrame(c.model, frame(0x01, {2.5f})));
        } else if (answer == "outputs") {
            QVERIFY(applyMeasurementFrame(c.model, frame(0x18, {})));
        } else if (answer == "reply") {
            deviceAnswered(c.model);
        } else if (answer == "short") {
            auto f = frame(0x01, {2.5f});
            f.pop_back();
            QVERIFY(!applyMeasurementFrame(c.model, f));
        }
        QCOMPARE(c.model.bledna_transmisja, fault);
    }

    void timeTextsWithTheLocaleSeparator_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("text");
        QTest::newRow("point") << 12.34 << "."
                               << "12.34";
        QTest::newRow("comma") << 12.34 << ","
                               << "12,34";
        QTest::newRow("whole seconds have none") << 2.0 << "."
                                                 << "2";
        QTest::newRow("half of a hundredth to even") << 0.125 << "."
                                                     << "0.12";
        QTest::newRow("long measurement") << 86399.99 << "."
                                          << "86399.99";
        QTest::newRow("comma: whole") << 2.0 << ","
                                      << "2";
        QTest::newRow("comma: hundredths") << 12.34 << ","
                                           << "12,34";
        QTest::newRow("comma: half of a hundredth to even") << 0.125 << ","
                                                            << "0,12";
        QTest::newRow("comma: zero") << 0.0 << ","
                                     << "0";
    }

    void timeTextsWithTheLocaleSeparator()
    {
        QFETCH(double, seconds);
        QFETCH(QString, separator);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(timeText(seconds, separator.toLatin1()[0])), text);
    }

    // After every tenth frame, the mean period of the ten, with the locale's separator.
    void periodMeter_data()
    {
        QTest::addColumn<double>("period"); // between frames, seconds
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QStringList>("shown"); // over twenty frames
        QTest::newRow("every 30 ms") << 0.03 << "," << QStringList{"30", "30"};
        QTest::newRow("every 12.3 ms, point") << 0.0123 << "." << QStringList{"12.3", "12.3"};
        QTest::newRow("every 12.3 ms, comma") << 0.0123 << "," << QStringList{"12,3", "12,3"};
    }

    void periodMeter()
    {
        QFETCH(double, period);
        QFETCH(QString, separator);
        QFETCH(QStringList, shown);
        PeriodMeter meter;
        QStringList texts;
        for (int n = 1; n <= 20; ++n)
            if (auto text = meter.frame(n * period, separator.toLatin1()[0]))
                texts << QString::fromStdString(*text);
        QCOMPARE(texts, shown);
    }

    void periodMeterRestarts_data()
    {
        QTest::addColumn<int>("framesBefore");
        QTest::addColumn<double>("timeBefore"); // the earlier frames come 0.03 s apart from here
        QTest::addColumn<double>("restartAt");
        QTest::addColumn<double>("period"); // of the frames after the restart, seconds
        QTest::addColumn<QString>("text");
        QTest::newRow("STOP then START") << 15 << 60.0 << 0.0 << 0.02 << "20";
        QTest::newRow("STOP then START after a tenth frame") << 10 << 60.0 << 0.0 << 0.02 << "20";
        QTest::newRow("continuous sampling switched on again later")
            << 4 << 0.0 << 100.0 << 0.05 << "50";
        QTest::newRow("START before any frame") << 0 << 0.0 << 0.0 << 0.1 << "100";
    }

    // After a restart the first text comes after ten more frames and shows their period.
    void periodMeterRestarts()
    {
        QFETCH(int, framesBefore);
        QFETCH(double, timeBefore);
        QFETCH(double, restartAt);
        QFETCH(double, period);
        QFETCH(QString, text);
        PeriodMeter meter;
        for (int n = 1; n <= framesBefore; ++n)
            meter.frame(timeBefore + n * 0.03, ',');
        meter.restart(restartAt);
        QList<QString> shown;
        for (int n = 1; n <= 20; ++n) {
            const auto t = meter.frame(restartAt + n * period, ',');
            QCOMPARE(t.has_value(), n % 10 == 0);
            if (t)
                shown << QString::fromStdString(*t);
        }
        QCOMPARE(shown, (QList<QString>{text, text}));
    }

    // A caller that forgets the restart: time that went back starts the count again
    // instead of showing a negative period.
    void periodMeterNeverShowsANegativePeriod()
    {
        PeriodMeter meter;
        for (int n = 1; n <= 15; ++n)
            meter.frame(60 + n * 0.03, ',');
        QList<QString> shown;
        for (int n = 1; n <= 21; ++n)
            if (auto t = meter.frame(n * 0.02, ','))
                shown << QString::fromStdString(*t);
        QCOMPARE(shown, (QList<QString>{"20", "20"}));
    }
};

QTEST_APPLESS_MAIN(TestMeasurement)
#include "test_measurement.moc"
