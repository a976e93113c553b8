#pragma once
// Number-to-text conversions that never depend on the C library's locale: the separator
// of the regional ones is passed in by the caller.

#include <string>

namespace kx {

// General format: at most 15 significant digits, trailing zeros dropped; fixed notation
// unless the magnitude is below 0.00001 or has more than 15 integer digits, then
// "1,5E-6" / "1E20". Not-finite values read "NAN", "INF" and "-INF".
std::string formatGeneral(double value, char decimalSeparator);

// A value as its box shows it: formatGeneral of RoundTo3(value), so a single's binary tail
// ("0,100000001490116") never shows.
std::string formatRoundedTo3(double value, char decimalSeparator);

// Every "." replaced by ",".
std::string CommaDecimal(std::string text);

// printf("%W.Pf") with a decimal point whatever the locale.
std::string formatFixed(double value, int precision, int width = 0);

} // namespace kx
