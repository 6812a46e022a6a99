#include "config_reader.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <climits>
#include <string>
#include <vector>

#include "temp_dir.h"

namespace {

using Log = std::vector<std::string>;

// Stands in for the cycle timer and the message box, logging every call in order
// together with the timer's state when a message is shown.
class Recorder : public CycleTimer, public MessageSink {
 public:
  void SetTimerEnabled(bool enabled) override {
    enabled_ = enabled;
    log.push_back(enabled ? "timer on" : "timer off");
  }
  void SetTimerInterval(int interval_ms) override {
    interval_ms_ = interval_ms;
    log.push_back("interval " + std::to_string(interval_ms));
  }
  void ShowMessage(std::string_view text, std::string_view caption) override {
    log.push_back(std::string(caption) + ": " + std::string(text) + (enabled_ ? " (timer on)" : " (timer off)"));
  }

  Log log;
  int interval_ms_ = kStartIntervalMs;

 private:
  bool enabled_ = false;
};

const std::string kConfigMessage = "Quorvix configfile path error: Path does not exist (timer off)";
const std::string kImageDirMessage = "Image directory path error: Path does not exist (timer off)";
const std::string kLightCurveMessage = "Light curve path error: Path does not exist (timer on)";

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

class ReadConfigTest : public ::testing::Test {
 protected:
  // Runs ReadConfig on `text`, in which "$D/" stands for the temporary directory.
  void Read(const std::string& text) {
    ReadConfig(fields, recorder, recorder, dir.Write("wwwpar.cfg", ReplaceAll(text, "$D/", dir.Path())));
  }

