// The POSIX end of the Win32 engine test: makes a pseudo-terminal pair, maps a free COM port
// of the wine prefix onto its slave (a comN symlink in $WINEPREFIX/dosdevices), runs
// win_engine_test.exe under wine with that port, and plays the device of loopbackScript() on
// the master: each request must arrive byte for byte, then the reply goes back in its pieces.
//
// Usage: win_engine_peer PATH/win_engine_test.exe
// Environment: WINEPREFIX (default ~/.wine), KX_WINE (default "wine").
// Exit status 0 only if the test program passed and every request arrived as sent.

#include "LoopbackScript.h"
#include "serial/PtyPair.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

extern char** environ;

using namespace std::chrono_literals;
using kx::wintest::Bytes;
using kx::wintest::loopbackScript;
using kx::wintest::Step;
namespace fs = std::filesystem;

namespace {

// The first request waits for wine to start its services in the prefix.
constexpr auto kFirstRequestWait = 180s;
constexpr auto kRequestWait = 30s;
constexpr auto kProgramWait = 120s;

std::string hex(const Bytes& b)
{
    std::string out;
    char h[4];
    for (std::size_t i = 0; i < b.size() && i < 24; ++i) {
        std::snprintf(h, sizeof h, "%02X ", b[i]);
        out += h;
    }
    if (b.size() > 24)
        out += "... ";
    return out + "(" + std::to_string(b.size()) + " bytes)";
}

class WineProgram
{
public:
    bool start(const std::string& exe, const std::string& port)
    {
        const char* wine = std::getenv("KX_WINE");
        std::string wineCmd = wine && *wine ? wine : "wine";
        char* argv[] = {wineCmd.data(), const_cast<char*>(exe.c_str()),
                        const_cast<char*>(port.c_str()), nullptr};
        const int rc = posix_spawnp(&m_pid, wineCmd.c_str(), nullptr, nullptr, argv, environ);
        if (rc != 0) {
            std::fprintf(stderr, "peer: cannot start %s: %s\n", wineCmd.c_str(), std::strerror(rc));
            m_pid = -1;
        }
        return m_pid > 0;
    }

    // False once the program has ended; its status is kept.
    bool running()
    {
        if (m_pid <= 0)
            return false;
        if (waitpid(m_pid, &m_status, WNOHANG) == m_pid)
            m_pid = -1;
        return m_pid > 0;
    }

