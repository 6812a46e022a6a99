#pragma once

#include <cmath>
#include <limits>
#include <optional>

// Converts a real coordinate to a pixel by truncation toward zero. NaN, the
// infinities and values beyond the int range lie outside any image, so they give
// nothing to draw, exactly as gd drops pixels outside the image.
inline std::optional<int> ToPixel(double coordinate) {
  // The bounds are exactly representable doubles; a truncated value inside
  // them always fits an int.
  constexpr double kLowest = static_cast<double>(std::numeric_limits<int>::min());
  constexpr double kHighest = static_cast<double>(std::numeric_limits<int>::max());
  if (!(coordinate > kLowest - 1.0 && coordinate < kHighest + 1.0)) return std::nullopt;
  return static_cast<int>(coordinate);
}
