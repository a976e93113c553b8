#include "core/settings/SettingsFile.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <variant>

namespace kx {

namespace {

struct LineSetting
{
    int index;
};

using Target =
    std::variant<bool Settings::*, int32_t Settings::*, std::string Settings::*, LineSetting>;

struct Line
{
    const char* key;
    Target target;
};

const std::array<Line, kSettingsLines>& table()
{
    static const std::array<Line, kSettingsLines> lines{{
        {"Cz_0", &Settings::Cz_0},
        {"Cz_1", &Settings::Cz_1},
        {"Cz_2", &Settings::Cz_2},
        {"Real_Time_Sample", &Settings::Real_Time_Sample},
        {"Sample_rate", &Settings::Sample_rate},
        {"Paging", &Settings::Paging},
        {"Paging_tracking", &Settings::Paging_tracking},
        {"Sample_per_page", &Settings::Sample_per_page},
        {"Autorejestracja", &Settings::Autorejestracja},
        {"Rejestracja_Cz0", &Settings::Rejestracja_Cz0},
        {"Rejestracja_Cz1", &Settings::Rejestracja_Cz1},
        {"Rejestracja_Cz2", &Settings::Rejestracja_Cz2},
        {"Rejestracja_PK1", &Settings::Rejestracja_PK1},
        {"Rejestracja_PK2", &Settings::Rejestracja_PK2},
        {"Rejestracja_data", &Settings::Rejestracja_data},
        {"Rejestracja_godz", &Settings::Rejestracja_godz},
        {"Rejestracja_czas", &Settings::Rejestracja_czas},
        // The same box again under another key; files in the field carry both lines.
        {"Rejestracja_data", &Settings::Rejestracja_czas},
        {"Rejestracja_index", &Settings::Rejestracja_index},
        {"Rejestracja_kolor", &Settings::Rejestracja_kolor},
        {"domyslny_port_com", &Settings::PortName},
        {"Wykres_PK1_H", LineSetting{0}},
        {"Wykres_PK1_F", LineSetting{1}},
        {"Wykres_PK2_H", LineSetting{2}},
        {"Wykres_PK2_F", LineSetting{3}},
        {"Wykres_PK3_H", LineSetting{4}},
        {"Wykres_PK3_F", LineSetting{5}},
        {"Wykres_PK4_H", LineSetting{6}},
        {"Wykres_PK4_F", LineSetting{7}},
    }};
    return lines;
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

class Words
{
public:
    explicit Words(std::string_view text) : m_text(text) {}

    std::optional<std::string_view> next()
    {
        while (m_pos < m_text.size() && isSpace(m_text[m_pos]))
            ++m_pos;
        if (m_pos == m_text.size())
            return std::nullopt;
        const std::size_t begin = m_pos;
        while (m_pos < m_text.size() && !isSpace(m_text[m_pos]))
            ++m_pos;
        return m_text.substr(begin, std::min(m_pos - begin, Settings::kMaxWordLength));
    }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

// The lines that carry settings: CR LF, LF and a lone CR each end a line, and a line of
// blanks only carries none, so neither the line ends nor blank lines shift a setting.
class Lines
{
public:
    explicit Lines(std::string_view text) : m_text(text) {}

    std::optional<std::string_view> next()
    {
        while (m_pos < m_text.size()) {
            const std::size_t begin = m_pos;
            while (m_pos < m_text.size() && !isLineEnd(m_text[m_pos]))
                ++m_pos;
            const std::string_view line = m_text.substr(begin, m_pos - begin);
            while (m_pos < m_text.size() && isLineEnd(m_text[m_pos]))
                ++m_pos;
            if (Words(line).next())
                return line;
        }
        return std::nullopt;
    }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

std::optional<int32_t> wholeDecimal(std::string_view word)
{
    if (!word.empty() && word.front() == '+')
        word.remove_prefix(1);
    int32_t value = 0;
    const auto res = std::from_chars(word.data(), word.data() + word.size(), value, 10);
    if (word.empty() || res.ec != std::errc() || res.ptr != word.data() + word.size())
        return std::nullopt;
    return value;
}

int32_t samplesPerPage(int32_t value)
{
    const auto asShort = static_cast<int16_t>(static_cast<uint16_t>(value & 0xFFFF));
    return std::clamp<int32_t>(asShort, kMinSamplesPerPage, kMaxSamplesPerPage);
}

// The port must stay one word: the reader takes a line without a value, or with a blank
// inside it, as bad, and the next start would fall back to the default port.
std::string portWord(const std::string& name)
{
    std::string word;
    for (char c : name)
        if (!isSpace(c))
            word += c;
    if (word.empty())
        return kDefaultPortName;
    return word.substr(0, Settings::kMaxWordLength);
}

// The value of one line into its setting; a value that does not fit changes nothing.
void apply(Settings& s, const Line& line, std::string_view value)
{
    if (auto* text = std::get_if<std::string Settings::*>(&line.target)) {
        s.*(*text) = std::string(value);
        return;
    }
    const auto number = wholeDecimal(value);
    if (!number)
        return;
    if (auto* check = std::get_if<bool Settings::*>(&line.target)) {
        s.*(*check) = *number != 0;
    } else if (auto* integer = std::get_if<int32_t Settings::*>(&line.target)) {
        if (*integer == &Settings::Sample_rate)
            s.Sample_rate = std::clamp(*number, kMinSamplingPeriodMs, kMaxSamplingPeriodMs);
        else if (*integer == &Settings::Sample_per_page)
            s.Sample_per_page = samplesPerPage(*number);
        else
            s.*(*integer) = *number;
    } else {
        s.LineSettings[std::get<LineSetting>(line.target).index] = *number;
    }
}

} // namespace

const std::array<const char*, kSettingsLines>& settingsKeys()
{
    static const std::array<const char*, kSettingsLines> keys = [] {
        std::array<const char*, kSettingsLines> k{};
        for (int i = 0; i < kSettingsLines; ++i)
            k[i] = table()[i].key;
        return k;
    }();
    return keys;
}

Settings readSettings(std::string_view content, const Settings& start)
{
    Settings s = start;
    Lines lines(content);
    for (const Line& line : table()) {
        const auto text = lines.next();
        if (!text)
            break;
        Words words(*text);
        words.next(); // the key
        const auto value = words.next();
        // A line of another shape leaves its setting as it was; the next line is read all
        // the same.
        if (value && !words.next())
            apply(s, line, *value);
    }
    return s;
}

std::string writeSettings(const Settings& s)
{
    std::string out;
    for (const Line& line : table()) {
        out += line.key;
        out += "= ";
        std::visit(
            [&](const auto& target) {
                using T = std::decay_t<decltype(target)>;
                if constexpr (std::is_same_v<T, bool Settings::*>)
                    out += s.*target ? "1" : "0";
                else if constexpr (std::is_same_v<T, int32_t Settings::*>)
                    out += std::to_string(s.*target);
                else if constexpr (std::is_same_v<T, std::string Settings::*>)
                    out += portWord(s.*target);
                else
                    out += std::to_string(s.LineSettings[target.index]);
            },
            line.target);
        out += "\r\n";
    }
    return out;
}

} // namespace kx
