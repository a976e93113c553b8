#pragma once
// The measurement register without its window: compact registrations, appended without limit,
// and the grid's cell texts made from them on demand.
//
// A registration keeps what the cell texts are made of (the shown values, the outputs, the
// time, the options in force), not the texts themselves: a register that grows by one row
// per sample for hours stays at 32 bytes a row, and every text still reads exactly as it did
// when the row was registered.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kx {

// The option boxes that decide what a registration fills in.
class RegisterOptions
{
public:
    enum Option : uint16_t
    {
        Number = 1 << 0,      // "numer próbki": registration number in column 0
        Date = 1 << 1,        // "data": date in column 0
        TimeOfDay = 1 << 2,   // "godzina": time of day in column 0
        MeasureTime = 1 << 3, // "czas pomiaru": column 1
        Y = 1 << 4,           // "Y (pomiar)": column 2
        X1 = 1 << 5,          // "kanał 1": column 3
        X2 = 1 << 6,          // "kanał 2": column 4
        PK1 = 1 << 7,         // column 5
        PK2 = 1 << 8,         // column 6
    };

    // Every box off.
    constexpr RegisterOptions() = default;
    constexpr explicit RegisterOptions(uint16_t bits) : m_bits(bits & kAll) {}
    // The boxes' state without a settings file (RegisterSettings{}).
    static constexpr RegisterOptions defaults();

    constexpr bool has(Option option) const { return (m_bits & option) != 0; }
    constexpr RegisterOptions& set(Option option, bool on = true)
    {
        m_bits = on ? uint16_t(m_bits | option) : uint16_t(m_bits & ~option);
        return *this;
    }
    constexpr uint16_t bits() const { return m_bits; }
    constexpr bool operator==(const RegisterOptions&) const = default;

private:
    static constexpr uint16_t kAll = 0x1FF;
    uint16_t m_bits = 0;
};

// The register tab's option boxes ("Odczyt", "Kanał:", "Informacje"); their initial states
// are the values without a settings file.
struct RegisterSettings
{
    bool autoRead = true; // "autoodczyt"
    bool y = true;        // "Y (pomiar)"
    bool x1 = true;       // "kanał 1"
    bool x2 = true;       // "kanał 2"
    bool pk1 = false;     // "PK1"
    bool pk2 = false;     // "PK2"
    bool date = false;    // "data"
    bool hour = false;    // "godzina"
    bool time = true;     // "czas pomiaru"
    bool index = true;    // "numer próbki"
    bool colour = true;   // "kolor"

    // What a registration made under these boxes fills in.
    constexpr RegisterOptions options() const
    {
        using O = RegisterOptions;
        return O()
            .set(O::Number, index)
            .set(O::Date, date)
            .set(O::TimeOfDay, hour)
            .set(O::MeasureTime, time)
            .set(O::Y, y)
            .set(O::X1, x1)
            .set(O::X2, x2)
            .set(O::PK1, pk1)
            .set(O::PK2, pk2);
    }
    bool operator==(const RegisterSettings&) const = default;
};

constexpr RegisterOptions RegisterOptions::defaults()
{
    return RegisterSettings{}.options();
}

// The indicator fields a registration copies: "Y (wartość mierzona)", "X1 (kanał 1)",
// "X2 (kanał 2)".
enum class ValueField : uint8_t
{
    Y,
    X1,
    X2
};

// One registration. A fresh one has never-shown fields (their dashes), outputs off, time 0.
struct Registration
{
    double measureTime = 0; // MeasureTime at registering, seconds
    int64_t stampMs = 0;    // wall clock at registering, ms since the epoch (UTC)
    // What each field showed; a field shows the 32-bit value it was given, so a float keeps
    // its text exactly. Meaningless while the field was never shown.
    std::array<float, 3> shown{};
    RegisterOptions options;
    uint8_t flags = kNeverShownMask;

    // The field shows this value ("%3.4f" of it).
    void setShown(ValueField field, float value)
    {
        shown[index(field)] = value;
        flags = uint8_t(flags & ~bit(field));
    }
    // The field still shows its initial dashes.
    void setNeverShown(ValueField field) { flags = uint8_t(flags | bit(field)); }
    bool neverShown(ValueField field) const { return (flags & bit(field)) != 0; }

    // Output states, OutputPK1/OutputPK2: true for 1.
    void setOutputs(bool pk1, bool pk2)
    {
        flags = uint8_t((flags & kNeverShownMask) | (pk1 ? kPK1 : 0) | (pk2 ? kPK2 : 0));
    }
    bool pk1() const { return (flags & kPK1) != 0; }
    bool pk2() const { return (flags & kPK2) != 0; }

private:
    static constexpr uint8_t kNeverShownMask = 0x07;
    static constexpr uint8_t kPK1 = 0x08;
    static constexpr uint8_t kPK2 = 0x10;
    static constexpr std::size_t index(ValueField f) { return std::size_t(f); }
    static constexpr uint8_t bit(ValueField f) { return uint8_t(1u << unsigned(f)); }
};
static_assert(sizeof(Registration) == 32, "a register of a million rows must stay small");

// The grid's columns. Column 0 and the header row are the fixed cells; 7 and 8 are never
// written.
enum RegisterColumn : int
{
    RegisterColumnIndex,
    RegisterColumnTime,
    RegisterColumnY,
    RegisterColumnX1,
    RegisterColumnX2,
    RegisterColumnPK1,
    RegisterColumnPK2,
    RegisterColumnSpare1,
    RegisterColumnSpare2,
    RegisterColumnCount
};

// The dashes of a value field that has never shown a value.
inline constexpr std::string_view kNeverShownText = "-------------";

// The regional texts of a wall-clock stamp (ms since the epoch): the short date and the long
// time (hours, minutes, seconds). They are the platform's, so the caller supplies them; an
// empty function gives an empty text. Both must depend on the whole second only: an export
// asks once per second of stamps.
struct StampFormat
{
    std::function<std::string(int64_t ms)> date;
    std::function<std::string(int64_t ms)> time;
};

// Caption of a header cell (row 0), UTF-8; empty for columns 7, 8 and outside the grid.
std::string_view registerHeaderCaption(int column);

// Width of column 0 in pixels for the date and time options: 60, 110 with one, 160 with both.
int column0Width(RegisterOptions options);

// Appends the UTF-8 text of one cell of `registration`, numbered `number`, to `out`, exactly
// as registering writes it: empty for a switched-off option, for columns 7, 8 and for a
// column outside the grid.
void appendRegisterCell(std::string& out, const Registration& registration, std::size_t number,
                        int column, const StampFormat& stamps);

// The registrations since start or the last clear(), in order. Rows never move once appended
// (the storage grows in fixed blocks), so appending stays cheap however long the register
// grows, and a reference to a row stays valid until clear().
class RegisterRows
{
public:
    void append(const Registration& registration);
    // Back to no registrations; the next one is number 0 again. Frees the storage.
    void clear();

    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    // Row `row` < size(); the row's index is its registration number.
    const Registration& operator[](std::size_t row) const
    {
        return m_blocks[row / kBlockRows][row % kBlockRows];
    }

    // Text of a data cell (row = registration number); empty outside the registered rows.
    std::string cellText(std::size_t row, int column, const StampFormat& stamps) const;

private:
    // 64 KiB blocks: no block is ever copied, and at most one is partly empty.
    static constexpr std::size_t kBlockRows = 2048;
    std::vector<std::unique_ptr<Registration[]>> m_blocks;
    std::size_t m_size = 0;
};

} // namespace kx
