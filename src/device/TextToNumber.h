#pragma once
// The editors' conversions of typed text. Neither depends on the C library's locale: the
// decimal separator is passed in.

#include <cstdint>
#include <optional>
#include <string_view>

namespace kx {

// Decimal number: optional blanks around it, an optional sign, digits with at most one
// decimal separator, an optional exponent; no thousands separators.
std::optional<double> parseDecimal(std::string_view text, char decimalSeparator);

// Whole number: optional leading blanks, an optional sign and decimal digits, nothing after
// them; a prefix "$", "x" or "0x" makes the digits hexadecimal (up to 32 bits, taken as a
// signed 32-bit pattern). Empty text and values outside 32 bits are not whole numbers.
std::optional<int32_t> parseWholeNumber(std::string_view text);

} // namespace kx
