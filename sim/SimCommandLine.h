#pragma once
// kx350t-sim's command line: what it asks for, and the parser that reads it.
//
// The line is read by GNU getopt_long's rules, which users of command-line tools expect: options
// and stray arguments may come in any order (stray arguments are reported only once every option is
// good), "--" ends the options, a long option may be shortened to any unique prefix ("--lat 5"), a
// value follows as "--opt=v" or as the next argument, taken as it is even when it begins with '-',
// and an option given twice keeps its last value. The parser has no state of its own and neither
// prints nor exits.

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/SimDevice.h"

namespace kx::sim {

// The largest --latency and --hangup-after: a day.
constexpr unsigned long kMaxOptionMs = 24UL * 3600 * 1000;

struct SimCommandLine
{
    SimOptions device;
    std::string linkPath; // empty: no symbolic link
    std::optional<std::chrono::milliseconds> hangupAfter;
    bool verbose = false;
    bool help = false; // show usageText() and do nothing else
};

struct CommandLineResult
{
    std::optional<SimCommandLine> options; // set when the whole line was good
    std::string error; // otherwise what is wrong, one line without a program name
};

// The arguments without the program's name.
CommandLineResult parseCommandLine(const std::vector<std::string>& args);
// As main() receives them: argv[0] is the program's name and is skipped.
CommandLineResult parseCommandLine(int argc, const char* const* argv);

// The text --help shows, ending in a newline.
std::string_view usageText();

} // namespace kx::sim
