// The light-curve reader on arbitrary text as the day's file.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz_support.h"
#include "light_curve_reader.h"

namespace {

// Fills whatever the reader may leave unwritten, so that a row taken by a
// header line can be told from a row of samples. ScanFloat only ever yields the
// default NaN, never one with this payload.
constexpr std::uint32_t kUnwrittenBits = 0x7fa5a5a5;

bool IsUnwritten(float value) { return std::bit_cast<std::uint32_t>(value) == kUnwrittenBits; }

// Only the rows that a text of `size` bytes can reach are prepared (see the
// row count check below), which keeps short inputs fast.
void Prepare(LightCurveSet& set, std::size_t size) {
  const float unwritten = std::bit_cast<float>(kUnwrittenBits);
  const std::size_t rows = std::min<std::size_t>(size + 1, kMaxRows);
  for (std::size_t row = 0; row < rows; ++row) set.Samples[row].fill(unwritten);
  set.Frequencies.fill(unwritten);
  set.ChannelMinima.fill(kNoMinimum);  // as LoadLightCurves does before parsing
  set.RowCount = -1;
}

bool SameBits(float a, float b) { return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b); }

bool SameReading(const LightCurveSet& a, const LightCurveSet& b) {
  if (a.RowCount != b.RowCount) return false;
  for (int k = 0; k < kChannelCount; ++k) {
    if (!SameBits(a.Frequencies[k], b.Frequencies[k]) || !SameBits(a.ChannelMinima[k], b.ChannelMinima[k])) {
      return false;
    }
  }
  for (int row = 0; row < a.RowCount; ++row) {
    for (int column = 0; column < kColumnCount; ++column) {
      if (!SameBits(a.Samples[row][column], b.Samples[row][column])) return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Two sets of 440 kB each, kept for the life of the process like the program's one.
  static const std::unique_ptr<LightCurveSet> set = std::make_unique<LightCurveSet>();
  static const std::unique_ptr<LightCurveSet> crlf_set = std::make_unique<LightCurveSet>();
  const std::string_view text = AsText(data, size);

  Prepare(*set, size);
  ParseLightCurves(*set, text);

  // Every loop turn takes a row, and every turn but the last takes at least one
  // byte of the text: an empty text still gives one row.
  FUZZ_REQUIRE(set->RowCount >= 1 && set->RowCount <= kMaxRows);
  FUZZ_REQUIRE(static_cast<std::size_t>(set->RowCount) <= size + 1);
  for (int k = 0; k < kChannelCount; ++k) {
    const float minimum = set->ChannelMinima[k];
    FUZZ_REQUIRE(!std::isnan(minimum) && minimum <= kNoMinimum);
  }
  bool any_written = false;
  for (int row = 0; row < set->RowCount; ++row) {
    const SampleRow& samples = set->Samples[row];
    // A row is either a header's turn, untouched, or a whole row of samples.
    if (IsUnwritten(samples[0])) {
      for (const float value : samples) FUZZ_REQUIRE(IsUnwritten(value));
      continue;
    }
    any_written = true;
    // The minima hold every level but those of the last row: that row was
    // read up to the end of the text, and a last line without its line break
    // may be cut short by the writer.
    const bool counted = row < set->RowCount - 1;
    for (int k = 0; k < kChannelCount; ++k) {
      FUZZ_REQUIRE(!IsUnwritten(samples[k + 1]));
      FUZZ_REQUIRE(!counted || !(samples[k + 1] < set->ChannelMinima[k]));
    }
  }
  // A minimum below the start value comes from some row of samples.
  for (int k = 0; k < kChannelCount; ++k) {
    FUZZ_REQUIRE(any_written || set->ChannelMinima[k] == kNoMinimum);
  }

  // CR LF line ends read exactly as LF ones.
  if (text.find('\r') == std::string_view::npos) {
    Prepare(*crlf_set, size);
    ParseLightCurves(*crlf_set, WithCrLf(text));
    FUZZ_REQUIRE(SameReading(*set, *crlf_set));
  }
  return 0;
}
