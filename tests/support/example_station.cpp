#include "example_station.h"

#include <utility>

ChartParams ExampleChartParams(std::string_view image_dir, std::string_view title_comment) {
  ChartParams params;
  params.ImageDir = image_dir;
  params.TitleComment = title_comment;
  params.AdcDivider = 4;
  params.ImageWidth = 640;
  params.ImageHeight = 400;
  params.YScaleMin = 0;
  params.YScaleMax = 100;
  params.YScaleSteps = 5;
  return params;
}

ParameterFields ExampleFields(std::string image_dir, std::string light_curve_path, std::string title_comment) {
  ParameterFields fields;
  fields.ImageDir = std::move(image_dir);
  fields.LightCurvePath = std::move(light_curve_path);
  fields.TitleComment = std::move(title_comment);
  fields.AdcDivider = 4;
  fields.ImageWidth = 640;
  fields.ImageHeight = 400;
  fields.YScaleMin = 0;
  fields.YScaleMax = 100;
  fields.YScaleSteps = 5;
  fields.FirstCycle = true;
  return fields;
}
