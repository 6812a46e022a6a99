#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

// Reads one "%f" field the way formatted input does, independent of the process
// locale: skips white space (blank, tab, CR, LF, VT, FF), then takes the longest
// prefix that can begin a floating-point number (sign, digits, ".", exponent,
// "inf", "infinity", "nan"). When that prefix is not a whole number ("1e", "-",
// "."), the field fails. The value is rounded to single precision; a value too
// large for a float becomes an infinity of its sign.
// On success returns the value and advances `pos` past the characters taken; on
// failure returns nothing and leaves `pos` where the failed field began.
std::optional<float> ScanFloat(std::string_view text, std::size_t& pos);

// True for the characters that formatted input skips as white space.
constexpr bool IsScanSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
