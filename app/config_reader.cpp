#include "config_reader.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>

#include "float_scan.h"

namespace {

// More of a configuration file than anybody writes by hand: the rest is not read.
constexpr std::size_t kMaxConfigFileBytes = 1 << 20;

std::size_t SkipScanSpace(std::string_view text, std::size_t pos) {
  while (pos < text.size() && IsScanSpace(text[pos])) ++pos;
  return pos;
}

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

// Sign and magnitude of one scanned number; the magnitude saturates instead of
// wrapping, so an overlong number can never come out as a small one.
struct ScannedNumber {
  bool negative = false;
  unsigned long long magnitude = 0;
  std::size_t end = 0;
};

// `base` 0 picks hexadecimal after "0x", octal after a leading "0", else decimal.
std::optional<ScannedNumber> ScanNumber(std::string_view text, std::size_t pos, int base) {
  ScannedNumber number;
  pos = SkipScanSpace(text, pos);
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    number.negative = text[pos] == '-';
    ++pos;
  }
  bool has_digit = false;
  if (base == 0) {
    base = 10;
    if (pos < text.size() && text[pos] == '0') {
      has_digit = true;
      ++pos;
      base = 8;
      // "0x" without a hex digit behind it is still the number 0, with the "x"
      // taken, as the C library's formatted input does it.
      if (pos < text.size() && (text[pos] == 'x' || text[pos] == 'X')) {
        base = 16;
        ++pos;
      }
    }
  }
  constexpr unsigned long long kMax = std::numeric_limits<unsigned long long>::max();
  while (pos < text.size() && DigitValue(text[pos]) < base) {
    const auto digit = static_cast<unsigned long long>(DigitValue(text[pos]));
    const auto radix = static_cast<unsigned long long>(base);
    number.magnitude = number.magnitude > (kMax - digit) / radix ? kMax : number.magnitude * radix + digit;
    has_digit = true;
    ++pos;
  }
  if (!has_digit) return std::nullopt;
  number.end = pos;
  return number;
}

