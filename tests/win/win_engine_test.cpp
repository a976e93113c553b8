// The Win32 back end of SerialEngine, run for real (under wine on the build machine). Qt has
// no Windows build here, so this is plain C++: a failed check prints what it compared, the
// run ends with "N passed, N failed" and exits non-zero if any case failed.
//
// Without an argument only what needs no port is checked. With a COM port name (given by
// win_engine_peer, which plays the other end of that port) the engine also plays
// loopbackScript() through the port.

#include "LoopbackScript.h"
#include "serial/SerialEngine.h"

#include <windows.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

using namespace std::chrono_literals;
using kx::SerialEngine;
using kx::SerialEvent;
using kx::wintest::Bytes;
using kx::wintest::kBaud;
using kx::wintest::kReadSize;
using kx::wintest::loopbackScript;
using kx::wintest::Step;
using Clock = std::chrono::steady_clock;

namespace {

// ---- checks -----------------------------------------------------------------------------

int g_failedChecks = 0;

std::string show(const std::string& s)
{
    return '"' + (s.size() > 60 ? s.substr(0, 60) + "..." : s) + '"';
}

std::string show(const Bytes& b)
{
    std::string out;
    char hex[4];
    for (std::size_t i = 0; i < b.size() && i < 24; ++i) {
        std::snprintf(hex, sizeof hex, "%02X ", b[i]);
        out += hex;
    }
    if (b.size() > 24)
        out += "... ";
    return out + "(" + std::to_string(b.size()) + " bytes)";
}

std::string show(const std::vector<Bytes>& blocks)
{
    std::string out = "{";
    for (std::size_t i = 0; i < blocks.size(); ++i)
        out += (i ? ", " : "") + show(blocks[i]);
    return out + "}";
}

std::string show(const std::vector<std::size_t>& sizes)
{
    std::string out = "{";
    for (std::size_t i = 0; i < sizes.size(); ++i)
        out += (i ? ", " : "") + std::to_string(sizes[i]);
    return out + "}";
}

template <typename T>
requires std::is_arithmetic_v<T> std::string show(T value)
{
    return std::to_string(value);
}

bool check(bool ok, const char* what, const char* file, int line)
{
    if (!ok) {
        ++g_failedChecks;
        std::printf("    FAIL %s (%s:%d)\n", what, file, line);
    }
    return ok;
}

template <typename A, typename B>
bool checkEqual(const A& actual, const B& expected, const char* actualText,
                const char* expectedText, const char* file, int line)
{
    if (actual == expected)
        return true;
    ++g_failedChecks;
    std::printf("    FAIL %s == %s (%s:%d)\n      actual:   %s\n      expected: %s\n", actualText,
                expectedText, file, line, show(actual).c_str(), show(expected).c_str());
    return false;
}

#define CHECK(cond) check(static_cast<bool>(cond), #cond, __FILE__, __LINE__)
#define CHECK_EQ(actual, expected)                                                                 \
    checkEqual((actual), (expected), #actual, #expected, __FILE__, __LINE__)
// For a check without which the rest of the case would only wait for timeouts.
#define REQUIRE(cond)                                                                              \
    do {                                                                                           \
        if (!CHECK(cond))                                                                          \
            return;                                                                                \
    } while (false)
#define REQUIRE_EQ(actual, expected)                                                               \
    do {                                                                                           \
        if (!CHECK_EQ(actual, expected))                                                           \
            return;                                                                                \
    } while (false)

// ---- what the engine reports ------------------------------------------------------------

// Records the engine's events as the program's handler would see them. Declare it before the
// engine it listens to, so that it outlives the engine's reader thread.
class Recorder
{
public:
    struct Event
    {
        SerialEvent kind;
        Bytes data;
    };

    // Run on the reader thread inside PortOpened / at the end of PortClosed.
    std::function<void()> onOpened;
    std::function<void()> onClosed;

    void attach(SerialEngine& engine)
    {
        engine.set_event_handler([this](SerialEngine& e, SerialEvent ev) { handle(e, ev); });
    }

    bool waitFor(SerialEvent kind, int count, std::chrono::milliseconds timeout = 5s)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, timeout, [&] { return countLocked(kind) >= count; });
    }

