#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "command_line.h"

namespace {

// The window lives in a program of its own beside this one (in the build) or
// in libexec (installed), so that everything else starts without the toolkit.
int ExecWindow(char* argv[]) {
  std::string self(4096, '\0');
  const ssize_t length = readlink("/proc/self/exe", self.data(), self.size() - 1);
  self.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
  const std::string dir = self.substr(0, self.find_last_of('/') + 1);
  for (const std::string& candidate : {dir + "wwwplot-window", dir + "../" WWWPLOT_LIBEXEC_DIR "/wwwplot-window"}) {
    if (access(candidate.c_str(), X_OK) == 0) {
      execv(candidate.c_str(), argv);
      std::cerr << "wwwplot: cannot start the window program " << candidate << ": " << std::strerror(errno) << '\n';
      return 2;
    }
  }
  std::cerr << "wwwplot: the window program is not installed; run 'wwwplot --headless' instead\n";
  return 2;
}

}  // namespace

int main(int argc, char* argv[]) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  const Command command = ParseCommandLine(args);
  if (command.mode == CommandMode::kWindow) return ExecWindow(argv);
  return RunCommandLine(command, std::cout, std::cerr);
}