  TempDir dir;
  ParameterFields fields;
  Recorder recorder;
};

TEST_F(ReadConfigTest, CompleteFileSetsEveryFieldAndArmsTimerWithCrLfOrLf) {
  for (const std::string eol : {"\n", "\r\n"}) {
    SCOPED_TRACE(eol.size());
    fields = {};
    recorder = {};
    dir.Write("quorvix.cfg", "");
    dir.MakeDir("charts");
    Read("free text comment" + eol + eol + "[configfile]=$D/quorvix.cfg" + eol + "[imagedir]=$D/charts/" + eol +
         "[timer]=30" + eol + "[dayoffset]=1" + eol + "[yscale]=-10,100,5" + eol + "[width]=800" + eol +
         "[height]=600" + eol + "[adcdivider]=12" + eol);
    EXPECT_EQ(fields.ConfigFilePath, dir.Path() + "quorvix.cfg");
    EXPECT_EQ(fields.ImageDir, dir.Path() + "charts/");
    EXPECT_EQ(fields.TimerSeconds, 30);
    EXPECT_EQ(fields.DayOffset, 1);
    EXPECT_EQ(fields.YScaleMin, -10);
    EXPECT_EQ(fields.YScaleMax, 100);
    EXPECT_EQ(fields.YScaleSteps, 5);
    EXPECT_EQ(fields.ImageWidth, 800);
    EXPECT_EQ(fields.ImageHeight, 600);
    EXPECT_EQ(fields.AdcDivider, 12);
    EXPECT_EQ(recorder.log, (Log{"timer off", "interval 30000", "timer on"}));
  }
}

TEST_F(ReadConfigTest, MissingFileOrTimerZeroShowsBothMessagesWhileTimerIsOff) {
  for (const bool file_present : {false, true}) {
    SCOPED_TRACE(file_present);
    fields = {};
    recorder = {};
    if (file_present) {
      Read("[timer]=0\n");
    } else {
      ReadConfig(fields, recorder, recorder, dir.Path() + "absent.cfg");
    }
    EXPECT_EQ(fields.TimerSeconds, 0);
    EXPECT_EQ(recorder.log, (Log{"timer off", kConfigMessage, kImageDirMessage, "timer on"}));
    EXPECT_EQ(recorder.interval_ms_, 1000);
  }
}

TEST_F(ReadConfigTest, TimerLineConversions) {
  struct Case {
    std::string line;
    std::int32_t seconds;  // 7 means the earlier "[timer]=7" stays
    int interval_ms;
  };
  const Case cases[] = {
      {"[timer]=30", 30, 30000},
      {"[Timer]=30", 7, 7000},
      {"[timer] =30", 7, 7000},
      {" [timer]=30", 7, 7000},
      {"[timer]=010", 8, 8000},
      {"[timer]=0x1E", 30, 30000},
      {"[timer]=30s", 30, 30000},
      {"[timer]=08", 0, 1000},
      {"[timer]=0x", 0, 1000},
      {"[timer]= \t+4\r", 4, 4000},
      {"[timer]=", 7, 7000},
      {"[timer]=-", 7, 7000},
      {std::string("[timer]=3\0" "5", 11), 3, 3000},
      {"[timer]=-5", -5, 1000},
      {"[timer]=2147483", 2147483, 2147483000},
      {"[timer]=2147484", 2147484, 1000},
      {"[timer]=-2147483648", INT32_MIN, 1000},
      {"[timer]=2147483648", 7, 7000},
      {"[timer]=0xFFFFFFFF", 7, 7000},
      {"[timer]=99999999999999999999999", 7, 7000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    fields = {};
    recorder = {};
    Read("[timer]=7\n" + c.line + "\n");
    EXPECT_EQ(fields.TimerSeconds, c.seconds);
    EXPECT_EQ(recorder.interval_ms_, c.interval_ms);
  }
}

TEST_F(ReadConfigTest, DayOffsetOutsideSixteenBitsIsNotStored) {
  const std::pair<std::string, int> cases[] = {
      {"1", 1}, {"+2", 2}, {"65535", 65535}, {"65536", 3}, {"-1", 3}, {"-0", 0}, {"010", 10}, {"0x10", 0}, {"x", 3},
  };
  for (const auto& [value, expected] : cases) {
    SCOPED_TRACE(value);
    fields = {};
    Read("[dayoffset]=3\n[dayoffset]=" + value + "\n");
    EXPECT_EQ(fields.DayOffset, expected);
  }
}

TEST_F(ReadConfigTest, YScaleStoresValuesUntilTheFirstThatFails) {
  struct Case {
    std::string value;
    std::int32_t min, max, steps;  // 1, 2, 3 are the earlier line's values
  };
  const Case cases[] = {
      {"-10,100", -10, 100, 3},        {"0 ,100,5", 0, 2, 3},         {" -10, 100,\t5", -10, 100, 5},
      {"x,100,5", 1, 2, 3},            {"0x10,010,9", 16, 8, 9},      {"5,3000000000,6", 5, 2, 3},
      {"3000000000,5,6", 1, 2, 3},     {"5;6;7", 5, 2, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    fields = {};
    Read("[yscale]=1,2,3\n[yscale]=" + c.value + "\n");
    EXPECT_EQ(fields.YScaleMin, c.min);
    EXPECT_EQ(fields.YScaleMax, c.max);
    EXPECT_EQ(fields.YScaleSteps, c.steps);
  }
}

TEST_F(ReadConfigTest, OneKeyPerLineLaterLinesWinAndAnOverlongLineEndsReading) {
  Read("[width]=800 [height]=600\n[adcdivider]=1\n[adcdivider]=2\n[timer]=5" + std::string(291, ' ') +
       "\n[height]=480\n");
  EXPECT_EQ(fields.ImageWidth, 800);
  EXPECT_EQ(fields.AdcDivider, 2);
  EXPECT_EQ(fields.TimerSeconds, 5);
  EXPECT_EQ(fields.ImageHeight, 0);
}

TEST_F(ReadConfigTest, FailedPathChecksEmptyTheFieldAndShowTheirMessage) {
  dir.Write("quorvix.cfg", "");
  dir.MakeDir("my");
  struct Case {
    std::string text;
    std::string config_file, image_dir;  // "$D/" stands for the temporary directory
    Log messages;
  };
  const Case cases[] = {
      {"[configfile]=$D/quorvix.cfg\n[imagedir]=\n", "$D/quorvix.cfg", "", {kImageDirMessage}},
      {"[configfile]=$D/quorvix.cfg\n[imagedir]=$D/my charts/\n", "$D/quorvix.cfg", "$D/my", {}},
      {"[configfile]=$D/my/\n[imagedir]=$D/quorvix.cfg\n", "", "", {kConfigMessage, kImageDirMessage}},
      {"[configfile]=$D/quorvix.cfg extra\n[imagedir]=$D/nowhere/\n", "$D/quorvix.cfg", "", {kImageDirMessage}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    fields = {};
    recorder = {};
    Read(c.text);
    EXPECT_EQ(fields.ConfigFilePath, ReplaceAll(c.config_file, "$D/", dir.Path()));
    EXPECT_EQ(fields.ImageDir, ReplaceAll(c.image_dir, "$D/", dir.Path()));
    Log expected{"timer off"};
    expected.insert(expected.end(), c.messages.begin(), c.messages.end());
    expected.push_back("timer on");
    EXPECT_EQ(recorder.log, expected);
  }
}

TEST_F(ReadConfigTest, ConfigFilePathLongerThanItsFieldIsNotStored) {
  const std::string short_path = dir.Write("a.cfg", "");
  const std::string fits = dir.Write(std::string(kMaxConfigFilePathLength - dir.Path().size(), 'f'), "");
  const std::string too_long = dir.Write(std::string(kMaxConfigFilePathLength + 1 - dir.Path().size(), 'g'), "");
  ASSERT_EQ(fits.size(), 199u);
  Read("[configfile]=" + short_path + "\n[configfile]=" + fits + "\n");
  EXPECT_EQ(fields.ConfigFilePath, fits);
  Read("[configfile]=" + short_path + "\n[configfile]=" + too_long + "\n");
  EXPECT_EQ(fields.ConfigFilePath, short_path);
}

TEST(ForEachConfigLineTest, SplitsLikeAFixedLineBuffer) {
  const std::string full(kMaxConfigLine, 'x');
  struct Case {
    std::string text;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"", {}},
      {"a\nb", {"a", "b"}},
      {"a\n", {"a"}},
      {"\n\nc\n", {"", "", "c"}},
      {"a\r\nb\r\n", {"a\r", "b\r"}},
      {std::string("ab\0cd\nef", 8), {"ab", "ef"}},
      {full + "\nb", {full, "b"}},
      {full, {full}},
      {full + "y\nb\n", {full}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.size());
    std::vector<std::string> lines;
    ForEachConfigLine(c.text, [&](std::string_view line) { lines.emplace_back(line); });
    EXPECT_EQ(lines, c.lines);
  }
}

class ReadConfigQuorvixTest : public ReadConfigTest {
 protected:
  std::string lc_dir = dir.MakeDir("lc");
};

TEST_F(ReadConfigQuorvixTest, ReadsTitleAndLightCurvePath) {
  struct Case {
    std::string text;  // "$D/" stands for the temporary directory
    std::string title, light_curve_path;
    Log messages;
  };
  const Case cases[] = {
      {"x=1\n[titlecomment]=ALPHA\n[lcpath]=$D/lc/\n", "ALPHA", "$D/lc/", {}},
      {"[titlecomment]=ALPHA\r\n[lcpath]=$D/lc/\r\n", "ALPHA", "$D/lc/", {}},
      {"[titlecomment]=North Station\n[lcpath]=$D/lc/\n", "North", "$D/lc/", {}},
      {"[TitleComment]=ALPHA\n[lcpath]=$D/lc/\n", "", "$D/lc/", {}},
      {"[titlecomment]=ALPHA\n", "ALPHA", "", {kLightCurveMessage}},
      {"[lcpath]=$D/nowhere/\n", "", "", {kLightCurveMessage}},
      {"[titlecomment]=ALPHA\n[titlecomment]=" + std::string(kMaxTitleCommentLength, 'T') + "\n",
       std::string(kMaxTitleCommentLength, 'T'), "", {kLightCurveMessage}},
      {"[titlecomment]=ALPHA\n[titlecomment]=" + std::string(kMaxTitleCommentLength + 1, 'T') + "\n", "ALPHA", "",
       {kLightCurveMessage}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    fields = {};
    recorder = {};
    recorder.SetTimerEnabled(true);
    fields.ConfigFilePath = dir.Write("quorvix.cfg", ReplaceAll(c.text, "$D/", dir.Path()));
    EXPECT_EQ(ReadConfigQuorvix(fields, recorder), "PNG plotter Quorvix " + c.title);
    EXPECT_EQ(fields.TitleComment, c.title);
    EXPECT_EQ(fields.LightCurvePath, ReplaceAll(c.light_curve_path, "$D/", dir.Path()));
    Log expected{"timer on"};
    expected.insert(expected.end(), c.messages.begin(), c.messages.end());
    EXPECT_EQ(recorder.log, expected);
  }
}

TEST_F(ReadConfigQuorvixTest, EmptiedConfigFilePathGivesLightCurveMessageLastAndBareCaption) {
  Read("[configfile]=$D/missing.cfg\n[imagedir]=$D/lc/\n");
  EXPECT_EQ(ReadConfigQuorvix(fields, recorder), "PNG plotter Quorvix ");
  EXPECT_EQ(fields.LightCurvePath, "");
  EXPECT_EQ(recorder.log, (Log{"timer off", kConfigMessage, "timer on", kLightCurveMessage}));
}

TEST_F(ReadConfigQuorvixTest, ConfigFileThatIsAFifoReadsAsEmptyInsteadOfWaiting) {
  const std::string fifo = dir.Path() + "quorvix.fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  fields.ConfigFilePath = fifo;
  EXPECT_EQ(ReadConfigQuorvix(fields, recorder), "PNG plotter Quorvix ");
  EXPECT_EQ(recorder.log, Log{"Light curve path error: Path does not exist (timer off)"});
}

}  // namespace
