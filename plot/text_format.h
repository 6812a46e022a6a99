#pragma once

#include <string>

// Text forms of the chart's numbers, always with "." decimals whatever the
// process locale says. Each matches the C format named beside it.

std::string FormatFixed(double value, int width, int precision);  // "%<width>.<precision>f"
std::string FormatZeroPadded(long long value, int width);         // "%0<width>d"
