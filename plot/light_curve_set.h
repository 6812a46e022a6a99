#pragma once

#include <array>
#include <cstdint>
#include <string_view>

inline constexpr int kMaxRows = 10000;
inline constexpr int kChannelCount = 10;
// Column 0 is the sample time in hours UT, columns 1 to 10 the channel levels.
inline constexpr int kColumnCount = 1 + kChannelCount;
// Minimum of a channel that saw no lower level, and of every channel after a failed open.
inline constexpr float kNoMinimum = 3000.0f;
inline constexpr std::string_view kSfuUnitLabel = "[SFU]";
inline constexpr std::string_view kDbUnitLabel = "[dB]";

using SampleRow = std::array<float, kColumnCount>;

// The current day's light-curve data: written by the reader, drawn by the chart.
// The row layout is part of the contract: for a file that starts with its header
// line, row 0 is the header's turn and stays unwritten, the data lines fill rows
// 1, 2, ... and a file ending in a line break repeats its last line in one more row.
// Rows at and after RowCount keep whatever an earlier read left there.
struct LightCurveSet {
  std::uint16_t Year = 0;
  std::uint16_t Month = 0;
  std::uint16_t Day = 0;
  std::int32_t RowCount = 0;
  std::array<SampleRow, kMaxRows> Samples{};
  std::array<float, kChannelCount> Frequencies{};  // MHz, from the last header line read
  bool IsSfu = false;
  std::string_view UnitLabel;  // kSfuUnitLabel or kDbUnitLabel, empty before the first read
  std::array<float, kChannelCount> ChannelMinima{};
  bool DayChanged = false;  // set by the reader on a new day, cleared by the chart output
};
