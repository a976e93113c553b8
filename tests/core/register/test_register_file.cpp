#include <QtTest>

#include <clocale>
#include <cmath>
#include <limits>
#include <vector>

#include "Stamps.h"
#include "Windows1250.h"
#include "core/register/RegisterFile.h"

using namespace kx;

Q_DECLARE_METATYPE(kx::RegisterFileHeader)
Q_DECLARE_METATYPE(kx::RegisterFileFormat)
Q_DECLARE_METATYPE(std::vector<kx::Registration>)

namespace {

RegisterFileHeader defaultHeader()
{
    RegisterFileHeader h;
    h.typeName = "KX350T";
    h.date = "05.03.2024";
    h.time = "14:07:09";
    h.durationSeconds = 1.5;
    h.sampling = {false, 100};
    h.active = {true, true, true};
    return h;
}

RegisterFileHeader withActive(bool y, bool x1, bool x2)
{
    RegisterFileHeader h = defaultHeader();
    h.active = {y, x1, x2};
    return h;
}

using O = RegisterOptions;

// Two registrations: one whose cells all fit the text table, and one with a value text of
// exactly 12 characters and the 13 dashes of a field never shown.
std::vector<Registration> twoRows(RegisterOptions extra = {})
{
    Registration a;
    a.options = RegisterOptions(O::defaults().bits() | extra.bits());
    a.stampMs = utcStamp();
    a.measureTime = 1.5;
    a.setShown(ValueField::Y, 12.3456f);
    a.setShown(ValueField::X1, 10.0f);
    a.setShown(ValueField::X2, -0.5f);
    a.setOutputs(true, false);

    Registration b;
    b.options = RegisterOptions(O::defaults().bits() | O::PK1 | O::PK2 | extra.bits());
    b.stampMs = utcStamp() + 1000;
    b.measureTime = 1.6;
    b.setShown(ValueField::Y, std::numeric_limits<float>::quiet_NaN());
    b.setShown(ValueField::X1, 1234567.9f);
    b.setOutputs(true, false);
    return {a, b};
}

RegisterRows rowsOf(const std::vector<Registration>& registrations)
{
    RegisterRows rows;
    for (const Registration& r : registrations)
        rows.append(r);
    return rows;
}

QByteArray write(RegisterFileFormat format, const RegisterFileHeader& header,
                 const RegisterRows& rows, const StampFormat& stamps = kUtcStamps)
{
    QByteArray bytes;
    const bool ok = writeRegisterFile(format, header, rows, stamps, [&](std::string_view chunk) {
        bytes.append(chunk.data(), qsizetype(chunk.size()));
        return true;
    });
    if (!ok)
        qWarning("writeRegisterFile failed");
    return bytes;
}

// The file's lines, decoded from Windows-1250; fails the test on a line end other than CR LF.
QStringList linesOf(const QByteArray& bytes)
{
    if (!systemHasWindows1250()) {
        qWarning("no Windows-1250 decoder");
        return {};
    }
    if (!bytes.endsWith("\r\n") || bytes.count('\n') != bytes.count("\r\n") ||
        bytes.count('\r') != bytes.count("\r\n")) {
        qWarning("a line does not end with CR LF");
        return {};
    }
    const QString text = fromWindows1250(bytes);
    QStringList lines = text.split("\r\n");
    lines.removeLast(); // after the last CR LF
    return lines;
}

const QString kTextHeaderBlock[] = {
    "typ urządzenia= \tKX350T",
    "data pomiaru= \t\t\"05.03.2024\"",
    "godzina pomiaru= \t\"14:07:09\"",
    "czas trwania pomiaru= \t1.5 [s]",
};

QStringList textHeader(int count)
{
    QStringList lines;
    for (const QString& l : kTextHeaderBlock)
        lines << l;
    lines << QString("Ilosc próbek= \t\t%1").arg(count) << "Okres próbkowania= \t100 [ms]"
          << "Częstotliwość próbkowania= \t10.000000\t [próbek / sek]"
          << ""
          << ""
          << ""
          << "";
    return lines;
}

QStringList spreadsheetHeader(int count)
{
    return QStringList{"typ urządzenia=\tKX350T",
                       "data pomiaru=\t05.03.2024",
                       "godzina pomiaru= \t14:07:09",
                       "czas trwania pomiaru=\t1,5\t [s]",
                       QString("Ilosc próbek=\t%1").arg(count),
                       "Okres próbkowania= \t100\t [ms]",
                       "Częstotliwość próbkowania=\t10,000000\t[próbek/sek]",
                       "",
                       ""};
}

const QString kAllCaptions =
    "| Index    ||   Czas [s]  || Y  (pomiar) || X1 (kanał 1)|| X2 (kanał 2)||  PK1 ||  PK2 |";

} // namespace

class TestRegisterFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The C library's Polish locale would print a comma in "%g" and "%f": it must not show.
        if (!std::setlocale(LC_ALL, "pl_PL.UTF-8"))
            std::setlocale(LC_ALL, "");
        QVERIFY2(systemHasWindows1250(), "the system has no Windows-1250 codec");
    }

    void files_data()
    {
        QTest::addColumn<RegisterFileFormat>("format");
        QTest::addColumn<RegisterFileHeader>("header");
        QTest::addColumn<std::vector<Registration>>("registrations");
        QTest::addColumn<QStringList>("lines");

        const auto txt = RegisterFileFormat::Text;
        const auto xls = RegisterFileFormat::Excel;
        const QString dashes88(88, '-');

        QTest::newRow("empty register, text table: no data line")
            << txt << defaultHeader() << std::vector<Registration>{}
            << textHeader(0) + QStringList{kAllCaptions, dashes88};
        QTest::newRow("empty register, spreadsheet: no data line")
            << xls << defaultHeader() << std::vector<Registration>{}
            << spreadsheetHeader(0) +
                   QStringList{"Index\tCzas [s]\tY (wartość mierzona)\tX1 (kanał 1)\t"
                               "X2 (kanał 2)\tPK1\tPK2\t"};

        QTest::newRow("all values active, text table")
            << txt << defaultHeader() << twoRows()
            << textHeader(2) +
                   QStringList{kAllCaptions, dashes88,
                               "|       0  ||       1,500 ||     12,3456 ||     10,0000 |"
                               "|     -0,5000 ||      ||      |",
                               // The dashes are one character too many for their cell.
                               "|       1  ||       1,600 ||         NAN ||1234567,8750 |"
                               "|------------- ||    1 ||    0 |"};
        QTest::newRow("all values active, spreadsheet")
            << xls << defaultHeader() << twoRows()
            << spreadsheetHeader(2) +
                   QStringList{"Index\tCzas [s]\tY (wartość mierzona)\tX1 (kanał 1)\t"
                               "X2 (kanał 2)\tPK1\tPK2\t",
                               "0 \t1,500\t12,3456\t10,0000\t-0,5000\t\t\t",
                               "1 \t1,600\tNAN\t1234567,8750\t-------------\t1\t0\t"};

        QTest::newRow("only Y active, text table: X1 and X2 not written")
            << txt << withActive(true, false, false) << twoRows()
            << textHeader(2) + QStringList{"| Index    ||   Czas [s]  || Y  (pomiar) ||  PK1 ||  "
                                           "PK2 |",
                                           QString(58, '-'),
                                           "|       0  ||       1,500 ||     12,3456 ||      ||  "
                                           "    |",
                                           "|       1  ||       1,600 ||         NAN ||    1 ||  "
                                           "  0 |"};
        QTest::newRow("only Y active, spreadsheet: X1 and X2 not written")
            << xls << withActive(true, false, false) << twoRows()
            << spreadsheetHeader(2) +
                   QStringList{"Index\tCzas [s]\tY (wartość mierzona)\tPK1\tPK2\t",
                               "0 \t1,500\t12,3456\t\t\t", "1 \t1,600\tNAN\t1\t0\t"};
        QTest::newRow("only X2 active, spreadsheet")
            << xls << withActive(false, false, true) << twoRows()
            << spreadsheetHeader(2) + QStringList{"Index\tCzas [s]\tX2 (kanał 2)\tPK1\tPK2\t",
                                                  "0 \t1,500\t-0,5000\t\t\t",
                                                  "1 \t1,600\t-------------\t1\t0\t"};
        QTest::newRow("no value active, text table")
            << txt << withActive(false, false, false) << twoRows()
            << textHeader(2) + QStringList{"| Index    ||   Czas [s]  ||  PK1 ||  PK2 |",
                                           QString(43, '-'),
                                           "|       0  ||       1,500 ||      ||      |",
                                           "|       1  ||       1,600 ||    1 ||    0 |"};

        // "0 (05.03.2024 14:07:09)" is 23 characters: the first column is 28 wide everywhere.
        const RegisterOptions stamped(O::Date | O::TimeOfDay);
        QTest::newRow("date and time widen the first column, text table")
            << txt << defaultHeader() << twoRows(stamped)
            << textHeader(2) +
                   QStringList{"|" + QString(17, ' ') + "Index    |" + kAllCaptions.mid(12),
                               QString(104, '-'),
                               "|  0 (05.03.2024 14:07:09) ||       1,500 ||     "
                               "12,3456 ||     10,0000 ||     -0,5000 ||      ||    "
                               "  |",
                               "|  1 (05.03.2024 14:07:10) ||       1,600 ||       "
                               "  NAN ||1234567,8750 ||------------- ||    1 ||    "
                               "0 |"};
        QTest::newRow("date and time, spreadsheet: cells as they stand")
            << xls << defaultHeader() << twoRows(stamped)
            << spreadsheetHeader(2) +
                   QStringList{"Index\tCzas [s]\tY (wartość mierzona)\tX1 (kanał 1)\t"
                               "X2 (kanał 2)\tPK1\tPK2\t",
                               "0 (05.03.2024 14:07:09)\t1,500\t12,3456\t10,0000\t-0,5000\t\t\t",
                               "1 (05.03.2024 14:07:10)\t1,600\tNAN\t1234567,8750\t-------------"
                               "\t1\t0\t"};
    }

    void files()
    {
        QFETCH(RegisterFileFormat, format);
        QFETCH(RegisterFileHeader, header);
        QFETCH(std::vector<Registration>, registrations);
        QFETCH(QStringList, lines);
        QCOMPARE(linesOf(write(format, header, rowsOf(registrations))), lines);
    }

    void textTableLineWidths_data()
    {
        QTest::addColumn<int>("options");
        QTest::addColumn<int>("tableWidth");
        QTest::addColumn<int>("lastRowGrowsBy");

        QTest::newRow("default options: 88 characters") << int(O::defaults().bits()) << 88 << 0;
        QTest::newRow("no number: the narrowest first column is 12")
            << int(O::MeasureTime | O::Y | O::X1 | O::X2) << 88 << 0;
        QTest::newRow("date without a number: 17 wide")
            << int(O::Date | O::Y | O::X1 | O::X2) << 93 << 0;
        // "0 (05.03.2024 14:07:09)": 28 wide, room for two more digits; the third overflows.
        QTest::newRow("numbered date and time: 28 wide, row 1000 one more")
            << int(O::defaults().bits() | O::Date | O::TimeOfDay) << 104 << 1;
    }

    // The first registration's column 0 sets the width for every line; a later, longer
    // number grows its own line only.
    void textTableLineWidths()
    {
        QFETCH(int, options);
        QFETCH(int, tableWidth);
        QFETCH(int, lastRowGrowsBy);
        constexpr int kRows = 1001;
        RegisterRows rows;
        for (int i = 0; i < kRows; ++i) {
            Registration r;
            r.options = RegisterOptions(uint16_t(options));
            r.stampMs = utcStamp();
            r.measureTime = i;
            for (const ValueField f : {ValueField::Y, ValueField::X1, ValueField::X2})
                r.setShown(f, -123.4567f);
            rows.append(r);
        }
        const QStringList lines = linesOf(write(RegisterFileFormat::Text, defaultHeader(), rows));
        QCOMPARE(lines.size(), 11 + 2 + kRows);
        for (int i = 11; i < lines.size(); ++i) {
            const int expected = tableWidth + (i == lines.size() - 1 ? lastRowGrowsBy : 0);
            QVERIFY2(lines[i].size() == expected, qPrintable(QString("line %1: %2 characters: %3")
                                                                 .arg(i)
                                                                 .arg(lines[i].size())
                                                                 .arg(lines[i])));
        }
    }

    // Width counts the characters of the file: a Polish letter is one, and so is a character
    // the code page lacks (written as '?').
    void firstColumnWidthCountsFileCharacters()
    {
        RegisterRows rows;
        Registration r;
        r.options = RegisterOptions(O::Date | O::TimeOfDay);
        rows.append(r);
        // "(śr., 5 mar 2:07:09\u202fPM)" is 23 characters, 26 bytes of UTF-8: 28 wide.
        const StampFormat polish{[](int64_t) { return std::string("śr., 5 mar"); },
                                 [](int64_t) { return std::string("2:07:09\u202fPM"); }};
        const QByteArray bytes = write(RegisterFileFormat::Text, defaultHeader(), rows, polish);
        const QList<QByteArray> lines = bytes.split('\n');
        QCOMPARE(lines.size(), 15); // 11 header lines, captions, dashes, one row, nothing after
        QCOMPARE(lines[13], QByteArray("|  (\x9Cr., 5 mar 2:07:09?PM) |"
                                       "|             ||             ||             |"
                                       "|             ||      ||      |\r"));
        QCOMPARE(lines[12], QByteArray(28 + 15 * 4 + 8 * 2, '-') + '\r');
    }

    void polishLettersAreSingleBytes()
    {
        RegisterFileHeader header = defaultHeader();
        header.typeName = "Łódź";
        const QByteArray text = write(RegisterFileFormat::Text, header, RegisterRows{});
        QVERIFY(text.startsWith("typ urz\xB9"
                                "dzenia= \t\xA3\xF3"
                                "d\x9F\r\n"));
        QVERIFY(text.contains("\r\nIlosc pr\xF3"
                              "bek= \t\t0\r\n"));
        QVERIFY(text.contains("\r\nCz\xEAstotliwo\x9C\xE6 pr\xF3"
                              "bkowania= \t10.000000\t "
                              "[pr\xF3"
                              "bek / sek]\r\n"));
        QVERIFY(text.contains("|| X1 (kana\xB3 1)|| X2 (kana\xB3 2)||"));
        const QByteArray sheet = write(RegisterFileFormat::Excel, header, RegisterRows{});
        QVERIFY(sheet.contains("\r\nIndex\tCzas [s]\tY (warto\x9C\xE6 mierzona)\t"));
        for (const QByteArray& file : {text, sheet}) {
            QVERIFY(!file.contains("\xC5")); // no UTF-8 lead byte of ł, ś, ą, ę
            QVERIFY(!file.contains("\xC3")); // nor of ó
        }
    }

    void durations_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("spreadsheet");
        QTest::addColumn<QString>("text");

        QTest::newRow("1.5") << 1.5 << "1,5"
                             << "1.5";
        QTest::newRow("zero") << 0.0 << "0"
                              << "0";
        QTest::newRow("12.5") << 12.5 << "12,5"
                              << "12.5";
        QTest::newRow("binary noise rounds away") << 0.1 + 0.2 << "0,3"
                                                  << "0.3";
        QTest::newRow("six significant digits kept") << 3600.25 << "3600,25"
                                                     << "3600.25";
        QTest::newRow("six digits rounded") << 123456.7 << "123456,7"
                                            << "123457";
        QTest::newRow("exponent when shorter") << 1234567.0 << "1234567"
                                               << "1.23457e+06";
        QTest::newRow("100000 still fixed") << 100000.0 << "100000"
                                            << "100000";
        QTest::newRow("0.0001 fixed") << 0.0001 << "0,0001"
                                      << "0.0001";
        QTest::newRow("0.00001") << 0.00001 << "0,00001"
                                 << "1e-05";
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << "NAN"
                                      << "nan";
    }

    void durations()
    {
        QFETCH(double, seconds);
        QFETCH(QString, spreadsheet);
        QFETCH(QString, text);
        RegisterFileHeader header = defaultHeader();
        header.durationSeconds = seconds;
        QCOMPARE(linesOf(write(RegisterFileFormat::Excel, header, RegisterRows{})).value(3),
                 "czas trwania pomiaru=\t" + spreadsheet + "\t [s]");
        QCOMPARE(linesOf(write(RegisterFileFormat::Text, header, RegisterRows{})).value(3),
                 "czas trwania pomiaru= \t" + text + " [s]");
    }

    void sampling_data()
    {
        QTest::addColumn<bool>("continuous");
        QTest::addColumn<int>("periodMs");
        QTest::addColumn<QStringList>("spreadsheet");
        QTest::addColumn<QStringList>("text");

        QTest::newRow("100 ms")
            << false << 100
            << QStringList{"Okres próbkowania= \t100\t [ms]",
                           "Częstotliwość próbkowania=\t10,000000\t[próbek/sek]"}
            << QStringList{"Okres próbkowania= \t100 [ms]",
                           "Częstotliwość próbkowania= \t10.000000\t [próbek / sek]"};
        QTest::newRow("30 ms") << false << 30
                               << QStringList{"Okres próbkowania= \t30\t [ms]",
                                              "Częstotliwość próbkowania=\t33,333333\t[próbek/sek]"}
                               << QStringList{
                                      "Okres próbkowania= \t30 [ms]",
                                      "Częstotliwość próbkowania= \t33.333333\t [próbek / sek]"};
        QTest::newRow("longest period")
            << false << 10'000'000
            << QStringList{"Okres próbkowania= \t10000000\t [ms]",
                           "Częstotliwość próbkowania=\t0,000100\t[próbek/sek]"}
            << QStringList{"Okres próbkowania= \t10000000 [ms]",
                           "Częstotliwość próbkowania= \t0.000100\t [próbek / sek]"};
        QTest::newRow("no settings file: 0 ms is sampled, and written, as 10 ms")
            << false << 0
            << QStringList{"Okres próbkowania= \t10\t [ms]",
                           "Częstotliwość próbkowania=\t100,000000\t[próbek/sek]"}
            << QStringList{"Okres próbkowania= \t10 [ms]",
                           "Częstotliwość próbkowania= \t100.000000\t [próbek / sek]"};
        QTest::newRow("negative period as 10 ms")
            << false << -5
            << QStringList{"Okres próbkowania= \t10\t [ms]",
                           "Częstotliwość próbkowania=\t100,000000\t[próbek/sek]"}
            << QStringList{"Okres próbkowania= \t10 [ms]",
                           "Częstotliwość próbkowania= \t100.000000\t [próbek / sek]"};
        QTest::newRow("continuous sampling: real time, no period")
            << true << 100 << QStringList{"Częstotliwość próbkowania=[real time]"}
            << QStringList{"Częstotliwość próbkowania= [real time]"};
    }

    // The sampling lines follow "Ilosc próbek="; the blank lines follow them.
    void sampling()
    {
        QFETCH(bool, continuous);
        QFETCH(int, periodMs);
        QFETCH(QStringList, spreadsheet);
        QFETCH(QStringList, text);
        RegisterFileHeader header = defaultHeader();
        header.sampling = {continuous, periodMs};
        const QStringList sheetLines =
            linesOf(write(RegisterFileFormat::Excel, header, RegisterRows{}));
        QCOMPARE(sheetLines.mid(5, spreadsheet.size() + 2), spreadsheet + QStringList(2, ""));
        QCOMPARE(sheetLines.value(5 + spreadsheet.size() + 2).left(6), "Index\t");
        const QStringList textLines =
            linesOf(write(RegisterFileFormat::Text, header, RegisterRows{}));
        QCOMPARE(textLines.mid(5, text.size() + 4), text + QStringList(4, ""));
        QCOMPARE(textLines.value(5 + text.size() + 4).left(7), "| Index");
    }

    void padCell_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("cell");

        QTest::newRow("empty first column: bar, nine spaces, a space, bar")
            << 12 << QByteArray()
            << QByteArray("|"
                          "         "
                          " |");
        QTest::newRow("Index caption")
            << 12 << QByteArray("Index   ") << QByteArray("| Index    |");
        QTest::newRow("time cell") << 15 << QByteArray("1,500") << QByteArray("|       1,500 |");
        QTest::newRow("output cell") << 8 << QByteArray("1") << QByteArray("|    1 |");
        QTest::newRow("empty output cell") << 8 << QByteArray() << QByteArray("|      |");
        QTest::newRow("exactly width - 3")
            << 15 << QByteArray("1234567,8750") << QByteArray("|1234567,8750 |");
        QTest::newRow("longer text grows the cell, uncut")
            << 15 << QByteArray("-1234567,8750") << QByteArray("|-1234567,8750 |");
        QTest::newRow("single-byte letters count one each")
            << 8 << QByteArray("\xB3\xF3\xEA") << QByteArray("|  \xB3\xF3\xEA |");
        QTest::newRow("width below 3") << 0 << QByteArray("ab") << QByteArray("|ab |");
        QTest::newRow("negative width") << -20 << QByteArray("") << QByteArray("| |");
    }

    void padCell()
    {
        QFETCH(int, width);
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, cell);
        const std::string out = PadCell(width, std::string_view(text.constData(), text.size()));
        QCOMPARE(QByteArray(out.data(), qsizetype(out.size())), cell);
    }

    void fileTarget_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<RegisterFileFormat>("filter");
        QTest::addColumn<QString>("fileName"); // empty: refused
        QTest::addColumn<RegisterFileFormat>("format");

        const auto txt = RegisterFileFormat::Text;
        const auto xls = RegisterFileFormat::Excel;
        QTest::newRow("no extension, Text filter") << "wyniki" << txt << "wyniki.txt" << txt;
        QTest::newRow("no extension, Excel filter") << "wyniki" << xls << "wyniki.xls" << xls;
        QTest::newRow(".txt") << "wyniki.txt" << txt << "wyniki.txt" << txt;
        QTest::newRow(".xls under the Text filter: the name decides")
            << "wyniki.xls" << txt << "wyniki.xls" << xls;
        QTest::newRow(".XLS in capitals") << "wyniki.XLS" << txt << "wyniki.XLS" << xls;
        QTest::newRow(".Txt in mixed case") << "wyniki.Txt" << xls << "wyniki.Txt" << txt;
        QTest::newRow(".CSV refused") << "wyniki.CSV" << txt << "" << txt;
        QTest::newRow(".csv refused") << "wyniki.csv" << xls << "" << txt;
        QTest::newRow("last extension counts") << "wyniki.txt.bak" << txt << "" << txt;
        QTest::newRow("two extensions, the last one known")
            << "wyniki.bak.xls" << txt << "wyniki.bak.xls" << xls;
        QTest::newRow("trailing dot refused") << "wyniki." << txt << "" << txt;
        QTest::newRow("dot in a folder is no extension")
            << "/home/op/pomiary.2024/wyniki" << txt << "/home/op/pomiary.2024/wyniki.txt" << txt;
        QTest::newRow("Windows folder")
            << "C:\\Pomiary.v2\\wyniki" << xls << "C:\\Pomiary.v2\\wyniki.xls" << xls;
        QTest::newRow("Polish name")
            << "/tmp/pomiar źródła" << txt << "/tmp/pomiar źródła.txt" << txt;
        QTest::newRow("no file part") << "/home/op/" << txt << "" << txt;
        QTest::newRow("empty name") << "" << xls << "" << txt;
    }

    void fileTarget()
    {
        QFETCH(QString, chosen);
        QFETCH(RegisterFileFormat, filter);
        QFETCH(QString, fileName);
        QFETCH(RegisterFileFormat, format);
        const std::optional<RegisterFileTarget> target =
            registerFileTarget(chosen.toStdString(), filter);
        if (fileName.isEmpty()) {
            QVERIFY(!target);
            return;
        }
        QVERIFY(target);
        QCOMPARE(QString::fromStdString(target->fileName), fileName);
        QCOMPARE(target->format, format);
    }

    // A stamp formatter is slow; the export asks it once per second of stamps and still
    // writes every row's own texts, across the seconds and across the epoch.
    void stampTextsAskedOncePerSecond()
    {
        int dateCalls = 0;
        int timeCalls = 0;
        const StampFormat counting{[&](int64_t ms) {
                                       ++dateCalls;
                                       return utcDate(ms);
                                   },
                                   [&](int64_t ms) {
                                       ++timeCalls;
                                       return utcTime(ms);
                                   }};
        RegisterRows rows;
        for (int64_t ms = -1500; ms < 1500; ms += 10) { // 300 rows in the seconds -2, -1, 0, 1
            Registration r;
            r.options = RegisterOptions(O::Date | O::TimeOfDay);
            r.stampMs = ms;
            rows.append(r);
        }
        const QStringList lines = linesOf(
            write(RegisterFileFormat::Excel, withActive(false, false, false), rows, counting));
        QCOMPARE(dateCalls, 4);
        QCOMPARE(timeCalls, 4);
        QCOMPARE(lines.size(), 10 + 300);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const QString expected =
                QString::fromStdString(rows.cellText(i, RegisterColumnIndex, kUtcStamps)) +
                "\t\t\t\t";
            QCOMPARE(lines[10 + int(i)], expected);
        }
        QCOMPARE(lines[10], "(31.12.1969 23:59:58)\t\t\t\t");
        QCOMPARE(lines[10 + 149], "(31.12.1969 23:59:59)\t\t\t\t"); // -10 ms
        QCOMPARE(lines[10 + 150], "(01.01.1970 0:00:00)\t\t\t\t");  // 0 ms
    }

    // A long register streams through chunks of bounded size that add up to the whole file.
    void streamsInBoundedChunks()
    {
        RegisterRows rows;
        for (int i = 0; i < 100'000; ++i) {
            Registration r;
            r.options = O::defaults();
            r.measureTime = i * 0.01;
            r.setShown(ValueField::Y, float(i));
            rows.append(r);
        }
        for (const auto format : {RegisterFileFormat::Text, RegisterFileFormat::Excel}) {
            std::size_t largest = 0;
            int chunks = 0;
            QByteArray whole;
            QVERIFY(writeRegisterFile(format, defaultHeader(), rows, kUtcStamps,
                                      [&](std::string_view chunk) {
                                          largest = std::max(largest, chunk.size());
                                          ++chunks;
                                          whole.append(chunk.data(), qsizetype(chunk.size()));
                                          return true;
                                      }));
            QVERIFY(chunks > 10);
            QVERIFY2(largest <= 64 * 1024 + 200, qPrintable(QString::number(largest)));
            const QStringList lines = linesOf(whole);
            QCOMPARE(lines.size(), (format == RegisterFileFormat::Text ? 13 : 10) + 100'000);
            QVERIFY(lines.last().startsWith(format == RegisterFileFormat::Text
                                                ? "|   99999  ||     999,990 ||  99999,0000 |"
                                                : "99999 \t999,990\t99999,0000\t"));
        }
    }

    void stopsWhenTheSinkFails()
    {
        RegisterRows rows;
        for (int i = 0; i < 10'000; ++i) {
            Registration r;
            r.options = O::defaults();
            rows.append(r);
        }
        int calls = 0;
        const bool ok =
            writeRegisterFile(RegisterFileFormat::Text, defaultHeader(), rows, kUtcStamps,
                              [&](std::string_view) { return ++calls < 2; });
        QVERIFY(!ok);
        QCOMPARE(calls, 2); // nothing more after the failed chunk

        // A small file fails at its only chunk.
        calls = 0;
        QVERIFY(!writeRegisterFile(RegisterFileFormat::Excel, defaultHeader(), RegisterRows{},
                                   kUtcStamps, [&](std::string_view) { return ++calls > 1; }));
        QCOMPARE(calls, 1);
        QVERIFY(!writeRegisterFile(RegisterFileFormat::Excel, defaultHeader(), rows, kUtcStamps,
                                   ChunkSink{}));
    }
};

QTEST_APPLESS_MAIN(TestRegisterFile)
#include "test_register_file.moc"
