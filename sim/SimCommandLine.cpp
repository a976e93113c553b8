#include "sim/SimCommandLine.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdint>

namespace kx::sim {

namespace {

constexpr std::string_view kUsage = R"(Usage: kx350t-sim [OPTION]...
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
;

enum class Option
{
    Link,
    Seed,
    Verbose,
    Help,
    Latency,
    IgnoreFirst,
    DropEvery,
    BadChecksumEvery,
    Identity,
    Silent,
    HangupAfter,
};

// An option the simulator knows: its name, whether a value follows, and what it sets.
struct KnownOption
{
    std::string_view name; // without the leading "--"
    bool takesValue;
    Option option;
};

constexpr KnownOption kOptions[] = {
    {"link", true, Option::Link},
    {"seed", true, Option::Seed},
    {"verbose", false, Option::Verbose},
    {"help", false, Option::Help},
    {"latency", true, Option::Latency},
    {"ignore-first", true, Option::IgnoreFirst},
    {"drop-every", true, Option::DropEvery},
    {"bad-checksum-every", true, Option::BadChecksumEvery},
    {"identity", true, Option::Identity},
    {"silent", false, Option::Silent},
    {"hangup-after", true, Option::HangupAfter},
};

// The option named exactly, or else the only one the text begins; null when none or several.
const KnownOption* findOption(std::string_view typed)
{
    if (typed.empty())
        return nullptr;
    for (const KnownOption& known : kOptions)
        if (known.name == typed)
            return &known;
    const KnownOption* found = nullptr;
    for (const KnownOption& known : kOptions) {
        if (known.name.starts_with(typed)) {
            if (found)
                return nullptr;
            found = &known;
        }
    }
    return found;
}

// Digits only: no sign, no spaces, no base prefix, nothing after them.
std::optional<unsigned long> parseNumber(std::string_view text, unsigned long max)
{
    unsigned long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value > max)
        return std::nullopt;
    return value;
}

// name is the option as typed (it may be shortened); returns an error, or nothing when the
// value was taken.
std::optional<std::string> apply(Option option, const std::string& name, const std::string& value,
                                 SimCommandLine& line)
{
    std::optional<unsigned long> number;
    auto badValue = [&] { return "bad value for " + name + ": '" + value + "'"; };
    switch (option) {
    case Option::Link:
        if (value.empty())
            return "--link needs a path";
        line.linkPath = value;
        break;
    case Option::Seed:
        if (!(number = parseNumber(value, UINT32_MAX)))
            return badValue();
        line.device.seed = static_cast<uint32_t>(*number);
        break;
    case Option::Verbose:
        line.verbose = true;
        break;
    case Option::Help:
        line.help = true;
        break;
    case Option::Latency:
        if (!(number = parseNumber(value, kMaxOptionMs)))
            return badValue();
        line.device.latency = std::chrono::milliseconds(*number);
        break;
    case Option::IgnoreFirst:
    case Option::DropEvery:
    case Option::BadChecksumEvery:
        if (!(number = parseNumber(value, UINT_MAX)))
            return badValue();
        (option == Option::IgnoreFirst ? line.device.ignoreFirst
         : option == Option::DropEvery ? line.device.dropEvery
                                       : line.device.badChecksumEvery) =
            static_cast<unsigned>(*number);
        break;
    case Option::Identity:
        if (value.size() != 3)
            return "--identity needs exactly three characters, not '" + value + "'";
        for (char c : value)
            if (c < 0x20 || c > 0x7E)
                return std::string("--identity needs printable ASCII characters");
        std::copy(value.begin(), value.end(), line.device.identity.begin());
        break;
    case Option::Silent:
        line.device.silent = true;
        break;
    case Option::HangupAfter:
        if (!(number = parseNumber(value, kMaxOptionMs)))
            return badValue();
        line.hangupAfter = std::chrono::milliseconds(*number);
        break;
    }
    return std::nullopt;
}

CommandLineResult failure(std::string error)
{
    return {std::nullopt, std::move(error)};
}

std::string unknownOption(const std::string& name)
{
    return "unknown option '" + name + "'";
}

} // namespace

CommandLineResult parseCommandLine(const std::vector<std::string>& args)
{
    SimCommandLine line;
    std::optional<std::string> firstStray;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--") {
            if (!firstStray && i + 1 < args.size())
                firstStray = args[i + 1];
            break;
        }
        if (arg.size() < 2 || arg[0] != '-') {
            if (!firstStray)
                firstStray = arg;
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        if (arg[1] != '-') {
            // Single-letter options may be grouped; -h is the only one.
            if (arg.find_first_not_of('h', 1) != std::string::npos)
                return failure(unknownOption(name));
            line.help = true;
            continue;
        }
        const KnownOption* known = findOption(std::string_view(name).substr(2));
        if (!known)
            return failure(unknownOption(name));
        std::string value;
        if (known->takesValue) {
            if (equals != std::string::npos)
                value = arg.substr(equals + 1);
            else if (i + 1 < args.size())
                value = args[++i];
            else
                return failure("missing value for " + name);
        } else if (equals != std::string::npos) {
            return failure(unknownOption(name));
        }
        if (auto error = apply(known->option, name, value, line))
            return failure(std::move(*error));
    }
    if (firstStray)
        return failure("unexpected argument '" + *firstStray + "'");
    return {std::move(line), {}};
}

CommandLineResult parseCommandLine(int argc, const char* const* argv)
{
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.emplace_back(argv[i] ? argv[i] : "");
    return parseCommandLine(args);
}

std::string_view usageText()
{
    return kUsage;
}

} // namespace kx::sim
