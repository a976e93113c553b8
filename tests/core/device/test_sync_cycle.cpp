#include <QtTest>

#include <cmath>
#include <limits>
#include <set>

#include "core/device/SyncCycle.h"
#include "core/protocol/Commands.h"

using namespace kx;

namespace {

// A desired and reported set that agree, as after the wizard's copy.
ParamSet aligned()
{
    ParamSet s;
    s.LED = 5;
    s.PK1 = 1.235f;
    s.PK2 = 15;
    s.decp = 2;
    s.mode = 1;
    s.COEF = 1;
    s.D0 = 10;
    s.D1 = 20;
    s.D2 = 20;
    s.filter = 1;
    return s;
}

// Makes the desired value of p differ from aligned().
void edit(ParamSet& set, Param p)
{
    if (ParamSet::isReal(p))
        set.setReal(p, set.real(p) + 3);
    else
        set.setInteger(p, set.integer(p) + 1);
}

} // namespace

class TestSyncCycle : public QObject
{
    Q_OBJECT

private slots:
    void nothingToWriteWhenInStep() { QVERIFY(!nextWrite(aligned(), aligned()).has_value()); }

    void differencesBelowTheThirdDecimalAreNoDifference()
    {
        ParamSet set = aligned();
        set.D0 = 10.0004f;
        QVERIFY(!nextWrite(set, aligned()));
    }

    void writesTheDesiredFloat()
    {
        ParamSet set = aligned();
        set.D0 = 10.5f;
        const auto w = nextWrite(set, aligned());
        QVERIFY(w);
        QCOMPARE(int(w->command), 16);
        const Frame8 frame = buildFrame(FrameKind::WriteRequest, w->command, w->data);
        QCOMPARE(frame, (Frame8{0xF2, 0xF2, 0x10, 0x00, 0x00, 0x28, 0x41, 0x79}));
    }

    void unroundedValueGoesOut()
    {
        ParamSet set = aligned();
        set.PK2 = 12.3456f;
        const auto w = nextWrite(set, aligned());
        QVERIFY(w);
        QCOMPARE(w->data, encodeReal(12.3456f));
    }

    void firstInOrderWins_data()
    {
        QTest::addColumn<QList<int>>("changed"); // parameters made to differ
        QTest::addColumn<int>("command");
        QTest::newRow("LED before D0") << QList<int>{int(Param::D0), int(Param::LED)} << 12;
        QTest::newRow("b1 before a2") << QList<int>{int(Param::a2), int(Param::b1)} << 21;
        QTest::newRow("mode before COEF") << QList<int>{int(Param::COEF), int(Param::mode)} << 1;
        QTest::newRow("Beep before mode") << QList<int>{int(Param::mode), int(Param::Beep)} << 3;
        QTest::newRow("filter before VoltageRange")
            << QList<int>{int(Param::VoltageRange), int(Param::filter)} << 27;
        QTest::newRow("VoltageRange alone") << QList<int>{int(Param::VoltageRange)} << 29;
    }

    void firstInOrderWins()
    {
        QFETCH(QList<int>, changed);
        QFETCH(int, command);
        ParamSet set = aligned();
        for (int i : changed) {
            const auto p = static_cast<Param>(i);
            if (ParamSet::isReal(p))
                set.setReal(p, set.real(p) + 3);
            else
                set.setInteger(p, set.integer(p) + 3);
        }
        const auto w = nextWrite(set, aligned());
        QVERIFY(w);
        QCOMPARE(int(w->command), command);
    }

    void integerWritesItsLowByte()
    {
        ParamSet set = aligned();
        set.LED = 25 + 256;
        const auto w = nextWrite(set, aligned());
        QVERIFY(w);
        QCOMPARE(w->data, (Data4{25, 0, 0, 0}));
    }

    // The whole order of the cycle: each parameter alone gives its own command, and with
    // every parameter edited they are written one after another in this order.
    void writeOrder_data()
    {
        QTest::addColumn<int>("param");
        QTest::addColumn<int>("command");
        QTest::newRow("1 LED") << int(Param::LED) << 12;
        QTest::newRow("2 PK1") << int(Param::PK1) << 8;
        QTest::newRow("3 PK2") << int(Param::PK2) << 9;
        QTest::newRow("4 decp") << int(Param::decp) << 2;
        QTest::newRow("5 Beep") << int(Param::Beep) << 3;
        QTest::newRow("6 mode") << int(Param::mode) << 1;
        QTest::newRow("7 COEF") << int(Param::COEF) << 14;
        QTest::newRow("8 OFFSET") << int(Param::OFFSET) << 13;
        QTest::newRow("9 D0") << int(Param::D0) << 16;
        QTest::newRow("10 D1") << int(Param::D1) << 17;
        QTest::newRow("11 D2") << int(Param::D2) << 18;
        QTest::newRow("12 a1") << int(Param::a1) << 19;
        QTest::newRow("13 b1") << int(Param::b1) << 21;
        QTest::newRow("14 a2") << int(Param::a2) << 20;
        QTest::newRow("15 b2") << int(Param::b2) << 22;
        QTest::newRow("16 filter") << int(Param::filter) << 27;
        QTest::newRow("17 VoltageRange") << int(Param::VoltageRange) << 29;
    }

