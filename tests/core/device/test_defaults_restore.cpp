#include <QtTest>

#include <deque>

#include "Fakes.h"
#include "core/device/DefaultsRestore.h"
#include "core/device/DeviceModel.h"
#include "core/device/ReplyDispatch.h"
#include "core/device/SyncCycle.h"
#include "core/protocol/Commands.h"

using namespace kx;

namespace {

// A detected device whose parameters were edited and written before the restore; it answers
// every request it is sent through the real reply dispatch, with its defaults once restored.
struct Fixture
{
    DeviceModel model;
    NullView view;
    ReplyDispatcher dispatcher{model, view, nullptr, ','};
    RecordingSink sink;
    RequestChannel requests{&sink, nullptr};
    DefaultsRestore restore;
    ParamSet device;                 // what the device holds
    ParamSet defaults;               // what it holds after the restore
    std::vector<uint8_t> unanswered; // commands the device ignores
    std::size_t answered = 0;

    Fixture()
    {
        device.LED = 9;
        device.PK1 = 12.5f;
        device.D1 = 30;
        device.VoltageRange = 1;
        defaults.LED = 5;
        defaults.PK1 = 5;
        defaults.D1 = 20;
        defaults.VoltageRange = 0;
        model.Stan = model.Set = device;
        model.Detected = true;
    }

    // The device answers what was sent since the last call.
    void answer()
    {
        for (; answered < sink.sent.size(); ++answered) {
            const std::vector<uint8_t>& f = sink.sent[answered];
            const uint8_t command = f[2];
            if (std::find(unanswered.begin(), unanswered.end(), command) != unanswered.end())
                continue;
            if (command == Cmd::RestoreDefaults) {
                device = defaults;
                dispatcher.dispatch(buildFrame(FrameKind::Reply, command, {}));
                continue;
            }
            const auto p = findCommand(command)->param;
            const Data4 data =
                ParamSet::isReal(*p) ? encodeReal(device.real(*p)) : encodeByte(device.integer(*p));
            dispatcher.dispatch(buildFrame(FrameKind::Reply, command, data));
        }
    }

    std::vector<int> commandsSent(std::size_t from = 0) const
    {
        std::vector<int> commands;
        for (std::size_t i = from; i < sink.sent.size(); ++i)
            commands.push_back(sink.sent[i][2]);
        return commands;
    }

    // Read steps, the device answering after each, until the read-out ends; the steps taken.
    int readOut(int limit = 400)
    {
        for (int step = 1; step <= limit; ++step) {
            const bool done = restore.readStep(model, requests);
            answer();
            if (done)
                return step;
        }
        return -1;
    }
};

} // namespace

class TestDefaultsRestore : public QObject
{
    Q_OBJECT

private slots:
    void theDesiredValuesFollowTheDevicesDefaults()
    {
        Fixture f;
        QVERIFY(f.restore.request(f.model, f.requests));
        QCOMPARE(f.commandsSent(), std::vector<int>{Cmd::RestoreDefaults});
        f.answer();
        QVERIFY(f.restore.tick(f.model, f.requests));
        QVERIFY(f.restore.reading());
        const std::size_t before = f.sink.sent.size();
        QVERIFY(f.readOut() > 0);
        QVERIFY(f.restore.idle());
        QVERIFY(!f.restore.tick(f.model, f.requests));
        // Reads only, every parameter once, in the wizard's order.
        QCOMPARE(f.commandsSent(before),
                 (std::vector<int>{16, 17, 18, 19, 20, 21, 22, 1, 8, 9, 12, 3, 2, 14, 13, 27, 29}));
        for (std::size_t i = before; i < f.sink.sent.size(); ++i)
            QCOMPARE(f.sink.sent[i][0], uint8_t(0xF1));
        QVERIFY(f.model.Stan == f.defaults);
        QVERIFY(f.model.Set == f.defaults);
    }

    void aValueShownBeforeTheRestoreIsWrittenAgain()
    {
        Fixture f;
        f.restore.request(f.model, f.requests);
        f.answer();
        f.restore.tick(f.model, f.requests);
        QVERIFY(f.readOut() > 0);
        f.model.Set.LED = 9; // typed as it was shown before the restore
        const auto write = nextWrite(f.model.Set, f.model.Stan);
        QVERIFY(write);
        QCOMPARE(write->command, Cmd::LED);
    }

    void writesAreHeldUntilTheReadOutEnds()
    {
        Fixture f;
        f.restore.request(f.model, f.requests);
        for (int tick = 0; tick < DefaultsRestore::kAcknowledgeTicks; ++tick)
            QVERIFY(f.restore.tick(f.model, f.requests)); // waiting for the acknowledgement
        f.answer();
        QVERIFY(f.restore.tick(f.model, f.requests));
        QVERIFY(f.restore.readStep(f.model, f.requests) == false);
        QVERIFY(f.restore.tick(f.model, f.requests)); // reading
    }

