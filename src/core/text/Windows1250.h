#pragma once
// Windows-1250, the code page of the program's files, by the program's own table of its upper
// half: no system codec is needed, so every build writes the same bytes.

#include <string>
#include <string_view>

namespace kx {

// UTF-8 to Windows-1250: ASCII as it is, the upper half by the code page, and '?' for a
// character the code page has no byte for and for each malformed UTF-8 sequence.
std::string toWindows1250(std::string_view utf8);
// The same, appended to out.
void appendWindows1250(std::string& out, std::string_view utf8);

} // namespace kx
