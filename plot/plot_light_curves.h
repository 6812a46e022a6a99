#pragma once

#include <cstdint>

#include <optional>
#include <string_view>

#include "chart_file.h"
#include "chart_frame.h"
#include "light_curve_set.h"

// Fixed texts of the output label when no chart can be drawn.
inline constexpr std::string_view kUnusableScaleText =
    "No chart: [yscale] gives no usable value scale";
inline constexpr std::string_view kUnusableSizeText =
    "No chart: [width] and [height] give no usable image size";
inline constexpr std::string_view kNoImageText = "No chart: the image could not be created";

// Largest image drawn, in pixels (width times height): a larger one is refused
// as an unusable size rather than allocated and encoded on every tick.
inline constexpr long long kMaxImagePixels = 1LL << 24;

// Most value-axis divisions drawn: every division is a tick and a label, so a
// count far beyond any axis's pixels would hold up the tick for minutes.
inline constexpr std::int32_t kMaxScaleSteps = 100000;

// The text of the output label when the size or scale cannot give a chart
// (kUnusableScaleText or kUnusableSizeText); nothing when they can.
std::optional<std::string_view> UnusableChartReason(const ChartParams& params);

// Draws the set into a chart and writes it (frame, curves and legend, file).
// With an unusable scale or size nothing is drawn or written, the previous chart
// file stays, and DayChanged is cleared all the same.
ChartResult PlotLightCurves(LightCurveSet& set, const ChartParams& params);
