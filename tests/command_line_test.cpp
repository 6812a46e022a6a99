#include "command_line.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "generation_cycle.h"
#include "png_probe.h"
#include "temp_dir.h"

namespace {

struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs the built wwwplot in `dir` with the given arguments.
RunResult RunWwwplot(const TempDir& dir, const std::string& args, const std::string& env = "") {
  const std::string command = "cd '" + dir.Path() + "' && " + env + " '" WWWPLOT_EXECUTABLE "' " + args + " >'" +
                              dir.Path() + "stdout' 2>'" + dir.Path() + "stderr'";
  const int raw = std::system(command.c_str());
  RunResult result;
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  result.out = ReadTextFile(dir.Path() + "stdout");
  result.err = ReadTextFile(dir.Path() + "stderr");
  return result;
}

std::string DateDigits(std::chrono::year_month_day date) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%04d%02u%02u", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
  return digits;
}

// A station folder: parameter file, instrument file, image and light-curve directories.
struct Station {
  TempDir dir;
  std::string images = dir.MakeDir("www");
  std::string curves = dir.MakeDir("lc");

  explicit Station(const std::string& yscale = "0,100,5") {
    dir.Write("wwwpar.cfg", "[configfile]=" + dir.Path() + "station.cfg\n[imagedir]=" + images +
                                "\n[width]=640\n[height]=400\n[yscale]=" + yscale + "\n[adcdivider]=4\n");
    dir.Write("station.cfg", "[titlecomment]=ST\n[lcpath]=" + curves + "\n");
  }
  // A day file with one data line at 12.0 h, level 50 in every channel.
  std::string WriteDay(std::chrono::year_month_day date) const {
    const std::string name = "lc/LC" + DateDigits(date) + "_SFU_ST.txt";
    std::string text = "Time_UT";
    for (int k = 1; k <= 10; ++k) text += "," + std::to_string(40 * k) + ".0MHz";
    text += "\nh,SFU\n12.0,50,50,50,50,50,50,50,50,50,50\n";
    dir.Write(name, text);
    return dir.Path() + name;
  }
};

TEST(CommandLineTest, OnceDrawsTodaysChart) {
  Station station;
  const std::string input = station.WriteDay(LocalToday());
  const RunResult run = RunWwwplot(station.dir, "--once");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, "input: " + input + "\noutput: " + station.images + "LightcurvesST.png\n");

  const PaletteImage chart = DecodePng(ReadFileBytes(station.images + "LightcurvesST.png"));
  ASSERT_EQ(chart.width, 640);
  ASSERT_EQ(chart.height, 400);
  // Channel 5 (white) is drawn over the yellow of channel 1, and channel 10 over both.
  EXPECT_EQ(chart.At(330, 193), kWhite);
  EXPECT_EQ(chart.At(100, 100), kNavy);
}

TEST(CommandLineTest, OnceWithoutConfigurationReportsEveryCheckAndNoChart) {
  TempDir dir;
  const RunResult run = RunWwwplot(dir, "--once");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "Quorvix configfile path error: Path does not exist\n"
            "Image directory path error: Path does not exist\n"
            "Light curve path error: Path does not exist\n"
            "wwwplot: No chart: [yscale] gives no usable value scale\n");
  EXPECT_EQ(run.out, "input: LC" + DateDigits(LocalToday()) +
                         "_ADU_.txt\noutput: No chart: [yscale] gives no usable value scale\n");
}

TEST(CommandLineTest, DateRegeneratesTheDatedChartOfThatDay) {
  Station station;
  const auto day = std::chrono::year{2024} / 3 / 7;
  const std::string input = station.WriteDay(day);
  const RunResult run = RunWwwplot(station.dir, "--date 2024-03-07");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "input: " + input + "\noutput: " + station.images + "LightcurvesST_20240307.png\n");
  EXPECT_FALSE(ReadFileBytes(station.images + "LightcurvesST_20240307.png").empty());
  EXPECT_TRUE(ReadFileBytes(station.images + "LightcurvesST.png").empty());
}

TEST(CommandLineTest, UnusableScaleLeavesThePreviousChart) {
  Station station("10,10,5");
  station.WriteDay(LocalToday());
  station.dir.Write("www/LightcurvesST.png", "previous chart");
  const RunResult run = RunWwwplot(station.dir, "--once");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("No chart: [yscale]"), std::string::npos);
  EXPECT_EQ(ReadTextFile(station.images + "LightcurvesST.png"), "previous chart");
}

TEST(CommandLineTest, CommaDecimalLocaleChangesNothing) {
  Station station;
  station.WriteDay(LocalToday());
  ASSERT_EQ(RunWwwplot(station.dir, "--once", "LC_ALL=C").status, 0);
  const auto plain = ReadFileBytes(station.images + "LightcurvesST.png");
  ASSERT_EQ(RunWwwplot(station.dir, "--once", "LC_ALL=de_DE.UTF-8 LANG=de_DE.UTF-8").status, 0);
  EXPECT_EQ(ReadFileBytes(station.images + "LightcurvesST.png"), plain);
}

TEST(CommandLineTest, UsageErrorsExitWithTwo) {
  TempDir dir;
  for (const char* args : {"--date 2024-02-30", "--date 2024-3-07", "--date", "--date=yesterday", "--frobnicate",
                           "--once --once", "stray"}) {
    SCOPED_TRACE(args);
    const RunResult run = RunWwwplot(dir, args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("Usage: wwwplot"), std::string::npos);
  }
}

