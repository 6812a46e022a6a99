#include "light_curve_reader.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <system_error>

#include "float_scan.h"

namespace {

using std::chrono::year_month_day;

struct FileCloser {
  void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Appends `value` in decimal with at least `width` digits, zero-padded.
void AppendPadded(std::string& out, unsigned value, std::size_t width) {
  char digits[16];
  const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
  (void)error;  // an unsigned always fits
  const std::size_t length = static_cast<std::size_t>(end - digits);
  if (length < width) out.append(width - length, '0');
  out.append(digits, length);
}

// Reads a light-curve text the way a text-mode line read of at most 179
// characters does, without copying: each read yields a view into the text.
class LineReader {
 public:
  explicit LineReader(std::string_view text) : text_(text) {}

  bool AtEnd() const { return at_end_; }
  std::string_view Line() const { return line_; }

  // Takes the next line, without its line end, or the next 179 characters of a
  // longer line. A read at the end of the text raises the end signal and keeps
  // the previous line, so the caller processes that line once more; a read that
  // runs into the end of the text after taking characters raises the signal too.
  void Read() {
    const std::size_t size = text_.size();
    if (pos_ >= size) {
      at_end_ = true;
      return;
    }
    const std::size_t start = pos_;
    const std::size_t limit = std::min(size, start + kMaxLinePiece);
    // The first line feed within the piece, or just after it where a CR LF
    // straddles the piece's end; a CR before it belongs to the line end.
    const std::size_t search_end = std::min(size, limit + 1);
    if (const void* found = std::memchr(text_.data() + start, '\n', search_end - start)) {
      const std::size_t feed = static_cast<std::size_t>(static_cast<const char*>(found) - text_.data());
      const bool after_cr = feed > start && text_[feed - 1] == '\r';
      if (feed < limit || after_cr) {
        line_ = text_.substr(start, feed - start - (after_cr ? 1 : 0));
        pos_ = feed + 1;
        return;
      }
    }
    line_ = text_.substr(start, limit - start);
    pos_ = limit;
    if (pos_ == size) {
      at_end_ = true;
      return;
    }
    // A full piece reads on only to see whether its line ends right here; that
    // line end belongs to the piece, so a line of exactly 179 characters is one line.
    if (const std::size_t end_length = LineEndLength(pos_)) {
      pos_ += end_length;
    } else if (text_[pos_] == '\r' && pos_ + 1 == size) {
      at_end_ = true;  // looking past the final CR for its LF met the end
    }
  }

