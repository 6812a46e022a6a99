#include "light_curve_reader.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>

#include "temp_dir.h"

namespace {

using namespace std::chrono_literals;
using std::chrono::year_month_day;

constexpr year_month_day kMarch7 = 2024y / 3 / 7;
constexpr year_month_day kMarch8 = 2024y / 3 / 8;

constexpr std::string_view kHeader =
    "Time_UT,45.0MHz,50.5MHz,60MHz,70MHz,80MHz,90MHz,100MHz,110MHz,120MHz,130MHz";
constexpr std::array<float, kChannelCount> kHeaderFrequencies = {45.0f, 50.5f, 60,  70,  80,
                                                                 90,    100,   110, 120, 130};
constexpr float kUntouched = -99.0f;

// "<time>,<level>,<level+1>,...,<level+9>" and the row it gives.
std::string DataLine(int time, int level) {
  std::string line = std::to_string(time);
  for (int k = 0; k < kChannelCount; ++k) line += "," + std::to_string(level + k);
  return line;
}
SampleRow DataRow(int time, int level) {
  SampleRow row;
  row[0] = static_cast<float>(time);
  for (int k = 0; k < kChannelCount; ++k) row[k + 1] = static_cast<float>(level + k);
  return row;
}
SampleRow Filled(float value) {
  SampleRow row;
  row.fill(value);
  return row;
}

class LightCurveReaderTest : public testing::Test {
 protected:
  LightCurveReaderTest() {
    for (SampleRow& row : set_->Samples) row.fill(kUntouched);
    set_->Frequencies.fill(kUntouched);
  }

  void Parse(std::string_view text) { ParseLightCurves(*set_, text); }

