#pragma once

// What the fuzz targets share: the invariant check, a scratch directory, and
// the helpers of the configuration-file targets.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include <stdlib.h>

#include "float_scan.h"
#include "parameter_fields.h"

// Reports a broken invariant and aborts, which libFuzzer records as a crash
// together with the input that led to it.
#define FUZZ_REQUIRE(condition)                                                                   \
  do {                                                                                            \
    if (!(condition)) {                                                                           \
      std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition);      \
      std::abort();                                                                               \
    }                                                                                             \
  } while (0)

// A fresh directory under the system's temporary directory for the life of
// the process, removed with everything in it at exit. Path() ends with "/".
class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "wwwplot-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
      std::perror("mkdtemp");
      std::abort();
    }
    path_ = pattern + "/";
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// A stored text setting is one scanned word that fits its field: no white
// space, no NUL (a line ends at one), nothing longer than the field holds.
inline void RequireStoredWord(const std::string& word, std::size_t max_length) {
  FUZZ_REQUIRE(word.size() <= max_length);
  for (const char c : word) FUZZ_REQUIRE(c != '\0' && !IsScanSpace(c));
}

inline bool SameFields(const ParameterFields& a, const ParameterFields& b) {
  return a.ImageDir == b.ImageDir && a.LightCurvePath == b.LightCurvePath && a.TimerSeconds == b.TimerSeconds &&
         a.TitleComment == b.TitleComment && a.AdcDivider == b.AdcDivider && a.ImageWidth == b.ImageWidth &&
         a.ImageHeight == b.ImageHeight && a.YScaleMin == b.YScaleMin && a.YScaleMax == b.YScaleMax &&
         a.YScaleSteps == b.YScaleSteps && a.DayOffset == b.DayOffset && a.FirstCycle == b.FirstCycle &&
         a.ConfigFilePath == b.ConfigFilePath;
}

// The text with every LF turned into CR LF.
inline std::string WithCrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (const char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

// True when no line of the text, up to the first one that overflows the
// configuration line buffer, is exactly as long as that buffer: only such a
// line reads differently once a CR is put before its LF (the CR no longer fits).
inline bool HasNoLineOfLength(std::string_view text, std::size_t length) {
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    if (end - start == length) return false;
    if (end - start > length) return true;  // the reading ends in this line
    start = end + 1;
  }
  return true;
}
