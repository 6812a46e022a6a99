#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "channel_curves.h"
#include "chart_file.h"
#include "light_curve_reader.h"
#include "plot_light_curves.h"
#include "example_station.h"
#include "png_probe.h"
#include "temp_dir.h"

namespace {

// Every chart file of these tests is created under this umask.
const mode_t kTestUmask = [] {
  umask(022);
  return mode_t{022};
}();

ChartParams Params(const std::string& image_dir) { return ExampleChartParams(image_dir, "XYZ"); }

std::unique_ptr<LightCurveSet> Set(bool day_changed) {
  auto set = std::make_unique<LightCurveSet>();
  set->Year = 2026;
  set->Month = 12;
  set->Day = 6;
  set->IsSfu = true;
  set->UnitLabel = kSfuUnitLabel;
  set->RowCount = 4;
  set->Samples[1] = {6.5f, 50, 40, 30, 20, 10, 60, 70, 80, 90, 95};
  set->Samples[2] = {12.0f, 50, 40, 30, 20, 10, 60, 70, 80, 90, 95};
  set->Samples[3] = set->Samples[2];
  set->Frequencies = {150.5f, 250, 350, 450, 550, 650, 750, 850, 950, 1050};
  set->DayChanged = day_changed;
  return set;
}

std::set<std::string> FilesIn(const std::string& dir) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) names.insert(entry.path().filename());
  return names;
}

TEST(ChartFileNameTest, DirectoryCommentAndDate) {
  auto set = Set(false);
  struct Case {
    std::string_view dir, comment;
    bool dated;
    std::string expected;
  };
  const Case cases[] = {
      {"/srv/www/", "XYZ", false, "/srv/www/LightcurvesXYZ.png"},
      {"/srv/www/", "XYZ", true, "/srv/www/LightcurvesXYZ_20261206.png"},
      {"", "XYZ", false, "LightcurvesXYZ.png"},
      {"/srv/www", "XYZ", false, "/srv/wwwLightcurvesXYZ.png"},
      {"", "", false, "Lightcurves.png"},
      {"", "", true, "Lightcurves_20261206.png"},
  };
  for (const Case& c : cases) EXPECT_EQ(ChartFileName(c.dir, c.comment, c.dated ? set.get() : nullptr), c.expected);
  set->Year = 2027;
  set->Month = 3;
  set->Day = 1;
  EXPECT_EQ(ChartFileName("", "XYZ", set.get()), "LightcurvesXYZ_20270301.png");
}

TEST(ChartFileTest, WritesTheDatedChartOnceThenTheUndatedOne) {
  const TempDir dir;
  auto set = Set(true);
  ChartResult result = PlotLightCurves(*set, Params(dir.Path()));
  EXPECT_EQ(result.outcome, ChartOutcome::kWritten);
  EXPECT_EQ(result.label, dir.Path() + "LightcurvesXYZ_20261206.png");
  EXPECT_FALSE(set->DayChanged);

  result = PlotLightCurves(*set, Params(dir.Path()));
  EXPECT_EQ(result.outcome, ChartOutcome::kWritten);
  EXPECT_EQ(result.label, dir.Path() + "LightcurvesXYZ.png");
  // Written again over the old file; no temporary file is left beside it.
  EXPECT_EQ(PlotLightCurves(*set, Params(dir.Path())).outcome, ChartOutcome::kWritten);
  EXPECT_EQ(FilesIn(dir.Path()), (std::set<std::string>{"LightcurvesXYZ.png", "LightcurvesXYZ_20261206.png"}));

  struct stat info {};
  ASSERT_EQ(stat(result.label.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0666 & ~kTestUmask);  // 0644: the web server reads it
}

TEST(ChartFileTest, FileIsGdsPalettePngOfTheChart) {
  const TempDir dir;
  auto set = Set(false);
  const std::string name = PlotLightCurves(*set, Params(dir.Path())).label;
  const std::vector<unsigned char> png = ReadFileBytes(name);
  const std::vector<PngChunk> chunks = ReadPngChunks(png);
  ASSERT_FALSE(chunks.empty());
  ASSERT_EQ(chunks[0].type, "IHDR");
  const std::vector<unsigned char> header = chunks[0].data;
  EXPECT_EQ(std::vector<unsigned char>(header.begin(), header.begin() + 8),
            (std::vector<unsigned char>{0, 0, 2, 128, 0, 0, 1, 144}));  // 640 x 400
  EXPECT_EQ(header[8], 4);   // bits a pixel
  EXPECT_EQ(header[9], 3);   // palette colour type
  EXPECT_EQ(header[12], 0);  // not interlaced
  std::vector<unsigned char> palette;
  for (const Rgb& rgb : kPalette) palette.insert(palette.end(), {static_cast<unsigned char>(rgb.red),
                                                                 static_cast<unsigned char>(rgb.green),
                                                                 static_cast<unsigned char>(rgb.blue)});
  int palettes = 0;
  for (const PngChunk& chunk : chunks) {
    EXPECT_TRUE(chunk.type != "tRNS" && chunk.type != "tEXt" && chunk.type != "zTXt" && chunk.type != "iTXt" &&
                chunk.type != "tIME")
        << chunk.type;
    if (chunk.type == "PLTE") {
      ++palettes;
      EXPECT_EQ(chunk.data, palette);
    }
  }
  EXPECT_EQ(palettes, 1);

  // The file holds the chart as drawn.
  ChartContext context = DrawChartFrame(*set, Params(dir.Path()));
  DrawChannelCurves(*set, Params(dir.Path()), context);
  const PaletteImage drawn = FromGdImage(context.Image.get());
  const PaletteImage decoded = DecodePng(png);
  EXPECT_EQ(decoded.indices, drawn.indices);
  EXPECT_EQ(decoded.At(330, 193), kYellow);
}

TEST(ChartFileTest, AFailedWriteKeepsWhatWasThereAndLeavesNoTemporaryFile) {
  const TempDir dir;
  {
    SCOPED_TRACE("directory missing");
    auto set = Set(true);
    const ChartResult result = PlotLightCurves(*set, Params(dir.Path() + "missing/"));
    EXPECT_EQ(result.outcome, ChartOutcome::kNotWritten);
    EXPECT_EQ(result.label, dir.Path() + "missing/LightcurvesXYZ_20261206.png (not written)");
    EXPECT_FALSE(set->DayChanged);
    EXPECT_TRUE(FilesIn(dir.Path()).empty());
  }
  {
    SCOPED_TRACE("a directory in the way");
    dir.MakeDir("LightcurvesXYZ.png");
    auto set = Set(false);
    EXPECT_EQ(PlotLightCurves(*set, Params(dir.Path())).outcome, ChartOutcome::kNotWritten);
    EXPECT_EQ(FilesIn(dir.Path()), std::set<std::string>{"LightcurvesXYZ.png"});
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() + "LightcurvesXYZ.png"));
  }
}

