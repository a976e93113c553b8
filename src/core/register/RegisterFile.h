#pragma once
// The two register files: a text table (".txt") and tab-separated text that a spreadsheet
// opens (".xls"). Both are Windows-1250 text with CR LF line ends, written as a stream of
// chunks so a register of any length passes through a small buffer.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/measure/Measurement.h"
#include "core/register/RegisterRows.h"
#include "core/text/ChunkWriter.h"

namespace kx {

// One cell of the text table: "|", width − 3 − length spaces (none when that is not
// positive), the text, " |". `text` is file text, one byte per character (Windows-1250), so
// its length is its size. A text too long for the width is not cut: the cell grows.
std::string PadCell(int width, std::string_view text);

// The file-dialog filters, in their order: "Text" (*.txt) and "Excel" (*.xls).
enum class RegisterFileFormat
{
    Text,
    Excel
};

struct RegisterFileTarget
{
    std::string fileName;
    RegisterFileFormat format;
};

// The file to write for a name chosen in the save dialog under `selectedFilter`. A name
// without an extension gets the filter's; ".txt" and ".xls" in any letter case choose their
// format whatever the filter. Empty, for the caller to report, when the extension is any
// other (the text from the last "." of the file part on; a lone trailing "." counts) or the
// name has no file part. '/' and '\' both end a folder.
std::optional<RegisterFileTarget> registerFileTarget(std::string_view chosenName,
                                                     RegisterFileFormat selectedFilter);

// The header block's inputs, read at the moment of saving. Texts are UTF-8.
struct RegisterFileHeader
{
    std::string typeName;       // TypeName, "<nierozpoznane>" before identification
    std::string date;           // regional short date
    std::string time;           // regional long time
    double durationSeconds = 0; // the last measurement's MeasureTime, as the caller decides
    SamplingSettings sampling;  // a period below 10 ms is written as 10 ms, as sampled
    ActiveValues active;        // the indicator tab's "Aktywny": which value columns are written
};

// Writes the register file: the header block, "Ilosc próbek=" the number of registrations,
// the column header and one line per registration (none for an empty register). Cells read
// as the grid shows them (`stamps` gives the date and time texts of column 0). Chunks are
// bounded (about 64 KiB); returns false as soon as the sink does, and nothing more is passed.
bool writeRegisterFile(RegisterFileFormat format, const RegisterFileHeader& header,
                       const RegisterRows& rows, const StampFormat& stamps, const ChunkSink& sink);

} // namespace kx
