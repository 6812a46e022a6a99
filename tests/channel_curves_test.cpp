#include <gtest/gtest.h>

#include <gdfonts.h>

#include <cmath>
#include <limits>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "channel_curves.h"
#include "chart_frame.h"
#include "example_station.h"
#include "png_probe.h"

namespace {

using Pixel = std::tuple<int, int, int>;  // x, y, palette index

constexpr float kOffChart = -1e6f;  // a level far below the image, so gd drops it

ChartParams Params() { return ExampleChartParams("", "T"); }

// An SFU set whose data rows 1, 2, ... hold (time, channel 1 level), with a
// last row repeated as the reader stores it; the other channels lie off the chart.
std::unique_ptr<LightCurveSet> SetOf(const std::vector<std::pair<float, float>>& rows) {
  auto set = std::make_unique<LightCurveSet>();
  set->IsSfu = true;
  set->UnitLabel = kSfuUnitLabel;
  set->RowCount = static_cast<int>(rows.size()) + 2;
  for (std::size_t r = 0; r <= rows.size(); ++r) {
    SampleRow& row = set->Samples[r + 1];
    row.fill(kOffChart);
    const auto& [hours_ut, level] = rows[std::min(r, rows.size() - 1)];
    row[0] = hours_ut;
    row[1] = level;
  }
  return set;
}

// The pixels that DrawChannelCurves changes on the frame.
std::set<Pixel> CurvePixels(const LightCurveSet& set, const ChartParams& params = Params()) {
  ChartContext context = DrawChartFrame(set, params);
  const PaletteImage frame = FromGdImage(context.Image.get());
  DrawChannelCurves(set, params, context);
  const PaletteImage chart = FromGdImage(context.Image.get());
  std::set<Pixel> changed;
  for (int y = 0; y < chart.height; ++y) {
    for (int x = 0; x < chart.width; ++x) {
      if (chart.At(x, y) != frame.At(x, y)) changed.insert({x, y, chart.At(x, y)});
    }
  }
  return changed;
}

// The pixels of `text` drawn alone at (x, y) in `colour`.
std::set<Pixel> TextPixels(int x, int y, std::string text, int colour) {
  GdImage scratch(gdImageCreate(640, 400));
  gdImageColorAllocate(scratch.get(), 0, 0, 0);
  gdImageColorAllocate(scratch.get(), 255, 255, 255);
  gdImageString(scratch.get(), gdFontGetSmall(), x, y, reinterpret_cast<unsigned char*>(text.data()), 1);
  const PaletteImage image = FromGdImage(scratch.get());
  std::set<Pixel> pixels;
  for (int py = 0; py < image.height; ++py) {
    for (int px = 0; px < image.width; ++px) {
      if (image.At(px, py) == 1) pixels.insert({px, py, colour});
    }
  }
  return pixels;
}

TEST(ChannelCurvesTest, SfuLevelsLandOnTheScale) {
  // 3.3 pixels a unit above y = 358; a level of 100 lands 2 pixels above the top tick.
  EXPECT_EQ(CurvePixels(*SetOf({{6.5f, 50}, {12.0f, 50}, {18.0f, 0}, {23.0f, 100}})),
            (std::set<Pixel>{{201, 193, kYellow}, {330, 193, kYellow}, {470, 358, kYellow}, {586, 28, kYellow}}));
}

TEST(ChannelCurvesTest, RawCountsBecomeDecibelsAboveTheChannelMinimum) {
  auto set = SetOf({{1.0f, 600}, {2.0f, 500}, {3.0f, 3000}});
  set->IsSfu = false;
  set->ChannelMinima.fill(500);
  EXPECT_NEAR(ChannelLevel(*set, 0, 600, 4), 9.6212, 5e-5);
  // 25.4 enters as a float: as a double it would give 98.42519378...
  EXPECT_EQ(ChannelLevel(*set, 0, 1523, 4), 98.42520141601562f);
  EXPECT_EQ(ChannelLevel(*set, 0, 500, 4), 0.0f);
  EXPECT_EQ(CurvePixels(*set).count({73, 326, kYellow}), 1u);
  EXPECT_EQ(CurvePixels(*set).count({96, 358, kYellow}), 1u);

  // Without a file for the day every minimum is 3000 and the old rows are drawn against it.
  set->ChannelMinima.fill(kNoMinimum);
  EXPECT_EQ(CurvePixels(*set).count({120, 358, kYellow}), 1u);
  set->IsSfu = true;
  EXPECT_EQ(ChannelLevel(*set, 0, 600, 4), 600.0f);
}

TEST(ChannelCurvesTest, RowsNotRightOfTheirPredecessorAreLeftOut) {
  // Levels 10, 20, 30, 40 land at y = 325, 292, 259, 226.
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    const char* name;
    std::vector<std::pair<float, float>> rows;
    std::set<Pixel> drawn;
  };
  const Case cases[] = {
      {"clamped to both edges", {{-0.5f, 10}, {25.0f, 20}, {26.0f, 30}},
       {{50, 325, kYellow}, {610, 292, kYellow}}},
      {"a NaN time counts as 0", {{nan, 10}, {1.0f, 20}}, {{50, 325, kYellow}, {73, 292, kYellow}}},
      {"equal times", {{5.0f, 10}, {5.0f, 20}, {6.0f, 30}}, {{166, 325, kYellow}, {190, 259, kYellow}}},
      {"going back", {{10.0f, 10}, {10.1f, 20}, {3.0f, 30}, {3.1f, 40}},
       {{283, 325, kYellow}, {285, 292, kYellow}, {122, 226, kYellow}}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CurvePixels(*SetOf(c.rows)), c.drawn) << c.name;
  }
}

