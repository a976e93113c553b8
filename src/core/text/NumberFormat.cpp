#include "core/text/NumberFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "core/text/RoundTo3.h"

namespace kx {

namespace {

constexpr int kSignificant = 15;

std::string notFinite(double value)
{
    if (std::isnan(value))
        return "NAN";
    return value < 0 ? "-INF" : "INF";
}

} // namespace

std::string formatGeneral(double value, char sep)
{
    if (!std::isfinite(value))
        return notFinite(value);
    if (value == 0)
        return "0";

    // d.dddddddddddddde±X: the 15 significant digits, already rounded, and the exponent.
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value),
                                   std::chars_format::scientific, kSignificant - 1);
    const std::string sci(buf, res.ptr);
    const auto ePos = sci.find('e');
    std::string digits = sci.substr(0, 1) + sci.substr(2, ePos - 2);
    const int exponent = std::atoi(sci.c_str() + ePos + 1);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string out = value < 0 ? "-" : "";
    if (exponent < -5 || exponent >= kSignificant) {
        out += digits[0];
        if (digits.size() > 1)
            out += sep + digits.substr(1);
        out += 'E';
        if (exponent < 0)
            out += '-';
        out += std::to_string(std::abs(exponent));
    } else if (exponent >= 0) {
        const auto intDigits = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() <= intDigits) {
            out += digits + std::string(intDigits - digits.size(), '0');
        } else {
            out += digits.substr(0, intDigits) + sep + digits.substr(intDigits);
        }
    } else {
        out += std::string("0") + sep + std::string(static_cast<std::size_t>(-exponent - 1), '0') +
               digits;
    }
    return out;
}

std::string formatRoundedTo3(double value, char sep)
{
    return formatGeneral(RoundTo3(value), sep);
}

std::string CommaDecimal(std::string text)
{
    std::replace(text.begin(), text.end(), '.', ',');
    return text;
}

std::string formatFixed(double value, int precision, int width)
{
    std::string out;
    if (!std::isfinite(value)) {
        out = notFinite(value);
    } else {
        char buf[400];
        const auto res =
            std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, precision);
        out.assign(buf, res.ptr);
    }
    if (static_cast<int>(out.size()) < width)
        out.insert(0, static_cast<std::size_t>(width) - out.size(), ' ');
    return out;
}

} // namespace kx
