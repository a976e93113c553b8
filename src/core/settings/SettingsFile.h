#pragma once
// config.ini: the operator's preferences between runs, 29 lines of "key= value" in a fixed
// order. The reader goes line by line, by position, and ignores the keys; both directions
// walk one table.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/chart/ChartPaging.h" // the points per page's range
#include "core/chart/LineSettings.h"
#include "core/measure/Measurement.h"   // the sampling period's range
#include "core/register/RegisterRows.h" // the register's boxes
#include "core/settings/DefaultPort.h"

namespace kx {

struct Settings
{
    static constexpr std::size_t kMaxWordLength = 291;

    // Values without a file.
    bool Cz_0 = false; // "Aktywny" of Y
    bool Cz_1 = false; // "Aktywny" of X1
    bool Cz_2 = false; // "Aktywny" of X2
    bool Real_Time_Sample = false;
    int32_t Sample_rate = 0; // the spin box shows 0 until a file sets it
    bool Paging = false;
    bool Paging_tracking = false;
    int32_t Sample_per_page = 10;
    bool Autorejestracja = RegisterSettings{}.autoRead;
    bool Rejestracja_Cz0 = RegisterSettings{}.y;
    bool Rejestracja_Cz1 = RegisterSettings{}.x1;
    bool Rejestracja_Cz2 = RegisterSettings{}.x2;
    bool Rejestracja_PK1 = RegisterSettings{}.pk1;
    bool Rejestracja_PK2 = RegisterSettings{}.pk2;
    bool Rejestracja_data = RegisterSettings{}.date;
    bool Rejestracja_godz = RegisterSettings{}.hour;
    // Stored twice: lines 17 and 18, the second wins.
    bool Rejestracja_czas = RegisterSettings{}.time;
    bool Rejestracja_index = RegisterSettings{}.index;
    bool Rejestracja_kolor = RegisterSettings{}.colour;
    std::string PortName = kDefaultPortName;
    // Height and offset of the chart lines of PK1 … PK4: H1, F1, H2, F2, H3, F3, H4, F4.
    kx::LineSettings LineSettings{};

    friend bool operator==(const Settings&, const Settings&) = default;
};

constexpr int kSettingsLines = 29;

// The key of each line, in order (line 18 repeats the key of line 15).
const std::array<const char*, kSettingsLines>& settingsKeys();

// Reads line by line and by position: the n-th line that is not blank goes to the n-th
// setting, whatever its key. CR LF, LF and a lone CR all end a line; blank lines carry no
// setting, so they shift nothing, while a missing line moves every later one up a setting.
// A line is a key word (thrown away) and a value word. Check boxes take any non-zero number
// as checked; the sampling period is brought into its range, the points per page are taken
// as a signed 16-bit number within theirs. A bad line (no value, more than one value word,
// or a value that is not a whole decimal number in 32 bits where one is due) leaves only its
// own setting at its value from `start`; the lines after it are read all the same. Settings
// past the end of the file keep their values from `start`. Words are cut at 291 characters.
Settings readSettings(std::string_view content, const Settings& start = {});

// The 29 lines, "key= value" and CR LF each. A port name is written as one word: blanks
// are left out, and an empty name is written as the default port.
std::string writeSettings(const Settings& s);

} // namespace kx
