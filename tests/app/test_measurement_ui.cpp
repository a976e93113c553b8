#include <QtTest>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include <algorithm>
#include <iterator>
#include <limits>

#include "../core/Fakes.h"
#include "ConfigFile.h"
#include "EventLoop.h"
#include "FrameBytes.h"
#include "NamedChild.h"
#include "RecordingDialogs.h"
#include "SimProcess.h"
#include "app/Program.h"
#include "app/TForm1.h"
#include "device/DevicePage.h"
#include "measure/IndicatorPage.h"
#include "measure/MeasurementControl.h"
#include "protocol/Commands.h"
#include "ui/CGauge.h"
#include "wizard/TAsystentForm.h"

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
    QLabel* yField = child<QLabel>(ind, "YField");
    QLabel* x1Field = child<QLabel>(ind, "X1Field");
    QLabel* x2Field = child<QLabel>(ind, "X2Field");
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
    QLabel* periodDisplay = child<QLabel>(ind, "Label67");
    QLabel* rate = child<QLabel>(ind, "RateLabel");
    QLabel* time = child<QLabel>(ind, "TimeLabel");
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
        SimProcess sim;
        QVERIFY(sim.valid());
        RecordingDialogs dialogs;
        Program program;
        program.start();
        program.mainWindow()->startupTimer().stop();
        TForm1* main = program.mainWindow();
        DeviceModel& model = main->model();
        IndicatorPage* ind = main->indicatorPage();
        auto* yField = child<QLabel>(ind, "YField");
        auto* x1Bar = child<CGauge>(ind, "CGauge2");
        auto* pk1 = child<QLabel>(ind, "IndicatorPK1");
        auto* start = child<QPushButton>(ind, "ButtonStart");
        auto* stop = child<QPushButton>(ind, "ButtonStop");
        QVERIFY(yField && x1Bar && pk1 && start && stop);
        auto* wizard = main->findChild<TAsystentForm*>();
        wizard->portBox()->setCurrentText(sim.port);
        wizard->BitBtn3Click();
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
};

QTEST_MAIN(TestMeasurementUi)
#include "test_measurement_ui.moc"
