// SerialEngine against a real pseudo-terminal: the engine opens the slave side, the test plays
// the device on the master side.

#include "PtyPair.h"
#include "serial/SerialBackend.h"
#include "serial/SerialEngine.h"

#include <QTest>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <sys/ioctl.h>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using kx::SerialEngine;
using kx::SerialEvent;
using kx::test::PtyPair;
using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

Q_DECLARE_METATYPE(Bytes)

// QtTest's watchdog is a QThread inside a Qt built without ThreadSanitizer, which cannot see
// Qt's own locking and reports the watchdog's shutdown. Nothing under test runs on a QThread,
// so reports that involve one are not ours. Read only by ThreadSanitizer builds.
extern "C" __attribute__((visibility("default"), used)) const char* __tsan_default_suppressions()
{
    return "called_from_lib:libQt6Core.so.6\ncalled_from_lib:libQt6Test.so.6\n";
}

namespace {

constexpr int kBaud = 57600;
constexpr int kProgramReadSize = 64;
// How long a test waits for something the engine must do.
constexpr int kWaitMs = 3000;

Bytes pattern(std::size_t size, uint8_t first = 0)
{
    Bytes b(size);
    for (std::size_t i = 0; i < size; ++i)
        b[i] = static_cast<uint8_t>(first + i);
    return b;
}

void checkRawNoFlowControl(const termios& tio)
{
    QCOMPARE(tio.c_cflag & CSTOPB, tcflag_t(0));
    QCOMPARE(tio.c_cflag & CRTSCTS, tcflag_t(0));
    QCOMPARE(tio.c_cflag & (CLOCAL | CREAD), tcflag_t(CLOCAL | CREAD));
    QCOMPARE(tio.c_iflag & (IXON | IXOFF | IXANY | ICRNL | ISTRIP), tcflag_t(0));
    QCOMPARE(tio.c_oflag & OPOST, tcflag_t(0));
    QCOMPARE(tio.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), tcflag_t(0));
}

long long msBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count();
}

// Gives the reader thread time to raise anything it still would, so a count or a block that
// must stay as it is can be checked. Nothing is awaited here: a pause proves only an absence.
void allowStrayEvents(std::chrono::milliseconds time)
{
    std::this_thread::sleep_for(time);
}

// What the DataReceived handler does once it has copied the block.
enum class AfterBlock
{
    RequestNextRead,   // as the program's handler does
    LeaveReadsStopped, // the engine reads nothing more until the test asks
};

// Where the engine's reading stands at a given moment.
enum class ReadState
{
    WaitingForFirstByte,    // a read is asked for and nothing came yet
    BlockReceivedNoneAsked, // a block came and the next read was not asked for
    InTheMiddleOfARead,     // a read has bytes and waits for more or for the silence
};

// Records what the engine reports. It must outlive the engine's reader thread.
class Recorder
{
public:
    struct Event
    {
        SerialEvent kind;
        Clock::time_point at;
        Bytes data;
    };

    // Set before open_port; runs on the reader thread inside PortOpened.
    std::function<void()> onOpened;
    std::atomic<AfterBlock> afterBlock{AfterBlock::RequestNextRead};

    void attach(SerialEngine& engine)
    {
        engine.set_event_handler([this](SerialEngine& e, SerialEvent ev) { handle(e, ev); });
    }

    // How many times each event came so far: what the tests wait on.
    int opened() { return count(kx::PortOpened); }
    int closed() { return count(kx::PortClosed); }
    int sent() { return count(kx::DataSent); }
    int received() { return count(kx::DataReceived); }

    std::vector<Event> events()
    {
        std::lock_guard lock(m_mutex);
        return m_events;
    }

    std::vector<Bytes> blocks()
    {
        std::vector<Bytes> out;
        for (const Event& e : events()) {
            if (e.kind == kx::DataReceived)
                out.push_back(e.data);
        }
        return out;
    }

private:
    int count(SerialEvent kind)
    {
        std::lock_guard lock(m_mutex);
        int n = 0;
        for (const Event& e : m_events)
            n += e.kind == kind;
        return n;
    }

