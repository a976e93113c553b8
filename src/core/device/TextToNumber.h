#pragma once
// The editors' conversions of typed text. Neither depends on the C library's locale: the
// decimal separator is passed in.

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/protocol/Param.h"

namespace kx {

// Decimal number: optional blanks around it, an optional sign, digits with at most one
// decimal separator, an optional exponent; no thousands separators.
std::optional<double> parseDecimal(std::string_view text, char decimalSeparator);

// Whole number: optional leading blanks, an optional sign and decimal digits, nothing after
// them; a prefix "$", "x" or "0x" makes the digits hexadecimal (up to 32 bits, taken as a
// signed 32-bit pattern). Empty text and values outside 32 bits are not whole numbers.
std::optional<int32_t> parseWholeNumber(std::string_view text);

// What the device's display takes: LED brightness 0 … 9, decimal places 0 … 6.
constexpr int32_t kMaxLED = 9;
constexpr int32_t kMaxDecp = 6;

// A typed whole number as the desired value of p: LED and decp are held within the
// device's limits (a device that limits the value itself would be written again on every
// other tick and hold back every parameter after it); other parameters take it as it is.
int32_t clampToDeviceLimits(Param p, int32_t typed);

// parseWholeNumber, then clampToDeviceLimits: "25" for LED gives 9, "-1" for decp 0.
std::optional<int32_t> parseWholeNumberFor(Param p, std::string_view text);

} // namespace kx
