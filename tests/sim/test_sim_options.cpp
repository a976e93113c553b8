// kx350t-sim's command line, read in-process: what each good line asks for, and the one-line
// error each bad line gets.

#include <QtTest>

#include <functional>
#include <set>

#include "sim/SimCommandLine.h"

using namespace std::chrono_literals;
using kx::sim::CommandLineResult;
using kx::sim::parseCommandLine;
using kx::sim::SimCommandLine;

Q_DECLARE_METATYPE(SimCommandLine)

namespace {

std::vector<std::string> toArgs(const QStringList& list)
{
    std::vector<std::string> args;
    for (const QString& s : list)
        args.push_back(s.toStdString());
    return args;
}

// Every field, so a row is compared whole and a difference reads plainly.
QString describe(const SimCommandLine& c)
{
    const kx::sim::SimOptions& d = c.device;
    return QString("seed=%1 latency=%2ms ignoreFirst=%3 dropEvery=%4 badChecksumEvery=%5 "
                   "identity=%6 silent=%7 link=%8 hangupAfter=%9")
               .arg(d.seed)
               .arg(d.latency.count())
               .arg(d.ignoreFirst)
               .arg(d.dropEvery)
               .arg(d.badChecksumEvery)
               .arg(QString::fromLatin1(d.identity.data(), qsizetype(d.identity.size())))
               .arg(d.silent)
               .arg(QString::fromStdString(c.linkPath))
               .arg(c.hangupAfter ? QString::number(c.hangupAfter->count()) + "ms" : "none") +
           QString(" verbose=%1 help=%2").arg(c.verbose).arg(c.help);
}

QString describe(const CommandLineResult& r)
{
    return r.options ? describe(*r.options) : "error: " + QString::fromStdString(r.error);
}

SimCommandLine expect(const std::function<void(SimCommandLine&)>& change)
{
    SimCommandLine c;
    change(c);
    return c;
}

} // namespace

class TestSimOptions : public QObject
{
    Q_OBJECT

private slots:
    void goodLines_data();
    void goodLines();
    void badLines_data();
    void badLines();
    void noArgumentsGiveTheDocumentedDefaults();
    void argvSkipsTheProgramName_data();
    void argvSkipsTheProgramName();
    void usageDocumentsEveryOptionAndNoOther();
};

