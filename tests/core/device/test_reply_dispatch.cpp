#include <QtTest>

#include <optional>

#include "Fakes.h"
#include "core/device/ReplyDispatch.h"
#include "core/protocol/Commands.h"
#include "core/text/RoundTo3.h"

using namespace kx;

Q_DECLARE_METATYPE(kx::FieldCaptions)

namespace {

// Records what the dispatch asks the windows to show.
struct RecordingView : ReplyView
{
    QStringList calls;
    std::map<Gauge, int> gauges;
    std::optional<FieldCaptions> field1;
    std::optional<FieldCaptions> field2;
    int newValues_ = 0;

    void showConfirmed(Param p, const std::string& text) override
    {
        calls << QString("confirmed %1 %2").arg(int(p)).arg(QString::fromStdString(text));
    }
    void selectMode(int index) override { calls << QString("mode %1").arg(index); }
    void selectVoltageRange(int byte) override { calls << QString("range %1").arg(byte); }
    void setGaugeMaximum(Gauge g, int maximum) override
    {
        gauges[g] = maximum;
        calls << QString("gauge %1 %2").arg(int(g)).arg(maximum);
    }
    void placeField1Captions(FieldCaptions c) override { field1 = c; }
    void placeField2Captions(FieldCaptions c) override { field2 = c; }
    void showResult(Channel c, const std::string& text) override
    {
        calls << QString("result %1 %2").arg(int(c)).arg(QString::fromStdString(text));
    }
    void newValues() override { ++newValues_; }
};

Frame8 reply(uint8_t command, const Data4& data)
{
    return buildFrame(FrameKind::Reply, command, data);
}

Frame8 realReply(uint8_t command, float value)
{
    return reply(command, encodeReal(value));
}

// Records the reported value a selection sees when the dispatch asks for it.
struct SelectionView : NullView
{
    const DeviceModel& model;
    std::optional<int32_t> reportedAtSelection;

    explicit SelectionView(const DeviceModel& m) : model(m) {}
    void selectMode(int) override { reportedAtSelection = model.Stan.mode; }
    void selectVoltageRange(int) override { reportedAtSelection = model.Stan.VoltageRange; }
};

struct Fixture
{
    DeviceModel model;
    RecordingView view;
    FakeLog log;
    ReplyDispatcher dispatcher{model, view, &log, ','};
    void feed(const Frame8& f) { dispatcher.dispatch(f); }
};

} // namespace

class TestReplyDispatch : public QObject
{
    Q_OBJECT

private slots:
    void ledReplySetsFlagsAndNoBox()
    {
        Fixture f;
        f.feed({0xF3, 0xF3, 0x0C, 0x05, 0x00, 0x00, 0x00, 0x11});
        QCOMPARE(f.model.Stan.LED, 5);
        QCOMPARE(f.model.received(Param::LED), uint8_t(1));
        QVERIFY(f.model.ReplyReceived);
        QVERIFY(f.view.calls.isEmpty());
    }

