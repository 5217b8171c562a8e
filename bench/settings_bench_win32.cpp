// The settings benchmarks of bench_main.cpp for the Windows build, which has no Google
// Benchmark: each save and load of a file with one saved value of 1, 4 and 16 MiB is
// timed over a few rounds, and the best and the mean are printed. Run under Wine:
//   wine kwartlin_settings_bench.exe [ROUNDS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "bench/settings_bench.h"

namespace {

template <class Work>
void Time(const char* what, std::size_t mib, int rounds, Work work) {
  double best = 1e300, total = 0;
  for (int i = 0; i < rounds; ++i) {
    const auto start = std::chrono::steady_clock::now();
    work();
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    best = std::min(best, ms);
    total += ms;
  }
  std::printf("settings/%s/MiB:%-3zu  best %9.1f ms  mean %9.1f ms  (%d rounds)\n", what, mib, best, total / rounds, rounds);
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  for (const std::size_t mib : {1, 4, 16}) {
    const kwbench::TSettingsBenchFile file(mib << 20);
    bool saved = true;
    Time("save", mib, rounds, [&] { saved = file.Save() && saved; });
    if (!saved) std::printf("settings/save/MiB:%zu  a save failed\n", mib);
    Time("load", mib, rounds, [&] {
      if (file.Load() == 0) std::printf("settings/load/MiB:%zu  nothing loaded\n", mib);
    });
  }
  return 0;
}
