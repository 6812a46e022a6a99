// Writes the benchmarks' full day of light curves to a file, for the
// whole-process comparison: write_bench_day [--adu] PATH
#include <cstring>
#include <iostream>

#include "bench_day.h"

int main(int argc, char* argv[]) {
  const bool adu = argc == 3 && std::strcmp(argv[1], "--adu") == 0;
  if (argc != 2 && !adu) {
    std::cerr << "usage: write_bench_day [--adu] PATH\n";
    return 2;
  }
  const char* path = argv[argc - 1];
  if (!WriteBenchFile(path, adu ? BenchDayAduText() : BenchDaySfuText())) {
    std::cerr << "write_bench_day: cannot write " << path << '\n';
    return 1;
  }
  return 0;
}
