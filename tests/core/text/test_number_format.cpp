#include <QtTest>

#include <clocale>
#include <cmath>
#include <limits>

#include "core/text/NumberFormat.h"
#include "core/text/RoundTo3.h"

using namespace kx;

class TestNumberFormat : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // A Polish C locale must not leak a comma into the point-style texts.
        if (!std::setlocale(LC_ALL, "pl_PL.UTF-8"))
            std::setlocale(LC_ALL, "");
    }

    void roundTo3_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("expected");
        QTest::newRow("plain") << 1.2344 << 1.234;
        QTest::newRow("exact half goes down to even") << 0.0625 << 0.062;
        QTest::newRow("exact half goes up to even") << 0.0135 << 0.014;
        QTest::newRow("half of the smallest step is zero") << 0.0005 << 0.0;
        QTest::newRow("negative half to even") << -0.0015 << -0.002;
        QTest::newRow("negative half down to even") << -0.0625 << -0.062;
        QTest::newRow("single 1.23456 as double") << double(1.23456f) << 1.235;
        QTest::newRow("below the third decimal") << 12.5001 << 12.5;
        QTest::newRow("10.0004") << 10.0004 << 10.0;
        QTest::newRow("10.5 unchanged") << 10.5 << 10.5;
    }

    void roundTo3()
    {
        QFETCH(double, x);
        QFETCH(double, expected);
        // The result is n * 0.001 exactly as computed, so compare with that product.
        QCOMPARE(RoundTo3(x), std::round(expected * 1000) * 0.001);
    }

    void roundTo3KeepsNotFiniteValues()
    {
        QVERIFY(std::isnan(RoundTo3(std::numeric_limits<double>::quiet_NaN())));
        QCOMPARE(RoundTo3(std::numeric_limits<double>::infinity()),
                 std::numeric_limits<double>::infinity());
    }

    void general_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("comma");

        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("negative zero") << -0.0 << "0";
        QTest::newRow("whole") << 100.0 << "100";
        QTest::newRow("negative whole") << -4.0 << "-4";
        QTest::newRow("decimal") << 12.345 << "12,345";
        QTest::newRow("float noise shows in 15 digits") << double(1.23456f) << "1,23456001281738";
        QTest::newRow("15 digits round away the binary error") << 0.1 + 0.2 << "0,3";
        QTest::newRow("RoundTo3 result shows clean") << RoundTo3(12.5001) << "12,5";
        QTest::newRow("0.00001 still fixed") << 0.00001 << "0,00001";
        QTest::newRow("below 0.00001 is scientific") << 0.000009 << "9E-6";
        QTest::newRow("scientific with a fraction") << -0.00000123 << "-1,23E-6";
        QTest::newRow("just above 0.00001 is fixed") << 0.0000123 << "0,0000123";
        QTest::newRow("15 integer digits still fixed") << 123456789012345.0 << "123456789012345";
        QTest::newRow("16 integer digits scientific")
            << 1234567890123456.0 << "1,23456789012346E15";
        QTest::newRow("1e15") << 1e15 << "1E15";
        QTest::newRow("rounding carries into a new digit") << 9.9999999999999999 << "10";
        QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << "NAN";
        QTest::newRow("-inf") << -std::numeric_limits<double>::infinity() << "-INF";
    }

    void general()
    {
        QFETCH(double, value);
        QFETCH(QString, comma);
        QCOMPARE(QString::fromStdString(formatGeneral(value, ',')), comma);
        QString point = comma;
        point.replace(',', '.');
        QCOMPARE(QString::fromStdString(formatGeneral(value, '.')), point);
    }

    void commaDecimal()
    {
        QCOMPARE(CommaDecimal("1.5 2.25"), std::string("1,5 2,25"));
        QCOMPARE(CommaDecimal("abc"), std::string("abc"));
    }

    void fixedCarriesAPointWhateverTheLocale_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("precision");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("expected");
        QTest::newRow("%3.4f") << 12.34 << 4 << 3 << "12.3400";
        QTest::newRow("%3.5f") << 10.0 << 5 << 3 << "10.00000";
        QTest::newRow("padded") << 1.0 << 0 << 3 << "  1";
        QTest::newRow("negative") << -0.5 << 4 << 3 << "-0.5000";
        QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << 4 << 3 << "NAN";
    }

    void fixedCarriesAPointWhateverTheLocale()
    {
        QFETCH(double, value);
        QFETCH(int, precision);
        QFETCH(int, width);
        QFETCH(QString, expected);
        QCOMPARE(QString::fromStdString(formatFixed(value, precision, width)), expected);
    }
};

QTEST_APPLESS_MAIN(TestNumberFormat)
#include "test_number_format.moc"
