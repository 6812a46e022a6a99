#include "float_scan.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <optional>
#include <string_view>

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNan = std::numeric_limits<float>::quiet_NaN();

struct ScanCase {
  std::string_view text;
  std::size_t start;
  std::optional<float> expected;  // nothing: the field fails
  std::size_t end;                // position after the call; `start` when the field fails
};

const ScanCase kScanCases[] = {
    // Plain decimals, white space, signs, and where the number stops.
    {"12.5", 0, 12.5f, 4},
    {" \t\r\n\v\f-3,", 0, -3.0f, 8},
    {"+7", 0, 7.0f, 2},
    {"1.", 0, 1.0f, 2},
    {".5", 0, 0.5f, 2},
    {"2.5e-1MHz", 0, 0.25f, 6},
    {"1E+3", 0, 1000.0f, 4},
    {"12,5", 0, 12.0f, 2},  // a decimal comma is not part of the number
    {"0x10", 0, 0.0f, 1},   // no hex floats
    {"5 ,", 0, 5.0f, 1},
    {"1,2", 2, 2.0f, 3},
    // Prefixes that are not whole numbers fail the field.
    {"", 0, std::nullopt, 0},
    {"   ", 0, std::nullopt, 0},
    {"abc", 0, std::nullopt, 0},
    {"-", 0, std::nullopt, 0},
    {"- 5", 0, std::nullopt, 0},
    {".", 0, std::nullopt, 0},
    {"+.", 0, std::nullopt, 0},
    {".e5", 0, std::nullopt, 0},
    {"1e", 0, std::nullopt, 0},
    {"1e+", 0, std::nullopt, 0},
    {"100ergs", 0, std::nullopt, 0},
    {"1e,2", 0, std::nullopt, 0},
    {"x,1e", 2, std::nullopt, 2},
    // Infinities and NaNs, any case; a word cut short fails.
    {"inf", 0, kInf, 3},
    {"-Infinity", 0, -kInf, 9},
    {"INFx", 0, kInf, 3},
    {"infinityx", 0, kInf, 8},
    {"infi", 0, std::nullopt, 0},
    {"infinit", 0, std::nullopt, 0},
    {"in", 0, std::nullopt, 0},
    {"nan", 0, kNan, 3},
    {"-NaN,", 0, kNan, 4},
    {"nan(abc_1)x", 0, kNan, 10},
    {"nan()", 0, kNan, 5},
    {"nan(abc", 0, std::nullopt, 0},
    {"nan(a b)", 0, std::nullopt, 0},
    {"na", 0, std::nullopt, 0},
    // Correct rounding to single precision, overflow and underflow.
    {"0.1", 0, 0.1f, 3},
    {"16777217", 0, 16777216.0f, 8},
    {"3.4028235e38", 0, FLT_MAX, 12},
    {"1e30", 0, 1e30f, 4},
    {"1e-40", 0, 1e-40f, 5},
    {"1e50", 0, kInf, 4},
    {"-1e50", 0, -kInf, 5},
    {"0.0001e99999999999999999999", 0, kInf, 27},
    {"1e-50", 0, 0.0f, 5},
    {"-1e-50", 0, -0.0f, 6},
    {"123456789e-99999", 0, 0.0f, 16},
};

class ScanFloatTest : public testing::TestWithParam<ScanCase> {};

TEST_P(ScanFloatTest, ScansLikeFormattedInputInTheCLocale) {
  const ScanCase& c = GetParam();
  std::size_t pos = c.start;
  const std::optional<float> value = ScanFloat(c.text, pos);
  EXPECT_EQ(pos, c.end);
  ASSERT_EQ(value.has_value(), c.expected.has_value());
  if (!value) return;
  if (std::isnan(*c.expected)) {
    EXPECT_TRUE(std::isnan(*value));
  } else {
    EXPECT_EQ(*value, *c.expected);
    EXPECT_EQ(std::signbit(*value), std::signbit(*c.expected));
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, ScanFloatTest, testing::ValuesIn(kScanCases));

}  // namespace
