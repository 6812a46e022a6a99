#include <gtest/gtest.h>

#include <gdfontl.h>
#include <gdfonts.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "chart_frame.h"
#include "png_probe.h"
#include "text_format.h"

namespace {

ChartParams Params(int width = 640, int height = 400, int scale_min = 0, int scale_max = 100, int steps = 5) {
  ChartParams params;
  params.TitleComment = "ABCDEFGHIJ";  // a title of 30 characters
  params.ImageWidth = width;
  params.ImageHeight = height;
  params.YScaleMin = scale_min;
  params.YScaleMax = scale_max;
  params.YScaleSteps = steps;
  return params;
}

PaletteImage Frame(const ChartParams& params) {
  auto set = std::make_unique<LightCurveSet>();
  set->Year = 2026;
  set->Month = 12;
  set->Day = 7;
  set->UnitLabel = kSfuUnitLabel;
  ChartContext context = DrawChartFrame(*set, params);
  EXPECT_NE(context.Image, nullptr);
  return FromGdImage(context.Image.get());
}

// Checks that the glyph pixels gd draws for `text` alone at (x, y) have the
// colour, and that no other pixel of its character cells at or below
// `own_from_y` has it (rows above may be shared with neighbouring text).
void ExpectText(const PaletteImage& chart, gdFontPtr font, int x, int y, std::string text, int colour,
                int own_from_y = INT_MIN) {
  SCOPED_TRACE("text \"" + text + "\" at " + std::to_string(x) + "," + std::to_string(y));
  GdImage scratch(gdImageCreate(chart.width, chart.height));
  gdImageColorAllocate(scratch.get(), 255, 255, 255);
  const int ink = gdImageColorAllocate(scratch.get(), 0, 0, 0);
  gdImageString(scratch.get(), font, x, y, reinterpret_cast<unsigned char*>(text.data()), ink);
  const PaletteImage expected = FromGdImage(scratch.get());
  const int right = x + font->w * static_cast<int>(text.size()) - 1;
  ASSERT_GT(expected.CountIn(ink, x, y, right, y + font->h - 1), 0);
  int mismatches = 0;
  for (int py = std::max(y, 0); py < std::min(y + font->h, chart.height); ++py) {
    for (int px = std::max(x, 0); px <= std::min(right, chart.width - 1); ++px) {
      const bool glyph = expected.At(px, py) == ink;
      if (glyph || py >= own_from_y) mismatches += glyph != (chart.At(px, py) == colour);
    }
  }
  EXPECT_EQ(mismatches, 0);
}

// Hour tick x of a 640-pixel chart: 50 + 70j/3 truncated.
constexpr int kHourX[25] = {50,  73,  96,  120, 143, 166, 190, 213, 236, 260, 283, 306, 330,
                            353, 376, 400, 423, 446, 470, 493, 516, 540, 563, 586, 610};

TEST(TextFormatTest, MatchesPrintfInTheCLocale) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  for (const double value : {0.0, -0.0, 0.25, 0.35, -0.05, -0.04, 100.0, -10.0, 12345678.95, 1e300, -1e-300,
                             150.5, 1.25, inf, -inf, nan, -nan}) {
    for (const auto& [width, precision] : {std::pair{7, 1}, {3, 1}, {0, 3}}) {
      char expected[512];
      std::snprintf(expected, sizeof expected, "%*.*f", width, precision, value);
      EXPECT_EQ(FormatFixed(value, width, precision), expected) << value;
    }
  }
  for (const long long value : {0LL, 7LL, -5LL, 2026LL, 123456LL, LLONG_MIN}) {
    for (const int width : {2, 4}) {
      char expected[64];
      std::snprintf(expected, sizeof expected, "%0*lld", width, value);
      EXPECT_EQ(FormatZeroPadded(value, width), expected) << value;
    }
  }
}

TEST(ChartFrameTest, PaletteBorderAndPlotArea) {
  const PaletteImage chart = Frame(Params());
  ASSERT_EQ(chart.palette.size(), kPalette.size());
  for (std::size_t i = 0; i < kPalette.size(); ++i) {
    EXPECT_EQ(chart.palette[i].red, kPalette[i].red);
    EXPECT_EQ(chart.palette[i].green, kPalette[i].green);
    EXPECT_EQ(chart.palette[i].blue, kPalette[i].blue);
  }
  // Grey 5 pixels wide left and top, 4 right and bottom.
  EXPECT_EQ(chart.CountIn(kGrey, 0, 0, 4, 399), 5 * 400);
  EXPECT_EQ(chart.CountIn(kGrey, 0, 0, 639, 4), 640 * 5);
  EXPECT_EQ(chart.CountIn(kGrey, 636, 0, 639, 399), 4 * 400);
  EXPECT_EQ(chart.CountIn(kGrey, 0, 396, 639, 399), 640 * 4);
  EXPECT_EQ(chart.CountIn(kGrey, 5, 5, 635, 395), 0);
  EXPECT_EQ(chart.At(5, 200), kWhite);
  EXPECT_EQ(chart.At(635, 200), kWhite);
  EXPECT_EQ(chart.At(20, 395), kWhite);
  // The plot area (50, 30) to (610, 360), corners included, no frame lines.
  EXPECT_EQ(chart.CountIn(kNavy, 51, 31, 609, 359), 559 * 329);
  EXPECT_EQ(chart.At(610, 31), kNavy);
  EXPECT_EQ(chart.At(51, 360), kNavy);
  EXPECT_EQ(chart.At(49, 31), kWhite);
  EXPECT_EQ(chart.At(611, 100), kWhite);
  EXPECT_EQ(chart.At(100, 29), kWhite);
  EXPECT_EQ(chart.At(100, 361), kWhite);
  EXPECT_EQ(chart.CountIn(kCyan, 0, 0, 639, 399), 0);
}

