// The instrument file's reader on arbitrary text as the instrument's
// configuration file ([titlecomment] and [lcpath]).
#include <cstddef>
#include <cstdint>
#include <string>

#include "config_reader.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = AsText(data, size);

  // Start from settings already read, as at start-up, to see that only the
  // instrument's two fields change.
  ParameterFields before;
  before.ImageDir = "/srv/charts/";
  before.ConfigFilePath = "/home/station/quorvix.cfg";
  before.TimerSeconds = 30;
  before.ImageWidth = 640;
  before.ImageHeight = 400;
  before.YScaleMax = 200;
  before.YScaleSteps = 10;
  before.AdcDivider = 4;

  ParameterFields fields = before;
  ApplyInstrumentText(fields, text);
  RequireStoredWord(fields.TitleComment, kMaxTitleCommentLength);
  RequireStoredWord(fields.LightCurvePath, kMaxDirectoryLength);
  ParameterFields others = fields;
  others.TitleComment.clear();
  others.LightCurvePath.clear();
  FUZZ_REQUIRE(SameFields(others, before));

  ParameterFields again = fields;
  ApplyInstrumentText(again, text);
  FUZZ_REQUIRE(SameFields(again, fields));

  if (text.find('\r') == std::string_view::npos && HasNoLineOfLength(text, kMaxConfigLine)) {
    ParameterFields crlf = before;
    ApplyInstrumentText(crlf, WithCrLf(text));
    FUZZ_REQUIRE(SameFields(crlf, fields));
  }
  return 0;
}
