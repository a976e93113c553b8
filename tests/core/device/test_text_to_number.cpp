#include <QtTest>

#include "core/device/TextToNumber.h"

using namespace kx;

class TestTextToNumber : public QObject
{
    Q_OBJECT

private slots:
    void decimal_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("value");
        QTest::newRow("comma") << "12,3456"
                               << "," << true << 12.3456;
        QTest::newRow("point on a comma locale") << "12.5"
                                                 << "," << false << 0.0;
        QTest::newRow("point on a point locale") << "12.5"
                                                 << "." << true << 12.5;
        QTest::newRow("blanks around, sign") << "  -4,25 "
                                             << "," << true << -4.25;
        QTest::newRow("plus sign") << "+3"
                                   << "," << true << 3.0;
        QTest::newRow("exponent") << "1,5E3"
                                  << "," << true << 1500.0;
        QTest::newRow("negative exponent") << "25e-1"
                                           << "," << true << 2.5;
        QTest::newRow("no fraction digits") << "7,"
                                            << "," << true << 7.0;
        QTest::newRow("no integer digits") << ",5"
                                           << "," << true << 0.5;
        QTest::newRow("two separators") << "1,2,3"
                                        << "," << false << 0.0;
        QTest::newRow("thousands separator") << "1 000"
                                             << "," << false << 0.0;
        QTest::newRow("empty") << ""
                               << "," << false << 0.0;
        QTest::newRow("only a sign") << "-"
                                     << "," << false << 0.0;
        QTest::newRow("dangling exponent") << "1E"
                                           << "," << false << 0.0;
        QTest::newRow("letters after") << "12abc"
                                       << "," << false << 0.0;
        QTest::newRow("out of range of a double") << "1E999"
                                                  << "," << false << 0.0;
    }

    void decimal()
    {
        QFETCH(QString, text);
        QFETCH(QString, separator);
        QFETCH(bool, ok);
        QFETCH(double, value);
        const auto got = parseDecimal(text.toStdString(), separator.toLatin1()[0]);
        QCOMPARE(got.has_value(), ok);
        if (ok)
            QCOMPARE(*got, value);
    }

    void whole_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("value");
        QTest::newRow("plain") << "25" << true << 25;
        QTest::newRow("negative") << "-4" << true << -4;
        QTest::newRow("leading blanks") << "   7" << true << 7;
        QTest::newRow("trailing blank") << "7 " << false << 0;
        QTest::newRow("decimal comma") << "1,5" << false << 0;
        QTest::newRow("empty") << "" << false << 0;
        QTest::newRow("dollar hex") << "$1F" << true << 31;
        QTest::newRow("x hex") << "x10" << true << 16;
        QTest::newRow("0x hex") << "0xff" << true << 255;
        QTest::newRow("negative hex") << "-$10" << true << -16;
        QTest::newRow("32-bit hex pattern") << "$FFFFFFFF" << true << -1;
        QTest::newRow("hex beyond 32 bits") << "$100000000" << false << 0;
        QTest::newRow("prefix without digits") << "0x" << false << 0;
        QTest::newRow("largest") << "2147483647" << true << 2147483647;
        QTest::newRow("smallest") << "-2147483648" << true << int(-2147483647 - 1);
        QTest::newRow("overflow") << "2147483648" << false << 0;
        QTest::newRow("sign twice") << "--1" << false << 0;
    }

    void whole()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(int, value);
        const auto got = parseWholeNumber(text.toStdString());
        QCOMPARE(got.has_value(), ok);
        if (ok)
            QCOMPARE(*got, value);
    }

    void wholeNumberForAParameter_data()
    {
        QTest::addColumn<int>("param");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("value");
        const int led = int(Param::LED);
        const int decp = int(Param::decp);
        QTest::newRow("LED within its limits") << led << "5" << true << 5;
        QTest::newRow("LED at its top") << led << "9" << true << 9;
        QTest::newRow("LED at zero") << led << "0" << true << 0;
        QTest::newRow("LED one above") << led << "10" << true << 9;
        QTest::newRow("LED 25") << led << "25" << true << 9;
        QTest::newRow("LED negative") << led << "-1" << true << 0;
        QTest::newRow("LED in hex") << led << "$FF" << true << 9;
        QTest::newRow("LED largest whole number") << led << "2147483647" << true << 9;
        QTest::newRow("LED smallest whole number") << led << "-2147483648" << true << 0;
        QTest::newRow("LED not a whole number") << led << "3,5" << false << 0;
        QTest::newRow("LED beyond 32 bits") << led << "99999999999" << false << 0;
        QTest::newRow("decp within its limits") << decp << "3" << true << 3;
        QTest::newRow("decp at its top") << decp << "6" << true << 6;
        QTest::newRow("decp one above") << decp << "7" << true << 6;
        QTest::newRow("decp LED's top") << decp << "9" << true << 6;
        QTest::newRow("decp negative") << decp << "-4" << true << 0;
        QTest::newRow("decp empty") << decp << "" << false << 0;
        QTest::newRow("Offset is not limited") << int(Param::OFFSET) << "-25" << true << -25;
        QTest::newRow("COEF is not limited") << int(Param::COEF) << "250" << true << 250;
        QTest::newRow("filter is not limited") << int(Param::filter) << "12" << true << 12;
    }

    void wholeNumberForAParameter()
    {
        QFETCH(int, param);
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(int, value);
        const auto p = static_cast<Param>(param);
        const auto got = parseWholeNumberFor(p, text.toStdString());
        QCOMPARE(got.has_value(), ok);
        if (!ok)
            return;
        QCOMPARE(*got, value);
        // The clamp alone gives the same for the number parseWholeNumber reads.
        QCOMPARE(clampToDeviceLimits(p, *parseWholeNumber(text.toStdString())), value);
    }
};

QTEST_APPLESS_MAIN(TestTextToNumber)
#include "test_text_to_number.moc"
