#pragma once

#include <iosfwd>

// Runs the station's cycle without a window until SIGINT or SIGTERM: start-up
// with its messages on `err`, then a tick every interval, each generation
// printing its input and output lines on `out`. A signal is only taken between
// ticks, so a chart is never left half-written. Returns the exit status, 0.
int RunHeadless(std::ostream& out, std::ostream& err);
