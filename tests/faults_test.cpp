// Faults a station meets while it runs unattended: an image directory it may
// not write into, a full disk, a light-curve file still being written or one
// that cannot be opened, configuration paths that name the wrong kind of
// thing, a light-curve file of junk. Each is shown as the user meets it: the
// labels of the tick, or standard error and the exit status of the command
// line; the chart on the web server stays as it was; and once the cause is
// gone the next tick draws the chart a healthy station draws.
#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "generation_cycle.h"
#include "example_station.h"
#include "png_probe.h"
#include "station_cycle.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

constexpr std::chrono::year_month_day kDay = std::chrono::year{2024} / 3 / 7;
constexpr const char* kDateArgument = "2024-03-07";
constexpr int kCannotBecomeWorker = 77;

// Root passes every permission check, so as root the station's work is done
// as the unprivileged user "nobody"; anybody else is already unprivileged.
constexpr uid_t kNobody = 65534;
bool RunAsRoot() { return geteuid() == 0; }
uid_t WorkerUid() { return RunAsRoot() ? kNobody : geteuid(); }
gid_t WorkerGid() { return RunAsRoot() ? kNobody : getegid(); }

// In a forked child: takes the worker's identity for good.
bool BecomeWorker() {
  if (!RunAsRoot()) return true;
  return setgroups(0, nullptr) == 0 && setgid(kNobody) == 0 && setuid(kNobody) == 0 && geteuid() == kNobody;
}

// "Time_UT,45.0MHz,...", the unit line, then a line every half hour from
// `from` to `to` hours; the levels rise and fall, in SFU or in raw counts.
std::string Header() {
  std::string text = "Time_UT";
  for (int k = 0; k < kChannelCount; ++k) text += "," + std::to_string(45 + 10 * k) + ".0MHz";
  return text + "\n[h],[SFU]\n";
}
std::string Lines(int from, int to, bool sfu) {
  std::string text;
  for (int half_hours = 2 * from; half_hours <= 2 * to; ++half_hours) {
    text += std::to_string(half_hours / 2) + (half_hours % 2 ? ".5" : ".0");
    for (int k = 0; k < kChannelCount; ++k) {
      const int level = 20 + (half_hours * 7 + k * 5) % 60;
      text += "," + std::to_string(sfu ? level : 2000 + 4 * level);
    }
    text += "\n";
  }
  return text;
}
const std::string kMorning = Header() + Lines(1, 8, true);
const std::string kDay1 = kMorning + Lines(9, 16, true);

// A station folder: wwwpar.cfg, the instrument file station.cfg, www/ for the
// charts and lc/ for the light curves of the day.
struct Station {
  TempDir dir;
  std::string images = dir.MakeDir("www");
  std::string curves = dir.MakeDir("lc");

  Station() {
    WriteParameterFile("[configfile]=" + dir.Path() + "station.cfg\n[imagedir]=" + images);
    dir.Write("station.cfg", "[titlecomment]=ST\n[lcpath]=" + curves + "\n");
  }

  // wwwpar.cfg with the chart settings and the given path lines.
  void WriteParameterFile(const std::string& paths) const {
    dir.Write("wwwpar.cfg", paths + "\n[width]=640\n[height]=400\n[yscale]=0,100,5\n[adcdivider]=4\n");
  }

  ParameterFields Fields() const { return ExampleFields(images, curves, "ST"); }

  std::string CurveFile(bool sfu = true) const { return LightCurveFileName(curves, kDay, sfu, "ST"); }
  void WriteCurves(std::string_view text, bool sfu = true) const {
    dir.Write(CurveFile(sfu).substr(dir.Path().size()), text);
  }
  std::string Chart() const { return images + "LightcurvesST.png"; }
  std::string DatedChart() const { return images + "LightcurvesST_20240307.png"; }

  // The station's files belong to the worker, as they would at a station.
  void HandToWorker() const {
    ASSERT_EQ(chown(dir.Path().c_str(), WorkerUid(), WorkerGid()), 0);
    for (const auto& entry : fs::recursive_directory_iterator(dir.Path())) {
      ASSERT_EQ(lchown(entry.path().c_str(), WorkerUid(), WorkerGid()), 0) << entry.path();
    }
  }
};

