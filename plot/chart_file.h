#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "chart_frame.h"
#include "light_curve_set.h"

// "<dir>Lightcurves<comment>.png", or "<dir>Lightcurves<comment>_yyyymmdd.png"
// with the date of `dated_by` when it is given.
std::string ChartFileName(std::string_view image_dir, std::string_view title_comment,
                          const LightCurveSet* dated_by = nullptr);

// The PNG that gd writes for the image; empty when encoding failed.
std::vector<unsigned char> EncodePng(gdImagePtr image);

// Writes the bytes into a temporary file beside `path` and renames it over
// `path`, so a reader never sees a half-written file. On any failure the
// temporary file is removed, `path` is left as it was, and false is returned.
bool ReplaceFileAtomically(const std::string& path, const std::vector<unsigned char>& bytes);

enum class ChartOutcome {
  kWritten,     // the chart file was replaced
  kNotWritten,  // the chart was drawn but its file could not be written
  kNoChart,     // size or scale unusable, no image, or no light curves to read: nothing was drawn
};

// What one chart generation did: `label` is the text of the output label.
struct ChartResult {
  ChartOutcome outcome = ChartOutcome::kNoChart;
  std::string label;
};

// Text shown after the name of a chart that could not be written.
inline constexpr std::string_view kNotWrittenNote = " (not written)";

// Names the chart (dated when the set's DayChanged is set, which is cleared),
// encodes the image and replaces the file, then releases the image.
ChartResult WriteChartFile(LightCurveSet& set, const ChartParams& params, ChartContext& context);
