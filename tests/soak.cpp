// Soak: drives many ticks of a station's cycle in one process, with nothing
// waited for, while its light-curve files grow, are rewritten, change kind and
// vanish, a directory now and then stands where the chart goes, and the date
// moves on several times. Resident memory and open file descriptors are taken
// after a warm-up and at the end; the run fails when descriptors grew at all or
// memory grew beyond a small margin, or when a tick did not do what it should.
//
//   soak [ticks]    (100000 by default)
#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <gd.h>

#include "generation_cycle.h"
#include "png_probe.h"
#include "station_cycle.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;
using std::chrono::days;
using std::chrono::sys_days;
using std::chrono::year_month_day;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

// Growth of resident memory allowed between the warm-up and the end: what the
// allocator may still hand out or keep for itself (a few of gd's image and
// encoder buffers, some heap pages left fragmented) without anything being lost.
// A leak of n bytes a chart is found once n times the charts after the warm-up
// exceeds it: 1 MiB over the 45000 charts of a full run is 24 bytes a chart,
// over the 820 of the 2000-tick run 1.3 kB a chart (a file handle, a PNG, an image).
constexpr long kMemoryMarginKiB = 1024;

constexpr int kDays = 5;          // the date moves on four times during the run
constexpr int kPhaseLength = 60;  // charts in one round of light-curve changes

long ResidentKiB() {
  long pages_total = 0;
  long pages_resident = 0;
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  if (statm == nullptr) return -1;
  const int got = std::fscanf(statm, "%ld %ld", &pages_total, &pages_resident);
  std::fclose(statm);
  return got == 2 ? pages_resident * (sysconf(_SC_PAGESIZE) / 1024) : -1;
}

int OpenDescriptors() {
  DIR* dir = opendir("/proc/self/fd");
  if (dir == nullptr) return -1;
  int count = 0;
  while (const dirent* entry = readdir(dir)) {
    if (entry->d_name[0] != '.') ++count;
  }
  closedir(dir);
  return count;  // the directory's own descriptor included, every time alike
}

// Line `i` of a day (a minute apart), levels in SFU or raw counts, varied by `seed`.
std::string CurveLine(int i, int seed, bool sfu) {
  char line[160];
  int length = std::snprintf(line, sizeof line, "%.4f", (i % 1440) / 60.0);
  for (int k = 0; k < kChannelCount; ++k) {
    const int level = 20 + (i * 7 + k * 5 + seed) % 60;
    length += std::snprintf(line + length, sizeof line - length, ",%d", sfu ? level : 2000 + 4 * level);
  }
  return std::string(line, length) + "\n";
}

std::string CurveHeader(bool sfu) {
  std::string text = "Time_UT";
  for (int k = 0; k < kChannelCount; ++k) text += "," + std::to_string(45 + 10 * k) + ".0MHz";
  return text + (sfu ? "\n[h],[SFU]\n" : "\n[h],[ADU]\n");
}

std::string CurveText(int lines, int seed, bool sfu) {
  std::string text = CurveHeader(sfu);
  for (int i = 0; i < lines; ++i) text += CurveLine(i, seed, sfu);
  return text;
}

void WriteFile(const std::string& path, std::string_view text, bool append = false) {
  std::ofstream out(path, std::ios::binary | (append ? std::ios::app : std::ios::trunc));
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

// A file too long to hold in one string here: such a string would change how
// the harness's own memory is laid out from round to round.
void WriteLongFile(const std::string& path, int lines, int seed, bool sfu) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << CurveHeader(sfu);
  for (int i = 0; i < lines; ++i) out << CurveLine(i, seed, sfu);
}

// The station's light curves and image directory for chart `g` of the run:
// a round of kPhaseLength charts in which
//   0-19   the SFU file grows by some 50 lines a chart, its last line often half written,
//   20-39  the ADU file does the same (the SFU file is gone),
//   40-44  there is no file (an empty chart),
//   45-49  an ADU file of more rows than the reader takes,
//   50-54  a directory stands where the chart goes (the chart is not written),
//   55-59  both files, the SFU one rewritten anew for every chart.
// Returns whether the chart's name is blocked.
class Acquisition {
 public:
  Acquisition(const std::string& curves, const std::string& images) : curves_(curves), images_(images) {}

  bool Prepare(int g, year_month_day date) {
    const int phase = g % kPhaseLength;
    const int round = g / kPhaseLength;
    const std::string sfu = LightCurveFileName(curves_, date, true, "SOAK");
    const std::string adu = LightCurveFileName(curves_, date, false, "SOAK");
    if (phase == 0 || phase == 20) {
      growing_ = CurveText(1000, round, phase == 0);
      written_ = 0;
      fs::remove(phase == 0 ? adu : sfu);
      WriteFile(phase == 0 ? sfu : adu, "");
    }
    if (phase < 40) {
      // Some 50 lines more, ending wherever the byte count falls.
      const std::size_t target = std::min(growing_.size(), written_ + 3001);
      WriteFile(phase < 20 ? sfu : adu, std::string_view(growing_).substr(written_, target - written_), true);
      written_ = target;
    } else if (phase == 40) {
      fs::remove(adu);
    } else if (phase == 45) {
      WriteLongFile(adu, kMaxRows + 100, round, false);
    } else if (phase == 50) {
      fs::remove(images_ + "LightcurvesSOAK.png");
      fs::create_directory(images_ + "LightcurvesSOAK.png");
    } else if (phase >= 55) {
      if (phase == 55) fs::remove(images_ + "LightcurvesSOAK.png");
      WriteFile(sfu, CurveText(200 + g % 37, g, true));
    }
    return phase >= 50 && phase < 55;
  }

