// The main of every benchmark program: runs the benchmarks as Google Benchmark
// does, then prints how our code compares with its peers. A benchmark named
// "Group:ours" is measured against every "Group:peer" of the same group (any
// side name but "ours"), and the ratios of their real and CPU times are
// printed, so each figure comes from one run on one machine. A "/threads:N"
// suffix is left out of the group.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

class TRatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& Runs) override {
    ConsoleReporter::ReportRuns(Runs);
    for (const Run& run : Runs) {
      if (run.error_occurred) continue;
      // With repetitions the median stands for the benchmark; without, its one run.
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if (run.run_type != Run::RT_Iteration && !median) continue;
      std::string name = run.run_name.str();
      // The number of threads is no part of the group: a run on 8 threads is
      // compared with its peer on one (the time of an iteration is then the
      // wall time over the iterations of all threads).
      const size_t threads = name.find("/threads:");
      if (threads != std::string::npos) name.erase(threads);
      // "Group:side/args..." gives the group "Group/args..." and the side.
      const size_t colon = name.find(':');
      if (colon == std::string::npos) continue;
      const size_t slash = name.find('/', colon);
      const std::string side = name.substr(colon + 1, slash == std::string::npos ? std::string::npos : slash - colon - 1);
      const std::string group = name.substr(0, colon) + (slash == std::string::npos ? "" : name.substr(slash));
      TTimes& times = FTimes[group][side];
      if (median || !times.Median) times = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime(), median};
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    bool title = false;
    for (const auto& [group, sides] : FTimes) {
      const auto ours = sides.find("ours");
      if (ours == sides.end()) continue;
      for (const auto& [side, times] : sides) {
        if (side == "ours" || times.Real <= 0 || times.Cpu <= 0) continue;
        if (!title) {
          std::printf("\nRatios (our time / the peer's, real and CPU of this thread; below 1 is faster than the peer;\n"
                      "the median of the repetitions when there are some):\n");
          title = true;
        }
        std::printf("  %-40s ours / %-24s = %6.2fx real %6.2fx CPU\n", group.c_str(), side.c_str(),
                    ours->second.Real / times.Real, ours->second.Cpu / times.Cpu);
      }
    }
  }

 private:
  struct TTimes {
    double Real = 0;
    double Cpu = 0;
    bool Median = false;
  };
  std::map<std::string, std::map<std::string, TTimes>> FTimes;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
