// What the workbook benchmarks share: the peak resident memory of this
// process (reset, read) and a console reporter that keeps each benchmark's
// mean time so that ratios can be printed at the end.
#pragma once
#include <benchmark/benchmark.h>

#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace biffbench {

// Resets the peak resident memory to the current (Linux).
inline void ResetPeakMemory() { std::ofstream("/proc/self/clear_refs") << "5"; }

// A line of /proc/self/status in KiB: "VmHWM:" (the peak) or "VmRSS:".
inline long StatusKiB(const char* key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(key, 0) == 0) return std::stol(line.substr(std::strlen(key)));
  return 0;
}

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const auto& run : runs)
      if (!run.error_occurred && run.run_type == Run::RT_Iteration)
        seconds[run.benchmark_name()] = run.real_accumulated_time / static_cast<double>(run.iterations);
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> seconds;  // mean seconds by benchmark name
};

}  // namespace biffbench
