#include "core/device/TextToNumber.h"

#include <algorithm>
#include <charconv>
#include <string>

namespace kx {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

} // namespace

std::optional<double> parseDecimal(std::string_view text, char sep)
{
    std::size_t b = 0;
    std::size_t e = text.size();
    while (b < e && isBlank(text[b]))
        ++b;
    while (e > b && isBlank(text[e - 1]))
        --e;
    std::string_view t = text.substr(b, e - b);

    // Rebuild the number in the form from_chars reads, checking its shape on the way.
    std::string plain;
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
        if (t[i] == '-')
            plain += '-';
        ++i;
    }
    int digits = 0;
    bool separator = false;
    for (; i < t.size(); ++i) {
        if (isDigit(t[i])) {
            plain += t[i];
            ++digits;
        } else if (t[i] == sep && !separator) {
            plain += '.';
            separator = true;
        } else {
            break;
        }
    }
    if (digits == 0)
        return std::nullopt;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        plain += 'e';
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-'))
            plain += t[i++];
        int expDigits = 0;
        for (; i < t.size() && isDigit(t[i]); ++i, ++expDigits)
            plain += t[i];
        if (expDigits == 0)
            return std::nullopt;
    }
    if (i != t.size())
        return std::nullopt;

    double value = 0;
    const auto res = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (res.ec != std::errc() || res.ptr != plain.data() + plain.size())
        return std::nullopt; // out of range of a double
    return value;
}

std::optional<int32_t> parseWholeNumber(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';

    int base = 10;
    if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    const std::string_view digits = text.substr(i);
    if (digits.empty())
        return std::nullopt;
    uint64_t magnitude = 0;
    const auto res = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude, base);
    if (res.ec != std::errc() || res.ptr != digits.data() + digits.size())
        return std::nullopt;

    if (base == 16) {
        if (magnitude > 0xFFFFFFFFull)
            return std::nullopt;
        const auto pattern = static_cast<int32_t>(static_cast<uint32_t>(magnitude));
        return negative ? static_cast<int32_t>(0u - static_cast<uint32_t>(pattern)) : pattern;
    }
    if (negative ? magnitude > 2147483648ull : magnitude > 2147483647ull)
        return std::nullopt;
    return negative ? static_cast<int32_t>(-static_cast<int64_t>(magnitude))
                    : static_cast<int32_t>(magnitude);
}

int32_t clampToDeviceLimits(Param p, int32_t typed)
{
    if (p == Param::LED)
        return std::clamp(typed, 0, kMaxLED);
    if (p == Param::decp)
        return std::clamp(typed, 0, kMaxDecp);
    return typed;
}

std::optional<int32_t> parseWholeNumberFor(Param p, std::string_view text)
{
    const auto n = parseWholeNumber(text);
    if (!n)
        return n;
    return clampToDeviceLimits(p, *n);
}

} // namespace kx
