#include <QtTest>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include <limits>

#include "../core/Fakes.h"
#include "ConfigFile.h"
#include "EventLoop.h"
#include "FrameBytes.h"
#include "RecordingDialogs.h"
#include "SimProcess.h"
#include "app/Program.h"
#include "app/TForm1.h"
#include "device/DevicePage.h"
#include "measure/CGauge.h"
#include "measure/IndicatorPage.h"
#include "measure/MeasurementControl.h"
#include "protocol/Commands.h"
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

    Fixture()
    {
        measure.setRequests({&sink, nullptr});
        measure.setClock([this] { return now; });
        main->link().PortOpen = true;
    }
    void active(bool y, bool x1, bool x2)
    {
        ind->yActive()->setChecked(y);
        ind->x1Active()->setChecked(x1);
        ind->x2Active()->setChecked(x2);
    }
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
        QTest::mouseClick(ind->startButton(), Qt::LeftButton);
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
        f.active(true, true, false);
        f.model.CurrentY = 3.5f;
        f.model.CurrentX1 = 1.25f;
        f.receive(measurement(0x18, {}));
        QCOMPARE(f.ind->pk1Indicator()->palette().color(QPalette::Window),
                 QColor(0x00, 0xFF, 0x00));
        QCOMPARE(f.ind->pk2Indicator()->palette().color(QPalette::Window),
                 QColor(0x00, 0xFF, 0x00));
        QCOMPARE(f.ind->yField()->text(), QString("3.5000"));
        QCOMPARE(f.ind->x1Field()->text(), QString("1.2500"));
        QCOMPARE(f.ind->x2Field()->text(), QString("-------------")); // inactive: untouched
        f.receive(measurement(0x00, {}));
        QCOMPARE(f.ind->pk1Indicator()->palette().color(QPalette::Window),
                 QColor(0x80, 0x00, 0x00));
    }

    void yAndX2Frame()
    {
        Fixture f;
        f.active(true, true, true);
        f.model.Stan.D2 = 20;
        f.receive(measurement(0x05, {12.5f, 2.5f}));
        QCOMPARE(f.model.CurrentY, 12.5f);
        QCOMPARE(f.model.CurrentX2, 5.0f);
        QCOMPARE(f.ind->yField()->text(), QString("12.5000"));
        QCOMPARE(f.ind->x2Field()->text(), QString("5.0000"));
        QCOMPARE(f.dev->resultBox(Channel::Y)->text(), QString("12,5"));
        QCOMPARE(f.dev->resultBox(Channel::X2)->text(), QString("5"));
        QCOMPARE(f.dev->resultBox(Channel::X1)->text(), QString("----------"));
    }

    void x1ScaledByTheReportedWidth()
    {
        Fixture f;
        f.active(false, true, false);
        f.model.Stan.D1 = 20;
        f.receive(measurement(0x02, {5.0f}));
        QCOMPARE(f.ind->x1Field()->text(), QString("10.0000"));
        QCOMPARE(f.dev->resultBox(Channel::X1)->text(), QString("10"));
        QCOMPARE(f.ind->x1Bar()->progress(), 10);
    }

    void shortFrameChangesNothing()
    {
        Fixture f;
        f.active(true, true, true);
        f.model.zapytanie = true;
        QByteArray cut = measurement(0x1F, {1, 2, 3});
        cut.chop(2);
        f.receive(cut);
        QCOMPARE(f.ind->yField()->text(), QString("-------------"));
        QCOMPARE(f.model.OutputPK1, uint8_t(0));
        QVERIFY(f.model.zapytanie);
    }

    void notFiniteValuesShowAsText()
    {
        Fixture f;
        f.active(true, true, false);
        f.model.Stan.D1 = 10;
        f.receive(measurement(0x03, {12.0f, 3.0f}));
        const int yBar = f.ind->yBar()->progress();
        f.receive(measurement(0x03, {std::numeric_limits<float>::quiet_NaN(),
                                     std::numeric_limits<float>::infinity()}));
        QCOMPARE(f.ind->yField()->text(), QString("NAN"));
        QCOMPARE(f.ind->x1Field()->text(), QString("INF"));
        QCOMPARE(f.dev->resultBox(Channel::Y)->text(), QString("NAN"));
        QCOMPARE(f.ind->yBar()->progress(), yBar);
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
        f.active(true, true, bothChannels);
        f.model.Stan.D0 = 10;
        f.ind->rightHalfBar()->setMaxValue(2000);
        f.ind->leftHalfBar()->setMaxValue(2000);
        f.model.CurrentX1 = 1.234f;
        f.model.CurrentX2 = 2.5f;
        f.model.CurrentY = 12.34f;
        f.measure.HandleNewValues();
        QCOMPARE(f.ind->rightHalfBar()->progress(), right);
        QCOMPARE(f.ind->leftHalfBar()->progress(), left);
        QCOMPARE(f.ind->yBar()->progress(), 12);
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
        f.ind->samplingPeriod()->setValue(period);
        f.detectedAndStarted();
        f.step(0);
        f.step(125);
        f.measure.DisplayTimerTick();
        QCOMPARE(f.ind->rateLabel()->text(), rate);
        QCOMPARE(f.ind->timeLabel()->text(), QString("1,25"));
    }

    void timedRequestsEveryPeriod()
    {
        Fixture f;
        f.active(true, false, true);
        f.ind->samplingPeriod()->setValue(100);
        f.detectedAndStarted();
        for (int i = 0; i < 100; ++i)
            f.step(1); // one second
        QCOMPARE(f.sink.sent.size(), size_t(10));
        QCOMPARE(f.sink.sent[0], (std::vector<uint8_t>{0xF1, 0xF1, 0x07, 1, 0, 1, 0, 0x09}));
    }

    void continuousAgainstASilentDevice()
    {
        Fixture f;
        f.ind->continuousSampling()->setChecked(true);
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
        QCOMPARE(f.ind->rateLabel()->text(), QString());
    }

    void stopStartRestartsAndPauseContinues()
    {
        Fixture f;
        f.ind->samplingPeriod()->setValue(100);
        f.detectedAndStarted();
        f.step(50);
        QTest::mouseClick(f.ind->pauseButton(), Qt::LeftButton);
        QVERIFY(!f.model.GO);
        f.step(30);
        QTest::mouseClick(f.ind->pauseButton(), Qt::LeftButton);
        f.step(20);
        QCOMPARE(f.measure.scheduler().MeasureTime(), 0.7);
        QTest::mouseClick(f.ind->stopButton(), Qt::LeftButton);
        QCOMPARE(f.measure.scheduler().MeasureTime(), 0.0);
        QTest::mouseClick(f.ind->startButton(), Qt::LeftButton);
        f.step(10);
        QCOMPARE(f.measure.scheduler().MeasureTime(), 0.1);
    }

    void startWithoutADevice()
    {
        Fixture f;
        f.program.start();
        f.main->startupTimer().stop();
        QTest::mouseClick(f.ind->startButton(), Qt::LeftButton);
        QCOMPARE(f.dialogs.texts(), QStringList{QString::fromUtf8("Nie odnaleziono urządznia!")});
        QVERIFY(f.main->findChild<TAsystentForm*>()->isVisible());
        QVERIFY(!f.model.GO);
        QVERIFY(f.ind->samplingGroup()->isEnabled());
    }

    void runningMeasurementLocksTheGroups()
    {
        Fixture f;
        f.detectedAndStarted();
        QList<QWidget*> groups = f.dev->lockableGroups();
        groups << f.ind->samplingGroup();
        for (QWidget* g : groups) {
            QVERIFY(!g->isEnabled());
            QCOMPARE(g->cursor().shape(), Qt::ForbiddenCursor);
        }
        QTest::mouseClick(f.ind->stopButton(), Qt::LeftButton);
        for (QWidget* g : groups) {
            QVERIFY(g->isEnabled());
            QCOMPARE(g->cursor().shape(), Qt::ArrowCursor);
        }
    }

    void continuousSamplingShowsThePeriod()
    {
        Fixture f;
        f.program.start();
        f.main->startupTimer().stop();
        QVERIFY(!f.ind->periodDisplay()->isVisible());
        f.ind->continuousSampling()->setChecked(true);
        QVERIFY(f.ind->periodDisplay()->isVisible());
        f.detectedAndStarted();
        for (int n = 0; n < 10; ++n) {
            f.step(3);
            f.receive(measurement(0x01, {1.0f}));
        }
        QCOMPARE(f.ind->periodDisplay()->text(), QString("30"));
        f.ind->continuousSampling()->setChecked(false);
        QVERIFY(!f.ind->periodDisplay()->isVisible());
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
        auto* wizard = main->findChild<TAsystentForm*>();
        wizard->portBox()->setCurrentText(sim.port);
        wizard->BitBtn3Click();
        QTRY_VERIFY_WITH_TIMEOUT(model.Detected, 10000);

        ind->yActive()->setChecked(true);
        ind->x1Active()->setChecked(true);
        ind->x2Active()->setChecked(true);
        ind->continuousSampling()->setChecked(true);
        QTest::mouseClick(ind->startButton(), Qt::LeftButton);
        QVERIFY(runUntil([&] { return ind->yField()->text() != "-------------"; }, 3000));
        const QString first = ind->yField()->text();
        QVERIFY(runUntil([&] { return ind->yField()->text() != first; }, 3000)); // it moves
        QVERIFY(ind->x1Bar()->progress() > 0);
        QVERIFY(
            runUntil([&] { return main->measurement().scheduler().MeasureTime() > 0.5; }, 3000));
        // Y = D0 + X1 + X2 with COEF 1 and OFFSET 0 in the simulator.
        QVERIFY(qAbs(model.CurrentY - (model.Stan.D0 + model.CurrentX1 + model.CurrentX2)) < 0.01);
        // PK1 is 5 and Y is always above it there.
        QCOMPARE(ind->pk1Indicator()->palette().color(QPalette::Window), QColor(0x00, 0xFF, 0x00));

        QTest::mouseClick(ind->stopButton(), Qt::LeftButton);
        runEventLoop(100);
        const QString stopped = ind->yField()->text();
        runEventLoop(400);
        QCOMPARE(ind->yField()->text(), stopped);
    }
};

QTEST_MAIN(TestMeasurementUi)
#include "test_measurement_ui.moc"
