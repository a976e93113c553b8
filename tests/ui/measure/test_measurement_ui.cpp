#include <QtTest>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>

#include <algorithm>
#include <iterator>
#include <limits>

#include "ConfigFile.h"
#include "EventLoop.h"
#include "Fakes.h"
#include "FrameBytes.h"
#include "NamedChild.h"
#include "RecordingDialogs.h"
#include "SimProcess.h"
#include "SimulatedProgram.h"
#include "app/Program.h"
#include "app/TForm1.h"
#include "core/protocol/Commands.h"
#include "ui/common/CGauge.h"
#include "ui/device/DevicePage.h"
#include "ui/device/DeviceSync.h"
#include "ui/measure/IndicatorPage.h"
#include "ui/measure/MeasurementControl.h"
#include "ui/wizard/TAsystentForm.h"

#include "ui/common/ValueLabel.h"

using namespace kx;

namespace {

// The program's windows with measurement requests recorded and a clock the test moves.
struct Fixture
{
    RecordingDialogs dialogs;
    Program program;
    TForm1* main = program.mainWindow();
    DeviceModel& model = main->model();
    IndicatorPage* ind = main->indicatorPage();
    DevicePage* dev = main->devicePage();
    MeasurementControl& measure = main->measurement();
    RecordingSink sink;
    int64_t now = 500;

    // The indicator tab's controls.
    ValueLabel* yField = child<ValueLabel>(ind, "YField");
    ValueLabel* x1Field = child<ValueLabel>(ind, "X1Field");
    ValueLabel* x2Field = child<ValueLabel>(ind, "X2Field");
    CGauge* yBar = child<CGauge>(ind, "CGauge1");
    CGauge* x1Bar = child<CGauge>(ind, "CGauge2");
    CGauge* rightHalfBar = child<CGauge>(ind, "CGauge4");
    CGauge* leftHalfBar = child<CGauge>(ind, "CGauge5");
    QLabel* pk1 = child<QLabel>(ind, "IndicatorPK1");
    QLabel* pk2 = child<QLabel>(ind, "IndicatorPK2");
    QPushButton* start = child<QPushButton>(ind, "ButtonStart");
    QPushButton* stop = child<QPushButton>(ind, "ButtonStop");
    QPushButton* pause = child<QPushButton>(ind, "ButtonPause");
    QSpinBox* period = child<QSpinBox>(ind, "SamplingPeriod");
    QCheckBox* continuous = child<QCheckBox>(ind, "ContinuousSampling");
    ValueLabel* periodDisplay = child<ValueLabel>(ind, "Label67");
    ValueLabel* rate = child<ValueLabel>(ind, "RateLabel");
    ValueLabel* time = child<ValueLabel>(ind, "TimeLabel");
    QGroupBox* sampling = child<QGroupBox>(ind, "GroupBoxSampling");
    // The device tab's result boxes "Y =", "X1=", "X2=".
    QLineEdit* yResult = child<QLineEdit>(dev, "Edit21");
    QLineEdit* x1Result = child<QLineEdit>(dev, "Edit19");
    QLineEdit* x2Result = child<QLineEdit>(dev, "Edit20");

    Fixture()
    {
        measure.setRequests({&sink, nullptr});
        measure.setClock([this] { return now; });
        main->link().PortOpen = true;
    }
    // Every control above was found (a missing one is named in a warning).
    bool complete() const
    {
        const QWidget* const controls[] = {
            yField,        x1Field, x2Field, yBar,     x1Bar,   rightHalfBar, leftHalfBar,
            pk1,           pk2,     start,   stop,     pause,   period,       continuous,
            periodDisplay, rate,    time,    sampling, yResult, x1Result,     x2Result};
        return std::all_of(std::begin(controls), std::end(controls),
                           [](const QWidget* w) { return w != nullptr; });
    }
    void active(bool y, bool x1, bool x2) { ind->setActive({y, x1, x2}); }
    void receive(const QByteArray& bytes) { main->link().post(DataReceived, bytes); }
    void step(int64_t hundredths)
    {
        now += hundredths;
        measure.IdleStep();
    }
    void detectedAndStarted()
    {
        model.Detected = true;
        model.TypeCode = 4;
        QTest::mouseClick(start, Qt::LeftButton);
    }
};

// What the program gives the engine on its way there: every request offered, taken or not,
// and the taken measurement requests.
struct CountingSink : ByteSink
{
    ByteSink* next = nullptr;
    int offered = 0;
    int measurementRequests = 0;
    bool send(const uint8_t* data, int length) override
    {
        ++offered;
        const bool taken = next->send(data, length);
        if (taken && length == 8 && data[2] == Cmd::Measure)
            ++measurementRequests;
        return taken;
    }
};

// Declared before the program, so the sink outlives the program that sends through it.
struct CountedRequests
{
    CountingSink sink;
};

// The program against a simulator, with the requests of the measurement and of the cycle
// counted on their way to the engine.
struct LiveFixture : CountedRequests, SimulatedProgram
{
    IndicatorPage* ind = main->indicatorPage();

