#include "core/register/RegisterFile.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <vector>

#include "core/text/NumberFormat.h"

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

void appendPadCell(std::string& out, int width, std::string_view text)
{
    out += '|';
    const long long spaces =
        static_cast<long long>(width) - 3 - static_cast<long long>(text.size());
    if (spaces > 0)
        out.append(static_cast<std::size_t>(spaces), ' ');
    out += text;
    out += " |";
}

char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return asciiLower(x) == asciiLower(y);
           });
}

std::string_view extensionOf(RegisterFileFormat format)
{
    return format == RegisterFileFormat::Excel ? ".xls" : ".txt";
}

int64_t floorSecond(int64_t ms)
{
    return ms / 1000 - (ms % 1000 < 0 ? 1 : 0);
}

// The caller's stamp texts, asked once per second of stamps: registrations come many a
// second, and the platform's formatting is far slower than the rest of a line.
class CachedStamps
{
public:
    explicit CachedStamps(const StampFormat& stamps)
    {
        if (stamps.date)
            m_format.date = [this, f = stamps.date](int64_t ms) { return m_date.get(f, ms); };
        if (stamps.time)
            m_format.time = [this, f = stamps.time](int64_t ms) { return m_time.get(f, ms); };
    }
    CachedStamps(const CachedStamps&) = delete;
    CachedStamps& operator=(const CachedStamps&) = delete;

    const StampFormat& format() const { return m_format; }

private:
    struct Cache
    {
        bool valid = false;
        int64_t second = 0;
        std::string text;

        const std::string& get(const std::function<std::string(int64_t)>& f, int64_t ms)
        {
            const int64_t s = floorSecond(ms);
            if (!valid || s != second) {
                text = f(ms);
                second = s;
                valid = true;
            }
            return text;
        }
    };
    Cache m_date;
    Cache m_time;
    StampFormat m_format;
};

// Collects the file's bytes and hands them on in chunks of about kChunk bytes.
class ChunkWriter
{
public:
    explicit ChunkWriter(const ChunkSink& sink) : m_sink(sink), m_ok(bool(sink))
    {
        m_buffer.reserve(kChunk + 4096);
    }

    std::string& buffer() { return m_buffer; }
    bool ok() const { return m_ok; }

    // Text given in UTF-8.
    void text(std::string_view utf8) { appendWindows1250(m_buffer, utf8); }
    void bytes(std::string_view b) { m_buffer += b; }
    void endLine()
    {
        m_buffer += "\r\n";
        if (m_buffer.size() >= kChunk)
            flush();
    }
    bool finish()
    {
        flush();
        return m_ok;
    }

private:
    static constexpr std::size_t kChunk = 64 * 1024;

    void flush()
    {
        if (m_ok && !m_buffer.empty())
            m_ok = m_sink(m_buffer);
        m_buffer.clear();
    }

    const ChunkSink& m_sink;
    std::string m_buffer;
    bool m_ok;
};

std::string decimal(long long n)
{
    return std::to_string(n);
}

// printf("%g"): at most 6 significant digits, the shorter notation, trailing zeros dropped,
// a decimal point whatever the locale.
std::string sixDigits(double value)
{
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 6);
    return std::string(buf, res.ptr);
}

// printf("%3f") of the samples per second.
std::string rate(int32_t periodMs)
{
    return formatFixed(1000.0 / periodMs, 6, 3);
}

// Appends a cell's file text to `out`. Only column 0 can hold more than ASCII (the caller's
// date and time texts); the others are numbers, dashes and "0"/"1", written as they are.
void appendFileCell(std::string& out, std::string& scratch, const Registration& registration,
                    std::size_t number, int column, const StampFormat& stamps)
{
    if (column != RegisterColumnIndex) {
        appendRegisterCell(out, registration, number, column, stamps);
        return;
    }
    scratch.clear();
    appendRegisterCell(scratch, registration, number, column, stamps);
    appendWindows1250(out, scratch);
}

struct Column
{
    int column;
    int width; // in the text table
};

std::vector<Column> writtenColumns(const ActiveValues& active, int indexWidth)
{
    std::vector<Column> columns{{RegisterColumnIndex, indexWidth}, {RegisterColumnTime, 15}};
    if (active.y)
        columns.push_back({RegisterColumnY, 15});
    if (active.x1)
        columns.push_back({RegisterColumnX1, 15});
    if (active.x2)
        columns.push_back({RegisterColumnX2, 15});
    columns.push_back({RegisterColumnPK1, 8});
    columns.push_back({RegisterColumnPK2, 8});
    return columns;
}

