#include "core/register/RegisterFile.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <vector>

#include "core/text/ChunkWriter.h"
#include "core/text/NumberFormat.h"
#include "core/text/Windows1250.h"

namespace kx {

namespace {

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
