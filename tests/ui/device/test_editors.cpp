#include <QtTest>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include "ConfigFile.h"
#include "EventLoop.h"
#include "Fakes.h"
#include "NamedChild.h"
#include "RecordingDialogs.h"
#include "SimulatedProgram.h"
#include "app/Program.h"
#include "app/TForm1.h"
#include "core/protocol/Commands.h"
#include "core/text/RoundTo3.h"
#include "ui/device/DeviceEditors.h"
#include "ui/device/DevicePage.h"
#include "ui/device/DeviceSync.h"
#include "ui/monitor/TCOM_DBG_Form.h"
#include "ui/wizard/TAsystentForm.h"

#include "ui/common/ValueLabel.h"

using namespace kx;

namespace {

// The program's windows with the requests of the editors and the cycle recorded.
struct Fixture
{
    RecordingDialogs dialogs;
    Program program;
    TForm1* main = program.mainWindow();
    DeviceModel& model = main->model();
    DevicePage* page = main->devicePage();
    RecordingSink sink;

    Fixture() { main->sync().setRequests({&sink, nullptr}); }

    QLineEdit* box(Param p) { return page->editFor(p); }

    void type(Param p, const QString& text, bool enter = true)
    {
        QLineEdit* b = box(p);
        b->clear();
        QTest::keyClicks(b, text);
        if (enter)
            QTest::keyClick(b, Qt::Key_Return);
    }

    void reply(uint8_t command, const Data4& data)
    {
        const Frame8 f = buildFrame(FrameKind::Reply, command, data);
        main->link().PortOpen = true;
        main->link().post(DataReceived, QByteArray(reinterpret_cast<const char*>(f.data()), 8));
    }

    // As after the wizard: device detected, desired equal to reported.
    void detected()
    {
        model.Stan.LED = 5;
        model.Stan.D0 = 10;
        model.Stan.D1 = 20;
        model.Stan.D2 = 20;
        model.Stan.COEF = 1;
        model.Set = model.Stan;
        model.Detected = true;
        model.ReplyReceived = false;
    }

    void tick() { main->sync().Timer2Timer(); }
};

} // namespace

