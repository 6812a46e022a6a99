// One generation of a full day's chart, its stages, and the baseline of the
// speed goal: reading the file's numbers plus encoding one 640 x 400 palette PNG.
// After the usual table it prints the ratios of the generation to the baseline
// and each stage's share of the generation.
#include <benchmark/benchmark.h>

#include <array>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include <gd.h>
#include <unistd.h>

#include "bench_day.h"
#include "channel_curves.h"
#include "chart_file.h"
#include "chart_frame.h"
#include "light_curve_reader.h"
#include "plot_light_curves.h"

namespace {

using std::chrono::year_month_day;

constexpr std::string_view kStation = "BENCH";
// Two dates, so that the ADU day has no SFU file of its own date.
constexpr year_month_day kSfuDate{std::chrono::year{2024}, std::chrono::month{3}, std::chrono::day{7}};
constexpr year_month_day kAduDate{std::chrono::year{2024}, std::chrono::month{3}, std::chrono::day{8}};

// The station laid out in a temporary directory for the whole run.
struct BenchStation {
  std::string root;
  std::string light_curve_dir;
  std::string image_dir;
  std::string sfu_file;
  std::string sfu_text;
  std::string adu_text;
  ChartParams sfu_params;
  ChartParams adu_params;
};

BenchStation* station = nullptr;

ChartParams ParamsFor(const std::string& image_dir, int scale_max, int scale_steps) {
  ChartParams params;
  params.ImageDir = image_dir;
  params.TitleComment = kStation;
  params.AdcDivider = 4;
  params.ImageWidth = 640;
  params.ImageHeight = 400;
  params.YScaleMin = 0;
  params.YScaleMax = scale_max;
  params.YScaleSteps = scale_steps;
  return params;
}

bool LayOutStation(BenchStation& s) {
  const std::filesystem::path base = std::filesystem::temp_directory_path() / "wwwplot-bench-XXXXXX";
  std::string pattern = base.string();
  if (mkdtemp(pattern.data()) == nullptr) return false;
  s.root = pattern + "/";
  s.light_curve_dir = s.root + "lightcurves/";
  s.image_dir = s.root + "images/";
  std::filesystem::create_directory(s.light_curve_dir);
  std::filesystem::create_directory(s.image_dir);
  s.sfu_text = BenchDaySfuText();
  s.adu_text = BenchDayAduText();
  s.sfu_file = LightCurveFileName(s.light_curve_dir, kSfuDate, true, kStation);
  s.sfu_params = ParamsFor(s.image_dir, 200, 10);  // as the demo station's [yscale]=0,200,10
  s.adu_params = ParamsFor(s.image_dir, 40, 8);    // dB above each channel's minimum
  return WriteBenchFile(s.sfu_file, s.sfu_text) &&
         WriteBenchFile(LightCurveFileName(s.light_curve_dir, kAduDate, false, kStation), s.adu_text);
}

// The light-curve set is large (10000 rows of 11 floats): one, kept for the run, as in the program.
LightCurveSet& Set() {
  static const std::unique_ptr<LightCurveSet> set = std::make_unique<LightCurveSet>();
  return *set;
}

void Load(bool sfu) {
  LoadLightCurves(Set(), sfu ? kSfuDate : kAduDate, station->light_curve_dir, kStation);
}

// --- One generation: read the day file, draw the chart, write it. ---

void Generation(benchmark::State& state, bool sfu) {
  const ChartParams& params = sfu ? station->sfu_params : station->adu_params;
  for (auto _ : state) {
    Load(sfu);
    const ChartResult result = PlotLightCurves(Set(), params);
    if (result.outcome != ChartOutcome::kWritten) {
      state.SkipWithError("the chart was not written");
      break;
    }
  }
}
void BM_Generation(benchmark::State& state) { Generation(state, true); }
void BM_Generation_ADU(benchmark::State& state) { Generation(state, false); }

// --- The stages. ---

void Read(benchmark::State& state, bool sfu) {
  for (auto _ : state) {
    Load(sfu);
    benchmark::DoNotOptimize(Set().RowCount);
  }
  if (Set().RowCount != kMaxRows) state.SkipWithError("the day file did not fill the table");
}
void BM_Read(benchmark::State& state) { Read(state, true); }
void BM_Read_ADU(benchmark::State& state) { Read(state, false); }

// Reading without the file system: the text already in memory.
void BM_Parse(benchmark::State& state) {
  for (auto _ : state) {
    ParseLightCurves(Set(), station->sfu_text);
    benchmark::DoNotOptimize(Set().RowCount);
  }
}

void BM_Frame(benchmark::State& state) {
  Load(true);
  for (auto _ : state) {
    ChartContext context = DrawChartFrame(Set(), station->sfu_params);
    benchmark::DoNotOptimize(context.Image.get());
  }  // the image is destroyed with its context, as in every generation
}

// The curves are drawn over the same frame each time: setting a pixel costs the
// same whatever it held.
void Curves(benchmark::State& state, bool sfu) {
  Load(sfu);
  const ChartParams& params = sfu ? station->sfu_params : station->adu_params;
  ChartContext context = DrawChartFrame(Set(), params);
  for (auto _ : state) {
    DrawChannelCurves(Set(), params, context);
    benchmark::ClobberMemory();
  }
}
void BM_Curves(benchmark::State& state) { Curves(state, true); }
void BM_Curves_ADU(benchmark::State& state) { Curves(state, false); }

// The finished chart of the day, encoded once for the writing stage.
GdImage FinishedChart() {
  Load(true);
  ChartContext context = DrawChartFrame(Set(), station->sfu_params);
  DrawChannelCurves(Set(), station->sfu_params, context);
  return std::move(context.Image);
}

void BM_Encode(benchmark::State& state) {
  const GdImage chart = FinishedChart();
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::vector<unsigned char> png = EncodePng(chart.get());
    bytes = png.size();
    benchmark::DoNotOptimize(png.data());
  }
  state.counters["png_bytes"] = static_cast<double>(bytes);
}

