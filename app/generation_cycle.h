#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "chart_file.h"
#include "light_curve_reader.h"
#include "light_curve_set.h"
#include "parameter_fields.h"

// Output label text when the day's light-curve file is there but cannot be
// read, and the note after its name in the input label.
inline constexpr std::string_view kUnreadableInputText = "No chart: the light-curve file could not be read";
inline constexpr std::string_view kNotReadNote = " (not read)";

// What one generation did: the texts of the input and output labels and
// whether the chart file was written.
struct GenerationResult {
  std::string input_label;
  ChartResult chart;
};

// Today's local calendar date from the system clock.
std::chrono::year_month_day LocalToday();

// The generation step of the cycle: reads the day's light curves into the one
// light-curve set and draws them into the chart file. Holds the set and the
// reader's state for the life of the program; the settings are the caller's.
class GenerationCycle {
 public:
  explicit GenerationCycle(const ParameterFields& fields, LocalDateSource today = LocalToday);

  // One generation tick: the processing date follows DayOffset, FirstCycle and
  // the day change.
  GenerationResult Generate();

  // Regenerates the dated chart of `date`, as on the tick that sees a day change.
  GenerationResult GenerateForDate(std::chrono::year_month_day date);

  const LightCurveSet& Set() const { return *set_; }

 private:
  GenerationResult Plot(std::string input_label, bool unreadable);

  const ParameterFields& fields_;
  LocalDateSource today_;
  std::unique_ptr<LightCurveSet> set_;
  LightCurveReaderState reader_state_;
};

// The chart parameters of the settings, as plain values for the renderer.
ChartParams ChartParamsOf(const ParameterFields& fields);