class TestEditors : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        writeDefaultConfig();
        QCOMPARE(QLocale::system().decimalPoint(), QString(","));
    }

    void commits_data()
    {
        QTest::addColumn<int>("param");
        QTest::addColumn<QString>("text");
        QTest::addColumn<float>("before");
        QTest::addColumn<float>("after");
        QTest::newRow("P1 rounded")
            << int(Param::PK1) << "12,3456" << 0.0f << float(RoundTo3(12.3456));
        QTest::newRow("P2 as typed") << int(Param::PK2) << "12,3456" << 0.0f << 12.3456f;
        QTest::newRow("P1 with a point is refused") << int(Param::PK1) << "12.5" << 0.0f << 0.0f;
        QTest::newRow("COEF 1,5 leaves 3,75") << int(Param::COEF) << "1,5" << 3.75f << 3.75f;
        QTest::newRow("COEF whole") << int(Param::COEF) << "3" << 3.75f << 3.0f;
        QTest::newRow("Offset -4") << int(Param::OFFSET) << "-4" << 0.0f << -4.0f;
        QTest::newRow("Filter hex") << int(Param::filter) << "$10" << 0.0f << 16.0f;
        QTest::newRow("D0 rounded") << int(Param::D0) << "10,0004" << 5.0f << 10.0f;
        QTest::newRow("b2 negative") << int(Param::b2) << "-1,5" << 0.0f << -1.5f;
    }

    void commits()
    {
        QFETCH(int, param);
        QFETCH(QString, text);
        QFETCH(float, before);
        QFETCH(float, after);
        Fixture f;
        const auto p = static_cast<Param>(param);
        f.model.Set.setReal(p, before);
        f.type(p, text);
        QCOMPARE(f.model.Set.real(p), after);
        QCOMPARE(DevicePage::boxColour(f.box(p)), kCommittedSkyBlue);
        QCOMPARE(f.box(p)->text(), text); // the box keeps what was typed
        QVERIFY(f.dialogs.messages.isEmpty());
    }

    void ledAndDecpAreHeldWithinTheDeviceLimits_data()
    {
        QTest::addColumn<int>("param");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("desired");
        QTest::newRow("LED above 9") << int(Param::LED) << "25" << 9;
        QTest::newRow("LED below 0") << int(Param::LED) << "-2" << 0;
        QTest::newRow("decp above 6") << int(Param::decp) << "7" << 6;
        QTest::newRow("decp below 0") << int(Param::decp) << "-3" << 0;
        QTest::newRow("decp within") << int(Param::decp) << "4" << 4;
    }

    void ledAndDecpAreHeldWithinTheDeviceLimits()
    {
        QFETCH(int, param);
        QFETCH(QString, typed);
        Fixture f;
        const auto p = static_cast<Param>(param);
        f.type(p, typed);
        QTEST(f.model.Set.integer(p), "desired");
        QCOMPARE(DevicePage::boxColour(f.box(p)), kCommittedSkyBlue);
    }

    void otherWholeNumbersHaveNoRangeCheck()
    {
        Fixture f;
        f.type(Param::COEF, "-3");
        QCOMPARE(f.model.Set.COEF, -3.0f);
        f.type(Param::filter, "250");
        QCOMPARE(f.model.Set.filter, 250.0f);
    }

    void typingColoursTheBox()
    {
        Fixture f;
        const QColor before = DevicePage::boxColour(f.box(Param::D0));
        QTest::keyClick(f.box(Param::D0), Qt::Key_Left);
        QTest::keyClick(f.box(Param::D0), Qt::Key_Shift);
        QCOMPARE(DevicePage::boxColour(f.box(Param::D0)), before); // no character, no colour
        f.type(Param::D0, "1", false);
        QCOMPARE(DevicePage::boxColour(f.box(Param::D0)), DeviceEditors::typingColour());
        QCOMPARE(f.model.Set.D0, 0.0f);
    }

    void gatedBoxWhileAReplyIsTakenIn()
    {
        Fixture f;
        f.model.ReplyReceived = true;
        const QColor before = DevicePage::boxColour(f.box(Param::D0));
        f.type(Param::D0, "12");
        QCOMPARE(f.box(Param::D0)->text(), QString("12")); // the characters appear
        QCOMPARE(DevicePage::boxColour(f.box(Param::D0)), before);
        QCOMPARE(f.model.Set.D0, 0.0f);
    }

    void p1HasNoGateButTheRefreshOverwritesIt()
    {
        Fixture f;
        f.detected();
        f.model.Stan.PK1 = 2;
        f.model.Set.PK1 = 2;
        f.model.ReplyReceived = true;
        f.type(Param::PK1, "7", false);
        QCOMPARE(DevicePage::boxColour(f.box(Param::PK1)), DeviceEditors::typingColour());
        QTest::keyClick(f.box(Param::PK1), Qt::Key_Return);
        QCOMPARE(f.model.Set.PK1, 7.0f);
        f.tick(); // the reply's refresh
        QCOMPARE(f.box(Param::PK1)->text(), QString("2"));
        QCOMPARE(DevicePage::boxColour(f.box(Param::PK1)), kConfirmedWhite);
        f.tick(); // the committed value is still written
        QCOMPARE(f.sink.sent.size(), size_t(1));
        QCOMPARE(int(f.sink.sent[0][2]), int(Cmd::PK1));
    }

    void modeCombo_data()
    {
        QTest::addColumn<bool>("replyPending");
        QTest::addColumn<int>("mode");
        QTest::newRow("taken") << false << 1;
        QTest::newRow("ignored while a reply is taken in") << true << 0;
    }

    void modeCombo()
    {
        QFETCH(bool, replyPending);
        QFETCH(int, mode);
        Fixture f;
        auto* combo = child<QComboBox>(f.page, "ComboBox1");
        QVERIFY(combo);
        f.model.ReplyReceived = replyPending;
        combo->setCurrentIndex(1);
        emit combo->activated(1); // the operator's choice
        QCOMPARE(f.model.Set.mode, mode);
        QCOMPARE(combo->currentIndex(), 1);
    }

    void modeReplyIsNotAChoice()
    {
        Fixture f;
        auto* combo = child<QComboBox>(f.page, "ComboBox1");
        QVERIFY(combo);
        f.model.Set.mode = 0;
        f.reply(Cmd::Mode, encodeByte(1));
        QCOMPARE(combo->currentIndex(), 1);
        QCOMPARE(f.model.Set.mode, 0);
    }

    void captionsFollowTheReportedWidthNotTheTypedOne()
    {
        Fixture f;
        f.reply(Cmd::D1, encodeReal(-50));
        auto* min = child<QLabel>(f.page, "Label41");
        auto* max = child<QLabel>(f.page, "Label42");
        QVERIFY(min && max);
        QCOMPARE(min->x(), 148);
        QCOMPARE(max->x(), 28);
        f.model.ReplyReceived = false;
        f.type(Param::D1, "50");
        QCOMPARE(f.model.Set.D1, 50.0f);
        QCOMPARE(min->x(), 148);
        QCOMPARE(max->x(), 28);
    }

    void arrows_data()
    {
        QTest::addColumn<bool>("replyPending");
        QTest::addColumn<int>("led");
        QTest::newRow("commits") << false << 6;
        QTest::newRow("only steps while a reply is taken in") << true << 0;
    }

    void arrows()
    {
        QFETCH(bool, replyPending);
        QFETCH(int, led);
        Fixture f;
        auto* ledArrows = child<QSpinBox>(f.page, "UpDown1");
        auto* decpArrows = child<QSpinBox>(f.page, "UpDown4");
        QVERIFY(ledArrows && decpArrows);
        f.box(Param::LED)->setText("5");
        f.model.ReplyReceived = replyPending;
        ledArrows->stepUp();
        QCOMPARE(f.box(Param::LED)->text(), QString("6"));
        QCOMPARE(f.model.Set.LED, led);
        // The arrows stop at 9 for LED and 6 for decp.
        f.box(Param::LED)->setText("9");
        ledArrows->stepUp();
        QCOMPARE(f.box(Param::LED)->text(), QString("9"));
        f.box(Param::decp)->setText("6");
        decpArrows->stepUp();
        QCOMPARE(f.box(Param::decp)->text(), QString("6"));
    }

    // A click at a limit still commits and colours: the operator asked for that value.
    void anArrowClickAtTheLimitCommits_data()
    {
        QTest::addColumn<QString>("arrows");
        QTest::addColumn<int>("param");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("up");
        QTest::addColumn<int>("desired");
        QTest::newRow("LED 9, up") << "UpDown1" << int(Param::LED) << "9" << true << 9;
        QTest::newRow("LED 0, down") << "UpDown1" << int(Param::LED) << "0" << false << 0;
        QTest::newRow("decp 6, up") << "UpDown4" << int(Param::decp) << "6" << true << 6;
        QTest::newRow("LED typed 25, up") << "UpDown1" << int(Param::LED) << "25" << true << 9;
    }

    void anArrowClickAtTheLimitCommits()
    {
        QFETCH(QString, arrows);
        QFETCH(int, param);
        QFETCH(QString, typed);
        QFETCH(bool, up);
        Fixture f;
        const auto p = static_cast<Param>(param);
        f.model.Set.setInteger(p, 3);
        auto* box = child<QSpinBox>(f.page, arrows);
        QVERIFY(box);
        f.type(p, typed, false);
        QCOMPARE(DevicePage::boxColour(f.box(p)), DeviceEditors::typingColour());
        if (up)
            box->stepUp();
        else
            box->stepDown();
        QCOMPARE(DevicePage::boxColour(f.box(p)), kCommittedSkyBlue);
        QTEST(f.model.Set.integer(p), "desired");
        QCOMPARE(f.box(p)->text(), QString::number(f.model.Set.integer(p)));
    }

    // Only a detected device is reset: without one nothing goes out.
    void restoreDefaults_data()
    {
        QTest::addColumn<bool>("detected");
        QTest::newRow("detected") << true;
        QTest::newRow("no device") << false;
    }

    void restoreDefaults()
    {
        QFETCH(bool, detected);
        Fixture f;
        auto* restore = child<QPushButton>(f.page, "BitBtn3");
        QVERIFY(restore);
        if (detected)
            f.detected();
        const DeviceModel before = f.model;
        f.box(Param::D0)->setText("10");
        QTest::mouseClick(restore, Qt::LeftButton);
        if (detected) {
            QCOMPARE(f.sink.sent.size(), size_t(1));
            QCOMPARE(f.sink.sent[0], (std::vector<uint8_t>{0xF2, 0xF2, 0x24, 0, 0, 0, 0, 0x24}));
        } else {
            // Nor at the cycle's later ticks.
            for (int tick = 0; tick < 3 * DefaultsRestore::kAcknowledgeTicks; ++tick)
                f.main->sync().Timer2Timer();
            QVERIFY(f.sink.sent.empty());
        }
        QVERIFY(f.model.Set == before.Set && f.model.Stan == before.Stan);
        QCOMPARE(f.box(Param::D0)->text(), QString("10"));
        QVERIFY(f.dialogs.messages.isEmpty());
    }

    void beepFollowsTheRefresh()
    {
        Fixture f;
        auto* beep = child<QCheckBox>(f.page, "CheckBox15");
        QVERIFY(beep);
        f.model.Stan.Beep = 1;
        f.main->sync().RefreshFromStan();
        QVERIFY(beep->isChecked());
        QCOMPARE(f.model.Set.Beep, 1);
        beep->click();
        QCOMPARE(f.model.Set.Beep, 0);
    }

    // The cycle.

    void nothingBeforeDetected()
    {
        Fixture f;
        auto* status = child<ValueLabel>(f.page, "Label66");
        QVERIFY(status);
        f.model.Set.LED = 3;
        f.tick();
        QVERIFY(f.sink.sent.empty());
        QCOMPARE(status->text(), QString("nie wykryto"));
    }

    void nothingAfterTheWizardsCopy()
    {
        Fixture f;
        auto* status = child<ValueLabel>(f.page, "Label66");
        QVERIFY(status);
        f.detected();
        for (int i = 0; i < 4; ++i)
            f.tick();
        QVERIFY(f.sink.sent.empty());
        QCOMPARE(status->text(), QString("gotowy do pracy"));
        f.model.GO = true;
        f.tick();
        QCOMPARE(status->text(), QString("praca"));
    }

    void d0Writes_data()
    {
        QTest::addColumn<float>("d0");
        QTest::addColumn<QByteArray>("sent");
        QTest::newRow("10.0004 is no change") << 10.0004f << QByteArray();
        QTest::newRow("10.5") << 10.5f << QByteArray::fromHex("f2f2100000284179");
    }

    void d0Writes()
    {
        QFETCH(float, d0);
        QFETCH(QByteArray, sent);
        Fixture f;
        f.detected();
        f.model.Set.D0 = d0;
        f.tick();
        QByteArray got;
        for (const auto& s : f.sink.sent)
            got += QByteArray(reinterpret_cast<const char*>(s.data()), qsizetype(s.size()));
        QCOMPARE(got.toHex(), sent.toHex());
    }

    void ledBeforeD0()
    {
        Fixture f;
        f.detected();
        f.model.Set.D0 = 11;
        f.model.Set.LED = 7;
        f.tick();
        f.tick();
        QCOMPARE(f.sink.sent.size(), size_t(2));
        QCOMPARE(int(f.sink.sent[0][2]), 12);
        QCOMPARE(int(f.sink.sent[1][2]), 12); // repeated until the device agrees
    }

    void replyJustBeforeATickRefreshes()
    {
        Fixture f;
        f.detected();
        f.model.Set.LED = 7;
        f.model.Stan.PK2 = 4.25f;
        f.reply(Cmd::Nop5, {0, 0, 0, 0});
        f.tick();
        QVERIFY(f.sink.sent.empty());
        QVERIFY(!f.model.ReplyReceived);
        QCOMPARE(f.box(Param::PK2)->text(), QString("4,25"));
        QCOMPARE(f.box(Param::LED)->text(), QString("5"));
        f.tick();
        QCOMPARE(f.sink.sent.size(), size_t(1));
    }

    void refreshShowsIdentity()
    {
        Fixture f;
        auto* type = child<ValueLabel>(f.page, "Label63");
        auto* version = child<ValueLabel>(f.page, "Label64");
        QVERIFY(type && version);
        f.main->sync().RefreshFromStan();
        QCOMPARE(version->text(), QString("(brak)"));
        QCOMPARE(type->text(), QString("<nierozpoznane>"));
        f.model.TypeName = "KX350T";
        f.model.HardwareVersion = 12;
        f.model.SoftwareVersion = 105;
        f.main->sync().RefreshFromStan();
        QCOMPARE(type->text(), QString("KX350T"));
        // The texts are those the wizard shows; it has read no versions here.
        QCOMPARE(version->text(), QString("Hardware: <nieznany> , Software: <nieznany>"));
        f.model.TypeName.clear();
        f.main->sync().RefreshFromStan();
        QCOMPARE(type->text(), QString("(brak)"));
    }

    void stateDumpOnlyWhileShown()
    {
        Fixture f;
        f.detected();
        TCOM_DBG_Form* monitor = f.main->monitor();
        monitor->show();
        f.tick();
        const QString shown = monitor->pane(2)->toPlainText();
        QCOMPARE(shown.split('\n').size(), 20);
        QVERIFY(shown.startsWith("Set.LED=5 , Stan.LED=5"));
        monitor->hide();
        f.model.Set.LED = 9;
        f.tick();
        QCOMPARE(monitor->pane(2)->toPlainText(), shown);
    }

    void endToEndWithTheSimulator()
    {
        KX_NEEDS_SIMULATOR();
        SimulatedProgram f;
        QVERIFY(f.sim.valid());
        TForm1* main = f.main;
        DeviceModel& model = f.model;
        LinkControl& link = f.link;
        QCOMPARE(link.openForWizard(f.sim.port), 0);

        // Read the device as the wizard does, one request at a time, then hand over to the
        // cycle.
        for (uint8_t command : wizardReadOrder()) {
            model.ReplyReceived = false;
            SendReadCmd(link.requests(), command);
            QTRY_VERIFY2_WITH_TIMEOUT(model.ReplyReceived, qPrintable(QString::number(command)),
                                      3000);
        }
        QTRY_VERIFY(std::all_of(model.ReceivedFlags.begin(), model.ReceivedFlags.end(),
                                [](uint8_t f) { return f == 1; }));
        model.Set = model.Stan;
        model.Detected = true;

        QLineEdit* p1 = main->devicePage()->editFor(Param::PK1);
        p1->clear();
        QTest::keyClicks(p1, "7,5");
        QTest::keyClick(p1, Qt::Key_Return);
        QCOMPARE(DevicePage::boxColour(p1), kCommittedSkyBlue);
        QTRY_COMPARE_WITH_TIMEOUT(model.Stan.PK1, 7.5f, 3000);
        QTRY_COMPARE_WITH_TIMEOUT(p1->text(), QString("7,5"), 3000);
        QCOMPARE(DevicePage::boxColour(p1), kConfirmedWhite);

        // Gated boxes take input only once the cycle has taken in the last reply.
        QLineEdit* d0 = main->devicePage()->editFor(Param::D0);
        QTRY_VERIFY(!model.ReplyReceived);
        d0->clear();
        QTest::keyClicks(d0, "12,25");
        QTest::keyClick(d0, Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(model.Stan.D0, 12.25f, 3000);
        QCOMPARE(DevicePage::boxColour(d0), kGeometryOrange);

        // LED typed beyond the device's 0 … 9 is held at 9 before it becomes the desired
        // value: written once, then in step, and the parameters after it are not held back.
        QLineEdit* led = main->devicePage()->editFor(Param::LED);
        main->monitor()->show();
        auto traffic = [&] { return main->monitor()->pane(1)->toPlainText().split('\n'); };
        QTRY_VERIFY(!model.ReplyReceived);
        led->clear();
        QTest::keyClicks(led, "25");
        QTest::keyClick(led, Qt::Key_Return);
        QCOMPARE(model.Set.LED, 9);
        QTRY_COMPARE_WITH_TIMEOUT(model.Stan.LED, 9, 3000);
        QTRY_COMPARE_WITH_TIMEOUT(led->text(), QString("9"), 3000);
        runEventLoop(1000); // four more cycle ticks
        QCOMPARE(traffic().filter(">sending write cmd: 12:").size(), 1);
        QVERIFY(traffic().filter(">sending write cmd: 12: 25").isEmpty());
        QTRY_VERIFY(!model.ReplyReceived);
        QLineEdit* b2 = main->devicePage()->editFor(Param::b2);
        b2->clear();
        QTest::keyClicks(b2, "3");
        QTest::keyClick(b2, Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(model.Stan.b2, 3.0f, 3000);
    }

    // Pressed after "Rozłącz", the button sends nothing then or after the next "Połącz": the
    // read-out completes and the device keeps the values it had.
    void restorePressedWhileDisconnectedSendsNothing()
    {
        KX_NEEDS_SIMULATOR();
        SimulatedProgram f;
        QVERIFY(f.valid());
        DevicePage* page = f.main->devicePage();
        auto* restore = child<QPushButton>(page, "BitBtn3");
        QVERIFY(restore);
        QVERIFY2(f.connect(), qPrintable(f.wizardState()));
        f.main->monitor()->show();
        QTRY_VERIFY(!f.model.ReplyReceived);
        QLineEdit* led = page->editFor(Param::LED);
        led->clear();
        QTest::keyClicks(led, "7");
        QTest::keyClick(led, Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(f.model.Stan.LED, 7, 3000);

        QTest::mouseClick(f.wizardButton("BitBtn4"), Qt::LeftButton);
        QTRY_VERIFY(!f.link.engine().is_open());
        QTest::mouseClick(restore, Qt::LeftButton);
        // The cycle's ticks pass while disconnected.
        QTest::qWait(4 * DeviceSync::kIntervalMs);
        QPlainTextEdit* traffic = f.main->monitor()->pane(1);
        traffic->clear();

        QVERIFY2(f.connect(), qPrintable(f.wizardState()));
        QTRY_VERIFY_WITH_TIMEOUT(f.model.Set == f.model.Stan, 3000);
        QTest::qWait(4 * DeviceSync::kIntervalMs);
        QVERIFY2(!traffic->toPlainText().contains(
                     QString(">sending write cmd: %1:").arg(int(Cmd::RestoreDefaults))),
                 qPrintable(traffic->toPlainText()));
        QCOMPARE(f.model.Stan.LED, 7);
        QCOMPARE(led->text(), QString("7"));
    }

    // After the device has restored its defaults the tab shows them, confirmed, and the
    // values shown before are new again.
    void restoreDefaultsWithTheSimulator()
    {
        KX_NEEDS_SIMULATOR();
        SimulatedProgram f;
        QVERIFY(f.sim.valid());
        TForm1* main = f.main;
        DeviceModel& model = f.model;
        DevicePage* page = main->devicePage();
        auto* wizard = f.wizard;
        auto* restore = child<QPushButton>(page, "BitBtn3");
        auto* mode = child<QComboBox>(page, "ComboBox1");
        auto* beep = child<QCheckBox>(page, "CheckBox15");
        auto* range10V = child<QRadioButton>(page, "RadioButton1");
        QVERIFY(wizard && restore && mode && beep && range10V);
        f.clickConnect();
        QTRY_VERIFY_WITH_TIMEOUT(model.Detected, 10000);
        main->monitor()->show();
        auto type = [&](Param p, const QString& text) {
            // Gated boxes take input only once the cycle has taken in the last reply.
            QTRY_VERIFY(!model.ReplyReceived);
            QLineEdit* box = page->editFor(p);
            box->clear();
            QTest::keyClicks(box, text);
            QTest::keyClick(box, Qt::Key_Return);
        };

        // Away from the defaults, written and confirmed.
        type(Param::PK1, "7,5");
        type(Param::LED, "7");
        type(Param::D0, "12,5");
        type(Param::COEF, "3");
        type(Param::filter, "4");
        QTRY_VERIFY_WITH_TIMEOUT(model.Stan.PK1 == 7.5f && model.Stan.LED == 7 &&
                                     model.Stan.D0 == 12.5f && model.Stan.COEF == 3.0f &&
                                     model.Stan.filter == 4.0f,
                                 5000);
        QTRY_VERIFY(model.Set == model.Stan);
        QTRY_COMPARE(page->editFor(Param::PK1)->text(), QString("7,5"));

        QTest::mouseClick(restore, Qt::LeftButton);
        // The simulator's defaults, in the colours of a confirmed value. P1 is shown at the
        // end of the read-out, so it shows 5 only once every parameter has been read.
        const struct
        {
            Param p;
            const char* shown;
        } defaults[] = {
            {Param::PK1, "5"}, {Param::PK2, "15"},   {Param::OFFSET, "0"}, {Param::COEF, "1"},
            {Param::LED, "5"}, {Param::decp, "2"},   {Param::D0, "10"},    {Param::D1, "20"},
            {Param::D2, "20"}, {Param::a1, "0"},     {Param::a2, "0"},     {Param::b1, "0"},
            {Param::b2, "0"},  {Param::filter, "1"},
        };
        QTRY_COMPARE_WITH_TIMEOUT(page->editFor(Param::PK1)->text(), QString("5"), 5000);
        for (const auto& d : defaults) {
            const QLineEdit* box = page->editFor(d.p);
            QCOMPARE(box->text(), QString(d.shown));
            QCOMPARE(DevicePage::boxColour(box),
                     isGeometry(d.p) ? kGeometryOrange : kConfirmedWhite);
        }
        QCOMPARE(mode->currentIndex(), 1);
        QVERIFY(!beep->isChecked());
        QVERIFY(range10V->isChecked());
        QVERIFY(model.Set == model.Stan);
        QCOMPARE(model.Stan.PK1, 5.0f);
        QCOMPARE(model.Stan.LED, 5);
        QCOMPARE(model.Stan.D0, 10.0f);
        QCOMPARE(model.Stan.COEF, 1.0f);
        QCOMPARE(model.Stan.filter, 1.0f);

        // The value shown before the restore is sent again when typed.
        auto traffic = [&] { return main->monitor()->pane(1)->toPlainText(); };
        main->monitor()->pane(1)->clear();
        type(Param::PK1, "7,5");
        QTRY_VERIFY_WITH_TIMEOUT(
            traffic().contains(QString(">sending write cmd: %1:").arg(int(Cmd::PK1))), 3000);
        QTRY_COMPARE_WITH_TIMEOUT(model.Stan.PK1, 7.5f, 3000);
        type(Param::D0, "12,5");
        QTRY_VERIFY_WITH_TIMEOUT(
            traffic().contains(QString(">sending write cmd: %1:").arg(int(Cmd::D0))), 3000);
        QTRY_COMPARE_WITH_TIMEOUT(model.Stan.D0, 12.5f, 3000);
    }
};

QTEST_MAIN(TestEditors)
#include "test_editors.moc"
