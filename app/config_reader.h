#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "parameter_fields.h"
#include "startup_seams.h"

inline constexpr std::string_view kParameterFileName = "wwwpar.cfg";
inline constexpr std::string_view kPathMessage = "Path does not exist";
inline constexpr std::string_view kConfigFileCaption = "Quorvix configfile path error";
inline constexpr std::string_view kImageDirCaption = "Image directory path error";
inline constexpr std::string_view kLightCurvePathCaption = "Light curve path error";
inline constexpr std::string_view kCaptionPrefix = "PNG plotter Quorvix ";
inline constexpr int kStartIntervalMs = 1000;

// Line length limit of both configuration files: a read stores at most this many
// characters, and a longer line is the last one read.
inline constexpr std::size_t kMaxConfigLine = 239;

// True for an existing file that is not a directory; false for an empty path.
bool FileExists(const std::string& path);
// True for an existing directory; false for an empty path.
bool DirectoryExists(const std::string& path);

// Splits a configuration file's text into the lines that are read, as the
// line rules say (239-character buffer, a longer line ends the reading).
// Each line is cut at a NUL byte, as a C string would be.
void ForEachConfigLine(std::string_view file_text, const std::function<void(std::string_view)>& handle);

// The formatted-input conversions of the configuration keys. Each skips white
// space first and returns nothing when no value can be converted.
std::optional<std::string> ScanWord(std::string_view text);       // "%s"
std::optional<long long> ScanInteger(std::string_view text, std::size_t& pos);  // "%i"
std::optional<unsigned long long> ScanUnsigned(std::string_view text, std::size_t& pos);  // "%u"

// The interval in milliseconds for a period in seconds, or nothing when the
// period is negative or its milliseconds do not fit a 32-bit integer.
std::optional<int> IntervalMsFromSeconds(std::int32_t seconds);

// Apply the settings found in the text of a parameter file or of an instrument
// file to the fields, as reading that file does, without any check.
void ApplyParameterText(ParameterFields& fields, std::string_view text);
void ApplyInstrumentText(ParameterFields& fields, std::string_view text);

// Reads the settings of the parameter file into the fields, without any check.
void ReadParameterSettings(ParameterFields& fields, const std::string& parameter_file);
// Reads the settings of the instrument file named by ConfigFilePath, without any check.
void ReadInstrumentSettings(ParameterFields& fields);

// Reads the parameter file, checks the instrument configuration path and the
// image directory (emptying a failed one and showing its message, in that
// order), then arms and enables the timer. `parameter_file` is read by that
// name, relative to the working directory.
void ReadConfig(ParameterFields& fields, CycleTimer& timer, MessageSink& messages,
                const std::string& parameter_file = std::string(kParameterFileName));

// Reads TitleComment and LightCurvePath from the instrument configuration file
// named by ConfigFilePath, checks the light-curve directory (emptying it and
// showing its message when it fails), and returns the window caption.
std::string ReadConfigQuorvix(ParameterFields& fields, MessageSink& messages);

// Start-up without a window: both readers in their order, then FirstCycle set.
// Returns the window caption the instrument file gives.
std::string StartStation(ParameterFields& fields, CycleTimer& timer, MessageSink& messages);