void TestSimOptions::goodLines_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<SimCommandLine>("expected");

    QTest::newRow("no arguments") << QStringList{} << SimCommandLine{};
    QTest::newRow("only the end of options") << QStringList{"--"} << SimCommandLine{};

    QTest::newRow("link") << QStringList{"--link", "/tmp/kx350t"}
                          << expect([](auto& c) { c.linkPath = "/tmp/kx350t"; });
    QTest::newRow("link after =") << QStringList{"--link=/tmp/kx350t"}
                                  << expect([](auto& c) { c.linkPath = "/tmp/kx350t"; });
    QTest::newRow("link path beginning with a dash is a value")
        << QStringList{"--link", "-odd"} << expect([](auto& c) { c.linkPath = "-odd"; });
    QTest::newRow("link path holding = after the first")
        << QStringList{"--link=/tmp/a=b"} << expect([](auto& c) { c.linkPath = "/tmp/a=b"; });

    QTest::newRow("seed") << QStringList{"--seed", "42"}
                          << expect([](auto& c) { c.device.seed = 42; });
    QTest::newRow("seed 0") << QStringList{"--seed=0"}
                            << expect([](auto& c) { c.device.seed = 0; });
    QTest::newRow("seed at the top of 32 bits")
        << QStringList{"--seed", "4294967295"}
        << expect([](auto& c) { c.device.seed = 4294967295u; });
    QTest::newRow("number with leading zeros")
        << QStringList{"--seed", "007"} << expect([](auto& c) { c.device.seed = 7; });

    QTest::newRow("latency") << QStringList{"--latency", "40"}
                             << expect([](auto& c) { c.device.latency = 40ms; });
    QTest::newRow("latency of a day, the most")
        << QStringList{"--latency=86400000"}
        << expect([](auto& c) { c.device.latency = 86400000ms; });
    QTest::newRow("hang-up after 300 ms")
        << QStringList{"--hangup-after", "300"} << expect([](auto& c) { c.hangupAfter = 300ms; });
    QTest::newRow("hang-up after 0 ms is set, not off")
        << QStringList{"--hangup-after", "0"} << expect([](auto& c) { c.hangupAfter = 0ms; });
    QTest::newRow("hang-up after a day, the most")
        << QStringList{"--hangup-after", "86400000"}
        << expect([](auto& c) { c.hangupAfter = 86400000ms; });

    QTest::newRow("misbehaviour counts")
        << QStringList{"--ignore-first", "3", "--drop-every", "5", "--bad-checksum-every", "2"}
        << expect([](auto& c) {
               c.device.ignoreFirst = 3;
               c.device.dropEvery = 5;
               c.device.badChecksumEvery = 2;
           });
    QTest::newRow("counts at the top of unsigned")
        << QStringList{"--ignore-first=4294967295", "--drop-every=4294967295",
                       "--bad-checksum-every=4294967295"}
        << expect([](auto& c) {
               c.device.ignoreFirst = c.device.dropEvery = c.device.badChecksumEvery = 4294967295u;
           });
    QTest::newRow("count 0 turns it off")
        << QStringList{"--drop-every", "0"} << expect([](auto& c) { c.device.dropEvery = 0; });

    QTest::newRow("identity") << QStringList{"--identity", "RN3"} << expect([](auto& c) {
        c.device.identity = {'R', 'N', '3'};
    });
    QTest::newRow("identity of a space and symbols")
        << QStringList{"--identity= ~!"} << expect([](auto& c) {
               c.device.identity = {' ', '~', '!'};
           });

    QTest::newRow("silent") << QStringList{"--silent"}
                            << expect([](auto& c) { c.device.silent = true; });
    QTest::newRow("verbose") << QStringList{"--verbose"}
                             << expect([](auto& c) { c.verbose = true; });

    QTest::newRow("help") << QStringList{"--help"} << expect([](auto& c) { c.help = true; });
    QTest::newRow("-h") << QStringList{"-h"} << expect([](auto& c) { c.help = true; });
    QTest::newRow("-h grouped with itself")
        << QStringList{"-hh"} << expect([](auto& c) { c.help = true; });
    QTest::newRow("help among good options")
        << QStringList{"--seed", "5", "--help", "--silent"} << expect([](auto& c) {
               c.device.seed = 5;
               c.device.silent = true;
               c.help = true;
           });

    QTest::newRow("shortened to unique prefixes")
        << QStringList{"--lat", "5", "--hang=300", "--b", "2", "--he", "--v", "--si"}
        << expect([](auto& c) {
               c.device.latency = 5ms;
               c.hangupAfter = 300ms;
               c.device.badChecksumEvery = 2;
               c.help = true;
               c.verbose = true;
               c.device.silent = true;
           });

    QTest::newRow("the last of a repeated option wins")
        << QStringList{"--seed", "1", "--seed=2"} << expect([](auto& c) { c.device.seed = 2; });
    QTest::newRow("the last of a repeated link wins")
        << QStringList{"--link", "/tmp/a", "--link", "/tmp/b"}
        << expect([](auto& c) { c.linkPath = "/tmp/b"; });
    QTest::newRow("a repeated flag is still on")
        << QStringList{"--verbose", "--verbose"} << expect([](auto& c) { c.verbose = true; });
    QTest::newRow("end of options after the options")
        << QStringList{"--silent", "--"} << expect([](auto& c) { c.device.silent = true; });

    QTest::newRow("everything at once") << QStringList{"--link",
                                                       "/tmp/kx",
                                                       "--seed",
                                                       "9",
                                                       "--verbose",
                                                       "--latency",
                                                       "15",
                                                       "--ignore-first=1",
                                                       "--drop-every",
                                                       "4",
                                                       "--bad-checksum-every",
                                                       "6",
                                                       "--identity",
                                                       "AB1",
                                                       "--silent",
                                                       "--hangup-after",
                                                       "2500"}
                                        << expect([](auto& c) {
                                               c.linkPath = "/tmp/kx";
                                               c.device.seed = 9;
                                               c.verbose = true;
                                               c.device.latency = 15ms;
                                               c.device.ignoreFirst = 1;
                                               c.device.dropEvery = 4;
                                               c.device.badChecksumEvery = 6;
                                               c.device.identity = {'A', 'B', '1'};
                                               c.device.silent = true;
                                               c.hangupAfter = 2500ms;
                                           });
}

void TestSimOptions::goodLines()
{
    QFETCH(QStringList, args);
    QFETCH(SimCommandLine, expected);

    const CommandLineResult result = parseCommandLine(toArgs(args));
    QVERIFY2(result.options, result.error.c_str());
    QVERIFY(result.error.empty());
    QCOMPARE(describe(*result.options), describe(expected));
}

