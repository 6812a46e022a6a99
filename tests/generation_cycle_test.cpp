#include "generation_cycle.h"

#include <clocale>
#include <string>

#include <gtest/gtest.h>

#include "example_station.h"
#include "png_probe.h"
#include "temp_dir.h"

namespace {

using std::chrono::year;

// A station with its files in a temporary directory and a clock the test sets.
class GenerationCycleTest : public ::testing::Test {
 protected:

  // A day file whose single data line lies at 12.0 h with `level` in every channel.
  void WriteDay(const std::string& digits, int level) {
    std::string line = "12.0";
    for (int k = 0; k < 10; ++k) line += "," + std::to_string(level);
    dir_.Write("lc/LC" + digits + "_SFU_ST.txt", "Time_UT,45.0MHz\nunits\n" + line + "\n");
  }

  std::chrono::year_month_day today_ = year{2026} / 12 / 8;
  TempDir dir_;
  ParameterFields fields_ = ExampleFields(dir_.MakeDir("www"), dir_.MakeDir("lc"), "ST");
  GenerationCycle cycle_{fields_, [this] { return today_; }};
};

TEST_F(GenerationCycleTest, DayChangeWritesTheFinishedDayOnceUnderItsDate) {
  WriteDay("20261207", 40);
  WriteDay("20261208", 60);

  GenerationResult first = cycle_.Generate();
  EXPECT_EQ(first.input_label, fields_.LightCurvePath + "LC20261208_SFU_ST.txt");
  EXPECT_EQ(first.chart.label, fields_.ImageDir + "LightcurvesST.png");
  EXPECT_EQ(first.chart.outcome, ChartOutcome::kWritten);
  fields_.FirstCycle = false;

  today_ = year{2026} / 12 / 9;
  GenerationResult changed = cycle_.Generate();
  EXPECT_EQ(changed.input_label, fields_.LightCurvePath + "LC20261208_SFU_ST.txt");
  EXPECT_EQ(changed.chart.label, fields_.ImageDir + "LightcurvesST_20261208.png");
  EXPECT_FALSE(cycle_.Set().DayChanged);

  // The new day has no file yet: an empty chart of that day, not yesterday's curves.
  GenerationResult next = cycle_.Generate();
  EXPECT_EQ(next.input_label, fields_.LightCurvePath + "LC20261209_ADU_ST.txt");
  EXPECT_EQ(next.chart.label, fields_.ImageDir + "LightcurvesST.png");
  EXPECT_EQ(cycle_.Set().RowCount, 0);
  const PaletteImage chart = DecodePng(ReadFileBytes(fields_.ImageDir + "LightcurvesST.png"));
  EXPECT_EQ(chart.CountIn(kNavy, 51, 31, 609, 359), 559 * 329) << "the plot area holds no curve pixel";

  const PaletteImage dated = DecodePng(ReadFileBytes(fields_.ImageDir + "LightcurvesST_20261208.png"));
  EXPECT_EQ(dated.At(330, 358 - 198), kWhite) << "level 60 of the finished day";
}

TEST_F(GenerationCycleTest, GenerateForDateWritesTheDatedChartWhateverTheOffset) {
  WriteDay("20240307", 50);
  fields_.DayOffset = 3;
  const GenerationResult result = cycle_.GenerateForDate(year{2024} / 3 / 7);
  EXPECT_EQ(result.input_label, fields_.LightCurvePath + "LC20240307_SFU_ST.txt");
  EXPECT_EQ(result.chart.label, fields_.ImageDir + "LightcurvesST_20240307.png");
  EXPECT_EQ(result.chart.outcome, ChartOutcome::kWritten);
  EXPECT_FALSE(cycle_.Set().DayChanged);
}

TEST_F(GenerationCycleTest, CommaDecimalLocaleGivesTheSameChart) {
  // Fractional numbers everywhere: times, levels and frequencies in the legend.
  dir_.Write("lc/LC20261208_SFU_ST.txt",
             "Time_UT,45.5MHz,80.25MHz\nunits\n6.5,12.5,33.75\n12.25,50.5,60.5\n18.75,70.5,20.5\n");
  ASSERT_EQ(cycle_.Generate().chart.outcome, ChartOutcome::kWritten);
  const auto plain = ReadFileBytes(fields_.ImageDir + "LightcurvesST.png");

  const std::string previous = std::setlocale(LC_ALL, nullptr);
  ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr) << "the de_DE.UTF-8 locale is not installed";
  const GenerationResult result = cycle_.Generate();
  std::setlocale(LC_ALL, previous.c_str());

  ASSERT_EQ(result.chart.outcome, ChartOutcome::kWritten);
  EXPECT_EQ(ReadFileBytes(fields_.ImageDir + "LightcurvesST.png"), plain);
  EXPECT_FLOAT_EQ(cycle_.Set().Frequencies[1], 80.25f);
}

}  // namespace