    void handle(SerialEngine& engine, SerialEvent kind)
    {
        Event e{kind, Clock::now(), {}};
        if (kind == kx::DataReceived)
            e.data.assign(engine.received_data(), engine.received_data() + engine.received_count());
        if (kind == kx::PortOpened && onOpened)
            onOpened();
        {
            std::lock_guard lock(m_mutex);
            m_events.push_back(std::move(e));
        }
        if (kind == kx::DataReceived && afterBlock == AfterBlock::RequestNextRead)
            engine.request_next_read();
    }

    std::mutex m_mutex;
    std::vector<Event> m_events;
};

struct EngineOptions
{
    std::optional<int> readSize{}; // none: the engine's own
    AfterBlock afterBlock = AfterBlock::RequestNextRead;
    std::function<void()> onOpened{};
    bool openNow = true; // false for a test that acts on the engine before it opens
};

// A pseudo-terminal pair and an engine opened on its slave side at 57600 8N1, with a recorder
// attached; the test plays the device on the master side. The destructor closes the port and
// joins the reader thread; destroyEngine() does that early, for a test that checks what the
// end of the engine reported.
class OpenedEngine
{
public:
    explicit OpenedEngine(EngineOptions options = {}) : m_engine(std::make_unique<SerialEngine>())
    {
        rec.afterBlock = options.afterBlock;
        rec.onOpened = std::move(options.onOpened);
        rec.attach(*m_engine);
        if (options.readSize)
            m_engine->set_read_size(*options.readSize);
        if (options.openNow)
            m_openResult = open();
    }
    ~OpenedEngine() { destroyEngine(); }
    OpenedEngine(const OpenedEngine&) = delete;
    OpenedEngine& operator=(const OpenedEngine&) = delete;

    SerialEngine& engine() { return *m_engine; }
    // What the constructor's open_port returned (-1 if it did not open).
    int openResult() const { return m_openResult; }

    int open(int baud = kBaud) { return m_engine->open_port(pty.slavePath(), baud, 0, 8, false); }

    void destroyEngine()
    {
        if (!m_engine)
            return;
        m_engine->close_port();
        m_engine.reset(); // joins the reader thread, however long its handler takes
    }

    PtyPair pty;
    Recorder rec;

private:
    std::unique_ptr<SerialEngine> m_engine;
    int m_openResult = -1;
};

} // namespace

Q_DECLARE_METATYPE(ReadState)

class TestSerialEngine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void mapsPortNames_data();
    void mapsPortNames();

    void failedOpenLeavesPortClosed_data();
    void failedOpenLeavesPortClosed();
    void buildsLineSettings_data();
    void buildsLineSettings();
    void appliesLineSettings_data();
    void appliesLineSettings();
    void refusesPortHeldElsewhere_data();
    void refusesPortHeldElsewhere();

    void storesReadSize_data();
    void storesReadSize();
    void freshEngineReadsOneByteAtATime();
    void readSizeAbove1024ReadsAtMost1024();

    void sendsOrRefusesBlock_data();
    void sendsOrRefusesBlock();
    void secondSendBeforeWriteCompletesIsLost();

    void silenceEndsBlock();
    void framesSplitOnlyBySilence_data();
    void framesSplitOnlyBySilence();
    void streamIsCutAtReadSize();
    void noReadWithoutRequest();

    void lifecycleRaisesEventsInOrder();
    void openWhileOpenEndsTheRunningSession();
    void hangUpRaisesPortClosedOnce_data();
    void hangUpRaisesPortClosedOnce();
    void closeWhileOpenedHandlerRunsReturnsInTime_data();
    void closeWhileOpenedHandlerRunsReturnsInTime();
};

void TestSerialEngine::initTestCase()
{
    PtyPair pty;
    QVERIFY2(pty.valid(), "no pseudo-terminals on this system");
}