TEST(ChartFrameTest, ValueAxisTicksAndLabels) {
  const PaletteImage chart = Frame(Params());
  const int tick_y[] = {30, 96, 162, 228, 294, 360};
  const char* labels[] = {"  100.0", "   80.0", "   60.0", "   40.0", "   20.0", "    0.0"};
  EXPECT_EQ(chart.CountIn(kBlack, 44, 0, 49, 365), 6 * 5);  // nothing but the ticks
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(chart.CountIn(kBlack, 45, tick_y[i], 50, tick_y[i]), 6);
    ExpectText(chart, gdFontGetSmall(), 2, tick_y[i] - 8, labels[i], kBlack);
  }
  ExpectText(chart, gdFontGetSmall(), 8, 10, "[SFU]", kBlack);
}

TEST(ChartFrameTest, OtherScales) {
  {
    SCOPED_TRACE("negative minimum");
    const PaletteImage chart = Frame(Params(640, 400, -10, 90, 5));
    ExpectText(chart, gdFontGetSmall(), 2, 352, "  -10.0", kBlack);
    ExpectText(chart, gdFontGetSmall(), 2, 22, "   90.0", kBlack);
  }
  {
    SCOPED_TRACE("one step");
    const PaletteImage chart = Frame(Params(640, 400, 0, 100, 1));
    EXPECT_EQ(chart.CountIn(kBlack, 44, 0, 49, 365), 2 * 5);
    EXPECT_EQ(chart.CountIn(kBlack, 45, 30, 50, 30), 6);
    EXPECT_EQ(chart.CountIn(kBlack, 45, 360, 50, 360), 6);
    ExpectText(chart, gdFontGetSmall(), 2, 22, "  100.0", kBlack);
    ExpectText(chart, gdFontGetSmall(), 2, 352, "    0.0", kBlack);
  }
  {
    SCOPED_TRACE("negative steps: no value axis");
    const PaletteImage chart = Frame(Params(640, 400, 0, 100, -5));
    EXPECT_EQ(chart.CountIn(kBlack, 0, 23, 49, 365), 0);
  }
}

TEST(ChartFrameTest, TimeAxisTicksAndLabels) {
  const PaletteImage chart = Frame(Params());
  EXPECT_EQ(chart.CountIn(kBlack, 51, 361, 609, 370), 23 * 5 + 11 * 4);  // ticks only
  for (int hour = 0; hour <= 24; ++hour) {
    SCOPED_TRACE(hour);
    const int x = kHourX[hour];
    const bool even = hour % 2 == 0;
    EXPECT_EQ(chart.CountIn(kBlack, x, 360, x, 365), 6);
    EXPECT_EQ(chart.CountIn(kBlack, x, 366, x, 370), even ? 4 : 0);
    if (even) {
      char label[3];
      std::snprintf(label, sizeof label, "%02d", hour);
      ExpectText(chart, gdFontGetSmall(), x - 5, 371, label, kBlack);
    }
  }
}

// The caption's top rows meet the bottom rows of the hour labels' cells.
constexpr int kBelowHourLabels = 384;

TEST(ChartFrameTest, CaptionAndTitle) {
  const PaletteImage chart = Frame(Params());
  ExpectText(chart, gdFontGetSmall(), 234, 381, "Observation Time [UT] of 07/12/2026", kBlack, kBelowHourLabels);
  ExpectText(chart, gdFontGetLarge(), 205, 8, "Lightcurves Quorvix ABCDEFGHIJ", kDarkGrey);
  EXPECT_EQ(chart.CountIn(kDarkGrey, 0, 0, 639, 399), chart.CountIn(kDarkGrey, 205, 8, 444, 23));

  // Both halvings truncate: a 21-character title on an odd width, an empty comment.
  ChartParams params = Params(641, 400);
  params.TitleComment = "X";
  ExpectText(Frame(params), gdFontGetLarge(), 236, 8, "Lightcurves Quorvix X", kDarkGrey);
  ExpectText(Frame(params), gdFontGetSmall(), 234, 381, "Observation Time [UT] of 07/12/2026", kBlack,
             kBelowHourLabels);
  params = Params(500, 400);
  params.TitleComment = "";
  ExpectText(Frame(params), gdFontGetLarge(), 240 - 70, 8, "Lightcurves Quorvix ", kDarkGrey);
  ExpectText(Frame(params), gdFontGetSmall(), 164, 381, "Observation Time [UT] of 07/12/2026", kBlack,
             kBelowHourLabels);
}

TEST(ChartFrameTest, ImageSmallerThanTheMarginsPaintsNoReversedRectangle) {
  EXPECT_EQ(Frame(Params(640, 60)).CountIn(kNavy, 0, 0, 639, 59), 0);
  EXPECT_EQ(Frame(Params(70, 400)).CountIn(kNavy, 0, 0, 69, 399), 0);
  // (5, 5) to (3, 3) would become (3, 3) to (5, 5) if the corners were swapped.
  const PaletteImage tiny = Frame(Params(8, 8));
  EXPECT_EQ(tiny.CountIn(kGrey, 0, 0, 7, 7), 64);
}

}  // namespace