TEST(ChannelCurvesTest, LevelsWithoutAPixelDrawNothing) {
  const float inf = std::numeric_limits<float>::infinity();
  // A y in (-1, 0) truncates to row 0 and is drawn.
  EXPECT_EQ(CurvePixels(*SetOf({{1.0f, std::numeric_limits<float>::quiet_NaN()},
                                {2.0f, inf},
                                {3.0f, -inf},
                                {4.0f, 1e30f},
                                {5.0f, -1e30f},
                                {6.0f, 108.64f},
                                {7.0f, 50}})),
            (std::set<Pixel>{{190, 0, kYellow}, {213, 193, kYellow}}));
}

TEST(ChannelCurvesTest, OnlyRowsBetweenHeaderAndRepeatAreDrawnThenTheLegend) {
  auto set = SetOf({{12.0f, 0}});
  set->RowCount = 3;
  // Rows 0 and 2 would be drawn, left and right of row 1, if they were plotted.
  set->Samples[0][0] = 1.0f;
  set->Samples[2][0] = 20.0f;
  for (int channel = 0; channel < kChannelCount; ++channel) {
    set->Samples[0][channel + 1] = 50;
    set->Samples[1][channel + 1] = 10.0f * channel;
    set->Samples[2][channel + 1] = 50;
  }
  set->Frequencies = {150.5f, 1.25f, 0, 0, 0, 0, 0, 0, 0, 2000};
  std::set<Pixel> expected;
  const int colours[] = {kYellow, kRed, kGreen, kMagenta, kWhite};
  const int level_y[] = {358, 325, 292, 259, 226, 193, 160, 127, 94, 61};
  for (int channel = 0; channel < kChannelCount; ++channel) {
    expected.insert({330, level_y[channel], colours[channel % 5]});
  }
  // A frequency of 0 hides only the legend; "%3.1f" rounds 1.25 to even.
  expected.merge(TextPixels(545, 35, "150.5 MHz", kYellow));
  expected.merge(TextPixels(545, 45, "1.2 MHz", kRed));
  expected.merge(TextPixels(545, 125, "2000.0 MHz", kWhite));
  EXPECT_EQ(CurvePixels(*set), expected);

  set->RowCount = 2;
  EXPECT_TRUE(CurvePixels(*set).empty());
}

TEST(ChannelCurvesTest, LaterChannelsDrawOverEarlierOnes) {
  auto set = SetOf({{12.0f, 50}});
  set->Samples[1][2] = 50;
  set->Samples[2][2] = 50;
  EXPECT_EQ(CurvePixels(*set), (std::set<Pixel>{{330, 193, kRed}}));
}

}  // namespace
