#include "command_line.h"

#include <charconv>
#include <ostream>

#include "config_reader.h"
#include "generation_cycle.h"
#include "headless.h"
#include "parameter_fields.h"
#include "station_check.h"

namespace {

// The command line has no cycle to arm: the timer settings go nowhere.
class UnusedTimer : public CycleTimer {
 public:
  void SetTimerEnabled(bool) override {}
  void SetTimerInterval(int) override {}
};

}  // namespace

Command ParseCommandLine(std::span<const std::string_view> args) {
  Command command;
  // The offending argument goes between the two texts.
  auto usage_error = [&](std::string_view before, std::string_view arg = {}, std::string_view after = {}) {
    command.mode = CommandMode::kUsageError;
    command.error.assign(before).append(arg).append(after);
    return command;
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (command.mode != CommandMode::kWindow) {
      return usage_error("only one option may be given, '", arg, "' is one too many");
    }
    if (arg == "--once") {
      command.mode = CommandMode::kOnce;
    } else if (arg == "--headless") {
      command.mode = CommandMode::kHeadless;
    } else if (arg == "--check") {
      command.mode = CommandMode::kCheck;
    } else if (arg == "--help" || arg == "-h") {
      command.mode = CommandMode::kHelp;
    } else if (arg == "--version") {
      command.mode = CommandMode::kVersion;
    } else if (arg == "--date" || arg.starts_with("--date=")) {
      std::string_view value;
      if (arg == "--date") {
        if (i + 1 == args.size()) return usage_error("--date needs a date, YYYY-MM-DD");
        value = args[++i];
      } else {
        value = arg.substr(std::string_view("--date=").size());
      }
      const auto date = ParseIsoDate(value);
      if (!date) return usage_error("'", value, "' is not a date of the form YYYY-MM-DD");
      command.mode = CommandMode::kDate;
      command.date = *date;
    } else {
      return usage_error("unknown option '", arg, "'");
    }
  }
  return command;
}

std::optional<std::chrono::year_month_day> ParseIsoDate(std::string_view text) {
  // Exactly four, two and two digits: no signs, blanks or shorter fields.
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
  auto field = [&](std::size_t begin, std::size_t length) -> std::optional<unsigned> {
    unsigned value = 0;
    for (std::size_t i = begin; i < begin + length; ++i) {
      if (text[i] < '0' || text[i] > '9') return std::nullopt;
      value = value * 10 + static_cast<unsigned>(text[i] - '0');
    }
    return value;
  };
  const auto year = field(0, 4);
  const auto month = field(5, 2);
  const auto day = field(8, 2);
  if (!year || !month || !day) return std::nullopt;
  const std::chrono::year_month_day date{std::chrono::year{static_cast<int>(*year)}, std::chrono::month{*month},
                                         std::chrono::day{*day}};
  if (!date.ok()) return std::nullopt;
  return date;
}

std::string UsageText() {
  return "Usage: wwwplot [--once | --date YYYY-MM-DD | --headless | --check | --help | --version]\n"
         "\n"
         "Draws the station's light curves of the day into a PNG chart for the web.\n"
         "Reads wwwpar.cfg in the working directory and the instrument configuration\n"
         "file it names.\n"
         "\n"
         "  (no option)        open the window and regenerate the chart on its timer\n"
         "  --once             one generation now: today's chart (minus [dayoffset])\n"
         "  --date YYYY-MM-DD  regenerate the dated chart of that day\n"
         "  --headless         run the cycle without a window until SIGINT or SIGTERM\n"
         "  --check            show the settings and checks of the station, then exit\n"
         "  --help             show this text\n"
         "  --version          show the version\n"
         "\n"
         "--once and --date print the input and output file names and exit with\n"
         "status 0 when the chart was written, 1 when it was not, 2 on a usage error.\n"
         "--check exits with 0 when everything is usable, 1 otherwise.\n";
}

std::string VersionText() { return "wwwplot " WWWPLOT_VERSION " (2023-08-31)\n"; }

void StreamMessageSink::ShowMessage(std::string_view text, std::string_view caption) {
  stream_ << caption << ": " << text << '\n' << std::flush;
}

void PrintGeneration(std::ostream& out, const GenerationResult& result) {
  out << "input: " << result.input_label << '\n' << "output: " << result.chart.label << '\n' << std::flush;
}

int RunGeneration(std::optional<std::chrono::year_month_day> date, std::ostream& out, std::ostream& err,
                  const LocalDateSource& today) {
  ParameterFields fields;
  UnusedTimer timer;
  StreamMessageSink messages(err);
  StartStation(fields, timer, messages);

  GenerationCycle cycle(fields, today);
  const GenerationResult result = date ? cycle.GenerateForDate(*date) : cycle.Generate();
  PrintGeneration(out, result);
  switch (result.chart.outcome) {
    case ChartOutcome::kWritten:
      return 0;
    case ChartOutcome::kNotWritten:
      err << "wwwplot: the chart file could not be written\n";
      return 1;
    case ChartOutcome::kNoChart:
      err << "wwwplot: " << result.chart.label << '\n';
      return 1;
  }
  return 1;
}

int RunCommandLine(const Command& command, std::ostream& out, std::ostream& err) {
  switch (command.mode) {
    case CommandMode::kHelp:
      out << UsageText();
      return 0;
    case CommandMode::kVersion:
      out << VersionText();
      return 0;
    case CommandMode::kUsageError:
      err << "wwwplot: " << command.error << "\n\n" << UsageText();
      return 2;
    case CommandMode::kOnce:
      return RunGeneration(std::nullopt, out, err, LocalToday);
    case CommandMode::kDate:
      return RunGeneration(command.date, out, err, LocalToday);
    case CommandMode::kCheck:
      return CheckStation(out, LocalToday);
    case CommandMode::kHeadless:
      return RunHeadless(out, err);
    case CommandMode::kWindow:
      break;
  }
  err << "wwwplot: the window is opened by main, not here\n";
  return 2;
}
