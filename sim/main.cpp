// kx350t-sim: a KX350T on a pseudo-terminal, for the program to connect to as to a real port.

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <getopt.h>
#include <optional>
#include <poll.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "sim/PseudoTerminal.h"
#include "sim/SimDevice.h"

using namespace std::chrono;
using kx::sim::SimClock;
using kx::sim::SimTime;

namespace {

constexpr int kExitUsage = 2;
constexpr int kExitFailure = 1;
// Output waiting for a program that does not read is capped; beyond it answers are lost.
constexpr std::size_t kMaxUnsent = 64 * 1024;

const char* const kUsage = R"(Usage: kx350t-sim [OPTION]...
A simulated KX350T measuring device on a pseudo-terminal. The first line on standard output
is the path of the terminal for the program to open, e.g. /dev/pts/7. The simulator runs
until SIGINT, SIGTERM or SIGHUP (exit status 0); the program may connect and disconnect as
often as it likes.

Options:
  --link PATH             also make PATH a symbolic link to the terminal (an existing
                          symbolic link is replaced); removed at exit
  --seed N                seed of the measurement noise (default 350); equal seeds give
                          equal runs
  --verbose               log every request and answer on standard error
  --help                  show this text and exit

Misbehaviour, for tests and demos:
  --latency MS            send each answer MS milliseconds after its request arrived
  --ignore-first K        leave the first K requests unanswered
  --drop-every N          leave every N-th answer unsent (replies and measurement frames)
  --bad-checksum-every N  send every N-th 8-byte reply with a wrong checksum
                          (measurement frames carry no checksum and are not counted)
  --identity ABC          identify as the three characters ABC instead of KT5
  --silent                send nothing at all (writes still take effect)
  --hangup-after MS       close the terminal MS milliseconds after start and exit with
                          status 0: the program sees the line go away

The device: identity KT5, hardware version 12, software version 105.
Defaults: mode 1, decp 2, Beep 0, P1 (PK1) 5, P2 (PK2) 15, LED 5, OFFSET 0, COEF 1,
D0 10, D1 20, D2 20, a1 0, a2 0, b1 0, b2 0, filter 1, VoltageRange 0.
A read returns the value, a write stores it and returns what was stored; LED is kept
within 0..9 and decp within 0..6. A write of command 36 restores the defaults.
Measurement (command 7): the raw channel values r1, r2 (0..10, like a 0-10 V input) follow
5 + 4.5 sin(2 pi t / 10 s), r2 lagging by 0.6 rad, plus a little seeded noise. The program
shows X1 = r1 * D1 * 0.1 and X2 = r2 * D2 * 0.1; Y = COEF * (D0 + X1 + X2) + OFFSET.
In mode 1 output PK1 is on while Y > P1 and PK2 while Y > P2; otherwise both are off.
Requests with a bad checksum or an unknown command number get no reply.

Exit status: 0 after a signal or a hang-up, 1 when the terminal cannot be set up,
2 for a wrong command line.
)";

struct Config
{
    kx::sim::SimOptions device;
    std::string linkPath;
    std::optional<milliseconds> hangupAfter;
    bool verbose = false;
};

std::optional<unsigned long> parseNumber(std::string_view text, unsigned long max)
{
    unsigned long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value > max)
        return std::nullopt;
    return value;
}

