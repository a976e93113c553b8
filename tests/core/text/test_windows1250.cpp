#include <QtTest>

#include "Windows1250.h"
#include "core/text/Windows1250.h"

using namespace kx;

// The program's own Windows-1250 table, against known bytes and against the system's codec.
class TestWindows1250 : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(systemHasWindows1250(), "the system has no Windows-1250 codec");
    }

    void windows1250_data()
    {
        QTest::addColumn<QByteArray>("utf8");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("ASCII as it is")
            << QByteArray("KX350T <nierozpoznane>\t|-") << QByteArray("KX350T <nierozpoznane>\t|-");
        QTest::newRow("NUL kept") << QByteArray("a\0b", 3) << QByteArray("a\0b", 3);
        QTest::newRow("ł") << QByteArray("ł") << QByteArray("\xB3");
        QTest::newRow("ó") << QByteArray("ó") << QByteArray("\xF3");
        QTest::newRow("ę") << QByteArray("ę") << QByteArray("\xEA");
        QTest::newRow("ą") << QByteArray("ą") << QByteArray("\xB9");
        QTest::newRow("Polish alphabet")
            << QByteArray("ĄĆĘŁŃÓŚŹŻąćęłńóśźż")
            << QByteArray("\xA5\xC6\xCA\xA3\xD1\xD3\x8C\x8F\xAF\xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F"
                          "\xBF");
        QTest::newRow("other Central European letters")
            << QByteArray("ŠšŽžŘřÄäÉéßŐő")
            << QByteArray("\x8A\x9A\x8E\x9E\xD8\xF8\xC4\xE4\xC9\xE9"
                          "\xDF\xD5\xF5");
        QTest::newRow("punctuation of the upper half")
            << QByteArray("€„”–—…°\u00A0") << QByteArray("\x80\x84\x94\x96\x97\x85\xB0\xA0");
        QTest::newRow("letter outside the code page") << QByteArray("àñ") << QByteArray("??");
        QTest::newRow("narrow no-break space of a time text")
            << QByteArray("2:07\u202fPM") << QByteArray("2:07?PM");
        QTest::newRow("CJK and an emoji, one ? each") << QByteArray("日😀x") << QByteArray("??x");
        QTest::newRow("C1 control has no character") << QByteArray("\xC2\x81") << QByteArray("?");
        QTest::newRow("byte that begins nothing") << QByteArray("a\xFF"
                                                                "b")
                                                  << QByteArray("a?b");
        QTest::newRow("stray continuation") << QByteArray("\x80") << QByteArray("?");
        QTest::newRow("cut two-byte letter at the end") << QByteArray("a\xC5") << QByteArray("a?");
        QTest::newRow("cut three-byte sequence, one ?") << QByteArray("\xE2\x82"
                                                                      "A")
                                                        << QByteArray("?A");
        QTest::newRow("overlong slash") << QByteArray("\xC0\xAF") << QByteArray("??");
        QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80") << QByteArray("???");
        QTest::newRow("beyond U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << QByteArray("????");
    }

    void windows1250()
    {
        QFETCH(QByteArray, utf8);
        QFETCH(QByteArray, expected);
        const std::string out = toWindows1250(std::string_view(utf8.constData(), utf8.size()));
        QCOMPARE(QByteArray(out.data(), qsizetype(out.size())), expected);
    }

    // Every character of the code page's upper half, as the system's codec decodes it, goes
    // back to its own byte.
    void windows1250AgreesWithTheSystemCodec()
    {
        int letters = 0;
        for (int b = 0x80; b <= 0xFF; ++b) {
            const QString ch = fromWindows1250(QByteArray(1, char(b)));
            if (ch.size() != 1 || (ch[0].unicode() >= 0x80 && ch[0].unicode() < 0xA0) ||
                ch[0] == QChar::ReplacementCharacter)
                continue; // no character for this byte
            const std::string out = toWindows1250(ch.toStdString());
            QVERIFY2(out == std::string(1, char(b)),
                     qPrintable(QString("U+%1").arg(ch[0].unicode(), 4, 16, QChar('0'))));
            ++letters;
        }
        QCOMPARE(letters, 123);
    }
};

QTEST_APPLESS_MAIN(TestWindows1250)
#include "test_windows1250.moc"