void writeSpreadsheet(ChunkWriter& out, const RegisterFileHeader& h, const RegisterRows& rows,
                      const StampFormat& stamps)
{
    const int32_t period = MeasurementScheduler::effectivePeriod(h.sampling.periodMs);
    const auto line = [&out](std::string_view utf8) {
        out.text(utf8);
        out.endLine();
    };
    line("typ urządzenia=\t" + h.typeName);
    line("data pomiaru=\t" + h.date);
    line("godzina pomiaru= \t" + h.time);
    line("czas trwania pomiaru=\t" + formatGeneral(h.durationSeconds, ',') + "\t [s]");
    line("Ilosc próbek=\t" + decimal(static_cast<long long>(rows.size())));
    if (!h.sampling.continuous) {
        line("Okres próbkowania= \t" + decimal(period) + "\t [ms]");
        line("Częstotliwość próbkowania=\t" + CommaDecimal(rate(period)) + "\t[próbek/sek]");
    } else {
        line("Częstotliwość próbkowania=[real time]");
    }
    line("");
    line("");

    std::string header = "Index\tCzas [s]\t";
    if (h.active.y)
        header += "Y (wartość mierzona)\t";
    if (h.active.x1)
        header += "X1 (kanał 1)\t";
    if (h.active.x2)
        header += "X2 (kanał 2)\t";
    line(header + "PK1\tPK2\t");

    const std::vector<Column> columns = writtenColumns(h.active, 0);
    std::string cell;
    for (std::size_t r = 0; r < rows.size() && out.ok(); ++r) {
        for (const Column& c : columns) {
            appendFileCell(out.buffer(), cell, rows[r], r, c.column, stamps);
            out.bytes("\t");
        }
        out.endLine();
    }
}

void writeTextTable(ChunkWriter& out, const RegisterFileHeader& h, const RegisterRows& rows,
                    const StampFormat& stamps)
{
    const int32_t period = MeasurementScheduler::effectivePeriod(h.sampling.periodMs);
    const auto line = [&out](std::string_view utf8) {
        out.text(utf8);
        out.endLine();
    };
    line("typ urządzenia= \t" + h.typeName);
    line("data pomiaru= \t\t\"" + h.date + "\"");
    line("godzina pomiaru= \t\"" + h.time + "\"");
    line("czas trwania pomiaru= \t" + sixDigits(h.durationSeconds) + " [s]");
    line("Ilosc próbek= \t\t" + decimal(static_cast<long long>(rows.size())));
    if (!h.sampling.continuous) {
        line("Okres próbkowania= \t" + decimal(period) + " [ms]");
        line("Częstotliwość próbkowania= \t" + rate(period) + "\t [próbek / sek]");
    } else {
        line("Częstotliwość próbkowania= [real time]");
    }
    for (int k = 0; k < 4; ++k)
        line("");

    std::string cell;
    std::string encoded;
    // The first registration's column 0 sets the first column's width for every line.
    if (!rows.empty())
        appendFileCell(encoded, cell, rows[0], 0, RegisterColumnIndex, stamps);
    const int indexWidth =
        static_cast<int>(std::clamp<std::size_t>(encoded.size() + 5, 12, INT_MAX / 2));

    appendPadCell(out.buffer(), indexWidth, "Index   ");
    out.bytes("|   Czas [s]  |");
    if (h.active.y)
        out.bytes("| Y  (pomiar) |");
    if (h.active.x1)
        out.text("| X1 (kanał 1)|");
    if (h.active.x2)
        out.text("| X2 (kanał 2)|");
    out.bytes("|  PK1 ||  PK2 |");
    out.endLine();
    const int values = int(h.active.y) + int(h.active.x1) + int(h.active.x2);
    out.bytes(std::string(static_cast<std::size_t>(indexWidth + 15 + 15 * values + 8 + 8), '-'));
    out.endLine();

    const std::vector<Column> columns = writtenColumns(h.active, indexWidth);
    for (std::size_t r = 0; r < rows.size() && out.ok(); ++r) {
        for (const Column& c : columns) {
            encoded.clear();
            appendFileCell(encoded, cell, rows[r], r, c.column, stamps);
            appendPadCell(out.buffer(), c.width, encoded);
        }
        out.endLine();
    }
}

} // namespace

std::string toWindows1250(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    appendWindows1250(out, utf8);
    return out;
}

std::string PadCell(int width, std::string_view text)
{
    std::string out;
    appendPadCell(out, width, text);
    return out;
}

std::optional<RegisterFileTarget> registerFileTarget(std::string_view chosenName,
                                                     RegisterFileFormat selectedFilter)
{
    const std::size_t folderEnd = chosenName.find_last_of("/\\");
    const std::string_view filePart =
        folderEnd == std::string_view::npos ? chosenName : chosenName.substr(folderEnd + 1);
    if (filePart.empty())
        return std::nullopt;

    const std::size_t dot = filePart.rfind('.');
    if (dot == std::string_view::npos) {
        std::string name(chosenName);
        name += extensionOf(selectedFilter);
        return RegisterFileTarget{std::move(name), selectedFilter};
    }
    const std::string_view extension = filePart.substr(dot);
    for (const RegisterFileFormat format : {RegisterFileFormat::Text, RegisterFileFormat::Excel}) {
        if (equalsIgnoringCase(extension, extensionOf(format)))
            return RegisterFileTarget{std::string(chosenName), format};
    }
    return std::nullopt;
}

bool writeRegisterFile(RegisterFileFormat format, const RegisterFileHeader& header,
                       const RegisterRows& rows, const StampFormat& stamps, const ChunkSink& sink)
{
    ChunkWriter out(sink);
    if (!out.ok())
        return false;
    CachedStamps cached(stamps);
    if (format == RegisterFileFormat::Excel)
        writeSpreadsheet(out, header, rows, cached.format());
    else
        writeTextTable(out, header, rows, cached.format());
    return out.finish();
}

} // namespace kx
