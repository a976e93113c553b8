#include "core/text/Windows1250.h"

#include <algorithm>
#include <array>

namespace kx {

namespace {

// Windows-1250, bytes 0x80 to 0xFF; 0 where the code page has no character.
constexpr std::array<char16_t, 128> kUpperHalf = {
    0x20AC, 0,      0x201A, 0,      0x201E, 0x2026, 0x2020, 0x2021, 0,      0x2030, 0x0160, 0x2039,
    0x015A, 0x0164, 0x017D, 0x0179, 0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0,      0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, 0x00A0, 0x02C7, 0x02D8, 0x0141,
    0x00A4, 0x0104, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x0105, 0x015F, 0x00BB,
    0x013D, 0x02DD, 0x013E, 0x017C, 0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E, 0x0110, 0x0143, 0x0147, 0x00D3,
    0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, 0x010D, 0x00E9, 0x0119, 0x00EB,
    0x011B, 0x00ED, 0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9};

constexpr char32_t kMalformed = 0xFFFFFFFF;

// Decodes the UTF-8 sequence at `i` and moves past it. A malformed sequence gives kMalformed
// and moves past its longest valid beginning (at least one byte), so one '?' stands for it.
char32_t decodeUtf8(std::string_view s, std::size_t& i)
{
    const auto b0 = static_cast<unsigned char>(s[i++]);
    if (b0 < 0x80)
        return b0;
    int follow = 0;
    char32_t cp = 0;
    unsigned char lo = 0x80;
    unsigned char hi = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        follow = 1;
        cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        follow = 2;
        cp = b0 & 0x0F;
        lo = b0 == 0xE0 ? 0xA0 : 0x80; // no overlong forms
        hi = b0 == 0xED ? 0x9F : 0xBF; // no surrogates
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        follow = 3;
        cp = b0 & 0x07;
        lo = b0 == 0xF0 ? 0x90 : 0x80;
        hi = b0 == 0xF4 ? 0x8F : 0xBF; // nothing above U+10FFFF
    } else {
        return kMalformed;
    }
    for (int k = 0; k < follow; ++k) {
        if (i >= s.size())
            return kMalformed;
        const auto b = static_cast<unsigned char>(s[i]);
        if (b < lo || b > hi)
            return kMalformed;
        lo = 0x80;
        hi = 0xBF;
        cp = (cp << 6) | (b & 0x3F);
        ++i;
    }
    return cp;
}

char windows1250Byte(char32_t cp)
{
    if (cp < 0x80)
        return static_cast<char>(cp);
    for (std::size_t k = 0; k < kUpperHalf.size(); ++k) {
        if (kUpperHalf[k] != 0 && kUpperHalf[k] == cp)
            return static_cast<char>(0x80 + k);
    }
    return '?';
}

} // namespace

void appendWindows1250(std::string& out, std::string_view utf8)
{
    // Numbers and most captions are ASCII: copy them through.
    const auto firstHigh = std::find_if(
        utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    const auto plain = static_cast<std::size_t>(firstHigh - utf8.begin());
    out.append(utf8.substr(0, plain));
    for (std::size_t i = plain; i < utf8.size();)
        out += windows1250Byte(decodeUtf8(utf8, i));
}

std::string toWindows1250(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    appendWindows1250(out, utf8);
    return out;
}

} // namespace kx
