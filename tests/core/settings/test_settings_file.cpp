#include <QtTest>

#include "core/settings/SettingsFile.h"

using namespace kx;

namespace {

// A file as the program writes it, with one line's value replaced.
std::string fileWith(int line, const std::string& value)
{
    std::string out;
    const Settings defaults;
    const std::string written = writeSettings(defaults);
    std::size_t pos = 0;
    for (int n = 1; n <= kSettingsLines; ++n) {
        const std::size_t end = written.find("\r\n", pos);
        std::string l = written.substr(pos, end - pos);
        if (n == line)
            l = l.substr(0, l.find(' ') + 1) + value;
        out += l + "\r\n";
        pos = end + 2;
    }
    return out;
}

// Every line differs from the values without a file.
Settings changedFromDefaults()
{
    Settings s;
    s.Cz_0 = s.Cz_1 = s.Cz_2 = s.Real_Time_Sample = true;
    s.Sample_rate = 20;
    s.Paging = s.Paging_tracking = true;
    s.Sample_per_page = 20;
    s.Autorejestracja = s.Rejestracja_Cz0 = s.Rejestracja_Cz1 = s.Rejestracja_Cz2 = false;
    s.Rejestracja_PK1 = s.Rejestracja_PK2 = s.Rejestracja_data = s.Rejestracja_godz = true;
    s.Rejestracja_czas = s.Rejestracja_index = s.Rejestracja_kolor = false;
    s.PortName = "COM4";
    s.LineSettings = {1, 2, 3, 4, 5, 6, 7, 8};
    return s;
}

// What the program runs with before it reads the file; differs from both on every line.
Settings startValues()
{
    Settings s;
    s.Sample_rate = 250;
    s.PortName = "COM9";
    s.LineSettings = {-1, -2, -3, -4, -5, -6, -7, -8};
    return s;
}

QStringList linesOf(const std::string& text)
{
    QStringList lines = QString::fromStdString(text).split("\r\n");
    lines.removeLast(); // after the last CR LF
    return lines;
}

} // namespace

class TestSettingsFile : public QObject
{
    Q_OBJECT

private slots:
    void writtenWithoutAFile()
    {
        const std::string text = writeSettings(Settings{});
        const QStringList lines = QString::fromStdString(text).split("\r\n");
        QCOMPARE(lines.size(), kSettingsLines + 1); // the last line ends in CR LF too
        QCOMPARE(lines.last(), QString());
        QCOMPARE(lines[0], QString("Cz_0= 0"));
        QCOMPARE(lines[4], QString("Sample_rate= 0"));
        QCOMPARE(lines[7], QString("Sample_per_page= 10"));
        QCOMPARE(lines[8], QString("Autorejestracja= 1"));
        QCOMPARE(lines[14], QString("Rejestracja_data= 0"));
        QCOMPARE(lines[16], QString("Rejestracja_czas= 1"));
        QCOMPARE(lines[17], QString("Rejestracja_data= 1"));
        QCOMPARE(lines[20], QString("domyslny_port_com= COM1"));
        for (int i = 21; i < 29; ++i)
            QVERIFY2(lines[i].startsWith("Wykres_PK") && lines[i].endsWith("= 0"),
                     qPrintable(lines[i]));
        QVERIFY(!text.empty() && text.find('\n') == text.find("\r\n") + 1);
    }

    void roundTrip()
    {
        Settings s;
        s.Cz_0 = s.Cz_2 = s.Real_Time_Sample = true;
        s.Sample_rate = 250;
        s.Paging = true;
        s.Sample_per_page = 500;
        s.Autorejestracja = false;
        s.Rejestracja_PK2 = s.Rejestracja_godz = true;
        s.Rejestracja_czas = false;
        s.Rejestracja_kolor = false;
        s.PortName = "/dev/ttyUSB0";
        s.LineSettings = {1, -2, 3, 4, 5, 6, 7, -2147483647 - 1};
        QVERIFY(readSettings(writeSettings(s)) == s);
    }

