#pragma once

#include <string_view>

// Shows a start-up message: a modal box in the window, a line on standard error
// from the command line. Returns once the message has been acknowledged.
class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual void ShowMessage(std::string_view text, std::string_view caption) = 0;
};

// The cycle timer as the configuration reader arms it.
class CycleTimer {
 public:
  virtual ~CycleTimer() = default;
  virtual void SetTimerEnabled(bool enabled) = 0;
  virtual void SetTimerInterval(int interval_ms) = 0;
};
