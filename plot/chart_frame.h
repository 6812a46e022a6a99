#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

#include <gd.h>

#include "light_curve_set.h"

struct ImageDeleter {
  void operator()(gdImagePtr image) const noexcept { gdImageDestroy(image); }
};
using GdImage = std::unique_ptr<gdImage, ImageDeleter>;

// What the chart needs of the station's settings, read afresh on every call.
struct ChartParams {
  std::string_view ImageDir;      // prefix of the chart file names, used as written
  std::string_view TitleComment;  // the station word in the title and file names
  std::int32_t AdcDivider = 0;
  std::int32_t ImageWidth = 0;
  std::int32_t ImageHeight = 0;
  std::int32_t YScaleMin = 0;
  std::int32_t YScaleMax = 0;
  std::int32_t YScaleSteps = 0;
};

// The fixed layout of the chart, in pixels.
namespace layout {
inline constexpr int kPlotLeft = 50;
inline constexpr int kPlotTop = 30;
inline constexpr int kPlotRightMargin = 30;
inline constexpr int kPlotBottomMargin = 40;
inline constexpr int kInnerBorder = 5;         // white background inset from each edge
inline constexpr int kValueTickLength = 5;     // x = PlotLeft - 5 .. PlotLeft
inline constexpr int kValueLabelX = 2;
inline constexpr int kValueLabelRise = 8;      // label top above its tick
inline constexpr int kUnitLabelX = 8;
inline constexpr int kUnitLabelRise = 20;      // above PlotTop
inline constexpr int kHourCount = 24;
inline constexpr int kShortHourTick = 5;
inline constexpr int kLongHourTick = 9;
inline constexpr int kHourLabelShift = 5;      // label left of its tick
inline constexpr int kHourLabelDrop = 11;      // below PlotBottom
inline constexpr int kCaptionHalfWidth = 96;
inline constexpr int kCaptionDrop = 21;        // below PlotBottom
inline constexpr int kTitleY = 8;
inline constexpr int kTitleCharWidth = 7;      // title placement, not the font's cell width
inline constexpr int kTitleExtra = 21;
inline constexpr int kCurveLift = 2;           // curves sit above the value ticks
inline constexpr int kLegendLeftOfRight = 65;
inline constexpr int kLegendTop = 35;
inline constexpr int kLegendSpacing = 10;
}  // namespace layout

// The ten colours in allocation order; on a new palette image the index of each
// is its position here, and the PNG palette lists them in the same order.
enum PaletteColour : int {
  kWhite, kRed, kYellow, kNavy, kGrey, kDarkGrey, kBlack, kGreen, kMagenta, kCyan, kPaletteSize
};
struct Rgb { int red, green, blue; };
inline constexpr std::array<Rgb, kPaletteSize> kPalette{{
    {255, 255, 255}, {255, 0, 0}, {240, 255, 0}, {0, 0, 128}, {128, 128, 128},
    {64, 64, 64}, {0, 0, 0}, {0, 255, 0}, {255, 0, 255}, {5, 237, 255}}};

// What the stages of one chart hand on: the image (owned), the palette indices,
// the plot rectangle and the value scale.
struct ChartContext {
  GdImage Image;
  std::array<int, kPaletteSize> Palette{};
  int PlotLeft = 0;
  int PlotTop = 0;
  int PlotRight = 0;
  int PlotBottom = 0;
  float ScaleMin = 0;
  float ValueStep = 0;
  float ScaleSpan = 0;
};

// Creates the image and draws background, plot area, value and time axes, unit
// label, date caption and title. The caller has checked that the size and scale
// are usable; the returned context holds a null image when gd cannot create it.
ChartContext DrawChartFrame(const LightCurveSet& set, const ChartParams& params);