std::optional<std::int32_t> ToInt32(long long value) {
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

std::string LowerCase(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lowered;
}

// Only a regular file is read, and only as far as the line rules can reach:
// a device or FIFO named as a configuration file would never end or never
// come, and reading stops at the first overlong line anyway. A file that
// cannot be read reads as empty, like a missing one.
std::string ReadWholeFile(const std::string& path) {
  if (path.empty()) return {};
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return {};
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  std::string text(kMaxConfigFileBytes, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<std::size_t>(in.gcount()));
  return text;
}

// A value too long for its field is refused whole: a cut path would name some
// other file, and the field must never spill over.
void StoreWord(std::string_view value, std::size_t max_length, std::string& field) {
  const std::optional<std::string> word = ScanWord(value);
  if (word && word->size() <= max_length) field = *word;
}

bool StoreInt32(std::string_view text, std::size_t& pos, std::int32_t& field) {
  const std::optional<long long> value = ScanInteger(text, pos);
  const std::optional<std::int32_t> fitting = value ? ToInt32(*value) : std::nullopt;
  if (fitting) field = *fitting;
  return fitting.has_value();
}

void StoreInt32(std::string_view value, std::int32_t& field) {
  std::size_t pos = 0;
  StoreInt32(value, pos, field);
}

void StoreDayOffset(std::string_view value, std::uint16_t& field) {
  std::size_t pos = 0;
  const std::optional<unsigned long long> days = ScanUnsigned(value, pos);
  if (days && *days <= std::numeric_limits<std::uint16_t>::max()) field = static_cast<std::uint16_t>(*days);
}

// A value that does not fit stops the sequence like one that cannot be
// converted, so the three numbers never mix an old and a later new value.
void StoreYScale(std::string_view value, ParameterFields& fields) {
  std::size_t pos = 0;
  if (!StoreInt32(value, pos, fields.YScaleMin)) return;
  if (pos >= value.size() || value[pos] != ',') return;
  ++pos;
  if (!StoreInt32(value, pos, fields.YScaleMax)) return;
  if (pos >= value.size() || value[pos] != ',') return;
  ++pos;
  StoreInt32(value, pos, fields.YScaleSteps);
}

// One recognised setting: the exact key text at the head of its line, and the
// conversion of the text after it into the fields.
struct ConfigKey {
  std::string_view text;
  void (*convert)(std::string_view value, ParameterFields& fields);
};

constexpr std::array<ConfigKey, 8> kParameterKeys{{
    {"[configfile]=", [](std::string_view v, ParameterFields& f) { StoreWord(v, kMaxConfigFilePathLength, f.ConfigFilePath); }},
    {"[imagedir]=", [](std::string_view v, ParameterFields& f) { StoreWord(v, kMaxDirectoryLength, f.ImageDir); }},
    {"[timer]=", [](std::string_view v, ParameterFields& f) { StoreInt32(v, f.TimerSeconds); }},
    {"[dayoffset]=", [](std::string_view v, ParameterFields& f) { StoreDayOffset(v, f.DayOffset); }},
    {"[yscale]=", [](std::string_view v, ParameterFields& f) { StoreYScale(v, f); }},
    {"[width]=", [](std::string_view v, ParameterFields& f) { StoreInt32(v, f.ImageWidth); }},
    {"[height]=", [](std::string_view v, ParameterFields& f) { StoreInt32(v, f.ImageHeight); }},
    {"[adcdivider]=", [](std::string_view v, ParameterFields& f) { StoreInt32(v, f.AdcDivider); }},
}};

constexpr std::array<ConfigKey, 2> kInstrumentKeys{{
    {"[titlecomment]=", [](std::string_view v, ParameterFields& f) { StoreWord(v, kMaxTitleCommentLength, f.TitleComment); }},
    {"[lcpath]=", [](std::string_view v, ParameterFields& f) { StoreWord(v, kMaxDirectoryLength, f.LightCurvePath); }},
}};

// The key is looked for in a lower-cased copy, but only a line that begins with
// it exactly, in lower case, is converted: "[Timer]=" and " [timer]=" are found
// and still change nothing.
template <std::size_t N>
void ApplyConfigText(std::string_view text, const std::array<ConfigKey, N>& keys, ParameterFields& fields) {
  ForEachConfigLine(text, [&](std::string_view line) {
    const std::string lowered = LowerCase(line);
    if (line.empty() || line.front() != '[') return;
    for (const ConfigKey& key : keys) {
      if (lowered.find(key.text) == std::string::npos) continue;
      if (!line.starts_with(key.text)) continue;
      key.convert(line.substr(key.text.size()), fields);
    }
  });
}

}  // namespace

