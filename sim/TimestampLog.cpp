#include "sim/TimestampLog.h"

#include <charconv>

namespace kx::sim {

std::string timestampedLine(SimClock::duration sinceStart, std::string_view text)
{
    constexpr std::size_t kWidth = 10;
    char number[64];
    const double seconds = std::chrono::duration<double>(sinceStart).count();
    const auto result =
        std::to_chars(number, number + sizeof number, seconds, std::chars_format::fixed, 3);
    const std::string_view digits(number, static_cast<std::size_t>(result.ptr - number));
    std::string line = "[";
    if (digits.size() < kWidth)
        line.append(kWidth - digits.size(), ' ');
    line += digits;
    line += "] ";
    line += text;
    line += '\n';
    return line;
}

TimestampLog::TimestampLog(std::FILE* out, SimTime start) : m_out(out), m_start(start) {}

void TimestampLog::write(std::string_view text) const
{
    const std::string line = timestampedLine(SimClock::now() - m_start, text);
    std::fwrite(line.data(), 1, line.size(), m_out);
}

SimDevice::Logger TimestampLog::logger() const
{
    return [this](const std::string& text) { write(text); };
}

} // namespace kx::sim
