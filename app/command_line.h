#pragma once

#include <chrono>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "generation_cycle.h"
#include "light_curve_reader.h"
#include "startup_seams.h"

// What the command line asks for.
enum class CommandMode {
  kWindow,      // no option: the window and its cycle
  kOnce,        // --once: one generation tick, then exit
  kDate,        // --date YYYY-MM-DD: the dated chart of that day, then exit
  kHeadless,    // --headless: the cycle without a window
  kCheck,       // --check: report the station's settings and checks
  kHelp,        // --help
  kVersion,     // --version
  kUsageError,  // anything else
};

struct Command {
  CommandMode mode = CommandMode::kWindow;
  std::chrono::year_month_day date{};  // for kDate
  std::string error;                   // for kUsageError: what was wrong
};

// Reads the arguments that follow the program name.
Command ParseCommandLine(std::span<const std::string_view> args);

// A calendar date written YYYY-MM-DD; nothing when malformed or impossible.
std::optional<std::chrono::year_month_day> ParseIsoDate(std::string_view text);

std::string UsageText();
std::string VersionText();

// Start-up messages as one line each on a stream, never waiting for anybody.
class StreamMessageSink : public MessageSink {
 public:
  explicit StreamMessageSink(std::ostream& stream) : stream_(stream) {}
  void ShowMessage(std::string_view text, std::string_view caption) override;

 private:
  std::ostream& stream_;
};

// The "input: <name>" and "output: <name>" lines of one generation, the texts
// the window shows in its input and output labels.
void PrintGeneration(std::ostream& out, const GenerationResult& result);

// Start-up as the window does it, then one generation in the working directory:
// a tick like the window's first (no date given) or the dated chart of `date`.
// Prints the input and output label texts on `out`, problems on `err`.
// Returns 0 when the chart file was written, 1 when not.
int RunGeneration(std::optional<std::chrono::year_month_day> date, std::ostream& out, std::ostream& err,
                  const LocalDateSource& today);

// Runs what the arguments ask for, except the window. Returns the exit status.
int RunCommandLine(const Command& command, std::ostream& out, std::ostream& err);