TEST(ChartFileTest, ReadOnlyDirectoryKeepsTheOldChart) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes into a read-only directory";
  const TempDir dir;
  const std::string old_file = dir.Write("LightcurvesXYZ.png", "old");
  ASSERT_EQ(chmod(dir.Path().c_str(), 0555), 0);
  auto set = Set(false);
  const ChartResult result = PlotLightCurves(*set, Params(dir.Path()));
  chmod(dir.Path().c_str(), 0755);
  EXPECT_EQ(result.outcome, ChartOutcome::kNotWritten);
  EXPECT_EQ(ReadTextFile(old_file), "old");
  EXPECT_EQ(FilesIn(dir.Path()), std::set<std::string>{"LightcurvesXYZ.png"});
}

TEST(ChartFileTest, NamesLongerThanTheLimitAreNotWritten) {
  const TempDir dir;
  // ImageDir is a plain prefix, so the padding lengthens the file's own name.
  const std::size_t fixed = dir.Path().size() + std::string_view("LightcurvesXYZ.png").size();
  ASSERT_LT(fixed, kMaxFileNameLength);
  const std::string longest = dir.Path() + std::string(kMaxFileNameLength - fixed, 'a');
  auto set = Set(false);
  EXPECT_EQ(PlotLightCurves(*set, Params(longest)).outcome, ChartOutcome::kWritten);
  EXPECT_EQ(PlotLightCurves(*set, Params(longest + "a")).outcome, ChartOutcome::kNotWritten);
  EXPECT_EQ(FilesIn(dir.Path()).size(), 1u);
}

TEST(ChartFileTest, UnusableScaleOrSizeDrawsAndWritesNothing) {
  struct Case {
    int width, height, scale_min, scale_max, steps;
    std::string_view text;
  };
  const Case cases[] = {
      {640, 400, 0, 100, 0, kUnusableScaleText},  {640, 400, 50, 50, 5, kUnusableScaleText},
      {0, 0, 0, 0, 0, kUnusableScaleText},        {0, 400, 0, 100, 5, kUnusableSizeText},
      {640, -1, 0, 100, 5, kUnusableSizeText},    {10000, 10000, 0, 100, 5, kUnusableSizeText},
      {-65536, -65536, 0, 100, 5, kUnusableSizeText}, {640, 400, 0, 100, 100001, kUnusableScaleText},
      {4097, 4096, 0, 100, 5, kUnusableSizeText},
  };
  const TempDir dir;
  const std::string old_file = dir.Write("LightcurvesXYZ.png", "old");
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + " steps " + std::to_string(c.steps));
    ChartParams params = Params(dir.Path());
    params.ImageWidth = c.width;
    params.ImageHeight = c.height;
    params.YScaleMin = c.scale_min;
    params.YScaleMax = c.scale_max;
    params.YScaleSteps = c.steps;
    auto set = Set(true);
    const ChartResult result = PlotLightCurves(*set, params);
    EXPECT_EQ(result.outcome, ChartOutcome::kNoChart);
    EXPECT_EQ(result.label, c.text);
    EXPECT_FALSE(set->DayChanged);
    EXPECT_EQ(FilesIn(dir.Path()), std::set<std::string>{"LightcurvesXYZ.png"});
    EXPECT_EQ(ReadTextFile(old_file), "old");
  }

  // A negative step count is a usable scale: the chart is drawn without ticks.
  ChartParams params = Params(dir.Path());
  params.YScaleSteps = -5;
  auto set = Set(false);
  EXPECT_EQ(PlotLightCurves(*set, params).outcome, ChartOutcome::kWritten);
  EXPECT_EQ(DecodePng(ReadFileBytes(old_file)).At(330, 193), kYellow);
}

}  // namespace
