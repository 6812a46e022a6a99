#pragma once

#include <string>
#include <string_view>

#include "chart_frame.h"
#include "parameter_fields.h"

// The settings of the worked examples: a 640 x 400 chart, [yscale]=0,100,5 and
// [adcdivider]=4, so that 50 SFU at 12.0 h lands on pixel (330, 193).
ChartParams ExampleChartParams(std::string_view image_dir, std::string_view title_comment);

// The same settings as the station's fields, with FirstCycle set as after start-up.
ParameterFields ExampleFields(std::string image_dir, std::string light_curve_path, std::string title_comment);