    void aRefusedRequestIsSentAgainAtTheNextTicks()
    {
        Fixture f;
        f.sink.refuse = true;
        QVERIFY(!f.restore.request(f.model, f.requests));
        QVERIFY(f.restore.tick(f.model, f.requests));
        QVERIFY(f.restore.tick(f.model, f.requests));
        QVERIFY(f.sink.sent.empty());
        f.sink.refuse = false;
        QVERIFY(f.restore.tick(f.model, f.requests));
        QCOMPARE(f.commandsSent(), std::vector<int>{Cmd::RestoreDefaults});
        QVERIFY(f.restore.tick(f.model, f.requests)); // sent once, now acknowledging
        QCOMPARE(f.sink.sent.size(), std::size_t(1));
    }

    void noAcknowledgementReleasesTheCycle()
    {
        Fixture f;
        f.unanswered = {Cmd::RestoreDefaults};
        f.restore.request(f.model, f.requests);
        f.answer();
        for (int tick = 0; tick < DefaultsRestore::kAcknowledgeTicks; ++tick)
            QVERIFY(f.restore.tick(f.model, f.requests));
        QVERIFY(!f.restore.tick(f.model, f.requests));
        QVERIFY(f.restore.idle());
        QVERIFY(f.model.Set == f.device);
    }

    // Without a detected device (the port closed after "Rozłącz" or a failed connection)
    // the button sends nothing, then or at any later tick, and holds no cycle.
    void withoutADeviceNothingIsSentThenOrLater()
    {
        Fixture f;
        f.model.Detected = false;
        QVERIFY(!f.restore.request(f.model, f.requests));
        QVERIFY(f.restore.idle());
        for (int tick = 0; tick < 3 * DefaultsRestore::kAcknowledgeTicks; ++tick)
            QVERIFY(!f.restore.tick(f.model, f.requests));
        // Connected again: still nothing of the earlier press.
        f.model.Detected = true;
        QVERIFY(!f.restore.tick(f.model, f.requests));
        QVERIFY(f.sink.sent.empty());
    }

    // A request the engine refused is not sent once the device is gone.
    void aRefusedRequestIsDroppedWhenTheDeviceIsLost()
    {
        Fixture f;
        f.sink.refuse = true;
        QVERIFY(!f.restore.request(f.model, f.requests));
        QVERIFY(f.restore.tick(f.model, f.requests));
        f.model.Detected = false;
        f.sink.refuse = false;
        QVERIFY(!f.restore.tick(f.model, f.requests));
        f.model.Detected = true;
        QVERIFY(!f.restore.tick(f.model, f.requests));
        QVERIFY(f.sink.sent.empty());
    }

    // The port opening or closing ends a restore in whatever phase it is.
    void theLinkChangingEndsARestore_data()
    {
        QTest::addColumn<bool>("refused");      // still waiting to be sent
        QTest::addColumn<bool>("acknowledged"); // else waiting for the acknowledgement
        QTest::newRow("waiting to be sent") << true << false;
        QTest::newRow("waiting for the acknowledgement") << false << false;
        QTest::newRow("reading the defaults") << false << true;
    }

    void theLinkChangingEndsARestore()
    {
        QFETCH(bool, refused);
        QFETCH(bool, acknowledged);
        Fixture f;
        f.sink.refuse = refused;
        f.restore.request(f.model, f.requests);
        if (acknowledged) {
            f.answer();
            QVERIFY(f.restore.tick(f.model, f.requests));
            QVERIFY(f.restore.reading());
        }
        f.restore.cancel();
        f.sink.refuse = false;
        const std::size_t before = f.sink.sent.size();
        QVERIFY(f.restore.idle());
        QVERIFY(!f.restore.tick(f.model, f.requests));
        QVERIFY(!f.restore.readStep(f.model, f.requests));
        QCOMPARE(f.sink.sent.size(), before);
    }

    void aParameterLeftUnansweredDoesNotHoldBackTheRest()
    {
        Fixture f;
        f.unanswered = {Cmd::D1};
        f.restore.request(f.model, f.requests);
        f.answer();
        f.restore.tick(f.model, f.requests);
        const std::size_t before = f.sink.sent.size();
        QVERIFY(f.readOut() > 0);
        const std::vector<int> sent = f.commandsSent(before);
        QCOMPARE(std::count(sent.begin(), sent.end(), int(Cmd::D1)),
                 long(DefaultsRestore::kReadTries));
        QCOMPARE(f.model.Set.LED, f.defaults.LED);
        // D1 is left as last reported, desired and reported alike: nothing is written for it.
        QCOMPARE(f.model.Set.D1, f.model.Stan.D1);
    }

    void aLostDeviceEndsTheReadOut()
    {
        Fixture f;
        f.restore.request(f.model, f.requests);
        f.answer();
        f.restore.tick(f.model, f.requests);
        f.model.Detected = false;
        QVERIFY(!f.restore.readStep(f.model, f.requests));
        QVERIFY(f.restore.idle());
    }
};

QTEST_APPLESS_MAIN(TestDefaultsRestore)
#include "test_defaults_restore.moc"
