#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "light_curve_set.h"

// Today's local calendar date; the reader asks it anew wherever it needs "now".
using LocalDateSource = std::function<std::chrono::year_month_day()>;

// Longest file name the reader and the chart output accept; a longer composed
// name counts as a file that cannot be opened or written.
inline constexpr std::size_t kMaxFileNameLength = 239;

// Longest piece of a light-curve line taken per read; a longer line reads as several.
inline constexpr std::size_t kMaxLinePiece = 179;

// What one generation needs of the station's settings.
struct LightCurveSource {
  std::string_view LightCurvePath;  // directory prefix, used as written
  std::string_view TitleComment;    // the station word in the file names
  std::uint16_t DayOffset = 0;      // whole days back from today
  bool FirstCycle = false;          // no earlier day has been seen yet
};

// The one value the reader keeps between calls.
struct LightCurveReaderState {
  std::int32_t LastDay = 0;  // day of month of the previous call's processing date
};

// "<path>LC<yyyymmdd>_SFU_<comment>.txt" or the same with "_ADU_".
std::string LightCurveFileName(std::string_view light_curve_path, std::chrono::year_month_day date,
                               bool sfu, std::string_view title_comment);

// One generation's read: picks the processing date (today minus DayOffset, or
// yesterday with DayChanged set on the first call of a new day), then loads that
// date's file as LoadLightCurves does. Returns the chosen file name, the text of
// the input label.
std::string ReadLightCurves(LightCurveSet& set, LightCurveReaderState& state,
                            const LightCurveSource& source, const LocalDateSource& today,
                            bool* unreadable = nullptr);

// Sets the processing date to `date`, resets the channel minima, chooses the SFU
// file of that date when it exists and the ADU file otherwise, and reads it into
// the set. A file that cannot be opened leaves an empty set (RowCount 0) with the
// ADU unit. Returns the chosen file name.
// `*unreadable`, when given, tells whether the chosen file was there but could
// not be opened or read (it vanished after the look, or its permissions forbid
// it): the set is then empty as for a missing file, but the file is not missing.
std::string LoadLightCurves(LightCurveSet& set, std::chrono::year_month_day date,
                            std::string_view light_curve_path, std::string_view title_comment,
                            bool* unreadable = nullptr);

// Reads the whole text of a light-curve file into the set's rows, frequencies and
// minima (the minima are only lowered here; the caller resets them first). A last
// line without its line break is stored but lowers no minimum: it may be half written.
void ParseLightCurves(LightCurveSet& set, std::string_view file_text);
