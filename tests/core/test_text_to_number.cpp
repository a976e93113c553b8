#include <QtTest>

#include "device/TextToNumber.h"

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
};

QTEST_APPLESS_MAIN(TestTextToNumber)
#include "test_text_to_number.moc"
