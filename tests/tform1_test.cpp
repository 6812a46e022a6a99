#include "tform1.h"

#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include "temp_dir.h"

namespace {

using std::chrono::year;

// Answers every message box at once and notes what the window looked like then.
class RecordingSink : public MessageSink {
 public:
  struct Shown {
    std::string caption;
    bool timer_enabled;
  };
  void ShowMessage(std::string_view text, std::string_view caption) override {
    EXPECT_EQ(text, "Path does not exist");
    shown.push_back({std::string(caption), Form1 != nullptr && Form1->TimerEnabled()});
  }
  std::vector<Shown> shown;
};

// The widget that Tab moves to from `widget`.
QWidget* NextTabStop(QWidget* widget) {
  for (QWidget* next = widget->nextInFocusChain(); next != widget; next = next->nextInFocusChain()) {
    if (next->focusPolicy() & Qt::TabFocus) return next;
  }
  return nullptr;
}

// Each test stands in a station folder of its own, the working directory of the window.
class TForm1Test : public ::testing::Test {
 protected:
  TForm1Test() : previous_dir_(getcwd(nullptr, 0)) { EXPECT_EQ(chdir(dir_.Path().c_str()), 0); }
  ~TForm1Test() override {
    EXPECT_EQ(chdir(previous_dir_), 0);
    std::free(previous_dir_);
  }

  // A complete station whose parameter file adds `extra` lines.
  void WriteStation(const std::string& extra) {
    dir_.MakeDir("www");
    dir_.MakeDir("lc");
    dir_.Write("wwwpar.cfg", "[configfile]=station.cfg\n[imagedir]=www/\n[width]=640\n[height]=400\n"
                             "[yscale]=0,100,5\n" + extra);
    dir_.Write("station.cfg", "[titlecomment]=ALPHA\n[lcpath]=lc/\n");
    dir_.Write("lc/LC20261208_SFU_ALPHA.txt", "Time_UT,45.0MHz\nunits\n12.0,50,50,50,50,50,50,50,50,50,50\n");
  }

  std::unique_ptr<TForm1> MakeForm() {
    return std::make_unique<TForm1>(
        sink_, [this] { return now_; }, [] { return year{2026} / 12 / 8; });
  }

