#include <QtTest>

#include <QComboBox>
#include <QSerialPortInfo>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

#include "ConfigFile.h"
#include "EventLoop.h"
#include "NamedChild.h"
#include "RecordingDialogs.h"
#include "SimulatedProgram.h"
#include "app/Program.h"
#include "app/TForm1.h"
#include "ui/device/DevicePage.h"
#include "ui/monitor/TCOM_DBG_Form.h"
#include "ui/wizard/TAsystentForm.h"

#include "ui/common/ValueLabel.h"

using namespace kx;

namespace {

// The program against the simulator, with the wizard and the traffic monitor shown and the
// wizard's ticks counted.
struct Fixture : SimulatedProgram
{
    int ticks = 0;

    explicit Fixture(const QStringList& simArgs = {}) : SimulatedProgram(simArgs)
    {
        main->monitor()->show();
        wizard->show();
        QObject::connect(&wizard->timer(), &QTimer::timeout, [this] { ++ticks; });
    }

    int progress() { return wizard->findChild<QProgressBar*>("ProgressBar1")->value(); }

    // "Połącz", and the wizard under way or already given up.
    void startConnecting()
    {
        clickConnect();
        QTRY_VERIFY(model.Detected || wizard->state().WizardStep > 0 ||
                    !wizard->state().abortShown || !dialogs.messages.isEmpty());
    }

    // Read commands in the order they were first sent, repeats folded.
    QList<int> reads()
    {
        QList<int> commands;
        const QStringList lines = main->monitor()->pane(1)->toPlainText().split('\n');
        for (const QString& line : lines) {
            if (!line.startsWith(">sending read cmd: "))
                continue;
            const int command = line.section(' ', 3, 3).chopped(1).toInt();
            if (commands.isEmpty() || commands.last() != command)
                commands << command;
        }
        return commands;
    }

    int readsOf(int command)
    {
        return main->monitor()->pane(1)->toPlainText().count(
            QString(">sending read cmd: %1:").arg(command));
    }
};

const QList<int> kReadOrder{32, 35, 34, 16, 17, 18, 19, 20, 21, 22,
                            1,  8,  9,  12, 3,  2,  14, 13, 27, 29};

} // namespace