void TestSerialEngine::mapsPortNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("path");
    QTest::newRow("COM1 is the first serial port") << "COM1"
                                                   << "/dev/ttyS0";
    QTest::newRow("COM14, two digits") << "COM14"
                                       << "/dev/ttyS13";
    QTest::newRow("letter case ignored") << "com3"
                                         << "/dev/ttyS2";
    QTest::newRow("device path kept") << "/dev/pts/3"
                                      << "/dev/pts/3";
    const QString longPath = "/dev/" + QString(195, 'p');
    QTest::newRow("200-character path not cut") << longPath << longPath;
    QTest::newRow("bare device name looked up in /dev") << "ttyUSB0"
                                                        << "/dev/ttyUSB0";
    QTest::newRow("COM with trailing letters is no COM port") << "COM1a"
                                                              << "/dev/COM1a";
}

void TestSerialEngine::mapsPortNames()
{
    QFETCH(QString, name);
    QFETCH(QString, path);
    QCOMPARE(QString::fromStdString(kx::mapPortName(name.toStdString())), path);
}

void TestSerialEngine::failedOpenLeavesPortClosed_data()
{
    QTest::addColumn<QString>("name"); // "pty" stands for a fresh pseudo-terminal
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("parity");
    QTest::addColumn<int>("byteSize");
    QTest::addColumn<bool>("modemEvents");
    QTest::addColumn<int>("result");

    QTest::newRow("empty name") << "" << kBaud << 0 << 8 << false << 16;
    QTest::newRow("no such device") << "/dev/kx-no-such-port" << kBaud << 0 << 8 << false << 8;
    QTest::newRow("COM port without a device") << "COM200" << kBaud << 0 << 8 << false << 8;
    QTest::newRow("name longer than 255 bytes")
        << "/dev/" + QString(300, 'x') << kBaud << 0 << 8 << false << 8;
    QTest::newRow("not a terminal") << "/dev/null" << kBaud << 0 << 8 << false << 4;
    QTest::newRow("unsupported baud rate") << "pty" << 12345 << 0 << 8 << false << 4;
    QTest::newRow("byte size 9") << "pty" << kBaud << 0 << 9 << false << 4;
    QTest::newRow("unknown parity") << "pty" << kBaud << 5 << 8 << false << 4;
    QTest::newRow("parity the line drops (pseudo-terminals have none)")
        << "pty" << kBaud << 2 << 8 << false << 4;
    QTest::newRow("modem events on a line without modem lines")
        << "pty" << kBaud << 0 << 8 << true << 1;
    QTest::newRow("event mask and line settings fail: the later decides")
        << "pty" << 12345 << 0 << 8 << true << 4;
}