  TempDir dir_;
  char* previous_dir_;
  RecordingSink sink_;
  QDateTime now_{QDate(2026, 12, 8), QTime(10, 0, 0)};
};

TEST_F(TForm1Test, StartUpShowsEachFailedCheckInOrderWithTheTimerArmedOnlyForTheLast) {
  auto form = MakeForm();
  ASSERT_EQ(sink_.shown.size(), 3u);
  EXPECT_EQ(sink_.shown[0].caption, "Quorvix configfile path error");
  EXPECT_FALSE(sink_.shown[0].timer_enabled);
  EXPECT_EQ(sink_.shown[1].caption, "Image directory path error");
  EXPECT_FALSE(sink_.shown[1].timer_enabled);
  EXPECT_EQ(sink_.shown[2].caption, "Light curve path error");
  EXPECT_TRUE(sink_.shown[2].timer_enabled) << "ticks may run inside the last box";

  EXPECT_EQ(form->windowTitle(), "PNG plotter Quorvix ");
  EXPECT_TRUE(form->Cycle().Fields.FirstCycle);
  EXPECT_TRUE(form->Timer2->isActive());
  EXPECT_EQ(form->Timer2->interval(), 1000);
}

TEST_F(TForm1Test, LaysOutTheControls) {
  WriteStation("");
  auto form = MakeForm();
  EXPECT_TRUE(sink_.shown.empty());
  EXPECT_EQ(form->windowTitle(), "PNG plotter Quorvix ALPHA");
  EXPECT_EQ(form->size(), QSize(384, 156));
  EXPECT_EQ(form->pos(), QPoint(207, 173));

  const struct {
    QLabel* label;
    const char* name;
    QPoint position;
    const char* text;
  } labels[] = {{form->Label1, "Label1", {8, 8}, "DateTime"},
                {form->Label2, "Label2", {8, 24}, "Status"},
                {form->Label3, "Label3", {8, 40}, "Filename input"},
                {form->Label5, "Label5", {8, 56}, "Filename output"},
                {form->Label4, "Label4", {8, 96}, "wwwplot V1.22 2023-08-31"}};
  for (const auto& expected : labels) {
    SCOPED_TRACE(expected.name);
    EXPECT_EQ(form->findChild<QLabel*>(expected.name), expected.label);
    EXPECT_EQ(expected.label->pos(), expected.position);
    EXPECT_EQ(expected.label->text(), expected.text);
  }
  EXPECT_GE(form->Label3->width(), 68);
  EXPECT_EQ(form->Label3->height(), form->Label2->height()) << "the start caption stands on one line";

  EXPECT_EQ(form->CheckBox1->text(), "Fast");
  EXPECT_FALSE(form->CheckBox1->isChecked());
  EXPECT_EQ(form->CheckBox1->geometry(), QRect(8, 72, 81, 17));
  EXPECT_EQ(form->BitBtn1->text(), "Close");
  EXPECT_FALSE(form->BitBtn1->icon().isNull());
  EXPECT_EQ(form->BitBtn1->geometry(), QRect(272, 88, 75, 25));
  EXPECT_EQ(NextTabStop(form.get()), form->CheckBox1);
  EXPECT_EQ(NextTabStop(form->CheckBox1), form->BitBtn1);
}

TEST_F(TForm1Test, TicksAlternateGenerationAndWait) {
  WriteStation("[timer]=30\n");
  auto form = MakeForm();

  form->Timer2Timer();
  EXPECT_EQ(form->Label2->text(), "Generate lightcurves Quorvix");
  EXPECT_EQ(form->Label3->text(), "lc/LC20261208_SFU_ALPHA.txt");
  EXPECT_EQ(form->Label5->text(), "www/LightcurvesALPHA.png");
  EXPECT_EQ(form->Label3->height(), form->Label2->height())
      << "a long name widens the label instead of being cut";
  EXPECT_TRUE(form->Cycle().Fields.FirstCycle);
  const QString first_time = form->Label1->text();

  now_ = now_.addSecs(30);
  form->Timer2Timer();
  EXPECT_EQ(form->Label2->text(), "Wait....");
  EXPECT_FALSE(form->Cycle().Fields.FirstCycle);
  EXPECT_NE(form->Label1->text(), first_time);

  form->Timer2Timer();
  EXPECT_EQ(form->Label2->text(), "Generate lightcurves Quorvix");
  EXPECT_TRUE(QFile::exists("www/LightcurvesALPHA.png"));
}

TEST_F(TForm1Test, FastSwitchesTheIntervalBetweenHalfASecondAndTheTimer) {
  WriteStation("[timer]=30\n");
  auto form = MakeForm();
  EXPECT_EQ(form->Timer2->interval(), 30000);
  form->CheckBox1->click();
  EXPECT_EQ(form->Timer2->interval(), 500);
  EXPECT_TRUE(form->Timer2->isActive());
  form->CheckBox1->click();
  EXPECT_EQ(form->Timer2->interval(), 30000);
  EXPECT_TRUE(form->Timer2->isActive());
}

TEST_F(TForm1Test, WithoutATimerSettingUncheckingFastStopsTheTicks) {
  WriteStation("[timer]=0\n");
  auto form = MakeForm();
  EXPECT_EQ(form->Timer2->interval(), 1000);
  form->CheckBox1->click();
  EXPECT_EQ(form->Timer2->interval(), 500);
  form->CheckBox1->click();
  EXPECT_FALSE(form->Timer2->isActive());
  EXPECT_TRUE(form->TimerEnabled());
  form->CheckBox1->click();
  EXPECT_TRUE(form->Timer2->isActive());
  EXPECT_EQ(form->Timer2->interval(), 500);
}

TEST_F(TForm1Test, ClosingTheWindowStopsTheTimer) {
  WriteStation("[timer]=1\n");
  auto form = MakeForm();
  form->show();
  ASSERT_TRUE(form->Timer2->isActive());
  form->close();
  EXPECT_FALSE(form->Timer2->isActive());
  EXPECT_FALSE(form->TimerEnabled());
}

}  // namespace

int main(int argc, char* argv[]) {
  // No display is needed: the window is drawn off screen unless told otherwise.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
