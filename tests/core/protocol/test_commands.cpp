#include <QtTest>

#include <set>

#include "core/device/DeviceModel.h"
#include "core/protocol/Commands.h"

using namespace kx;

class TestCommands : public QObject
{
    Q_OBJECT

private slots:
    void everyParameterTravelsUnderItsOwnCommand_data()
    {
        QTest::addColumn<int>("param");
        QTest::addColumn<int>("command");
        QTest::addColumn<bool>("real");
        const std::tuple<Param, int, bool> rows[] = {
            {Param::mode, 1, false},
            {Param::decp, 2, false},
            {Param::Beep, 3, false},
            {Param::PK1, 8, true},
            {Param::PK2, 9, true},
            {Param::LED, 12, false},
            {Param::OFFSET, 13, true},
            {Param::COEF, 14, true},
            {Param::D0, 16, true},
            {Param::D1, 17, true},
            {Param::D2, 18, true},
            {Param::a1, 19, true},
            {Param::a2, 20, true},
            {Param::b1, 21, true},
            {Param::b2, 22, true},
            {Param::filter, 27, true},
            {Param::VoltageRange, 29, false},
        };
        for (const auto& [p, c, r] : rows)
            QTest::newRow(qPrintable(QString("command %1").arg(c))) << int(p) << c << r;
    }

    void everyParameterTravelsUnderItsOwnCommand()
    {
        QFETCH(int, param);
        QFETCH(int, command);
        QFETCH(bool, real);
        const auto p = static_cast<Param>(param);
        QCOMPARE(int(commandOf(p)), command);
        const auto info = findCommand(static_cast<uint8_t>(command));
        QVERIFY(info.has_value());
        QCOMPARE(info->param, std::optional<Param>(p));
        QCOMPARE(info->encoding == Encoding::Real, real);
        QCOMPARE(ParamSet::isReal(p), real);
    }

    void unknownCommandsAreNotInTheTable()
    {
        const std::set<int> known{1,  2,  3,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 16,
                                  17, 18, 19, 20, 21, 22, 23, 24, 27, 29, 32, 34, 35, 36};
        for (int c = 0; c < 256; ++c)
            QCOMPARE(findCommand(static_cast<uint8_t>(c)).has_value(), known.count(c) == 1);
        QCOMPARE(commandTable().size(), known.size());
    }

    void wizardReadsInItsFixedOrder()
    {
        const std::vector<uint8_t> order(wizardReadOrder().begin(), wizardReadOrder().end());
        const std::vector<uint8_t> expected{32, 35, 34, 16, 17, 18, 19, 20, 21, 22,
                                            1,  8,  9,  12, 3,  2,  14, 13, 27, 29};
        QCOMPARE(order, expected);
    }

    void parameterSetAccessTouchesOnlyItsField()
    {
        for (std::size_t i = 0; i < kParamCount; ++i) {
            const auto p = static_cast<Param>(i);
            ParamSet s;
            if (ParamSet::isReal(p)) {
                s.setReal(p, 2.5f);
                QCOMPARE(s.real(p), 2.5f);
            } else {
                s.setInteger(p, 7);
                QCOMPARE(s.integer(p), 7);
            }
            ParamSet zero;
            QVERIFY(!(s == zero));
            // Every other parameter stayed zero.
            for (std::size_t j = 0; j < kParamCount; ++j) {
                if (j == i)
                    continue;
                const auto q = static_cast<Param>(j);
                QVERIFY(ParamSet::isReal(q) ? s.real(q) == 0 : s.integer(q) == 0);
            }
        }
    }

    void modelStartsEmpty()
    {
        const DeviceModel m;
        QVERIFY(m.Set == ParamSet{});
        QVERIFY(m.Stan == ParamSet{});
        QCOMPARE(m.TypeName, std::string("<nierozpoznane>"));
        QVERIFY(!m.Detected && !m.GO && !m.ReplyReceived && !m.zapytanie);
        for (uint8_t f : m.ReceivedFlags)
            QCOMPARE(f, uint8_t(0));
    }
};

QTEST_APPLESS_MAIN(TestCommands)
#include "test_commands.moc"