    int count(SerialEvent kind)
    {
        std::lock_guard lock(m_mutex);
        return countLocked(kind);
    }

    std::vector<SerialEvent> kinds()
    {
        std::lock_guard lock(m_mutex);
        std::vector<SerialEvent> out;
        for (const Event& e : m_events)
            out.push_back(e.kind);
        return out;
    }

    // The events as sessions, each PortOpened to its PortClosed with the number of DataSent and
    // DataReceived in between. Their order within a session is left out: it depends on timing
    // (a reply that fills the read at once can come before the DataSent of its request).
    std::string sessions()
    {
        std::lock_guard lock(m_mutex);
        std::string out;
        int sent = 0;
        int received = 0;
        auto data = [&] {
            return std::to_string(sent) + " sent, " + std::to_string(received) + " received";
        };
        for (const Event& e : m_events) {
            switch (e.kind) {
            case kx::PortOpened:
                if (sent + received > 0)
                    out += data() + " outside a session; ";
                out += "opened, ";
                sent = received = 0;
                break;
            case kx::PortClosed:
                out += data() + ", closed; ";
                sent = received = 0;
                break;
            case kx::DataSent:
                ++sent;
                break;
            case kx::DataReceived:
                ++received;
                break;
            default:
                out += "modem event; ";
                break;
            }
        }
        if (sent + received > 0)
            out += data();
        return out;
    }

    std::vector<Bytes> blocks()
    {
        std::lock_guard lock(m_mutex);
        std::vector<Bytes> out;
        for (const Event& e : m_events) {
            if (e.kind == kx::DataReceived)
                out.push_back(e.data);
        }
        return out;
    }

private:
    void handle(SerialEngine& engine, SerialEvent kind)
    {
        Event e{kind, {}};
        if (kind == kx::DataReceived)
            e.data.assign(engine.received_data(), engine.received_data() + engine.received_count());
        if (kind == kx::PortOpened && onOpened)
            onOpened();
        if (kind == kx::PortClosed && onClosed)
            onClosed();
        {
            std::lock_guard lock(m_mutex);
            m_events.push_back(std::move(e));
        }
        m_changed.notify_all();
        // As the program's handler does.
        if (kind == kx::DataReceived)
            engine.request_next_read();
    }

    int countLocked(SerialEvent kind) const
    {
        int n = 0;
        for (const Event& e : m_events)
            n += e.kind == kind;
        return n;
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Event> m_events;
};

// Gives the reader thread time to raise anything it still would, so a count that must stay as
// it is can be checked.
void allowStrayEvents()
{
    std::this_thread::sleep_for(150ms);
}

std::string session(int sent, int received)
{
    return "opened, " + std::to_string(sent) + " sent, " + std::to_string(received) +
           " received, closed; ";
}

// Wine keeps share modes on files only: a COM port it maps onto a device opens any number of
// times, where Windows' serial driver lets one handle in.
bool underWine()
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

long long msSince(Clock::time_point from)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - from).count();
}

std::string g_port; // the COM port whose other end win_engine_peer plays

int openOnPeer(SerialEngine& engine)
{
    return engine.open_port(g_port, kBaud, 0, 8, false);
}

// Sends the step's request and checks that the peer's reply comes back in the step's blocks.
// Those are the next blocks the recorder gets; its earlier ones belong to earlier steps.
void playStep(SerialEngine& engine, Recorder& rec, kx::wintest::StepId id)
{
    const Step& step = loopbackScript()[id];
    std::printf("    step: %s\n", step.name);
    const int sent = rec.count(kx::DataSent);
    const std::size_t blocksBefore = rec.blocks().size();

    engine.send(step.request.data(), static_cast<int>(step.request.size()));
    CHECK(rec.waitFor(kx::DataSent, sent + 1));
    CHECK(rec.waitFor(kx::DataReceived, static_cast<int>(blocksBefore + step.blockSizes.size())));

    const std::vector<Bytes> all = rec.blocks();
    std::vector<std::size_t> sizes;
    Bytes joined;
    for (std::size_t i = blocksBefore; i < all.size(); ++i) {
        sizes.push_back(all[i].size());
        joined.insert(joined.end(), all[i].begin(), all[i].end());
    }
    CHECK_EQ(sizes, step.blockSizes);
    CHECK_EQ(joined, step.replyBytes());
}

