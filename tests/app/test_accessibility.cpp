#include <QtTest>

#include <QAccessible>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include "ConfigFile.h"
#include "Fakes.h"
#include "FrameBytes.h"
#include "NamedChild.h"
#include "RecordingDialogs.h"
#include "app/Program.h"
#include "app/TForm1.h"
#include "ui/chart/ChartPage.h"
#include "ui/common/ValueLabel.h"
#include "ui/device/DevicePage.h"
#include "ui/device/DeviceSync.h"
#include "ui/measure/IndicatorPage.h"
#include "ui/measure/MeasurementControl.h"

using namespace kx;

namespace {

// The program's windows with a measurement the test drives: requests recorded, a clock the
// test moves, frames posted as the engine would.
struct Fixture
{
    RecordingDialogs dialogs;
    Program program;
    TForm1* main = program.mainWindow();
    DeviceModel& model = main->model();
    IndicatorPage* ind = main->indicatorPage();
    MeasurementControl& measure = main->measurement();
    RecordingSink sink;
    int64_t now = 500;

    Fixture()
    {
        measure.setRequests({&sink, nullptr});
        measure.setClock([this] { return now; });
        main->link().PortOpen = true;
    }

    QWidget* page(const QString& name) const
    {
        if (name == "indicators")
            return ind;
        if (name == "chart")
            return main->chartPage();
        return main->devicePage();
    }

    void step(int64_t hundredths)
    {
        now += hundredths;
        measure.IdleStep();
    }

    // A KX350T, sampled every 100 ms for 1.25 s, then continuously: ten frames 30 ms apart;
    // then the cycle's tick and the tab's refresh.
    void measureSomething()
    {
        model.TypeCode = 4;
        model.TypeName = "KX350T";
        model.HardwareVersion = 12;
        model.SoftwareVersion = 105;
        model.HardwareText = "1.2";
        model.SoftwareText = "1.05";
        model.Stan.D1 = 20;
        model.Stan.D2 = 20;
        model.Detected = true;
        ind->setActive({true, true, true});
        ind->setSampling({false, 100});
        QTest::mouseClick(child<QPushButton>(ind, "ButtonStart"), Qt::LeftButton);
        step(0);
        step(125);
        measure.DisplayTimerTick();
        child<QCheckBox>(ind, "ContinuousSampling")->setChecked(true);
        for (int n = 0; n < 10; ++n) {
            step(3);
            main->link().post(DataReceived, measurement(0x07, {12.5f, 2.5f, 5.0f}));
        }
        main->sync().Timer2Timer();
        main->sync().RefreshFromStan();
    }
};

} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { writeDefaultConfig(); }

    // Every read-out, as a screen reader or UI automation finds it: its caption as its
    // name, and the text it shows through the text interface, at start and while measuring.
    void readouts_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("atStart");
        QTest::addColumn<QString>("measuring");

        auto row = [](const char* tag, const char* page, const char* name, const char* caption,
                      const char* atStart, const char* measuring) {
            QTest::newRow(tag) << QString(page) << QString(name) << QString(caption)
                               << QString(atStart) << QString(measuring);
        };
        const char* const dashes = "-------------";
        const char* const shortDashes = "-----------";
        row("Y", "indicators", "YField", "Y (wartość mierzona)", dashes, "12.5000");
        row("X1", "indicators", "X1Field", "X1 (kanał 1)", dashes, "5.0000");
        row("X2", "indicators", "X2Field", "X2 (kanał 2)", dashes, "10.0000");
        row("time", "indicators", "TimeLabel", "czas [s]:", "", "1,25");
        row("rate", "indicators", "RateLabel", "próbek na sekundę:", "", "10,00000");
        row("period", "indicators", "Label67", "okres próbkowania ciągłego [ms]", "", "30");
        row("chart Y", "chart", "ChartYField", "Y (Wartość mierzona)", shortDashes, "12.5000");
        row("chart X1", "chart", "ChartX1Field", "X1 (kanał 1)", shortDashes, "5.0000");
        row("chart X2", "chart", "ChartX2Field", "X2 (kanał 2)", shortDashes, "10.0000");
        row("chart rate", "chart", "ChartRateLabel", "sample rate:", "", "10,00000");
        row("device type", "device", "Label63", "Typ urządzenia:", "(brak)", "KX350T");
        row("device version", "device", "Label64", "Wersja urządzenia:", "(brak)",
            "Hardware: 1.2 , Software: 1.05");
        row("status", "device", "Label66", "Status:", "(brak)", "praca");
        // The device reports no sensor count.
        row("sensor count", "device", "SensorCount", "Ilość czujników:", "(brak)", "(brak)");
    }

    void readouts()
    {
        QFETCH(QString, page);
        QFETCH(QString, name);
        QFETCH(QString, caption);
        Fixture f;
        auto* label = child<ValueLabel>(f.page(page), name);
        QVERIFY(label);
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(label);
        QVERIFY(face);
        QCOMPARE(face->text(QAccessible::Name), caption);
        QVERIFY(face->state().readOnly);
        QAccessibleTextInterface* text = face->textInterface();
        QVERIFY2(text, "no text interface: the shown value is hidden from assistive technology");
        auto shown = [text] { return text->text(0, text->characterCount()); };

        QTEST(shown(), "atStart");
        QCOMPARE(shown(), label->text());
        f.measureSomething();
        QTEST(shown(), "measuring");
        QCOMPARE(shown(), label->text());
        QCOMPARE(face->text(QAccessible::Value), label->text());
    }
};

QTEST_MAIN(TestAccessibility)
#include "test_accessibility.moc"
