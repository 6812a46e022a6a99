#include "plot_light_curves.h"

#include <cstdint>
#include <string>

#include "channel_curves.h"

namespace {

ChartResult NoChart(LightCurveSet& set, std::string_view text) {
  // The day change is used up even without a chart, as when its file cannot be
  // written: the next tick goes on with the undated chart.
  set.DayChanged = false;
  return {ChartOutcome::kNoChart, std::string(text)};
}

}  // namespace

std::optional<std::string_view> UnusableChartReason(const ChartParams& params) {
  // Without steps or range every value step and pixel scale is a division by zero.
  // A negative step count is usable: the chart then has no value ticks.
  if (params.YScaleSteps == 0 || params.YScaleSteps > kMaxScaleSteps || params.YScaleMax == params.YScaleMin) {
    return kUnusableScaleText;
  }
  if (params.ImageWidth <= 0 || params.ImageHeight <= 0 ||
      std::int64_t{params.ImageWidth} * params.ImageHeight > kMaxImagePixels) {
    return kUnusableSizeText;
  }
  return std::nullopt;
}

ChartResult PlotLightCurves(LightCurveSet& set, const ChartParams& params) {
  if (const auto reason = UnusableChartReason(params)) return NoChart(set, *reason);

  ChartContext context = DrawChartFrame(set, params);
  if (!context.Image) return NoChart(set, kNoImageText);
  DrawChannelCurves(set, params, context);
  return WriteChartFile(set, params, context);
}
