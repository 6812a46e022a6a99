// Times whole processes: runs two commands alternately, each in its own
// directory with its output discarded, and prints for each the median, least
// and greatest wall time and the peak resident memory, then the ratios.
//
//   process_bench [--runs N] [--warmup N] LABEL DIR PROGRAM [ARGS...] ::: LABEL DIR PROGRAM [ARGS...]
//
// CPU time is the child's user and system time; peak memory its ru_maxrss, both
// from wait4. A child starts as a copy of
// this program, so that figure is never below this program's own peak, which is
// printed as the floor.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct Command {
  std::string label;
  std::string dir;
  std::vector<char*> argv;  // null-terminated
  std::vector<double> seconds;      // wall time
  std::vector<double> cpu_seconds;  // user and system time of the child
  std::vector<long> max_rss_kib;
};

[[noreturn]] void Usage() {
  std::fputs("usage: process_bench [--runs N] [--warmup N] LABEL DIR PROGRAM [ARGS...] ::: LABEL DIR PROGRAM [ARGS...]\n",
             stderr);
  std::exit(2);
}

// One run: the wall time from spawning to reaping, and the child's peak memory.
bool RunOnce(Command& command, bool record) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, command.dir.c_str());
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int error = posix_spawnp(&pid, command.argv[0], &actions, nullptr, command.argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) {
    std::fprintf(stderr, "process_bench: cannot start %s: %s\n", command.argv[0], std::strerror(error));
    return false;
  }
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) return false;
  const auto stop = std::chrono::steady_clock::now();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "process_bench: '%s' in %s failed (status %d); run it by hand to see why\n",
                 command.label.c_str(), command.dir.c_str(), status);
    return false;
  }
  if (record) {
    command.seconds.push_back(std::chrono::duration<double>(stop - start).count());
    command.cpu_seconds.push_back(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                                  (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6);
    command.max_rss_kib.push_back(usage.ru_maxrss);
  }
  return true;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char* argv[]) {
  int runs = 30;
  int warmup = 3;
  int i = 1;
  for (; i + 1 < argc && std::strncmp(argv[i], "--", 2) == 0; i += 2) {
    if (std::strcmp(argv[i], "--runs") == 0) {
      runs = std::atoi(argv[i + 1]);
    } else if (std::strcmp(argv[i], "--warmup") == 0) {
      warmup = std::atoi(argv[i + 1]);
    } else {
      Usage();
    }
  }
  if (runs < 1 || warmup < 0) Usage();

  std::vector<Command> commands(1);
  for (; i < argc; ++i) {
    if (std::strcmp(argv[i], ":::") == 0) {
      commands.emplace_back();
      continue;
    }
    Command& command = commands.back();
    if (command.label.empty()) {
      command.label = argv[i];
    } else if (command.dir.empty()) {
      command.dir = argv[i];
    } else {
      command.argv.push_back(argv[i]);
    }
  }
  if (commands.size() != 2) Usage();
  for (Command& command : commands) {
    if (command.argv.empty()) Usage();
    command.argv.push_back(nullptr);
  }

  // Alternating, so that a slow spell of the machine falls on both alike.
  for (int run = 0; run < warmup + runs; ++run) {
    for (Command& command : commands) {
      if (!RunOnce(command, run >= warmup)) return 1;
    }
  }

  rusage self{};
  getrusage(RUSAGE_SELF, &self);
  std::printf("%-26s %4s %10s %8s %8s %11s %13s\n", "command", "runs", "median ms", "min ms", "max ms",
              "median CPU ms", "peak RSS MiB");
  std::vector<double> medians;
  std::vector<double> cpu_medians;
  std::vector<double> peaks;
  for (const Command& command : commands) {
    const auto [least, most] = std::minmax_element(command.seconds.begin(), command.seconds.end());
    medians.push_back(Median(command.seconds));
    cpu_medians.push_back(Median(command.cpu_seconds));
    peaks.push_back(*std::max_element(command.max_rss_kib.begin(), command.max_rss_kib.end()) / 1024.0);
    std::printf("%-26s %4d %10.2f %8.2f %8.2f %13.2f %13.1f\n", command.label.c_str(), runs, medians.back() * 1e3,
                *least * 1e3, *most * 1e3, cpu_medians.back() * 1e3, peaks.back());
  }
  std::printf("median wall time: %s / %s = %.1f (CPU time: %.1f)\n", commands[1].label.c_str(),
              commands[0].label.c_str(), medians[1] / medians[0], cpu_medians[1] / cpu_medians[0]);
  std::printf("peak memory: %s / %s = %.1f (no child can show less than %.1f MiB, the peak of this program)\n",
              commands[1].label.c_str(), commands[0].label.c_str(), peaks[1] / peaks[0], self.ru_maxrss / 1024.0);
  return 0;
}