    ValueLabel* yField = child<ValueLabel>(ind, "YField");
    ValueLabel* periodDisplay = child<ValueLabel>(ind, "Label67");
    QPushButton* start = child<QPushButton>(ind, "ButtonStart");
    QPushButton* stop = child<QPushButton>(ind, "ButtonStop");
    QGroupBox* sampling = child<QGroupBox>(ind, "GroupBoxSampling");
    ValueLabel* status = child<ValueLabel>(main->devicePage(), "Label66");

    explicit LiveFixture(const QStringList& simArgs = {}) : SimulatedProgram(simArgs)
    {
        sink.next = &link;
        main->measurement().setRequests({&sink, &link});
        main->sync().setRequests({&sink, &link});
        ind->setActive({true, true, true});
    }
    bool complete() const
    {
        return valid() && yField && periodDisplay && start && stop && sampling && status;
    }
    // START in continuous sampling, then the first sample.
    bool measuring()
    {
        ind->setSampling({true, ind->sampling().periodMs});
        QTest::mouseClick(start, Qt::LeftButton);
        return model.GO && runUntil([this] { return yField->text() != "-------------"; }, 3000);
    }
    QList<QWidget*> lockableGroups() const
    {
        QList<QWidget*> groups = main->devicePage()->lockableGroups();
        groups << sampling;
        return groups;
    }
};

} // namespace