    // The program's exit status, or -1 if it had to be killed or did not exit normally.
    int finish(std::chrono::seconds limit)
    {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (running() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(50ms);
        if (running()) {
            std::fprintf(stderr, "peer: the test program did not end in time; killed\n");
            kill(m_pid, SIGKILL);
            waitpid(m_pid, &m_status, 0);
            m_pid = -1;
            return -1;
        }
        return WIFEXITED(m_status) ? WEXITSTATUS(m_status) : -1;
    }

private:
    pid_t m_pid = -1;
    int m_status = 0;
};

// What the engine wrote, until `count` bytes came, the time ran out or the program ended.
Bytes readRequest(kx::test::PtyPair& pty, std::size_t count, std::chrono::seconds limit,
                  WineProgram& program)
{
    Bytes got;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (got.size() < count && std::chrono::steady_clock::now() < deadline) {
        const Bytes part = pty.read(count - got.size(), 200ms);
        got.insert(got.end(), part.begin(), part.end());
        if (part.empty() && !program.running())
            break;
    }
    return got;
}

// The line the engine set up through SetCommState: 57600 bit/s, 8 bits, no parity, one stop
// bit, no flow control, raw. The master reports its slave's settings.
bool lineSettingsAsAsked(const kx::test::PtyPair& pty)
{
    termios tio{};
    if (!pty.slaveSettings(tio))
        return false;
    struct Expect
    {
        const char* what;
        bool ok;
    };
    const Expect checks[] = {
        {"57600 bit/s", cfgetispeed(&tio) == B57600 && cfgetospeed(&tio) == B57600},
        {"8 data bits", (tio.c_cflag & CSIZE) == CS8},
        {"no parity", (tio.c_cflag & PARENB) == 0},
        {"one stop bit", (tio.c_cflag & CSTOPB) == 0},
        {"no hardware flow control", (tio.c_cflag & CRTSCTS) == 0},
        {"no XON/XOFF", (tio.c_iflag & (IXON | IXOFF)) == 0},
        {"input not translated", (tio.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP)) == 0},
        {"output not processed", (tio.c_oflag & OPOST) == 0},
        {"no line editing, echo or signals", (tio.c_lflag & (ICANON | ECHO | ISIG)) == 0},
    };
    bool all = true;
    for (const Expect& e : checks) {
        if (!e.ok)
            std::printf("peer: FAIL line setting: %s\n", e.what);
        all = all && e.ok;
    }
    return all;
}

// The first free comN from 12 up: a port the bare name cannot reach, so the engine's mapping
// to the device namespace is what makes it work.
std::string freeComPort(const fs::path& dosdevices, fs::path& link)
{
    for (int n = 12; n < 256; ++n) {
        link = dosdevices / ("com" + std::to_string(n));
        std::error_code ec;
        if (!fs::is_symlink(link, ec) && !fs::exists(link, ec))
            return "COM" + std::to_string(n);
    }
    return {};
}

} // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s PATH/win_engine_test.exe\n", argv[0]);
        return 2;
    }
    const std::string exe = argv[1];

    fs::path prefix;
    if (const char* p = std::getenv("WINEPREFIX"); p && *p)
        prefix = p;
    else if (const char* home = std::getenv("HOME"))
        prefix = fs::path(home) / ".wine";
    // Made by wine when it sets the prefix up; made here, it would keep wine from adding the
    // drive letters.
    const fs::path dosdevices = prefix / "dosdevices";
    std::error_code ec;
    if (!fs::is_directory(dosdevices, ec)) {
        std::fprintf(stderr, "peer: no folder %s: run wineboot -i with this WINEPREFIX first\n",
                     dosdevices.c_str());
        return 2;
    }

    kx::test::PtyPair pty;
    if (!pty.valid()) {
        std::fprintf(stderr, "peer: no pseudo-terminal\n");
        return 2;
    }
    // Kept open throughout: with no slave open the master reads EIO and polls POLLHUP, which
    // would end the reads below between the engine's sessions. Its line settings stay as
    // they are: making the line raw is the engine's job, checked below.
    const int keptSlave = ::open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (keptSlave < 0) {
        std::fprintf(stderr, "peer: cannot open %s: %s\n", pty.slavePath().c_str(),
                     std::strerror(errno));
        return 2;
    }

    fs::path link;
    const std::string port = freeComPort(dosdevices, link);
    fs::create_symlink(pty.slavePath(), link, ec);
    if (port.empty() || ec) {
        std::fprintf(stderr, "peer: cannot make a COM port in %s: %s\n", dosdevices.c_str(),
                     ec.message().c_str());
        return 2;
    }
    std::printf("peer: %s is %s -> %s\n", port.c_str(), link.c_str(), pty.slavePath().c_str());

    WineProgram program;
    if (!program.start(exe, port)) {
        fs::remove(link, ec);
        return 2;
    }

    int failures = 0;
    const auto& script = loopbackScript();
    for (std::size_t i = 0; i < script.size(); ++i) {
        const Step& step = script[i];
        const Bytes got = readRequest(pty, step.request.size(),
                                      i == 0 ? kFirstRequestWait : kRequestWait, program);
        if (got != step.request) {
            std::printf("peer: FAIL %s: request\n  got:      %s\n  expected: %s\n", step.name,
                        hex(got).c_str(), hex(step.request).c_str());
            ++failures;
            break; // the two ends are out of step now
        }
        if (i == 0 && !lineSettingsAsAsked(pty))
            ++failures;
        for (const auto& piece : step.reply) {
            std::this_thread::sleep_for(std::chrono::milliseconds(piece.pauseBeforeMs));
            if (!pty.write(piece.bytes)) {
                std::printf("peer: FAIL %s: could not write the reply\n", step.name);
                ++failures;
            }
        }
        std::printf("peer: %s: request arrived, reply sent\n", step.name);
    }

    const int status = program.finish(kProgramWait);
    // Nothing may follow the last request (a block the engine should have dropped).
    if (failures == 0) {
        const Bytes extra = pty.read(1024, 100ms);
        if (!extra.empty()) {
            std::printf("peer: FAIL bytes after the last request: %s\n", hex(extra).c_str());
            ++failures;
        }
    }
    fs::remove(link, ec);
    ::close(keptSlave);

    std::printf("peer: test program exit status %d, %d failed check(s) at the peer\n", status,
                failures);
    return status == 0 && failures == 0 ? 0 : 1;
}