 private:
  // Length of the line end at `i`: 1 for LF, 2 for CR LF, 0 for anything else
  // (a lone CR is an ordinary character).
  std::size_t LineEndLength(std::size_t i) const {
    if (text_[i] == '\n') return 1;
    if (text_[i] == '\r' && i + 1 < text_.size() && text_[i + 1] == '\n') return 2;
    return 0;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  std::string_view line_;  // empty before the first read
  bool at_end_ = false;
};

bool SkipLiteral(std::string_view text, std::size_t& pos, std::string_view literal) {
  if (text.substr(pos, literal.size()) != literal) return false;
  pos += literal.size();
  return true;
}

// "Time_UT,%fMHz,%fMHz,...": each frequency is stored as soon as it converts, so
// a line that breaks the pattern replaces only the frequencies before the break.
void ScanHeaderLine(std::string_view line, std::array<float, kChannelCount>& frequencies) {
  std::size_t pos = 0;
  if (!SkipLiteral(line, pos, "Time_UT,")) return;
  for (int k = 0; k < kChannelCount; ++k) {
    if (k > 0 && !SkipLiteral(line, pos, ",")) return;
    const std::optional<float> value = ScanFloat(line, pos);
    if (!value) return;
    frequencies[k] = *value;
    if (!SkipLiteral(line, pos, "MHz")) return;
  }
}

// "%f,%f,...,%f": blanks may precede a number, the comma follows it directly.
// Fields after the first mismatch keep the values they had.
void ScanDataLine(std::string_view line, SampleRow& values) {
  std::size_t pos = 0;
  for (int k = 0; k < kColumnCount; ++k) {
    if (k > 0) {
      if (pos >= line.size() || line[pos] != ',') return;
      ++pos;
    }
    const std::optional<float> value = ScanFloat(line, pos);
    if (!value) return;
    values[k] = *value;
  }
}

// Each loop turn of ParseLightCurves fills one row and reads at most two lines
// (a header line and the line skipped after it); each read takes at most 179
// characters and a CR LF, and looks at most two bytes past what it takes. So
// this many bytes from the start of a file hold everything the reader can reach,
// however large the file is or grows while it is read.
constexpr std::size_t kReadsPerRow = 2;
constexpr std::size_t kMaxBytesPerRead = kMaxLinePiece + 2;
constexpr std::size_t kLookAheadBytes = 2;
constexpr std::size_t kMaxFileBytes = kMaxRows * kReadsPerRow * kMaxBytesPerRead + kLookAheadBytes;
static_assert(kMaxFileBytes == 10000 * 2 * 181 + 2);

// Reads up to kMaxFileBytes of the file into one buffer kept for the life of the
// process (generation ticks run on one thread, one at a time), so reading the
// same file every tick allocates nothing after the first.
std::string_view ReadFileHead(std::FILE* file) {
  static const std::unique_ptr<char[]> buffer = std::make_unique_for_overwrite<char[]>(kMaxFileBytes);
  std::size_t length = 0;
  while (length < kMaxFileBytes) {
    const std::size_t got = std::fread(buffer.get() + length, 1, kMaxFileBytes - length, file);
    if (got == 0) break;
    length += got;
  }
  return {buffer.get(), length};
}

bool IsRegularFile(const std::string& name) {
  std::error_code error;
  return std::filesystem::is_regular_file(name, error);
}

}  // namespace

std::string LightCurveFileName(std::string_view light_curve_path, year_month_day date, bool sfu,
                               std::string_view title_comment) {
  std::string name;
  name.reserve(light_curve_path.size() + title_comment.size() + 24);
  name.append(light_curve_path);
  name.append("LC");
  AppendPadded(name, static_cast<unsigned>(static_cast<int>(date.year())), 4);
  AppendPadded(name, static_cast<unsigned>(date.month()), 2);
  AppendPadded(name, static_cast<unsigned>(date.day()), 2);
  name.append(sfu ? "_SFU_" : "_ADU_");
  name.append(title_comment);
  name.append(".txt");
  return name;
}

std::string ReadLightCurves(LightCurveSet& set, LightCurveReaderState& state,
                            const LightCurveSource& source, const LocalDateSource& today, bool* unreadable) {
  using std::chrono::days;
  using std::chrono::sys_days;

  year_month_day date{sys_days{today()} - days{source.DayOffset}};
  const auto day = static_cast<std::int32_t>(static_cast<unsigned>(date.day()));
  if (source.FirstCycle) state.LastDay = day;
  if (day != state.LastDay) {
    // The first call of a new day shows the day just finished, whatever the
    // offset, so that its chart is written once more under its date.
    state.LastDay = day;
    date = year_month_day{sys_days{today()} - days{1}};
    set.DayChanged = true;
  }
  return LoadLightCurves(set, date, source.LightCurvePath, source.TitleComment, unreadable);
}

std::string LoadLightCurves(LightCurveSet& set, year_month_day date, std::string_view light_curve_path,
                            std::string_view title_comment, bool* unreadable) {
  set.Year = static_cast<std::uint16_t>(static_cast<int>(date.year()));
  set.Month = static_cast<std::uint16_t>(static_cast<unsigned>(date.month()));
  set.Day = static_cast<std::uint16_t>(static_cast<unsigned>(date.day()));
  set.ChannelMinima.fill(kNoMinimum);

  // Only a regular file within the name length counts: a directory reads as
  // nothing and a FIFO would hold up the tick until something writes into it.
  auto is_readable = [](const std::string& name) { return name.size() <= kMaxFileNameLength && IsRegularFile(name); };
  std::string name = LightCurveFileName(light_curve_path, date, true, title_comment);
  bool readable = is_readable(name);
  set.IsSfu = readable;
  set.UnitLabel = readable ? kSfuUnitLabel : kDbUnitLabel;
  if (!readable) {
    name = LightCurveFileName(light_curve_path, date, false, title_comment);
    readable = is_readable(name);
  }

  // An empty set, rather than the previous file's rows, is what a missing file
  // shows: those rows belong to another day and would be drawn under this date.
  File file(readable ? std::fopen(name.c_str(), "rb") : nullptr);
  const std::string_view text = file ? ReadFileHead(file.get()) : std::string_view();
  const bool read_failed = readable && (!file || std::ferror(file.get()));
  if (unreadable) *unreadable = read_failed;
  if (!file || read_failed) {
    set.RowCount = 0;
    return name;
  }
  ParseLightCurves(set, text);
  return name;
}

void ParseLightCurves(LightCurveSet& set, std::string_view file_text) {
  LineReader reader(file_text);
  SampleRow values{};  // a data line's missing fields repeat the previous line's
  set.RowCount = 0;
  while (!reader.AtEnd() && set.RowCount < kMaxRows) {
    reader.Read();
    // The line is handled as a C string would be: a NUL byte ends it.
    std::string_view line = reader.Line();
    line = line.substr(0, line.find('\0'));
    if (line.find("Time_UT,") != std::string_view::npos) {
      ScanHeaderLine(line, set.Frequencies);
      reader.Read();  // the units line after a header carries no samples
    } else {
      ScanDataLine(line, values);
      set.Samples[set.RowCount] = values;
      for (int k = 0; k < kChannelCount; ++k) {
        if (values[k + 1] < set.ChannelMinima[k]) set.ChannelMinima[k] = values[k + 1];
      }
    }
    // The row whose turn fell on a header line stays unwritten.
    ++set.RowCount;
  }
}
