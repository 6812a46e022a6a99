#include "headless.h"

#include <signal.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <ostream>

#include "command_line.h"
#include "config_reader.h"
#include "station_cycle.h"

namespace {

// The interval of the headless cycle, armed by the configuration reader.
class HeadlessTimer : public CycleTimer {
 public:
  // The configuration reader always leaves the timer enabled; only the interval matters.
  void SetTimerEnabled(bool) override {}
  void SetTimerInterval(int interval_ms) override { interval_ms_ = interval_ms; }
  std::chrono::milliseconds Interval() const { return std::chrono::milliseconds(interval_ms_); }

 private:
  int interval_ms_ = kStartIntervalMs;
};

sigset_t StopSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  return signals;
}

// Waits until `deadline` or a stop signal; true when a signal came.
bool WaitForStop(const sigset_t& signals, std::chrono::steady_clock::time_point deadline) {
  for (;;) {
    const auto left = deadline - std::chrono::steady_clock::now();
    if (left <= std::chrono::steady_clock::duration::zero()) return false;
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(left);
    const auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(left - seconds);
    const timespec timeout{static_cast<time_t>(seconds.count()), static_cast<long>(nanoseconds.count())};
    if (sigtimedwait(&signals, nullptr, &timeout) >= 0) return true;
    if (errno != EAGAIN && errno != EINTR) return false;
  }
}

}  // namespace

int RunHeadless(std::ostream& out, std::ostream& err) {
  // The stop signals stay pending while a tick runs and are taken only in the
  // wait between ticks.
  const sigset_t signals = StopSignals();
  sigprocmask(SIG_BLOCK, &signals, nullptr);

  StationCycle cycle;
  HeadlessTimer timer;
  StreamMessageSink messages(err);
  StartStation(cycle.Fields, timer, messages);

  auto next_tick = std::chrono::steady_clock::now() + timer.Interval();
  while (!WaitForStop(signals, next_tick)) {
    const TickResult tick = cycle.Timer2Timer();
    if (tick.generation) PrintGeneration(out, *tick.generation);
    // A tick that took longer than the interval is followed at once; missed
    // ticks are not made up.
    next_tick = std::max(next_tick + timer.Interval(), std::chrono::steady_clock::now());
  }
  return 0;
}
