#include <QtTest>

#include "Fakes.h"

#include <deque>

#include "core/device/ReplyDispatch.h"
#include "core/protocol/Commands.h"
#include "core/wizard/WizardSequence.h"

using namespace kx;

namespace {

// A device that answers each read one tick later, through the real reply dispatch.
struct FakeDevice : WizardHost
{
    DeviceModel& model;
    NullView view;
    ReplyDispatcher dispatcher{model, view, nullptr, ','};
    int openResult = 0;
    bool open = false;
    int ignoreFirst = 0; // requests left unanswered before the device wakes up
    bool silent = false;
    std::array<char, 3> identity{'K', 'T', '5'};
    std::vector<int> requests;
    std::deque<Frame8> due;
    QStringList messages;
    int refreshes = 0;
    std::function<void()> duringMessage;

    explicit FakeDevice(DeviceModel& m) : model(m) {}

    int openPort(const std::string&) override
    {
        open = openResult == 0;
        return openResult;
    }
    void closePort() override { open = false; }
    void sendRead(uint8_t command) override
    {
        requests.push_back(command);
        if (silent || ignoreFirst-- > 0)
            return;
        Data4 data{};
        switch (command) {
        case Cmd::DeviceType:
            data = {uint8_t(identity[0]), uint8_t(identity[1]), uint8_t(identity[2]), 0};
            break;
        case Cmd::HardwareVersion:
            data = encodeByte(12);
            break;
        case Cmd::SoftwareVersion:
            data = encodeByte(105);
            break;
        case Cmd::Mode:
            data = encodeByte(1);
            break;
        case Cmd::LED:
            data = encodeByte(5);
            break;
        case Cmd::Decp:
            data = encodeByte(2);
            break;
        case Cmd::Beep:
            data = encodeByte(1);
            break;
        case Cmd::VoltageRange:
            data = encodeByte(1);
            break;
        default:
            data = encodeReal(float(command) + 0.25f);
            break;
        }
        due.push_back(buildFrame(FrameKind::Reply, command, data));
    }
    void showMessage(const std::string& text) override
    {
        messages << QString::fromStdString(text);
        if (duringMessage)
            duringMessage();
    }
    void refreshFromStan() override { ++refreshes; }

    // Replies reach the model between ticks.
    void deliver()
    {
        while (!due.empty()) {
            dispatcher.dispatch(due.front());
            due.pop_front();
        }
    }
};

struct Fixture
{
    DeviceModel model;
    FakeDevice device{model};
    WizardSequence wizard{model, device};

    void connect()
    {
        wizard.beginConnect("COM3");
        wizard.openPort("COM3");
    }
    // Ticks until the sequence is idle again; returns the ticks used.
    int run(int maxTicks = 400)
    {
        for (int n = 1; n <= maxTicks; ++n) {
            wizard.tick();
            device.deliver();
            if (wizard.state().WizardStep == 0)
                return n;
        }
        return -1;
    }
};

const std::vector<int> kReadOrder{32, 35, 34, 16, 17, 18, 19, 20, 21, 22,
                                  1,  8,  9,  12, 3,  2,  14, 13, 27, 29};

std::vector<int> withoutRepeats(const std::vector<int>& v)
{
    std::vector<int> out;
    for (int c : v)
        if (out.empty() || out.back() != c)
            out.push_back(c);
    return out;
}

} // namespace

