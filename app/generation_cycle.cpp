#include "generation_cycle.h"

#include <ctime>
#include <utility>

#include "plot_light_curves.h"

std::chrono::year_month_day LocalToday() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return std::chrono::year{local.tm_year + 1900} / std::chrono::month{static_cast<unsigned>(local.tm_mon + 1)} /
         std::chrono::day{static_cast<unsigned>(local.tm_mday)};
}

ChartParams ChartParamsOf(const ParameterFields& fields) {
  ChartParams params;
  params.ImageDir = fields.ImageDir;
  params.TitleComment = fields.TitleComment;
  params.AdcDivider = fields.AdcDivider;
  params.ImageWidth = fields.ImageWidth;
  params.ImageHeight = fields.ImageHeight;
  params.YScaleMin = fields.YScaleMin;
  params.YScaleMax = fields.YScaleMax;
  params.YScaleSteps = fields.YScaleSteps;
  return params;
}

GenerationCycle::GenerationCycle(const ParameterFields& fields, LocalDateSource today)
    : fields_(fields), today_(std::move(today)), set_(std::make_unique<LightCurveSet>()) {}

GenerationResult GenerationCycle::Generate() {
  LightCurveSource source;
  source.LightCurvePath = fields_.LightCurvePath;
  source.TitleComment = fields_.TitleComment;
  source.DayOffset = fields_.DayOffset;
  source.FirstCycle = fields_.FirstCycle;
  return Plot(ReadLightCurves(*set_, reader_state_, source, today_));
}

GenerationResult GenerationCycle::GenerateForDate(std::chrono::year_month_day date) {
  set_->DayChanged = true;
  return Plot(LoadLightCurves(*set_, date, fields_.LightCurvePath, fields_.TitleComment));
}

GenerationResult GenerationCycle::Plot(std::string input_label) {
  return {std::move(input_label), PlotLightCurves(*set_, ChartParamsOf(fields_))};
}
