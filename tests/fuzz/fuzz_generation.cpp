// One whole generation: settings and a light-curve file in, a chart file out.
//
// The input is the settings text (read both as wwwpar.cfg and as the
// instrument file, so it can carry [titlecomment] as well), then optionally a
// line "--SFU" or "--ADU" (LF or CR LF) and after it the text of that day's SFU or ADU
// light-curve file:
//
//   [width]=640
//   [yscale]=0,200,10
//   [titlecomment]=DEMO
//   --SFU
//   Time_UT,45.0MHz,...
//
// Without such a line there is no light-curve file. Whatever the settings
// say, the station's directories are fixed ones in a temporary directory made
// once per process, so nothing is read or written anywhere else.
#include <algorithm>
#include <bit>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config_reader.h"
#include "fuzz_support.h"
#include "generation_cycle.h"
#include "plot_light_curves.h"

namespace {

namespace fs = std::filesystem;
using std::chrono::year_month_day;

// A usable chart is drawn at most this wide and high: a larger one draws the
// same layout, only slower, and encoding millions of pixels would take most of
// the fuzzing time. A size that the program refuses is left as it is, so the
// refusal itself is fuzzed.
constexpr std::int32_t kMaxFuzzedSide = 2048;

constexpr year_month_day kToday{std::chrono::year{2024}, std::chrono::month{3}, std::chrono::day{7}};

// The station's directories, in a scratch directory made once per process.
struct Station {
  Station() {
    std::filesystem::create_directory(images);
    std::filesystem::create_directory(curves);
  }

  ScratchDir root;
  std::string images = root.Path() + "images/";
  std::string curves = root.Path() + "lightcurves/";
};

const Station& TheStation() {
  static const Station station;
  return station;
}

struct FuzzInput {
  std::string_view settings;
  std::optional<std::string_view> light_curves;
  bool sfu = true;
};

FuzzInput Split(std::string_view text) {
  FuzzInput input{text, std::nullopt, true};
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (line.ends_with('\r')) line.remove_suffix(1);  // a CR LF settings text
    if (line == "--SFU" || line == "--ADU") {
      input.settings = text.substr(0, start);
      input.light_curves = end < text.size() ? text.substr(end + 1) : std::string_view();
      input.sfu = line == "--SFU";
      return input;
    }
    start = end + 1;
  }
  return input;
}

std::vector<unsigned char> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t BigEndian32(const std::vector<unsigned char>& bytes, std::size_t at) {
  return std::uint32_t{bytes[at]} << 24 | std::uint32_t{bytes[at + 1]} << 16 | std::uint32_t{bytes[at + 2]} << 8 |
         bytes[at + 3];
}

// A written chart is a PNG of the configured size with the ten-colour palette
// right after its header.
void RequireChart(const std::string& path, const ParameterFields& fields) {
  const std::vector<unsigned char> png = ReadBytes(path);
  static constexpr unsigned char kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  FUZZ_REQUIRE(png.size() > 8 + 25 + 12);
  FUZZ_REQUIRE(std::equal(std::begin(kSignature), std::end(kSignature), png.begin()));
  FUZZ_REQUIRE(BigEndian32(png, 8) == 13 && std::string(png.begin() + 12, png.begin() + 16) == "IHDR");
  FUZZ_REQUIRE(BigEndian32(png, 16) == static_cast<std::uint32_t>(fields.ImageWidth));
  FUZZ_REQUIRE(BigEndian32(png, 20) == static_cast<std::uint32_t>(fields.ImageHeight));
  FUZZ_REQUIRE(png[25] == 3);  // palette colour type
  FUZZ_REQUIRE(BigEndian32(png, 33) == 3 * kPaletteSize && std::string(png.begin() + 37, png.begin() + 41) == "PLTE");
}