class TestWizardSequence : public QObject
{
    Q_OBJECT

private slots:
    void versionTexts_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<QString>("text");
        QTest::newRow("12") << 12 << "1.2";
        QTest::newRow("105") << 105 << "1.05";
        QTest::newRow("one digit") << 7 << "7.";
    }

    void versionTexts()
    {
        QFETCH(int, version);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(versionText(version)), text);
    }

    void wholeConnection()
    {
        Fixture f;
        f.connect();
        QCOMPARE(f.wizard.state().progress, 10);
        QCOMPARE(f.wizard.state().WizardStep, 1);
        const int ticks = f.run();
        QVERIFY(ticks > 0);
        qInfo("connection took %d ticks", ticks);
        QCOMPARE(withoutRepeats(f.device.requests), kReadOrder);
        QVERIFY(f.model.Detected);
        QVERIFY(f.model.Set == f.model.Stan);
        QCOMPARE(f.model.TypeName, std::string("KX350T"));
        QCOMPARE(f.wizard.state().progress, 0);
        QVERIFY(!f.wizard.state().timerEnabled);
        QVERIFY(!f.wizard.state().abortShown);
        QVERIFY(f.device.messages.isEmpty());
        QCOMPARE(f.device.refreshes, 1);
        QCOMPARE(QString::fromStdString(f.model.HardwareText), QString("1.2"));
        QCOMPARE(QString::fromStdString(f.model.SoftwareText), QString("1.05"));
        for (int row = 1; row <= kChecklistRows; ++row) {
            const ChecklistRow& r = f.wizard.state().row(row);
            QVERIFY2(r.iconShown && r.captionShown && r.icon == RowIcon::Done,
                     qPrintable(QString("row %1").arg(row)));
        }
    }

    void progressFollowsTheSteps()
    {
        Fixture f;
        f.connect();
        QList<int> progress;
        for (int n = 0; n < 3; ++n) {
            f.wizard.tick();
            progress << f.wizard.state().progress;
            f.device.deliver();
        }
        // Progress shows the step being run: 10 + step.
        QCOMPARE(progress, (QList<int>{11, 12, 13}));
    }

    void deviceAnsweringFromItsSecondRequest()
    {
        Fixture f;
        f.device.ignoreFirst = 1;
        f.connect();
        QVERIFY(f.run() > 0);
        QVERIFY(f.model.Detected);
        QCOMPARE(withoutRepeats(f.device.requests), kReadOrder);
    }

    void silentDeviceShowsTheFailureFromTheSixthTickOfStepTwo()
    {
        Fixture f;
        f.device.silent = true;
        f.connect();
        f.wizard.tick(); // step 1: asks once
        QCOMPARE(f.wizard.state().WizardStep, 2);
        QList<bool> failureShown;
        for (int n = 1; n <= 8; ++n) {
            f.wizard.tick();
            failureShown << f.wizard.state().row(5).iconShown; // hidden until then
        }
        QCOMPARE(failureShown, (QList<bool>{false, false, false, false, false, true, true, true}));
        QCOMPARE(f.wizard.state().row(5).icon, RowIcon::Failed);
        QCOMPARE(f.device.requests, std::vector<int>(9, 32)); // every tick asks again
        QVERIFY(f.wizard.state().connectEnabled);
        QVERIFY(f.wizard.state().abortShown);

        f.wizard.abort();
        QCOMPARE(f.wizard.state().WizardStep, 0);
        QVERIFY(!f.wizard.state().timerEnabled);
        QVERIFY(!f.wizard.state().abortShown);
        QVERIFY(!f.device.open);
        QVERIFY(!f.model.Detected);
    }

    void lateAnswerCarriesOnOverTheFailure()
    {
        Fixture f;
        f.device.ignoreFirst = 12;
        f.connect();
        QVERIFY(f.run() > 0);
        QVERIFY(f.model.Detected);
        QCOMPARE(f.wizard.state().row(5).icon, RowIcon::Done);
    }

    void otherTypeShowsTheMessageOnceAndCompletes()
    {
        Fixture f;
        f.device.identity = {'R', 'N', '3'};
        // Ticks that come while the message is shown do not run the step again.
        f.device.duringMessage = [&] {
            for (int n = 0; n < 3; ++n)
                f.wizard.tick();
        };
        f.connect();
        QVERIFY(f.run() > 0);
        QCOMPARE(f.model.TypeName, std::string("RV7N"));
        QCOMPARE(f.device.messages,
                 QStringList{QString::fromUtf8("Podłączone urządzenie nie zostało rozpoznane jako "
                                               "KX350T!\nProgram będzie kontynuował pracę, ale "
                                               "nie gwarantuje poprawnego działania.")});
        QVERIFY(f.model.Detected);
    }

    // The line lost (or the connection broken off) while the "not recognised" message is up:
    // once the message is dismissed, the sequence stays ended as a failure: no row gets a
    // tick over the failure display, the step stays 0, nothing more is asked.
    void endedUnderTheNotRecognisedMessage_data()
    {
        QTest::addColumn<QString>("end");
        QTest::newRow("line lost") << "lineLost";
        QTest::newRow("Przerwij łączenie") << "abort";
    }

    void endedUnderTheNotRecognisedMessage()
    {
        QFETCH(QString, end);
        Fixture f;
        f.device.identity = {'R', 'N', '3'};
        std::array<ChecklistRow, kChecklistRows> failure{};
        f.device.duringMessage = [&] {
            f.device.open = false;
            if (end == "lineLost")
                f.wizard.lineLost();
            else
                f.wizard.abort();
            failure = f.wizard.state().rows;
        };
        f.connect();
        for (int n = 0; n < 6 && f.device.messages.isEmpty(); ++n) {
            f.wizard.tick();
            f.device.deliver();
        }
        QCOMPARE(f.device.messages.size(), 1);
        const WizardState& s = f.wizard.state();
        QCOMPARE(s.WizardStep, 0);
        QVERIFY(!s.timerEnabled);
        QVERIFY(!f.model.Detected);
        // The checklist as the failure left it: rows 5 and 6 not ticked over it.
        for (int row = 1; row <= kChecklistRows; ++row) {
            QCOMPARE(s.row(row).icon, failure[std::size_t(row - 1)].icon);
            QCOMPARE(s.row(row).iconShown, failure[std::size_t(row - 1)].iconShown);
        }
        QVERIFY(s.row(5).icon != RowIcon::Done && s.row(6).icon != RowIcon::Done);
        const std::size_t asked = f.device.requests.size();
        for (int n = 0; n < 5; ++n)
            f.wizard.tick();
        QCOMPARE(f.device.requests.size(), asked);
        QCOMPARE(s.WizardStep, 0);
    }

    void portThatCannotBeOpened()
    {
        Fixture f;
        f.device.openResult = 8;
        f.connect();
        QCOMPARE(f.device.messages, QStringList{"Nie znaleziono wybranego portu COM"});
        for (const ChecklistRow& r : f.wizard.state().rows)
            QVERIFY(!r.iconShown && !r.captionShown);
        QVERIFY(f.wizard.state().abortShown);
        QCOMPARE(f.wizard.state().WizardStep, 0);
        f.wizard.abort();
        for (const ChecklistRow& r : f.wizard.state().rows)
            QVERIFY(r.iconShown && r.icon == RowIcon::Failed);
        QVERIFY(f.wizard.state().connectEnabled);
        QVERIFY(!f.wizard.state().abortShown);
    }

    // The line lost under the wizard (not asked for): a sequence under way ends as a failure
    // and asks nothing more; a finished one lets the operator connect again. Either way the
    // device counts as not detected, and the next connection goes through.
    void aLostLineEndsTheSequence_data()
    {
        QTest::addColumn<int>("ticksBefore");
        QTest::newRow("while identifying") << 1;
        QTest::newRow("while reading the parameters") << 8;
        QTest::newRow("after connecting") << -1;
    }

    void aLostLineEndsTheSequence()
    {
        QFETCH(int, ticksBefore);
        Fixture f;
        f.connect();
        if (ticksBefore < 0) {
            QVERIFY(f.run() > 0);
        } else {
            for (int n = 0; n < ticksBefore; ++n) {
                f.wizard.tick();
                f.device.deliver();
            }
            QVERIFY(f.wizard.state().WizardStep != 0);
        }
        QVERIFY(f.model.Detected == (ticksBefore < 0));

        f.device.open = false;
        f.wizard.lineLost();
        QVERIFY(!f.model.Detected);
        QCOMPARE(f.wizard.state().WizardStep, 0);
        QVERIFY(f.wizard.state().connectEnabled);
        QVERIFY(!f.wizard.state().disconnectEnabled);
        QVERIFY(!f.wizard.state().abortShown);
        if (ticksBefore >= 0) {
            QVERIFY(!f.wizard.state().timerEnabled);
            int failed = 0;
            for (const ChecklistRow& r : f.wizard.state().rows)
                failed += r.iconShown && r.icon == RowIcon::Failed;
            QVERIFY(failed > 0);
        }
        const std::size_t asked = f.device.requests.size();
        for (int n = 0; n < 5; ++n)
            f.wizard.tick();
        QCOMPARE(f.device.requests.size(), asked);

        f.device.requests.clear();
        f.connect();
        QVERIFY(f.run() > 0);
        QVERIFY(f.model.Detected);
        QVERIFY(!f.device.requests.empty());
    }

    void secondConnectionPassesTheKeptSteps()
    {
        Fixture f;
        f.connect();
        QVERIFY(f.run() > 0);
        f.wizard.disconnect();
        QVERIFY(!f.model.Detected);
        QVERIFY(f.wizard.state().connectEnabled);
        f.device.requests.clear();
        f.model.Set = ParamSet{};

        f.connect();
        QVERIFY(f.run() > 0);
        // Type, then only the parameters whose flags a connection clears.
        QCOMPARE(withoutRepeats(f.device.requests),
                 (std::vector<int>{32, 1, 8, 9, 12, 3, 2, 14, 13, 27}));
        QVERIFY(f.model.Set == f.model.Stan);
        QCOMPARE(QString::fromStdString(f.model.HardwareText), QString("1.2"));
    }

    void keptStepsTakeOneTickEach()
    {
        Fixture f;
        f.connect();
        QVERIFY(f.run() > 0);
        f.wizard.disconnect();
        f.connect();
        // Steps 1 and 2 (type), then 3 … 11 one tick each.
        f.wizard.tick();
        f.device.deliver();
        while (f.wizard.state().WizardStep == 2) {
            f.wizard.tick();
            f.device.deliver();
        }
        QCOMPARE(f.wizard.state().WizardStep, 3);
        const std::size_t before = f.device.requests.size();
        for (int step = 3; step <= 11; ++step) {
            f.wizard.tick();
            QCOMPARE(f.wizard.state().WizardStep, step + 1);
        }
        QCOMPARE(f.device.requests.size(), before);
    }

    void silentDeviceAtEachReadingStep_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("command");
        const char* const names[] = {"hardware version",
                                     "software version",
                                     "D0",
                                     "D1",
                                     "D2",
                                     "a1",
                                     "a2",
                                     "b1",
                                     "b2",
                                     "mode",
                                     "PK1",
                                     "PK2",
                                     "LED",
                                     "Beep",
                                     "decp",
                                     "COEF",
                                     "Offset",
                                     "filter",
                                     "voltage range"};
        for (int step = 3; step <= 21; ++step)
            QTest::addRow("step %d, %s", step, names[step - 3])
                << step << kReadOrder[std::size_t(step - 2)];
    }

    // A device that stops answering at a step. The tick that moved on to the step counts as
    // its first of ten, so nine ticks of asking show no failure and the tenth shows it; the
    // asking goes on.
    void silentDeviceAtEachReadingStep()
    {
        QFETCH(int, step);
        QFETCH(int, command);
        Fixture f;
        f.connect();
        for (int n = 0; n < 400 && f.wizard.state().WizardStep != step; ++n) {
            f.wizard.tick();
            f.device.deliver();
        }
        QCOMPARE(f.wizard.state().WizardStep, step);
        // The last row shows only when the sequence completes or fails.
        QVERIFY(!f.wizard.state().row(kChecklistRows).iconShown);
        QVERIFY(!f.wizard.state().connectEnabled);
        f.device.silent = true;
        f.device.requests.clear();
        QList<bool> failureShown;
        for (int n = 1; n <= 12; ++n) {
            f.wizard.tick();
            f.device.deliver();
            failureShown << f.wizard.state().row(kChecklistRows).iconShown;
        }
        QList<bool> expected(9, false);
        expected << true << true << true;
        QCOMPARE(failureShown, expected);
        QCOMPARE(f.wizard.state().row(kChecklistRows).icon, RowIcon::Failed);
        QVERIFY(f.wizard.state().connectEnabled);
        QCOMPARE(f.wizard.state().WizardStep, step);
        QCOMPARE(f.device.requests, std::vector<int>(12, command));
        QVERIFY(!f.model.Detected);
    }
};

QTEST_APPLESS_MAIN(TestWizardSequence)
#include "test_wizard_sequence.moc"