  TempDir dir_;
  std::unique_ptr<LightCurveSet> set_ = std::make_unique<LightCurveSet>();
};

TEST(LightCurveFileNameTest, ComposesPathDateKindAndComment) {
  EXPECT_EQ(LightCurveFileName("/data/lc/", kMarch7, true, "STATION"), "/data/lc/LC20240307_SFU_STATION.txt");
  EXPECT_EQ(LightCurveFileName("/data/lc/", 2024y / 11 / 23, false, "X"), "/data/lc/LC20241123_ADU_X.txt");
  EXPECT_EQ(LightCurveFileName("", kMarch7, true, "STATION"), "LC20240307_SFU_STATION.txt");
}

TEST_F(LightCurveReaderTest, PrefersTheSfuFileAndFallsBackToTheAduFile) {
  const std::string sfu = LightCurveFileName(dir_.Path(), kMarch7, true, "ST");
  const std::string adu = LightCurveFileName(dir_.Path(), kMarch7, false, "ST");
  dir_.Write("LC20240307_ADU_ST.txt", DataLine(1, 500));

  // A directory under the SFU name is no SFU file.
  dir_.MakeDir("LC20240307_SFU_ST.txt");
  EXPECT_EQ(LoadLightCurves(*set_, kMarch7, dir_.Path(), "ST"), adu);
  EXPECT_FALSE(set_->IsSfu);
  EXPECT_EQ(set_->UnitLabel, kDbUnitLabel);
  EXPECT_EQ(set_->Samples[0], DataRow(1, 500));

  std::filesystem::remove(sfu);
  dir_.Write("LC20240307_SFU_ST.txt", DataLine(2, 100));
  EXPECT_EQ(LoadLightCurves(*set_, kMarch7, dir_.Path(), "ST"), sfu);
  EXPECT_TRUE(set_->IsSfu);
  EXPECT_EQ(set_->UnitLabel, kSfuUnitLabel);
  EXPECT_EQ(set_->Samples[0], DataRow(2, 100));
  EXPECT_EQ(set_->RowCount, 1);
  EXPECT_EQ(set_->Day, 7);
}

TEST_F(LightCurveReaderTest, MissingFileLeavesAnEmptySetWithTheDbUnit) {
  Parse(DataLine(1, 10) + "\n");
  set_->IsSfu = true;
  set_->ChannelMinima.fill(1.0f);

  EXPECT_EQ(LoadLightCurves(*set_, kMarch8, dir_.Path(), "ST"), dir_.Path() + "LC20240308_ADU_ST.txt");
  EXPECT_EQ(set_->RowCount, 0);
  EXPECT_FALSE(set_->IsSfu);
  EXPECT_EQ(set_->UnitLabel, kDbUnitLabel);
  for (const float minimum : set_->ChannelMinima) EXPECT_EQ(minimum, kNoMinimum);
  EXPECT_EQ(set_->Samples[0], DataRow(1, 10));
  EXPECT_EQ(set_->Year, 2024);
  EXPECT_EQ(set_->Month, 3);
  EXPECT_EQ(set_->Day, 8);
}

TEST_F(LightCurveReaderTest, NameLongerThanTheLimitCountsAsMissing) {
  // Both files exist; only the length of the composed name decides.
  for (const std::size_t length : {kMaxFileNameLength, kMaxFileNameLength + 1}) {
    SCOPED_TRACE(length);
    const std::size_t fixed = dir_.Path().size() + std::string_view("LC20240307_SFU_.txt").size();
    const std::string comment(length - fixed, 'c');
    dir_.Write("LC20240307_SFU_" + comment + ".txt", DataLine(1, 100));
    dir_.Write("LC20240307_ADU_" + comment + ".txt", DataLine(1, 100));
    const std::string name = LoadLightCurves(*set_, kMarch7, dir_.Path(), comment);
    EXPECT_EQ(name.size(), length);
    EXPECT_EQ(set_->IsSfu, length <= kMaxFileNameLength);
    EXPECT_EQ(set_->RowCount, length <= kMaxFileNameLength ? 1 : 0);
  }
}

TEST_F(LightCurveReaderTest, HeaderTakesRowZeroAndFinalLineBreakRepeatsTheLastLine) {
  const std::string body = std::string(kHeader) + "\n[h],[SFU]\n" + DataLine(1, 3100) + "\n" +
                           DataLine(2, 400) + "\n" + DataLine(3, 3005);
  for (const std::string_view ending : {"", "\n", "\r\n"}) {
    SCOPED_TRACE(testing::PrintToString(ending));
    std::string text = body + std::string(ending);
    if (ending == "\r\n") {
      for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2)) {
        text.insert(at, "\r");
      }
    }
    const bool repeats = !ending.empty();
    set_->ChannelMinima.fill(kNoMinimum);
    Parse(text);
    EXPECT_EQ(set_->RowCount, repeats ? 5 : 4);
    EXPECT_EQ(set_->Frequencies, kHeaderFrequencies);
    EXPECT_EQ(set_->Samples[0], Filled(kUntouched));
    EXPECT_EQ(set_->Samples[1], DataRow(1, 3100));
    EXPECT_EQ(set_->Samples[2], DataRow(2, 400));
    EXPECT_EQ(set_->Samples[3], DataRow(3, 3005));
    EXPECT_EQ(set_->Samples[4], repeats ? DataRow(3, 3005) : Filled(kUntouched));
    // Channel 1 never went below 3000 elsewhere than in line 2; the time column plays no part.
    for (int k = 0; k < kChannelCount; ++k) EXPECT_EQ(set_->ChannelMinima[k], 400.0f + k);
  }
}

TEST_F(LightCurveReaderTest, MinimaKeep3000ForLevelsAtOrAboveItAndIgnoreNan) {
  set_->ChannelMinima.fill(kNoMinimum);
  Parse("0,3000,nan,1e30,-inf,2999.5,3000,3000,3000,3000,3000\n");
  const std::array<float, kChannelCount> expected = {
      3000, 3000, 3000, -std::numeric_limits<float>::infinity(), 2999.5f, 3000, 3000, 3000, 3000, 3000};
  EXPECT_EQ(set_->ChannelMinima, expected);
  EXPECT_TRUE(std::isnan(set_->Samples[0][2]));
}

