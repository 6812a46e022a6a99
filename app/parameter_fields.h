#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Longest value each text setting holds; a longer value is not stored at all.
inline constexpr std::size_t kMaxDirectoryLength = 239;
inline constexpr std::size_t kMaxTitleCommentLength = 79;
inline constexpr std::size_t kMaxConfigFilePathLength = 199;

// The station's settings, read once at start-up from wwwpar.cfg and the
// instrument's configuration file. Zero or empty until read.
struct ParameterFields {
  std::string ImageDir;            // prefix of the chart file names, ends with "/"
  std::string LightCurvePath;      // prefix of the light-curve file names, ends with "/"
  std::int32_t TimerSeconds = 0;   // cycle period in seconds; 0 keeps the start interval
  std::string TitleComment;        // the station word: caption, file names, chart title
  std::int32_t AdcDivider = 0;     // scale of raw converter counts
  std::int32_t ImageWidth = 0;     // pixels
  std::int32_t ImageHeight = 0;    // pixels
  std::int32_t YScaleMin = 0;      // value axis, SFU or dB
  std::int32_t YScaleMax = 0;
  std::int32_t YScaleSteps = 0;    // divisions of the value axis
  std::uint16_t DayOffset = 0;     // whole days back from today
  bool FirstCycle = false;         // true from start-up until the first wait tick
  std::string ConfigFilePath;      // the instrument's configuration file
};