class TestWizard : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { writeDefaultConfig(); }

    // COM1 to COM16 first, then every port of the system once, by the name the operator knows
    // it by: COMn on Windows, never its device-namespace path \\.\COMn; a device path
    // elsewhere.
    void portListHoldsTheSystemsPorts()
    {
        RecordingDialogs dialogs;
        Program program;
        const QComboBox* box = program.mainWindow()->findChild<TAsystentForm*>()->portBox();
        QStringList items;
        for (int i = 0; i < box->count(); ++i)
            items << box->itemText(i);
        QStringList com;
        for (int n = 1; n <= 16; ++n)
            com << QString("COM%1").arg(n);
        QCOMPARE(items.mid(0, 16), com);
        for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
#ifdef Q_OS_WIN
            const QString name = info.portName();
#else
            const QString name = info.systemLocation();
#endif
            QCOMPARE(items.count(name), 1);
        }
        for (const QString& item : items)
            QVERIFY2(!item.startsWith("\\\\.\\"), qPrintable(item));
    }

    void connectsAndReadsEverything()
    {
        KX_NEEDS_SIMULATOR();
        Fixture f;
        QVERIFY(f.sim.valid());
        QList<int> progress;
        QObject::connect(f.wizard->findChild<QProgressBar*>("ProgressBar1"),
                         &QProgressBar::valueChanged, [&](int v) { progress << v; });
        int ticksAtOpen = -1;
        QObject::connect(f.wizard->findChild<QProgressBar*>("ProgressBar1"),
                         &QProgressBar::valueChanged, [&](int v) {
                             if (v == 10)
                                 ticksAtOpen = f.ticks;
                         });
        f.clickConnect();
        QVERIFY(!f.wizardButton("BitBtn3")->isVisible()); // covered by the abort button
        QVERIFY(f.wizardButton("BitBtn2")->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(f.model.Detected, 10000);
        qInfo("the whole connection took %d ticks of 50 ms", f.ticks - ticksAtOpen);
        // 10 after the open, 11 … 32 through the steps, 0 at the end.
        QCOMPARE(progress.first(), 10);
        QCOMPARE(progress.last(), 0);
        QVERIFY(progress.contains(31)); // step 22 completes within its own tick
        QVERIFY(std::is_sorted(progress.begin(), progress.end() - 1));

        QCOMPARE(f.reads(), kReadOrder);
        QVERIFY(f.model.Set == f.model.Stan);
        QCOMPARE(f.progress(), 0);
        QVERIFY(!f.wizardButton("BitBtn2")->isVisible());
        QVERIFY(!f.wizardButton("BitBtn3")->isEnabled());
        QVERIFY(f.wizardButton("BitBtn4")->isEnabled());
        for (int row = 1; row <= kChecklistRows; ++row) {
            QVERIFY2(f.wizard->rowIcon(row)->isVisible(), qPrintable(QString::number(row)));
            QCOMPARE(f.wizard->rowIcon(row)->property("rowIcon").toInt(), int(RowIcon::Done));
        }
        QCOMPARE(f.wizard->findChild<QLabel*>("Label10")->text(), QString("1.2"));
        QCOMPARE(f.wizard->findChild<QLabel*>("Label12")->text(), QString("1.05"));
        DevicePage* page = f.main->devicePage();
        auto* type = child<ValueLabel>(page, "Label63");
        auto* version = child<ValueLabel>(page, "Label64");
        QVERIFY(type && version);
        QCOMPARE(type->text(), QString("KX350T"));
        QCOMPARE(version->text(), QString("Hardware: 1.2 , Software: 1.05"));
        QCOMPARE(page->editFor(Param::D0)->text(), QString("10"));
        QCOMPARE(page->editFor(Param::LED)->text(), QString("5"));
        QVERIFY(f.dialogs.messages.isEmpty()); // no opened notice for the wizard's open

        // The cycle takes over and has nothing to write: nothing to wait for, its ticks in this
        // span (two or more) must send no write.
        f.main->monitor()->pane(1)->clear();
        runEventLoop(600);
        QVERIFY(!f.main->monitor()->pane(1)->toPlainText().contains("write"));
    }

    void deviceAnsweringFromItsSecondRequest()
    {
        KX_NEEDS_SIMULATOR();
        Fixture f({"--ignore-first", "1"});
        f.startConnecting();
        QTRY_VERIFY_WITH_TIMEOUT(f.model.Detected, 10000);
        QCOMPARE(f.reads(), kReadOrder);
        QVERIFY(f.readsOf(32) >= 2);
    }

    void silentDeviceUntilAborted()
    {
        KX_NEEDS_SIMULATOR();
        Fixture f({"--silent"});
        f.startConnecting();
        QTRY_COMPARE(f.wizard->state().WizardStep, 2);
        // The failure shows after the sixth tick: every row, red where it was not yet shown.
        QTRY_VERIFY_WITH_TIMEOUT(f.wizard->rowIcon(19)->isVisible(), 2000);
        QCOMPARE(f.wizard->rowIcon(19)->property("rowIcon").toInt(), int(RowIcon::Failed));
        QVERIFY(f.wizardButton("BitBtn3")->isEnabled());
        const int before = f.readsOf(32);
        const int ticksBefore = f.ticks;
        // It goes on asking, once in each tick of 50 ms: ten ticks, about ten requests.
        QTRY_VERIFY_WITH_TIMEOUT(f.ticks - ticksBefore >= 10, 3000);
        const int asked = f.readsOf(32) - before;
        QVERIFY2(asked >= 6 && asked <= 12, qPrintable(QString::number(asked)));
        QCOMPARE(f.wizard->state().WizardStep, 2);

        QTest::mouseClick(f.wizardButton("BitBtn2"), Qt::LeftButton);
        QVERIFY(!f.wizardButton("BitBtn2")->isVisible());
        QVERIFY(f.wizardButton("BitBtn3")->isVisible());
        QVERIFY(!f.wizard->timer().isActive());
        QTRY_VERIFY(!f.main->link().PortOpen);
        const int after = f.readsOf(32);
        // Nothing to wait for: no request may follow the abort in this span of four ticks.
        runEventLoop(200);
        QCOMPARE(f.readsOf(32), after);
        QVERIFY(!f.model.Detected);
    }

    // "Przerwij łączenie" while the checklist shows the port, before the open: it is never
    // opened.
    void abortBeforeThePortIsOpened()
    {
        KX_NEEDS_SIMULATOR();
        Fixture f;
        QVERIFY(f.sim.valid());
        f.clickConnect();
        QVERIFY(f.wizardButton("BitBtn2")->isVisible());
        QTest::mouseClick(f.wizardButton("BitBtn2"), Qt::LeftButton);
        QVERIFY(!f.main->link().PortOpen);
        // Nothing to wait for: the open was due 100 ms after "Połącz"; this span is three
        // times that.
        runEventLoop(3 * TAsystentForm::kOpenDelayMs);
        QVERIFY(!f.main->link().PortOpen);
        QVERIFY(!f.main->link().engine().is_open());
        QVERIFY(!f.main->link().SuppressOpenNotice);
        QCOMPARE(f.wizard->state().WizardStep, 0);
        QVERIFY(!f.wizard->timer().isActive());
        QCOMPARE(f.readsOf(32), 0);
        QVERIFY(!f.model.Detected);
        QVERIFY(f.wizardButton("BitBtn3")->isVisible() && f.wizardButton("BitBtn3")->isEnabled());
        QVERIFY(!f.wizardButton("BitBtn2")->isVisible());
        QVERIFY(f.dialogs.messages.isEmpty());

        // "Połącz" again connects as usual.
        f.startConnecting();
        QTRY_VERIFY_WITH_TIMEOUT(f.model.Detected, 10000);
    }

    void otherDeviceTypeIsReportedOnce()
    {
        KX_NEEDS_SIMULATOR();
        Fixture f({"--identity", "RN3"});
        f.startConnecting();
        QTRY_VERIFY_WITH_TIMEOUT(f.model.Detected, 10000);
        QCOMPARE(f.dialogs.texts().size(), 1);
        QVERIFY(f.dialogs.texts()[0].startsWith(
            QString::fromUtf8("Podłączone urządzenie nie zostało rozpoznane jako KX350T!")));
        QCOMPARE(f.model.TypeName, std::string("RV7N"));
    }

    void portThatDoesNotExist()
    {
        Fixture f;
        f.wizard->portBox()->setCurrentText("/dev/kx350t-no-such-port");
        f.clickConnect();
        QTRY_COMPARE(f.dialogs.texts(), QStringList{"Nie znaleziono wybranego portu COM"});
        for (int row = 1; row <= kChecklistRows; ++row)
            QVERIFY(!f.wizard->rowIcon(row)->isVisible());
        QVERIFY(f.wizardButton("BitBtn2")->isVisible());
        QTest::mouseClick(f.wizardButton("BitBtn2"), Qt::LeftButton);
        for (int row = 1; row <= kChecklistRows; ++row)
            QCOMPARE(f.wizard->rowIcon(row)->property("rowIcon").toInt(), int(RowIcon::Failed));
        QVERIFY(f.wizardButton("BitBtn3")->isVisible() && f.wizardButton("BitBtn3")->isEnabled());
        QVERIFY(!f.main->link().PortOpen);
        QVERIFY(!f.main->link().SuppressOpenNotice);
    }

    void reconnectPassesTheKeptSteps()
    {
        KX_NEEDS_SIMULATOR();
        Fixture f;
        f.startConnecting();
        QTRY_VERIFY_WITH_TIMEOUT(f.model.Detected, 10000);
        QTest::mouseClick(f.wizardButton("BitBtn4"), Qt::LeftButton);
        QVERIFY(!f.model.Detected);
        QTRY_VERIFY(!f.main->link().engine().is_open());
        QTRY_COMPARE(f.dialogs.texts().filter("Zamknieto port").size(), 1);
        f.main->monitor()->pane(1)->clear();

        f.startConnecting();
        QTRY_VERIFY_WITH_TIMEOUT(f.model.Detected, 10000);
        QCOMPARE(f.reads(), (QList<int>{32, 1, 8, 9, 12, 3, 2, 14, 13, 27}));
        QVERIFY(f.model.Set == f.model.Stan);
    }
};

QTEST_MAIN(TestWizard)
#include "test_wizard.moc"