 private:
  std::string curves_;
  std::string images_;
  std::string growing_;
  std::size_t written_ = 0;
};

bool IsChart(const std::string& path, int width, int height) {
  std::vector<unsigned char> png = ReadFileBytes(path);
  gdImagePtr image = gdImageCreateFromPngPtr(static_cast<int>(png.size()), png.data());
  if (image == nullptr) return false;
  const bool fits = gdImageSX(image) == width && gdImageSY(image) == height;
  gdImageDestroy(image);
  return fits;
}

}  // namespace

int main(int argc, char* argv[]) {
  const long ticks = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 100000;
  const long charts = ticks / 2;
  // A tenth of the run, and at least three rounds: the allocator settles in the
  // first two. The first day change comes after it, at a fifth of the run.
  const long warm_up_charts = std::max(charts / 10, 3L * kPhaseLength);
  if (charts < kDays * warm_up_charts) {
    std::fprintf(stderr, "soak: at least %d ticks\n", 2 * kDays * 3 * kPhaseLength);
    return 2;
  }

  const TempDir dir;
  const std::string images = dir.MakeDir("www");
  const std::string curves = dir.MakeDir("lc");
  const year_month_day first_day = std::chrono::year{2026} / 12 / 30;  // the run crosses a year
  year_month_day today = first_day;
  StationCycle cycle([&today] { return today; });
  cycle.Fields.ImageDir = images;
  cycle.Fields.LightCurvePath = curves;
  cycle.Fields.TitleComment = "SOAK";
  cycle.Fields.ImageWidth = 640;
  cycle.Fields.ImageHeight = 400;
  cycle.Fields.YScaleMax = 100;
  cycle.Fields.YScaleSteps = 5;
  cycle.Fields.AdcDivider = 4;
  cycle.Fields.FirstCycle = true;
  Acquisition acquisition(curves, images);

  long wrong = 0;
  long not_written = 0;
  long day_changes = 0;
  long resident_before = 0;
  int descriptors_before = 0;
  const auto start = std::chrono::steady_clock::now();
  for (long g = 0; g < charts; ++g) {
    if (g == warm_up_charts) {
      resident_before = ResidentKiB();
      descriptors_before = OpenDescriptors();
    }
    const year_month_day date{sys_days{first_day} + days{g * kDays / charts}};
    const bool day_change = date != today;
    today = date;
    day_changes += day_change;
    const bool blocked = acquisition.Prepare(static_cast<int>(g), today);

    const TickResult generation = cycle.Timer2Timer();
    const TickResult wait = cycle.Timer2Timer();
    const bool expect_written = !blocked || day_change;  // the dated chart has a name of its own
    if (!generation.generation || wait.kind != TickResult::Kind::kWait ||
        (generation.generation->chart.outcome == ChartOutcome::kWritten) != expect_written) {
      if (++wrong <= 5) {
        std::fprintf(stderr, "soak: chart %ld: %s\n", g,
                     generation.generation ? generation.generation->chart.label.c_str() : "no generation tick");
      }
    }
    not_written += generation.generation && generation.generation->chart.outcome != ChartOutcome::kWritten;
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const long resident_after = ResidentKiB();
  const int descriptors_after = OpenDescriptors();

  long dated_charts = 0;
  for (const auto& entry : fs::directory_iterator(images)) {
    dated_charts += entry.path().filename().string().starts_with("LightcurvesSOAK_");
  }
  std::printf("soak: %ld ticks (%ld charts, %ld not written as planned) in %.1f s\n", ticks, charts, not_written,
              seconds);
  std::printf("soak: %ld day changes, %ld dated charts\n", day_changes, dated_charts);
  std::printf("soak: resident memory %ld KiB after the warm-up of %ld ticks, %ld KiB at the end\n", resident_before,
              2 * warm_up_charts, resident_after);
  std::printf("soak: open descriptors %d after the warm-up, %d at the end\n", descriptors_before, descriptors_after);

  int failures = 0;
  auto fail = [&failures](const std::string& what) {
    std::fprintf(stderr, "soak: FAILED: %s\n", what.c_str());
    ++failures;
  };
  if (wrong > 0) fail(std::to_string(wrong) + " charts did not come out as planned");
  if (day_changes != kDays - 1 || dated_charts != day_changes) fail("not one dated chart for every day change");
  if (!IsChart(images + "LightcurvesSOAK.png", 640, 400)) fail("the last chart is not a 640 x 400 PNG");
  if (descriptors_before < 0 || descriptors_after != descriptors_before) {
    fail("open descriptors went from " + std::to_string(descriptors_before) + " to " +
         std::to_string(descriptors_after));
  }
  if (resident_before < 0 || resident_after < 0) {
    fail("/proc/self/statm cannot be read");
  } else if (kAddressSanitizer) {
    // AddressSanitizer keeps freed memory in quarantine, so resident memory grows
    // by design; LeakSanitizer checks for leaks at exit instead.
    std::printf("soak: memory not judged under AddressSanitizer\n");
  } else if (resident_after - resident_before > kMemoryMarginKiB) {
    fail("resident memory grew by " + std::to_string(resident_after - resident_before) + " KiB, more than " +
         std::to_string(kMemoryMarginKiB) + " KiB");
  }
  if (failures == 0) std::printf("soak: passed\n");
  return failures == 0 ? 0 : 1;
}