// The file read from disk gives the set that its text gives.
void RequireSameAsParsed(const LightCurveSet& set, std::string_view text) {
  static const std::unique_ptr<LightCurveSet> parsed = std::make_unique<LightCurveSet>();
  // As fresh as the cycle's own set, in every row the text can reach.
  const std::size_t rows = std::min<std::size_t>(text.size() + 1, kMaxRows);
  std::fill_n(parsed->Samples.begin(), rows, SampleRow{});
  parsed->Frequencies.fill(0);
  parsed->ChannelMinima.fill(kNoMinimum);
  ParseLightCurves(*parsed, text);

  const auto same = [](float a, float b) { return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b); };
  FUZZ_REQUIRE(set.RowCount == parsed->RowCount);
  for (int k = 0; k < kChannelCount; ++k) {
    FUZZ_REQUIRE(same(set.Frequencies[k], parsed->Frequencies[k]));
    FUZZ_REQUIRE(same(set.ChannelMinima[k], parsed->ChannelMinima[k]));
  }
  for (int row = 0; row < set.RowCount; ++row) {
    for (int column = 0; column < kColumnCount; ++column) {
      FUZZ_REQUIRE(same(set.Samples[row][column], parsed->Samples[row][column]));
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Station& station = TheStation();
  const FuzzInput input = Split(AsText(data, size));

  ParameterFields fields;
  ApplyParameterText(fields, input.settings);
  ApplyInstrumentText(fields, input.settings);
  fields.ConfigFilePath.clear();
  fields.ImageDir = station.images;
  fields.LightCurvePath = station.curves;
  // The word is part of both file names; a "/" in it would name a file in some
  // other directory (a station's word never holds one).
  for (char& c : fields.TitleComment) {
    if (c == '/') c = '_';
  }
  if (!UnusableChartReason(ChartParamsOf(fields))) {
    fields.ImageWidth = std::min(fields.ImageWidth, kMaxFuzzedSide);
    fields.ImageHeight = std::min(fields.ImageHeight, kMaxFuzzedSide);
  }
  fields.FirstCycle = true;

  std::string curve_file;
  if (input.light_curves) {
    curve_file = LightCurveFileName(station.curves, kToday, input.sfu, fields.TitleComment);
    std::ofstream(curve_file, std::ios::binary).write(input.light_curves->data(),
                                                      static_cast<std::streamsize>(input.light_curves->size()));
  }

  GenerationCycle cycle(fields, [] { return kToday; });
  const GenerationResult result = cycle.Generate();

  // The processing date is today less the offset; its SFU file wins when it exists.
  const year_month_day date{std::chrono::sys_days{kToday} - std::chrono::days{fields.DayOffset}};
  const bool read = input.light_curves && date == kToday;
  FUZZ_REQUIRE(result.input_label ==
               LightCurveFileName(station.curves, date, read && input.sfu, fields.TitleComment));
  FUZZ_REQUIRE(cycle.Set().IsSfu == (read && input.sfu));
  FUZZ_REQUIRE(read ? cycle.Set().RowCount >= 1 : cycle.Set().RowCount == 0);
  FUZZ_REQUIRE(!cycle.Set().DayChanged);
  if (read) RequireSameAsParsed(cycle.Set(), *input.light_curves);

  const std::optional<std::string_view> unusable = UnusableChartReason(ChartParamsOf(fields));
  switch (result.chart.outcome) {
    case ChartOutcome::kWritten:
      FUZZ_REQUIRE(!unusable);
      FUZZ_REQUIRE(result.chart.label == ChartFileName(station.images, fields.TitleComment));
      RequireChart(result.chart.label, fields);
      fs::remove(result.chart.label);
      break;
    case ChartOutcome::kNoChart:
      FUZZ_REQUIRE(unusable && result.chart.label == *unusable);
      break;
    case ChartOutcome::kNotWritten:
      // The station's directories are writable and every name fits.
      FUZZ_REQUIRE(false);
      break;
  }
  if (!curve_file.empty()) fs::remove(curve_file);
  // Nothing else is left behind, not even a temporary chart file.
  FUZZ_REQUIRE(fs::is_empty(station.images) && fs::is_empty(station.curves));
  return 0;
}