// Returns an error message, or nothing when the line was good.
std::optional<std::string> parseArguments(int argc, char** argv, Config& config, bool& help)
{
    enum
    {
        kLink = 256,
        kSeed,
        kVerbose,
        kHelp,
        kLatency,
        kIgnoreFirst,
        kDropEvery,
        kBadChecksumEvery,
        kIdentity,
        kSilent,
        kHangupAfter,
    };
    static const option kOptions[] = {
        {"link", required_argument, nullptr, kLink},
        {"seed", required_argument, nullptr, kSeed},
        {"verbose", no_argument, nullptr, kVerbose},
        {"help", no_argument, nullptr, kHelp},
        {"latency", required_argument, nullptr, kLatency},
        {"ignore-first", required_argument, nullptr, kIgnoreFirst},
        {"drop-every", required_argument, nullptr, kDropEvery},
        {"bad-checksum-every", required_argument, nullptr, kBadChecksumEvery},
        {"identity", required_argument, nullptr, kIdentity},
        {"silent", no_argument, nullptr, kSilent},
        {"hangup-after", required_argument, nullptr, kHangupAfter},
        {nullptr, 0, nullptr, 0},
    };
    constexpr unsigned long kMaxMs = 24UL * 3600 * 1000;
    opterr = 0;
    for (;;) {
        const int previous = optind;
        const int opt = getopt_long(argc, argv, ":h", kOptions, nullptr);
        if (opt == -1)
            break;
        std::string name = previous < argc ? argv[previous] : "";
        name = name.substr(0, name.find('='));
        const std::string arg = optarg ? optarg : "";
        std::optional<unsigned long> value;
        auto badValue = [&] { return "bad value for " + name + ": '" + arg + "'"; };
        switch (opt) {
        case kLink:
            if (arg.empty())
                return "--link needs a path";
            config.linkPath = arg;
            break;
        case kSeed:
            if (!(value = parseNumber(arg, UINT32_MAX)))
                return badValue();
            config.device.seed = static_cast<uint32_t>(*value);
            break;
        case kVerbose:
            config.verbose = true;
            break;
        case 'h':
        case kHelp:
            help = true;
            break;
        case kLatency:
            if (!(value = parseNumber(arg, kMaxMs)))
                return badValue();
            config.device.latency = milliseconds(*value);
            break;
        case kIgnoreFirst:
        case kDropEvery:
        case kBadChecksumEvery:
            if (!(value = parseNumber(arg, UINT_MAX)))
                return badValue();
            (opt == kIgnoreFirst ? config.device.ignoreFirst
             : opt == kDropEvery ? config.device.dropEvery
                                 : config.device.badChecksumEvery) = static_cast<unsigned>(*value);
            break;
        case kIdentity:
            if (arg.size() != 3)
                return "--identity needs exactly three characters, not '" + arg + "'";
            for (char c : arg)
                if (c < 0x20 || c > 0x7E)
                    return std::string("--identity needs printable ASCII characters");
            std::copy(arg.begin(), arg.end(), config.device.identity.begin());
            break;
        case kSilent:
            config.device.silent = true;
            break;
        case kHangupAfter:
            if (!(value = parseNumber(arg, kMaxMs)))
                return badValue();
            config.hangupAfter = milliseconds(*value);
            break;
        case ':':
            return "missing value for " + name;
        default:
            return "unknown option '" + name + "'";
        }
    }
    if (optind < argc)
        return "unexpected argument '" + std::string(argv[optind]) + "'";
    return std::nullopt;
}

int g_signalPipe[2] = {-1, -1};

void onSignal(int sig)
{
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(sig);
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
    errno = saved;
}

