#pragma once

#include <string>

// A realistic full observing day of light curves for the benchmarks: the header
// and units lines, then 10000 rows evenly spread over 0 to 24 hours UT, ten
// channels with a quiet-sun level, noise, a slow daily swell, a burst group at
// 10:40 UT and a few smaller bursts. The same text every time (its own
// pseudo-random numbers), so runs on any machine read the same file.
inline constexpr int kBenchDayRows = 10000;

// Levels in solar flux units with one decimal, as a calibrated (SFU) day file.
std::string BenchDaySfuText();

// The same day as raw converter counts (integers), as an ADU day file.
std::string BenchDayAduText();

// Writes `text` to `path`; false when that fails.
bool WriteBenchFile(const std::string& path, const std::string& text);
