#include "text_format.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <system_error>

namespace {

std::string PadLeft(std::string text, int width, char fill, std::size_t insert_at) {
  if (width > 0 && text.size() < static_cast<std::size_t>(width)) {
    text.insert(insert_at, static_cast<std::size_t>(width) - text.size(), fill);
  }
  return text;
}

}  // namespace

std::string FormatFixed(double value, int width, int precision) {
  if (precision < 0) precision = 6;  // as printf treats a negative precision
  const bool negative = std::signbit(value);
  std::string text;
  if (std::isnan(value)) {
    // glibc keeps the sign bit of a NaN; to_chars is not relied on for this.
    text = negative ? "-nan" : "nan";
  } else if (std::isinf(value)) {
    text = negative ? "-inf" : "inf";
  } else {
    // to_chars rounds the exact binary value half to even, as glibc's printf
    // does, and never consults the locale. The largest double has 309 digits.
    std::string buffer(static_cast<std::size_t>(precision) + 320, '\0');
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                            std::chars_format::fixed, precision);
    if (error != std::errc{}) return {};
    buffer.resize(static_cast<std::size_t>(end - buffer.data()));
    text = std::move(buffer);
  }
  return PadLeft(std::move(text), width, ' ', 0);
}

std::string FormatZeroPadded(long long value, int width) {
  // The magnitude as unsigned, so the most negative value has one too.
  const bool negative = value < 0;
  const unsigned long long magnitude =
      negative ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, magnitude);
  std::string text = negative ? "-" : "";
  text.append(digits, result.ptr);
  // Zeros go between the sign and the digits, as with printf's "0" flag.
  return PadLeft(std::move(text), width, '0', negative ? 1 : 0);
}