bool FileExists(const std::string& path) {
  if (path.empty()) return false;
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  return !error && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

bool DirectoryExists(const std::string& path) {
  if (path.empty()) return false;
  std::error_code error;
  return std::filesystem::is_directory(path, error);
}

void ForEachConfigLine(std::string_view file_text, const std::function<void(std::string_view)>& handle) {
  std::size_t pos = 0;
  while (pos < file_text.size()) {
    const std::size_t rest = file_text.size() - pos;
    const std::size_t limit = std::min(rest, kMaxConfigLine);
    const std::size_t feed = file_text.substr(pos, limit).find('\n');
    std::string_view line = file_text.substr(pos, feed == std::string_view::npos ? limit : feed);
    line = line.substr(0, line.find('\0'));
    if (feed != std::string_view::npos) {
      pos += feed + 1;
    } else if (limit == rest) {
      pos = file_text.size();
    } else if (file_text[pos + limit] == '\n') {
      // A full buffer followed by its line feed is an ordinary line.
      pos += limit + 1;
    } else {
      // A line that overflows the buffer is handled in part and ends the reading.
      handle(line);
      return;
    }
    handle(line);
  }
}

std::optional<std::string> ScanWord(std::string_view text) {
  const std::size_t begin = SkipScanSpace(text, 0);
  std::size_t end = begin;
  while (end < text.size() && !IsScanSpace(text[end])) ++end;
  if (end == begin) return std::nullopt;
  return std::string(text.substr(begin, end - begin));
}

std::optional<long long> ScanInteger(std::string_view text, std::size_t& pos) {
  const std::optional<ScannedNumber> number = ScanNumber(text, pos, 0);
  if (!number) return std::nullopt;
  pos = number->end;
  constexpr auto kLimit = static_cast<unsigned long long>(LLONG_MAX);
  if (number->negative) return number->magnitude > kLimit ? LLONG_MIN : -static_cast<long long>(number->magnitude);
  return number->magnitude > kLimit ? LLONG_MAX : static_cast<long long>(number->magnitude);
}

// A negative count has no unsigned value; the C library would wrap it into a
// huge one, which could come out small again, so it converts to nothing.
std::optional<unsigned long long> ScanUnsigned(std::string_view text, std::size_t& pos) {
  const std::optional<ScannedNumber> number = ScanNumber(text, pos, 10);
  if (!number || (number->negative && number->magnitude != 0)) return std::nullopt;
  pos = number->end;
  return number->magnitude;
}

std::optional<int> IntervalMsFromSeconds(std::int32_t seconds) {
  const std::int64_t interval_ms = std::int64_t{seconds} * 1000;
  if (interval_ms < 0 || interval_ms > INT32_MAX) return std::nullopt;
  return static_cast<int>(interval_ms);
}

void ApplyParameterText(ParameterFields& fields, std::string_view text) {
  ApplyConfigText(text, kParameterKeys, fields);
}

void ApplyInstrumentText(ParameterFields& fields, std::string_view text) {
  ApplyConfigText(text, kInstrumentKeys, fields);
}

void ReadParameterSettings(ParameterFields& fields, const std::string& parameter_file) {
  ApplyParameterText(fields, ReadWholeFile(parameter_file));
}

void ReadInstrumentSettings(ParameterFields& fields) {
  ApplyInstrumentText(fields, ReadWholeFile(fields.ConfigFilePath));
}

void ReadConfig(ParameterFields& fields, CycleTimer& timer, MessageSink& messages,
                const std::string& parameter_file) {
  timer.SetTimerEnabled(false);
  ReadParameterSettings(fields, parameter_file);
  if (!FileExists(fields.ConfigFilePath)) {
    fields.ConfigFilePath.clear();
    messages.ShowMessage(kPathMessage, kConfigFileCaption);
  }
  if (!DirectoryExists(fields.ImageDir)) {
    fields.ImageDir.clear();
    messages.ShowMessage(kPathMessage, kImageDirCaption);
  }
  if (fields.TimerSeconds != 0) {
    // A negative or overflowing period keeps the start interval rather than
    // arming the timer with a wrapped-around one.
    if (const std::optional<int> interval_ms = IntervalMsFromSeconds(fields.TimerSeconds)) {
      timer.SetTimerInterval(*interval_ms);
    }
  }
  timer.SetTimerEnabled(true);
}

std::string ReadConfigQuorvix(ParameterFields& fields, MessageSink& messages) {
  ReadInstrumentSettings(fields);
  if (!DirectoryExists(fields.LightCurvePath)) {
    fields.LightCurvePath.clear();
    messages.ShowMessage(kPathMessage, kLightCurvePathCaption);
  }
  return std::string(kCaptionPrefix) + fields.TitleComment;
}

std::string StartStation(ParameterFields& fields, CycleTimer& timer, MessageSink& messages) {
  ReadConfig(fields, timer, messages);
  std::string caption = ReadConfigQuorvix(fields, messages);
  fields.FirstCycle = true;
  return caption;
}