TEST_F(LightCurveReaderTest, DataLineFieldsThatDoNotScanKeepThePreviousLineValues) {
  Parse(DataLine(9, 9));  // an earlier call leaves nothing behind for the next
  Parse("5,1e50\n" + DataLine(1, 10) + "\n\n 2, 20,30\n1e,2\n7,8,x,9\n");
  SampleRow first = Filled(0.0f);
  first[0] = 5;
  first[1] = std::numeric_limits<float>::infinity();
  EXPECT_EQ(set_->Samples[0], first);
  EXPECT_EQ(set_->Samples[1], DataRow(1, 10));
  EXPECT_EQ(set_->Samples[2], DataRow(1, 10));  // blank line
  SampleRow partial = DataRow(1, 10);
  partial[0] = 2, partial[1] = 20, partial[2] = 30;
  EXPECT_EQ(set_->Samples[3], partial);
  EXPECT_EQ(set_->Samples[4], partial);  // "1e" fails the first field
  partial[0] = 7, partial[1] = 8;
  EXPECT_EQ(set_->Samples[5], partial);
  EXPECT_EQ(set_->RowCount, 7);
  EXPECT_EQ(set_->Frequencies[0], kUntouched);  // no header line, so the frequencies stay
}

TEST_F(LightCurveReaderTest, HeaderLinesAnywhereReplaceFrequenciesUpToTheFirstMismatch) {
  Parse(DataLine(1, 10) + "\n" + std::string(kHeader) + "\n" + DataLine(99, 99) + "\n" + DataLine(2, 20));
  EXPECT_EQ(set_->RowCount, 3);
  EXPECT_EQ(set_->Samples[0], DataRow(1, 10));
  EXPECT_EQ(set_->Samples[1], Filled(kUntouched));
  EXPECT_EQ(set_->Samples[2], DataRow(2, 20));
  EXPECT_EQ(set_->Frequencies, kHeaderFrequencies);

  // A blank before "MHz" stops the scan after the first frequency; a line that
  // only contains "Time_UT," replaces nothing but is still a header line.
  Parse("Time_UT,11 MHz,12MHz,13MHz,14MHz,15MHz,16MHz,17MHz,18MHz,19MHz,20MHz\nunits\n"
        "x Time_UT,1MHz\nskipped\n");
  std::array<float, kChannelCount> expected = kHeaderFrequencies;
  expected[0] = 11;
  EXPECT_EQ(set_->Frequencies, expected);
  EXPECT_EQ(set_->RowCount, 3);  // two headers, then the repeat of "skipped" as a data line
}

struct RowCountCase {
  std::string text;
  int rows;
};

class LineReadTest : public LightCurveReaderTest, public testing::WithParamInterface<RowCountCase> {};

TEST_P(LineReadTest, CountsRowsByLinePiecesAndTheEndOfText) {
  Parse(GetParam().text);
  EXPECT_EQ(set_->RowCount, GetParam().rows);
}

const std::string k179(kMaxLinePiece, 'x');

INSTANTIATE_TEST_SUITE_P(
    Cases, LineReadTest,
    testing::Values(RowCountCase{"", 1}, RowCountCase{"1", 1}, RowCountCase{"1\n", 2},
                    RowCountCase{"1\r\n", 2}, RowCountCase{"1\r", 1}, RowCountCase{"1\r2\n", 2},
                    RowCountCase{"1\n\n", 3}, RowCountCase{k179, 1}, RowCountCase{k179 + "\n", 2},
                    RowCountCase{k179 + "\r\n", 2}, RowCountCase{k179 + "\r", 1},
                    RowCountCase{k179 + "x", 2}, RowCountCase{k179 + "\n1", 2},
                    RowCountCase{"Time_UT,\n", 1}, RowCountCase{"Time_UT,\nunits\n", 2},
                    RowCountCase{"Time_UT,\nunits", 1}));

TEST_F(LightCurveReaderTest, LongLineReadsAsPiecesOf179Characters) {
  // 200 characters: "1,2,3" padded to 179, then the 21 characters "20,21,22,23,24,25,26,".
  std::string line = "1,2,3";
  line.resize(kMaxLinePiece, ' ');
  line += "20,21,22,23,24,25,26,";
  ASSERT_EQ(line.size(), 200u);
  Parse(line + "\n");
  EXPECT_EQ(set_->RowCount, 3);
  SampleRow piece = Filled(0.0f);
  piece[0] = 1, piece[1] = 2, piece[2] = 3;
  EXPECT_EQ(set_->Samples[0], piece);
  for (int k = 0; k < 7; ++k) piece[k] = static_cast<float>(20 + k);
  EXPECT_EQ(set_->Samples[1], piece);
}

