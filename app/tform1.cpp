#include "tform1.h"

#include <algorithm>

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QTimer>

TForm1* Form1 = nullptr;

namespace {

// The fixed layout of the window, in pixels.
constexpr QSize kWindowSize{384, 156};
constexpr QPoint kWindowPosition{207, 173};
constexpr int kInputLabelWidth = 68;
constexpr int kFontPixelSize = 11;
constexpr int kCaptionAllowance = 120;  // title bar icon and buttons beside the caption

QString FromText(std::string_view text) { return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size())); }

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, QPoint position) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->move(position);
  label->adjustSize();
  return label;
}

}  // namespace

void MessageBoxSink::ShowMessage(std::string_view text, std::string_view caption) {
  QMessageBox box(QMessageBox::NoIcon, FromText(caption), FromText(text), QMessageBox::Ok);
  // The caption names the failed setting, so the box is made wide enough for
  // the title bar to show it whole.
  QFont title_font = QApplication::font();
  title_font.setBold(true);
  const int caption_width = QFontMetrics(title_font).horizontalAdvance(box.windowTitle());
  box.setStyleSheet(QStringLiteral("QLabel { min-width: %1px; }").arg(caption_width + kCaptionAllowance));
  box.exec();
}

QString DateTimeToStr(const QDateTime& now) {
  const QLocale locale;
  return locale.toString(now.date(), QLocale::ShortFormat) + ' ' + now.time().toString(QStringLiteral("HH:mm:ss"));
}

// Lets the configuration reader arm the window's cycle timer.
class TForm1::Timer2Adapter : public CycleTimer {
 public:
  explicit Timer2Adapter(TForm1& form) : form_(form) {}
  void SetTimerEnabled(bool enabled) override { form_.SetEnabled(enabled); }
  void SetTimerInterval(int interval_ms) override { form_.SetInterval(interval_ms); }

 private:
  TForm1& form_;
};

TForm1::TForm1(MessageSink& messages, LocalClock clock, LocalDateSource today, QWidget* parent)
    : QWidget(parent), messages_(messages), clock_(std::move(clock)), cycle_(std::move(today)) {
  Form1 = this;
  setObjectName(QStringLiteral("Form1"));
  setFixedSize(kWindowSize);
  move(kWindowPosition);
  setWindowIcon(QIcon(QStringLiteral(":/wwwplot.png")));
  // The layout is in pixels for an 8-point dialog font; a larger desktop font
  // would make the labels run into each other.
  QFont form_font = font();
  form_font.setPixelSize(kFontPixelSize);
  setFont(form_font);

  Label1 = MakeLabel(this, "Label1", QStringLiteral("DateTime"), {8, 8});
  Label2 = MakeLabel(this, "Label2", QStringLiteral("Status"), {8, 24});
  Label3 = MakeLabel(this, "Label3", QStringLiteral("Filename input"), {8, 40});
  Label3->setWordWrap(true);
  SetLabel(Label3, "Filename input");

  Timer2 = new QTimer(this);
  Timer2->setObjectName(QStringLiteral("Timer2"));
  Timer2->setInterval(kStartIntervalMs);
  connect(Timer2, &QTimer::timeout, this, &TForm1::Timer2Timer);

  CheckBox1 = new QCheckBox(QStringLiteral("Fast"), this);
  CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
  CheckBox1->setGeometry(8, 72, 81, 17);
  connect(CheckBox1, &QCheckBox::clicked, this, &TForm1::CheckBox1Click);

  Label5 = MakeLabel(this, "Label5", QStringLiteral("Filename output"), {8, 56});
  Label4 = MakeLabel(this, "Label4", QString::fromLatin1(kProgramCaption), {8, 96});

  BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton), QStringLiteral("Close"), this);
  BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
  BitBtn1->setGeometry(272, 88, 75, 25);
  connect(BitBtn1, &QPushButton::clicked, this, &TForm1::BitBtn1Click);

  setTabOrder(CheckBox1, BitBtn1);

  ReadConfig();
  ReadConfigQuorvix();
  cycle_.Fields.FirstCycle = true;
}

TForm1::~TForm1() {
  if (Form1 == this) Form1 = nullptr;
}

void TForm1::ReadConfig() {
  Timer2Adapter timer(*this);
  ::ReadConfig(cycle_.Fields, timer, messages_);
}

void TForm1::ReadConfigQuorvix() {
  const std::string caption = ::ReadConfigQuorvix(cycle_.Fields, messages_);
  setWindowTitle(FromText(caption));
}

void TForm1::Timer2Timer() {
  const QString now = DateTimeToStr(clock_());
  const TickResult tick = cycle_.Timer2Timer();
  if (tick.kind == TickResult::Kind::kNone) return;
  Label1->setText(now);
  Label1->adjustSize();
  SetLabel(Label2, tick.Status());
  if (tick.generation) {
    SetLabel(Label3, tick.generation->input_label);
    SetLabel(Label5, tick.generation->chart.label);
  }
}

void TForm1::CheckBox1Click() {
  if (CheckBox1->isChecked()) {
    SetInterval(500);
  } else {
    // 0 stops the ticks until "Fast" is checked again; so does a period that
    // gives no usable interval.
    SetInterval(IntervalMsFromSeconds(cycle_.Fields.TimerSeconds).value_or(0));
  }
}

void TForm1::BitBtn1Click() { QApplication::quit(); }

void TForm1::closeEvent(QCloseEvent* event) {
  SetEnabled(false);
  QWidget::closeEvent(event);
}

bool TForm1::TimerEnabled() const { return timer_enabled_; }

void TForm1::SetEnabled(bool enabled) {
  timer_enabled_ = enabled;
  SetInterval(interval_ms_);
}

void TForm1::SetInterval(int interval_ms) {
  interval_ms_ = interval_ms;
  Timer2->setInterval(interval_ms);
  // A timer of interval 0 would fire on every pass of the event loop; here it
  // means no ticks. start() restarts, so the next tick is one new interval away.
  if (timer_enabled_ && interval_ms > 0) {
    Timer2->start(interval_ms);
  } else {
    Timer2->stop();
  }
}

void TForm1::SetLabel(QLabel* label, std::string_view text) {
  label->setText(FromText(text));
  if (label != Label3) {
    label->adjustSize();
    return;
  }
  // The input label wraps between words at its width, but a word wider than
  // that widens the label instead of being cut: a path stays readable.
  const QFontMetrics metrics(label->font());
  // Its start caption stands on one line, as it was laid out for.
  int width = std::max(kInputLabelWidth, metrics.size(0, QStringLiteral("Filename input")).width());
  for (const QString& word : label->text().split(' ', Qt::SkipEmptyParts)) {
    width = std::max(width, metrics.size(0, word).width());
  }
  label->resize(width, label->heightForWidth(width));
}