// One chart cycle: the generation tick and the wait tick after it.
GenerationResult ChartCycle(StationCycle& cycle) {
  TickResult tick = cycle.Timer2Timer();
  cycle.Timer2Timer();
  return std::move(*tick.generation);
}

StationCycle CycleOf(const Station& station) {
  StationCycle cycle([] { return kDay; });
  cycle.Fields = station.Fields();
  return cycle;
}

// The chart a healthy station with these light curves writes on its first tick,
// or for `--date` when `dated`.
std::vector<unsigned char> HealthyChart(std::string_view curves, bool sfu = true, bool dated = false) {
  const Station station;
  station.WriteCurves(curves, sfu);
  const ParameterFields fields = station.Fields();
  GenerationCycle cycle(fields, [] { return kDay; });
  const GenerationResult result = dated ? cycle.GenerateForDate(kDay) : cycle.Generate();
  EXPECT_EQ(result.chart.outcome, ChartOutcome::kWritten);
  return ReadFileBytes(result.chart.label.c_str());
}

std::string FileNames(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  std::string joined;
  for (const std::string& name : names) joined += (joined.empty() ? "" : " ") + name;
  return joined;
}

// Runs `body` in a forked child (as the worker when `as_worker`) and returns
// the lines it reports; nothing when the child could not become the worker.
// A crash of the child fails the test.
std::optional<std::vector<std::string>> InChild(bool as_worker,
                                                const std::function<void(std::vector<std::string>&)>& body) {
  int pipe_fds[2];
  if (pipe(pipe_fds) != 0) {
    ADD_FAILURE() << "pipe failed";
    return std::vector<std::string>{};
  }
  const pid_t pid = fork();
  if (pid == 0) {
    close(pipe_fds[0]);
    if (as_worker && !BecomeWorker()) _exit(kCannotBecomeWorker);
    std::vector<std::string> report;
    body(report);
    std::string text;
    for (const std::string& line : report) text += line + '\n';
    for (std::size_t done = 0; done < text.size();) {
      const ssize_t written = write(pipe_fds[1], text.data() + done, text.size() - done);
      if (written <= 0) _exit(3);
      done += static_cast<std::size_t>(written);
    }
    _exit(0);  // no destructors: the parent owns the station
  }
  close(pipe_fds[1]);
  std::string text;
  char buffer[4096];
  for (ssize_t got; (got = read(pipe_fds[0], buffer, sizeof buffer)) != 0;) {
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) break;
    text.append(buffer, static_cast<std::size_t>(got));
  }
  close(pipe_fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (WIFEXITED(status) && WEXITSTATUS(status) == kCannotBecomeWorker) return std::nullopt;
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
      << "the child ended with status " << status << (WIFSIGNALED(status) ? " (a signal)" : "");
  std::vector<std::string> lines;
  for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

std::string Describe(const GenerationResult& result) { return result.input_label + " -> " + result.chart.label; }

std::string PngSize(const std::vector<unsigned char>& bytes) {
  GdImage image(gdImageCreateFromPngPtr(static_cast<int>(bytes.size()), const_cast<unsigned char*>(bytes.data())));
  return image ? std::to_string(gdImageSX(image.get())) + "x" + std::to_string(gdImageSY(image.get())) : "no PNG";
}

// A fault at tick level: `cause` comes after the morning's chart and the
// afternoon's light curves, then a tick meets it, then `cure` removes it.
struct Fault {
  bool as_worker = false;
  std::function<void(const Station&)> cause;
  std::function<void(const Station&)> cure;
};

// What the station's cycle did around the fault, step by step.
std::optional<std::vector<std::string>> MeetFault(const Station& station, const Fault& fault) {
  const std::vector<unsigned char> healthy = HealthyChart(kDay1);
  if (fault.as_worker) station.HandToWorker();
  return InChild(fault.as_worker, [&](std::vector<std::string>& report) {
    StationCycle cycle = CycleOf(station);
    station.WriteCurves(kMorning);
    report.push_back("before: " + Describe(ChartCycle(cycle)));
    const std::vector<unsigned char> previous = ReadFileBytes(station.Chart());

    station.WriteCurves(kDay1);
    fault.cause(station);
    report.push_back("fault: " + Describe(ChartCycle(cycle)));
    fault.cure(station);
    report.push_back(std::string("previous chart: ") +
                     (ReadFileBytes(station.Chart()) == previous ? "intact" : "replaced"));
    report.push_back("image directory: " + FileNames(station.images));

    report.push_back("after: " + Describe(ChartCycle(cycle)));
    report.push_back(std::string("chart: ") + (ReadFileBytes(station.Chart()) == healthy ? "healthy" : "wrong"));
  });
}

// The report of a fault that keeps the previous chart and says so in the labels.
std::vector<std::string> KeptChart(const Station& station, const std::string& fault_labels) {
  const std::string normal = station.CurveFile() + " -> " + station.Chart();
  return {"before: " + normal,        "fault: " + fault_labels,
          "previous chart: intact",   "image directory: LightcurvesST.png",
          "after: " + normal,         "chart: healthy"};
}

TEST(TickFaultTest, ImageDirectoryNotWritable) {
  const Station station;
  const auto report = MeetFault(station, {true, [](const Station& s) { chmod(s.images.c_str(), 0555); },
                                          [](const Station& s) { chmod(s.images.c_str(), 0755); }});
  if (!report) GTEST_SKIP() << "cannot become an unprivileged user";
  EXPECT_EQ(*report, KeptChart(station, station.CurveFile() + " -> " + station.Chart() + " (not written)"));
}

TEST(TickFaultTest, ImageDirectoryReplacedByAFile) {
  const Station station;
  const std::string away = station.dir.Path() + "www-away";
  const auto report = MeetFault(station, {false,
                                          [&](const Station& s) {
                                            fs::rename(s.images, away);
                                            s.dir.Write("www", "a file where the directory was");
                                          },
                                          [&](const Station& s) {
                                            fs::remove(s.dir.Path() + "www");
                                            fs::rename(away, s.images);
                                          }});
  EXPECT_EQ(*report, KeptChart(station, station.CurveFile() + " -> " + station.Chart() + " (not written)"));
}

// A file size limit stands in for a full disk: write() fails with EFBIG.
void LimitFileSize(rlim_t bytes) {
  signal(SIGXFSZ, SIG_IGN);
  rlimit limit{};
  getrlimit(RLIMIT_FSIZE, &limit);
  limit.rlim_cur = bytes;
  setrlimit(RLIMIT_FSIZE, &limit);
}

TEST(TickFaultTest, DiskFull) {
  const Station station;
  const auto report = MeetFault(station, {false, [](const Station&) { LimitFileSize(1000); },
                                          [](const Station&) { LimitFileSize(RLIM_INFINITY); }});
  EXPECT_EQ(*report, KeptChart(station, station.CurveFile() + " -> " + station.Chart() + " (not written)"));
}

// The file is there when the reader looks for it but cannot be opened, as
// when it vanishes between that look and the open.
TEST(TickFaultTest, LightCurveFileThatCannotBeOpened) {
  const Station station;
  const auto report = MeetFault(station, {true, [](const Station& s) { chmod(s.CurveFile().c_str(), 0); },
                                          [](const Station& s) { chmod(s.CurveFile().c_str(), 0644); }});
  if (!report) GTEST_SKIP() << "cannot become an unprivileged user";
  EXPECT_EQ(*report, KeptChart(station, station.CurveFile() + " (not read) -> " + std::string(kUnreadableInputText)));
}

TEST(TickFaultTest, LightCurveFileOfBinaryJunk) {
  // Junk is charted by the reading rules like any other text: the chart is
  // complete, and the day's curves come back as soon as the file holds them again.
  std::mt19937 random(7);
  for (const bool sfu : {true, false}) {
    SCOPED_TRACE(sfu ? "SFU" : "ADU");
    std::string junk(64 * 1024, '\0');
    for (char& c : junk) c = static_cast<char>(random());
    const Station station;
    const std::vector<unsigned char> healthy = HealthyChart(Header() + Lines(1, 16, sfu), sfu);
    StationCycle cycle = CycleOf(station);
    station.WriteCurves(Header() + Lines(1, 8, sfu), sfu);
    ASSERT_EQ(ChartCycle(cycle).chart.outcome, ChartOutcome::kWritten);
    for (const std::string& text : {junk, std::string(4096, '\0'), junk.substr(0, 179) + "\r\n" + junk}) {
      station.WriteCurves(text, sfu);
      const GenerationResult result = ChartCycle(cycle);
      EXPECT_EQ(Describe(result), station.CurveFile(sfu) + " -> " + station.Chart());
      EXPECT_EQ(DecodePng(ReadFileBytes(station.Chart())).width, 640);
    }
    station.WriteCurves(Header() + Lines(1, 16, sfu), sfu);
    EXPECT_EQ(ChartCycle(cycle).chart.outcome, ChartOutcome::kWritten);
    EXPECT_TRUE(ReadFileBytes(station.Chart()) == healthy) << "the day's curves did not come back";
  }
}

TEST(GrowingLightCurveFileTest, AHalfWrittenLastLineNeverShows) {
  // Cut anywhere in its last line, a file draws its whole lines only: the last
  // line without a line break is never drawn. (In a raw-count file it still
  // counts for the channel minima, as a complete last line must, so there only
  // the chart after the line is finished is compared.)
  for (const bool sfu : {true, false}) {
    SCOPED_TRACE(sfu ? "SFU" : "ADU");
    const Station station;
    StationCycle cycle = CycleOf(station);
    const std::string whole = Header() + Lines(1, 8, sfu);
    const std::string last = Lines(9, 9, sfu);
    station.WriteCurves(whole, sfu);
    ASSERT_EQ(ChartCycle(cycle).chart.outcome, ChartOutcome::kWritten);
    const std::vector<unsigned char> chart_of_whole_lines = ReadFileBytes(station.Chart());
    for (std::size_t cut = 1; cut < last.size(); ++cut) {
      SCOPED_TRACE(last.substr(0, cut));
      station.WriteCurves(whole + last.substr(0, cut), sfu);
      ASSERT_EQ(ChartCycle(cycle).chart.outcome, ChartOutcome::kWritten);
      if (sfu) {
        EXPECT_TRUE(ReadFileBytes(station.Chart()) == chart_of_whole_lines) << "the cut line shows";
      }
    }
    station.WriteCurves(whole + last, sfu);
    ASSERT_EQ(ChartCycle(cycle).chart.outcome, ChartOutcome::kWritten);
    EXPECT_TRUE(ReadFileBytes(station.Chart()) == HealthyChart(whole + last, sfu)) << "not the finished day";
  }
}

TEST(GrowingLightCurveFileTest, AppendedWhileTheTicksReadIt) {
  // The acquisition software appends in pieces that end anywhere in a line; a
  // piece goes in while the tick after the last piece's tick is running. Every
  // tick draws a whole chart from a prefix of the file, never from less than
  // the tick before, and the last one the chart of the whole file.
  const Station station;
  const std::string text = kDay1;
  station.WriteCurves("");
  StationCycle cycle = CycleOf(station);
  std::atomic<int> ticks = 0;
  std::atomic<bool> appended = false;
  std::thread writer([&] {
    const int fd = open(station.CurveFile().c_str(), O_WRONLY | O_APPEND);
    for (std::size_t at = 0; at < text.size(); at += 13) {
      for (const int seen = ticks.load(); ticks.load() == seen;) std::this_thread::yield();
      const std::string_view piece = std::string_view(text).substr(at, 13);
      if (write(fd, piece.data(), piece.size()) != static_cast<ssize_t>(piece.size())) break;
    }
    close(fd);
    appended = true;
  });
  std::int32_t rows = 0;
  while (!appended) {
    const GenerationResult result = ChartCycle(cycle);
    ++ticks;
    EXPECT_EQ(result.chart.outcome, ChartOutcome::kWritten);
    EXPECT_GE(cycle.Set().RowCount, rows);
    rows = cycle.Set().RowCount;
    EXPECT_EQ(PngSize(ReadFileBytes(station.Chart())), "640x400");
  }
  writer.join();
  ChartCycle(cycle);
  EXPECT_TRUE(ReadFileBytes(station.Chart()) == HealthyChart(text)) << "not the chart of the whole file";
}

// ---- the command line ----

struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs `wwwplot --date 2024-03-07` (or `wwwplot <option>`) in the station folder
// as the worker, after `prepare` in the child; nothing when the child could not
// become the worker.
std::optional<RunResult> RunWwwplot(const Station& station, const std::function<void()>& prepare = {},
                                    const char* option = nullptr) {
  const std::string out_file = station.dir.Path() + "stdout";
  const std::string err_file = station.dir.Path() + "stderr";
  const pid_t pid = fork();
  if (pid == 0) {
    const int out = open(out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0 || err < 0 || dup2(out, STDOUT_FILENO) < 0 || dup2(err, STDERR_FILENO) < 0) _exit(126);
    if (chdir(station.dir.Path().c_str()) != 0) _exit(126);
    if (prepare) prepare();
    if (!BecomeWorker()) _exit(kCannotBecomeWorker);
    if (option) execl(WWWPLOT_EXECUTABLE, WWWPLOT_EXECUTABLE, option, static_cast<char*>(nullptr));
    execl(WWWPLOT_EXECUTABLE, WWWPLOT_EXECUTABLE, "--date", kDateArgument, static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  if (WIFEXITED(status) && WEXITSTATUS(status) == kCannotBecomeWorker) return std::nullopt;
  RunResult result;
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = ReadTextFile(out_file);
  result.err = ReadTextFile(err_file);
  return result;
}

// A station whose dated chart of the morning is on the web server and whose
// light curves now hold the whole day; the files belong to the worker.
struct CommandLineFaultTest : testing::Test {
  CommandLineFaultTest() {
    station.WriteCurves(kDay1);
    station.dir.Write("www/LightcurvesST_20240307.png",
                      std::string(reinterpret_cast<const char*>(previous.data()), previous.size()));
    station.HandToWorker();
  }

  // The run after the cause is gone draws the chart of a healthy station.
  void ExpectHealthyRun() {
    const auto run = RunWwwplot(station);
    ASSERT_TRUE(run);
    EXPECT_EQ(run->status, 0);
    EXPECT_EQ(run->out, "input: " + station.CurveFile() + "\noutput: " + station.DatedChart() + "\n");
    EXPECT_EQ(run->err, "");
    EXPECT_TRUE(ReadFileBytes(station.DatedChart()) == HealthyChart(kDay1, true, true)) << "not the healthy chart";
  }

  const std::vector<unsigned char> previous = HealthyChart(kMorning, true, true);
  const Station station;
};

TEST_F(CommandLineFaultTest, ChartNotWritableExitsWithOneAndKeepsThePreviousChart) {
  const std::string not_written = "input: " + station.CurveFile() + "\noutput: " + station.DatedChart() +
                                  " (not written)\n";
  const std::string message = "wwwplot: the chart file could not be written\n";
  {
    SCOPED_TRACE("image directory not writable");
    chmod(station.images.c_str(), 0555);
    const auto run = RunWwwplot(station);
    chmod(station.images.c_str(), 0755);
    if (!run) GTEST_SKIP() << "cannot become an unprivileged user";
    EXPECT_EQ(run->status, 1);
    EXPECT_EQ(run->out, not_written);
    EXPECT_EQ(run->err, message);
  }
  {
    SCOPED_TRACE("disk full");
    const auto run = RunWwwplot(station, [] { LimitFileSize(1000); });
    ASSERT_TRUE(run);
    EXPECT_EQ(run->status, 1);
    EXPECT_EQ(run->out, not_written);
    EXPECT_EQ(run->err, message);
  }
  EXPECT_TRUE(ReadFileBytes(station.DatedChart()) == previous) << "the previous chart was not kept";
  EXPECT_EQ(FileNames(station.images), "LightcurvesST_20240307.png");
  ExpectHealthyRun();
}

TEST_F(CommandLineFaultTest, LightCurveFileThatCannotBeOpenedExitsWithOne) {
  chmod(station.CurveFile().c_str(), 0);
  const auto run = RunWwwplot(station);
  chmod(station.CurveFile().c_str(), 0644);
  if (!run) GTEST_SKIP() << "cannot become an unprivileged user";
  EXPECT_EQ(run->status, 1);
  EXPECT_EQ(run->out, "input: " + station.CurveFile() + " (not read)\noutput: " +
                          std::string(kUnreadableInputText) + "\n");
  EXPECT_EQ(run->err, "wwwplot: " + std::string(kUnreadableInputText) + "\n");
  EXPECT_TRUE(ReadFileBytes(station.DatedChart()) == previous) << "the previous chart was not kept";
  ExpectHealthyRun();
}

TEST_F(CommandLineFaultTest, PathsNamingADirectoryForAFileOrTheOtherWayRound) {
  const std::string image_dir_line = "[imagedir]=" + station.images;
  const std::string config_line = "[configfile]=" + station.dir.Path() + "station.cfg";
  {
    SCOPED_TRACE("[configfile] names a directory");
    station.WriteParameterFile("[configfile]=" + station.curves + "\n" + image_dir_line);
    const auto run = RunWwwplot(station);
    if (!run) GTEST_SKIP() << "cannot become an unprivileged user";
    // Without the instrument file there is no station word and no light-curve
    // directory: a chart is still drawn, under the name without the word.
    EXPECT_EQ(run->err, "Quorvix configfile path error: Path does not exist\nLight curve path error: Path does not exist\n");
    EXPECT_EQ(run->out, "input: LC20240307_ADU_.txt\noutput: " + station.images + "Lightcurves_20240307.png\n");
    EXPECT_EQ(run->status, 0);
    fs::remove(station.images + "Lightcurves_20240307.png");
    // --check reads the file named before it checks it.
    const auto check = RunWwwplot(station, {}, "--check");
    ASSERT_TRUE(check);
    EXPECT_NE(check->out.find("Path does not exist (Quorvix configfile path error)"), std::string::npos) << check->out;
    EXPECT_EQ(check->status, 1) << check->err;
  }
  {
    SCOPED_TRACE("[imagedir] names a file");
    station.WriteParameterFile(config_line + "\n[imagedir]=" + station.DatedChart() + "/");
    const auto run = RunWwwplot(station);
    ASSERT_TRUE(run);
    // The file named is left alone; the chart goes into the working directory.
    EXPECT_EQ(run->err, "Image directory path error: Path does not exist\n");
    EXPECT_EQ(run->out, "input: " + station.CurveFile() + "\noutput: LightcurvesST_20240307.png\n");
    EXPECT_EQ(run->status, 0);
    fs::remove(station.dir.Path() + "LightcurvesST_20240307.png");
  }
  {
    SCOPED_TRACE("wwwpar.cfg is a directory");
    fs::rename(station.dir.Path() + "wwwpar.cfg", station.dir.Path() + "wwwpar.away");
    fs::create_directory(station.dir.Path() + "wwwpar.cfg");
    const auto run = RunWwwplot(station);
    fs::remove(station.dir.Path() + "wwwpar.cfg");
    fs::rename(station.dir.Path() + "wwwpar.away", station.dir.Path() + "wwwpar.cfg");
    ASSERT_TRUE(run);
    EXPECT_EQ(run->err,
              "Quorvix configfile path error: Path does not exist\n"
              "Image directory path error: Path does not exist\n"
              "Light curve path error: Path does not exist\n"
              "wwwplot: No chart: [yscale] gives no usable value scale\n");
    EXPECT_EQ(run->status, 1);
  }
  EXPECT_TRUE(ReadFileBytes(station.DatedChart()) == previous) << "the previous chart was not kept";
  EXPECT_EQ(FileNames(station.images), "LightcurvesST_20240307.png");
  {
    SCOPED_TRACE("[lcpath] names a file");
    // The light-curve directory falls back to the working directory, where the
    // day has no file: the day's chart is drawn empty, and standard error says why.
    station.WriteParameterFile(config_line + "\n" + image_dir_line);
    station.dir.Write("station.cfg", "[titlecomment]=ST\n[lcpath]=" + station.CurveFile() + "/\n");
    const auto run = RunWwwplot(station);
    ASSERT_TRUE(run);
    EXPECT_EQ(run->err, "Light curve path error: Path does not exist\n");
    EXPECT_EQ(run->out, "input: LC20240307_ADU_ST.txt\noutput: " + station.DatedChart() + "\n");
    EXPECT_EQ(run->status, 0);
  }
  station.dir.Write("station.cfg", "[titlecomment]=ST\n[lcpath]=" + station.curves + "\n");
  ExpectHealthyRun();
}

}  // namespace