class TestMeasurementUi : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { writeDefaultConfig(); }

    void outputsOnlyFrameRepaintsTheActiveChannels()
    {
        Fixture f;
        QVERIFY(f.complete());
        f.active(true, true, false);
        f.model.CurrentY = 3.5f;
        f.model.CurrentX1 = 1.25f;
        f.receive(measurement(0x18, {}));
        QCOMPARE(f.pk1->palette().color(QPalette::Window), QColor(0x00, 0xFF, 0x00));
        QCOMPARE(f.pk2->palette().color(QPalette::Window), QColor(0x00, 0xFF, 0x00));
        QCOMPARE(f.yField->text(), QString("3.5000"));
        QCOMPARE(f.x1Field->text(), QString("1.2500"));
        QCOMPARE(f.x2Field->text(), QString("-------------")); // inactive: untouched
        f.receive(measurement(0x00, {}));
        QCOMPARE(f.pk1->palette().color(QPalette::Window), QColor(0x80, 0x00, 0x00));
    }

    void yAndX2Frame()
    {
        Fixture f;
        QVERIFY(f.complete());
        f.active(true, true, true);
        f.model.Stan.D2 = 20;
        f.receive(measurement(0x05, {12.5f, 2.5f}));
        QCOMPARE(f.model.CurrentY, 12.5f);
        QCOMPARE(f.model.CurrentX2, 5.0f);
        QCOMPARE(f.yField->text(), QString("12.5000"));
        QCOMPARE(f.x2Field->text(), QString("5.0000"));
        QCOMPARE(f.yResult->text(), QString("12,5"));
        QCOMPARE(f.x2Result->text(), QString("5"));
        QCOMPARE(f.x1Result->text(), QString("----------"));
    }

    void x1ScaledByTheReportedWidth()
    {
        Fixture f;
        QVERIFY(f.complete());
        f.active(false, true, false);
        f.model.Stan.D1 = 20;
        f.receive(measurement(0x02, {5.0f}));
        QCOMPARE(f.x1Field->text(), QString("10.0000"));
        QCOMPARE(f.x1Result->text(), QString("10"));
        QCOMPARE(f.x1Bar->progress(), 10);
    }

    void shortFrameChangesNothing()
    {
        Fixture f;
        QVERIFY(f.complete());
        f.active(true, true, true);
        f.model.zapytanie = true;
        QByteArray cut = measurement(0x1F, {1, 2, 3});
        cut.chop(2);
        f.receive(cut);
        QCOMPARE(f.yField->text(), QString("-------------"));
        QCOMPARE(f.model.OutputPK1, uint8_t(0));
        QVERIFY(f.model.zapytanie);
    }

    void notFiniteValuesShowAsText()
    {
        Fixture f;
        QVERIFY(f.complete());
        f.active(true, true, false);
        f.model.Stan.D1 = 10;
        f.receive(measurement(0x03, {12.0f, 3.0f}));
        const int yBar = f.yBar->progress();
        f.receive(measurement(0x03, {std::numeric_limits<float>::quiet_NaN(),
                                     std::numeric_limits<float>::infinity()}));
        QCOMPARE(f.yField->text(), QString("NAN"));
        QCOMPARE(f.x1Field->text(), QString("INF"));
        QCOMPARE(f.yResult->text(), QString("NAN"));
        QCOMPARE(f.yBar->progress(), yBar);
    }

    void halfBars_data()
    {
        QTest::addColumn<bool>("bothChannels");
        QTest::addColumn<int>("right");
        QTest::addColumn<int>("left");
        QTest::newRow("only X1: from Y - D0") << false << 117 << 2000 - 100;
        QTest::newRow("all three: from the channels") << true << 123 << 2000 - 250;
    }

    void halfBars()
    {
        QFETCH(bool, bothChannels);
        QFETCH(int, right);
        QFETCH(int, left);
        Fixture f;
        QVERIFY(f.complete());
        f.active(true, true, bothChannels);
        f.model.Stan.D0 = 10;
        f.rightHalfBar->setMaxValue(2000);
        f.leftHalfBar->setMaxValue(2000);
        f.model.CurrentX1 = 1.234f;
        f.model.CurrentX2 = 2.5f;
        f.model.CurrentY = 12.34f;
        f.measure.HandleNewValues();
        QCOMPARE(f.rightHalfBar->progress(), right);
        QCOMPARE(f.leftHalfBar->progress(), left);
        QCOMPARE(f.yBar->progress(), 12);
    }

    void rateAndTime_data()
    {
        QTest::addColumn<int>("period");
        QTest::addColumn<QString>("rate");
        QTest::newRow("100 ms") << 100 << "10,00000";
        QTest::newRow("30 ms") << 30 << "33,33333";
    }

    void rateAndTime()
    {
        QFETCH(int, period);
        QFETCH(QString, rate);
        Fixture f;
        QVERIFY(f.complete());
        f.period->setValue(period);
        f.detectedAndStarted();
        f.step(0);
        f.step(125);
        f.measure.DisplayTimerTick();
        QCOMPARE(f.rate->text(), rate);
        QCOMPARE(f.time->text(), QString("1,25"));
    }

    void timedRequestsEveryPeriod()
    {
        Fixture f;
        QVERIFY(f.complete());
        f.active(true, false, true);
        f.period->setValue(100);
        f.detectedAndStarted();
        for (int i = 0; i < 100; ++i)
            f.step(1); // one second
        QCOMPARE(f.sink.sent.size(), size_t(10));
        QCOMPARE(f.sink.sent[0], (std::vector<uint8_t>{0xF1, 0xF1, 0x07, 1, 0, 1, 0, 0x09}));
    }

    void continuousAgainstASilentDevice()
    {
        Fixture f;
        QVERIFY(f.complete());
        f.continuous->setChecked(true);
        f.detectedAndStarted();
        // Idle steps come far more often than the clock's hundredths: one with a step, one
        // without, as when other events are handled within the same hundredth.
        for (int i = 0; i < 150; ++i) {
            f.step(1);
            f.step(0);
        } // 1.5 s: a request every 0.15 s
        QCOMPARE(f.sink.sent.size(), size_t(10));
        QCOMPARE(f.model.bledna_transmisja, 1);
        f.measure.DisplayTimerTick();
        QCOMPARE(f.rate->text(), QString());
    }

    void stopStartRestartsAndPauseContinues()
    {
        Fixture f;
        QVERIFY(f.complete());
        f.period->setValue(100);
        f.detectedAndStarted();
        f.step(50);
        QTest::mouseClick(f.pause, Qt::LeftButton);
        QVERIFY(!f.model.GO);
        f.step(30);
        QTest::mouseClick(f.pause, Qt::LeftButton);
        f.step(20);
        QCOMPARE(f.measure.scheduler().MeasureTime(), 0.7);
        QTest::mouseClick(f.stop, Qt::LeftButton);
        QCOMPARE(f.measure.scheduler().MeasureTime(), 0.0);
        QTest::mouseClick(f.start, Qt::LeftButton);
        f.step(10);
        QCOMPARE(f.measure.scheduler().MeasureTime(), 0.1);
    }

    void startWithoutADevice()
    {
        Fixture f;
        QVERIFY(f.complete());
        f.program.start();
        f.main->startupTimer().stop();
        QTest::mouseClick(f.start, Qt::LeftButton);
        QCOMPARE(f.dialogs.texts(), QStringList{QString::fromUtf8("Nie odnaleziono urządznia!")});
        QVERIFY(f.main->findChild<TAsystentForm*>()->isVisible());
        QVERIFY(!f.model.GO);
        QVERIFY(f.sampling->isEnabled());
    }

    void runningMeasurementLocksTheGroups()
    {
        Fixture f;
        QVERIFY(f.complete());
        f.detectedAndStarted();
        QList<QWidget*> groups = f.dev->lockableGroups();
        groups << f.sampling;
        for (QWidget* g : groups) {
            QVERIFY(!g->isEnabled());
            QCOMPARE(g->cursor().shape(), Qt::ForbiddenCursor);
        }
        QTest::mouseClick(f.stop, Qt::LeftButton);
        for (QWidget* g : groups) {
            QVERIFY(g->isEnabled());
            QCOMPARE(g->cursor().shape(), Qt::ArrowCursor);
        }
    }

    void continuousSamplingShowsThePeriod()
    {
        Fixture f;
        QVERIFY(f.complete());
        f.program.start();
        f.main->startupTimer().stop();
        QVERIFY(!f.periodDisplay->isVisible());
        f.continuous->setChecked(true);
        QVERIFY(f.periodDisplay->isVisible());
        f.detectedAndStarted();
        for (int n = 0; n < 10; ++n) {
            f.step(3);
            f.receive(measurement(0x01, {1.0f}));
        }
        QCOMPARE(f.periodDisplay->text(), QString("30"));
        f.continuous->setChecked(false);
        QVERIFY(!f.periodDisplay->isVisible());
    }

    void liveAgainstTheSimulator()
    {
        KX_NEEDS_SIMULATOR();
        SimulatedProgram f;
        QVERIFY(f.sim.valid());
        TForm1* main = f.main;
        DeviceModel& model = f.model;
        IndicatorPage* ind = main->indicatorPage();
        auto* yField = child<ValueLabel>(ind, "YField");
        auto* x1Bar = child<CGauge>(ind, "CGauge2");
        auto* pk1 = child<QLabel>(ind, "IndicatorPK1");
        auto* start = child<QPushButton>(ind, "ButtonStart");
        auto* stop = child<QPushButton>(ind, "ButtonStop");
        QVERIFY(yField && x1Bar && pk1 && start && stop);
        f.clickConnect();
        QTRY_VERIFY_WITH_TIMEOUT(model.Detected, 10000);

        ind->setActive({true, true, true});
        ind->setSampling({true, ind->sampling().periodMs});
        QTest::mouseClick(start, Qt::LeftButton);
        QVERIFY(runUntil([&] { return yField->text() != "-------------"; }, 3000));
        const QString first = yField->text();
        QVERIFY(runUntil([&] { return yField->text() != first; }, 3000)); // it moves
        QVERIFY(x1Bar->progress() > 0);
        QVERIFY(
            runUntil([&] { return main->measurement().scheduler().MeasureTime() > 0.5; }, 3000));
        // Y = D0 + X1 + X2 with COEF 1 and OFFSET 0 in the simulator.
        QVERIFY(qAbs(model.CurrentY - (model.Stan.D0 + model.CurrentX1 + model.CurrentX2)) < 0.01);
        // PK1 is 5 and Y is always above it there.
        QCOMPARE(pk1->palette().color(QPalette::Window), QColor(0x00, 0xFF, 0x00));

        QTest::mouseClick(stop, Qt::LeftButton);
        runEventLoop(100);
        const QString stopped = yField->text();
        // Nothing to wait for: no value may arrive in this span once stopped.
        runEventLoop(400);
        QCOMPARE(yField->text(), stopped);
    }

    // The meter counts ten frames from the moment it restarts: START, STOP and switching
    // continuous sampling on. Frames before belong to no period.
    void periodMeterRestarts_data()
    {
        QTest::addColumn<QString>("before");
        QTest::newRow("STOP, START after nine frames") << "nine frames";
        QTest::newRow("STOP, START after a long measurement") << "long";
        QTest::newRow("switched on during timed sampling") << "timed";
    }

    void periodMeterRestarts()
    {
        QFETCH(QString, before);
        Fixture f;
        QVERIFY(f.complete());
        f.active(true, false, false);
        f.period->setValue(100);
        if (before == "timed") {
            f.detectedAndStarted();
            for (int i = 0; i < 50; ++i) { // five seconds, a frame after every request
                f.step(10);
                f.receive(measurement(0x01, {1.0f}));
            }
            f.continuous->setChecked(true);
        } else {
            f.continuous->setChecked(true);
            f.detectedAndStarted();
            const int frames = before == "long" ? 2003 : 9;
            for (int i = 0; i < frames; ++i) {
                f.step(3);
                f.receive(measurement(0x01, {1.0f}));
            }
            QTest::mouseClick(f.stop, Qt::LeftButton);
            QTest::mouseClick(f.start, Qt::LeftButton);
        }
        f.periodDisplay->setText(QString());
        for (int n = 1; n <= 10; ++n) {
            f.step(3);
            f.receive(measurement(0x01, {1.0f}));
            if (n < 10)
                QVERIFY2(f.periodDisplay->text().isEmpty(), qPrintable(f.periodDisplay->text()));
        }
        QCOMPARE(f.periodDisplay->text(), QString("30"));
    }

    void periodAfterStopAndStartAgainstTheSimulator()
    {
        KX_NEEDS_SIMULATOR();
        LiveFixture f;
        QVERIFY(f.complete());
        QVERIFY2(f.connect(), qPrintable(f.wizardState()));
        QVERIFY(f.measuring());
        // Long enough for the meter to have shown periods and to be part-way through ten.
        QVERIFY(
            runUntil([&] { return f.main->measurement().scheduler().MeasureTime() > 1.0; }, 5000));
        QVERIFY(!f.periodDisplay->text().isEmpty());
        QTest::mouseClick(f.stop, Qt::LeftButton);
        QTest::mouseClick(f.start, Qt::LeftButton);
        f.ind->setPeriodText(QString());
        QVERIFY(runUntil([&] { return !f.periodDisplay->text().isEmpty(); }, 3000));
        const QString shown = f.periodDisplay->text();
        bool number = false;
        const double ms = QLocale().toDouble(shown, &number);
        QVERIFY2(number, qPrintable(shown));
        // The simulator answers in some 25 to 30 ms; the band allows for a loaded machine.
        QVERIFY2(ms >= 5 && ms <= 200, qPrintable(shown));
        // Whole hundredths of a second over ten frames: whole milliseconds, and no point
        // even where the locale would write one.
        QVERIFY2(!shown.contains('.') && !shown.contains('-'), qPrintable(shown));
    }

    // A whole frame answers the request, so continuous sampling asks again at once; one cut
    // short answers nothing, and the request stays pending until its 150 ms run out.
    void aFrameLetsTheNextRequestGo_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<int>("requests");
        QTest::newRow("whole frame") << measurement(0x01, {2.0f}) << 2;
        QTest::newRow("frame cut short") << measurement(0x01, {2.0f}).chopped(1) << 1;
    }

    void aFrameLetsTheNextRequestGo()
    {
        QFETCH(QByteArray, frame);
        Fixture f;
        QVERIFY(f.complete());
        f.active(true, false, false);
        f.continuous->setChecked(true);
        f.detectedAndStarted();
        f.step(1);
        QCOMPARE(f.sink.sent.size(), size_t(1));
        f.receive(frame);
        f.step(1);
        f.step(1);
        QTEST(int(f.sink.sent.size()), "requests");
    }

    void continuousSamplingKeepsItsRateAgainstTheSimulator()
    {
        KX_NEEDS_SIMULATOR();
        LiveFixture f;
        QVERIFY(f.complete());
        QVERIFY2(f.connect(), qPrintable(f.wizardState()));
        QVERIFY(f.measuring());
        const int before = f.sink.measurementRequests;
        QElapsedTimer clock;
        clock.start();
        // A rate over a span: one request a frame, some 35 a second on the line; a request
        // left pending would allow one per 150 ms timeout, about 6 a second.
        runEventLoop(1000);
        const double perSecond =
            (f.sink.measurementRequests - before) * 1000.0 / double(clock.elapsed());
        qInfo("%.1f measurement requests a second", perSecond);
        QVERIFY2(perSecond >= 20, qPrintable(QString::number(perSecond)));
    }

    void simulatorHangingUpStopsTheMeasurement()
    {
        // Time for the wizard to connect and the measurement to start before the line goes.
        KX_NEEDS_SIMULATOR();
        LiveFixture f({"--hangup-after", "5000"});
        QVERIFY(f.complete());
        QVERIFY2(f.connect(), qPrintable(f.wizardState()));
        QVERIFY(f.measuring());
        QTRY_COMPARE(f.status->text(), QString("praca"));
        for (QWidget* g : f.lockableGroups())
            QVERIFY(!g->isEnabled());
        QVERIFY2(f.link.PortOpen, "the simulator hung up before the measurement ran");

        QVERIFY(runUntil([&] { return !f.link.PortOpen; }, 8000));
        QCOMPARE(f.dialogs.texts().filter("Zamknieto port").size(), 1);
        QVERIFY(!f.model.GO);
        QVERIFY(!f.model.Detected);
        for (QWidget* g : f.lockableGroups()) {
            QVERIFY2(g->isEnabled(), qPrintable(g->objectName()));
            QCOMPARE(g->cursor().shape(), Qt::ArrowCursor);
        }
        QCOMPARE(f.status->text(), QString("nie wykryto"));
        // Nothing to wait for: no request may be offered to the engine in this span, in
        // which a measurement still thought running would ask every 150 ms.
        const int offered = f.sink.offered;
        runEventLoop(600);
        QCOMPARE(f.sink.offered, offered);
        QCOMPARE(f.status->text(), QString("nie wykryto"));

        // The wizard connects again, here to another device.
        auto* connectButton = f.wizard->findChild<QPushButton*>("BitBtn3");
        QVERIFY(connectButton && connectButton->isEnabled());
        SimProcess other;
        QVERIFY(other.valid());
        QVERIFY2(f.connect(other.port), qPrintable(f.wizardState()));
        QTRY_COMPARE(f.status->text(), QString("gotowy do pracy"));
        const int requests = f.sink.measurementRequests;
        QTest::mouseClick(f.start, Qt::LeftButton);
        QVERIFY(f.model.GO);
        QVERIFY(runUntil([&] { return f.sink.measurementRequests >= requests + 5; }, 3000));
    }

    // "rozłącz" is the operator's own: no lost line, the measurement is left as it is.
    void disconnectLeavesTheMeasurementAsItIs()
    {
        KX_NEEDS_SIMULATOR();
        LiveFixture f;
        QVERIFY(f.complete());
        QVERIFY2(f.connect(), qPrintable(f.wizardState()));
        QVERIFY(f.measuring());
        f.main->findChild<QAction*>("rozcz1")->trigger();
        QTRY_VERIFY(!f.link.PortOpen);
        QTRY_COMPARE(f.dialogs.texts().filter("Zamknieto port").size(), 1);
        runEventLoop(300); // nothing to wait for: the cycle's status tick in this span
        QVERIFY(f.model.GO);
        QVERIFY(f.model.Detected);
        QCOMPARE(f.status->text(), QString("praca"));
        for (QWidget* g : f.lockableGroups())
            QVERIFY(!g->isEnabled());
    }

    // "próbkowanie co:" takes what is typed and corrects it when the operator leaves it.
    void periodFieldCorrectsOnLeaving_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("below the least") << "5" << 10 << "10";
        QTest::newRow("above the greatest") << "99999999" << 10000000 << "10000000";
        QTest::newRow("letters") << "abc" << 10 << "10";
        QTest::newRow("negative") << "-5" << 10 << "10";
        QTest::newRow("nothing") << "" << 10 << "10";
        QTest::newRow("within the range") << "250" << 250 << "250";
    }

    void periodFieldCorrectsOnLeaving()
    {
        QFETCH(QString, typed);
        Fixture f;
        QVERIFY(f.complete());
        f.period->setValue(100);
        f.main->show();
        f.main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.main));
        f.period->setFocus();
        QTRY_VERIFY(f.period->hasFocus());
        auto* edit = f.period->findChild<QLineEdit*>();
        QVERIFY(edit);
        edit->selectAll();
        if (typed.isEmpty())
            QTest::keyClick(edit, Qt::Key_Backspace);
        else
            QTest::keyClicks(edit, typed);
        QCOMPARE(edit->text(), typed); // every character is taken as typed
        f.continuous->setFocus();
        QTRY_VERIFY(!f.period->hasFocus());
        QTEST(f.period->value(), "value");
        QTEST(f.period->text(), "text");
        QTEST(f.ind->sampling().periodMs, "value");
    }

    // The time and the device tab's result in the locale's decimal separator (run again
    // under another locale below).
    void readoutsTakeTheLocaleSeparator()
    {
        const QString point = QLocale::system().decimalPoint();
        qInfo("decimal separator: %s", qPrintable(point));
        Fixture f;
        QVERIFY(f.complete());
        f.active(true, false, false);
        f.period->setValue(100);
        f.detectedAndStarted();
        f.step(0);
        f.step(125);
        f.measure.DisplayTimerTick();
        QCOMPARE(f.time->text(), "1" + point + "25");
        f.receive(measurement(0x01, {12.5f}));
        QCOMPARE(f.yResult->text(), "12" + point + "5");
    }

    void readoutsFollowAnotherLocale()
    {
#ifdef Q_OS_WIN
        QSKIP("a Windows program takes its locale from the user's settings, not its environment");
#endif
        QCOMPARE(QLocale::system().decimalPoint(), QString(","));
        QProcess run;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("LC_ALL", "en_US.UTF-8");
        env.insert("LANG", "en_US.UTF-8");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        run.setProcessEnvironment(env);
        run.setProcessChannelMode(QProcess::MergedChannels);
        run.start(QCoreApplication::applicationFilePath(), {"readoutsTakeTheLocaleSeparator"});
        QVERIFY(run.waitForFinished(60000));
        const QByteArray out = run.readAll();
        QVERIFY2(out.contains("decimal separator: ."), out.constData());
        QVERIFY2(run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0, out.constData());
    }

    // A device that answers again clears the transmission fault its silence set.
    void transmissionFaultClearsWhenTheDeviceAnswers()
    {
        KX_NEEDS_SIMULATOR();
        LiveFixture f({"--ignore-first", "3"});
        QVERIFY(f.complete());
        // Opened directly: the wizard's reads would use up the unanswered requests.
        QCOMPARE(f.link.openForWizard(f.sim.port), 0);
        f.model.TypeCode = 4;
        f.model.Detected = true;
        f.ind->setSampling({true, 100});
        QTest::mouseClick(f.start, Qt::LeftButton);
        QVERIFY(runUntil([&] { return f.model.bledna_transmisja == 1; }, 3000));
        QCOMPARE(f.yField->text(), QString("-------------"));
        QVERIFY(runUntil([&] { return f.model.bledna_transmisja == 0; }, 3000));
        QVERIFY(f.yField->text() != "-------------");
        // Nothing to wait for: answers keep coming, so it stays clear over this span.
        runEventLoop(300);
        QCOMPARE(f.model.bledna_transmisja, 0);
    }
};

QTEST_MAIN(TestMeasurementUi)
#include "test_measurement_ui.moc"