bool installSignals(std::string& error)
{
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        error = std::string("pipe2: ") + std::strerror(errno);
        return false;
    }
    struct sigaction sa
    {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(sig, &sa, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
    return true;
}

// Makes linkPath point at target; only a symbolic link may be replaced.
bool makeLink(const std::string& linkPath, const std::string& target, std::string& error)
{
    struct stat st
    {};
    if (::lstat(linkPath.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            error = linkPath + " exists and is not a symbolic link";
            return false;
        }
        ::unlink(linkPath.c_str());
    }
    if (::symlink(target.c_str(), linkPath.c_str()) != 0) {
        error = "symlink " + linkPath + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

// Removes the link only while it still points at our terminal: another simulator may have
// taken the name over.
void removeLink(const std::string& linkPath, const std::string& target)
{
    char buf[PATH_MAX];
    const ssize_t n = ::readlink(linkPath.c_str(), buf, sizeof buf);
    if (n >= 0 && std::string_view(buf, static_cast<std::size_t>(n)) == target)
        ::unlink(linkPath.c_str());
}

int pollTimeout(SimTime now, std::optional<SimTime> a, std::optional<SimTime> b)
{
    std::optional<SimTime> next = a;
    if (b && (!next || *b < *next))
        next = b;
    if (!next)
        return -1;
    if (*next <= now)
        return 0;
    const auto ms = ceil<milliseconds>(*next - now).count();
    return ms > INT_MAX ? INT_MAX : static_cast<int>(ms);
}

class Loop
{
public:
    Loop(kx::sim::PseudoTerminal& pty, kx::sim::SimDevice& device, const Config& config)
        : m_pty(pty), m_device(device), m_config(config), m_start(SimClock::now())
    {}

    void run()
    {
        std::optional<SimTime> hangupAt;
        if (m_config.hangupAfter)
            hangupAt = m_start + *m_config.hangupAfter;
        for (;;) {
            SimTime now = SimClock::now();
            if (hangupAt && now >= *hangupAt) {
                verbose("hanging up");
                return;
            }
            queueDue(now);
            flush();

            std::optional<SimTime> wake = m_device.nextSendTime();
            const bool masterResting = m_masterRestUntil && now < *m_masterRestUntil;
            if (masterResting && (!wake || *m_masterRestUntil < *wake))
                wake = m_masterRestUntil;
            pollfd fds[2] = {{g_signalPipe[0], POLLIN, 0}, {m_pty.masterFd(), 0, 0}};
            if (!masterResting)
                fds[1].events = static_cast<short>(POLLIN | (m_unsent.empty() ? 0 : POLLOUT));
            else
                fds[1].fd = -1;
            const int rc = ::poll(fds, 2, pollTimeout(now, wake, hangupAt));
            if (rc < 0) {
                if (errno == EINTR)
                    continue;
                std::fprintf(stderr, "kx350t-sim: poll: %s\n", std::strerror(errno));
                return;
            }
            if (fds[0].revents & POLLIN) {
                unsigned char sig = 0;
                if (::read(g_signalPipe[0], &sig, 1) == 1)
                    verbose("stopping on signal " + std::to_string(sig));
                return;
            }
            if (fds[1].revents & POLLIN)
                readMaster();
            else if (fds[1].revents & (POLLHUP | POLLERR))
                restMaster();
        }
    }

private:
    void readMaster()
    {
        uint8_t buf[4096];
        for (;;) {
            const ssize_t n = ::read(m_pty.masterFd(), buf, sizeof buf);
            if (n > 0) {
                m_device.receive(std::span<const uint8_t>(buf, static_cast<std::size_t>(n)));
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno != EAGAIN)
                restMaster();
            return;
        }
    }

    // The slave we keep open should prevent a hang-up on the master; should one happen anyway,
    // look again a little later rather than spin on it.
    void restMaster()
    {
        m_masterRestUntil = SimClock::now() + milliseconds(50);
        m_unsent.clear();
    }

    void queueDue(SimTime now)
    {
        const std::vector<uint8_t> due = m_device.takeDue(now);
        if (m_unsent.size() + due.size() > kMaxUnsent) {
            verbose("nobody reads: " + std::to_string(due.size()) + " byte(s) lost");
            return;
        }
        m_unsent.insert(m_unsent.end(), due.begin(), due.end());
    }

    void flush()
    {
        while (!m_unsent.empty()) {
            const ssize_t n = ::write(m_pty.masterFd(), m_unsent.data(), m_unsent.size());
            if (n > 0) {
                m_unsent.erase(m_unsent.begin(), m_unsent.begin() + n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno != EAGAIN)
                restMaster();
            return;
        }
    }

    void verbose(const std::string& line) const
    {
        if (!m_config.verbose)
            return;
        const double t = duration<double>(SimClock::now() - m_start).count();
        std::fprintf(stderr, "[%10.3f] %s\n", t, line.c_str());
    }

    kx::sim::PseudoTerminal& m_pty;
    kx::sim::SimDevice& m_device;
    const Config& m_config;
    SimTime m_start;
    std::vector<uint8_t> m_unsent;
    std::optional<SimTime> m_masterRestUntil;
};

} // namespace

int main(int argc, char** argv)
{
    Config config;
    bool help = false;
    if (const auto error = parseArguments(argc, argv, config, help)) {
        std::fprintf(stderr, "kx350t-sim: %s\nTry 'kx350t-sim --help'.\n", error->c_str());
        return kExitUsage;
    }
    if (help) {
        std::fputs(kUsage, stdout);
        return 0;
    }

    std::string error;
    if (!installSignals(error)) {
        std::fprintf(stderr, "kx350t-sim: %s\n", error.c_str());
        return kExitFailure;
    }
    kx::sim::PseudoTerminal pty;
    if (!pty.open(error)) {
        std::fprintf(stderr, "kx350t-sim: cannot open a pseudo-terminal: %s\n", error.c_str());
        return kExitFailure;
    }
    if (!config.linkPath.empty() && !makeLink(config.linkPath, pty.slavePath(), error)) {
        std::fprintf(stderr, "kx350t-sim: %s\n", error.c_str());
        return kExitFailure;
    }
    std::printf("%s\n", pty.slavePath().c_str());
    std::fflush(stdout);

    kx::sim::SimDevice device(config.device);
    const SimTime start = SimClock::now();
    if (config.verbose)
        device.setLogger([start](const std::string& line) {
            const double t = duration<double>(SimClock::now() - start).count();
            std::fprintf(stderr, "[%10.3f] %s\n", t, line.c_str());
        });

    Loop(pty, device, config).run();

    if (!config.linkPath.empty())
        removeLink(config.linkPath, pty.slavePath());
    pty.close();
    return 0;
}