void BM_Write(benchmark::State& state) {
  const std::vector<unsigned char> png = EncodePng(FinishedChart().get());
  const std::string path = station->image_dir + "LightcurvesBENCH.png";
  for (auto _ : state) {
    if (!ReplaceFileAtomically(path, png)) {
      state.SkipWithError("the chart file could not be replaced");
      break;
    }
  }
}

// --- The baseline: read the file's numbers, encode the day's 640 x 400 palette PNG. ---

// Reads the whole file into `buffer` (kept between calls).
std::string_view ReadWholeFile(const std::string& path, std::vector<char>& buffer) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return {};
  buffer.resize(station->sfu_text.size());
  const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), file);
  std::fclose(file);
  return {buffer.data(), got};
}

// The least a reader must do: after the two header lines, every number with
// from_chars and one separator after it. Returns how many numbers were read.
std::size_t ScanNumbers(std::string_view text, float* out, std::size_t capacity) {
  const char* p = text.data();
  const char* const end = p + text.size();
  for (int line = 0; line < 2 && p < end; ++p) {
    if (*p == '\n') ++line;
  }
  std::size_t n = 0;
  while (p < end && n < capacity) {
    const auto [next, error] = std::from_chars(p, end, out[n]);
    if (error != std::errc{}) {
      ++p;
      continue;
    }
    ++n;
    p = next + 1;  // the comma or line end
  }
  return n;
}

std::array<float, kBenchDayRows * kColumnCount> scanned_numbers;

std::size_t BaselineScan(std::vector<char>& buffer) {
  const std::size_t n =
      ScanNumbers(ReadWholeFile(station->sfu_file, buffer), scanned_numbers.data(), scanned_numbers.size());
  benchmark::DoNotOptimize(scanned_numbers.data());
  return n;
}

// The chart that has to be published, encoded with gd: the PNG a generation
// cannot do without, whatever draws it.
int BaselineEncode() {
  static const GdImage chart = FinishedChart();
  int size = 0;
  void* png = gdImagePngPtr(chart.get(), &size);
  gdFree(png);
  return size;
}

