// kx350t-sim: a KX350T on a pseudo-terminal, for the program to connect to as to a real port.

#include <cstdio>
#include <string>
#include <string_view>

#include "sim/PseudoTerminal.h"
#include "sim/SimCommandLine.h"
#include "sim/SimDevice.h"
#include "sim/SimLoop.h"
#include "sim/TerminalLink.h"
#include "sim/TimestampLog.h"

namespace {

constexpr int kExitUsage = 2;
constexpr int kExitFailure = 1;

} // namespace

int main(int argc, char** argv)
{
    const kx::sim::CommandLineResult parsed = kx::sim::parseCommandLine(argc, argv);
    if (!parsed.options) {
        std::fprintf(stderr, "kx350t-sim: %s\nTry 'kx350t-sim --help'.\n", parsed.error.c_str());
        return kExitUsage;
    }
    const kx::sim::SimCommandLine& options = *parsed.options;
    if (options.help) {
        const std::string_view usage = kx::sim::usageText();
        std::fwrite(usage.data(), 1, usage.size(), stdout);
        return 0;
    }

    std::string error;
    const int stopFd = kx::sim::installStopSignals(error);
    if (stopFd < 0) {
        std::fprintf(stderr, "kx350t-sim: %s\n", error.c_str());
        return kExitFailure;
    }
    kx::sim::PseudoTerminal pty;
    if (!pty.open(error)) {
        std::fprintf(stderr, "kx350t-sim: cannot open a pseudo-terminal: %s\n", error.c_str());
        return kExitFailure;
    }
    kx::sim::TerminalLink link;
    if (!options.linkPath.empty() && !link.create(options.linkPath, pty.slavePath(), error)) {
        std::fprintf(stderr, "kx350t-sim: %s\n", error.c_str());
        return kExitFailure;
    }
    std::printf("%s\n", pty.slavePath().c_str());
    std::fflush(stdout);

    const kx::sim::TimestampLog log(stderr);
    kx::sim::SimDevice device(options.device);
    const kx::sim::SimDevice::Logger logger = options.verbose ? log.logger() : nullptr;
    device.setLogger(logger);
    kx::sim::SimLoop loop(pty.masterFd(), device, stopFd, options.hangupAfter, logger);
    // A failed poll ends the run like a hang-up: the terminal goes away and the status is 0.
    if (!loop.run(error))
        std::fprintf(stderr, "kx350t-sim: %s\n", error.c_str());

    link.remove();
    pty.close();
    return 0;
}
