#include "channel_curves.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <array>
#include <string>

#include <gdfonts.h>

#include "pixel.h"
#include "text_format.h"

namespace {

// Channels 1 to 5 and again 6 to 10.
constexpr PaletteColour kChannelColours[] = {kYellow, kRed, kGreen, kMagenta, kWhite};

}  // namespace

float ChannelLevel(const LightCurveSet& set, int channel, float sample, std::int32_t adc_divider) {
  if (set.IsSfu) return sample;
  // Count difference over the converter's full scale, times 2500 over 25.4.
  // The 25.4 is a float constant on purpose: its float rounding shows in the
  // last digits of the level.
  const double full_scale = adc_divider * 256.0 - 1.0;
  return static_cast<float>(((static_cast<double>(sample) - set.ChannelMinima[channel]) / full_scale) * 2500.0 /
                            static_cast<double>(25.4f));
}

void DrawChannelCurves(const LightCurveSet& set, const ChartParams& params, ChartContext& context) {
  // Row 0 is the header's turn and row RowCount - 1 the repeat of the last
  // line, so neither is drawn. Rows beyond the table are never read.
  if (set.RowCount < 3) return;
  const int last_row = std::min(set.RowCount - 2, kMaxRows - 1);

  gdImagePtr image = context.Image.get();
  const int curve_base = context.PlotBottom - layout::kCurveLift;
  const float pixels_per_unit =
      static_cast<float>(static_cast<double>(context.PlotBottom - context.PlotTop) / context.ScaleSpan);
  const double plot_width = context.PlotRight - context.PlotLeft;

  // The x of a row, and its pixel column, are the same for every channel:
  // worked out once.
  thread_local std::array<float, kMaxRows> row_x;
  thread_local std::array<std::optional<int>, kMaxRows> row_column;
  for (int row = 1; row <= last_row; ++row) {
    float hours_ut = set.Samples[row][0];
    if (!(hours_ut >= 0)) {
      hours_ut = 0;  // a NaN time too
    } else if (hours_ut > layout::kHourCount) {
      hours_ut = layout::kHourCount;
    }
    row_x[row] = static_cast<float>(context.PlotLeft + plot_width * hours_ut / layout::kHourCount);
    row_column[row] = ToPixel(row_x[row]);
  }

  for (int channel = 0; channel < kChannelCount; ++channel) {
    const int colour = context.Palette[kChannelColours[channel % std::size(kChannelColours)]];
    bool first = true;
    float previous_x = 0;
    for (int row = 1; row <= last_row; ++row) {
      const float xf = row_x[row];
      const float level = ChannelLevel(set, channel, set.Samples[row][channel + 1], params.AdcDivider);
      const float yf = static_cast<float>(
          curve_base - (static_cast<double>(level) - context.ScaleMin) * static_cast<double>(pixels_per_unit));
      // A row not right of its predecessor (NaN included) is left out, and
      // the next row is still compared with it.
      if (first || xf > previous_x) {
        const std::optional<int> x = row_column[row];
        const std::optional<int> y = ToPixel(yf);
        // One palette index written straight into its row, where gd's own
        // pixel call would go through its brush and style checks first.
        if (x && y && gdImageBoundsSafe(image, *x, *y)) image->pixels[*y][*x] = static_cast<unsigned char>(colour);
      }
      first = false;
      previous_x = xf;
    }

    const float frequency_mhz = set.Frequencies[channel];
    if (frequency_mhz > 0) {
      std::string legend = FormatFixed(frequency_mhz, 3, 1) + " MHz";
      gdImageString(image, gdFontGetSmall(), context.PlotRight - layout::kLegendLeftOfRight,
                    layout::kLegendTop + layout::kLegendSpacing * channel,
                    reinterpret_cast<unsigned char*>(legend.data()), colour);
    }
  }
}
