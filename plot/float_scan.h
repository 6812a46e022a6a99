#pragma once

#include <charconv>
#include <cstddef>
#include <optional>
#include <string_view>
#include <system_error>

// True for the characters that formatted input skips as white space.
constexpr bool IsScanSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// ScanFloat for every field that is not a plain number starting with a digit.
std::optional<float> ScanFloatByTheRules(std::string_view text, std::size_t& pos);

// Reads one "%f" field the way formatted input does, independent of the process
// locale: skips white space (blank, tab, CR, LF, VT, FF), then takes the longest
// prefix that can begin a floating-point number (sign, digits, ".", exponent,
// "inf", "infinity", "nan"). When that prefix is not a whole number ("1e", "-",
// "."), the field fails. The value is rounded to single precision; a value too
// large for a float becomes an infinity of its sign.
// On success returns the value and advances `pos` past the characters taken; on
// failure returns nothing and leaves `pos` where the failed field began.
//
// A plain number ("12.5", "3e2") is taken whole by from_chars, inline, since the
// reader calls this for every field of every line; anything else, and a number
// whose exponent has no digits ("1e,"), is left to the full rules.
inline std::optional<float> ScanFloat(std::string_view text, std::size_t& pos) {
  if (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
    float value = 0.0f;
    const char* const end_of_text = text.data() + text.size();
    const auto [end, error] = std::from_chars(text.data() + pos, end_of_text, value);
    if (error == std::errc() && (end == end_of_text || (*end != 'e' && *end != 'E'))) {
      pos = static_cast<std::size_t>(end - text.data());
      return value;
    }
  }
  return ScanFloatByTheRules(text, pos);
}