    // Only an answer to a measurement request shows that measurement requests are answered
    // again; a confirmed write says nothing of them.
    void measurementAnswersClearTheTransmissionFault_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("faultAfter");
        QTest::newRow("Y (7)") << int(Cmd::Measure) << 0;
        QTest::newRow("X1 (23)") << int(Cmd::X1) << 0;
        QTest::newRow("X2 (24)") << int(Cmd::X2) << 0;
        QTest::newRow("a parameter: LED") << int(Cmd::LED) << 1;
        QTest::newRow("a parameter: PK1") << int(Cmd::PK1) << 1;
        QTest::newRow("the identity") << int(Cmd::DeviceType) << 1;
        QTest::newRow("an acknowledgement") << int(Cmd::RestoreDefaults) << 1;
        QTest::newRow("an unknown command") << 99 << 1;
    }

    void measurementAnswersClearTheTransmissionFault()
    {
        QFETCH(int, command);
        QFETCH(int, faultAfter);
        Fixture f;
        f.model.bledna_transmisja = 1;
        f.feed(buildFrame(FrameKind::Reply, uint8_t(command), {1, 0, 0, 0}));
        QCOMPARE(f.model.bledna_transmisja, faultAfter);
    }

    void sameValueStillCounts()
    {
        Fixture f;
        f.feed(reply(Cmd::LED, encodeByte(0)));
        QVERIFY(f.model.ReplyReceived);
        QCOMPARE(f.model.received(Param::LED), uint8_t(1));
    }

    void realStores_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("param");
        QTest::addColumn<float>("sent");
        QTest::addColumn<float>("stored");
        QTest::addColumn<QString>("shown"); // empty: no box changes
        const float v = 1.23456f;
        QTest::newRow("PK1 kept as received") << 8 << int(Param::PK1) << v << v << "";
        QTest::newRow("PK2 kept as received") << 9 << int(Param::PK2) << v << v << "";
        QTest::newRow("COEF rounded") << 14 << int(Param::COEF) << v << 1.235f << "1,235";
        QTest::newRow("OFFSET rounded") << 13 << int(Param::OFFSET) << -4.0f << -4.0f << "-4";
        QTest::newRow("filter rounded") << 27 << int(Param::filter) << 2.0004f << 2.0f << "2";
        QTest::newRow("a1") << 19 << int(Param::a1) << 0.5f << 0.5f << "0,5";
        QTest::newRow("a2") << 20 << int(Param::a2) << 1.5f << 1.5f << "1,5";
        QTest::newRow("b1") << 21 << int(Param::b1) << 2.5f << 2.5f << "2,5";
        QTest::newRow("b2") << 22 << int(Param::b2) << -3.25f << -3.25f << "-3,25";
    }

    void realStores()
    {
        QFETCH(int, command);
        QFETCH(int, param);
        QFETCH(float, sent);
        QFETCH(float, stored);
        QFETCH(QString, shown);
        Fixture f;
        const auto p = static_cast<Param>(param);
        f.feed(realReply(static_cast<uint8_t>(command), sent));
        QCOMPARE(f.model.Stan.real(p), stored);
        QCOMPARE(f.model.received(p), uint8_t(1));
        if (shown.isEmpty())
            QVERIFY(f.view.calls.isEmpty());
        else
            QCOMPARE(f.view.calls, QStringList{QString("confirmed %1 %2").arg(param).arg(shown)});
    }

    void geometryGaugesAndCaptions()
    {
        Fixture f;
        f.model.Stan.D0 = 10;
        f.model.Stan.D2 = -100;
        f.feed(realReply(Cmd::D1, 120));
        QCOMPARE(f.model.Stan.D1, 120.0f);
        QCOMPARE(f.view.gauges[Gauge::Y], 30);
        QCOMPARE(f.view.gauges[Gauge::X1], 120);
        QCOMPARE(f.view.gauges[Gauge::RightHalf], 12000);
        QCOMPARE(f.view.gauges[Gauge::LeftHalf], 10000);
        QCOMPARE(f.view.field1, FieldCaptions::MinLeft);
        // Box first, then the ranges in their order.
        QCOMPARE(f.view.calls.first(), QString("confirmed %1 120").arg(int(Param::D1)));
        QCOMPARE(f.view.calls.mid(1),
                 (QStringList{"gauge 1 120", "gauge 0 30", "gauge 3 12000", "gauge 4 10000"}));
    }

    void field1CaptionsSwapForNegativeD1()
    {
        Fixture f;
        f.feed(realReply(Cmd::D1, -50));
        QCOMPARE(f.view.field1, FieldCaptions::MinRight);
    }

    void field2Captions_data()
    {
        QTest::addColumn<float>("d2");
        QTest::addColumn<FieldCaptions>("captions");
        QTest::newRow("zero") << 0.0f << FieldCaptions::MinLeft;
        QTest::newRow("0.001 swaps") << 0.001f << FieldCaptions::MinRight;
        QTest::newRow("negative") << -5.0f << FieldCaptions::MinLeft;
    }

    void field2Captions()
    {
        QFETCH(float, d2);
        QFETCH(FieldCaptions, captions);
        Fixture f;
        f.feed(realReply(Cmd::D2, d2));
        QCOMPARE(f.view.field2, captions);
    }

    void d0SetsOnlyTheYGauge()
    {
        Fixture f;
        f.model.Stan.D1 = 20;
        f.model.Stan.D2 = 20.7f;
        f.feed(realReply(Cmd::D0, -70));
        QCOMPARE(f.view.gauges, (std::map<Gauge, int>{{Gauge::Y, 29}}));
    }

    void notFiniteGeometryLeavesTheGauges()
    {
        Fixture f;
        f.feed(realReply(Cmd::D1, std::numeric_limits<float>::quiet_NaN()));
        // Only the left half-bar, which depends on D2 alone, gets a range.
        const std::map<Gauge, int> onlyLeft{{Gauge::LeftHalf, 0}};
        QCOMPARE(f.view.gauges, onlyLeft);
        QCOMPARE(f.view.calls.first(), QString("confirmed %1 NAN").arg(int(Param::D1)));
        f.feed(realReply(Cmd::D0, std::numeric_limits<float>::infinity()));
        QCOMPARE(f.view.gauges, onlyLeft);
    }

    void voltageRange_data()
    {
        QTest::addColumn<int>("byte");
        QTest::newRow("0") << 0;
        QTest::newRow("1") << 1;
        QTest::newRow("2 still selects 0...5V") << 2;
    }

    void voltageRange()
    {
        QFETCH(int, byte);
        Fixture f;
        f.feed(reply(Cmd::VoltageRange, encodeByte(byte)));
        QCOMPARE(f.view.calls, QStringList{QString("range %1").arg(byte)});
        QCOMPARE(f.model.Stan.VoltageRange, byte);
        QCOMPARE(f.model.received(Param::VoltageRange), uint8_t(1));
    }

    void selectionBeforeOrAfterTheStore_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("reportedAtSelection");
        QTest::newRow("mode: stored, then selected") << int(Cmd::Mode) << 1;
        QTest::newRow("voltage range: selected, then stored") << int(Cmd::VoltageRange) << 0;
    }

    void selectionBeforeOrAfterTheStore()
    {
        QFETCH(int, command);
        QFETCH(int, reportedAtSelection);
        DeviceModel model;
        SelectionView view{model};
        ReplyDispatcher dispatcher{model, view, nullptr, ','};
        dispatcher.dispatch(reply(static_cast<uint8_t>(command), encodeByte(1)));
        QCOMPARE(view.reportedAtSelection, std::optional<int32_t>(reportedAtSelection));
    }

    void modeSelectsItsItem()
    {
        Fixture f;
        f.feed(reply(Cmd::Mode, encodeByte(1)));
        QCOMPARE(f.model.Stan.mode, 1);
        QCOMPARE(f.view.calls, QStringList{"mode 1"});
    }

    void measuredValues_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<float>("d1");
        QTest::addColumn<float>("sent");
        QTest::addColumn<float>("y");
        QTest::addColumn<float>("x1");
        QTest::addColumn<QString>("shown");
        QTest::newRow("Y rounded") << 7 << 0.0f << 1.23456f << 1.235f << 0.0f << "result 0 1,235";
        QTest::newRow("X1 scaled by D1 x 0.1")
            << 23 << 20.0f << 5.0f << 0.0f << 10.0f << "result 1 10";
        QTest::newRow("X1 with D1 = 0 is 0") << 23 << 0.0f << 7.5f << 0.0f << 0.0f << "result 1 0";
    }

    void measuredValues()
    {
        QFETCH(int, command);
        QFETCH(float, d1);
        QFETCH(float, sent);
        QFETCH(float, y);
        QFETCH(float, x1);
        QFETCH(QString, shown);
        Fixture f;
        f.model.Stan.D1 = d1;
        f.model.zapytanie = true;
        f.feed(realReply(static_cast<uint8_t>(command), sent));
        QCOMPARE(f.model.CurrentY, y);
        QCOMPARE(f.model.CurrentX1, x1);
        QCOMPARE(f.view.calls, QStringList{shown});
        QCOMPARE(f.view.newValues_, 1);
        QVERIFY(!f.model.zapytanie);
    }

    void x2ScaledByD2()
    {
        Fixture f;
        f.model.Stan.D2 = 30;
        f.feed(realReply(Cmd::X2, 2.5f));
        QCOMPARE(f.model.CurrentX2, 7.5f);
    }

    void identity_data()
    {
        QTest::addColumn<QByteArray>("triple");
        QTest::addColumn<int>("type");
        QTest::newRow("KX300L") << QByteArray("KL3") << 1;
        QTest::newRow("RV7N") << QByteArray("RN3") << 2;
        QTest::newRow("KX300N") << QByteArray("KN3") << 3;
        QTest::newRow("KX350T") << QByteArray("KT5") << 4;
        QTest::newRow("no match keeps the type") << QByteArray("KT6") << 0;
        QTest::newRow("lower case is another triple") << QByteArray("kt5") << 0;
    }

    void identity()
    {
        QFETCH(QByteArray, triple);
        QFETCH(int, type);
        Fixture f;
        f.feed(reply(Cmd::DeviceType,
                     {uint8_t(triple[0]), uint8_t(triple[1]), uint8_t(triple[2]), 0x7F}));
        QCOMPARE(f.model.TypeCode, type);
    }

    void versions()
    {
        Fixture f;
        f.feed(reply(Cmd::HardwareVersion, encodeByte(12)));
        f.feed(reply(Cmd::SoftwareVersion, encodeByte(105)));
        QCOMPARE(f.model.HardwareVersion, 12);
        QCOMPARE(f.model.SoftwareVersion, 105);
    }

    void acceptedWithoutEffect_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<QStringList>("lines");
        for (int c : {5, 6, 10, 11, 36})
            QTest::newRow(qPrintable(QString("command %1").arg(c))) << c << QStringList{};
        for (int c : {0, 4, 15, 25, 26, 28, 30, 31, 33, 37, 255})
            QTest::newRow(qPrintable(QString("unknown %1").arg(c)))
                << c << QStringList{"  <<BAD COMMAND :("};
    }

    void acceptedWithoutEffect()
    {
        QFETCH(int, command);
        QFETCH(QStringList, lines);
        Fixture f;
        const DeviceModel before = f.model;
        f.feed(reply(static_cast<uint8_t>(command), {1, 2, 3, 4}));
        QVERIFY(f.model.ReplyReceived);
        QVERIFY(f.model.Stan == before.Stan);
        QVERIFY(f.model.ReceivedFlags == before.ReceivedFlags);
        QVERIFY(f.view.calls.isEmpty());
        QStringList got;
        for (const auto& l : f.log.lines)
            got << QString::fromStdString(l);
        QCOMPARE(got, lines);

        // Hidden monitor: no line.
        Fixture hidden;
        hidden.log.shown = false;
        hidden.feed(reply(static_cast<uint8_t>(command), {1, 2, 3, 4}));
        QVERIFY(hidden.log.lines.empty());
    }
};

QTEST_APPLESS_MAIN(TestReplyDispatch)
#include "test_reply_dispatch.moc"
