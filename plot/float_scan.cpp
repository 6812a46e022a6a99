#include "float_scan.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <system_error>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

char ToLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsNanTagChar(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

// Number of leading characters of `text` that match `word` ignoring case.
std::size_t MatchWordPrefix(std::string_view text, std::string_view word) {
  std::size_t n = 0;
  while (n < word.size() && n < text.size() && ToLower(text[n]) == word[n]) ++n;
  return n;
}

// Takes "inf", "infinity", "nan" or "nan(tag)" at the start of `text` (after the
// sign). Formatted input keeps consuming while the characters can still become
// one of these words, so a word cut short ("infi", "na", "nan(x") fails the
// field instead of falling back to a shorter match.
std::optional<float> ScanWord(std::string_view text, std::size_t& length) {
  if (ToLower(text[0]) == 'i') {
    length = MatchWordPrefix(text, "infinity");
    if (length == 3 || length == 8) return std::numeric_limits<float>::infinity();
    return std::nullopt;
  }
  length = MatchWordPrefix(text, "nan");
  if (length != 3) return std::nullopt;
  if (length < text.size() && text[length] == '(') {
    ++length;
    while (length < text.size() && IsNanTagChar(text[length])) ++length;
    if (length == text.size() || text[length] != ')') return std::nullopt;
    ++length;
  }
  return std::numeric_limits<float>::quiet_NaN();
}

// Length of the decimal number at the start of `text` (after the sign): digits,
// optional point and digits, optional exponent; 0 when what formatted input would
// consume is not a whole number ("", ".", "1e", "1e+").
std::size_t DecimalLength(std::string_view text) {
  std::size_t i = 0;
  std::size_t digits = 0;
  while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    const std::size_t exponent_start = i;
    while (i < text.size() && IsDigit(text[i])) ++i;
    if (i == exponent_start) return 0;
  }
  return i;
}

// True when the unsigned decimal `number` (as accepted by DecimalLength) is at
// least 1 in magnitude. Only asked for numbers a float cannot hold, to tell an
// overflow from an underflow without a wider type that might not hold them either.
bool IsAtLeastOne(std::string_view number) {
  std::size_t i = 0;
  std::int64_t power = 0;  // power of ten of the first non-zero digit
  bool found = false;
  std::int64_t integer_digits = 0;
  while (i < number.size() && IsDigit(number[i])) {
    if (!found && number[i] != '0') found = true;
    if (found) ++integer_digits;
    ++i;
  }
  if (found) {
    power = integer_digits - 1;
  }
  if (i < number.size() && number[i] == '.') {
    ++i;
    std::int64_t position = 0;
    while (i < number.size() && IsDigit(number[i])) {
      ++position;
      if (!found && number[i] != '0') {
        found = true;
        power = -position;
      }
      ++i;
    }
  }
  if (!found) return false;
  std::int64_t exponent = 0;
  if (i < number.size()) {  // 'e' or 'E'
    ++i;
    bool negative = false;
    if (number[i] == '+' || number[i] == '-') negative = number[i++] == '-';
    constexpr std::int64_t kSaturation = std::int64_t{1} << 40;
    for (; i < number.size(); ++i) {
      if (exponent < kSaturation) exponent = exponent * 10 + (number[i] - '0');
    }
    if (negative) exponent = -exponent;
  }
  return power + exponent >= 0;
}

}  // namespace

std::optional<float> ScanFloatByTheRules(std::string_view text, std::size_t& pos) {
  std::size_t i = pos;
  while (i < text.size() && IsScanSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return std::nullopt;
  const std::string_view body = text.substr(i);

  const char first = ToLower(body[0]);
  if (first == 'i' || first == 'n') {
    std::size_t length = 0;
    const std::optional<float> word = ScanWord(body, length);
    if (!word) return std::nullopt;
    pos = i + length;
    return negative ? -*word : *word;
  }

  const std::size_t length = DecimalLength(body);
  if (length == 0) return std::nullopt;
  // from_chars neither takes a sign of "+" nor depends on the locale; the sign is
  // applied afterwards, which is exact.
  float value = 0.0f;
  const auto [end, error] = std::from_chars(body.data(), body.data() + length, value);
  if (error == std::errc::result_out_of_range) {
    // from_chars rounds correctly, so a result out of range is either beyond the
    // largest float (an infinity, as formatted input gives) or nearer to zero than
    // to the smallest subnormal (zero).
    value = IsAtLeastOne(body.substr(0, length)) ? std::numeric_limits<float>::infinity() : 0.0f;
  } else if (error != std::errc() || end != body.data() + length) {
    return std::nullopt;
  }
  pos = i + length;
  return negative ? -value : value;
}
