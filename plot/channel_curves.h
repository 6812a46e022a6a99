#pragma once

#include "chart_frame.h"
#include "light_curve_set.h"

// Draws the ten channel curves as single pixels, each followed by its frequency
// legend, on the context's image. Raw counts are turned into dB with AdcDivider.
void DrawChannelCurves(const LightCurveSet& set, const ChartParams& params, ChartContext& context);

// The level of a sample as the chart draws it: the sample itself for an SFU set,
// else dB above the channel's minimum. `channel` counts from 0.
float ChannelLevel(const LightCurveSet& set, int channel, float sample, std::int32_t adc_divider);