    void keysAreIgnored()
    {
        std::string text;
        const std::string values[] = {"1",    "1", "0", "1", "100", "1", "1", "50", "0", "1",
                                      "1",    "1", "0", "0", "1",   "0", "1", "1",  "1", "1",
                                      "COM4", "1", "2", "3", "4",   "5", "6", "7",  "8"};
        int n = 0;
        for (const auto& v : values)
            text += "klucz" + std::to_string(n++) + "=\t" + v + "\n";
        const Settings s = readSettings(text);
        QVERIFY(s.Cz_0 && s.Cz_1 && !s.Cz_2 && s.Real_Time_Sample);
        QCOMPARE(s.Sample_rate, 100);
        QCOMPARE(s.Sample_per_page, 50);
        QVERIFY(!s.Autorejestracja);
        QVERIFY(s.Rejestracja_data);
        QCOMPARE(s.PortName, std::string("COM4"));
        QCOMPARE(s.LineSettings, (std::array<int32_t, 8>{1, 2, 3, 4, 5, 6, 7, 8}));
    }

    void values_data()
    {
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("writtenBack"); // the line's value after a read and a write
        QTest::newRow("7 checks a box") << 1 << "7"
                                        << "1";
        QTest::newRow("-1 checks a box") << 2 << "-1"
                                         << "1";
        QTest::newRow("sample rate raised to 10") << 5 << "5"
                                                  << "10";
        QTest::newRow("sample rate lowered") << 5 << "99999999"
                                             << "10000000";
        QTest::newRow("points per page below range") << 8 << "3"
                                                     << "10";
        QTest::newRow("points per page as a 16-bit number") << 8 << "40000"
                                                            << "10";
        QTest::newRow("points per page wrapping into range") << 8 << "65636"
                                                             << "100";
        QTest::newRow("plus sign") << 5 << "+300"
                                   << "300";
        QTest::newRow("line settings keep their sign") << 29 << "-15"
                                                       << "-15";
    }

    void values()
    {
        QFETCH(int, line);
        QFETCH(QString, value);
        QFETCH(QString, writtenBack);
        const Settings s = readSettings(fileWith(line, value.toStdString()));
        const QStringList lines = QString::fromStdString(writeSettings(s)).split("\r\n");
        QCOMPARE(lines[line - 1].section(' ', 1), writtenBack);
    }

    void line18Wins_data()
    {
        QTest::addColumn<QString>("line17");
        QTest::addColumn<QString>("line18");
        QTest::addColumn<bool>("checked");
        QTest::newRow("17 off, 18 on") << "0"
                                       << "1" << true;
        QTest::newRow("17 on, 18 off") << "1"
                                       << "0" << false;
    }

    void line18Wins()
    {
        QFETCH(QString, line17);
        QFETCH(QString, line18);
        QFETCH(bool, checked);
        std::string file = writeSettings(Settings{});
        auto replaceLine = [&](int n, const std::string& v) {
            std::size_t pos = 0;
            for (int i = 1; i < n; ++i)
                pos = file.find("\r\n", pos) + 2;
            const std::size_t space = file.find(' ', pos);
            const std::size_t end = file.find("\r\n", pos);
            file.replace(space + 1, end - space - 1, v);
        };
        replaceLine(17, line17.toStdString());
        replaceLine(18, line18.toStdString());
        QCOMPARE(readSettings(file).Rejestracja_czas, checked);
    }