void TestSimOptions::badLines_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("error");

    QTest::newRow("unknown option")
        << QStringList{"--frobnicate"} << "unknown option '--frobnicate'";
    QTest::newRow("unknown option with a value")
        << QStringList{"--frobnicate=3"} << "unknown option '--frobnicate'";
    QTest::newRow("unknown single-letter option") << QStringList{"-x"} << "unknown option '-x'";
    QTest::newRow("unknown letter grouped with -h") << QStringList{"-hx"} << "unknown option '-hx'";
    QTest::newRow("long option with one dash") << QStringList{"-help"} << "unknown option '-help'";
    QTest::newRow("ambiguous shortening: seed or silent")
        << QStringList{"--s", "1"} << "unknown option '--s'";
    QTest::newRow("ambiguous shortening: help or hangup-after")
        << QStringList{"--h"} << "unknown option '--h'";
    QTest::newRow("empty option name") << QStringList{"--=5"} << "unknown option '--'";
    QTest::newRow("value given to a flag")
        << QStringList{"--verbose=1"} << "unknown option '--verbose'";
    QTest::newRow("empty value given to a flag")
        << QStringList{"--silent="} << "unknown option '--silent'";

    QTest::newRow("missing value")
        << QStringList{"--hangup-after"} << "missing value for --hangup-after";
    QTest::newRow("missing value of a shortened option")
        << QStringList{"--lat"} << "missing value for --lat";
    QTest::newRow("missing value after good options")
        << QStringList{"--verbose", "--seed"} << "missing value for --seed";

    QTest::newRow("not a number") << QStringList{"--latency", "soon"}
                                  << "bad value for --latency: 'soon'";
    QTest::newRow("trailing garbage")
        << QStringList{"--latency=10ms"} << "bad value for --latency: '10ms'";
    QTest::newRow("empty number") << QStringList{"--latency="} << "bad value for --latency: ''";
    QTest::newRow("negative count")
        << QStringList{"--drop-every", "-1"} << "bad value for --drop-every: '-1'";
    QTest::newRow("plus sign") << QStringList{"--seed", "+1"} << "bad value for --seed: '+1'";
    QTest::newRow("leading space") << QStringList{"--seed", " 5"} << "bad value for --seed: ' 5'";
    QTest::newRow("hexadecimal") << QStringList{"--seed", "0x10"} << "bad value for --seed: '0x10'";
    QTest::newRow("fraction") << QStringList{"--latency", "1.5"}
                              << "bad value for --latency: '1.5'";
    QTest::newRow("latency over a day")
        << QStringList{"--latency", "86400001"} << "bad value for --latency: '86400001'";
    QTest::newRow("hang-up over a day")
        << QStringList{"--hangup-after", "86400001"} << "bad value for --hangup-after: '86400001'";
    QTest::newRow("seed over 32 bits")
        << QStringList{"--seed", "4294967296"} << "bad value for --seed: '4294967296'";
    QTest::newRow("count over unsigned") << QStringList{"--ignore-first", "4294967296"}
                                         << "bad value for --ignore-first: '4294967296'";
    QTest::newRow("number beyond any integer")
        << QStringList{"--bad-checksum-every", "99999999999999999999999"}
        << "bad value for --bad-checksum-every: '99999999999999999999999'";
    QTest::newRow("bad value named as typed")
        << QStringList{"--lat=x"} << "bad value for --lat: 'x'";
    QTest::newRow("next option taken as the value")
        << QStringList{"--latency", "--verbose"} << "bad value for --latency: '--verbose'";

    QTest::newRow("identity of two characters")
        << QStringList{"--identity", "KT"} << "--identity needs exactly three characters, not 'KT'";
    QTest::newRow("identity of four characters")
        << QStringList{"--identity", "KT50"}
        << "--identity needs exactly three characters, not 'KT50'";
    QTest::newRow("empty identity")
        << QStringList{"--identity="} << "--identity needs exactly three characters, not ''";
    QTest::newRow("identity with a tab")
        << QStringList{"--identity", "K\tT"} << "--identity needs printable ASCII characters";
    QTest::newRow("identity with DEL, just past the printable")
        << QStringList{"--identity", QString("K") + QChar(0x7F) + "T"}
        << "--identity needs printable ASCII characters";
    QTest::newRow("identity of three bytes of UTF-8")
        << QStringList{"--identity", "KÓ"} << "--identity needs printable ASCII characters";

    QTest::newRow("empty link after =") << QStringList{"--link="} << "--link needs a path";
    QTest::newRow("empty link argument") << QStringList{"--link", ""} << "--link needs a path";

    QTest::newRow("stray argument")
        << QStringList{"/dev/ttyS0"} << "unexpected argument '/dev/ttyS0'";
    QTest::newRow("empty argument") << QStringList{""} << "unexpected argument ''";
    QTest::newRow("lone dash") << QStringList{"-"} << "unexpected argument '-'";
    QTest::newRow("option after the end of options")
        << QStringList{"--", "--verbose"} << "unexpected argument '--verbose'";
    QTest::newRow("first of two stray arguments")
        << QStringList{"a", "--verbose", "b"} << "unexpected argument 'a'";
    QTest::newRow("bad option reported before a stray argument")
        << QStringList{"/dev/ttyS0", "--latency", "soon"} << "bad value for --latency: 'soon'";
    QTest::newRow("first bad option is the one reported")
        << QStringList{"--seed", "x", "--latency", "y"} << "bad value for --seed: 'x'";
    QTest::newRow("help does not excuse a stray argument")
        << QStringList{"--help", "extra"} << "unexpected argument 'extra'";
    QTest::newRow("help does not excuse a bad option")
        << QStringList{"--help", "--frobnicate"} << "unknown option '--frobnicate'";
}