    void writeOrder()
    {
        QFETCH(int, param);
        QFETCH(int, command);
        const auto p = static_cast<Param>(param);
        ParamSet set = aligned();
        edit(set, p);
        const auto w = nextWrite(set, aligned());
        QVERIFY(w);
        QCOMPARE(int(w->param), param);
        QCOMPARE(int(w->command), command);
        QCOMPARE(w->data,
                 ParamSet::isReal(p) ? encodeReal(set.real(p)) : encodeByte(set.integer(p)));
    }

    void everyParameterEditedIsWrittenInTheFixedOrder()
    {
        ParamSet set = aligned();
        ParamSet stan = aligned();
        for (std::size_t i = 0; i < kParamCount; ++i)
            edit(set, static_cast<Param>(i));
        QList<int> commands;
        // The device takes each write: its reply makes the parameter agree.
        while (const auto w = nextWrite(set, stan)) {
            commands << w->command;
            if (ParamSet::isReal(w->param))
                stan.setReal(w->param, set.real(w->param));
            else
                stan.setInteger(w->param, set.integer(w->param));
            QVERIFY(commands.size() <= int(kParamCount));
        }
        QCOMPARE(commands,
                 (QList<int>{12, 8, 9, 2, 3, 1, 14, 13, 16, 17, 18, 19, 21, 20, 22, 27, 29}));
    }

    void notFiniteValues_data()
    {
        QTest::addColumn<double>("desired");
        QTest::addColumn<double>("reported");
        QTest::addColumn<int>("command"); // the write that goes out; 0 for none
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        // P2 is edited too: it is written whenever P1 is not.
        QTest::newRow("NaN reported and taken as desired: P2 is written") << nan << nan << 9;
        QTest::newRow("NaN desired, a number reported: P2 is written") << nan << 1.5 << 9;
        QTest::newRow("infinity desired: P2 is written") << inf << 1.5 << 9;
        QTest::newRow("minus infinity desired: P2 is written") << -inf << -inf << 9;
        QTest::newRow("a number desired, NaN reported: P1 is written") << 2.5 << nan << 8;
        QTest::newRow("a number desired, infinity reported: P1 is written") << 2.5 << inf << 8;
    }

    void notFiniteValues()
    {
        QFETCH(double, desired);
        QFETCH(double, reported);
        QFETCH(int, command);
        ParamSet set = aligned();
        ParamSet stan = aligned();
        set.PK1 = float(desired);
        stan.PK1 = float(reported);
        set.PK2 = stan.PK2 + 7;
        const auto w = nextWrite(set, stan);
        QVERIFY(w);
        QCOMPARE(int(w->command), command);
        QVERIFY(std::isfinite(decodeReal(w->data.data())));
    }

    void notFiniteDesiredValueIsNeverWritten()
    {
        ParamSet set = aligned();
        ParamSet stan = aligned();
        set.COEF = stan.COEF = std::numeric_limits<float>::quiet_NaN();
        QVERIFY(inStep(set, stan, Param::COEF));
        QVERIFY(!nextWrite(set, stan));
        set.filter = std::numeric_limits<float>::infinity();
        QVERIFY(!nextWrite(set, stan));
    }

    void orderCoversEveryParameterOnce()
    {
        QCOMPARE(syncOrder().size(), kParamCount);
        std::set<Param> seen(syncOrder().begin(), syncOrder().end());
        QCOMPARE(seen.size(), kParamCount);
    }

    void dumpLines()
    {
        DeviceModel m;
        m.Set = aligned();
        m.Stan = aligned();
        m.Set.PK1 = 1.235f;
        m.Set.D0 = 10.0004f;
        m.Stan.VoltageRange = 1;
        m.GO = true;
        m.bledna_transmisja = 1;
        const auto lines = stateDump(m, ',');
        QCOMPARE(lines.size(), size_t(20));
        QStringList got;
        for (const auto& l : lines)
            got << QString::fromStdString(l);
        QCOMPARE(got[0], QString("Set.LED=5 , Stan.LED=5"));
        QCOMPARE(got[1], QString("Set.PK1=1,23500001430511 , Stan.PK1=1,23500001430511"));
        QCOMPARE(got[4], QString("Set.mode=1 , Stan.mode=1"));
        QCOMPARE(got[5], QString("Set.Beep=0 , Stan.Beep=0"));
        QCOMPARE(got[9], QString("Set.D0=10 , Stan.D0=10"));
        QCOMPARE(got[13], QString("Set.b1=0 , Stan.b1=0"));
        QCOMPARE(got[16], QString("Set.VoltageRange=0 , Stan.VoltageRange=1"));
        QCOMPARE(got.mid(17),
                 (QStringList{"Device.GO=1", "Device.zapytanie=0", "Device.bledna_transmisja=1"}));
    }

    void status_data()
    {
        QTest::addColumn<bool>("detected");
        QTest::addColumn<bool>("go");
        QTest::addColumn<QString>("text"); // "-" leaves the text
        QTest::newRow("ready") << true << false << "gotowy do pracy";
        QTest::newRow("working") << true << true << "praca";
        QTest::newRow("not detected") << false << false << "nie wykryto";
        QTest::newRow("GO without a device") << false << true << "-";
    }

    void status()
    {
        QFETCH(bool, detected);
        QFETCH(bool, go);
        QFETCH(QString, text);
        const auto s = statusText(detected, go);
        QCOMPARE(s ? QString::fromStdString(*s) : QString("-"), text);
    }
};

QTEST_APPLESS_MAIN(TestSyncCycle)
#include "test_sync_cycle.moc"
