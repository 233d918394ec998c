// The main of every benchmark program: runs the benchmarks as Google Benchmark
// does, then prints how our code compares with its peers. A benchmark named
// "Group:ours" is measured against every "Group:peer" of the same group (any
// side name but "ours"), and the ratio of their real times is printed, so each
// figure comes from one run on one machine.
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
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      std::string name = run.benchmark_name();
      // "Group:side/args..." gives the group "Group/args..." and the side.
      const size_t colon = name.find(':');
      if (colon == std::string::npos) continue;
      const size_t slash = name.find('/', colon);
      const std::string side = name.substr(colon + 1, slash == std::string::npos ? std::string::npos : slash - colon - 1);
      const std::string group = name.substr(0, colon) + (slash == std::string::npos ? "" : name.substr(slash));
      FTimes[group][side] = run.GetAdjustedRealTime();
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    bool title = false;
    for (const auto& [group, sides] : FTimes) {
      const auto ours = sides.find("ours");
      if (ours == sides.end()) continue;
      for (const auto& [side, time] : sides) {
        if (side == "ours" || time <= 0) continue;
        if (!title) {
          std::printf("\nRatios (our real time / the peer's; below 1 is faster than the peer):\n");
          title = true;
        }
        std::printf("  %-40s ours / %-24s = %6.2fx\n", group.c_str(), side.c_str(), ours->second / time);
      }
    }
  }

 private:
  std::map<std::string, std::map<std::string, double>> FTimes;
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