void TestSimOptions::badLines()
{
    QFETCH(QStringList, args);
    QFETCH(QString, error);

    const CommandLineResult result = parseCommandLine(toArgs(args));
    QVERIFY2(!result.options, qPrintable(describe(result)));
    QCOMPARE(QString::fromStdString(result.error), error);
}

void TestSimOptions::noArgumentsGiveTheDocumentedDefaults()
{
    // As the usage text describes the device.
    QCOMPARE(describe(parseCommandLine(std::vector<std::string>{})),
             QString("seed=350 latency=0ms ignoreFirst=0 dropEvery=0 badChecksumEvery=0 "
                     "identity=KT5 silent=0 link= hangupAfter=none verbose=0 help=0"));
}

void TestSimOptions::argvSkipsTheProgramName_data()
{
    QTest::addColumn<QStringList>("argv");
    QTest::addColumn<QString>("expected");

    const QString defaults = describe(SimCommandLine{});
    QTest::newRow("no argv at all") << QStringList{} << defaults;
    QTest::newRow("program name only") << QStringList{"kx350t-sim"} << defaults;
    QTest::newRow("program name is not read as an option")
        << QStringList{"--frobnicate"} << defaults;
    QTest::newRow("options after the name")
        << QStringList{"kx350t-sim", "--seed", "7", "--silent"} << describe(expect([](auto& c) {
               c.device.seed = 7;
               c.device.silent = true;
           }));
    QTest::newRow("error after the name")
        << QStringList{"kx350t-sim", "--seed"} << "error: missing value for --seed";
}

void TestSimOptions::argvSkipsTheProgramName()
{
    QFETCH(QStringList, argv);
    QFETCH(QString, expected);

    // As main() gets it: argc strings, then a null pointer.
    const std::vector<std::string> strings = toArgs(argv);
    std::vector<const char*> pointers;
    for (const std::string& s : strings)
        pointers.push_back(s.c_str());
    pointers.push_back(nullptr);
    QCOMPARE(describe(parseCommandLine(int(strings.size()), pointers.data())), expected);
}

void TestSimOptions::usageDocumentsEveryOptionAndNoOther()
{
    const QString usage = QString::fromStdString(std::string(kx::sim::usageText()));
    QVERIFY(usage.startsWith("Usage: kx350t-sim [OPTION]...\n"));
    QVERIFY(usage.endsWith('\n'));

    std::set<QString> found;
    static const QRegularExpression kOption("(?<![\\w-])--[a-z][a-z-]*");
    for (const QRegularExpressionMatch& m : kOption.globalMatch(usage))
        found.insert(m.captured());
    const QStringList documented(found.begin(), found.end());
    QStringList accepted = {"--link",     "--seed",         "--verbose",     "--help",
                            "--latency",  "--ignore-first", "--drop-every",  "--bad-checksum-every",
                            "--identity", "--silent",       "--hangup-after"};
    accepted.sort();
    QCOMPARE(documented, accepted);

    // Each is known to the parser by its full name: alone it is taken, or asks for its value.
    for (const QString& option : documented) {
        const CommandLineResult result = parseCommandLine({option.toStdString()});
        const bool taken = result.options.has_value();
        const bool wantsValue = result.error == "missing value for " + option.toStdString();
        QVERIFY2(taken || wantsValue, qPrintable(option + ": " + describe(result)));
    }
}

QTEST_GUILESS_MAIN(TestSimOptions)
#include "test_sim_options.moc"