    void shortOrBadFilesKeepWhatWasNotRead_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("linesTaken"); // before the first line cut short or bad
        Settings changed;
        // Every line differs from the defaults, so it shows which lines were taken.
        changed.Cz_0 = changed.Cz_1 = changed.Cz_2 = changed.Real_Time_Sample = true;
        changed.Sample_rate = 20;
        changed.Paging = changed.Paging_tracking = true;
        changed.Sample_per_page = 20;
        changed.Autorejestracja = changed.Rejestracja_Cz0 = changed.Rejestracja_Cz1 = false;
        const std::string full = writeSettings(changed);
        std::size_t afterTen = 0;
        for (int i = 0; i < 10; ++i)
            afterTen = full.find("\r\n", afterTen) + 2;
        QTest::newRow("cut after line 10")
            << QByteArray::fromStdString(full.substr(0, afterTen)) << 10;
        QTest::newRow("cut inside line 3, key only")
            << QByteArray("Cz_0= 1\r\nCz_1= 1\r\nCz_2=") << 2;
        QTest::newRow("not a number on line 5")
            << QByteArray::fromStdString(fileWith(5, "1,5").replace(0, 7, "Cz_0= 1")) << 4;
        QTest::newRow("empty file") << QByteArray() << 0;
    }

    void shortOrBadFilesKeepWhatWasNotRead()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, linesTaken);
        const Settings s = readSettings(content.toStdString());
        const Settings defaults;
        // Line 1 was taken exactly when a file sets Cz_0.
        QCOMPARE(s.Cz_0, linesTaken >= 1);
        QCOMPARE(s.Cz_1, linesTaken >= 2 && content.contains("Cz_1= 1"));
        if (linesTaken < 5)
            QCOMPARE(s.Sample_rate, defaults.Sample_rate);
        if (linesTaken < 11)
            QCOMPARE(s.Rejestracja_Cz1, defaults.Rejestracja_Cz1);
        QCOMPARE(s.PortName, defaults.PortName);
        QCOMPARE(s.LineSettings, defaults.LineSettings);
    }

    void badLineKeepsOnlyItsOwnSetting_data()
    {
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("lineEnd");
        QTest::newRow("not a number on line 5, CR LF") << 5 << "1,5"
                                                       << "\r\n";
        QTest::newRow("not a number on line 5, LF") << 5 << "1,5"
                                                    << "\n";
        QTest::newRow("letters on a check box line") << 1 << "tak"
                                                     << "\r\n";
        QTest::newRow("key without a value") << 8 << ""
                                             << "\r\n";
        QTest::newRow("a unit after the number") << 5 << "100 ms"
                                                 << "\n";
        QTest::newRow("port name of two words") << 21 << "COM 3"
                                                << "\r\n";
        QTest::newRow("port line without a value") << 21 << ""
                                                   << "\n";
        QTest::newRow("number beyond 32 bits") << 22 << "99999999999"
                                               << "\r\n";
        QTest::newRow("last line") << 29 << "x"
                                   << "\r\n";
    }

    // The line's setting keeps what the program started with; every other line is read.
    void badLineKeepsOnlyItsOwnSetting()
    {
        QFETCH(int, line);
        QFETCH(QString, value);
        QFETCH(QString, lineEnd);
        QStringList file = linesOf(writeSettings(changedFromDefaults()));
        file[line - 1] = file[line - 1].section(' ', 0, 0) + (value.isEmpty() ? "" : " " + value);
        const std::string content = (file.join(lineEnd) + lineEnd).toStdString();

        const Settings read = readSettings(content, startValues());
        const QStringList got = linesOf(writeSettings(read));
        QStringList expected = linesOf(writeSettings(changedFromDefaults()));
        expected[line - 1] = linesOf(writeSettings(startValues()))[line - 1];
        QCOMPARE(got, expected);
    }

    void lineEndsAndBlankLines_data()
    {
        QTest::addColumn<QByteArray>("content");
        const QStringList lines = linesOf(writeSettings(changedFromDefaults()));
        QTest::newRow("CR LF") << (lines.join("\r\n") + "\r\n").toLatin1();
        QTest::newRow("LF") << (lines.join("\n") + "\n").toLatin1();
        QTest::newRow("CR") << (lines.join("\r") + "\r").toLatin1();
        QTest::newRow("no line end after the last line") << lines.join("\r\n").toLatin1();
        QStringList mixed = lines;
        for (int i = 0; i < mixed.size(); i += 2)
            mixed[i] += "\r";
        QTest::newRow("CR LF and LF mixed") << (mixed.join("\n") + "\n").toLatin1();
        QStringList blanks = lines;
        blanks.insert(20, " \t");
        blanks.insert(3, "");
        blanks.prepend("");
        QTest::newRow("blank lines carry no setting")
            << (blanks.join("\r\n") + "\r\n\r\n\r\n").toLatin1();
        QStringList padded = lines;
        for (QString& l : padded)
            l = "  " + l.replace(" ", "\t ") + " \t";
        QTest::newRow("blanks and tabs around the words") << (padded.join("\r\n")).toLatin1();
    }

    void lineEndsAndBlankLines()
    {
        QFETCH(QByteArray, content);
        QVERIFY(readSettings(content.toStdString(), startValues()) == changedFromDefaults());
    }

    // Without a line, the later lines move up one setting each (the reader goes by
    // position) and the last setting keeps what the program started with.
    void missingLineShiftsTheLaterLines()
    {
        QStringList lines = linesOf(writeSettings(changedFromDefaults()));
        lines.removeAt(9); // Rejestracja_Cz0
        const Settings s = readSettings((lines.join("\r\n") + "\r\n").toStdString(), startValues());
        const Settings changed = changedFromDefaults();
        QCOMPARE(s.Sample_per_page, changed.Sample_per_page);           // line 8, before the gap
        QCOMPARE(s.Rejestracja_Cz0, changed.Rejestracja_Cz1);           // takes line 11's value
        QCOMPARE(s.Rejestracja_kolor, startValues().Rejestracja_kolor); // "COM4" is no number
        QCOMPARE(s.PortName, std::string("1"));                         // line 22's value
        QCOMPARE(s.LineSettings, (std::array<int32_t, 8>{2, 3, 4, 5, 6, 7, 8, -8}));
    }

    void longWordsAreCut()
    {
        const std::string longPort(400, 'P');
        const Settings s = readSettings(fileWith(21, longPort));
        QCOMPARE(s.PortName.size(), Settings::kMaxWordLength);
        // The rest of the file is still read in step.
        QCOMPARE(s.LineSettings, (std::array<int32_t, 8>{}));
        const Settings t = readSettings(fileWith(22, "12"));
        QCOMPARE(t.LineSettings[0], 12);
    }

    void portNameStaysOneWord_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("written");
        QTest::newRow("blank inside") << "COM 3"
                                      << "COM3";
        QTest::newRow("blanks around") << " /dev/ttyUSB0\t"
                                       << "/dev/ttyUSB0";
        QTest::newRow("empty") << ""
                               << "COM1";
    }

    void portNameStaysOneWord()
    {
        QFETCH(QString, port);
        QFETCH(QString, written);
        Settings s;
        s.PortName = port.toStdString();
        s.LineSettings[7] = 99;
        const Settings back = readSettings(writeSettings(s));
        QCOMPARE(QString::fromStdString(back.PortName), written);
        QCOMPARE(back.LineSettings[7], 99); // the later lines stay in step
    }

    void numbersBeyond32BitsAreBadValues()
    {
        const Settings s = readSettings(fileWith(22, "99999999999"));
        QCOMPARE(s.LineSettings[0], 0);
        QCOMPARE(s.PortName, std::string("COM1"));
        // The line after it is still read.
        std::string file = fileWith(22, "99999999999");
        file.replace(file.rfind("0\r\n"), 1, "5");
        QCOMPARE(readSettings(file).LineSettings[7], 5);
    }
};

QTEST_APPLESS_MAIN(TestSettingsFile)
#include "test_settings_file.moc"
