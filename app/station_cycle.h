#pragma once

#include <optional>
#include <string_view>

#include "generation_cycle.h"
#include "parameter_fields.h"

inline constexpr std::string_view kGenerateStatus = "Generate lightcurves Quorvix";
inline constexpr std::string_view kWaitStatus = "Wait....";

// What one tick of the cycle timer did.
struct TickResult {
  enum class Kind { kGeneration, kWait, kNone };
  Kind kind = Kind::kNone;
  std::optional<GenerationResult> generation;  // for a generation tick

  // The status text of the tick, empty for kNone.
  std::string_view Status() const;
};

// The unattended cycle of a station: the settings, the generation step and the
// tick counter that makes ticks alternate generation, wait, generation, ...
// The window and the headless loop drive it, one tick per timer interval.
class StationCycle {
 public:
  explicit StationCycle(LocalDateSource today = LocalToday) : generation_(Fields, std::move(today)) {}

  // One timer tick: a generation tick reads the light curves and writes the
  // chart; the wait tick after it clears FirstCycle.
  TickResult Timer2Timer();

  const LightCurveSet& Set() const { return generation_.Set(); }

  ParameterFields Fields;  // filled by the configuration readers at start-up

 private:
  GenerationCycle generation_;
  std::int32_t TickCount = 0;
};
