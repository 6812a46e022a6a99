#pragma once

#include <iosfwd>

#include "light_curve_reader.h"

// Reads the station's two configuration files as start-up does and writes for
// an operator every setting it resolved, each check's result, the light-curve
// file a generation would read now and the chart file it would write. Never
// waits for anybody. Returns 0 when everything is usable, 1 otherwise.
int CheckStation(std::ostream& out, const LocalDateSource& today);