void BM_Baseline(benchmark::State& state) {
  std::vector<char> buffer;
  for (auto _ : state) {
    benchmark::DoNotOptimize(BaselineScan(buffer));
    benchmark::DoNotOptimize(BaselineEncode());
  }
}

void BM_BaselineScan(benchmark::State& state) {
  std::vector<char> buffer;
  std::size_t n = 0;
  for (auto _ : state) n = BaselineScan(buffer);
  if (n != scanned_numbers.size()) state.SkipWithError("the scan missed numbers");
}

void BM_BaselineEncode(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(BaselineEncode());
}

BENCHMARK(BM_Generation)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Generation_ADU)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Read)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Read_ADU)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Parse)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Frame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Curves)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Curves_ADU)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Encode)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Write)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Baseline)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BaselineScan)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BaselineEncode)->Unit(benchmark::kMicrosecond);

// The console table, then the ratios. With repetitions the medians are used.
// CPU time leads: it is what a generation costs, and other programs running on
// the machine inflate the wall time of whatever runs beside them.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  // Colours only on a terminal, so that a saved table reads plainly.
  RatioReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      const bool aggregate = run.run_type == Run::RT_Aggregate;
      if (aggregate && run.aggregate_name != "median") continue;
      const std::string& name = run.run_name.function_name;
      if (!aggregate && medians_.contains(name)) continue;  // a median replaces the single runs
      if (aggregate) medians_.insert(name);
      const double unit = benchmark::GetTimeUnitMultiplier(run.time_unit);
      times_[name] = {run.GetAdjustedCPUTime() / unit, run.GetAdjustedRealTime() / unit};
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    std::ostream& out = GetOutputStream();
    auto get = [&](const std::string& name) {
      const auto found = times_.find(name);
      return found == times_.end() ? Times{} : found->second;
    };
    const Times baseline = get("BM_Baseline");
    if (baseline.cpu <= 0) return;
    out << std::fixed << std::setprecision(2)
        << "\nPer call, CPU time [wall time]; goal: a generation at most 1.50 x the baseline\n"
        << "  BM_Baseline        " << std::setw(6) << baseline.cpu * 1e3 << " ms [" << baseline.wall * 1e3
        << " ms]  read the file's numbers, encode one 640 x 400 palette PNG\n";
    for (const char* name : {"BM_Generation", "BM_Generation_ADU"}) {
      const Times generation = get(name);
      if (generation.cpu <= 0) continue;
      out << "  " << std::left << std::setw(18) << name << std::right << std::setw(7) << generation.cpu * 1e3
          << " ms [" << generation.wall * 1e3 << " ms]  " << generation.cpu / baseline.cpu << " x baseline ["
          << generation.wall / baseline.wall << " x]\n";
    }
    const Times generation = get("BM_Generation");
    if (generation.cpu > 0) {
      out << std::setprecision(0) << "  stages, share of BM_Generation's CPU time:";
      double sum = 0;
      for (const char* name : {"BM_Read", "BM_Frame", "BM_Curves", "BM_Encode", "BM_Write"}) {
        sum += get(name).cpu;
        out << ' ' << (name + 3) << ' ' << 100 * get(name).cpu / generation.cpu << '%';
      }
      out << " (sum " << 100 * sum / generation.cpu << "%)\n" << std::setprecision(2);
    }
    out << std::flush;
  }

 private:
  struct Times {
    double cpu = 0;   // seconds per call
    double wall = 0;
  };
  std::map<std::string, Times> times_;
  std::set<std::string> medians_;
};

}  // namespace

int main(int argc, char* argv[]) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
  BenchStation lay_out;
  if (!LayOutStation(lay_out)) {
    std::cerr << "generation_bench: cannot lay out the station in the temporary directory\n";
    return 1;
  }
  station = &lay_out;
  std::cout << "Full day: " << kBenchDayRows << " rows, " << lay_out.sfu_text.size() << " bytes (SFU), "
            << lay_out.adu_text.size() << " bytes (ADU); chart 640 x 400\n";
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  std::error_code ignored;
  std::filesystem::remove_all(lay_out.root, ignored);
  return 0;
}
