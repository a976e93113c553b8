#include "core/register/RegisterRows.h"

#include <array>
#include <charconv>
#include <cmath>

#include "core/text/NumberFormat.h"

namespace kx {

namespace {

constexpr std::array<std::string_view, RegisterColumnCount> kCaptions = {
    "Index", "Czas [s]", "Y (pomiar)", "X1 - kanał 1", "X2 - kanał 2", "PK1", "PK2", "", ""};

std::string stampText(const std::function<std::string(int64_t)>& format, int64_t ms)
{
    return format ? format(ms) : std::string();
}

void appendNumber(std::string& out, std::size_t number)
{
    char buf[24];
    const auto res = std::to_chars(buf, buf + sizeof buf, number);
    out.append(buf, res.ptr);
}

// CommaDecimal(formatFixed(value, Precision)), made directly where value × 10^Precision can
// be rounded exactly in double precision (|value| below 1e11, which every sensible value
// is): the general conversion would take most of the time of writing a long register.
template <int Precision> void appendFixedComma(std::string& out, double value)
{
    static_assert(Precision == 3 || Precision == 4);
    constexpr double kScale = Precision == 3 ? 1e3 : 1e4;
    constexpr uint64_t kUnits = Precision == 3 ? 1000 : 10000;

    const double a = std::fabs(value);
    if (!(a == 0 || (a > 1e-200 && a < 1e11))) { // not finite, huge, or tiny
        out += CommaDecimal(formatFixed(value, Precision));
        return;
    }
    // a × scale = s + err exactly, and s < 2^50, so s − floor(s) is exact and |err| ≤ 1/16.
    const double s = a * kScale;
    const double err = std::fma(a, kScale, -s);
    const double n = std::floor(s);
    // Sign of (a × scale) − (n + 0.5): exact once the fraction is 0.25 or more, and clearly
    // negative below. Halves go to the even neighbour, as the general conversion rounds.
    const double aboveHalf = ((s - n) - 0.5) + err;
    auto units = static_cast<uint64_t>(n);
    if (aboveHalf > 0 || (aboveHalf == 0 && (units & 1) != 0))
        ++units;

    char buf[40];
    char* p = buf;
    if (std::signbit(value))
        *p++ = '-';
    p = std::to_chars(p, buf + 24, units / kUnits).ptr;
    *p++ = ',';
    uint64_t fraction = units % kUnits;
    for (int k = Precision - 1; k >= 0; --k) {
        p[k] = static_cast<char>('0' + fraction % 10);
        fraction /= 10;
    }
    out.append(buf, p + Precision);
}

// What a value field shows, with a comma: "%3.4f" of the value, or its dashes.
void appendField(std::string& out, const Registration& r, ValueField field)
{
    if (r.neverShown(field))
        out += kNeverShownText;
    else
        appendFixedComma<4>(out, r.shown[std::size_t(field)]);
}

} // namespace

std::string_view registerHeaderCaption(int column)
{
    if (column < 0 || column >= RegisterColumnCount)
        return {};
    return kCaptions[std::size_t(column)];
}

int column0Width(RegisterOptions options)
{
    const int stamps =
        int(options.has(RegisterOptions::Date)) + int(options.has(RegisterOptions::TimeOfDay));
    return 60 + 50 * stamps;
}

void appendRegisterCell(std::string& out, const Registration& r, std::size_t number, int column,
                        const StampFormat& stamps)
{
    const RegisterOptions o = r.options;
    switch (column) {
    case RegisterColumnIndex: {
        if (o.has(RegisterOptions::Number)) {
            appendNumber(out, number);
            out += ' ';
        }
        const bool date = o.has(RegisterOptions::Date);
        const bool time = o.has(RegisterOptions::TimeOfDay);
        if (!date && !time)
            break;
        out += '(';
        if (date)
            out += stampText(stamps.date, r.stampMs);
        if (date && time)
            out += ' ';
        if (time)
            out += stampText(stamps.time, r.stampMs);
        out += ')';
        break;
    }
    case RegisterColumnTime:
        if (o.has(RegisterOptions::MeasureTime))
            appendFixedComma<3>(out, r.measureTime); // "%2.3f"
        break;
    case RegisterColumnY:
        if (o.has(RegisterOptions::Y))
            appendField(out, r, ValueField::Y);
        break;
    case RegisterColumnX1:
        if (o.has(RegisterOptions::X1))
            appendField(out, r, ValueField::X1);
        break;
    case RegisterColumnX2:
        if (o.has(RegisterOptions::X2))
            appendField(out, r, ValueField::X2);
        break;
    case RegisterColumnPK1:
        if (o.has(RegisterOptions::PK1))
            out += r.pk1() ? '1' : '0';
        break;
    case RegisterColumnPK2:
        if (o.has(RegisterOptions::PK2))
            out += r.pk2() ? '1' : '0';
        break;
    default:
        break;
    }
}

void RegisterRows::append(const Registration& registration)
{
    if (m_size == m_blocks.size() * kBlockRows)
        m_blocks.push_back(std::make_unique<Registration[]>(kBlockRows));
    m_blocks[m_size / kBlockRows][m_size % kBlockRows] = registration;
    ++m_size;
}

void RegisterRows::clear()
{
    m_blocks.clear();
    m_blocks.shrink_to_fit();
    m_size = 0;
}

std::string RegisterRows::cellText(std::size_t row, int column, const StampFormat& stamps) const
{
    std::string text;
    if (row < m_size)
        appendRegisterCell(text, (*this)[row], row, column, stamps);
    return text;
}

} // namespace kx
