#include "chart_file.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "light_curve_reader.h"
#include "text_format.h"

namespace {

struct GdFreeDeleter {
  void operator()(void* buffer) const noexcept { gdFree(buffer); }
};

// The process umask, read once: reading it means setting it for a moment.
mode_t ProcessUmask() {
  static const mode_t mask = [] {
    const mode_t current = umask(0);
    umask(current);
    return current;
  }();
  return mask;
}

bool WriteAll(int fd, const std::vector<unsigned char>& bytes) {
  const unsigned char* data = bytes.data();
  std::size_t remaining = bytes.size();
  while (remaining > 0) {
    const ssize_t written = write(fd, data, remaining);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    remaining -= static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace

std::string ChartFileName(std::string_view image_dir, std::string_view title_comment,
                          const LightCurveSet* dated_by) {
  std::string name(image_dir);
  name += "Lightcurves";
  name += title_comment;
  if (dated_by != nullptr) {
    name += '_';
    name += FormatZeroPadded(dated_by->Year, 4);
    name += FormatZeroPadded(dated_by->Month, 2);
    name += FormatZeroPadded(dated_by->Day, 2);
  }
  name += ".png";
  return name;
}

std::vector<unsigned char> EncodePng(gdImagePtr image) {
  int size = 0;
  const std::unique_ptr<void, GdFreeDeleter> png(gdImagePngPtr(image, &size));
  if (!png || size <= 0) return {};
  const auto* bytes = static_cast<const unsigned char*>(png.get());
  return {bytes, bytes + size};
}

bool ReplaceFileAtomically(const std::string& path, const std::vector<unsigned char>& bytes) {
  if (path.empty() || path.find('\0') != std::string::npos) return false;
  // The directory is a plain prefix of the name, so the temporary file goes
  // into whatever directory the last "/" ends (the working one without any),
  // where rename can replace the target in one step.
  const std::size_t base_start = path.find_last_of('/') + 1;  // 0 when there is no "/"
  std::string temp_name = path.substr(0, base_start) + "." + path.substr(base_start) + ".XXXXXX";
  const int fd = mkstemp(temp_name.data());
  if (fd < 0) return false;

  // mkstemp creates the file for its owner only; the web server has to read the chart.
  bool ok = fchmod(fd, 0666 & ~ProcessUmask()) == 0;
  ok = ok && WriteAll(fd, bytes);
  ok = (close(fd) == 0) && ok;
  ok = ok && std::rename(temp_name.c_str(), path.c_str()) == 0;
  if (!ok) unlink(temp_name.c_str());
  return ok;
}

ChartResult WriteChartFile(LightCurveSet& set, const ChartParams& params, ChartContext& context) {
  // A dated chart is tried once only, whether or not its file can be written.
  const std::string name = ChartFileName(params.ImageDir, params.TitleComment, set.DayChanged ? &set : nullptr);
  set.DayChanged = false;

  bool written = false;
  if (context.Image && name.size() <= kMaxFileNameLength) {
    const std::vector<unsigned char> png = EncodePng(context.Image.get());
    written = !png.empty() && ReplaceFileAtomically(name, png);
  }
  context.Image.reset();

  if (written) return {ChartOutcome::kWritten, name};
  std::string label = name;
  label += kNotWrittenNote;
  return {ChartOutcome::kNotWritten, std::move(label)};
}
