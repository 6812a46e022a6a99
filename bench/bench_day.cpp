#include "bench_day.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>

namespace {

constexpr double kFrequenciesMhz[10] = {45.0, 70.5, 110.25, 150.0, 200.0, 245.0, 300.0, 350.5, 410.0, 470.0};

// A small linear congruential generator: the same numbers with every library.
class Noise {
 public:
  // Uniform in [-1, 1).
  double Next() {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(state_ >> 11) / static_cast<double>(1ULL << 52) - 1.0;
  }

 private:
  std::uint64_t state_ = 20240307;
};

// Rise over `rise` hours and exponential decay over `decay` hours from `start`.
double Burst(double hours, double start, double peak, double rise, double decay) {
  if (hours < start) return 0.0;
  const double t = hours - start;
  if (t < rise) return peak * t / rise;
  return peak * std::exp(-(t - rise) / decay);
}

// Level of channel k (0 to 9) at `hours`, in SFU.
double Level(int k, double hours, Noise& noise) {
  const double quiet = 22.0 + 3.2 * k;
  const double swell = 6.0 * std::exp(-std::pow((hours - 12.0) / 4.0, 2.0));
  // The burst group at 10:40 UT, stronger at the higher channels, and three smaller ones.
  const double bursts = Burst(hours, 10.0 + 40.0 / 60.0, 95.0 + 4.0 * k, 0.03, 0.12) +
                        Burst(hours, 10.9, 40.0 + 2.0 * k, 0.02, 0.05) + Burst(hours, 7.25, 18.0, 0.01, 0.04) +
                        Burst(hours, 14.6, 25.0 - k, 0.02, 0.08);
  return quiet + swell + bursts + 1.8 * noise.Next();
}

std::string DayText(bool sfu) {
  std::string text = "Time_UT";
  char field[32];
  for (double mhz : kFrequenciesMhz) {
    std::snprintf(field, sizeof field, ",%.3fMHz", mhz);
    text += field;
  }
  text += sfu ? "\nhours,SFU,SFU,SFU,SFU,SFU,SFU,SFU,SFU,SFU,SFU\n" : "\nhours,ADU,ADU,ADU,ADU,ADU,ADU,ADU,ADU,ADU,ADU\n";
  text.reserve(text.size() + kBenchDayRows * 64);
  Noise noise;
  for (int row = 0; row < kBenchDayRows; ++row) {
    const double hours = 24.0 * row / kBenchDayRows;
    std::snprintf(field, sizeof field, "%.4f", hours);
    text += field;
    for (int k = 0; k < 10; ++k) {
      const double level = Level(k, hours, noise);
      // Counts: an offset of the converter plus about 2.4 counts an SFU.
      if (sfu) {
        std::snprintf(field, sizeof field, ",%.1f", level);
      } else {
        std::snprintf(field, sizeof field, ",%ld", std::lround(310.0 + 2.4 * level));
      }
      text += field;
    }
    text += '\n';
  }
  return text;
}

}  // namespace

std::string BenchDaySfuText() { return DayText(true); }

std::string BenchDayAduText() { return DayText(false); }

bool WriteBenchFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  out.close();
  return static_cast<bool>(out);
}