void TestSerialEngine::failedOpenLeavesPortClosed()
{
    QFETCH(QString, name);
    QFETCH(int, baud);
    QFETCH(int, parity);
    QFETCH(int, byteSize);
    QFETCH(bool, modemEvents);
    QFETCH(int, result);

    OpenedEngine f({.openNow = false});
    const std::string port = name == "pty" ? f.pty.slavePath() : name.toStdString();

    QCOMPARE(f.engine().open_port(port, baud, parity, byteSize, modemEvents), result);
    QVERIFY(!f.engine().is_open());
    allowStrayEvents(100ms);
    QVERIFY(f.rec.events().empty());

    if (name == "pty") {
        // The port was let go: it opens now with good settings.
        QCOMPARE(f.open(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(f.rec.opened(), 1, kWaitMs);
        f.engine().close_port();
        QCOMPARE(f.rec.closed(), 1);
    }
}

void TestSerialEngine::buildsLineSettings_data()
{
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("parity");
    QTest::addColumn<int>("byteSize");
    QTest::addColumn<speed_t>("speed");
    QTest::addColumn<tcflag_t>("size");
    QTest::addColumn<tcflag_t>("parityBits");

    QTest::newRow("57600 8N1, the program's")
        << 57600 << 0 << 8 << speed_t(B57600) << tcflag_t(CS8) << tcflag_t(0);
    QTest::newRow("9600 8O1") << 9600 << 1 << 8 << speed_t(B9600) << tcflag_t(CS8)
                              << tcflag_t(PARENB | PARODD);
    QTest::newRow("115200 7E1") << 115200 << 2 << 7 << speed_t(B115200) << tcflag_t(CS7)
                                << tcflag_t(PARENB);
}

// Pseudo-terminals force 8 bits without parity, so parity and size are checked on the
// settings the engine asks for; appliesLineSettings checks what reaches a real line.
void TestSerialEngine::buildsLineSettings()
{
    QFETCH(int, baud);
    QFETCH(int, parity);
    QFETCH(int, byteSize);
    QFETCH(speed_t, speed);
    QFETCH(tcflag_t, size);
    QFETCH(tcflag_t, parityBits);

    termios tio{};
    QVERIFY(kx::posixLineSettings(tio, baud, parity, byteSize));
    QCOMPARE(cfgetispeed(&tio), speed);
    QCOMPARE(cfgetospeed(&tio), speed);
    QCOMPARE(tio.c_cflag & CSIZE, size);
    QCOMPARE(tio.c_cflag & (PARENB | PARODD), parityBits);
    QCOMPARE(bool(tio.c_iflag & INPCK), parity != 0);
    QCOMPARE(tio.c_iflag & (PARMRK | IGNPAR), tcflag_t(0));
    checkRawNoFlowControl(tio);
}

void TestSerialEngine::appliesLineSettings_data()
{
    QTest::addColumn<int>("baud");
    QTest::addColumn<speed_t>("speed");
    QTest::newRow("57600") << 57600 << speed_t(B57600);
    QTest::newRow("9600") << 9600 << speed_t(B9600);
}

void TestSerialEngine::appliesLineSettings()
{
    QFETCH(int, baud);
    QFETCH(speed_t, speed);

    OpenedEngine f({.openNow = false});
    QCOMPARE(f.open(baud), 0);

    termios tio{};
    QVERIFY(f.pty.slaveSettings(tio));
    QCOMPARE(cfgetispeed(&tio), speed);
    QCOMPARE(cfgetospeed(&tio), speed);
    QCOMPARE(tio.c_cflag & (CSIZE | PARENB), tcflag_t(CS8));
    checkRawNoFlowControl(tio);
}

void TestSerialEngine::refusesPortHeldElsewhere_data()
{
    QTest::addColumn<bool>("heldByEngine");
    QTest::newRow("held by another engine") << true;
    QTest::newRow("held exclusively by another program") << false;
}

void TestSerialEngine::refusesPortHeldElsewhere()
{
    QFETCH(bool, heldByEngine);
    OpenedEngine f({.openNow = false}); // opens only once the other holder lets go
    SerialEngine first;
    int programFd = -1;
    if (heldByEngine) {
        QCOMPARE(first.open_port(f.pty.slavePath(), kBaud, 0, 8, false), 0);
    } else {
        programFd = ::open(f.pty.slavePath().c_str(), O_RDWR | O_NOCTTY);
        QVERIFY(programFd >= 0);
        QCOMPARE(ioctl(programFd, TIOCEXCL), 0);
    }

    QCOMPARE(f.open(), 8);
    QVERIFY(!f.engine().is_open());

    // Once let go, the port is free again.
    if (heldByEngine) {
        first.close_port();
    } else {
        ioctl(programFd, TIOCNXCL);
        ::close(programFd);
    }
    QCOMPARE(f.open(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(f.rec.opened(), 1, kWaitMs);
}

void TestSerialEngine::storesReadSize_data()
{
    QTest::addColumn<int>("given");
    QTest::addColumn<int>("stored");
    QTest::newRow("program's 64") << 64 << 64;
    QTest::newRow("largest, 1024") << 1024 << 1024;
    QTest::newRow("5000 capped") << 5000 << 1024;
    QTest::newRow("zero raised to 1") << 0 << 1;
}

void TestSerialEngine::storesReadSize()
{
    QFETCH(int, given);
    QFETCH(int, stored);
    SerialEngine engine;
    QCOMPARE(engine.read_size(), 1);
    engine.set_read_size(given);
    QCOMPARE(engine.read_size(), stored);
}

void TestSerialEngine::freshEngineReadsOneByteAtATime()
{
    OpenedEngine f; // read size left as a new engine has it
    QCOMPARE(f.openResult(), 0);

    const Bytes burst = pattern(8, 0x40);
    QVERIFY(f.pty.write(burst));
    QTRY_COMPARE_WITH_TIMEOUT(f.rec.received(), 8, kWaitMs);
    allowStrayEvents(100ms);
    const auto blocks = f.rec.blocks();
    QCOMPARE(blocks.size(), std::size_t(8));
    for (std::size_t i = 0; i < blocks.size(); ++i)
        QCOMPARE(blocks[i], Bytes{burst[i]});
}

void TestSerialEngine::readSizeAbove1024ReadsAtMost1024()
{
    OpenedEngine f({.readSize = 5000});
    QCOMPARE(f.openResult(), 0);

    const Bytes burst = pattern(1500);
    QVERIFY(f.pty.write(burst));
    QTRY_COMPARE_WITH_TIMEOUT(f.rec.received(), 2, kWaitMs);
    const auto blocks = f.rec.blocks();
    QCOMPARE(blocks.size(), std::size_t(2));
    QCOMPARE(blocks[0].size(), std::size_t(1024));
    QCOMPARE(blocks[1].size(), std::size_t(476));
    Bytes joined = blocks[0];
    joined.insert(joined.end(), blocks[1].begin(), blocks[1].end());
    QCOMPARE(joined, burst);
}

void TestSerialEngine::sendsOrRefusesBlock_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("withData");
    QTest::addColumn<bool>("written");
    QTest::newRow("one byte") << 1 << true << true;
    QTest::newRow("255 bytes, the largest") << 255 << true << true;
    QTest::newRow("256 bytes refused") << 256 << true << false;
    QTest::newRow("negative length refused") << -1 << true << false;
    QTest::newRow("no data refused") << 8 << false << false;
}

void TestSerialEngine::sendsOrRefusesBlock()
{
    QFETCH(int, length);
    QFETCH(bool, withData);
    QFETCH(bool, written);

    OpenedEngine f;
    QCOMPARE(f.openResult(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(f.rec.opened(), 1, kWaitMs);

    const Bytes block = pattern(300, 7);
    QCOMPARE(f.engine().send(withData ? block.data() : nullptr, length), written);
    if (written) {
        QCOMPARE(f.pty.read(length, 2s), Bytes(block.begin(), block.begin() + length));
        QTRY_COMPARE_WITH_TIMEOUT(f.rec.sent(), 1, kWaitMs);
    } else {
        QVERIFY(f.pty.read(1, 200ms).empty());
        QCOMPARE(f.rec.sent(), 0);
    }

    // Whatever happened, the next send goes out.
    const Bytes next = {0xF3, 0xF3, 1, 2};
    f.engine().send(next.data(), int(next.size()));
    QCOMPARE(f.pty.read(next.size(), 2s), next);
    QTRY_VERIFY_WITH_TIMEOUT(f.rec.sent() >= (written ? 2 : 1), kWaitMs);
}

void TestSerialEngine::secondSendBeforeWriteCompletesIsLost()
{
    // Hold the reader thread in PortOpened so the first write cannot complete in between.
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    OpenedEngine f({.onOpened = [released] { released.wait_for(5s); }});
    QCOMPARE(f.openResult(), 0);

    const Bytes first = pattern(8, 0x10);
    const Bytes second = pattern(8, 0x80);
    QVERIFY(f.engine().send(first.data(), int(first.size())));
    QVERIFY(!f.engine().send(second.data(), int(second.size())));
    release.set_value();

    QCOMPARE(f.pty.read(16, 300ms), first);
    QTRY_COMPARE_WITH_TIMEOUT(f.rec.sent(), 1, kWaitMs);
    allowStrayEvents(100ms);
    QCOMPARE(f.rec.sent(), 1);

    // After DataSent the engine takes the next block.
    QVERIFY(f.engine().send(second.data(), int(second.size())));
    QCOMPARE(f.pty.read(8, 2s), second);
}

void TestSerialEngine::silenceEndsBlock()
{
    OpenedEngine f({.readSize = kProgramReadSize});
    QCOMPARE(f.openResult(), 0);

    const Bytes reply = {0xF3, 0xF3, 1, 2, 3, 4, 5, 6};
    QVERIFY(f.pty.write(reply));
    const auto lastByte = Clock::now();
    QTRY_COMPARE_WITH_TIMEOUT(f.rec.received(), 1, kWaitMs);
    allowStrayEvents(150ms);

    const auto events = f.rec.events();
    QCOMPARE(f.rec.blocks(), std::vector<Bytes>{reply});
    const auto delay = msBetween(lastByte, events.back().at);
    QVERIFY2(delay >= 15 && delay <= 500, qPrintable(QString("delay %1 ms").arg(delay)));
}

void TestSerialEngine::framesSplitOnlyBySilence_data()
{
    QTest::addColumn<int>("gapMs");
    QTest::addColumn<int>("maxGapMs"); // a try whose gap came out longer proves nothing
    QTest::addColumn<std::vector<int>>("sizes");
    QTest::newRow("10 ms apart: one block") << 10 << 20 << std::vector<int>{16};
    QTest::newRow("45 ms apart: two blocks") << 45 << 49 << std::vector<int>{8, 8};
    QTest::newRow("100 ms apart: two blocks") << 100 << 1000 << std::vector<int>{8, 8};
}

void TestSerialEngine::framesSplitOnlyBySilence()
{
    QFETCH(int, gapMs);
    QFETCH(int, maxGapMs);
    QFETCH(std::vector<int>, sizes);

    // The gap is made by a sleep on a shared machine: tries whose gap overshot are repeated,
    // and so is one whose reader thread may have been held up past the silence.
    std::vector<int> got;
    bool anyValid = false;
    for (int attempt = 0; attempt < 5; ++attempt) {
        OpenedEngine f({.readSize = kProgramReadSize});
        QCOMPARE(f.openResult(), 0);

        const Bytes a = pattern(8, 0x10);
        const Bytes b = pattern(8, 0x20);
        QVERIFY(f.pty.write(a));
        const auto firstWritten = Clock::now();
        std::this_thread::sleep_for(std::chrono::milliseconds(gapMs)); // the gap on the line
        QVERIFY(f.pty.write(b));
        if (msBetween(firstWritten, Clock::now()) > maxGapMs)
            continue;
        anyValid = true;

        // At least as many blocks as expected: a try that got more is repeated.
        QTRY_VERIFY_WITH_TIMEOUT(f.rec.received() >= int(sizes.size()), kWaitMs);
        allowStrayEvents(150ms);
        got.clear();
        Bytes joined;
        for (const Bytes& block : f.rec.blocks()) {
            got.push_back(int(block.size()));
            joined.insert(joined.end(), block.begin(), block.end());
        }
        Bytes both = a;
        both.insert(both.end(), b.begin(), b.end());
        QCOMPARE(joined, both);
        if (got == sizes)
            return;
    }
    if (!anyValid)
        QSKIP("the machine never kept the gap between the frames");
    QCOMPARE(got, sizes);
}

void TestSerialEngine::streamIsCutAtReadSize()
{
    OpenedEngine f({.readSize = kProgramReadSize});
    QCOMPARE(f.openResult(), 0);

    const Bytes stream = pattern(200, 3);
    QVERIFY(f.pty.write(stream));
    QTRY_COMPARE_WITH_TIMEOUT(f.rec.received(), 4, kWaitMs);
    allowStrayEvents(100ms);
    const auto blocks = f.rec.blocks();
    QCOMPARE(blocks.size(), std::size_t(4));
    Bytes joined;
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        QCOMPARE(blocks[i].size(), i < 3 ? std::size_t(64) : std::size_t(8));
        joined.insert(joined.end(), blocks[i].begin(), blocks[i].end());
    }
    QCOMPARE(joined, stream);
}

void TestSerialEngine::noReadWithoutRequest()
{
    OpenedEngine f({.readSize = kProgramReadSize, .afterBlock = AfterBlock::LeaveReadsStopped});
    QCOMPARE(f.openResult(), 0);

    const Bytes first = pattern(8, 0xA0);
    const Bytes second = pattern(8, 0xB0);
    QVERIFY(f.pty.write(first));
    QTRY_COMPARE_WITH_TIMEOUT(f.rec.received(), 1, kWaitMs);
    QVERIFY(f.pty.write(second));
    allowStrayEvents(300ms);
    QCOMPARE(f.rec.received(), 1);
    QVERIFY(f.engine().is_open());
    // The block stays as it was until the next read is asked for.
    QCOMPARE(
        Bytes(f.engine().received_data(), f.engine().received_data() + f.engine().received_count()),
        first);

    // The second frame waited in the port; the next read delivers it.
    f.engine().request_next_read();
    QTRY_COMPARE_WITH_TIMEOUT(f.rec.received(), 2, kWaitMs);
    QCOMPARE(f.rec.blocks(), (std::vector<Bytes>{first, second}));
}

void TestSerialEngine::lifecycleRaisesEventsInOrder()
{
    OpenedEngine f({.readSize = kProgramReadSize, .openNow = false});
    SerialEngine& engine = f.engine();

    // Neither leaves anything behind for the next open.
    engine.close_port();
    const Bytes early = {0xEE, 0xEE};
    engine.send(early.data(), int(early.size()));
    QVERIFY(!engine.is_open());

    // A frame that is already waiting when the opened handler ends still comes after it.
    f.rec.onOpened = [] { std::this_thread::sleep_for(100ms); };
    QCOMPARE(f.open(), 0);
    QVERIFY(engine.is_open());
    const Bytes frame = pattern(8, 0x30);
    QVERIFY(f.pty.write(frame));
    QTRY_COMPARE_WITH_TIMEOUT(f.rec.received(), 1, kWaitMs);

    const Bytes request = {0xF3, 0xF3, 0x07, 0x00};
    engine.send(request.data(), int(request.size()));
    QCOMPARE(f.pty.read(16, 300ms), request);
    QTRY_COMPARE_WITH_TIMEOUT(f.rec.sent(), 1, kWaitMs);

    const auto started = Clock::now();
    engine.close_port();
    QVERIFY(msBetween(started, Clock::now()) < 1000);
    QVERIFY(!engine.is_open());

    const auto events = f.rec.events();
    QCOMPARE(events.size(), std::size_t(4));
    QCOMPARE(events[0].kind, kx::PortOpened);
    QCOMPARE(events[1].kind, kx::DataReceived);
    QCOMPARE(events[1].data, frame);
    QCOMPARE(events[2].kind, kx::DataSent);
    QCOMPARE(events[3].kind, kx::PortClosed);

    // The engine opens again.
    f.rec.onOpened = nullptr;
    QCOMPARE(f.open(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(f.rec.opened() >= 2, kWaitMs);
    QVERIFY(f.pty.write(frame));
    QTRY_VERIFY_WITH_TIMEOUT(f.rec.received() >= 2, kWaitMs);
    engine.close_port();
    QCOMPARE(f.rec.closed(), 2);
}

void TestSerialEngine::openWhileOpenEndsTheRunningSession()
{
    PtyPair second; // outlives the engine that ends up reading it
    OpenedEngine f({.readSize = kProgramReadSize});
    QCOMPARE(f.openResult(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(f.rec.opened(), 1, kWaitMs);

    QCOMPARE(f.engine().open_port(second.slavePath(), kBaud, 0, 8, false), 0);
    QTRY_COMPARE_WITH_TIMEOUT(f.rec.opened(), 2, kWaitMs);
    QCOMPARE(f.rec.closed(), 1);
    QCOMPARE(f.rec.events()[1].kind, kx::PortClosed);

    // The first port is free again and the engine now reads the second.
    SerialEngine other;
    QCOMPARE(other.open_port(f.pty.slavePath(), kBaud, 0, 8, false), 0);
    const Bytes frame = pattern(8, 0x60);
    QVERIFY(second.write(frame));
    QTRY_COMPARE_WITH_TIMEOUT(f.rec.received(), 1, kWaitMs);
    QCOMPARE(f.rec.blocks(), std::vector<Bytes>{frame});
}

void TestSerialEngine::hangUpRaisesPortClosedOnce_data()
{
    QTest::addColumn<ReadState>("readState");
    QTest::newRow("waiting for the first byte") << ReadState::WaitingForFirstByte;
    QTest::newRow("between reads, none asked for") << ReadState::BlockReceivedNoneAsked;
    QTest::newRow("in the middle of a read") << ReadState::InTheMiddleOfARead;
}

void TestSerialEngine::hangUpRaisesPortClosedOnce()
{
    QFETCH(ReadState, readState);
    OpenedEngine f({.readSize = kProgramReadSize});
    QCOMPARE(f.openResult(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(f.rec.opened(), 1, kWaitMs);
    switch (readState) {
    case ReadState::WaitingForFirstByte:
        break;
    case ReadState::BlockReceivedNoneAsked:
        f.rec.afterBlock = AfterBlock::LeaveReadsStopped;
        QVERIFY(f.pty.write(pattern(8)));
        QTRY_COMPARE_WITH_TIMEOUT(f.rec.received(), 1, kWaitMs);
        break;
    case ReadState::InTheMiddleOfARead:
        QVERIFY(f.pty.write(pattern(3)));
        break;
    }

    f.pty.closeMaster();
    QTRY_COMPARE_WITH_TIMEOUT(f.rec.closed(), 1, kWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(!f.engine().is_open(), kWaitMs);
    const Bytes late = {1, 2, 3};
    QVERIFY(!f.engine().send(late.data(), int(late.size())));
    f.engine().close_port();
    f.destroyEngine();

    // Neither the close nor the destruction reports the end a second time.
    QCOMPARE(f.rec.closed(), 1);
    QCOMPARE(f.rec.sent(), 0);
    QCOMPARE(f.rec.events().back().kind, kx::PortClosed);
}

void TestSerialEngine::closeWhileOpenedHandlerRunsReturnsInTime_data()
{
    QTest::addColumn<bool>("reopen");
    QTest::newRow("then destroyed") << false;
    QTest::newRow("then opened again") << true;
}

void TestSerialEngine::closeWhileOpenedHandlerRunsReturnsInTime()
{
    QFETCH(bool, reopen);
    std::promise<void> entered;
    std::atomic<int> opened{0};
    OpenedEngine f({.readSize = kProgramReadSize, .onOpened = [&] {
                        if (opened++ == 0) {
                            entered.set_value();
                            std::this_thread::sleep_for(3s);
                        }
                    }});
    QCOMPARE(f.openResult(), 0);
    QCOMPARE(entered.get_future().wait_for(2s), std::future_status::ready);

    const auto started = Clock::now();
    f.engine().close_port();
    const auto took = msBetween(started, Clock::now());
    QVERIFY2(took >= 1500 && took <= 2600, qPrintable(QString("took %1 ms").arg(took)));
    QCOMPARE(f.rec.closed(), 0);

    if (reopen) {
        // Waits for the old thread, which ends at once after its handler.
        QCOMPARE(f.open(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(f.rec.opened(), 2, kWaitMs);
        QCOMPARE(f.rec.closed(), 1);
        const Bytes frame = pattern(8);
        QVERIFY(f.pty.write(frame));
        QTRY_COMPARE_WITH_TIMEOUT(f.rec.received(), 1, kWaitMs);
        QCOMPARE(f.rec.blocks(), std::vector<Bytes>{frame});
    }
    f.destroyEngine();
    QCOMPARE(f.rec.opened(), reopen ? 2 : 1);
    QCOMPARE(f.rec.closed(), reopen ? 2 : 1);
    QCOMPARE(f.rec.events().back().kind, kx::PortClosed);
}

QTEST_GUILESS_MAIN(TestSerialEngine)
#include "tst_serialengine.moc"