// ---- what needs no port -----------------------------------------------------------------

void mapsPortNames()
{
    struct Row
    {
        const char* what;
        std::string name;
        std::string mapped;
    };
    const std::string longName = "\\\\.\\" + std::string(250, 'p');
    const Row rows[] = {
        {"COM1 through the device namespace", "COM1", "\\\\.\\COM1"},
        {"COM14, which the bare name cannot reach", "COM14", "\\\\.\\COM14"},
        {"letter case kept", "com3", "\\\\.\\com3"},
        {"device namespace name kept", "\\\\.\\COM5", "\\\\.\\COM5"},
        {"COM with trailing letters is no COM port", "COM1a", "COM1a"},
        {"COM0 is no port number", "COM0", "COM0"},
        {"254-character name not cut", longName, longName},
    };
    for (const Row& r : rows) {
        if (!CHECK_EQ(kx::mapPortName(r.name), r.mapped))
            std::printf("      (%s)\n", r.what);
    }
}

std::string makeTempFile()
{
    char dir[MAX_PATH + 1] = {};
    char path[MAX_PATH + 1] = {};
    if (GetTempPathA(sizeof dir, dir) == 0 || GetTempFileNameA(dir, "kx", 0, path) == 0)
        return {};
    return path;
}

void failedOpenLeavesPortClosed()
{
    const std::string file = makeTempFile();
    REQUIRE(!file.empty());
    struct Row
    {
        const char* what;
        std::string name;
        int result;
    };
    const Row rows[] = {
        {"empty name", "", 16},
        {"COM port without a device", "COM200", 8},
        {"no such device", "\\\\.\\KX-NO-SUCH-PORT", 8},
        {"name longer than 255 bytes", "\\\\.\\" + std::string(300, 'x'), 8},
        {"the null device is no serial port", "NUL", 4},
        {"a file is no serial port", file, 4},
    };
    for (const Row& r : rows) {
        std::printf("    row: %s\n", r.what);
        Recorder rec;
        SerialEngine engine;
        rec.attach(engine);
        CHECK_EQ(engine.open_port(r.name, kBaud, 0, 8, false), r.result);
        CHECK(!engine.is_open());
        allowStrayEvents();
        CHECK(rec.kinds().empty());
    }
    // The failed open let the file go: it opens exclusively and can be deleted.
    HANDLE h = CreateFileA(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    CHECK(h != INVALID_HANDLE_VALUE);
    if (h != INVALID_HANDLE_VALUE)
        CloseHandle(h);
    CHECK(DeleteFileA(file.c_str()));
}

void storesReadSize()
{
    const int rows[][2] = {{64, 64}, {1024, 1024}, {5000, 1024}, {0, 1}, {-5, 1}};
    for (const auto& r : rows) {
        SerialEngine engine;
        CHECK_EQ(engine.read_size(), 1);
        engine.set_read_size(r[0]);
        CHECK_EQ(engine.read_size(), r[1]);
    }
}

void closedEngineIgnoresCloseAndSend()
{
    Recorder rec;
    {
        SerialEngine engine;
        rec.attach(engine);
        engine.close_port();
        engine.close_port();
        const Bytes block = {0xF3, 0xF3, 1, 2};
        engine.send(block.data(), static_cast<int>(block.size()));
        CHECK(!engine.is_open());
        CHECK_EQ(engine.received_count(), 0u);
        allowStrayEvents();
    }
    // Nor does destroying a never opened engine raise anything.
    CHECK(rec.kinds().empty());
}

// ---- through the port -------------------------------------------------------------------

void sessionRaisesEventsInOrder()
{
    Recorder replaced;
    Recorder rec;
    SerialEngine engine;
    replaced.attach(engine);
    rec.attach(engine); // the handler set last is the one called
    engine.set_read_size(kReadSize);

    // Neither leaves anything behind for the open: the peer would see the early block.
    engine.close_port();
    const Bytes early = {0xEE, 0xEE};
    engine.send(early.data(), static_cast<int>(early.size()));

    REQUIRE_EQ(openOnPeer(engine), 0);
    CHECK(engine.is_open());
    REQUIRE(rec.waitFor(kx::PortOpened, 1));
    for (auto id : {kx::wintest::kFrameEachWay, kx::wintest::kLargestSend,
                    kx::wintest::kFramesApart, kx::wintest::kBurst, kx::wintest::kStreamCut})
        playStep(engine, rec, id);

    engine.close_port();
    CHECK(!engine.is_open());
    CHECK_EQ(rec.count(kx::PortClosed), 1);

    int sent = 0;
    std::vector<std::size_t> sizes;
    for (std::size_t id = kx::wintest::kFrameEachWay; id <= kx::wintest::kStreamCut; ++id) {
        ++sent;
        const auto& blocks = loopbackScript()[id].blockSizes;
        sizes.insert(sizes.end(), blocks.begin(), blocks.end());
    }
    CHECK_EQ(rec.sessions(), session(sent, static_cast<int>(sizes.size())));
    std::vector<std::size_t> got;
    for (const Bytes& b : rec.blocks())
        got.push_back(b.size());
    CHECK_EQ(got, sizes);
    CHECK(replaced.kinds().empty());
}

void opensAgainAfterClose()
{
    Recorder rec;
    SerialEngine engine;
    rec.attach(engine);
    engine.set_read_size(kReadSize);
    REQUIRE_EQ(openOnPeer(engine), 0);
    REQUIRE(rec.waitFor(kx::PortOpened, 1));
    engine.close_port();
    CHECK(!engine.is_open());

    REQUIRE_EQ(openOnPeer(engine), 0);
    REQUIRE(rec.waitFor(kx::PortOpened, 2));
    playStep(engine, rec, kx::wintest::kAfterReopen);
    engine.close_port();
    CHECK_EQ(rec.sessions(), session(0, 0) + session(1, 1));
}

void openWhileOpenEndsRunningSession()
{
    Recorder rec;
    SerialEngine engine;
    rec.attach(engine);
    engine.set_read_size(kReadSize);
    REQUIRE_EQ(openOnPeer(engine), 0);
    REQUIRE(rec.waitFor(kx::PortOpened, 1));

    // The port is opened exclusively: while this engine holds it, another is refused.
    if (underWine()) {
        std::printf("    not checked under wine: another engine refused the port\n");
    } else {
        SerialEngine other;
        CHECK_EQ(openOnPeer(other), 8);
        CHECK(!other.is_open());
    }

    // The running session lets the port go before the new one opens it.
    REQUIRE_EQ(openOnPeer(engine), 0);
    REQUIRE(rec.waitFor(kx::PortOpened, 2));
    CHECK_EQ(rec.sessions(), session(0, 0) + "opened, ");
    playStep(engine, rec, kx::wintest::kAfterOpenWhileOpen);
}

void destructorClosesAndWaitsForHandler()
{
    Recorder rec;
    std::atomic<bool> closedHandlerDone{false};
    rec.onClosed = [&] {
        std::this_thread::sleep_for(300ms);
        closedHandlerDone = true;
    };
    {
        SerialEngine engine;
        rec.attach(engine);
        REQUIRE_EQ(openOnPeer(engine), 0);
        REQUIRE(rec.waitFor(kx::PortOpened, 1));
    }
    CHECK(closedHandlerDone);
    CHECK_EQ(rec.sessions(), session(0, 0));

    // And the port was let go.
    SerialEngine again;
    CHECK_EQ(openOnPeer(again), 0);
}

void secondSendBeforeWriteCompletesIsLost()
{
    Recorder rec;
    SerialEngine engine;
    rec.attach(engine);
    engine.set_read_size(kReadSize);
    // Hold the reader thread in PortOpened so the first write cannot complete in between.
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    rec.onOpened = [released] { released.wait_for(5s); };
    REQUIRE_EQ(openOnPeer(engine), 0);

    const Step& first = loopbackScript()[kx::wintest::kFirstOfTwoSends];
    const Step& second = loopbackScript()[kx::wintest::kSendAfterDataSent];
    engine.send(first.request.data(), static_cast<int>(first.request.size()));
    engine.send(second.request.data(), static_cast<int>(second.request.size()));
    release.set_value();

    // The peer checks that only the first arrived (the second would come before the next
    // step's request) and replies to it.
    CHECK(rec.waitFor(kx::DataReceived, 1));
    CHECK_EQ(rec.blocks(), std::vector<Bytes>{first.replyBytes()});
    CHECK_EQ(rec.count(kx::DataSent), 1);

    // After DataSent the engine takes the next block.
    playStep(engine, rec, kx::wintest::kSendAfterDataSent);
    CHECK_EQ(rec.count(kx::DataSent), 2);
}

void closeWhileOpenedHandlerRunsReturnsInTime()
{
    Recorder rec;
    std::promise<void> entered;
    std::atomic<int> opened{0};
    rec.onOpened = [&] {
        if (opened++ == 0) {
            entered.set_value();
            std::this_thread::sleep_for(3s);
        }
    };
    {
        SerialEngine engine;
        rec.attach(engine);
        engine.set_read_size(kReadSize);
        REQUIRE_EQ(openOnPeer(engine), 0);
        REQUIRE(entered.get_future().wait_for(2s) == std::future_status::ready);

        const auto started = Clock::now();
        engine.close_port();
        const long long took = msSince(started);
        if (!CHECK(took >= 1500 && took <= 2600))
            std::printf("      close_port took %lld ms\n", took);
        CHECK_EQ(rec.count(kx::PortClosed), 0);

        // Waits for the old thread, which ends at once after its handler.
        REQUIRE_EQ(openOnPeer(engine), 0);
        REQUIRE(rec.waitFor(kx::PortOpened, 2));
        CHECK_EQ(rec.count(kx::PortClosed), 1);
        playStep(engine, rec, kx::wintest::kAfterTimedOutClose);
    }
    CHECK_EQ(rec.sessions(), session(0, 0) + session(1, 1));
}

struct Case
{
    const char* name;
    void (*run)();
};

} // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const Case withoutPort[] = {
        {"port names", mapsPortNames},
        {"a failed open leaves the port closed", failedOpenLeavesPortClosed},
        {"read size", storesReadSize},
        {"close and send without an open", closedEngineIgnoresCloseAndSend},
    };
    // In the order of loopbackScript(): each plays the steps that follow the previous one's.
    const Case throughPort[] = {
        {"a session raises its events in order", sessionRaisesEventsInOrder},
        {"opens again after a close", opensAgainAfterClose},
        {"an open while open ends the running session", openWhileOpenEndsRunningSession},
        {"the destructor closes and waits for the handler", destructorClosesAndWaitsForHandler},
        {"a second send before the write completes is lost", secondSendBeforeWriteCompletesIsLost},
        {"close while the opened handler runs returns in time",
         closeWhileOpenedHandlerRunsReturnsInTime},
    };

    int passed = 0;
    int failed = 0;
    auto run = [&](const Case& c) {
        std::printf("%s\n", c.name);
        const int before = g_failedChecks;
        c.run();
        const bool ok = g_failedChecks == before;
        std::printf("  %s\n", ok ? "PASS" : "FAIL");
        (ok ? passed : failed) += 1;
    };
    for (const Case& c : withoutPort)
        run(c);
    if (argc > 1) {
        g_port = argv[1];
        std::printf("-- through %s\n", g_port.c_str());
        for (const Case& c : throughPort)
            run(c);
    } else {
        std::printf("-- no port given: the cases through a port were not run\n");
    }
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
