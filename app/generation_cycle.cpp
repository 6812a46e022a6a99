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
  bool unreadable = false;
  std::string input_label = ReadLightCurves(*set_, reader_state_, source, today_, &unreadable);
  return Plot(std::move(input_label), unreadable);
}

GenerationResult GenerationCycle::GenerateForDate(std::chrono::year_month_day date) {
  set_->DayChanged = true;
  bool unreadable = false;
  std::string input_label = LoadLightCurves(*set_, date, fields_.LightCurvePath, fields_.TitleComment, &unreadable);
  return Plot(std::move(input_label), unreadable);
}

GenerationResult GenerationCycle::Plot(std::string input_label, bool unreadable) {
  if (unreadable) {
    // The day's file is there, so an empty chart would be a false one: the
    // previous chart stays. The day change is used up as for any chart not drawn.
    set_->DayChanged = false;
    return {input_label + std::string(kNotReadNote), {ChartOutcome::kNoChart, std::string(kUnreadableInputText)}};
  }
  return {std::move(input_label), PlotLightCurves(*set_, ChartParamsOf(fields_))};
}
