// The parameter file's reader on arbitrary text as wwwpar.cfg, and the station
// check (wwwplot --check) that reports what it resolved.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

#include "config_reader.h"
#include "fuzz_support.h"
#include "station_check.h"

namespace {

// The text without its [configfile] and [imagedir] lines, so that the station
// check never looks at a path that the fuzzer made up (a path such as
// /dev/stdin would be read at start-up). Only a line that begins with a key can
// set it, and every line the reader takes begins after a line feed.
std::string WithoutPaths(std::string_view text) {
  std::string kept;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    end = end == std::string_view::npos ? text.size() : end + 1;
    const std::string_view line = text.substr(start, end - start);
    if (!line.starts_with("[configfile]=") && !line.starts_with("[imagedir]=")) kept += line;
    start = end;
  }
  return kept;
}

// Runs the station check in a scratch station folder made once per process.
// The check reads wwwpar.cfg from the working directory, which is changed for
// the call only.
std::string CheckStationText(std::string_view parameter_text) {
  static const ScratchDir station;
  std::ofstream(station.Path() + std::string(kParameterFileName), std::ios::binary | std::ios::trunc)
      .write(parameter_text.data(), static_cast<std::streamsize>(parameter_text.size()));
  const int previous = open(".", O_RDONLY | O_DIRECTORY);
  FUZZ_REQUIRE(previous >= 0 && chdir(station.Path().c_str()) == 0);
  std::ostringstream out;
  const int status = CheckStation(out, [] {
    return std::chrono::year_month_day{std::chrono::year{2024}, std::chrono::month{3}, std::chrono::day{7}};
  });
  FUZZ_REQUIRE(fchdir(previous) == 0);
  close(previous);
  FUZZ_REQUIRE(status == 0 || status == 1);
  return out.str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = AsText(data, size);

  // The lines handed on are pieces of the text in order, each within the line
  // buffer and without its line feed or anything from a NUL on.
  std::size_t searched_from = 0;
  ForEachConfigLine(text, [&](std::string_view line) {
    FUZZ_REQUIRE(line.size() <= kMaxConfigLine);
    FUZZ_REQUIRE(line.find('\n') == std::string_view::npos && line.find('\0') == std::string_view::npos);
    const std::size_t at = text.find(line, searched_from);
    FUZZ_REQUIRE(at != std::string_view::npos);
    searched_from = at + line.size();
  });

  ParameterFields fields;
  ApplyParameterText(fields, text);
  RequireStoredWord(fields.ConfigFilePath, kMaxConfigFilePathLength);
  RequireStoredWord(fields.ImageDir, kMaxDirectoryLength);
  // The instrument file's settings are not read from here.
  FUZZ_REQUIRE(fields.TitleComment.empty() && fields.LightCurvePath.empty() && !fields.FirstCycle);

  // Every setting takes the value of its last line that converts, so reading
  // the same text over the result changes nothing.
  ParameterFields again = fields;
  ApplyParameterText(again, text);
  FUZZ_REQUIRE(SameFields(again, fields));

  // A CR before each LF is white space to the conversions and changes nothing,
  // as long as it still fits the line buffer.
  if (text.find('\r') == std::string_view::npos && HasNoLineOfLength(text, kMaxConfigLine)) {
    ParameterFields crlf;
    ApplyParameterText(crlf, WithCrLf(text));
    FUZZ_REQUIRE(SameFields(crlf, fields));
  }

  // Without either path the check always finds problems, and says how many.
  const std::string report = CheckStationText(WithoutPaths(text));
  FUZZ_REQUIRE(report.ends_with(" problem.\n") || report.ends_with(" problems.\n"));
  return 0;
}
