#include "station_check.h"

#include <unistd.h>

#include <chrono>
#include <ostream>
#include <string>
#include <vector>

#include "chart_file.h"
#include "config_reader.h"
#include "generation_cycle.h"
#include "plot_light_curves.h"

namespace {

// Notes the captions of the failed checks instead of showing them.
class CaptionRecorder : public MessageSink {
 public:
  void ShowMessage(std::string_view, std::string_view caption) override { captions.emplace_back(caption); }
  bool Failed(std::string_view caption) const {
    for (const std::string& shown : captions) {
      if (shown == caption) return true;
    }
    return false;
  }
  std::vector<std::string> captions;
};

class IntervalRecorder : public CycleTimer {
 public:
  void SetTimerEnabled(bool) override {}
  void SetTimerInterval(int interval_ms) override { this->interval_ms = interval_ms; }
  int interval_ms = kStartIntervalMs;
};

void Line(std::ostream& out, std::string_view name, std::string_view value, std::string_view result = {}) {
  std::string padded(name);
  padded.resize(std::max<std::size_t>(padded.size() + 1, 20), ' ');
  out << padded << (value.empty() ? "(empty)" : value);
  if (!result.empty()) out << "  " << result;
  out << '\n';
}

std::string PathResult(const CaptionRecorder& checks, std::string_view caption) {
  return checks.Failed(caption) ? std::string(kPathMessage) + " (" + std::string(caption) + ")" : "ok";
}

}  // namespace

int CheckStation(std::ostream& out, const LocalDateSource& today) {
  const std::string parameter_file(kParameterFileName);
  // What the files say, before the checks empty a failed path.
  ParameterFields written;
  ReadParameterSettings(written, parameter_file);
  ReadInstrumentSettings(written);

  ParameterFields fields;
  IntervalRecorder timer;
  CaptionRecorder checks;
  ReadConfig(fields, timer, checks, parameter_file);
  const std::string caption = ReadConfigQuorvix(fields, checks);
  int problems = static_cast<int>(checks.captions.size());

  std::string cwd(4096, '\0');
  if (getcwd(cwd.data(), cwd.size()) == nullptr) cwd = ".";
  cwd.resize(cwd.find('\0'));
  out << "Station in " << cwd << "\n\n";
  Line(out, "Parameter file", parameter_file, FileExists(parameter_file) ? "found" : "missing");
  Line(out, "[configfile]", written.ConfigFilePath, PathResult(checks, kConfigFileCaption));
  Line(out, "[imagedir]", written.ImageDir, PathResult(checks, kImageDirCaption));
  if (!fields.ImageDir.empty() && access(fields.ImageDir.c_str(), W_OK) != 0) {
    Line(out, "", "", "the image directory is not writable");
    ++problems;
  }
  std::string timer_text = std::to_string(fields.TimerSeconds) + " s: a tick every " +
                           std::to_string(timer.interval_ms) + " ms, a chart every " +
                           std::to_string(2LL * timer.interval_ms) + " ms";  // up to twice INT32_MAX
  if (fields.TimerSeconds != 0 && !IntervalMsFromSeconds(fields.TimerSeconds)) {
    timer_text += " (the value gives no usable interval)";
  }
  Line(out, "[timer]", timer_text);
  Line(out, "[dayoffset]", std::to_string(fields.DayOffset) + (fields.DayOffset == 0 ? " (today)" : " days back"));
  Line(out, "[width] [height]", std::to_string(fields.ImageWidth) + " x " + std::to_string(fields.ImageHeight));
  Line(out, "[yscale]", std::to_string(fields.YScaleMin) + " to " + std::to_string(fields.YScaleMax) + " in " +
                            std::to_string(fields.YScaleSteps) + " steps");
  Line(out, "[adcdivider]", std::to_string(fields.AdcDivider));
  Line(out, "[titlecomment]", fields.TitleComment);
  Line(out, "[lcpath]", written.LightCurvePath, PathResult(checks, kLightCurvePathCaption));
  Line(out, "Window caption", caption);
  out << '\n';

  const auto date = std::chrono::year_month_day{std::chrono::sys_days(today()) - std::chrono::days(fields.DayOffset)};
  const std::string sfu = LightCurveFileName(fields.LightCurvePath, date, true, fields.TitleComment);
  const std::string adu = LightCurveFileName(fields.LightCurvePath, date, false, fields.TitleComment);
  if (FileExists(sfu)) {
    Line(out, "Light-curve file", sfu, "found, in SFU");
  } else {
    Line(out, "Light-curve file", adu, FileExists(adu) ? "found, in raw counts" : "missing: the chart would be empty");
  }
  const ChartParams params = ChartParamsOf(fields);
  Line(out, "Chart file", ChartFileName(fields.ImageDir, fields.TitleComment));
  if (const auto reason = UnusableChartReason(params)) {
    Line(out, "Chart", *reason);
    ++problems;
  } else {
    Line(out, "Chart", "usable");
  }
  out << '\n'
      << (problems == 0 ? "Everything is usable.\n"
                        : std::to_string(problems) + (problems == 1 ? " problem.\n" : " problems.\n"));
  return problems == 0 ? 0 : 1;
}
