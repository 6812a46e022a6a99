#include "station_cycle.h"

std::string_view TickResult::Status() const {
  switch (kind) {
    case Kind::kGeneration:
      return kGenerateStatus;
    case Kind::kWait:
      return kWaitStatus;
    case Kind::kNone:
      break;
  }
  return {};
}

TickResult StationCycle::Timer2Timer() {
  TickResult result;
  switch (TickCount++) {
    case 0:
      result.kind = TickResult::Kind::kGeneration;
      result.generation = generation_.Generate();
      break;
    case 1:
      result.kind = TickResult::Kind::kWait;
      Fields.FirstCycle = false;
      TickCount = 0;
      break;
    default:
      break;
  }
  return result;
}
