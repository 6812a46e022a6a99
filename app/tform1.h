#pragma once

#include <functional>
#include <memory>

#include <QDateTime>
#include <QWidget>

#include "config_reader.h"
#include "startup_seams.h"
#include "station_cycle.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QTimer;

inline constexpr char kApplicationTitle[] = "WWW plotter Quorvix";
inline constexpr char kProgramCaption[] = "wwwplot V1.22 2023-08-31";

// The modal message box of the window: OK only, no icon, the caption as title.
class MessageBoxSink : public MessageSink {
 public:
  void ShowMessage(std::string_view text, std::string_view caption) override;
};

// The local date and time shown in the first label.
using LocalClock = std::function<QDateTime()>;

// The main window: reads the configuration while it is built, then shows what
// each tick of its cycle timer did.
class TForm1 : public QWidget {
  Q_OBJECT

 public:
  // Builds the controls, then reads wwwpar.cfg (its messages while Timer2 is
  // still off), then the instrument file (its message while Timer2 already
  // runs), then sets FirstCycle. `messages` outlives the window.
  explicit TForm1(MessageSink& messages, LocalClock clock = &QDateTime::currentDateTime,
                  LocalDateSource today = LocalToday, QWidget* parent = nullptr);
  ~TForm1() override;

  void ReadConfig();
  void ReadConfigQuorvix();
  void Timer2Timer();
  void CheckBox1Click();
  void BitBtn1Click();

  StationCycle& Cycle() { return cycle_; }
  // Whether the cycle timer is switched on; it ticks only with an interval above 0.
  bool TimerEnabled() const;

  QLabel* Label1;
  QLabel* Label2;
  QLabel* Label3;
  QTimer* Timer2;
  QCheckBox* CheckBox1;
  QLabel* Label5;
  QLabel* Label4;
  QPushButton* BitBtn1;

 protected:
  void closeEvent(QCloseEvent* event) override;  // FormClose

 private:
  void SetInterval(int interval_ms);
  void SetEnabled(bool enabled);
  void SetLabel(QLabel* label, std::string_view text);

  class Timer2Adapter;
  MessageSink& messages_;
  LocalClock clock_;
  StationCycle cycle_;
  bool timer_enabled_ = false;
  int interval_ms_ = kStartIntervalMs;
};

// The one main window, set as soon as its construction starts.
extern TForm1* Form1;

// The local date and time as the first label shows it.
QString DateTimeToStr(const QDateTime& now);
