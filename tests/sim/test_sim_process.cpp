// The kx350t-sim executable on a real pseudo-terminal, talked to as the program would: plain
// POSIX on the slave side.

#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int kWaitMs = 10000; // generous: sanitizer builds start slowly

class Fd
{
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    void reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd;
};

// Starts the simulator and returns the terminal path from its first line, empty on failure.
QString startSimulator(QProcess& sim, const QStringList& args)
{
    sim.setProgram(QStringLiteral(KX_SIM_PATH));
    sim.setArguments(args);
    sim.start();
    if (!sim.waitForStarted(kWaitMs))
        return {};
    QElapsedTimer timer;
    timer.start();
    while (!sim.canReadLine() && timer.elapsed() < kWaitMs)
        sim.waitForReadyRead(100);
    return QString::fromLocal8Bit(sim.readLine()).trimmed();
}

int openRaw(const QString& path)
{
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return -1;
    termios tio{};
    ::tcgetattr(fd, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(fd, TCSANOW, &tio);
    return fd;
}

bool writeAll(int fd, const QByteArray& bytes)
{
    return ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
}

// Reads until n bytes have come or the time is up.
QByteArray readBytes(int fd, int n, int timeoutMs = kWaitMs)
{
    QByteArray out;
    QElapsedTimer timer;
    timer.start();
    while (out.size() < n && timer.elapsed() < timeoutMs) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0 || !(p.revents & POLLIN))
            continue;
        char buf[64];
        const ssize_t got = ::read(fd, buf, sizeof buf);
        if (got <= 0)
            break;
        out.append(buf, got);
    }
    return out;
}

QByteArray ask(int fd, const char* requestHex)
{
    if (!writeAll(fd, QByteArray::fromHex(requestHex)))
        return "write failed";
    return readBytes(fd, 8).toHex(' ');
}

} // namespace

class TestSimProcess : public QObject
{
    Q_OBJECT

private slots:
    void answersAndStopsOnSignal_data();
    void answersAndStopsOnSignal();
    void hangupClosesTheLine();
    void badCommandLine_data();
    void badCommandLine();
    void helpNamesEveryOption();
};

void TestSimProcess::answersAndStopsOnSignal_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
}

void TestSimProcess::answersAndStopsOnSignal()
{
    QFETCH(int, signal);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString link = dir.filePath("kx350t");
    QProcess sim;
    const QString path = startSimulator(sim, {"--link", link});
    QVERIFY2(path.startsWith('/'), qPrintable(path));
    QCOMPARE(QFileInfo(link).symLinkTarget(), path);

    Fd line(openRaw(path));
    QVERIFY(line.get() >= 0);
    QCOMPARE(ask(line.get(), "f1f1200000000020"), QByteArray("f3 f3 20 4b 54 35 00 f4"));

    // The program may go away and come back: the device is still there.
    line.reset();
    line.reset(openRaw(link));
    QVERIFY(line.get() >= 0);
    QCOMPARE(ask(line.get(), "f1f1230000000023"), QByteArray("f3 f3 23 0c 00 00 00 2f"));

    ::kill(pid_t(sim.processId()), signal);
    QVERIFY(sim.waitForFinished(kWaitMs));
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());
}

void TestSimProcess::hangupClosesTheLine()
{
    QProcess sim;
    const QString path = startSimulator(sim, {"--hangup-after", "300"});
    QVERIFY2(path.startsWith('/'), qPrintable(path));
    Fd line(openRaw(path));
    QVERIFY(line.get() >= 0);

    // Whatever form the hang-up takes on this side, it must come, and no byte before it.
    bool hungUp = false;
    QElapsedTimer timer;
    timer.start();
    while (!hungUp && timer.elapsed() < kWaitMs) {
        pollfd p{line.get(), POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0)
            continue;
        if (p.revents & (POLLHUP | POLLERR)) {
            hungUp = true;
        } else if (p.revents & POLLIN) {
            char c;
            const ssize_t n = ::read(line.get(), &c, 1);
            QVERIFY2(n <= 0, "a byte came from a device that was never asked");
            hungUp = n == 0 || (n < 0 && errno == EIO);
        }
    }
    QVERIFY(hungUp);
    QVERIFY(sim.waitForFinished(kWaitMs));
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.exitCode(), 0);
}

void TestSimProcess::badCommandLine_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("unknown option") << QStringList{"--frobnicate"};
    QTest::newRow("latency not a number") << QStringList{"--latency", "soon"};
    QTest::newRow("latency with trailing text") << QStringList{"--latency=10ms"};
    QTest::newRow("negative count") << QStringList{"--drop-every", "-1"};
    QTest::newRow("value missing") << QStringList{"--hangup-after"};
    QTest::newRow("identity of two characters") << QStringList{"--identity", "KT"};
    QTest::newRow("identity of four characters") << QStringList{"--identity", "KT50"};
    QTest::newRow("stray argument") << QStringList{"/dev/ttyS0"};
}

void TestSimProcess::badCommandLine()
{
    QFETCH(QStringList, args);
    QProcess sim;
    sim.start(QStringLiteral(KX_SIM_PATH), args);
    QVERIFY(sim.waitForFinished(kWaitMs));
    QCOMPARE(sim.exitCode(), 2);
    // No terminal was opened, so no path was printed.
    QCOMPARE(sim.readAllStandardOutput(), QByteArray());
    QVERIFY(!sim.readAllStandardError().isEmpty());
}

void TestSimProcess::helpNamesEveryOption()
{
    QProcess sim;
    sim.start(QStringLiteral(KX_SIM_PATH), {"--help"});
    QVERIFY(sim.waitForFinished(kWaitMs));
    QCOMPARE(sim.exitCode(), 0);
    const QString help = QString::fromUtf8(sim.readAllStandardOutput());
    for (const char* option :
         {"--link", "--seed", "--verbose", "--help", "--latency", "--ignore-first", "--drop-every",
          "--bad-checksum-every", "--identity", "--silent", "--hangup-after"})
        QVERIFY2(help.contains(QLatin1String(option)), option);
}

QTEST_GUILESS_MAIN(TestSimProcess)
#include "test_sim_process.moc"