TEST(CommandLineTest, HelpAndVersionGoToStandardOutput) {
  TempDir dir;
  const RunResult help = RunWwwplot(dir, "--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(help.out.starts_with("Usage: wwwplot"));
  const RunResult version = RunWwwplot(dir, "--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "wwwplot 1.22 (2023-08-31)\n");
}

TEST(CommandLineTest, ParsesDatesStrictly) {
  EXPECT_EQ(ParseIsoDate("2024-02-29"), std::chrono::year{2024} / 2 / 29);
  EXPECT_EQ(ParseIsoDate("2023-02-29"), std::nullopt);
  EXPECT_EQ(ParseIsoDate("2024-13-01"), std::nullopt);
  EXPECT_EQ(ParseIsoDate("2024-00-10"), std::nullopt);
  EXPECT_EQ(ParseIsoDate("+024-01-10"), std::nullopt);
  EXPECT_EQ(ParseIsoDate("2024-01-1 "), std::nullopt);
  const std::vector<std::string_view> args{"--date=2026-12-06"};
  const Command command = ParseCommandLine(args);
  EXPECT_EQ(command.mode, CommandMode::kDate);
  EXPECT_EQ(command.date, std::chrono::year{2026} / 12 / 6);
}

// wwwplot --headless running in a station folder, its output going to files there.
class HeadlessRun {
 public:
  explicit HeadlessRun(const TempDir& dir) : dir_(dir) {
    pid_ = fork();
    if (pid_ == 0) {
      if (chdir(dir.Path().c_str()) != 0) _exit(127);
      const int out = open("stdout", O_WRONLY | O_CREAT | O_TRUNC, 0644);
      const int err = open("stderr", O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(out, STDOUT_FILENO);
      dup2(err, STDERR_FILENO);
      execl(WWWPLOT_EXECUTABLE, WWWPLOT_EXECUTABLE, "--headless", static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  ~HeadlessRun() {
    if (pid_ > 0) Stop(SIGKILL);
  }

  // Waits, without a fixed sleep, until standard output holds `count` output lines.
  bool AwaitOutputs(int count) const {
    for (int polls = 0; polls < 600; ++polls) {
      const std::string out = ReadTextFile(dir_.Path() + "stdout");
      int found = 0;
      for (std::size_t pos = out.find("output: "); pos != std::string::npos; pos = out.find("output: ", pos + 1)) {
        ++found;
      }
      if (found >= count) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

  // Sends the signal and returns the exit status, or -1 when it did not exit normally.
  int Stop(int signal) {
    kill(pid_, signal);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  const TempDir& dir_;
  pid_t pid_ = -1;
};

TEST(HeadlessTest, DrawsOnEveryOtherTickAndEndsCleanlyOnEitherSignal) {
  for (const int signal : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(signal);
    Station station;
    station.dir.Write("wwwpar.cfg", ReadTextFile(station.dir.Path() + "wwwpar.cfg") + "[timer]=1\n");
    const std::string input = station.WriteDay(LocalToday());
    HeadlessRun run(station.dir);
    ASSERT_TRUE(run.AwaitOutputs(2));
    EXPECT_EQ(run.Stop(signal), 0);
    const std::string out = ReadTextFile(station.dir.Path() + "stdout");
    const std::string generation = "input: " + input + "\noutput: " + station.images + "LightcurvesST.png\n";
    EXPECT_TRUE(out.starts_with(generation + generation)) << out;
    EXPECT_EQ(ReadTextFile(station.dir.Path() + "stderr"), "");
    EXPECT_EQ(DecodePng(ReadFileBytes(station.images + "LightcurvesST.png")).width, 640);
  }
}

TEST(HeadlessTest, WindowWithoutADisplayPointsToHeadless) {
  TempDir dir;
  const RunResult run = RunWwwplot(dir, "", "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("--headless"), std::string::npos);
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1);
}

TEST(CheckTest, ReportsTheResolvedSettingsOfAUsableStation) {
  Station station;
  const std::string input = station.WriteDay(LocalToday());
  const RunResult run = RunWwwplot(station.dir, "--check");
  EXPECT_EQ(run.status, 0) << run.out;
  for (const std::string& expected : std::vector<std::string>{
           "[imagedir]          " + station.images + "  ok", "[titlecomment]      ST", "[yscale]            0 to 100 in 5 steps",
        "Light-curve file    " + input + "  found, in SFU", "Chart file          " + station.images + "LightcurvesST.png",
        "Everything is usable."}) {
    EXPECT_NE(run.out.find(expected), std::string::npos) << expected << "\n" << run.out;
  }
}

TEST(CheckTest, ReportsTheChartPeriodOfTheLongestTimer) {
  // Twice the longest tick interval is beyond a 32-bit int.
  Station station;
  station.dir.Write("wwwpar.cfg", ReadTextFile(station.dir.Path() + "wwwpar.cfg") + "[timer]=2147483\n");
  const RunResult run = RunWwwplot(station.dir, "--check");
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_NE(run.out.find("[timer]             2147483 s: a tick every 2147483000 ms, a chart every 4294966000 ms\n"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(run.err, "");
}

TEST(CheckTest, NamesEveryProblemAndExitsWithOne) {
  Station station("0,0,0");
  station.dir.Write("station.cfg", "[titlecomment]=ST\n[lcpath]=/no/such/dir/\n");
  const RunResult run = RunWwwplot(station.dir, "--check");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("[lcpath]            /no/such/dir/  Path does not exist (Light curve path error)"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("No chart: [yscale]"), std::string::npos);
  EXPECT_NE(run.out.find("2 problems."), std::string::npos);
  EXPECT_EQ(run.err, "");
}

}  // namespace
