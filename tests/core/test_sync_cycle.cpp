#include <QtTest>

#include <limits>
#include <set>

#include "device/SyncCycle.h"
#include "protocol/Commands.h"

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

    void notANumberAlwaysDiffers()
    {
        ParamSet set = aligned();
        ParamSet stan = aligned();
        set.COEF = stan.COEF = std::numeric_limits<float>::quiet_NaN();
        const auto w = nextWrite(set, stan);
        QVERIFY(w);
        QCOMPARE(int(w->command), 14);
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