TEST_F(LightCurveReaderTest, StopsAtTheRowLimitAndRecountsOnEveryRead) {
  std::string text;
  for (int i = 0; i < kMaxRows + 5; ++i) text += DataLine(i, i) + "\n";
  dir_.Write("LC20240307_ADU_ST.txt", text);
  for (int call = 0; call < 2; ++call) {
    LoadLightCurves(*set_, kMarch7, dir_.Path(), "ST");
    EXPECT_EQ(set_->RowCount, kMaxRows);
    EXPECT_EQ(set_->Samples[kMaxRows - 1], DataRow(kMaxRows - 1, kMaxRows - 1));
  }
}

TEST_F(LightCurveReaderTest, ReadsAsFarAsTheLongestPossibleRowsReach) {
  // Every row a header of 179 characters plus its skipped line, all ending in CR LF:
  // the last header the reader reaches lies just before byte 10000 * 2 * 181.
  // The frequency stands at the right edge of each header, so a cut one shows.
  auto padded = [](std::string_view start, std::string_view end) {
    std::string line(start);
    line.resize(kMaxLinePiece - end.size(), ' ');
    return line.append(end).append("\r\n");
  };
  const std::string skipped = padded("", "");
  std::string text;
  for (int i = 0; i < kMaxRows - 1; ++i) text += padded("Time_UT,", "1") + skipped;
  text += padded("Time_UT,", "77") + skipped + padded("Time_UT,", "88");
  dir_.Write("LC20240307_ADU_ST.txt", text);
  LoadLightCurves(*set_, kMarch7, dir_.Path(), "ST");
  EXPECT_EQ(set_->RowCount, kMaxRows);
  EXPECT_EQ(set_->Frequencies[0], 77.0f);
}

// Tests stand at five past midnight on 8 March 2024.
class ReadLightCurvesTest : public LightCurveReaderTest {
 protected:
  std::string Read(std::uint16_t day_offset, bool first_cycle = false) {
    const LightCurveSource source{dir_.Path(), "ST", day_offset, first_cycle};
    return ReadLightCurves(*set_, state_, source, [this] { return today_; });
  }
  year_month_day Date() const {
    return std::chrono::year{set_->Year} / set_->Month / set_->Day;
  }

  year_month_day today_ = kMarch8;
  LightCurveReaderState state_;
};

TEST_F(ReadLightCurvesTest, FirstCycleSeesNoDayChange) {
  Read(0, true);
  EXPECT_EQ(Date(), kMarch8);
  EXPECT_FALSE(set_->DayChanged);
  EXPECT_EQ(state_.LastDay, 8);
}

TEST_F(ReadLightCurvesTest, NewDayShowsYesterdayOnceThenToday) {
  dir_.Write("LC20240307_SFU_ST.txt", DataLine(23, 100));
  state_.LastDay = 7;
  EXPECT_EQ(Read(0), dir_.Path() + "LC20240307_SFU_ST.txt");
  EXPECT_EQ(Date(), kMarch7);
  EXPECT_TRUE(set_->DayChanged);
  EXPECT_EQ(set_->Samples[0], DataRow(23, 100));
  EXPECT_EQ(state_.LastDay, 8);

  EXPECT_EQ(Read(0), dir_.Path() + "LC20240308_ADU_ST.txt");
  EXPECT_EQ(Date(), kMarch8);
  EXPECT_TRUE(set_->DayChanged);  // only the chart output clears it
}

TEST_F(ReadLightCurvesTest, DayChangeWithOffsetReadsTheDayBeforeNow) {
  state_.LastDay = 4;
  Read(3);
  EXPECT_EQ(Date(), kMarch7);
  EXPECT_TRUE(set_->DayChanged);
  EXPECT_EQ(state_.LastDay, 5);
  Read(3);
  EXPECT_EQ(Date(), 2024y / 3 / 5);
}

TEST_F(ReadLightCurvesTest, OffsetCrossesMonthAndLeapDay) {
  today_ = 2024y / 3 / 1;
  Read(1, true);
  EXPECT_EQ(Date(), 2024y / 2 / 29);
  today_ = 2024y / 3 / 2;
  Read(1);
  EXPECT_EQ(Date(), 2024y / 3 / 1);
  EXPECT_TRUE(set_->DayChanged);
}

}  // namespace
